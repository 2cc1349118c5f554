// SPDX-License-Identifier: GPL-3.0-or-later
#include "SingleInstance.h"

#include "Log.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QSysInfo>
#include <QThread>
#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kivo {
namespace {

constexpr int HandOverTimeout = 3000;
const QByteArray RaiseRequest = QByteArrayLiteral("raise\n");
const QByteArray RaisedAnswer = QByteArrayLiteral("raised\n");

// A folder only this user can enter: $XDG_RUNTIME_DIR, or one made for the purpose. Another
// user must not be able to take the socket's name first.
QString privateSocketFolder() {
    const auto ours = [](const QString& folder) {
        struct stat status {};
        return lstat(QFile::encodeName(folder).constData(), &status) == 0 &&
               S_ISDIR(status.st_mode) && status.st_uid == getuid() &&
               (status.st_mode & (S_IRWXG | S_IRWXO)) == 0;
    };
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && ours(runtime))
        return runtime;
    const QString own = QDir::tempPath() + QStringLiteral("/kivo-%1").arg(getuid());
    ::mkdir(QFile::encodeName(own).constData(), 0700);
    return ours(own) ? own : QString();
}

// One name per user and folder, short enough for a socket path.
QString serverNameFor(const QString& folder) {
    const QByteArray hash =
        QCryptographicHash::hash(QDir(folder).canonicalPath().toUtf8(), QCryptographicHash::Sha1);
    const QString socketFolder = privateSocketFolder();
    if (socketFolder.isEmpty())
        return {};
    return socketFolder +
           QStringLiteral("/kivo-%1").arg(QString::fromLatin1(hash.toHex().left(16)));
}

// The other end of a local socket is this user.
bool peerIsThisUser(const QLocalSocket& socket) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return getsockopt(static_cast<int>(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer,
                      &size) == 0 &&
           peer.uid == getuid();
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

bool SingleInstance::lockIsStale() {
    // A lock that cannot be read, was left on another machine, or names a process that is no
    // longer there holds nobody.
    qint64 pid = 0;
    QString host;
    QString application;
    if (!lock_.getLockInfo(&pid, &host, &application) || pid <= 0 ||
        host != QSysInfo::machineHostName())
        return true;
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

SingleInstance::Outcome SingleInstance::start() {
    bool locked = lock_.tryLock();
    if (!locked && lock_.error() == QLockFile::LockFailedError && lockIsStale()) {
        qCDebug(logInstance).noquote() << "taking over a stale lock in" << folder_;
        locked = lock_.removeStaleLockFile() && lock_.tryLock();
    }
    if (!locked) {
        if (lock_.error() == QLockFile::LockFailedError)
            return handOver() ? Outcome::HandedOver : Outcome::Unreachable;
        // A folder that cannot hold a lock (read-only, say) cannot be shared safely either,
        // but the files there cannot be written over by anyone: go on.
        qCWarning(logInstance).noquote() << "could not lock" << folder_;
        return Outcome::First;
    }
    qCDebug(logInstance).noquote() << "locked" << folder_;
    if (serverName_.isEmpty()) {
        qCWarning(logInstance) << "no private folder for the socket later starts talk to";
        return Outcome::First;
    }
    server_ = std::make_unique<QLocalServer>();
    QLocalServer::removeServer(serverName_); // left by a Kivo that did not end normally
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(serverName_))
        qCWarning(logInstance).noquote() << "cannot hear later starts:" << server_->errorString();
    connect(server_.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            if (!peerIsThisUser(*socket)) {
                qCWarning(logInstance) << "refused a start by another user";
                socket->abort();
                continue;
            }
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().contains(RaiseRequest)) {
                    qCDebug(logInstance) << "brought to the front by a second start";
                    Q_EMIT raiseRequested();
                    socket->write(RaisedAnswer);
                    socket->flush();
                }
            });
        }
    });
    return Outcome::First;
}

bool SingleInstance::handOver() {
    if (serverName_.isEmpty())
        return false;
    // The running Kivo may have the lock but not yet listen: it is given a moment. Only a Kivo
    // of this user that says it came to the front counts.
    const QDeadlineTimer deadline(HandOverTimeout);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(serverName_);
        if (socket.waitForConnected(500)) {
            if (!peerIsThisUser(socket))
                return false;
            socket.write(RaiseRequest);
            QByteArray answer;
            while (!answer.contains(RaisedAnswer) && socket.waitForReadyRead(1000))
                answer += socket.readAll();
            qCDebug(logInstance) << "handed over to the running Kivo:"
                                 << (answer.contains(RaisedAnswer) ? "it answered" : "no answer");
            return answer.contains(RaisedAnswer);
        }
        QThread::msleep(100);
    }
    return false;
}

} // namespace kivo
