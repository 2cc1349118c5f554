// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BlinkSchedule.h"
#include "ChatRegistry.h"
#include "ConnectionController.h"
#include "ContactTree.h"
#include "HistoryStore.h"
#include "Notices.h"
#include "Notifier.h"
#include "Preferences.h"
#include "Reconnector.h"
#include "WarningQueue.h"
#include "frmAbout.h"
#include "frmIgnoreList.h"
#include "frmLogin.h"
#include "frmSearchHistory.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>

class QAction;
class QLabel;
class QMenu;
class QToolBar;

namespace kivo {

class ContactCommands;
class ContactTreeView;

// The main window: owner of the connection, the contact list and the chat windows, and the
// place where the server's messages are carried out.
class Form1 : public QMainWindow {
    Q_OBJECT
public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    ConnectionController& connection() { return connection_; }
    Preferences& preferences() { return preferences_; }
    Notifier& notifier() { return notifier_; }
    Reconnector& reconnector() { return reconnector_; }
    ChatRegistry& chats() { return chats_; }
    ContactTree& contacts() { return contacts_; }
    BlinkSchedule& blink() { return blink_; }

    QMenu* mnuFile;
    QAction* mnuConnect;
    QAction* mnuStopReconnecting;
    QAction* mnuAutoConnect;
    QAction* mnuAddAContact;
    QAction* mnuJoinConference;
    QAction* mnuExit;
    QMenu* mnuTools;
    QAction* mnuIgnoreList;
    QAction* mnuSearchHistory;
    QAction* mnuPreferences;
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
    void StartBlinkContact(ContactNode* node) { blink_.StartBlinkContact(node); }

    // Shows the window, restored, in front of the others, with the focus.
    void bringToFront();

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
    void mnuPreferences_Click();
    void mnuSearchHistory_Click();
    // The search window, limited to a conversation when it comes from a chat window.
    void searchHistory(FormChat* from);
    HistoryStore* history() const { return history_.get(); }
    void mnuVeltraSite_Click();
    void mnuAbout_Click();
    void Toolbar1_ButtonClick(int index);
    frmAbout* aboutWindow() const { return about_; }

    // How long a shown main window waits for the window system to activate it before it
    // counts as activated all the same.
    static constexpr int ActivationWait = 250;
    static constexpr int HistoryCleanupInterval = 24 * 60 * 60 * 1000; // once a day
    static inline const QColor StateLabelBlue{0, 0, 192};
    static inline const QString VeltraSite = QStringLiteral("https://www.veltra.net/");

    // The ignore-list window shows the server's reply, when it is open.
    void ProcessIgnoreList(const QString& message);
    void ProcessIgnoreListEmpty();
    frmIgnoreList* ignoreListWindow() const { return ignoreList_; }

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Form_Load();
    void Form_Activate();
    void activateOnceOnScreen();
    void Form_Unload();
    void centreOverThis(QWidget* window) const;
    static bool kivoActive();
    void buildMenus();
    void buildToolbar(QWidget* client);
    void buildStatusRow(QWidget* client);
    void applyDisplay();
    void colourStateLabel();
    void onLoginAccepted();
    void onLoginRefused();
    void onConnectionLost();
    void ShowJoinConference();
    void routeMessage(const QString& message);
    void openChatFromTree(const QString& contactName, bool needsLogin);
    void deliverPrivateMessage(const QString& sender, const QString& text);
    void onNotificationActivated(const QString& conversation);
    void onConnectionDropped(const QString& host, quint16 port);
    void onReconnected();
    void showNextTry();
    void applyHistoryPreference();
    bool openHistory();
    void removeOldHistory();

    ConnectionController connection_;
    ChatRegistry chats_{connection_};
    ContactTree contacts_;
    BlinkSchedule blink_{contacts_};
    WarningQueue warnings_;
    Preferences preferences_;
    Notifier notifier_;
    Notices notices_{preferences_, notifier_};
    Reconnector reconnector_{connection_};
    std::unique_ptr<HistoryStore> history_;
    ClockTimer historyCleanup_;
    QPointer<frmSearchHistory> search_;
    QPointer<frmLogin> loginDialog_;
    QPointer<frmIgnoreList> ignoreList_;
    QPointer<frmAbout> about_;
    bool unloaded_ = false;
    bool seenOnScreen_ = false;
};

// Where a window of this inner size goes so that its frame is centred over the main window's
// frame (move() places a window by its frame).
QPoint centredFrame(const QRect& mainFrame, const QRect& mainInner, const QSize& inner);

} // namespace kivo
