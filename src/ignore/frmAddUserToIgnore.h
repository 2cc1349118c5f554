// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Dialog.h"

class QLineEdit;

namespace kivo {

// Asks for a user name to ignore. Kept hidden between uses and reset each time it is shown.
class frmAddUserToIgnore : public Dialog {
    Q_OBJECT
public:
    explicit frmAddUserToIgnore(QWidget* parent);

    QLineEdit* txtUsername;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

    // The trimmed name confirmed with OK; empty after Cancel or the close box.
    QString AddedUser;

    void cmdOK_Click();
    void cmdCancel_Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Form_Activate();
};

} // namespace kivo
