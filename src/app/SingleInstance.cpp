// SPDX-License-Identifier: GPL-3.0-or-later
#include "SingleInstance.h"

#include "Log.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QPointer>
#include <QSysInfo>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kivo {
namespace {

constexpr int HandOverTimeout = 3000;
constexpr qsizetype MaxRequest = 512; // "raise", a space and an activation token
// "raise [token]"; answered "raised" or, when the window did not come, "attention".
const QByteArray RaiseRequest = QByteArrayLiteral("raise");
const QByteArray RaisedAnswer = QByteArrayLiteral("raised\n");
const QByteArray AttentionAnswer = QByteArrayLiteral("attention\n");

// Activation tokens are printable ASCII without spaces; anything else is not one.
bool isToken(QByteArrayView text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c > ' ' && c < 127; });
}

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

SingleInstance::Outcome SingleInstance::start(const QString& activationToken) {
    bool locked = lock_.tryLock();
    if (!locked && lock_.error() == QLockFile::LockFailedError && lockIsStale()) {
        qCDebug(logInstance).noquote() << "taking over a stale lock in" << folder_;
        locked = lock_.removeStaleLockFile() && lock_.tryLock();
    }
    if (!locked) {
        if (lock_.error() == QLockFile::LockFailedError)
            return handOver(activationToken);
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
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { answer(socket); });
        }
    });
    return Outcome::First;
}

void SingleInstance::answer(QLocalSocket* socket) {
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > MaxRequest)
            socket->abort();
        return;
    }
    const QByteArray request = socket->readLine(MaxRequest).trimmed();
    const qsizetype space = request.indexOf(' ');
    const QByteArray token = space < 0 ? QByteArray() : request.mid(space + 1);
    if (request.left(space < 0 ? request.size() : space) != RaiseRequest || !isToken(token)) {
        socket->abort();
        return;
    }
    qCDebug(logInstance) << "brought to the front by a second start";
    const QPointer<QLocalSocket> asking(socket);
    const auto tell = [asking](bool inFront) {
        qCDebug(logInstance) << (inFront ? "came to the front" : "asks for attention instead");
        if (asking) {
            asking->write(inFront ? RaisedAnswer : AttentionAnswer);
            asking->flush();
        }
    };
    if (raise_)
        raise_(QString::fromLatin1(token), tell);
    else
        tell(true);
}

SingleInstance::Outcome SingleInstance::handOver(const QString& activationToken) {
    if (serverName_.isEmpty())
        return Outcome::Unreachable;
    // The running Kivo may have the lock but not yet listen: it is given a moment. Only a Kivo
    // of this user that answers counts.
    const QDeadlineTimer deadline(HandOverTimeout);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(serverName_);
        if (socket.waitForConnected(500)) {
            if (!peerIsThisUser(socket))
                return Outcome::Unreachable;
            QByteArray request = RaiseRequest;
            if (!activationToken.isEmpty() && isToken(activationToken.toLatin1()))
                request += ' ' + activationToken.toLatin1();
            socket.write(request + '\n');
            while (!socket.canReadLine() && socket.waitForReadyRead(FrontWait + 1500)) {
            }
            const QByteArray answer = socket.readLine(64);
            qCDebug(logInstance) << "handed over to the running Kivo:"
                                 << (answer.isEmpty() ? QByteArray("no answer") : answer.trimmed());
            if (answer == RaisedAnswer)
                return Outcome::HandedOver;
            return answer == AttentionAnswer ? Outcome::Attention : Outcome::Unreachable;
        }
        QThread::msleep(100);
    }
    return Outcome::Unreachable;
}

} // namespace kivo
