// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ClockTimer.h"
#include "Keyring.h"
#include "LineReceiver.h"
#include "Winsock.h"

#include <QObject>
#include <QTimer>

namespace kivo {

// The connection to the chat server: the socket, the login exchange, the keep-alive, the one
// send path and the one receive path. The main window shows its display state.
class ConnectionController : public QObject {
    Q_OBJECT
public:
    static constexpr int KeepAliveInterval = 5000;
    static constexpr int RoutingSlice = 5; // ms of routing before the event loop runs again

    struct Display {
        QString connectCaption;
        QString stateCaption;
        QString windowCaption;
        bool online = false;
    };

    explicit ConnectionController(QObject* parent = nullptr);

    // Connection fields.
    bool WaitingForLogin = false;
    QString LoginUser;
    QString LoginPass;
    QString LoggedUser; // empty: not connected

    Winsock Winsock1;
    // Where the saved login keeps its password.
    Keyring keyring;
    ClockTimer tmrPing;
    // A failed connect or a broken connection is reported in a box (not while reconnecting).
    bool reportFailures = true;

    const Display& display() const { return display_; }
    bool isConnected() const { return Winsock1.state() == Winsock::Connected; }

    // The one send path for commands; drops the line when not connected, or when it holds a
    // line end, and says so.
    bool SendMessageToUser(const QString& username, const QString& message);

    // A port outside 1 to 65535 is refused with a message box.
    static bool checkPort(qint64 port);
    // Closes a socket that is not closed, then starts connecting.
    void connectTo(const QString& host, quint16 port);
    // The disconnect branch of the Connect command.
    void disconnectFromServer();
    // Closes a connection that is of no use (its login is never answered) as if it was lost.
    void abandon();
    // The user's own steps (a connect, a disconnect, the login dialog opened) each take a turn:
    // a connect that waited for something (the keyring's answer) goes ahead only if nobody
    // took one meanwhile.
    quint64 turn() const { return turn_; }
    void takeTurn() { ++turn_; }

    void Winsock1_Connect();
    void Winsock1_Close();
    void Winsock1_DataArrival();
    void tmrPing_Timer();

Q_SIGNALS:
    void displayChanged();
    // A server message that the login phase did not consume, in arrival order.
    void messageReceived(const QString& message);
    void loginRefused();
    // The receiver sets LoggedUser from the login dialog and closes the dialog.
    void loginAccepted();
    // The connection failed or the server closed it: the socket is closed again.
    void connectionLost();
    // ... and it was a connection whose login the server had accepted.
    void connectionDropped(const QString& host, quint16 port);
    void connectStarted();
    // With TLS: the server's certificate was refused and nothing was sent; the connection is
    // closed, as after a failure.
    void certificateRefused(const QString& host, quint16 port, const CertificateRefusal& refusal);
    void disconnectedByUser();

private:
    bool sendLine(const QString& command);
    void onFailed(const QString& reason);
    void endFailedConnection();
    void showOffline();
    void lost();
    void handleMessage(const QString& message);
    void pump();
    void flushTail();

    Display display_;
    LineReceiver receiver_;
    QTimer tailTimer_;
    bool routing_ = false;
    bool continuationQueued_ = false;
    bool endOfStream_ = false;
    bool loggedIn_ = false; // the server accepted the login on this connection
    quint64 turn_ = 0;
};

} // namespace kivo
