// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmPreferences.h"

#include "SpellChecker.h"
#include "Widgets.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QSystemTrayIcon>
#include <QVBoxLayout>

namespace kivo {

frmPreferences::frmPreferences(Preferences& preferences, QWidget* parent)
    : QDialog(parent)
    , chkNotifications(new QCheckBox(
          tr("Show a &notification when a message arrives while Kivo is in the background"), this))
    , chkReconnect(new QCheckBox(tr("&Reconnect by itself when the connection is lost"), this))
    , chkHistory(new QCheckBox(tr("Keep a &history of conversations"), this))
    , chkHistoryLimit(new QCheckBox(tr("Remove history &older than"), this))
    , spnHistoryDays(new QSpinBox(this))
    , chkKeyring(new QCheckBox(tr("Keep my password in the desktop's &keyring"), this))
    , chkTls(new QCheckBox(tr("Use an &encrypted connection (TLS)"), this))
    , chkBringToFront(
          new QCheckBox(tr("Bring a chat window to the &front when a message arrives"), this))
    , chkHighlightMentions(new QCheckBox(tr("Highlight lines that &mention me"), this))
    , cmdTranscriptFont(new QPushButton(this))
    , cmdDefaultFont(new QPushButton(tr("&Default"), this))
    , chkStrangerWindows(new QCheckBox(
          tr("Open a chat window for messages from people not in my &contacts"), this))
    , chkRememberPlaces(new QCheckBox(tr("Remember window si&zes and positions"), this))
    , chkConversationTabs(new QCheckBox(tr("Show conversations as &tabs in one window"), this))
    , chkKeepUnsentText(new QCheckBox(tr("Keep unsent text when a chat &window closes"), this))
    , chkSpelling(new QCheckBox(tr("Check &spelling while typing"), this))
    , cboSpellingLanguage(new QComboBox(this))
    , chkTrayIcon(new QCheckBox(tr("Show Kivo in the notification &area"), this))
    , chkKeepRunning(new QCheckBox(
          tr("Keep r&unning in the notification area when the main window is closed"), this))
    , preferences_(preferences)
    , transcriptFont_(preferences.values().transcriptFont) {
    setObjectName(QStringLiteral("frmPreferences"));
    setWindowTitle(tr("Preferences"));
    chkNotifications->setObjectName(QStringLiteral("chkNotifications"));
    chkReconnect->setObjectName(QStringLiteral("chkReconnect"));
    chkHistory->setObjectName(QStringLiteral("chkHistory"));
    chkHistoryLimit->setObjectName(QStringLiteral("chkHistoryLimit"));
    spnHistoryDays->setObjectName(QStringLiteral("spnHistoryDays"));
    chkKeyring->setObjectName(QStringLiteral("chkKeyring"));
    chkTls->setObjectName(QStringLiteral("chkTls"));
    chkBringToFront->setObjectName(QStringLiteral("chkBringToFront"));
    chkHighlightMentions->setObjectName(QStringLiteral("chkHighlightMentions"));
    chkStrangerWindows->setObjectName(QStringLiteral("chkStrangerWindows"));
    chkRememberPlaces->setObjectName(QStringLiteral("chkRememberPlaces"));
    chkKeepUnsentText->setObjectName(QStringLiteral("chkKeepUnsentText"));
    chkConversationTabs->setObjectName(QStringLiteral("chkConversationTabs"));
    chkSpelling->setObjectName(QStringLiteral("chkSpelling"));
    chkTrayIcon->setObjectName(QStringLiteral("chkTrayIcon"));
    chkKeepRunning->setObjectName(QStringLiteral("chkKeepRunning"));
    cboSpellingLanguage->setObjectName(QStringLiteral("cboSpellingLanguage"));
    cmdTranscriptFont->setObjectName(QStringLiteral("cmdTranscriptFont"));
    cmdDefaultFont->setObjectName(QStringLiteral("cmdDefaultFont"));
    spnHistoryDays->setRange(1, 36500);
    spnHistoryDays->setSuffix(tr(" days"));
    spnHistoryDays->setAccessibleName(tr("Days of history kept"));

    const Preferences::Values& values = preferences.values();
    chkNotifications->setChecked(values.notifications);
    chkReconnect->setChecked(values.reconnect);
    chkHistory->setChecked(values.history);
    chkHistoryLimit->setChecked(values.historyDays > 0);
    spnHistoryDays->setValue(values.historyDays > 0 ? values.historyDays : 365);
    spnHistoryDays->setEnabled(chkHistoryLimit->isChecked());
    chkKeyring->setChecked(values.keyring);
    chkTls->setChecked(values.tls);
    chkBringToFront->setChecked(values.bringToFront);
    chkHighlightMentions->setChecked(values.highlightMentions);
    chkStrangerWindows->setChecked(values.strangerWindows);
    chkRememberPlaces->setChecked(values.rememberPlaces);
    chkKeepUnsentText->setChecked(values.keepUnsentText);
    chkConversationTabs->setChecked(values.conversationTabs);
    const QStringList languages = SpellChecker::installedLanguages();
    for (const QString& language : languages)
        cboSpellingLanguage->addItem(languageName(language), language);
    cboSpellingLanguage->setCurrentIndex(static_cast<int>(languages.indexOf(
        SpellChecker::languageFor(values.spellingLanguage, QLocale().name(), languages))));
    chkSpelling->setChecked(values.spelling && !languages.isEmpty());
    chkSpelling->setEnabled(!languages.isEmpty());
    if (languages.isEmpty())
        chkSpelling->setText(tr("Check spelling while typing (no dictionary is installed)"));
    cboSpellingLanguage->setEnabled(chkSpelling->isChecked());
    connect(chkSpelling, &QCheckBox::toggled, cboSpellingLanguage, &QComboBox::setEnabled);
    const bool trayAvailable = QSystemTrayIcon::isSystemTrayAvailable();
    chkTrayIcon->setChecked(values.trayIcon);
    chkKeepRunning->setChecked(values.keepRunning);
    chkTrayIcon->setEnabled(trayAvailable);
    chkKeepRunning->setEnabled(trayAvailable && values.trayIcon);
    connect(chkTrayIcon, &QCheckBox::toggled, chkKeepRunning, &QCheckBox::setEnabled);
    connect(chkHistoryLimit, &QCheckBox::toggled, spnHistoryDays, &QSpinBox::setEnabled);
    showFont();
    connect(cmdTranscriptFont, &QPushButton::clicked, this, [this] {
        const QFont current = fontFrom(transcriptFont_).resolve(QApplication::font());
        bool chosen = false;
        const QFont font = QFontDialog::getFont(&chosen, current, this, tr("Conversation Text"));
        if (chosen)
            transcriptFont_ = font.toString();
        showFont();
    });
    connect(cmdDefaultFont, &QPushButton::clicked, this, [this] {
        transcriptFont_.clear();
        showFont();
    });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &frmPreferences::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &frmPreferences::reject);
    auto* limit = new QHBoxLayout;
    limit->addWidget(chkHistoryLimit);
    limit->addWidget(spnHistoryDays);
    limit->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(chkNotifications);
    layout->addWidget(chkReconnect);
    layout->addWidget(chkHistory);
    layout->addLayout(limit);
    layout->addWidget(chkKeyring);
    layout->addWidget(chkTls);
    layout->addWidget(chkBringToFront);
    layout->addWidget(chkHighlightMentions);
    auto* font = new QHBoxLayout;
    auto* fontLabel = new QLabel(tr("Conversation te&xt:"), this);
    fontLabel->setBuddy(cmdTranscriptFont);
    font->addWidget(fontLabel);
    font->addWidget(cmdTranscriptFont);
    font->addWidget(cmdDefaultFont);
    font->addStretch();
    layout->addLayout(font);
    layout->addWidget(chkStrangerWindows);
    layout->addWidget(chkConversationTabs);
    layout->addWidget(chkRememberPlaces);
    layout->addWidget(chkKeepUnsentText);
    auto* spelling = new QHBoxLayout;
    spelling->addWidget(chkSpelling);
    auto* languageLabel = new QLabel(tr("&Language:"), this);
    languageLabel->setBuddy(cboSpellingLanguage);
    spelling->addWidget(languageLabel);
    spelling->addWidget(cboSpellingLanguage);
    spelling->addStretch();
    layout->addLayout(spelling);
    layout->addWidget(chkTrayIcon);
    layout->addWidget(chkKeepRunning);
    if (!trayAvailable) {
        auto* note = new QLabel(tr("This desktop has no notification area."), this);
        note->setObjectName(QStringLiteral("lblNoNotificationArea"));
        layout->addWidget(note);
    }
    layout->addStretch();
    layout->addWidget(buttons);
}

void frmPreferences::accept() {
    Preferences::Values values = preferences_.values();
    values.notifications = chkNotifications->isChecked();
    values.reconnect = chkReconnect->isChecked();
    values.history = chkHistory->isChecked();
    values.historyDays = chkHistoryLimit->isChecked() ? spnHistoryDays->value() : 0;
    values.keyring = chkKeyring->isChecked();
    values.tls = chkTls->isChecked();
    values.bringToFront = chkBringToFront->isChecked();
    values.highlightMentions = chkHighlightMentions->isChecked();
    values.strangerWindows = chkStrangerWindows->isChecked();
    values.rememberPlaces = chkRememberPlaces->isChecked();
    values.keepUnsentText = chkKeepUnsentText->isChecked();
    values.conversationTabs = chkConversationTabs->isChecked();
    // Without a dictionary the box says nothing of what the user wants.
    if (chkTrayIcon->isEnabled()) {
        values.trayIcon = chkTrayIcon->isChecked();
        values.keepRunning = chkKeepRunning->isChecked();
    }
    if (chkSpelling->isEnabled())
        values.spelling = chkSpelling->isChecked();
    // The language is kept only when it is not simply the locale's.
    const QString language = cboSpellingLanguage->currentData().toString();
    const QString fromLocale =
        SpellChecker::languageFor({}, QLocale().name(), SpellChecker::installedLanguages());
    if (!language.isEmpty())
        values.spellingLanguage = language == fromLocale ? QString() : language;
    values.transcriptFont = transcriptFont_;
    // A failed save has been reported; the dialog stays open so nothing seems saved.
    if (preferences_.save(values))
        QDialog::accept();
}

QString frmPreferences::languageName(const QString& language) {
    const QLocale locale(language);
    return locale.language() == QLocale::C
               ? language
               : QStringLiteral("%1 (%2)").arg(locale.nativeLanguageName(),
                                               locale.nativeTerritoryName());
}

void frmPreferences::showFont() {
    const QFont font = fontFrom(transcriptFont_);
    const bool chosen = font.resolveMask() != 0;
    cmdTranscriptFont->setText(chosen ? tr("%1, %2 pt").arg(font.family()).arg(font.pointSizeF())
                                      : tr("System font"));
    cmdDefaultFont->setEnabled(chosen);
}

} // namespace kivo
