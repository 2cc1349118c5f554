#pragma once

#include "ChatRegistry.h"
#include "ConnectionController.h"
#include "frmLogin.h"

#include <QMainWindow>
#include <QPointer>

class QAction;
class QLabel;
class QMenu;

namespace kivo {


// The main window: owner of the connection, and the place where the server's messages are
// carried out.
class Form1 : public QMainWindow {
    Q_OBJECT
public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    ConnectionController& connection() { return connection_; }
    ChatRegistry& chats() { return chats_; }
    FormChat* OpenChatWindow(const QString& contactName) { return chats_.OpenChatWindow(contactName); }

    QMenu* mnuFile;
    QAction* mnuConnect;
    QLabel* StatusPictureOn;
    QLabel* StatusPictureOff;
    QLabel* lblConnectionState;

    // The one way to open the login dialog: centred over this window, modal.
    void ShowLoginDialog();
    frmLogin* loginDialog() const { return loginDialog_; }

    void ShowStatusOn();
    void ShowStatusOff();
    void mnuConnect_Click();

private:
    void buildMenus();
    void buildStatusRow(QWidget* client);
    void applyDisplay();
    void onLoginAccepted();
    void onLoginRefused();
    void onConnectionLost();

    ConnectionController connection_;
    ChatRegistry chats_{connection_};
    QPointer<frmLogin> loginDialog_;
};

} // namespace kivo
