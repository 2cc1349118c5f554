// SPDX-License-Identifier: GPL-3.0-or-later
#include "DevServer.h"

#include <QTest>

namespace kivo::test {

DevServer::DevServer(const QStringList& arguments) {
    process_.setProgram(QStringLiteral(VELTRA_DEVSERVER));
    process_.setArguments(QStringList{QStringLiteral("--port"), QStringLiteral("0")} + arguments);
    process_.start();
    if (!process_.waitForReadyRead(5000))
        qFatal("veltra-devserver did not start");
    const QByteArray banner = process_.readLine().trimmed();
    port_ = static_cast<quint16>(banner.mid(banner.lastIndexOf(':') + 1).toUInt());
}

void DevServer::stop() {
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    process_.waitForFinished(5000);
}

RawClient::RawClient(quint16 port, const QString& user, const QString& password) {
    socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    QObject::connect(&socket, &QTcpSocket::readyRead, [this] {
        while (socket.canReadLine())
            lines.append(QString::fromUtf8(socket.readLine()).trimmed());
    });
    if (user.isEmpty())
        return;
    send(QStringLiteral("/login ") + user + u' ' + password);
    if (!waitFor(QStringLiteral("Login successful.")))
        qFatal("raw client could not log in");
}

bool RawClient::waitFor(const QString& line, int timeoutMs) {
    return QTest::qWaitFor([&] { return lines.contains(line); }, timeoutMs);
}

bool RawClient::waitForDisconnect(int timeoutMs) {
    return QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::UnconnectedState; },
                           timeoutMs);
}

} // namespace kivo::test
