// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BlinkSchedule.h"
#include "ChatRegistry.h"
#include "ConnectionController.h"
#include "ContactTree.h"
#include "Protocol.h"
#include "WarningQueue.h"
#include "frmAbout.h"
#include "frmIgnoreList.h"
#include "frmLogin.h"

#include <QMainWindow>
#include <QPointer>

class QAction;
class QLabel;
class QMenu;
class QToolBar;

namespace kivo {

class ContactCommands;
class ContactTreeView;
class OptionalFeatures;

// The main window: owner of the connection, the contact list and the chat windows, and the
// place where the server's messages are carried out.
class Form1 : public QMainWindow {
    Q_OBJECT
public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    ConnectionController& connection() { return connection_; }
    // Notifications, reconnecting, the history: what Kivo does beyond its description.
    OptionalFeatures& features() { return *features_; }
    ChatRegistry& chats() { return chats_; }
    ContactTree& contacts() { return contacts_; }
    BlinkSchedule& blink() { return blink_; }

    QMenu* mnuFile;
    QAction* mnuConnect;
    QAction* mnuAutoConnect;
    QAction* mnuAddAContact;
    QAction* mnuJoinConference;
    QAction* mnuExit;
    QMenu* mnuTools;
    QAction* mnuIgnoreList;
    QMenu* mnuHelp;
    QAction* mnuVeltraSite;
    QAction* mnuAbout;
    QToolBar* Toolbar1;
    QHash<QString, QIcon> imlToolbarIcons;
    QList<QAction*> toolbarButtons; // index 0 is button 1
    ContactTreeView* tvContacts;
    ContactCommands* contactCommands;
    QLabel* StatusPictureOn;
    QLabel* StatusPictureOff;
    QLabel* lblConnectionState;
    ClockTimer tmrBlink;

    bool AutoConnect = false;
    bool Activated = false;

    // The one way to open the login dialog: centred over this window, modal.
    void ShowLoginDialog();
    frmLogin* loginDialog() const { return loginDialog_; }

    FormChat* OpenChatWindow(const QString& contactName) {
        return chats_.OpenChatWindow(contactName);
    }
    void StartBlinkContact(ContactNode* node) {
        blink_.StartBlinkContact(node);
        if (!tmrBlink.isActive())
            tmrBlink.start();
    }

    void ShowStatusOn();
    void ShowStatusOff();
    void mnuConnect_Click();
    void mnuAutoConnect_Click();
    // Ends Kivo as Exit does, without asking (a desktop logging out).
    void quit();
    void mnuExit_Click();
    void mnuJoinConference_Click();
    void mnuAddAContact_Click();
    void mnuIgnoreList_Click();
    void mnuVeltraSite_Click();
    void mnuAbout_Click();
    void Toolbar1_ButtonClick(int index);
    frmAbout* aboutWindow() const { return about_; }

    static inline const QColor StateLabelBlue{0, 0, 192};
    static inline const QString VeltraSite = QStringLiteral("https://www.veltra.net/");

    // The ignore-list window shows the server's reply, when it is open.
    void ProcessIgnoreList(const QString& message);
    void ProcessIgnoreListEmpty();
    frmIgnoreList* ignoreListWindow() const { return ignoreList_; }

Q_SIGNALS:
    void loginDialogOpening();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void buildMenus();
    void buildToolbar(QWidget* client);
    void buildStatusRow(QWidget* client);
    void applyDisplay();
    void onLoginAccepted();
    void onLoginRefused();
    void onConnectionLost();
    void ShowJoinConference();
    void routeMessage(const QString& message);
    void openChatFromTree(const QString& contactName, bool needsLogin);
    void deliverPrivateMessage(const QString& sender, const QString& text);
    void sayWhatWasNotTaken(ReplyAnswers answers);

    ConnectionController connection_;
    ChatRegistry chats_{connection_};
    ContactTree contacts_;
    BlinkSchedule blink_{contacts_};
    WarningQueue warnings_;
    std::unique_ptr<OptionalFeatures> features_;
    QPointer<frmLogin> loginDialog_;
    QPointer<frmIgnoreList> ignoreList_;
    QPointer<frmAbout> about_;
    bool unloaded_ = false;
};

} // namespace kivo
