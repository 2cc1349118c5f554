// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QList>
#include <QPointer>
#include <QSet>
#include <QSslConfiguration>
#include <QString>
#include <QTcpServer>
#include <QTimer>
#include <memory>

class QTcpSocket;

namespace veltra {

// A small Veltra chat server for demos and tests: accounts registered on first login,
// private messages, conference rooms, ignore lists and the keep-alive, in the line protocol
// the client speaks.
class ChatServer : public QObject {
    Q_OBJECT
public:
    static constexpr qsizetype MaxLineLength = 8 * 1024;
    static constexpr qsizetype MaxPending = 64 * 1024;

    struct Options {
        QString name = QStringLiteral("localhost"); // the server part of room@server
        QString accountsFile;                       // empty: accounts live in memory only
        std::optional<QSslConfiguration> tls;       // with a certificate: TLS only
    };

    explicit ChatServer(Options options, QObject* parent = nullptr);
    ~ChatServer() override;

    bool listen(const QHostAddress& address, quint16 port);
    quint16 port() const { return server_->serverPort(); }
    QString errorString() const { return server_->errorString(); }

private:
    struct Session {
        QTcpSocket* socket = nullptr;
        QByteArray pending;
        QString user; // empty until logged in
        QString room;
        QTimer* slashTimer = nullptr; // a lone "/" is a keep-alive unless a command follows
    };

    void accept();
    void receive(Session* session);
    void takeLines(Session* session);
    void handle(Session* session, const QString& line);
    void send(Session* session, const QString& line);
    void drop(Session* session);

    void login(Session* session, const QString& arguments);
    void privateMessage(Session* session, const QString& arguments);
    void join(Session* session, const QString& address);
    void leaveRoom(Session* session);
    void say(Session* session, const QString& text);
    void ignoreList(Session* session, const QString& command, const QString& argument);
    void flood(Session* session, const QString& arguments);
    void toRoom(const QString& room, const QString& line);
    Session* online(const QString& user) const;

    void loadAccounts();
    void saveAccounts() const;

    Options options_;
    std::unique_ptr<QTcpServer> server_;
    QList<Session*> sessions_;
    QHash<QString, QString> passwords_;    // user -> password
    QHash<QString, QStringList> ignoring_; // user -> users they ignore, in order
};

} // namespace veltra
