// SPDX-License-Identifier: GPL-3.0-or-later
// The real client against the real veltra-devserver process, with a scripted second user.
#include "ContactTreeView.h"
#include "DevServer.h"
#include "Form1.h"
#include "FormChat.h"
#include "TestSupport.h"
#include "frmAddUserToIgnore.h"
#include "frmIgnoreList.h"
#include "frmJoinConference.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace kivo;

namespace {

// The main window of the user "ann", logged in through the login dialog.
struct Client {
    test::Sandbox sandbox;
    std::unique_ptr<Form1> form;

    Client(quint16 port, const QByteArray& contacts = "C|general|General (1)|\r\n"
                                                      "U|general_contact_carl|carl|general\r\n") {
        sandbox.writeFile("settings.dat", "False\r\n");
        sandbox.writeFile("contacts.dat", contacts);
        test::saveLogin(sandbox, "ann", "pw", port);
        form = std::make_unique<Form1>();
        form->show();
    }
    bool logIn() {
        test::whenModal([](QWidget* modal) {
            QTest::mouseClick(qobject_cast<frmLogin*>(modal)->cmdOK, Qt::LeftButton);
        });
        form->mnuConnect->trigger();
        return form->windowTitle() == "Kivo - ann" && !form->connection().WaitingForLogin;
    }
};

} // namespace

class TestEndToEnd : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void loginRefusedThenAccepted();
    void privateMessagesBothWays();
    void conferenceBothWaysThenHomeAgain();
    void ignoreListRoundTrip();
    void serverGoingAway();
};

void TestEndToEnd::loginRefusedThenAccepted() {
    test::DevServer server;
    { test::RawClient registers(server.port(), "ann", "secret"); }
    Client ann(server.port());
    frmLogin* dialog = nullptr;
    test::whenModal([&](QWidget* modal) {
        dialog = qobject_cast<frmLogin*>(modal);
        QTest::mouseClick(dialog->cmdOK, Qt::LeftButton); // the saved password is wrong
    });
    test::when([&] { return !ann.sandbox.boxes.boxes.isEmpty() && dialog->cmdOK->isEnabled(); },
               [&] {
                   QCOMPARE(dialog->txtPassword->text(), QString());
                   QTest::keyClicks(dialog->txtPassword, "secret");
                   QTest::mouseClick(dialog->cmdOK, Qt::LeftButton);
               });
    ann.form->mnuConnect->trigger();
    QCOMPARE(ann.sandbox.boxes.texts(), QStringList{"Invalid username or password!"});
    QCOMPARE(ann.form->windowTitle(), QString("Kivo - ann"));
    QCOMPARE(ann.form->connection().LoggedUser, QString("ann"));
    QVERIFY(!ann.form->loginDialog());
    QCOMPARE(ann.sandbox.readFile("connection.dat"),
             "ann\r\nsecret\r\n127.0.0.1\r\n" + QByteArray::number(server.port()) + "\r\n");
}

void TestEndToEnd::privateMessagesBothWays() {
    test::DevServer server;
    Client ann(server.port());
    QVERIFY(ann.logIn());
    test::RawClient carl(server.port(), "carl");
    carl.send("/pm ann hi <b>ann</b>");
    QVERIFY(carl.waitFor("Private message sent to ann."));
    QTRY_VERIFY(ann.form->chats().window("carl"));
    FormChat* chat = ann.form->chats().window("carl");
    QCOMPARE(test::transcriptText(chat), QString("[09:05:07] <carl> hi <b>ann</b>\n"));
    QCOMPARE(ann.form->blink().BlinkList().size(), 1);

    QTest::keyClicks(chat->txtMessage, "hello carl");
    QTest::keyClick(chat->txtMessage, Qt::Key_Return);
    QVERIFY(carl.waitFor("(Private) ann:hello carl"));
    QCOMPARE(
        test::transcriptRuns(chat).mid(4),
        (QStringList{test::StampRun, "<ann>  {#0000ff}", "hello carl {#000000}", test::LineEnd}));
    QTest::qWait(100); // the receipt is swallowed: no box
    QVERIFY(ann.sandbox.boxes.boxes.isEmpty());
}

void TestEndToEnd::conferenceBothWaysThenHomeAgain() {
    test::DevServer server;
    Client ann(server.port());
    QVERIFY(ann.logIn());
    test::whenModal([](QWidget* modal) {
        auto* dialog = qobject_cast<frmJoinConference*>(modal);
        dialog->txtConferenceName->setText("lobby");
        QTest::keyClick(dialog->txtConferenceName, Qt::Key_Return);
    });
    ann.form->mnuJoinConference->trigger();
    FormChat* room = ann.form->chats().ServerChatWindow;
    QVERIFY(room);
    QTRY_COMPARE(test::transcriptText(room), QString("[09:05:07] *** ann has joined lobby\n"));

    test::RawClient carl(server.port(), "carl");
    carl.send("/join_server lobby@localhost");
    carl.send("hi room");
    QTRY_COMPARE(test::transcriptText(room), QString("[09:05:07] *** ann has joined lobby\n"
                                                     "[09:05:07] *** carl has joined lobby\n"
                                                     "[09:05:07] <carl> hi room\n"));
    QTest::keyClicks(room->txtMessage, "hello all");
    QTest::keyClick(room->txtMessage, Qt::Key_Return);
    QVERIFY(carl.waitFor("ann: hello all"));
    QTRY_VERIFY(test::transcriptRuns(room).contains("<ann>  {#0000ff}"));

    carl.send("/join_server lobby@far.example");
    QVERIFY(carl.waitFor("*** The server far.example is not known here."));

    room->close(); // leaving the room: back to the home server with the saved login
    QVERIFY(carl.waitFor("*** ann has left lobby"));
    QTRY_VERIFY(!ann.form->connection().WaitingForLogin);
    QCOMPARE(ann.form->connection().LoggedUser, QString("ann"));
    QCOMPARE(ann.form->windowTitle(), QString("Kivo - ann"));
    carl.send("/pm ann welcome back");
    QTRY_VERIFY(ann.form->chats().window("carl"));
}

void TestEndToEnd::ignoreListRoundTrip() {
    test::DevServer server;
    Client ann(server.port());
    QVERIFY(ann.logIn());
    test::RawClient carl(server.port(), "carl");
    ann.form->mnuIgnoreList->trigger();
    frmIgnoreList* window = ann.form->ignoreListWindow();
    test::whenModal([](QWidget* modal) {
        auto* dialog = qobject_cast<frmAddUserToIgnore*>(modal);
        dialog->txtUsername->setText("carl");
        dialog->cmdOK->click();
    });
    QTest::mouseClick(window->cmdAdd, Qt::LeftButton);
    QCOMPARE(window->lstIgnore->count(), 1);
    carl.send("/pm ann are you there");
    QVERIFY(carl.waitFor("Failed to send private message to ann."));

    QTest::mouseClick(window->cmdOK, Qt::LeftButton);
    QTRY_VERIFY(!ann.form->ignoreListWindow());
    ann.form->mnuIgnoreList->trigger(); // asks the server again
    window = ann.form->ignoreListWindow();
    QTRY_COMPARE(window->lstIgnore->count(), 1);
    QCOMPARE(window->lstIgnore->item(0)->text(), QString("carl"));
    window->lstIgnore->setCurrentRow(0);
    QTest::mouseClick(window->cmdRemove, Qt::LeftButton);
    carl.send("/pm ann now?");
    QVERIFY(carl.waitFor("Private message sent to ann."));
    QTRY_VERIFY(ann.form->chats().window("carl"));
    QVERIFY(ann.sandbox.boxes.boxes.isEmpty());
}

void TestEndToEnd::serverGoingAway() {
    test::DevServer server;
    Client ann(server.port());
    QVERIFY(ann.logIn());
    server.stop();
    QCOMPARE(server.exitCode(), 0); // a clean shutdown on SIGTERM
    QTRY_COMPARE(ann.form->lblConnectionState->text(), QString("Disconnected!"));
    QCOMPARE(ann.form->windowTitle(), QString("Kivo"));
    QCOMPARE(ann.form->connection().Winsock1.state(), int(Winsock::Closed));
    bool sawLogin = false;
    test::whenModal([&](QWidget* modal) {
        sawLogin = qobject_cast<frmLogin*>(modal) != nullptr;
        modal->close();
    });
    ann.form->mnuConnect->trigger();
    QVERIFY(sawLogin);
}

QTEST_MAIN(TestEndToEnd)
#include "tst_e2e.moc"
