// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QStringList>
#include <QTcpSocket>

namespace kivo::test {

// veltra-devserver as a real process on a free port of 127.0.0.1.
class DevServer {
public:
    explicit DevServer(const QStringList& arguments = {});
    ~DevServer() { stop(); }
    quint16 port() const { return port_; }
    // SIGTERM, then wait for the process to end.
    void stop();
    int exitCode() const { return process_.exitCode(); }
    QProcess::ExitStatus exitStatus() const { return process_.exitStatus(); }

private:
    QProcess process_;
    quint16 port_ = 0;
};

// A second user speaking the protocol over a raw TCP connection.
class RawClient {
public:
    // Connects; logs in unless the user is empty.
    RawClient(quint16 port, const QString& user, const QString& password = QStringLiteral("pw"));
    void send(const QString& line) { socket.write((line + QStringLiteral("\r\n")).toUtf8()); }
    void sendRaw(const QByteArray& bytes) { socket.write(bytes); }
    bool waitFor(const QString& line, int timeoutMs = 5000);
    bool waitForDisconnect(int timeoutMs = 5000);

    QStringList lines;
    QTcpSocket socket;
};

} // namespace kivo::test
