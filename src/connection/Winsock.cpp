// SPDX-License-Identifier: GPL-3.0-or-later
#include "Winsock.h"

#include <QSslSocket>

namespace kivo {
namespace {
// Bounds what Qt reads ahead for us, so a flooding server is slowed down by TCP instead of
// filling our memory.
constexpr qint64 ReadBufferSize = 1024 * 1024;
constexpr int DefaultConnectTimeout = 20000;
} // namespace

Winsock::Winsock(QObject* parent)
    : QObject(parent) {
    connectTimer_.setSingleShot(true);
    connectTimer_.setInterval(DefaultConnectTimeout);
    connect(&connectTimer_, &QTimer::timeout, this, [this] {
        const int seconds = connectTimer_.interval() / 1000;
        // Connected but not encrypted: a plain server waits for a line that never comes.
        fail(socket_->state() == QAbstractSocket::ConnectedState
                 ? tr("the server did not begin an encrypted connection within %1 seconds")
                       .arg(seconds)
                 : tr("the server did not answer within %1 seconds").arg(seconds));
    });
    makeSocket(false);
}

void Winsock::makeSocket(bool tls) {
    if (socket_) {
        socket_->disconnect(this);
        socket_->abort();
        socket_->deleteLater();
    }
    tls_ = tls;
    socket_ = tls ? new QSslSocket(this) : new QTcpSocket(this);
    socket_->setObjectName(QStringLiteral("Winsock1"));
    socket_->setReadBufferSize(ReadBufferSize);
    const auto made = [this] {
        if (failed_)
            return; // a refused certificate ends the connect, whatever the handshake does
        connectTimer_.stop();
        wasConnected_ = true;
        Q_EMIT connected();
    };
    if (auto* ssl = qobject_cast<QSslSocket*>(socket_)) {
        connect(ssl, &QSslSocket::encrypted, this, made);
        connect(ssl, &QSslSocket::sslErrors, this, &Winsock::onSslErrors);
    } else {
        connect(socket_, &QTcpSocket::connected, this, made);
    }
    connect(socket_, &QTcpSocket::readyRead, this, &Winsock::dataArrived);
    connect(socket_, &QTcpSocket::disconnected, this, &Winsock::onDisconnected);
    connect(socket_, &QTcpSocket::errorOccurred, this, &Winsock::onError);
}

void Winsock::setTls(bool tls, AcceptedCertificate accepted) {
    // Taken at the next connect: the connection there is now stays as it is.
    wantTls_ = tls;
    accepted_ = std::move(accepted);
}

bool Winsock::isEncrypted() const {
    const auto* ssl = qobject_cast<const QSslSocket*>(socket_);
    return ssl && ssl->isEncrypted();
}

void Winsock::onSslErrors(const QList<QSslError>& errors) {
    // These say only that nobody the system trusts vouches for the certificate: the user may
    // vouch for it instead. Any other (expired, revoked, forged) fails the handshake.
    static const QList<QSslError::SslError> unvouched = {
        QSslError::SelfSignedCertificate,
        QSslError::SelfSignedCertificateInChain,
        QSslError::UnableToGetLocalIssuerCertificate,
        QSslError::UnableToVerifyFirstCertificate,
        QSslError::UnableToGetIssuerCertificate,
        QSslError::CertificateUntrusted,
        QSslError::HostNameMismatch,
    };
    QStringList reasons;
    bool otherName = true;
    for (const QSslError& error : errors) {
        if (!unvouched.contains(error.error())) {
            // Not ignored: the handshake fails, and this is why, whatever Qt names first.
            sslFailure_ = error.errorString();
            return;
        }
        reasons << error.errorString();
        otherName = otherName && error.error() == QSslError::HostNameMismatch;
    }
    auto* ssl = static_cast<QSslSocket*>(socket_);
    const QSslCertificate certificate = ssl->peerCertificate();
    const QByteArray accepted = accepted_ ? accepted_(remoteHost_, remotePort_) : QByteArray();
    if (!accepted.isEmpty() && accepted == certificate.digest(QCryptographicHash::Sha256)) {
        ssl->ignoreSslErrors(errors);
        return;
    }
    // Not ignored, so the handshake fails next; and the connect is over already, so nothing is
    // sent whatever the handshake does.
    refusal_ = CertificateRefusal{certificate, accepted, reasons.join(QStringLiteral("; ")),
                                  otherName};
    fail(refusal_->reason);
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
        return tls_ && !isEncrypted() ? Connecting : Connected;
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
    // Each encrypted connect has a socket of its own: Qt keeps the errors a socket was told to
    // ignore, and a certificate accepted for one server must not pass for another.
    if (wantTls_ || tls_)
        makeSocket(wantTls_);
    connectTimer_.start();
    if (tls_)
        static_cast<QSslSocket*>(socket_)->connectToHostEncrypted(host, port);
    else
        socket_->connectToHost(host, port);
}

void Winsock::close() {
    connectTimer_.stop();
    failed_ = false;
    refusal_.reset();
    sslFailure_.clear();
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
    return socket_->isOpen() ? socket_->read(maxBytes) : QByteArray();
}

qint64 Winsock::bytesAvailable() const {
    return leftover_.size() + socket_->bytesAvailable();
}

void Winsock::onError() {
    // A close by the server is no error: disconnected() follows and reports it.
    if (socket_->error() == QAbstractSocket::RemoteHostClosedError)
        return;
    fail(sslFailure_.isEmpty() ? socket_->errorString() : sslFailure_);
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
            if (!failed_)
                return;
            if (refusal_)
                Q_EMIT certificateRefused(*refusal_);
            else
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
