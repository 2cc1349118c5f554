// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConnectionFile.h"
#include "Form1.h"
#include "Log.h"
#include "TestSupport.h"
#include "frmLogin.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

using namespace kivo;

namespace {

// Starts a login the way the conference window's close does: no dialog involved.
void startLogin(ConnectionController& connection, quint16 port, const QString& user = "bob") {
    connection.LoginUser = user;
    connection.LoginPass = "pw";
    connection.WaitingForLogin = true;
    connection.connectTo("127.0.0.1", port);
}

} // namespace

class TestConnection : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void offlineDisplayBeforeTheFirstConnection();
    void connectSendsTheLoginAndShowsTheUser();
    void loginAcceptedThroughTheDialog();
    void loginRefusedKeepsTheConnection();
    void refusalWinsWhenBothRepliesCome();
    void loginRepliesCountOnlyWhileWaiting();
    void keepAliveIsOneBytePerTick();
    void keepAliveSendsNothingWhileConnecting();
    void disconnectThroughTheMenu();
    void closeByTheServer();
    void refusedConnectionIsReported();
    void unterminatedLastLineIsRouted();
    void nothingIsSentWhileNotConnected();
    void aCommandWithALineEndIsNeverSent();
    void failureTextSaysWhetherThisConnectionWasMade();
    void keepAliveRunsOnTheClock();
    void switchingTlsKeepsTheConnectionThereIs();
    void theLogNeverHoldsAPassword();
    void aSlowLineIsWaitedForOnceLinesAreEnded();
    void aLineCutByAReadWaitsBehindTheLinesBeforeIt();
};

void TestConnection::offlineDisplayBeforeTheFirstConnection() {
    test::Sandbox sandbox;
    Form1 form;
    QCOMPARE(form.windowTitle(), QString("Kivo"));
    QCOMPARE(form.mnuConnect->text(), QString("&Connect"));
    QCOMPARE(form.lblConnectionState->text(), QString("Disconnected!"));
    QVERIFY(form.StatusPictureOff->isVisibleTo(&form));
    QVERIFY(!form.StatusPictureOn->isVisibleTo(&form));
    QCOMPARE(form.StatusPictureOn->geometry(), form.StatusPictureOff->geometry());
    QCOMPARE(form.connection().LoggedUser, QString());
    QVERIFY(form.connection().tmrPing.isActive());
    QCOMPARE(form.connection().tmrPing.interval(), 5000);
    // The two pictures: light grey offline, warm yellow online, grey edge.
    const QImage off = form.StatusPictureOff->pixmap().toImage();
    const QImage on = form.StatusPictureOn->pixmap().toImage();
    QCOMPARE(off.pixelColor(off.width() / 2, off.height() / 2), QColor(200, 200, 200));
    QCOMPARE(on.pixelColor(on.width() / 2, on.height() / 2), QColor(255, 220, 120));
    QCOMPARE(on.pixelColor(0, 0).alpha(), 0);
}

void TestConnection::connectSendsTheLoginAndShowsTheUser() {
    test::Sandbox sandbox;
    test::LoopbackServer server;
    Form1 form;
    ConnectionController& connection = form.connection();
    startLogin(connection, server.port(), "Ann Lee");
    QVERIFY(server.waitForReceived("/login Ann Lee pw\r\n"));
    QCOMPARE(connection.LoggedUser, QString("Ann Lee"));
    QCOMPARE(form.windowTitle(), QString("Kivo - Ann Lee"));
    QCOMPARE(form.mnuConnect->text(), QString("Disconnect"));
    QCOMPARE(form.lblConnectionState->text(), QString("Connected!"));
    QVERIFY(form.StatusPictureOn->isVisibleTo(&form));
    QVERIFY(!form.StatusPictureOff->isVisibleTo(&form));
    QVERIFY(connection.WaitingForLogin);
    QVERIFY(connection.tmrPing.isActive());
}

void TestConnection::loginAcceptedThroughTheDialog() {
    test::Sandbox sandbox;
    test::LoopbackServer server;
    test::saveLogin(sandbox, "bob", "pw", server.port());
    Form1 form;
    test::whenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<frmLogin*>(modal);
        QVERIFY(dialog);
        dialog->txtUsername->setText(" bob ");
        QTest::mouseClick(dialog->cmdOK, Qt::LeftButton);
    });
    test::when([&] { return server.received() == "/login bob pw\r\n"; },
               [&] { server.send("Login successful.\r\n"); });
    form.ShowLoginDialog(); // returns when the accepted login closes the dialog
    QVERIFY(!form.loginDialog());
    QCOMPARE(form.connection().LoggedUser, QString(" bob ")); // as the box held it
    QVERIFY(!form.connection().WaitingForLogin);
    QCOMPARE(form.windowTitle(), QString("Kivo - bob"));
    QVERIFY(sandbox.boxes.boxes.isEmpty());
}

void TestConnection::loginRefusedKeepsTheConnection() {
    test::Sandbox sandbox;
    test::LoopbackServer server;
    test::saveLogin(sandbox, "bob", "pw", server.port());
    Form1 form;
    ConnectionController& connection = form.connection();
    bool waitingWhileBoxOpen = false;
    sandbox.boxes.whileOpen = [&] { waitingWhileBoxOpen = connection.WaitingForLogin; };
    frmLogin* dialog = nullptr;
    test::whenModal([&](QWidget* modal) {
        dialog = qobject_cast<frmLogin*>(modal);
        QTest::mouseClick(dialog->cmdOK, Qt::LeftButton);
    });
    test::when([&] { return server.received() == "/login bob pw\r\n"; },
               [&] { server.send("Invalid username or password.\r\n"); });
    test::when([&] { return !sandbox.boxes.boxes.isEmpty(); },
               [&] {
                   QCOMPARE(dialog->txtPassword->text(), QString());
                   QCOMPARE(dialog->focusWidget(), dialog->txtPassword);
                   QVERIFY(dialog->cmdOK->isEnabled());
                   dialog->close();
               });
    form.ShowLoginDialog();
    QCOMPARE(sandbox.boxes.boxes.size(), 1);
    QCOMPARE(sandbox.boxes.boxes[0].text, QString("Invalid username or password!"));
    QCOMPARE(sandbox.boxes.boxes[0].title, QString("Login Error"));
    QVERIFY(waitingWhileBoxOpen);
    QVERIFY(!connection.WaitingForLogin);
    QCOMPARE(form.windowTitle(), QString("Kivo"));
    QCOMPARE(form.mnuConnect->text(), QString("Disconnect"));
    QCOMPARE(form.lblConnectionState->text(), QString("Connected!"));
    QCOMPARE(connection.LoggedUser, QString("bob"));
    QVERIFY(connection.isConnected());
    server.clearReceived();
    connection.tmrPing_Timer();
    QVERIFY(server.waitForReceived("/"));
}

void TestConnection::refusalWinsWhenBothRepliesCome() {
    test::Sandbox sandbox;
    test::LoopbackServer server;
    ConnectionController connection;
    QSignalSpy accepted(&connection, &ConnectionController::loginAccepted);
    startLogin(connection, server.port());
    QVERIFY(server.waitForClient());
    server.send("Login successful. Invalid username or password.\r\n");
    QTRY_COMPARE(sandbox.boxes.texts(), QStringList{"Invalid username or password!"});
    QCOMPARE(accepted.count(), 0);
}

void TestConnection::loginRepliesCountOnlyWhileWaiting() {
    test::Sandbox sandbox;
    test::LoopbackServer server;
    ConnectionController connection;
    QSignalSpy accepted(&connection, &ConnectionController::loginAccepted);
    QSignalSpy routed(&connection, &ConnectionController::messageReceived);
    startLogin(connection, server.port());
    QVERIFY(server.waitForClient());
    server.send("*Ping!*\r\nLogin successful.\r\nLogin successful.\r\n");
    QTRY_COMPARE(routed.count(), 2);
    QCOMPARE(accepted.count(), 1); // the first one, while waiting
    QCOMPARE(routed[0][0].toString(), QString("*Ping!*"));
    QCOMPARE(routed[1][0].toString(), QString("Login successful."));
    QVERIFY(!connection.WaitingForLogin);
}

void TestConnection::keepAliveIsOneBytePerTick() {
    test::Sandbox sandbox;
    test::LoopbackServer server;
    ConnectionController connection;
    startLogin(connection, server.port());
    QVERIFY(server.waitForReceived("/login bob pw\r\n"));
    server.clearReceived();
    connection.tmrPing_Timer();
    QVERIFY(server.waitForReceived("/"));
    connection.tmrPing_Timer();
    QVERIFY(server.waitForReceived("//"));
}

void TestConnection::keepAliveSendsNothingWhileConnecting() {
    test::Sandbox sandbox;
    test::LoopbackServer server;
    ConnectionController connection;
    connection.tmrPing_Timer(); // closed: nothing
    startLogin(connection, server.port());
    QVERIFY(connection.Winsock1.state() != Winsock::Connected);
    QVERIFY(connection.Winsock1.state() != Winsock::Closed);
    connection.tmrPing_Timer();
    QVERIFY(server.waitForReceived("/login bob pw\r\n"));
    QTest::qWait(50);
    QCOMPARE(server.received(), QByteArray("/login bob pw\r\n"));
}

void TestConnection::disconnectThroughTheMenu() {
    test::Sandbox sandbox;
    test::LoopbackServer server;
    Form1 form;
    ConnectionController& connection = form.connection();
    QSignalSpy accepted(&connection, &ConnectionController::loginAccepted);
    startLogin(connection, server.port());
    QVERIFY(server.waitForReceived("/login bob pw\r\n"));
    form.mnuConnect->trigger();
    QCOMPARE(connection.Winsock1.state(), int(Winsock::Closed));
    QCOMPARE(form.mnuConnect->text(), QString("Connect..."));
    QCOMPARE(form.lblConnectionState->text(), QString("Disconnected!"));
    QCOMPARE(form.windowTitle(), QString("Kivo"));
    QCOMPARE(connection.LoggedUser, QString());
    QVERIFY(form.StatusPictureOff->isVisibleTo(&form));
    QVERIFY(!connection.tmrPing.isActive());
    QVERIFY(connection.WaitingForLogin); // untouched
    QTRY_VERIFY(server.clientGone());

    // The reply on the next connection is still taken as the login reply.
    connection.connectTo("127.0.0.1", server.port());
    QVERIFY(server.waitForClient(2));
    server.send("Login successful.\r\n");
    QTRY_COMPARE(accepted.count(), 1);
}

void TestConnection::closeByTheServer() {
    test::Sandbox sandbox;
    test::LoopbackServer server;
    Form1 form;
    ConnectionController& connection = form.connection();
    QSignalSpy routed(&connection, &ConnectionController::messageReceived);
    startLogin(connection, server.port());
    QVERIFY(server.waitForReceived("/login bob pw\r\n"));
    connection.WaitingForLogin = false;
    server.send("hello\r\nlast words");
    server.dropClient();
    QTRY_COMPARE(form.lblConnectionState->text(), QString("Disconnected!"));
    QCOMPARE(routed.count(), 2); // what came before the close is still routed
    QCOMPARE(routed[1][0].toString(), QString("last words"));
    QCOMPARE(form.mnuConnect->text(), QString("Connect..."));
    QCOMPARE(form.windowTitle(), QString("Kivo"));
    QCOMPARE(connection.LoggedUser, QString());
    QVERIFY(!connection.tmrPing.isActive());
    QCOMPARE(connection.Winsock1.state(), int(Winsock::Closed));
    QVERIFY(sandbox.boxes.boxes.isEmpty());

    // The socket is closed, so Connect opens the login dialog at once.
    bool sawLogin = false;
    test::whenModal([&](QWidget* modal) {
        sawLogin = qobject_cast<frmLogin*>(modal) != nullptr;
        modal->close();
    });
    form.mnuConnect->trigger();
    QVERIFY(sawLogin);
}

void TestConnection::refusedConnectionIsReported() {
    test::Sandbox sandbox;
    const quint16 port = test::closedPort();
    test::saveLogin(sandbox, "bob", "pw", port);
    Form1 form;
    frmLogin* dialog = nullptr;
    bool okEnabledAfterFailure = false;
    test::whenModal([&](QWidget* modal) {
        dialog = qobject_cast<frmLogin*>(modal);
        QTest::mouseClick(dialog->cmdOK, Qt::LeftButton);
    });
    sandbox.boxes.whileOpen = [&] {
        okEnabledAfterFailure = dialog->cmdOK->isEnabled();
        dialog->close();
    };
    form.ShowLoginDialog();
    QCOMPARE(sandbox.boxes.boxes.size(), 1);
    const QString expected = QString("Could not connect to 127.0.0.1 on port %1: ").arg(port);
    QVERIFY2(sandbox.boxes.boxes[0].text.startsWith(expected),
             qPrintable(sandbox.boxes.boxes[0].text));
    QCOMPARE(sandbox.boxes.boxes[0].title, QString("Connection Error"));
    QVERIFY(okEnabledAfterFailure);
    ConnectionController& connection = form.connection();
    QCOMPARE(connection.Winsock1.state(), int(Winsock::Closed));
    QVERIFY(!connection.WaitingForLogin);
    QCOMPARE(form.lblConnectionState->text(), QString("Disconnected!"));
    QCOMPARE(form.windowTitle(), QString("Kivo"));
}

void TestConnection::unterminatedLastLineIsRouted() {
    test::Sandbox sandbox;
    test::LoopbackServer server;
    ConnectionController connection;
    QSignalSpy routed(&connection, &ConnectionController::messageReceived);
    startLogin(connection, server.port());
    QVERIFY(server.waitForClient());
    connection.WaitingForLogin = false;
    server.send("no line end ");
    QTRY_COMPARE(routed.count(), 1);
    QCOMPARE(routed[0][0].toString(), QString("no line end"));
}

void TestConnection::nothingIsSentWhileNotConnected() {
    test::Sandbox sandbox;
    test::LoopbackServer server;
    ConnectionController connection;
    startLogin(connection, server.port());
    // Still connecting: a line written now would go out once the connection is made.
    QVERIFY(!connection.SendMessageToUser("", "/ignore-list"));
    QVERIFY(server.waitForReceived("/login bob pw\r\n"));
    QTest::qWait(50);
    QCOMPARE(server.received(), QByteArray("/login bob pw\r\n"));
    QVERIFY(sandbox.boxes.boxes.isEmpty());
}

void TestConnection::aCommandWithALineEndIsNeverSent() {
    test::Sandbox sandbox;
    test::LoopbackServer server;
    ConnectionController connection;
    QVERIFY(test::logInAt(server, connection, "bob", "pw"));
    QVERIFY(!connection.SendMessageToUser("bob", "/pm bob hi\n/ignore-clear"));
    QVERIFY(!connection.SendMessageToUser("", "a\rb"));
    QVERIFY(connection.SendMessageToUser("", "/ignore-list"));
    QVERIFY(server.waitForReceived("/ignore-list\r\n"));
}

void TestConnection::failureTextSaysWhetherThisConnectionWasMade() {
    test::Sandbox sandbox;
    test::LoopbackServer server;
    ConnectionController connection;
    startLogin(connection, server.port());
    QVERIFY(server.waitForReceived("/login bob pw\r\n"));
    server.send("Invalid username or password.\r\n");
    QTRY_COMPARE(sandbox.boxes.boxes.size(), 1);
    // The refused login left the connection up; the corrected host cannot be reached.
    const quint16 closed = test::closedPort();
    connection.connectTo("127.0.0.1", closed);
    QTRY_COMPARE(sandbox.boxes.boxes.size(), 2);
    QVERIFY2(sandbox.boxes.boxes[1].text.startsWith(
                 QString("Could not connect to 127.0.0.1 on port %1: ").arg(closed)),
             qPrintable(sandbox.boxes.boxes[1].text));
}

void TestConnection::keepAliveRunsOnTheClock() {
    test::Sandbox sandbox;
    test::LoopbackServer server;
    ConnectionController connection;
    QVERIFY(test::logInAt(server, connection, "bob", "pw"));
    sandbox.clock.advanceMs(4999);
    QTest::qWait(50);
    QCOMPARE(server.received(), QByteArray());
    sandbox.clock.advanceMs(1);
    QVERIFY(server.waitForReceived("/"));
    sandbox.clock.advanceMs(10000);
    QVERIFY(server.waitForReceived("///"));
}

void TestConnection::switchingTlsKeepsTheConnectionThereIs() {
    test::Sandbox sandbox;
    test::LoopbackServer server;
    ConnectionController connection;
    QVERIFY(test::logInAt(server, connection, "bob", "pw"));
    connection.Winsock1.setTls(true);
    QVERIFY(connection.isConnected());
    QVERIFY(connection.SendMessageToUser(QString(), "/pm carl still here"));
    QVERIFY(server.waitForReceived("/pm carl still here\r\n"));
    QVERIFY(!connection.Winsock1.isEncrypted());
}

namespace {
QStringList logged;
void keepMessage(QtMsgType, const QMessageLogContext& context, const QString& message) {
    if (QByteArray(context.category).startsWith("kivo."))
        logged.append(QString("%1: %2").arg(context.category, message));
}
} // namespace

void TestConnection::theLogNeverHoldsAPassword() {
    test::Sandbox sandbox;
    test::LoopbackServer server;
    ConnectionController connection;
    enableVerboseLogging();
    logged.clear();
    const QtMessageHandler previous = qInstallMessageHandler(keepMessage);
    auto restore = qScopeGuard([&] {
        qInstallMessageHandler(previous);
        QLoggingCategory::setFilterRules(QString());
    });
    QVERIFY(test::logInAt(server, connection, "Ann Lee", "s3cret word"));
    connection.SendMessageToUser("", "/login other typed-s3cret"); // typed in a room
    server.send("Login successful.\r\n");
    QTRY_VERIFY(logged.contains("kivo.connection: received: Login successful."));
    QVERIFY2(logged.contains("kivo.connection: sent: /login Ann ***"),
             qPrintable(logged.join('\n')));
    QVERIFY(logged.contains("kivo.connection: sent: /login other ***"));
    QVERIFY(logged.contains("kivo.connection: connected"));
    QVERIFY(!logged.join('\n').contains("s3cret"));
}

void TestConnection::aSlowLineIsWaitedForOnceLinesAreEnded() {
    // A server that has ended lines before (the login reply here) may pause inside one for
    // longer than the short wait for an unterminated line: the halves still make one message.
    test::Sandbox sandbox;
    test::LoopbackServer server;
    ConnectionController connection;
    QSignalSpy routed(&connection, &ConnectionController::messageReceived);
    startLogin(connection, server.port());
    QVERIFY(server.waitForClient());
    server.send("Login successful.\r\nslow");
    QTest::qWait(5 * LineReceiver::ShortTailWait);
    server.send("er\r\n");
    QTRY_COMPARE(routed.count(), 1);
    QCOMPARE(routed[0][0].toString(), QString("slower"));
}

void TestConnection::aLineCutByAReadWaitsBehindTheLinesBeforeIt() {
    // Routing a flood takes longer than the wait for the rest of a line cut at the end of a
    // read: the cut line is neither taken as it is nor routed before the lines ahead of it.
    test::Sandbox sandbox;
    test::LoopbackServer server;
    ConnectionController connection;
    QStringList routed;
    connect(&connection, &ConnectionController::messageReceived, this, [&](const QString& line) {
        routed << line;
        QThread::usleep(500);
    });
    startLogin(connection, server.port());
    QVERIFY(server.waitForClient());
    // A pause inside the first line sets the wait going; the flood then keeps Kivo routing.
    server.send("Login successful.\r\nflood: li");
    QTest::qWait(50);
    constexpr int Lines = 2 * LineReceiver::LongTailWait * 2 + 1000; // over 2 s at 0.5 ms
    QByteArray flood = "ne 1\r\n";
    for (int i = 2; i < Lines; ++i)
        flood += "flood: line " + QByteArray::number(i) + "\r\n";
    server.send(flood + "flood: line");
    QTRY_VERIFY_WITH_TIMEOUT(routed.size() >= Lines - 1, 30000);
    server.send(" " + QByteArray::number(Lines) + "\r\n");
    QTRY_COMPARE(routed.size(), Lines);
    for (int i = 1; i <= Lines; ++i)
        QCOMPARE(routed[i - 1], QString("flood: line %1").arg(i));
}

QTEST_MAIN(TestConnection)
#include "tst_connection.moc"
