// SPDX-License-Identifier: GPL-3.0-or-later
// Reconnecting by itself: real loopback servers that drop the connection and refuse it, the
// clock seam for the back-off times.
#include "Form1.h"
#include "FormChat.h"
#include "OptionalFeatures.h"
#include "Reconnector.h"
#include "TestSupport.h"
#include "TranscriptFormat.h"
#include "Widgets.h"
#include "frmIgnoreList.h"

#include <QAction>
#include <QLabel>
#include <QTest>

using namespace kivo;

namespace {

// Kivo logged in as ann (the server accepted it), with a private window and the room open.
struct Session {
    test::Sandbox sandbox;
    test::LoopbackServer server;
    std::unique_ptr<Form1> form;
    FormChat* chat = nullptr;
    FormChat* room = nullptr;

    explicit Session(bool reconnect = true, const QByteArray& more = {}) {
        sandbox.writeFile("settings.dat", "False\r\n");
        if (reconnect)
            sandbox.writeFile("kivo.ini", "[General]\nreconnect=true\n" + more);
        test::saveLogin(sandbox, "ann", "pw", server.port());
        form = std::make_unique<Form1>();
        if (!test::logInAt(server, form->connection(), "ann", "pw"))
            qFatal("no login");
        ConnectionController& connection = form->connection();
        connection.WaitingForLogin = true;
        server.send("Login successful.\r\n");
        if (!QTest::qWaitFor([&] { return !connection.WaitingForLogin; }))
            qFatal("login not accepted");
        chat = form->OpenChatWindow("bob");
        room = form->chats().openConference("lobby");
    }
    Reconnector& reconnector() { return form->features().reconnector(); }
    // Seconds from now to the next try.
    double nextTryIn() const {
        return sandbox.clock.now().msecsTo(form->features().reconnector().nextTry()) / 1000.0;
    }
    QString lastLine(FormChat* window) const {
        const TranscriptModel& lines = window->transcript();
        return lines.count() ? TranscriptFormat::shown(lines.line(lines.count() - 1)).text
                             : QString();
    }
};

} // namespace

class TestReconnect : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void backsOffWhileTheServerIsDown();
    void comesBackIntoTheRoom();
    void aRefusedLoginStopsTheTries();
    void connectingByHandStopsTheTries();
    void offByDefault();
    void aSilentServerCountsAsAFailedTry();
    void aDropSoonAfterALoginKeepsTheLongerWaits();
    void aNetworkErrorIsTriedAgainAsTheLoggedInUser();
    void theMenuAndTheLoginDialogStopTheTries();
    void kivosOwnLinesAreNeitherNewsNorHistory();
};

void TestReconnect::backsOffWhileTheServerIsDown() {
    Session s;
    s.server.setListening(false);
    s.server.dropClient();
    QTRY_VERIFY(s.reconnector().active());
    QCOMPARE(s.lastLine(s.chat).left(41), QString("[09:05:07] *** Connection lost. Reconnect"));
    QVERIFY(s.lastLine(s.room).startsWith("[09:05:07] *** Connection lost. Reconnecting in "));
    QVERIFY(s.form->lblConnectionState->toolTip().startsWith("Next try to reconnect at "));
    for (const int base : {2, 4, 8, 16, 32, 60, 60}) {
        const double wait = s.nextTryIn();
        QVERIFY2(wait >= base && wait <= base * 1.2, qPrintable(QString::number(wait)));
        const QDateTime previous = s.reconnector().nextTry();
        s.sandbox.clock.advanceMs(static_cast<qint64>(wait * 1000) + 1);
        // The try is refused; the next one is scheduled, and nobody is told in a box.
        QTRY_VERIFY(s.reconnector().nextTry() > previous);
    }
    QVERIFY(s.sandbox.boxes.boxes.isEmpty());
    QVERIFY(s.reconnector().active());
}

void TestReconnect::comesBackIntoTheRoom() {
    Session s;
    s.form->mnuIgnoreList->trigger();
    QVERIFY(s.server.waitForReceived("/ignore-list\r\n"));
    s.server.dropClient();
    QTRY_VERIFY(s.reconnector().active());
    s.sandbox.clock.advanceMs(2500);
    QVERIFY(s.server.waitForClient(2));
    QVERIFY(s.server.waitForReceived("/login ann pw\r\n"));
    s.server.clearReceived();
    s.server.send("Login successful.\r\n");
    QTRY_VERIFY(!s.reconnector().active());
    // Back in the room as before, the ignore list asked for again.
    QVERIFY(s.server.waitForReceived("/join_server lobby\r\n/ignore-list\r\n"));
    QCOMPARE(s.lastLine(s.chat), QString("[09:05:09] *** Connected again."));
    QCOMPARE(s.lastLine(s.room), QString("[09:05:09] *** Connected again."));
    QCOMPARE(s.form->windowTitle(), QString("Kivo - ann"));
    QCOMPARE(s.form->lblConnectionState->toolTip(), QString());
    QVERIFY(s.sandbox.boxes.boxes.isEmpty());
}

void TestReconnect::aRefusedLoginStopsTheTries() {
    Session s;
    s.server.dropClient();
    QTRY_VERIFY(s.reconnector().active());
    s.sandbox.clock.advanceMs(2500);
    QVERIFY(s.server.waitForReceived("/login ann pw\r\n"));
    // The described refusal: its box, then the login dialog to correct the saved login.
    bool offeredTheLoginDialog = false;
    test::whenModal([&](QWidget* modal) {
        offeredTheLoginDialog = qobject_cast<frmLogin*>(modal) != nullptr;
        modal->close();
    });
    s.server.send("Invalid username or password.\r\n");
    QTRY_VERIFY(!s.reconnector().active());
    QCOMPARE(s.sandbox.boxes.texts(), QStringList{"Invalid username or password!"});
    QTRY_VERIFY(offeredTheLoginDialog);
    QVERIFY(!s.reconnector().nextTry().isValid());
}

void TestReconnect::connectingByHandStopsTheTries() {
    Session s;
    s.server.dropClient();
    QTRY_VERIFY(s.reconnector().active());
    test::LoopbackServer other;
    s.form->connection().connectTo("127.0.0.1", other.port()); // as the login dialog's OK does
    QVERIFY(!s.reconnector().active());
    s.sandbox.clock.advanceMs(120000);
    QTest::qWait(50);
    QCOMPARE(s.server.clientCount(), 1);
}

void TestReconnect::offByDefault() {
    Session s(false);
    s.server.dropClient();
    QTRY_COMPARE(s.form->lblConnectionState->text(), QString("Disconnected!"));
    QVERIFY(!s.reconnector().active());
    s.sandbox.clock.advanceMs(120000);
    QTest::qWait(50);
    QCOMPARE(s.server.clientCount(), 1);
    QCOMPARE(s.lastLine(s.chat), QString());
}

void TestReconnect::aSilentServerCountsAsAFailedTry() {
    Session s;
    s.server.dropClient();
    QTRY_VERIFY(s.reconnector().active());
    s.sandbox.clock.advanceMs(2500);
    QVERIFY(s.server.waitForReceived("/login ann pw\r\n"));
    // Connected, but the login is never answered: given up after a while, and tried again
    // after the next, longer wait.
    const QDateTime before = s.reconnector().nextTry();
    s.sandbox.clock.advanceMs(Reconnector::LoginTimeout + 1);
    QTRY_VERIFY(s.server.clientGone());
    QTRY_VERIFY(s.reconnector().nextTry() > before);
    // The second wait (4 s and up to a fifth more, from when the try was given up, a moment
    // before now), not the first (at most 2.4 s).
    const double wait = s.nextTryIn();
    QVERIFY2(wait > 3 && wait <= 4.8, qPrintable(QString::number(wait)));
    QVERIFY(s.sandbox.boxes.boxes.isEmpty());
}

void TestReconnect::aDropSoonAfterALoginKeepsTheLongerWaits() {
    Session s;
    const auto reconnectOnce = [&](int client) {
        s.sandbox.clock.advanceMs(static_cast<qint64>(s.nextTryIn() * 1000) + 1);
        QVERIFY(s.server.waitForClient(client));
        QVERIFY(s.server.waitForReceived("/login ann pw\r\n"));
        s.server.send("Login successful.\r\n");
        QTRY_VERIFY(!s.reconnector().active());
    };
    s.server.dropClient();
    QTRY_VERIFY(s.reconnector().active());
    reconnectOnce(2);
    // Dropped again at once: the next wait is the second one, not the first again.
    s.server.dropClient();
    QTRY_VERIFY(s.reconnector().active());
    QVERIFY(s.nextTryIn() >= 4);
    reconnectOnce(3);
    // Up for a minute, then lost: the waits start again from the first.
    s.sandbox.clock.advanceMs(Reconnector::StableAfter + 1000);
    s.server.dropClient();
    QTRY_VERIFY(s.reconnector().active());
    QVERIFY(s.nextTryIn() <= 2.4);
}

void TestReconnect::aNetworkErrorIsTriedAgainAsTheLoggedInUser() {
    Session s;
    // The saved login names someone else: the try logs in as ann, who was logged in.
    test::saveLogin(s.sandbox, "zed", "other", s.server.port());
    s.server.resetClient();
    QTRY_VERIFY(s.reconnector().active());
    QVERIFY(s.sandbox.boxes.boxes.isEmpty());
    s.sandbox.clock.advanceMs(2500);
    QVERIFY(s.server.waitForClient(2));
    QVERIFY(s.server.waitForReceived("/login ann pw\r\n"));
    s.server.send("Login successful.\r\n");
    QTRY_VERIFY(!s.reconnector().active());
    QCOMPARE(s.form->connection().LoggedUser, QString("ann"));
}

void TestReconnect::theMenuAndTheLoginDialogStopTheTries() {
    Session s;
    QVERIFY(!s.form->features().mnuStopReconnecting->isVisible());
    s.server.dropClient();
    QTRY_VERIFY(s.reconnector().active());
    QVERIFY(s.form->features().mnuStopReconnecting->isVisible());
    s.form->features().mnuStopReconnecting->trigger();
    QVERIFY(!s.reconnector().active());
    QVERIFY(!s.form->features().mnuStopReconnecting->isVisible());
    // Reconnecting again; Connect... opens the login dialog, and its Cancel leaves it stopped.
    s.server.setListening(false);
    s.server.setListening(true);
    s.form->connection().connectTo("127.0.0.1", s.server.port());
    QVERIFY(s.server.waitForClient(2));
    s.form->connection().WaitingForLogin = true;
    s.server.send("Login successful.\r\n");
    QTRY_VERIFY(!s.form->connection().WaitingForLogin);
    s.server.dropClient();
    QTRY_VERIFY(s.reconnector().active());
    test::whenModal([](QWidget* modal) { modal->close(); });
    s.form->mnuConnect->trigger();
    QVERIFY(!s.reconnector().active());
    s.sandbox.clock.advanceMs(120000);
    QTest::qWait(50);
    QCOMPARE(s.server.clientCount(), 2);
}

void TestReconnect::kivosOwnLinesAreNeitherNewsNorHistory() {
    Session s(true, "history=true\n");
    s.form->show();
    kivo::activate(s.form.get()); // the user is elsewhere than in the chat windows
    QVERIFY(QTest::qWaitForWindowActive(s.form.get()));
    s.server.dropClient();
    QTRY_VERIFY(s.reconnector().active());
    s.sandbox.clock.advanceMs(2500);
    QVERIFY(s.server.waitForClient(2));
    s.server.send("Login successful.\r\n");
    QTRY_VERIFY(!s.reconnector().active());
    QCOMPARE(s.lastLine(s.chat), QString("[09:05:09] *** Connected again."));
    QVERIFY(!s.chat->hasUnread());
    HistoryStore* history = s.form->features().history();
    history->flush();
    QCOMPARE(history->newest(s.chat->conversation(), 10).size(), 0);
    QCOMPARE(history->newest(s.room->conversation(), 10).size(), 0);
    // What somebody says is both.
    s.server.send("carl: still there?\r\n");
    QTRY_VERIFY(s.room->hasUnread());
    history->flush();
    QCOMPARE(history->newest(s.room->conversation(), 10).size(), 1);
}

QTEST_MAIN(TestReconnect)
#include "tst_reconnect.moc"
