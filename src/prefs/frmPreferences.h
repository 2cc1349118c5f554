// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Preferences.h"

#include <QDialog>

class QCheckBox;
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
    QCheckBox* chkStrangerWindows;

    void accept() override;

private:
    Preferences& preferences_;
};

} // namespace kivo
