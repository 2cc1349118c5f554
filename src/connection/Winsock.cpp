// SPDX-License-Identifier: GPL-3.0-or-later
#include "Winsock.h"

#include <QTcpSocket>

namespace kivo {
namespace {
// Bounds what Qt reads ahead for us, so a flooding server is slowed down by TCP instead of
// filling our memory.
constexpr qint64 ReadBufferSize = 1024 * 1024;
constexpr int DefaultConnectTimeout = 20000;
} // namespace

Winsock::Winsock(QObject* parent)
    : QObject(parent)
    , socket_(new QTcpSocket(this)) {
    socket_->setObjectName(QStringLiteral("Winsock1"));
    socket_->setReadBufferSize(ReadBufferSize);
    connectTimer_.setSingleShot(true);
    connectTimer_.setInterval(DefaultConnectTimeout);
    connect(&connectTimer_, &QTimer::timeout, this, [this] {
        fail(
            tr("the server did not answer within %1 seconds").arg(connectTimer_.interval() / 1000));
    });
    connect(socket_, &QTcpSocket::connected, this, [this] {
        connectTimer_.stop();
        wasConnected_ = true;
        Q_EMIT connected();
    });
    connect(socket_, &QTcpSocket::readyRead, this, &Winsock::dataArrived);
    connect(socket_, &QTcpSocket::disconnected, this, &Winsock::onDisconnected);
    connect(socket_, &QTcpSocket::errorOccurred, this, &Winsock::onError);
}

Winsock::~Winsock() {
    // Destroying the socket must not raise events into a half-destroyed owner.
    socket_->disconnect(this);
}

int Winsock::state() const {
    if (failed_)
        return Error;
    switch (socket_->state()) {
    case QAbstractSocket::UnconnectedState:
        return Closed;
    case QAbstractSocket::HostLookupState:
        return ResolvingHost;
    case QAbstractSocket::ConnectingState:
        return Connecting;
    case QAbstractSocket::ConnectedState:
        return Connected;
    case QAbstractSocket::ClosingState:
        return Closing;
    default:
        return Error;
    }
}

void Winsock::connectToHost(const QString& host, quint16 port) {
    close();
    wasConnected_ = false;
    remoteHost_ = host;
    remotePort_ = port;
    connectTimer_.start();
    socket_->connectToHost(host, port);
}

void Winsock::close() {
    connectTimer_.stop();
    failed_ = false;
    leftover_.clear();
    const QSignalBlocker quiet(socket_);
    if (socket_->state() == QAbstractSocket::ConnectedState)
        socket_->flush(); // what was sent just before still goes out
    socket_->abort();
}

void Winsock::send(const QByteArray& bytes) {
    socket_->write(bytes);
}

QByteArray Winsock::read(qint64 maxBytes) {
    if (!leftover_.isEmpty()) {
        QByteArray bytes = leftover_.left(maxBytes);
        leftover_.remove(0, bytes.size());
        return bytes;
    }
    return socket_->read(maxBytes);
}

qint64 Winsock::bytesAvailable() const {
    return leftover_.size() + socket_->bytesAvailable();
}

void Winsock::onError() {
    // A close by the server is no error: disconnected() follows and reports it.
    if (socket_->error() == QAbstractSocket::RemoteHostClosedError)
        return;
    fail(socket_->errorString());
}

void Winsock::fail(const QString& reason) {
    if (failed_)
        return;
    failed_ = true;
    connectTimer_.stop();
    leftover_ += socket_->readAll();
    // Reported from the event loop, once the socket has finished its own bookkeeping.
    QMetaObject::invokeMethod(
        this,
        [this, reason] {
            if (failed_)
                Q_EMIT failed(reason);
        },
        Qt::QueuedConnection);
}

void Winsock::onDisconnected() {
    if (failed_)
        return;
    leftover_ += socket_->readAll();
    Q_EMIT closedByServer();
}

} // namespace kivo
