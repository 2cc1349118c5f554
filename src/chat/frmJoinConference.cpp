// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmJoinConference.h"

#include "ChatRegistry.h"
#include "ConferenceFile.h"
#include "ConnectionController.h"
#include "FormChat.h"
#include "Input.h"
#include "MessageBoxes.h"
#include "Protocol.h"
#include "Text.h"
#include "Twips.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kivo {

frmJoinConference::frmJoinConference(ChatRegistry& chats, QWidget* parent)
    : Dialog(parent)
    , chats_(chats) {
    setObjectName(QStringLiteral("frmJoinConference"));
    setWindowTitle(tr("Join Conference"));
    setClientSizeTwips(4425, 1410);

    Label1 = placed(new QLabel(tr("Conference name:"), this), "Label1", {120, 120, 1455, 255});
    Label2 = placed(new QLabel(tr("Server (optional):"), this), "Label2", {120, 480, 1455, 255});
    txtConferenceName = placed(new QLineEdit(this), "txtConferenceName", {1560, 120, 2775, 285});
    txtServerName = placed(new QLineEdit(this), "txtServerName", {1560, 480, 2775, 285});
    Label1->setBuddy(txtConferenceName);
    Label2->setBuddy(txtServerName);
    cmdOK = addButton("cmdOK", tr("OK"), {2640, 960, 615, 375});
    cmdCancel = addButton("cmdCancel", tr("Cancel"), {3360, 960, 975, 375});

    setTabOrder(cmdCancel, cmdOK);
    setTabOrder(cmdOK, txtConferenceName);
    setTabOrder(txtConferenceName, txtServerName);
    cmdCancel->setFocus();

    connect(cmdOK, &QPushButton::clicked, this, &frmJoinConference::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmJoinConference::cmdCancel_Click);
    Form_Load();
    centreOnScreen();
}

void frmJoinConference::Form_Load() {
    QString conferenceName, serverName;
    ConferenceFile::LoadConferenceData(conferenceName, serverName);
    if (isBlank(conferenceName))
        conferenceName = QStringLiteral("general");
    txtConferenceName->setText(conferenceName);
    txtServerName->setText(serverName);
}

void frmJoinConference::keyPressEvent(QKeyEvent* event) {
    // Enter in a text box joins; a focused button takes Enter itself (Cancel cancels).
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        cmdOK_Click();
        return;
    }
    Dialog::keyPressEvent(event);
}

void frmJoinConference::cmdOK_Click() {
    const QString name = trimSpaces(txtConferenceName->text());
    if (name.isEmpty()) {
        warn(tr("Please enter the conference name."));
        return;
    }
    if (!acceptSingleLine({txtConferenceName->text(), txtServerName->text()}))
        return;
    const QString server = trimSpaces(txtServerName->text());
    ConferenceFile::SaveConferenceData(name, server);
    const QString address = server.isEmpty() ? name : name + u'@' + server;
    close();

    if (chats_.ServerChatWindow && chats_.ServerChatWindow->isVisible()) {
        warn(tr("You are already connected to a conference.") + QStringLiteral("\r\n") +
                 tr("If you want to join another one,") + QStringLiteral("\r\n") +
                 tr("please close the current conference window first."),
             tr("Conference already opened"));
        return;
    }
    FormChat* room = chats_.openConference(address);
    if (!chats_.connection().SendMessageToUser(QString(), Command::joinConference(address)))
        room->transcript().appendStatusLine(
            tr("*** Not joined: there is no connection to a server."));
}

void frmJoinConference::cmdCancel_Click() {
    close();
}

} // namespace kivo
