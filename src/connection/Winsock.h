// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QObject>
#include <QSslCertificate>
#include <QTimer>
#include <functional>
#include <optional>

class QSslError;
class QTcpSocket;

namespace kivo {

// A server's certificate that the system does not vouch for and the user has not accepted
// for that server: the connection was closed before anything was sent.
struct CertificateRefusal {
    QSslCertificate certificate;
    QByteArray accepted; // the SHA-256 fingerprint accepted before for the server, if any
    QString reason;
    // The system trusts the certificate, but it is made out to another host name.
    bool otherName = false;
};

// The client's one TCP connection, with the small state model the program relies on:
// 0 closed, 7 connected, anything else neither.
class Winsock : public QObject {
    Q_OBJECT
public:
    enum State {
        Closed = 0,
        ResolvingHost = 4,
        Connecting = 6,
        Connected = 7,
        Closing = 8,
        Error = 9,
    };

    // Asked when a server's certificate is not one the system trusts: the SHA-256 fingerprint
    // of the certificate the user accepted for that server, empty when none.
    using AcceptedCertificate = std::function<QByteArray(const QString& host, quint16 port)>;

    explicit Winsock(QObject* parent = nullptr);
    ~Winsock() override;

    int state() const;
    QString remoteHost() const { return remoteHost_; }
    quint16 remotePort() const { return remotePort_; }
    // Whether the connection last started has been made at some point.
    bool wasConnected() const { return wasConnected_; }

    // With TLS the connection counts as made once the handshake is done; until then nothing
    // can be sent. The TLS library is loaded only when it is asked for. From the next connect.
    void setTls(bool tls, AcceptedCertificate accepted = {});
    bool isEncrypted() const;
    void connectToHost(const QString& host, quint16 port);
    // Closes at once, dropping unread data; raises no closedByServer.
    void close();
    void send(const QByteArray& bytes);
    QByteArray read(qint64 maxBytes);
    qint64 bytesAvailable() const;

    // How long a connect may take before it counts as failed.
    void setConnectTimeout(int milliseconds) { connectTimer_.setInterval(milliseconds); }

Q_SIGNALS:
    void connected();
    void closedByServer();
    void dataArrived();
    // A failed connect or a broken connection; the socket stays in Error until closed.
    void failed(const QString& reason);
    // The server's certificate is neither trusted by the system nor the one accepted before.
    void certificateRefused(const CertificateRefusal& refusal);

private:
    void makeSocket(bool tls);
    void onSslErrors(const QList<QSslError>& errors);
    void onError();
    void onDisconnected();
    void fail(const QString& reason);

    QTcpSocket* socket_ = nullptr;
    bool tls_ = false;     // the socket's kind
    bool wantTls_ = false; // the kind the next connect uses
    AcceptedCertificate accepted_;
    QTimer connectTimer_;
    QString remoteHost_;
    quint16 remotePort_ = 0;
    std::optional<CertificateRefusal> refusal_; // of the connect under way
    QString sslFailure_;  // why a certificate failed the handshake
    QByteArray leftover_; // bytes that were still unread when the server closed
    bool failed_ = false;
    bool wasConnected_ = false;
};

} // namespace kivo
