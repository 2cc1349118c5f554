// SPDX-License-Identifier: GPL-3.0-or-later
#include "ContactTreeView.h"
#include "Form1.h"
#include "FormChat.h"
#include "TestSupport.h"

#include <QTest>

using namespace kivo;
using test::LineEnd;
using test::StampRun;

namespace {

// The main window logged in as "ann" at a loopback server, with alice and bob as contacts.
struct Session {
    test::Sandbox sandbox;
    test::LoopbackServer server;
    std::unique_ptr<Form1> form;

    Session() {
        test::writeAliceAndBob(sandbox);
        form = std::make_unique<Form1>();
        if (!test::logInAt(server, form->connection(), "ann", "pw"))
            qFatal("no login");
    }

    // Sends lines and waits until the client has routed them all (a ping is swallowed last).
    void deliver(const QByteArray& lines) {
        bool done = false;
        auto connection =
            QObject::connect(&form->connection(), &ConnectionController::messageReceived,
                             [&](const QString& m) { done = m == "*Ping!* marker"; });
        server.send(lines + "*Ping!* marker\r\n");
        QTRY_VERIFY(done);
        QObject::disconnect(connection);
    }
};

} // namespace

class TestRouting : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void privateMessageOpensTheContactsWindowAndBlinks();
    void privateMessageReachesAnOpenWindowInOtherCase();
    void privateMessagesThatGoNowhere();
    void receiptAndMessageInOneReadAreBothHandled();
    void conferenceLinesInTheirForms();
    void conferenceLinesWithoutARoomAreDropped();
    void errorRepliesRaiseBoxes();
};

void TestRouting::privateMessageOpensTheContactsWindowAndBlinks() {
    Session s;
    s.deliver("(Private) Alice: hello <b>there</b> \r\n");
    FormChat* chat = s.form->chats().window("alice");
    QVERIFY(chat);
    QCOMPARE(chat->windowTitle(), QString("Alice - Chat")); // opened under the name as sent
    QVERIFY(chat->isVisible());
    QCOMPARE(test::transcriptRuns(chat), (QStringList{StampRun, "<Alice>  {#ff0000}",
                                                      "hello <b>there</b> {#000000}", LineEnd}));
    ContactNode* alice = s.form->contacts().node("general_contact_alice");
    QCOMPARE(s.form->blink().BlinkList().size(), 1);
    QCOMPARE(s.form->blink().BlinkList()[0].node, alice);
    s.form->blink().tmrBlink_Timer();
    QVERIFY(alice->Bold && alice->ForeColor == ContactTree::Red);

    s.sandbox.clock.advanceMs(1000);
    s.deliver("(Private) alice:again\r\n");
    QCOMPARE(s.form->chats().openCount(), 1);
    QCOMPARE(s.form->blink().BlinkList().size(), 1);
    QCOMPARE(s.form->blink().BlinkList()[0].endTime, s.sandbox.clock.now().addMSecs(3000));
}

void TestRouting::privateMessageReachesAnOpenWindowInOtherCase() {
    Session s;
    FormChat* open = s.form->OpenChatWindow("ALICE");
    s.deliver("(Private) alice:hi\r\n");
    QCOMPARE(s.form->chats().openCount(), 1);
    QCOMPARE(open->windowTitle(), QString("ALICE - Chat"));
    QCOMPARE(test::transcriptRuns(open),
             (QStringList{StampRun, "<alice>  {#ff0000}", "hi {#000000}", LineEnd}));
}

void TestRouting::privateMessagesThatGoNowhere() {
    Session s;
    FormChat* room = s.form->chats().openConference("lobby");
    s.deliver("(Private) zed:who am I\r\n"  // not a contact
              "(Private) alice :spaced\r\n" // the sender keeps its space
              "(Private) no colon at all\r\n");
    QCOMPARE(s.form->chats().openCount(), 0);
    QVERIFY(s.form->blink().BlinkList().isEmpty());
    QCOMPARE(test::transcriptText(room), QString());
}

void TestRouting::receiptAndMessageInOneReadAreBothHandled() {
    Session s;
    FormChat* chat = s.form->OpenChatWindow("bob");
    s.deliver("Private message sent to bob.\r\n(Private) bob:got it\r\n");
    QCOMPARE(test::transcriptText(chat), QString("[09:05:07] <bob> got it\n"));
    QVERIFY(s.sandbox.boxes.boxes.isEmpty());
}

void TestRouting::conferenceLinesInTheirForms() {
    Session s;
    FormChat* room = s.form->chats().openConference("lobby");
    s.deliver("*** bob has joined lobby\r\n"
              "ann: mine\r\n"
              "Ann: other case\r\n"
              "bob:<img src=x>\r\n"
              "a sentence: with a colon\r\n"
              "bob:\r\n"
              "Login successful.\r\n");
    // clang-format off
    const QStringList expected{
        StampRun, "*** bob has joined lobby {#000000 bold}",   LineEnd,
        StampRun, "<ann>  {#0000ff}", "mine {#000000}",        LineEnd,
        StampRun, "<Ann>  {#ff0000}", "other case {#000000}",  LineEnd,
        StampRun, "<bob>  {#ff0000}", "<img src=x> {#000000}", LineEnd,
        StampRun, "a sentence: with a colon {#000000}",        LineEnd,
        StampRun, "<bob>  {#ff0000}",                          LineEnd,
        StampRun, "Login successful. {#000000}",               LineEnd};
    // clang-format on
    QCOMPARE(test::transcriptRuns(room), expected);
}

void TestRouting::conferenceLinesWithoutARoomAreDropped() {
    Session s;
    s.deliver("bob: nobody hears this\r\n");
    QCOMPARE(s.form->chats().openCount(), 0);
    FormChat* room = s.form->chats().openConference("lobby");
    QCOMPARE(test::transcriptText(room), QString()); // no backlog
}

void TestRouting::errorRepliesRaiseBoxes() {
    Session s;
    s.deliver("User does not exist.\r\nFailed to send private message to j.doe.\r\n"
              "Ignore list: a\r\nIgnore list is empty.\r\n");
    QCOMPARE(s.sandbox.boxes.texts(),
             (QStringList{"User does not exist.", "Failed to send private message to jdoe."}));
    QCOMPARE(s.sandbox.boxes.boxes[1].title, QString("Private Message Error"));
    QVERIFY(!s.form->ignoreListWindow()); // a list reply never opens the window
}

QTEST_MAIN(TestRouting)
#include "tst_routing.moc"
