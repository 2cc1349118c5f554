// SPDX-License-Identifier: GPL-3.0-or-later
#include "Form1.h"

#include "ConnectionFile.h"
#include "ContactCommands.h"
#include "ContactTreeView.h"
#include "FormChat.h"
#include "MessageBoxes.h"
#include "OptionalFeatures.h"
#include "Pictures.h"
#include "Router.h"
#include "SettingsFile.h"
#include "StateFiles.h"
#include "Text.h"
#include "Twips.h"
#include "Widgets.h"
#include "frmJoinConference.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QToolBar>
#include <QUrl>

namespace kivo {
Form1::Form1(QWidget* parent)
    : QMainWindow(parent) {
    setObjectName(QStringLiteral("Form1"));
    setWindowIcon(Pictures::application());

    auto* client = new QWidget(this);
    client->setFixedSize(twipsSize(6735, 4500));
    setCentralWidget(client);
    buildToolbar(client);
    tvContacts = new ContactTreeView(contacts_, client);
    tvContacts->setGeometry(twipsRect(0, 360, 6735, 3765));
    tvContacts->setAccessibleName(tr("Contacts"));
    contactCommands = new ContactCommands(contacts_, *tvContacts, this);
    connect(tvContacts, &ContactTreeView::chatRequested, this, &Form1::openChatFromTree);
    chats_.contactNames = [this] { return contacts_.contactNames(); };
    chats_.addContact = [this](const QString& name) { return contactCommands->addContact(name); };
    chats_.askForLogin = [this] { QTimer::singleShot(0, this, &Form1::ShowLoginDialog); };
    buildMenus();
    buildStatusRow(client);

    tmrBlink.setObjectName(QStringLiteral("tmrBlink"));
    // The timer ticks only while something blinks: idle, it would wake Kivo for nothing.
    connect(&tmrBlink, &ClockTimer::timeout, this, [this] {
        blink_.tmrBlink_Timer();
        if (blink_.BlinkList().isEmpty())
            tmrBlink.stop();
    });

    connect(&connection_, &ConnectionController::displayChanged, this, &Form1::applyDisplay);
    connect(&connection_, &ConnectionController::loginAccepted, this, &Form1::onLoginAccepted);
    connect(&connection_, &ConnectionController::loginRefused, this, &Form1::onLoginRefused);
    connect(&connection_, &ConnectionController::connectionLost, this, &Form1::onConnectionLost);
    connect(&connection_, &ConnectionController::messageReceived, this, &Form1::routeMessage);
    applyDisplay();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    // After this window's own handlers, so that the features' come after them.
    features_ = std::make_unique<OptionalFeatures>(*this);
    whenFirstActivated(this, [this] { Form_Activate(); });
    Form_Load();
}

Form1::~Form1() {
    Form_Unload();
}

void Form1::Form_Load() {
    // The tree's picture list, line style and indentation belong to tvContacts itself.
    connection_.LoggedUser.clear();
    setWindowTitle(AppTitle);
    if (QFile::exists(StateFolder::filePath(ContactTree::FileName)))
        contacts_.LoadContacts();
    else
        contacts_.addGeneralCategory();
    tmrBlink.setInterval(BlinkSchedule::TickInterval);
    AutoConnect = SettingsFile::LoadSettings();
    mnuAutoConnect->setChecked(AutoConnect);
    for (ContactNode* category : contacts_.categories()) {
        contacts_.setLook(category, true, category->ForeColor);
        contacts_.setExpanded(category, true);
        contacts_.setPicture(category, ContactTree::ExpandedPicture);
    }
}

void Form1::Form_Activate() {
    if (Activated)
        return;
    Activated = true;
    if (AutoConnect)
        ShowLoginDialog();
}

void Form1::mnuAutoConnect_Click() {
    // The check mark follows the file: a failed save (reported) leaves both as they were.
    if (!SettingsFile::SaveSettings(mnuAutoConnect->isChecked()))
        mnuAutoConnect->setChecked(!mnuAutoConnect->isChecked());
}

void Form1::mnuExit_Click() {
    if (ask(tr("Do you really want to exit?")))
        quit();
}

void Form1::quit() {
    hide();
    QCoreApplication::exit(0);
    // Inside a box or a dialog (a logout while one is open) the windows stay until its event
    // loop has returned into the code that opened it; they are unloaded on the way out.
    if (!QApplication::activeModalWidget())
        Form_Unload();
}

void Form1::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

void Form1::Form_Unload() {
    if (unloaded_)
        return;
    unloaded_ = true;
    features_->keepWindowPlaces();
    chats_.closeAll();
}

void Form1::buildMenus() {
    const auto menu = [this](const QString& caption, const char* name) {
        QMenu* created = menuBar()->addMenu(caption);
        created->setObjectName(QString::fromLatin1(name));
        return created;
    };
    const auto item = [this](QMenu* in, const QString& caption, auto handler, const char* name) {
        QAction* action = in->addAction(caption, this, handler);
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    const auto separator = [](QMenu* in, const char* name) {
        in->addSeparator()->setObjectName(QString::fromLatin1(name));
    };

    mnuFile = menu(tr("&File"), "mnuFile");
    mnuConnect = item(mnuFile, tr("&Connect"), &Form1::mnuConnect_Click, "mnuConnect");
    mnuAutoConnect =
        item(mnuFile, tr("&Auto-connect"), &Form1::mnuAutoConnect_Click, "mnuAutoConnect");
    mnuAutoConnect->setCheckable(true);
    mnuAutoConnect->setChecked(true);
    separator(mnuFile, "mnuSeparator");
    mnuAddAContact =
        item(mnuFile, tr("&Add contact"), &Form1::mnuAddAContact_Click, "mnuAddAContact");
    mnuJoinConference = item(mnuFile, tr("&Join a conference"), &Form1::mnuJoinConference_Click,
                             "mnuJoinConference");
    separator(mnuFile, "mnuSeparator2");
    mnuExit = item(mnuFile, tr("&Exit"), &Form1::mnuExit_Click, "mnuExit");

    mnuTools = menu(tr("&Tools"), "mnuTools");
    mnuIgnoreList =
        item(mnuTools, tr("&Ignore List"), &Form1::mnuIgnoreList_Click, "mnuIgnoreList");

    mnuHelp = menu(tr("&Help"), "mnuHelp");
    mnuVeltraSite = item(mnuHelp, tr("&Veltra site"), &Form1::mnuVeltraSite_Click, "mnuVeltraSite");
    separator(mnuHelp, "mnuSeparator3");
    mnuAbout = item(mnuHelp, tr("&About"), &Form1::mnuAbout_Click, "mnuAbout");
}

void Form1::buildToolbar(QWidget* client) {
    imlToolbarIcons.insert(QStringLiteral("icon11"), Pictures::addContact());
    imlToolbarIcons.insert(QStringLiteral("icon18"), Pictures::joinConference());
    Toolbar1 = new QToolBar(client);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setGeometry(twipsRect(0, 0, 6735, 360));
    Toolbar1->setIconSize(QSize(16, 16));
    Toolbar1->setMovable(false);
    const auto imageButton = [this](const QString& key, const QString& tooltip) {
        QAction* button = Toolbar1->addAction(imlToolbarIcons.value(key), tooltip);
        button->setObjectName(key);
        button->setToolTip(tooltip);
        return button;
    };
    toolbarButtons = {
        Toolbar1->addSeparator(), imageButton(QStringLiteral("icon11"), tr("Add contact")),
        Toolbar1->addSeparator(), imageButton(QStringLiteral("icon18"), tr("Join conference")),
        Toolbar1->addSeparator()};
    for (qsizetype i = 0; i < toolbarButtons.size(); ++i) {
        const int index = static_cast<int>(i) + 1;
        connect(toolbarButtons[i], &QAction::triggered, this,
                [this, index] { Toolbar1_ButtonClick(index); });
    }
}

void Form1::Toolbar1_ButtonClick(int index) {
    if (index == 2)
        contactCommands->mnuAddContact_Click();
    else if (index == 4)
        ShowJoinConference();
}

void Form1::mnuVeltraSite_Click() {
    openExternally(QUrl(VeltraSite));
}

void Form1::mnuAbout_Click() {
    if (!about_)
        about_ = new frmAbout(this);
    about_->show();
    about_->raise();
    about_->activateWindow();
}

void Form1::mnuAddAContact_Click() {
    contactCommands->mnuAddContact_Click();
}

void Form1::openChatFromTree(const QString& contactName, bool needsLogin) {
    if (needsLogin && connection_.LoggedUser.isEmpty())
        ShowLoginDialog(); // no chat window afterwards, whatever the login's outcome
    else
        OpenChatWindow(contactName);
}

void Form1::mnuJoinConference_Click() {
    ShowJoinConference();
}

void Form1::ShowJoinConference() {
    if (connection_.LoggedUser.isEmpty()) {
        ShowLoginDialog();
        return;
    }
    frmJoinConference dialog(chats_, this);
    dialog.exec();
}

void Form1::mnuIgnoreList_Click() {
    if (connection_.LoggedUser.isEmpty()) {
        ShowLoginDialog();
        return;
    }
    if (ignoreList_ && ignoreList_->isVisible()) {
        ignoreList_->raise();
        ignoreList_->activateWindow();
        return;
    }
    ignoreList_ = new frmIgnoreList(connection_, this);
    centreOver(ignoreList_, this);
    ignoreList_->show();
}

void Form1::ProcessIgnoreList(const QString& message) {
    if (ignoreList_)
        ignoreList_->showList(message);
}

void Form1::ProcessIgnoreListEmpty() {
    if (ignoreList_)
        ignoreList_->showEmptyList();
}

void Form1::routeMessage(const QString& message) {
    using Action = RouteDecision::Action;
    const RouteDecision decision = decideRoute(message);
    switch (decision.action) {
    case Action::Nothing:
        break;
    case Action::Warning:
        warnings_.post(decision.kind, decision.text, decision.title);
        break;
    case Action::IgnoreList:
        ProcessIgnoreList(decision.text);
        break;
    case Action::IgnoreListEmpty:
        ProcessIgnoreListEmpty();
        break;
    case Action::PrivateMessage:
        deliverPrivateMessage(decision.sender, decision.text);
        break;
    case Action::ConferenceLine:
        if (FormChat* room = chats_.ServerChatWindow) {
            const bool active = kivoIsActive();
            room->transcript().appendConferenceLine(message, connection_.LoggedUser);
            features_->conferenceLineShown(room, message, active);
        }
        break;
    }
    sayWhatWasNotTaken(decision.answers);
}

void Form1::sayWhatWasNotTaken(ReplyAnswers answers) {
    // After any box: the window a refused line came from says so too, so its transcript and
    // history do not show it as taken.
    constexpr qsizetype Quoted = 100;
    PendingSends& pending = chats_.pendingSends();
    if (answers == ReplyAnswers::PrivateSent) {
        pending.privateAnswered();
    } else if (answers == ReplyAnswers::PrivateRefused) {
        const std::optional<PendingSends::Sent> sent = pending.privateAnswered();
        if (FormChat* chat = sent ? chats_.window(sent->conversation) : nullptr)
            chat->transcript().appendSystemLine(
                tr("*** Not delivered: \"%1\"").arg(glimpse(sent->text, Quoted)));
    } else if (answers == ReplyAnswers::CommandUnknown) {
        const std::optional<PendingSends::Sent> sent = pending.commandRefused();
        if (FormChat* room = sent ? chats_.ServerChatWindow.data() : nullptr)
            room->transcript().appendSystemLine(
                tr("*** The server did not take \"%1\": it reads lines that begin with / as "
                   "commands.")
                    .arg(glimpse(sent->text, Quoted)));
    }
}

void Form1::deliverPrivateMessage(const QString& sender, const QString& text) {
    // Messages from people who are not contacts are shown nowhere, unless the user asked.
    ContactNode* contact = contacts_.FindContactNode(sender);
    if (!contact && !chats_.strangerWindows())
        return;
    if (!contact && !chats_.roomForStranger(sender)) {
        warnings_.post(QStringLiteral("stranger held back"),
                       tr("A message from %1, who is not in your contacts, was not shown: %2 "
                          "windows of people not in your contacts are open. Close some of them "
                          "to see such messages again.")
                           .arg(shownInLine(sender))
                           .arg(ChatRegistry::MaxStrangerWindows),
                       AppTitle);
        return;
    }
    // Whether Kivo was active is taken as the message arrived, before its window is raised.
    const bool active = kivoIsActive();
    FormChat* chat = contact ? chats_.openForMessage(sender) : chats_.openForStranger(sender);
    chat->ReceiveMessage(sender, text);
    chats_.bringToFront(chat);
    if (contact)
        StartBlinkContact(contact);
    features_->privateMessageShown(chat, sender, text, active);
}

void Form1::buildStatusRow(QWidget* client) {
    StatusPictureOn =
        Pictures::statusPicture(client, QStringLiteral("StatusPictureOn"), Pictures::OnlineYellow);
    StatusPictureOn->setAccessibleName(tr("Connected"));
    StatusPictureOff =
        Pictures::statusPicture(client, QStringLiteral("StatusPictureOff"), Pictures::OfflineGrey);
    StatusPictureOff->setAccessibleName(tr("Not connected"));
    lblConnectionState = new QLabel(client);
    lblConnectionState->setObjectName(QStringLiteral("lblConnectionState"));
    lblConnectionState->setTextFormat(Qt::PlainText);
    lblConnectionState->setGeometry(twipsRect(270, 4230, 6135, 255));
    keepTextColourReadable(lblConnectionState, StateLabelBlue);
    QFont font = lblConnectionState->font();
    font.setPointSizeF(8.25);
    lblConnectionState->setFont(font);
}

void Form1::applyDisplay() {
    const ConnectionController::Display& display = connection_.display();
    mnuConnect->setText(display.connectCaption);
    lblConnectionState->setText(display.stateCaption);
    setPlainWindowTitle(this, display.windowCaption);
    if (display.online)
        ShowStatusOn();
    else
        ShowStatusOff();
}

void Form1::ShowStatusOn() {
    StatusPictureOff->hide();
    StatusPictureOn->show();
    StatusPictureOn->raise();
}

void Form1::ShowStatusOff() {
    StatusPictureOn->hide();
    StatusPictureOff->show();
    StatusPictureOff->raise();
}

void Form1::ShowLoginDialog() {
    if (loginDialog_) {
        loginDialog_->activateWindow();
        return;
    }
    Q_EMIT loginDialogOpening();
    connection_.takeTurn();
    frmLogin dialog(connection_, this);
    loginDialog_ = &dialog;
    centreOver(&dialog, this);
    dialog.exec();
}

void Form1::mnuConnect_Click() {
    if (connection_.Winsock1.state() == Winsock::Closed)
        ShowLoginDialog();
    else
        connection_.disconnectFromServer();
}

void Form1::onLoginAccepted() {
    if (loginDialog_) {
        connection_.LoggedUser = loginDialog_->txtUsername->text();
        loginDialog_->close();
        return;
    }
    // A login started without the dialog (back to the home server) uses the saved data.
    QString username, password, host;
    ConnectionFile::LoadConnectionData(username, password, host);
    connection_.LoggedUser = username;
}

void Form1::onLoginRefused() {
    if (loginDialog_) {
        loginDialog_->loginRefused();
        return;
    }
    // The saved login was refused: offer the dialog to correct it, once this event is over.
    QTimer::singleShot(0, this, &Form1::ShowLoginDialog);
}

void Form1::onConnectionLost() {
    if (loginDialog_)
        loginDialog_->UpdateOKButton();
}

} // namespace kivo
