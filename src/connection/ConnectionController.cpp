// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConnectionController.h"

#include "Codec.h"
#include "ConnectionFile.h"
#include "Log.h"
#include "MessageBoxes.h"
#include "Protocol.h"

#include <QElapsedTimer>
#include <algorithm>

namespace kivo {
namespace {
constexpr qint64 ReadChunk = 64 * 1024;
} // namespace

ConnectionController::ConnectionController(QObject* parent)
    : QObject(parent)
    , display_{tr("&Connect"), tr("Disconnected!"), AppTitle, false} {
    tmrPing.setObjectName(QStringLiteral("tmrPing"));
    tmrPing.setInterval(KeepAliveInterval);
    tmrPing.start(); // ticks from the start; finds the socket closed until the first login
    connect(&tmrPing, &ClockTimer::timeout, this, &ConnectionController::tmrPing_Timer);

    tailTimer_.setSingleShot(true);
    connect(&tailTimer_, &QTimer::timeout, this, &ConnectionController::flushTail);

    connect(&Winsock1, &Winsock::connected, this, &ConnectionController::Winsock1_Connect);
    connect(&Winsock1, &Winsock::closedByServer, this, &ConnectionController::Winsock1_Close);
    connect(&Winsock1, &Winsock::dataArrived, this, &ConnectionController::Winsock1_DataArrival);
    connect(&Winsock1, &Winsock::failed, this, &ConnectionController::onFailed);
    connect(&Winsock1, &Winsock::certificateRefused, this,
            // By value: closing the socket drops what the reference points at.
            [this](CertificateRefusal refusal) {
                qCDebug(logConnection).noquote() << "certificate refused:" << refusal.reason;
                const QString host = Winsock1.remoteHost();
                const quint16 port = Winsock1.remotePort();
                endFailedConnection();
                Q_EMIT certificateRefused(host, port, refusal);
            });
}

bool ConnectionController::SendMessageToUser(const QString& /*username*/, const QString& message) {
    if (!isConnected())
        return false;
    return sendLine(message);
}

bool ConnectionController::sendLine(const QString& command) {
    // A line end inside would make it two commands, and other control characters (from a
    // hand-edited file, or a name the server sent) reach the other side raw.
    const bool control = std::any_of(command.begin(), command.end(),
                                     [](QChar ch) { return ch.unicode() < 0x20 && ch != u'\t'; });
    if (control) {
        qCWarning(logConnection) << "refused to send a line holding a control character";
        warn(tr("This was not sent: it holds a line break or another control character, which "
                "cannot go to the server."));
        return false;
    }
    qCDebug(logConnection).noquote() << "sent:" << loggable(command);
    Winsock1.send(commandLine(command));
    return true;
}

bool ConnectionController::checkPort(qint64 port) {
    if (ConnectionFile::isValidPort(port))
        return true;
    warn(tr("The saved server port %1 is not a valid port.\n"
            "Choose a port from 1 to 65535 with Details... in the login dialog.")
             .arg(port));
    return false;
}

void ConnectionController::connectTo(const QString& host, quint16 port) {
    qCDebug(logConnection).noquote() << "connecting to" << host << "port" << port;
    takeTurn();
    if (Winsock1.state() != Winsock::Closed)
        Winsock1.close();
    receiver_.reset();
    tailTimer_.stop();
    endOfStream_ = false;
    loggedIn_ = false;
    Winsock1.connectToHost(host, port);
    Q_EMIT connectStarted();
}

void ConnectionController::disconnectFromServer() {
    qCDebug(logConnection) << "disconnected by the user";
    takeTurn();
    Winsock1.close();
    receiver_.reset();
    tailTimer_.stop();
    loggedIn_ = false;
    showOffline();
    Q_EMIT disconnectedByUser();
}

void ConnectionController::abandon() {
    qCDebug(logConnection) << "abandoned";
    Winsock1.close();
    lost();
}

void ConnectionController::showOffline() {
    display_.connectCaption = tr("Connect...");
    display_.stateCaption = tr("Disconnected!");
    display_.windowCaption = AppTitle;
    display_.online = false;
    LoggedUser.clear();
    tmrPing.stop();
    Q_EMIT displayChanged();
}

void ConnectionController::Winsock1_Connect() {
    qCDebug(logConnection) << "connected";
    display_.connectCaption = tr("Disconnect");
    display_.stateCaption = tr("Connected!");
    // Sent without the state test of the send path: the socket has just said it is connected.
    sendLine(Command::login(LoginUser, LoginPass));
    LoggedUser = LoginUser;
    display_.windowCaption = tr("Kivo - %1").arg(LoginUser);
    display_.online = true;
    tmrPing.start();
    Q_EMIT displayChanged();
}

void ConnectionController::Winsock1_Close() {
    qCDebug(logConnection) << "closed by the server";
    // Lines that arrived before the close are still routed, the unterminated last one too.
    endOfStream_ = true;
    pump();
    lost();
}

void ConnectionController::lost() {
    const bool wasLoggedIn = std::exchange(loggedIn_, false);
    showOffline();
    Q_EMIT connectionLost();
    if (wasLoggedIn)
        Q_EMIT connectionDropped(Winsock1.remoteHost(), Winsock1.remotePort());
}

void ConnectionController::onFailed(const QString& reason) {
    qCDebug(logConnection).noquote() << "failed:" << reason;
    const bool wasConnected = Winsock1.wasConnected();
    const QString host = Winsock1.remoteHost();
    const quint16 port = Winsock1.remotePort();
    const bool report = reportFailures;
    endFailedConnection();
    if (!report)
        return;
    const QString text = wasConnected ? tr("The connection to %1 on port %2 was lost: %3.")
                                      : tr("Could not connect to %1 on port %2: %3.");
    warn(text.arg(host).arg(port).arg(reason), tr("Connection Error"));
}

void ConnectionController::endFailedConnection() {
    // What arrived before the failure is still routed, after the socket is closed.
    receiver_.feed(Winsock1.read(Winsock1.bytesAvailable()));
    endOfStream_ = true;
    Winsock1.close();
    pump();
    WaitingForLogin = false;
    lost();
}

void ConnectionController::tmrPing_Timer() {
    if (isConnected()) {
        qCDebug(logConnection) << "sent: keep-alive";
        Winsock1.send(Command::KeepAlive);
    }
}

void ConnectionController::Winsock1_DataArrival() {
    // While a continuation is queued it reads the new bytes too; pumping here as well would
    // give one turn of the event loop two slices of work.
    if (!continuationQueued_)
        pump();
}

void ConnectionController::pump() {
    // Routing may open a modal box whose event loop delivers more data: it waits its turn.
    if (routing_)
        return;
    routing_ = true;
    QElapsedTimer slice;
    slice.start();
    bool more = false;
    for (;;) {
        if (std::optional<QString> message = receiver_.next()) {
            handleMessage(*message);
            if (slice.elapsed() >= RoutingSlice) {
                more = true;
                break;
            }
            continue;
        }
        if (Winsock1.bytesAvailable() > 0) {
            receiver_.feed(Winsock1.read(ReadChunk));
            continue;
        }
        break;
    }
    routing_ = false;
    if (more) {
        // Mid-flood the tail is only where the last read was cut; the wait starts once the
        // lines have all been routed.
        tailTimer_.stop();
        if (!continuationQueued_) {
            continuationQueued_ = true;
            QTimer::singleShot(0, this, [this] {
                continuationQueued_ = false;
                pump();
            });
        }
        return;
    }
    if (!receiver_.midLine())
        tailTimer_.stop();
    else if (endOfStream_)
        flushTail();
    else
        tailTimer_.start(receiver_.tailWait());
}

void ConnectionController::flushTail() {
    if (routing_) {
        tailTimer_.start();
        return;
    }
    // Lines ahead of the tail are routed first, and bytes already here may end it.
    if (receiver_.pendingMessages() > 0 || Winsock1.bytesAvailable() > 0) {
        pump();
        return;
    }
    if (std::optional<QString> message = receiver_.takeTail()) {
        routing_ = true;
        handleMessage(*message);
        routing_ = false;
        // Lines that arrived meanwhile (a box may have been open) were turned away.
        pump();
    }
}

void ConnectionController::handleMessage(const QString& message) {
    qCDebug(logConnection).noquote() << "received:" << message;
    const ServerReply* reply = recogniseReply(message, WaitingForLogin);
    if (reply && reply->outcome == ReplyOutcome::LoginRefused) {
        warn(tr("Invalid username or password!"), tr("Login Error"));
        Q_EMIT loginRefused();
        WaitingForLogin = false;
        display_.windowCaption = AppTitle;
        Q_EMIT displayChanged();
        return;
    }
    if (reply && reply->outcome == ReplyOutcome::LoginAccepted) {
        loggedIn_ = true;
        Q_EMIT loginAccepted();
        WaitingForLogin = false;
        return;
    }
    Q_EMIT messageReceived(message);
}

} // namespace kivo
