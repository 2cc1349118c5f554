// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChatRegistry.h"
#include "ContactTreeView.h"
#include "Form1.h"
#include "FormChat.h"
#include "OptionalFeatures.h"
#include "TestSupport.h"
#include "TranscriptView.h"
#include "frmSelectCategory.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWheelEvent>

using namespace kivo;
using test::LineEnd;
using test::StampRun;

namespace {

// The main window logged in as "ann" at a loopback server, with alice and bob as contacts.
struct Session {
    test::Sandbox sandbox;
    test::LoopbackServer server;
    std::unique_ptr<Form1> form;

    explicit Session(const QByteArray& preferences = {}) {
        test::writeAliceAndBob(sandbox);
        if (!preferences.isEmpty())
            sandbox.writeFile("kivo.ini", preferences);
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
    void aStrangersMessageOpensAWindowWhenAskedFor();
    void strangersOpenABoundedNumberOfWindows();
    void windowsReopenWhereTheyWereWhenAskedFor();
    void receiptAndMessageInOneReadAreBothHandled();
    void conferenceLinesInTheirForms();
    void conferenceLinesWithoutARoomAreDropped();
    void errorRepliesRaiseBoxes();
    void aLineTheServerDidNotTakeIsSaidWhereItWasTyped();
    void aMessageNeverTakesTheKeyboardFromSomeoneTyping();
    void ctrlWAndEscapeCloseAChatWindowButEscapeNoRoom();
    void textZoomIsOneSizeForAllWindowsAndKept();
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
    // The timer ticks while something blinks, and no longer.
    QVERIFY(s.form->tmrBlink.isActive());
    s.sandbox.clock.advanceMs(3400);
    QVERIFY(s.form->blink().BlinkList().isEmpty());
    QVERIFY(!alice->Bold && alice->ForeColor == ContactTree::Black);
    QVERIFY(!s.form->tmrBlink.isActive());
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

void TestRouting::aStrangersMessageOpensAWindowWhenAskedFor() {
    Session s("[General]\nstrangerWindows=true\n");
    s.deliver("(Private) zed:who am I\r\n(Private) Zed:again\r\n");
    FormChat* chat = s.form->chats().window("zed");
    QVERIFY(chat);
    QCOMPARE(test::transcriptText(chat), QString("[09:05:07] *** zed is not in your contacts.\n"
                                                 "[09:05:07] <zed> who am I\n"
                                                 "[09:05:07] <Zed> again\n"));
    QVERIFY(s.form->blink().BlinkList().isEmpty()); // no node to blink
    QTRY_VERIFY(chat->isActiveWindow());
    QTest::keyClicks(chat->txtMessage, "hello");
    QTest::keyClick(chat->txtMessage, Qt::Key_Return);
    QVERIFY(s.server.waitForReceived("/pm zed hello\r\n"));

    // Adding the sender: the dialog comes with the name filled in; once added, it is offered
    // no more.
    QList<QAction*> offered = chat->txtChat->actions();
    QCOMPARE(offered.size(), 1);
    QCOMPARE(offered[0]->text(), QString("&Add to Contacts..."));
    QString filled;
    test::whenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<frmSelectCategory*>(modal);
        filled = dialog->txtContactName->text();
        dialog->cmdOK->click();
    });
    offered[0]->trigger();
    QCOMPARE(filled, QString("zed"));
    QVERIFY(s.form->contacts().FindContactNode("zed"));
    QVERIFY(chat->txtChat->actions().isEmpty() && chat->actions().isEmpty());
}

void TestRouting::strangersOpenABoundedNumberOfWindows() {
    Session s("[General]\nstrangerWindows=true\n");
    QByteArray lines;
    for (int i = 0; i < 25; ++i)
        lines += "(Private) s" + QByteArray::number(i) + ":hi\r\n";
    // The box stays open until every line is routed, as a modal box would.
    s.sandbox.boxes.whileOpen = [&] {
        QTRY_VERIFY(s.form->chats().window("s3") &&
                    test::transcriptText(s.form->chats().window("s3")).contains("still"));
        s.sandbox.boxes.whileOpen = nullptr;
    };
    s.deliver(lines + "(Private) s3:an open window still takes messages\r\n");
    QCOMPARE(s.form->chats().openCount(), ChatRegistry::MaxStrangerWindows);
    QVERIFY(s.form->chats().window("s19") && !s.form->chats().window("s20"));
    QVERIFY(test::transcriptText(s.form->chats().window("s3")).endsWith("still takes messages\n"));
    // What was held back is said in one box.
    QTRY_COMPARE(s.sandbox.boxes.texts(),
                 QStringList{"A message from s20, who is not in your contacts, was not shown: 20 "
                             "windows of people not in your contacts are open. Close some of "
                             "them to see such messages again.\n\n(4 more like this)"});
    // A closed window makes room again; contacts are never held back.
    s.form->chats().window("s0")->close();
    s.deliver("(Private) s20:now\r\n(Private) alice:hello\r\n");
    QVERIFY(s.form->chats().window("s20") && s.form->chats().window("alice"));
}

void TestRouting::windowsReopenWhereTheyWereWhenAskedFor() {
    QPoint designPlace;
    QSize designSize;
    {
        Session off;
        off.deliver("(Private) bob:hi\r\n");
        FormChat* bob = off.form->chats().window("bob");
        designPlace = bob->geometry().topLeft();
        designSize = bob->size();
        bob->move(designPlace + QPoint(40, 30));
        bob->close();
        off.form.reset();
        QVERIFY(!off.sandbox.readFile("kivo.ini").contains("places"));
    }
    Session s("[General]\nrememberPlaces=true\n");
    s.form->setGeometry(QRect(QPoint(60, 50), s.form->size()));
    s.deliver("(Private) Bob:hi\r\n");
    FormChat* bob = s.form->chats().window("bob");
    QCOMPARE(bob->size(), designSize); // nothing kept yet
    bob->setGeometry(123, 77, 500, 300);
    bob->close();
    s.deliver("(Private) bob:again\r\n");
    bob = s.form->chats().window("bob");
    QCOMPARE(bob->geometry(), QRect(123, 77, 500, 300));
    s.form.reset(); // Exit: the main window's place too
    QVERIFY(s.sandbox.readFile("kivo.ini").contains("main=@Rect(60 50 "));
    Form1 again;
    QCOMPARE(again.geometry().topLeft(), QPoint(60, 50));
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

void TestRouting::aLineTheServerDidNotTakeIsSaidWhereItWasTyped() {
    Session s;
    const auto send = [&](FormChat* chat, const QString& text, const QByteArray& wire) {
        s.server.clearReceived();
        chat->txtMessage->setText(text);
        QTest::mouseClick(chat->cmdSend, Qt::LeftButton);
        QVERIFY(s.server.waitForReceived(wire));
    };
    FormChat* alice = s.form->chats().OpenChatWindow("alice");
    FormChat* bob = s.form->chats().OpenChatWindow("bob");
    FormChat* room = s.form->chats().openConference("lobby");
    // Answers come in the order the lines went: alice's was delivered, bob's was not.
    send(alice, "hi alice", "/pm alice hi alice\r\n");
    send(bob, "hi bob", "/pm bob hi bob\r\n");
    // Typed in the room, a private message shows in its conversation, and is answered too.
    send(room, "/pm tess are you <b>there</b>?", "/pm tess are you <b>there</b>?\r\n");
    FormChat* tess = s.form->chats().window("tess");
    QVERIFY(tess && tess->isVisible());
    QCOMPARE(test::transcriptText(tess), QString("[09:05:07] <ann> are you <b>there</b>?\n"));
    // A line the server reads as a command; a known command is answered otherwise.
    send(room, "/ignore-list", "/ignore-list\r\n");
    send(room, "/etc/hosts is the file", "/etc/hosts is the file\r\n");
    s.deliver("Private message sent to alice.\r\nFailed to send private message to bob.\r\n"
              "User does not exist.\r\nIgnore list is empty.\r\nUnknown command.\r\n");

    QCOMPARE(test::transcriptText(alice), QString("[09:05:07] <ann> hi alice\n"));
    QCOMPARE(test::transcriptText(bob),
             QString("[09:05:07] <ann> hi bob\n[09:05:07] *** Not delivered: \"hi bob\"\n"));
    QCOMPARE(test::transcriptText(tess),
             QString("[09:05:07] <ann> are you <b>there</b>?\n"
                     "[09:05:07] *** Not delivered: \"are you <b>there</b>?\"\n"));
    QCOMPARE(test::transcriptText(room),
             QString("[09:05:07] *** The server did not take \"/etc/hosts is the file\": it "
                     "reads lines that begin with / as commands.\n"));
    // The boxes are as they were.
    QCOMPARE(s.sandbox.boxes.texts(),
             (QStringList{"Failed to send private message to bob.", "User does not exist."}));

    // An answer a minute late is not taken for one: the line it would name is long gone.
    send(bob, "late", "/pm bob late\r\n");
    s.sandbox.clock.advanceMs(61000);
    s.deliver("Failed to send private message to bob.\r\n");
    QVERIFY(!test::transcriptText(bob).contains("\"late\""));

    // An answer that never came is forgotten with the connection: the next connection's
    // answers are for the lines sent on it.
    send(alice, "still there?", "/pm alice still there?\r\n");
    s.server.dropClient();
    QTRY_VERIFY(!s.form->connection().isConnected());
    QVERIFY(!s.form->chats().pendingSends().privateAnswered());
}

void TestRouting::aMessageNeverTakesTheKeyboardFromSomeoneTyping() {
    Session s;
    s.deliver("(Private) bob:hi\r\n");
    FormChat* bob = s.form->chats().window("bob");
    QTRY_VERIFY(bob->isActiveWindow());
    // Typing to bob: alice's first message opens her window behind, the keys stay with bob.
    QTest::keyClicks(bob->txtMessage, "see you");
    s.deliver("(Private) alice:are you there?\r\n");
    FormChat* alice = s.form->chats().window("alice");
    QVERIFY(alice && alice->isVisible());
    QTest::qWait(100);
    QVERIFY(bob->isActiveWindow());
    // Words not yet sent hold the keyboard too, however long ago the last key was.
    s.sandbox.clock.advanceMs(ChatRegistry::TypingPause);
    s.deliver("(Private) alice:hello?\r\n");
    QTest::qWait(100);
    QVERIFY(bob->isActiveWindow());
    QTest::keyClicks(QApplication::focusWidget(), " soon");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY(s.server.waitForReceived("/pm bob see you soon\r\n"));

    // Sent, and two seconds without a key: the next message takes the focus, as before.
    s.sandbox.clock.advanceMs(ChatRegistry::TypingPause);
    s.deliver("(Private) alice:lunch?\r\n");
    QTRY_VERIFY(alice->isActiveWindow());

    // Switched off: windows are shown, nothing takes the focus.
    Session quiet("[General]\nbringToFront=false\n");
    quiet.form->show();
    quiet.form->activateWindow();
    QTRY_VERIFY(quiet.form->isActiveWindow());
    quiet.deliver("(Private) bob:hi\r\n");
    QVERIFY(quiet.form->chats().window("bob")->isVisible());
    QTest::qWait(100);
    QVERIFY(quiet.form->isActiveWindow());
}

void TestRouting::ctrlWAndEscapeCloseAChatWindowButEscapeNoRoom() {
    Session s;
    s.deliver("(Private) bob:hi\r\n(Private) alice:hello\r\n");
    const auto active = [](FormChat* chat) {
        chat->activateWindow();
        return QTest::qWaitForWindowActive(chat);
    };
    QTRY_VERIFY(s.form->chats().window("alice")->isActiveWindow()); // the last message's
    FormChat* bob = s.form->chats().window("bob");
    QVERIFY(active(bob));
    QTest::keyClick(bob->txtMessage, Qt::Key_W, Qt::ControlModifier);
    QVERIFY(!s.form->chats().window("bob"));
    QVERIFY(active(s.form->chats().window("alice")));
    QTest::keyClick(s.form->chats().window("alice")->txtMessage, Qt::Key_Escape);
    QVERIFY(!s.form->chats().window("alice"));

    FormChat* room = s.form->chats().openConference("lobby");
    QVERIFY(active(room));
    QTest::keyClick(room->txtMessage, Qt::Key_Escape);
    QVERIFY(room->isVisible());
    QTest::keyClick(room->txtMessage, Qt::Key_W, Qt::ControlModifier);
    QVERIFY(!room->isVisible());
}

void TestRouting::textZoomIsOneSizeForAllWindowsAndKept() {
    Session s;
    s.deliver("(Private) bob:hi\r\n");
    FormChat* bob = s.form->chats().window("bob");
    QTRY_VERIFY(bob->isActiveWindow());
    const qreal base = bob->txtChat->font().pointSizeF();
    const qreal treeBase = s.form->tvContacts->font().pointSizeF();
    QTest::keyClick(bob->txtMessage, Qt::Key_Plus, Qt::ControlModifier);
    QCOMPARE(bob->txtChat->font().pointSizeF(), base + 1);
    QWheelEvent wheel(QPointF(10, 10), bob->txtChat->viewport()->mapToGlobal(QPointF(10, 10)), {},
                      {0, 120}, Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(bob->txtChat->viewport(), &wheel);
    QCOMPARE(bob->txtChat->font().pointSizeF(), base + 2);
    QCOMPARE(s.form->tvContacts->font().pointSizeF(), treeBase + 2);
    s.sandbox.clock.advanceMs(Preferences::SettleTime); // written once the steps settle
    QVERIFY(s.sandbox.readFile("kivo.ini").contains("textZoom=2"));
    s.deliver("(Private) alice:hello\r\n");
    QCOMPARE(s.form->chats().window("alice")->txtChat->font().pointSizeF(), base + 2);

    // Kept for the next start; Ctrl+0 goes back to the default everywhere.
    Session next(s.sandbox.readFile("kivo.ini"));
    next.deliver("(Private) bob:again\r\n");
    FormChat* again = next.form->chats().window("bob");
    QCOMPARE(again->txtChat->font().pointSizeF(), base + 2);
    // A chosen font for the transcripts takes the zoom too; the list keeps the system's.
    Preferences::Values values = next.form->features().preferences().values();
    values.transcriptFont = QFont("Serif", 20).toString();
    QVERIFY(next.form->features().preferences().save(values));
    QCOMPARE(again->txtChat->font().family(), QString("Serif"));
    QCOMPARE(again->txtChat->font().pointSizeF(), 22.0);
    QVERIFY(next.form->tvContacts->font().family() != "Serif");
    values.transcriptFont.clear();
    QVERIFY(next.form->features().preferences().save(values));
    QCOMPARE(again->txtChat->font().pointSizeF(), base + 2);
    QTRY_VERIFY(again->isActiveWindow());
    QTest::keyClick(again->txtMessage, Qt::Key_0, Qt::ControlModifier);
    QCOMPARE(again->txtChat->font().pointSizeF(), base);
    QCOMPARE(next.form->tvContacts->font().pointSizeF(), treeBase);
}

QTEST_MAIN(TestRouting)
#include "tst_routing.moc"
