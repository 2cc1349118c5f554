// SPDX-License-Identifier: GPL-3.0-or-later
#include "SingleInstance.h"

#include "Log.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QThread>
#include <unistd.h>

namespace kivo {
namespace {

constexpr int HandOverTimeout = 3000;
const QByteArray RaiseRequest = QByteArrayLiteral("raise\n");

// One name per user and folder, short enough for a socket path.
QString serverNameFor(const QString& folder) {
    const QByteArray hash =
        QCryptographicHash::hash(QDir(folder).canonicalPath().toUtf8(), QCryptographicHash::Sha1);
    return QStringLiteral("kivo-%1-%2")
        .arg(getuid())
        .arg(QString::fromLatin1(hash.toHex().left(16)));
}

} // namespace

SingleInstance::SingleInstance(const QString& folder, QObject* parent)
    : QObject(parent)
    , folder_(folder)
    , serverName_(serverNameFor(folder))
    , lock_(QDir(folder).filePath(LockFileName)) {
    // Only a lock whose process is gone is stale, however old it is.
    lock_.setStaleLockTime(0);
}

SingleInstance::Outcome SingleInstance::start() {
    if (!lock_.tryLock()) {
        if (lock_.error() == QLockFile::LockFailedError)
            return handOver() ? Outcome::HandedOver : Outcome::Unreachable;
        // A folder that cannot hold a lock (read-only, say) cannot be shared safely either,
        // but the files there cannot be written over by anyone: go on.
        qCWarning(logInstance).noquote() << "could not lock" << folder_;
        return Outcome::First;
    }
    qCDebug(logInstance).noquote() << "locked" << folder_;
    server_ = std::make_unique<QLocalServer>();
    QLocalServer::removeServer(serverName_); // left by a Kivo that did not end normally
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(serverName_))
        qCWarning(logInstance).noquote() << "cannot hear later starts:" << server_->errorString();
    connect(server_.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().contains(RaiseRequest)) {
                    qCDebug(logInstance) << "brought to the front by a second start";
                    Q_EMIT raiseRequested();
                }
            });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    return Outcome::First;
}

bool SingleInstance::handOver() {
    // The running Kivo may have the lock but not yet listen: it is given a moment.
    const QDeadlineTimer deadline(HandOverTimeout);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(serverName_);
        if (socket.waitForConnected(500)) {
            socket.write(RaiseRequest);
            const bool sent = socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
            qCDebug(logInstance) << "handed over to the running Kivo";
            return sent;
        }
        QThread::msleep(100);
    }
    return false;
}

} // namespace kivo
