// SPDX-License-Identifier: GPL-3.0-or-later
// The development server's own side of the protocol, seen from raw connections.
#include "DevServer.h"

#include <QTest>

using namespace kivo::test;

class TestDevServer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void keepAliveAloneOrGlued();
    void commandsNeedALogin();
    void privateMessageReplies();
    void roomsAndIgnoreReplies();
    void manyClientsAndRunawayLines();
};

void TestDevServer::keepAliveAloneOrGlued() {
    DevServer server;
    RawClient ann(server.port(), "ann");
    RawClient bob(server.port(), "bob");
    ann.sendRaw("/");
    QVERIFY(ann.waitFor("*Ping!*"));
    ann.lines.clear();
    ann.sendRaw("//pm bob hi\r\n");
    QVERIFY(ann.waitFor("Private message sent to bob."));
    QCOMPARE(ann.lines.first(), QString("*Ping!*"));
    ann.lines.clear();
    ann.sendRaw("/");
    ann.socket.flush();
    QTest::qWait(10); // a command cut after its first byte is still a command
    ann.sendRaw("pm bob split\r\n");
    QVERIFY(bob.waitFor("(Private) ann:split"));
    QVERIFY(!ann.lines.contains("*Ping!*"));
}

void TestDevServer::commandsNeedALogin() {
    DevServer server;
    RawClient stranger(server.port(), QString());
    stranger.send("/pm ann hi");
    QVERIFY(stranger.waitFor("Please log in first."));
    stranger.send("/login ann");
    QVERIFY(stranger.waitFor("Invalid username or password."));
    stranger.send("/login ann secret");
    QVERIFY(stranger.waitFor("Login successful."));
    RawClient again(server.port(), QString());
    again.send("/login ann other");
    QVERIFY(again.waitFor("Invalid username or password."));
    again.send("/nonsense");
    QVERIFY(again.waitFor("Please log in first."));
}

void TestDevServer::privateMessageReplies() {
    DevServer server;
    { RawClient registers(server.port(), "offline"); }
    RawClient ann(server.port(), "ann");
    ann.send("/pm nobody x");
    ann.send("/pm ann x");
    ann.send("/pm offline x");
    ann.send("/frobnicate");
    QVERIFY(ann.waitFor("Unknown command."));
    QCOMPARE(ann.lines.mid(1),
             (QStringList{"User does not exist.", "You cannot send private messages to yourself.",
                          "Failed to send private message to offline.", "Unknown command."}));
}

void TestDevServer::roomsAndIgnoreReplies() {
    DevServer server;
    RawClient ann(server.port(), "ann");
    ann.send("hello?");
    ann.send("/join_server a@localhost");
    ann.send("/join_server b");
    ann.send("in b");
    ann.send("/ignore-del x");
    ann.send("/ignore-add x");
    ann.send("/ignore-add y");
    ann.send("/ignore-list");
    ann.send("/ignore-del x");
    ann.send("/ignore-clear");
    ann.send("/ignore-clear");
    ann.send("/ignore-list");
    QVERIFY(ann.waitFor("Ignore list is empty."));
    QCOMPARE(ann.lines.mid(1),
             (QStringList{"*** You are not in a conference.", "*** ann has joined a",
                          "*** ann has joined b", "ann: in b", "x is not in your ignore list.",
                          "Ignoring x.", "Ignoring y.", "Ignore list: x, y", "Stopped ignoring x.",
                          "Ignore list cleared.", "Ignore list is already empty.",
                          "Ignore list is empty."}));
}

void TestDevServer::manyClientsAndRunawayLines() {
    DevServer server;
    std::vector<std::unique_ptr<RawClient>> clients;
    for (int i = 0; i < 30; ++i) {
        clients.push_back(std::make_unique<RawClient>(server.port(), QString("user%1").arg(i)));
        clients.back()->send("/join_server crowd");
        QVERIFY(clients.back()->waitFor(QString("*** user%1 has joined crowd").arg(i)));
    }
    clients.front()->send("all here?");
    for (const auto& client : clients)
        QVERIFY(client->waitFor("user0: all here?"));
    RawClient flooder(server.port(), "flooder");
    flooder.sendRaw(QByteArray(200 * 1024, 'x')); // no line end, ever
    QVERIFY(flooder.waitForDisconnect());
    clients.back()->send("/pm user0 still fine");
    QVERIFY(clients.front()->waitFor("(Private) user29:still fine"));
    server.stop();
    QCOMPARE(server.exitStatus(), QProcess::NormalExit);
    QCOMPARE(server.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestDevServer)
#include "tst_devserver.moc"
