// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Dialog.h"

class QGroupBox;
class QLabel;
class QLineEdit;

namespace kivo {

// Changes the server port in connection.dat; the login dialog uses it at its next OK.
class frmDetails : public Dialog {
    Q_OBJECT
public:
    explicit frmDetails(QWidget* parent = nullptr);

    QGroupBox* Frame1;
    QLabel* Label1;
    QLineEdit* txtPort;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

    void cmdOK_Click();
    void cmdCancel_Click();

private:
    void Form_Load();
};

} // namespace kivo
