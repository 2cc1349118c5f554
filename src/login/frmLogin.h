// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Dialog.h"

#include <array>

class QFrame;
class QLabel;
class QLineEdit;

namespace kivo {

class ConnectionController;

// Collects user name, password and host, remembers them in connection.dat and starts the
// connection; it stays open until the server accepts the login or the user cancels.
class frmLogin : public Dialog {
    Q_OBJECT
public:
    frmLogin(ConnectionController& connection, QWidget* parent);

    QLabel* Label1;
    QLineEdit* txtUsername;
    std::array<QLabel*, 2> Label2;
    QLineEdit* txtPassword;
    QLineEdit* txtHost;
    QPushButton* cmdDetails;
    QFrame* Line1;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

    void UpdateOKButton();
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdDetails_Click();
    // The server refused the login: try again with another password.
    void loginRefused();

private:
    void Form_Load();

    ConnectionController& connection_;
};

} // namespace kivo
