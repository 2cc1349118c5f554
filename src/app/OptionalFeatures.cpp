// SPDX-License-Identifier: GPL-3.0-or-later
#include "OptionalFeatures.h"

#include "Clock.h"
#include "ContactTreeView.h"
#include "Form1.h"
#include "FormChat.h"
#include "MessageBoxes.h"
#include "Protocol.h"
#include "SpellChecker.h"
#include "StateFiles.h"
#include "TrayIcon.h"
#include "Widgets.h"
#include "frmPreferences.h"
#include "frmSearchHistory.h"

#include <QAction>
#include <QApplication>
#include <QDBusServiceWatcher>
#include <QFile>
#include <QFont>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QStatusBar>
#include <QTimer>
#include <algorithm>
#include <cstdio>

namespace kivo {
namespace {

const QString MainWindowPlace = QStringLiteral("main");

QString fingerprintText(const QByteArray& fingerprint) {
    return QString::fromLatin1(fingerprint.toHex(':').toUpper());
}

} // namespace

OptionalFeatures::OptionalFeatures(Form1& form)
    : QObject(&form)
    , form_(form)
    , reconnector_(form.connection()) {
    buildMenus();
    ConnectionController& connection = form_.connection();
    // Logging in by hand ends reconnecting, whether the dialog is confirmed or cancelled.
    connect(&form_, &Form1::loginDialogOpening, &reconnector_, &Reconnector::stop);
    connect(&connection, &ConnectionController::connectionDropped, this,
            &OptionalFeatures::onConnectionDropped);
    connect(&reconnector_, &Reconnector::scheduled, this, &OptionalFeatures::showNextTry);
    connect(&reconnector_, &Reconnector::reconnected, this, &OptionalFeatures::onReconnected);
    connect(&reconnector_, &Reconnector::stopped, this, [this] {
        form_.lblConnectionState->setToolTip(QString());
        mnuStopReconnecting->setVisible(false);
    });
    connect(&notifier_, &Notifier::activated, this, &OptionalFeatures::onNotificationActivated);
    connect(&form_.chats(), &ChatRegistry::searchRequested, this, &OptionalFeatures::searchHistory);
    connect(&form_.chats(), &ChatRegistry::zoomRequested, this, &OptionalFeatures::zoom);
    zoomOnKeys(&form_, form_.tvContacts->viewport(), [this](int change) { zoom(change); });
    connect(&preferences_, &Preferences::changed, this, &OptionalFeatures::applyHistoryPreference);
    connect(&preferences_, &Preferences::changed, this, [this] {
        form_.connection().keyring.switchTo(preferences_.values().keyring);
        applySimplePreferences();
    });
    connect(&connection, &ConnectionController::certificateRefused, this,
            &OptionalFeatures::onCertificateRefused);
    connect(&connection, &ConnectionController::displayChanged, this,
            &OptionalFeatures::showEncryption);
    historyCleanup_.setInterval(HistoryCleanupInterval);
    connect(&historyCleanup_, &ClockTimer::timeout, this, &OptionalFeatures::removeOldHistory);
    preferences_.load();
    if (const qint64 lost = preferences_.linesNotStored(); lost > 0) {
        preferences_.setLinesNotStored(0);
        QTimer::singleShot(0, this, [lost] {
            warn(tr("When Kivo ended last time, %1 lines could not be stored in the history.")
                     .arg(lost));
        });
    }
    applyHistoryPreference();
    connection.keyring.setEnabled(preferences_.values().keyring);
    applySimplePreferences();
    if (preferences_.values().rememberPlaces)
        places_.restore(&form_, MainWindowPlace);
}

OptionalFeatures::~OptionalFeatures() {
    // What the writer could not store before Kivo ends is said now, and at the next start.
    if (!history_)
        return;
    const qint64 lost = history_->close() + historyLosses_.untold();
    if (lost == 0)
        return;
    const QString text =
        tr("%1 lines could not be stored in the history before Kivo ended.").arg(lost);
    std::fprintf(stderr, "%s\n", qPrintable(text));
    preferences_.setLinesNotStored(lost);
}

void OptionalFeatures::applyTrayPreferences() {
    const Preferences::Values& values = preferences_.values();
    if (values.trayIcon && !panel_) {
        panel_ = new QDBusServiceWatcher(QStringLiteral("org.kde.StatusNotifierWatcher"),
                                         QDBusConnection::sessionBus(),
                                         QDBusServiceWatcher::WatchForOwnerChange, this);
        connect(panel_, &QDBusServiceWatcher::serviceUnregistered, this,
                &OptionalFeatures::onNotificationAreaGone);
        connect(panel_, &QDBusServiceWatcher::serviceRegistered, this,
                &OptionalFeatures::applyTrayPreferences);
    }
    if (values.trayIcon && !tray_ && TrayIcon::available())
        tray_ = std::make_unique<TrayIcon>(form_);
    else if (!values.trayIcon)
        tray_.reset();
    const bool keepRunning = tray_ && values.keepRunning;
    // Closing the last chat window of a hidden main window must not end Kivo then.
    QGuiApplication::setQuitOnLastWindowClosed(!keepRunning);
    if (keepRunning)
        form_.installEventFilter(this);
    else
        form_.removeEventFilter(this);
}

void OptionalFeatures::onNotificationAreaGone() {
    if (!tray_)
        return;
    // A main window hidden in the notification area would be out of reach: it comes back, and
    // closing it ends Kivo again until the area is there.
    tray_.reset();
    QGuiApplication::setQuitOnLastWindowClosed(true);
    form_.removeEventFilter(this);
    if (form_.isHidden())
        kivo::bringToFront(&form_);
}

bool OptionalFeatures::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &form_ || event->type() != QEvent::Close)
        return false;
    event->ignore();
    form_.hide();
    return true;
}

void OptionalFeatures::keepWindowPlaces() {
    if (preferences_.values().rememberPlaces)
        places_.keep(&form_, MainWindowPlace);
}

void OptionalFeatures::buildMenus() {
    const auto item = [this](QMenu* in, QAction* before, const QString& caption, auto handler,
                             const char* name) {
        auto* action = new QAction(caption, in);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, handler);
        in->insertAction(before, action);
        return action;
    };
    // Shown only while Kivo reconnects by itself.
    mnuStopReconnecting = item(
        form_.mnuFile, form_.mnuAutoConnect, tr("Stop &Reconnecting"),
        [this] { reconnector_.stop(); }, "mnuStopReconnecting");
    mnuStopReconnecting->setVisible(false);
    mnuSearchHistory = item(
        form_.mnuTools, nullptr, tr("&Search history..."), [this] { searchHistory(nullptr); },
        "mnuSearchHistory");
    form_.mnuTools->addSeparator()->setObjectName(QStringLiteral("mnuSeparator4"));
    mnuPreferences = item(form_.mnuTools, nullptr, tr("&Preferences..."),
                          &OptionalFeatures::mnuPreferences_Click, "mnuPreferences");
}

void OptionalFeatures::mnuPreferences_Click() {
    frmPreferences dialog(preferences_, &form_);
    dialog.adjustSize();
    centreOver(&dialog, &form_);
    dialog.exec();
}

void OptionalFeatures::searchHistory(FormChat* from) {
    // History switched off now but kept before can still be searched.
    if (!history_ &&
        !(QFile::exists(StateFolder::filePath(HistoryStore::FileName)) && openHistory())) {
        warn(tr("No history is kept. Switch it on under Tools > Preferences."));
        return;
    }
    if (!search_)
        search_ = new frmSearchHistory(*history_, &form_);
    search_->setScope(from ? from->conversation() : QString(),
                      from ? from->conversationTitle() : QString());
    search_->show();
    search_->raise();
    search_->activateWindow();
}

bool OptionalFeatures::openHistory() {
    auto store = std::make_unique<HistoryStore>();
    connect(store.get(), &HistoryStore::problem, this, [](const QString& text) { warn(text); });
    connect(store.get(), &HistoryStore::linesLost, &historyLosses_, &HistoryLosses::lost);
    connect(store.get(), &HistoryStore::updating, this, &OptionalFeatures::showHistoryUpdate);
    if (!store->open())
        return false;
    history_ = std::move(store);
    historyCleanup_.start();
    return true;
}

void OptionalFeatures::applyHistoryPreference() {
    // Off stops the storing at once; what is stored stays until the user deletes it.
    if (!preferences_.values().history) {
        form_.chats().setHistory(nullptr);
        return;
    }
    if (history_ || openHistory()) {
        form_.chats().setHistory(history_.get());
        // Old lines are removed when the number of days changed, and once a day.
        const int days = preferences_.values().historyDays;
        if (std::exchange(retentionDays_, days) != days)
            removeOldHistory();
    }
}

void OptionalFeatures::zoom(int change) {
    Preferences::Values values = preferences_.values();
    values.textZoom = change == 0 ? 0
                                  : std::clamp(values.textZoom + change, Preferences::MinTextZoom,
                                               Preferences::MaxTextZoom);
    preferences_.saveWhenSettled(values);
}

void OptionalFeatures::applySimplePreferences() {
    const Preferences::Values& values = preferences_.values();
    form_.chats().setMessagesBringToFront(values.bringToFront);
    form_.chats().setHighlightMentions(values.highlightMentions);
    form_.chats().setStrangerWindows(values.strangerWindows);
    form_.chats().setSpelling(
        values.spelling ? SpellChecker::languageFor(values.spellingLanguage, QLocale().name(),
                                                    SpellChecker::installedLanguages())
                        : QString());
    applyTrayPreferences();
    form_.chats().setWindowPlaces(values.rememberPlaces ? &places_ : nullptr);
    form_.chats().setTabs(values.conversationTabs);
    applyUnsentText(values.keepUnsentText);
    const int zoom = values.textZoom;
    form_.chats().setTextZoom(zoom);
    form_.chats().setTranscriptFont(fontFrom(values.transcriptFont));
    // At the default the list keeps the font it always had.
    if (zoom != 0 || form_.tvContacts->testAttribute(Qt::WA_SetFont))
        applyTextZoom(form_.tvContacts, zoom);
    form_.connection().Winsock1.setTls(values.tls, [this](const QString& host, quint16 port) {
        return preferences_.acceptedCertificate(host, port);
    });
}

void OptionalFeatures::applyUnsentText(bool keep) {
    if (keep && !unsent_) {
        unsent_ = std::make_unique<UnsentText>();
        unsent_->load();
    } else if (!keep) {
        unsent_.reset();
        UnsentText::forget();
    }
    form_.chats().setUnsentText(unsent_.get());
}

void OptionalFeatures::showEncryption() {
    const ConnectionController& connection = form_.connection();
    if (!connection.display().online)
        return; // the reconnecting tries say when the next one comes
    form_.lblConnectionState->setToolTip(connection.Winsock1.isEncrypted()
                                             ? tr("The connection is encrypted (TLS).")
                                             : tr("The connection is not encrypted."));
}

void OptionalFeatures::onCertificateRefused(const QString& host, quint16 port,
                                            const CertificateRefusal& refusal) {
    // One question, not one per try.
    reconnector_.stop();
    const QSslCertificate& certificate = refusal.certificate;
    const QByteArray fingerprint = certificate.digest(QCryptographicHash::Sha256);
    const QString details =
        tr("Subject: %1\nIssuer: %2\nValid from %3 to %4\nSHA-256 fingerprint: %5")
            .arg(certificate.subjectDisplayName(), certificate.issuerDisplayName(),
                 QLocale().toString(certificate.effectiveDate(), QLocale::ShortFormat),
                 QLocale().toString(certificate.expiryDate(), QLocale::ShortFormat),
                 fingerprintText(fingerprint));
    bool accept = false;
    if (!refusal.accepted.isEmpty()) {
        accept = askRisky(
            tr("The certificate of %1 on port %2 is not the one you accepted before, so Kivo "
               "closed the connection and sent nothing.\n\nAccepted before: %3\nSent now: "
               "%4\n\n%5\n\nSomeone may be listening in between. Accept the new certificate "
               "only if you know why it changed. Accept it and log in?")
                .arg(host)
                .arg(port)
                .arg(fingerprintText(refusal.accepted), fingerprintText(fingerprint), details),
            tr("Certificate Changed"));
    } else if (refusal.otherName) {
        accept = askRisky(tr("The server %1 on port %2 sent a certificate that this computer "
                             "trusts, but for another name: it does not name %1 (%3).\n\n%4\n\n"
                             "Nothing was sent to the server. Trust this certificate for %1 "
                             "from now on and log in?")
                              .arg(host)
                              .arg(port)
                              .arg(refusal.reason, details),
                          tr("Certificate for Another Name"));
    } else {
        accept = askRisky(tr("The server %1 on port %2 sent a certificate that this computer does "
                             "not trust (%3).\n\n%4\n\nNothing was sent to the server. Trust "
                             "this certificate for %1 from now on and log in?")
                              .arg(host)
                              .arg(port)
                              .arg(refusal.reason, details),
                          tr("Unknown Certificate"));
    }
    if (!accept || !preferences_.acceptCertificate(host, port, fingerprint))
        return;
    ConnectionController& connection = form_.connection();
    connection.WaitingForLogin = true;
    connection.connectTo(host, port);
}

void OptionalFeatures::showHistoryUpdate(int percent) {
    // In a status bar of its own, there only while an older history is brought up to date.
    if (percent >= 100) {
        form_.setStatusBar(nullptr);
        return;
    }
    form_.statusBar()->showMessage(
        tr("Updating the history for this version of Kivo: %1%").arg(percent));
}

void OptionalFeatures::removeOldHistory() {
    const int days = preferences_.values().historyDays;
    if (history_ && days > 0)
        history_->removeOlderThan(Clock::current().now().toSecsSinceEpoch() - qint64(days) * 86400);
}

void OptionalFeatures::privateMessageShown(FormChat* chat, const QString& sender,
                                           const QString& text, bool kivoWasActive) {
    if (notices_.privateMessage(sender, text, kivoWasActive))
        QApplication::alert(chat);
    if (tray_)
        tray_->update();
}

void OptionalFeatures::conferenceLineShown(FormChat* room, const QString& message,
                                           bool kivoWasActive) {
    if (notices_.conferenceLine(room->conferenceAddress(), message, form_.connection().LoggedUser,
                                kivoWasActive))
        QApplication::alert(room);
}

void OptionalFeatures::onNotificationActivated(const QString& conversation,
                                               const QString& activationToken) {
    ChatRegistry& chats = form_.chats();
    if (conversation == Notices::Room) {
        if (FormChat* room = chats.ServerChatWindow)
            chats.restore(room, activationToken);
        return;
    }
    // The key is case-folded: the window opens under the contact's own name.
    const QString key = conversation.mid(conversation.indexOf(u':') + 1);
    if (ContactNode* contact = form_.contacts().FindContactNode(key))
        chats.restore(form_.OpenChatWindow(contact->Text), activationToken);
}

void OptionalFeatures::onConnectionDropped(const QString& host, quint16 port) {
    if (!preferences_.values().reconnect)
        return;
    ConnectionController& connection = form_.connection();
    reconnector_.start(host, port, connection.LoginUser, connection.LoginPass);
    for (FormChat* chat : form_.chats().windows())
        chat->transcript().appendStatusLine(
            tr("*** Connection lost. Reconnecting in %1 s.").arg(reconnector_.secondsToNextTry()));
}

void OptionalFeatures::showNextTry() {
    mnuStopReconnecting->setVisible(true);
    form_.lblConnectionState->setToolTip(
        tr("Next try to reconnect at %1.")
            .arg(reconnector_.nextTry().toLocalTime().toString(QStringLiteral("HH:mm:ss"))));
}

void OptionalFeatures::onReconnected() {
    ConnectionController& connection = form_.connection();
    // The main window took the saved login's name; the try logged in as the user who was.
    connection.LoggedUser = connection.LoginUser;
    for (FormChat* chat : form_.chats().windows())
        chat->transcript().appendStatusLine(tr("*** Connected again."));
    if (FormChat* room = form_.chats().ServerChatWindow)
        connection.SendMessageToUser(QString(), Command::joinConference(room->conferenceAddress()));
    if (frmIgnoreList* ignoreList = form_.ignoreListWindow())
        ignoreList->requestList();
}

} // namespace kivo
