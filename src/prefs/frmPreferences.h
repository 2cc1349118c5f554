// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Preferences.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QPushButton;
class QSpinBox;

namespace kivo {

// The one place where a user chooses what Kivo does beyond the description: a check box per
// option, OK and Cancel (Enter and Escape).
class frmPreferences : public QDialog {
    Q_OBJECT
public:
    frmPreferences(Preferences& preferences, QWidget* parent);

    QCheckBox* chkNotifications;
    QCheckBox* chkReconnect;
    QCheckBox* chkHistory;
    QCheckBox* chkHistoryLimit;
    QSpinBox* spnHistoryDays;
    QCheckBox* chkKeyring;
    QCheckBox* chkTls;
    QCheckBox* chkBringToFront;
    QCheckBox* chkHighlightMentions;
    // Shows the transcripts' font and offers another; Default goes back to the system's.
    QPushButton* cmdTranscriptFont;
    QPushButton* cmdDefaultFont;
    QCheckBox* chkStrangerWindows;
    QCheckBox* chkRememberPlaces;
    QCheckBox* chkConversationTabs;
    QCheckBox* chkKeepUnsentText;
    // Off and disabled, saying why, when no dictionary is installed.
    QCheckBox* chkSpelling;
    QComboBox* cboSpellingLanguage;
    // Disabled, and a note says why, when the desktop has no notification area.
    QCheckBox* chkTrayIcon;
    QCheckBox* chkKeepRunning;

    void accept() override;

private:
    void showFont();
    static QString languageName(const QString& language);

    Preferences& preferences_;
    QString transcriptFont_;
};

} // namespace kivo
