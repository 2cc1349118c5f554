// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChatServer.h"

#include <QFile>
#include <QSaveFile>
#include <QSslServer>
#include <QTcpSocket>

namespace veltra {
namespace {

// Everything up to the first space, and the rest.
std::pair<QString, QString> firstWord(const QString& text) {
    const qsizetype space = text.indexOf(u' ');
    if (space < 0)
        return {text, QString()};
    return {text.left(space), text.mid(space + 1)};
}

} // namespace

ChatServer::ChatServer(Options options, QObject* parent)
    : QObject(parent)
    , options_(std::move(options)) {
    loadAccounts();
    if (options_.tls) {
        auto* tls = new QSslServer;
        tls->setSslConfiguration(*options_.tls);
        server_.reset(tls);
    } else {
        server_ = std::make_unique<QTcpServer>();
    }
    // A TLS connection is pending only once its handshake is done.
    connect(server_.get(), &QTcpServer::pendingConnectionAvailable, this, &ChatServer::accept);
}

ChatServer::~ChatServer() {
    for (Session* session : sessions_) {
        session->socket->disconnect(this);
        delete session;
    }
}

bool ChatServer::listen(const QHostAddress& address, quint16 port) {
    return server_->listen(address, port);
}

void ChatServer::accept() {
    while (QTcpSocket* socket = server_->nextPendingConnection()) {
        auto* session = new Session;
        session->socket = socket;
        session->slashTimer = new QTimer(socket);
        session->slashTimer->setSingleShot(true);
        session->slashTimer->setInterval(50);
        sessions_.append(session);
        connect(socket, &QTcpSocket::readyRead, this, [this, session] { receive(session); });
        connect(socket, &QTcpSocket::disconnected, this, [this, session] { drop(session); });
        connect(session->slashTimer, &QTimer::timeout, this, [this, session] {
            if (session->pending == "/") {
                session->pending.clear();
                send(session, QStringLiteral("*Ping!*"));
            }
        });
    }
}

void ChatServer::receive(Session* session) {
    session->pending += session->socket->readAll();
    if (session->pending.size() > MaxPending) {
        // A client that never ends its lines is not speaking this protocol.
        session->socket->disconnectFromHost();
        return;
    }
    takeLines(session);
}

void ChatServer::takeLines(Session* session) {
    QByteArray& pending = session->pending;
    for (;;) {
        // The keep-alive is a lone "/" without a line end, possibly glued to what follows.
        if (pending.startsWith("//")) {
            pending.remove(0, 1);
            send(session, QStringLiteral("*Ping!*"));
            continue;
        }
        if (pending == "/") {
            session->slashTimer->start();
            return;
        }
        const qsizetype end = pending.indexOf('\n');
        if (end < 0)
            return;
        QByteArray line = pending.left(end);
        pending.remove(0, end + 1);
        if (line.endsWith('\r'))
            line.chop(1);
        const QString text = QString::fromUtf8(line.left(MaxLineLength)).trimmed();
        if (!text.isEmpty())
            handle(session, text);
        if (!sessions_.contains(session))
            return;
    }
}

void ChatServer::send(Session* session, const QString& line) {
    session->socket->write((line + QStringLiteral("\r\n")).toUtf8());
}

void ChatServer::drop(Session* session) {
    if (!sessions_.removeOne(session))
        return;
    leaveRoom(session);
    session->socket->deleteLater();
    delete session;
}

void ChatServer::handle(Session* session, const QString& line) {
    if (!line.startsWith(u'/')) {
        say(session, line);
        return;
    }
    const auto [command, arguments] = firstWord(line);
    if (command == u"/login") {
        login(session, arguments);
        return;
    }
    if (session->user.isEmpty()) {
        send(session, QStringLiteral("Please log in first."));
        return;
    }
    if (command == u"/pm")
        privateMessage(session, arguments);
    else if (command == u"/join_server")
        join(session, arguments.trimmed());
    else if (command.startsWith(QStringLiteral("/ignore-")))
        ignoreList(session, command, arguments.trimmed());
    else if (command == u"/dev-flood")
        flood(session, arguments);
    else
        send(session, QStringLiteral("Unknown command."));
}

void ChatServer::login(Session* session, const QString& arguments) {
    const auto [user, password] = firstWord(arguments);
    if (user.isEmpty() || password.isEmpty()) {
        send(session, QStringLiteral("Invalid username or password."));
        return;
    }
    if (!passwords_.contains(user)) {
        passwords_.insert(user, password);
        saveAccounts();
    } else if (passwords_.value(user) != password) {
        send(session, QStringLiteral("Invalid username or password."));
        return;
    }
    leaveRoom(session);
    session->user = user;
    send(session, QStringLiteral("Login successful."));
}

ChatServer::Session* ChatServer::online(const QString& user) const {
    // The newest session of a user receives its messages.
    for (auto it = sessions_.crbegin(); it != sessions_.crend(); ++it) {
        if ((*it)->user == user)
            return *it;
    }
    return nullptr;
}

void ChatServer::privateMessage(Session* session, const QString& arguments) {
    const auto [receiver, text] = firstWord(arguments);
    if (!passwords_.contains(receiver)) {
        send(session, QStringLiteral("User does not exist."));
        return;
    }
    if (receiver == session->user) {
        send(session, QStringLiteral("You cannot send private messages to yourself."));
        return;
    }
    Session* target = online(receiver);
    if (!target || ignoring_.value(receiver).contains(session->user)) {
        send(session, QStringLiteral("Failed to send private message to %1.").arg(receiver));
        return;
    }
    send(target, QStringLiteral("(Private) %1:%2").arg(session->user, text));
    send(session, QStringLiteral("Private message sent to %1.").arg(receiver));
}

void ChatServer::join(Session* session, const QString& address) {
    QString room = address;
    const qsizetype at = address.lastIndexOf(u'@');
    if (at >= 0) {
        const QString server = address.mid(at + 1);
        if (server.compare(options_.name, Qt::CaseInsensitive) != 0) {
            send(session, QStringLiteral("*** The server %1 is not known here.").arg(server));
            return;
        }
        room = address.left(at);
    }
    if (room.isEmpty()) {
        send(session, QStringLiteral("*** Please name a conference."));
        return;
    }
    leaveRoom(session);
    session->room = room;
    toRoom(room, QStringLiteral("*** %1 has joined %2").arg(session->user, room));
}

void ChatServer::leaveRoom(Session* session) {
    if (session->room.isEmpty())
        return;
    const QString room = std::exchange(session->room, QString());
    toRoom(room, QStringLiteral("*** %1 has left %2").arg(session->user, room));
}

void ChatServer::say(Session* session, const QString& text) {
    if (session->room.isEmpty()) {
        send(session, QStringLiteral("*** You are not in a conference."));
        return;
    }
    toRoom(session->room, session->user + QStringLiteral(": ") + text);
}

void ChatServer::toRoom(const QString& room, const QString& line) {
    for (Session* member : sessions_) {
        if (member->room == room)
            send(member, line);
    }
}

void ChatServer::ignoreList(Session* session, const QString& command, const QString& argument) {
    QStringList& list = ignoring_[session->user];
    if (command == u"/ignore-list") {
        send(session, list.isEmpty()
                          ? QStringLiteral("Ignore list is empty.")
                          : QStringLiteral("Ignore list: ") + list.join(QStringLiteral(", ")));
    } else if (command == u"/ignore-add" && !argument.isEmpty()) {
        if (!list.contains(argument))
            list.append(argument);
        send(session, QStringLiteral("Ignoring %1.").arg(argument));
    } else if (command == u"/ignore-del" && !argument.isEmpty()) {
        send(session, list.removeOne(argument)
                          ? QStringLiteral("Stopped ignoring %1.").arg(argument)
                          : QStringLiteral("%1 is not in your ignore list.").arg(argument));
    } else if (command == u"/ignore-clear") {
        send(session, list.isEmpty() ? QStringLiteral("Ignore list is already empty.")
                                     : QStringLiteral("Ignore list cleared."));
        list.clear();
    } else {
        send(session, QStringLiteral("Unknown command."));
    }
}

void ChatServer::flood(Session* session, const QString& arguments) {
    // For measurements: conference lines as fast as the socket takes them, "line N" or, with
    // a length, that many characters ending in the number.
    const QStringList words = arguments.split(u' ', Qt::SkipEmptyParts);
    const int lines = qBound(0, words.value(0).toInt(), 10'000'000);
    const int length = qBound(0, words.value(1).toInt(), 1 << 20);
    QByteArray bytes;
    for (int i = 1; i <= lines; ++i) {
        QByteArray text = "line " + QByteArray::number(i);
        if (length > text.size())
            text = QByteArray(length - text.size(), 'x') + text;
        bytes += "flood: " + text + "\r\n";
        if (bytes.size() > 256 * 1024) {
            session->socket->write(bytes);
            bytes.clear();
        }
    }
    session->socket->write(bytes);
}

void ChatServer::loadAccounts() {
    if (options_.accountsFile.isEmpty())
        return;
    QFile file(options_.accountsFile);
    if (!file.open(QIODevice::ReadOnly))
        return;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        const qsizetype colon = line.indexOf(u':');
        if (colon > 0)
            passwords_.insert(line.left(colon), line.mid(colon + 1));
    }
}

void ChatServer::saveAccounts() const {
    if (options_.accountsFile.isEmpty())
        return;
    QSaveFile file(options_.accountsFile);
    if (!file.open(QIODevice::WriteOnly))
        return;
    for (auto it = passwords_.cbegin(); it != passwords_.cend(); ++it)
        file.write((it.key() + u':' + it.value() + u'\n').toUtf8());
    if (!file.commit())
        qWarning("veltra-devserver: could not save %s", qPrintable(options_.accountsFile));
}

} // namespace veltra
