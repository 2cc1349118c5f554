// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Dialog.h"

class QLabel;
class QLineEdit;

namespace kivo {

class ChatRegistry;

// Asks for a conference name and an optional server, remembers them, joins and opens the
// conference window.
class frmJoinConference : public Dialog {
    Q_OBJECT
public:
    explicit frmJoinConference(ChatRegistry& chats, QWidget* parent = nullptr);

    QLabel* Label1;
    QLabel* Label2;
    QLineEdit* txtConferenceName;
    QLineEdit* txtServerName;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

    void cmdOK_Click();
    void cmdCancel_Click();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Form_Load();

    ChatRegistry& chats_;
};

} // namespace kivo
