// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChatLayout.h"
#include "ChatRegistry.h"
#include "ConnectionController.h"
#include "ConnectionFile.h"
#include "ConversationTabs.h"
#include "CursorRest.h"
#include "FormChat.h"
#include "NameCompletion.h"
#include "QtMessageBoxes.h"
#include "SpellChecker.h"
#include "TestSupport.h"
#include "TranscriptView.h"
#include "UnsentText.h"
#include "Widgets.h"

#include <QClipboard>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyleHints>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QWindow>

using namespace kivo;
using test::LineEnd;
using test::StampRun;

namespace {

// A logged-in connection as "ann" to a loopback server, with the chat registry on top.
struct Session {
    test::Sandbox sandbox;
    test::LoopbackServer server;
    ConnectionController connection;
    ChatRegistry chats{connection};

    // The same tests again with conversations as tabs (CTest's tst_chat_tabs).
    Session() { chats.setTabs(!qEnvironmentVariableIsEmpty("KIVO_TEST_TABS")); }
    bool logIn() { return test::logInAt(server, connection, "ann", "pw"); }
};

void type(FormChat* chat, const QString& text) {
    chat->txtMessage->setText(text);
    QTest::keyClick(chat->txtMessage, Qt::Key_Return);
}

} // namespace

class TestChat : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void privateWindowSendsPmAndEchoes();
    void conferenceSendsTheTextUnchanged();
    void pastedLinesGoOutOneByOne();
    void blankInputSendsNothing();
    void upAndDownWalkThroughWhatWasSent();
    void unsentTextOutlivesTheWindowAndKivo();
    void keptTextIsBounded();
    void conversationsAsTabs();
    void switchingTabsKeepsEverything();
    void aTabIsDraggedOutAndBack();
    void namesAreCompleted_data();
    void namesAreCompleted();
    void tabCompletesFromTheRoomThenContacts();
    void aRoomLineNamingMeIsHighlighted();
    void spellingIsCheckedAndLearnt();
    void misspeltWordsAreUnderlinedAndMended();
    void theUsersOwnWordsAreBoundedAndNeverWrittenThroughALink();
    void theCursorRestsAfterTenSecondsWithoutInput();
    void theUnreadMarkerStaysUntilLookedAt();
    void nothingIsEchoedWithoutAConnection();
    void transcriptLineStyles();
    void markupIsShownLiterally();
    void oneMessageIsOneLineOnScreen();
    void linesAppearWithinAFrame();
    void registryIgnoresLetterCase();
    void conferenceCloseGoesBackToTheHomeServer();
    void conferenceCloseWithoutSavedDataTouchesNothing();
    void exitingDoesNotReconnect();
    void layoutAtTheOpeningSize();
    void layoutBelowTheLimits();
    void focusStaysOnTheInputLine();
    void controlCharactersNeverReachTheServer();
    void aPasteCutToTheLinesLengthIsSaid();
    void aWindowClosesUnderItsMenusAndBoxes();
};

void TestChat::privateWindowSendsPmAndEchoes() {
    Session s;
    QVERIFY(s.logIn());
    FormChat* chat = s.chats.OpenChatWindow("bob");
    QCOMPARE(chat->windowTitle(), QString("bob - Chat"));
    QCOMPARE(chat->lblContact->text(), QString("bob"));
    QCOMPARE(chat->ChatMode, qint16(0));
    type(chat, "   hello  there ");
    QVERIFY(s.server.waitForReceived("/pm bob hello  there\r\n"));
    QCOMPARE(chat->txtMessage->text(), QString());
    QCOMPARE(test::transcriptRuns(chat),
             (QStringList{StampRun, "<ann>  {#0000ff}", "hello  there {#000000}", LineEnd}));
    // A typed "*** " line is sent normally and echoed as a system line.
    QTest::mouseClick(chat->cmdSend, Qt::LeftButton); // empty: nothing
    chat->txtMessage->setText("*** waves");
    QTest::mouseClick(chat->cmdSend, Qt::LeftButton);
    QVERIFY(s.server.waitForReceived("/pm bob hello  there\r\n/pm bob *** waves\r\n"));
    QCOMPARE(test::transcriptRuns(chat).mid(4),
             (QStringList{StampRun, "*** waves {#000000 bold}", LineEnd}));
}

void TestChat::conferenceSendsTheTextUnchanged() {
    Session s;
    QVERIFY(s.logIn());
    FormChat* room = s.chats.openConference("lobby@far.example");
    QCOMPARE(room->windowTitle(), QString("lobby@far.example Room"));
    QCOMPARE(room->lblContact->text(), QString("lobby@far.example"));
    QCOMPARE(room->ContactName, QString("__SERVER__"));
    QCOMPARE(room->ChatMode, qint16(1));
    type(room, " /pm carl psst ");
    QVERIFY(s.server.waitForReceived("/pm carl psst\r\n"));
    QCOMPARE(test::transcriptText(room), QString()); // no echo in the room: in carl's window
    QCOMPARE(s.chats.openCount(), 1);
    QCOMPARE(test::transcriptText(s.chats.window("carl")), QString("[09:05:07] <ann> psst\n"));
    // Without a text there is no private message to show.
    type(room, "/pm carl");
    QVERIFY(s.server.waitForReceived("/pm carl psst\r\n/pm carl\r\n"));
    QCOMPARE(test::transcriptText(s.chats.window("carl")), QString("[09:05:07] <ann> psst\n"));
}

void TestChat::pastedLinesGoOutOneByOne() {
    Session s;
    QVERIFY(s.logIn());
    FormChat* chat = s.chats.OpenChatWindow("bob");
    type(chat, "hello bob\nmy password is hunter2 \r\n\r\n\x07");
    QVERIFY(s.server.waitForReceived("/pm bob hello bob\r\n/pm bob my password is hunter2\r\n"));
    QCOMPARE(test::transcriptText(chat),
             QString("[09:05:07] <ann> hello bob\n[09:05:07] <ann> my password is hunter2\n"));
    QCOMPARE(chat->txtMessage->text(), QString());
    s.server.clearReceived();
    FormChat* room = s.chats.openConference("lobby");
    type(room, QString("hi all") + QChar(0x2029) + "\tbye\x1b");
    QVERIFY(s.server.waitForReceived("hi all\r\n\tbye\r\n"));
}

void TestChat::upAndDownWalkThroughWhatWasSent() {
    Session s;
    QVERIFY(s.logIn());
    FormChat* chat = s.chats.OpenChatWindow("bob");
    FormChat* other = s.chats.OpenChatWindow("carl");
    type(chat, "one");
    type(chat, "two\nthree"); // pasted: its lines, one by one
    type(other, "for carl");
    QTest::keyClicks(chat->txtMessage, "draft");
    QStringList seen;
    const auto press = [&](Qt::Key key, int times) {
        for (int i = 0; i < times; ++i) {
            QTest::keyClick(chat->txtMessage, key);
            seen << chat->txtMessage->text();
        }
    };
    press(Qt::Key_Up, 4);
    press(Qt::Key_Down, 4);
    QCOMPARE(seen, (QStringList{"three", "two", "one", "one", "two", "three", "draft", "draft"}));

    // Only the newest hundred are kept.
    for (int i = 0; i < SentLines::Capacity + 5; ++i)
        type(chat, QString::number(i));
    seen.clear();
    press(Qt::Key_Up, SentLines::Capacity + 1);
    QCOMPARE(seen.first(), QString::number(SentLines::Capacity + 4));
    QCOMPARE(seen.last(), QString("5"));
}

void TestChat::unsentTextOutlivesTheWindowAndKivo() {
    Session s;
    QVERIFY(s.logIn());
    auto unsent = std::make_unique<UnsentText>();
    s.chats.setUnsentText(unsent.get());
    FormChat* bob = s.chats.OpenChatWindow("bob");
    type(bob, "sent first");
    QTest::keyClicks(bob->txtMessage, "half a thought");
    bob->close();
    QCOMPARE(s.sandbox.readFile(UnsentText::FileName),
             QByteArray(R"([{"conversation":"private:bob","sent":["sent first"],)"
                        R"("unsent":"half a thought"}])"));
    QCOMPARE(QFileInfo(s.sandbox.path(UnsentText::FileName)).permissions() & 0x0077, 0);

    // Kivo again: the text comes back under any spelling of the name, the cursor at its end,
    // and Up still recalls what was sent.
    unsent = std::make_unique<UnsentText>();
    unsent->load();
    s.chats.setUnsentText(unsent.get());
    bob = s.chats.OpenChatWindow("BOB");
    QCOMPARE(bob->txtMessage->text(), QString("half a thought"));
    QCOMPARE(bob->txtMessage->cursorPosition(), 14);
    QTest::keyClick(bob->txtMessage, Qt::Key_Up);
    QCOMPARE(bob->txtMessage->text(), QString("sent first"));
    QTest::keyClick(bob->txtMessage, Qt::Key_Down);
    type(bob, bob->txtMessage->text());
    bob->close();
    // Sent, nothing is unsent; the sent lines stay for recall.
    QCOMPARE(s.sandbox.readFile(UnsentText::FileName),
             QByteArray(R"([{"conversation":"private:bob","sent":["sent first","half a thought"],)"
                        R"("unsent":""}])"));

    // Off: nothing is kept or shown.
    s.chats.setUnsentText(nullptr);
    bob = s.chats.OpenChatWindow("bob");
    QCOMPARE(bob->txtMessage->text(), QString());
    QTest::keyClicks(bob->txtMessage, "gone");
    bob->close();
    QVERIFY(!s.sandbox.readFile(UnsentText::FileName).contains("gone"));
}

void TestChat::keptTextIsBounded() {
    test::Sandbox sandbox;
    UnsentText unsent;
    for (int i = 0; i < UnsentText::MaxConversations + 5; ++i)
        unsent.keep(QString("private:%1").arg(i), "words", {});
    // Control characters take six bytes each in the file.
    const QString full(32767, QChar(0x01));
    const QStringList longLines(SentLines::Capacity + 10, QString(4000, QChar(0x01)));
    unsent.keep("private:big", full, longLines);
    const qsizetype before = sandbox.readFile(UnsentText::FileName).size();
    unsent.keep("private:bigger", full, longLines);
    QVERIFY(sandbox.readFile(UnsentText::FileName).size() - before <=
            UnsentText::MaxConversationBytes);
    UnsentText again;
    again.load();
    QCOMPARE(again.kept("private:6").unsent, QString()); // the oldest went
    QCOMPARE(again.kept("private:7").unsent, QString("words"));
    const UnsentText::Kept newest = again.kept("private:bigger");
    QCOMPARE(newest.unsent, full);
    QVERIFY(!newest.sent.isEmpty() && newest.sent.size() < SentLines::Capacity);
    QVERIFY(sandbox.boxes.boxes.isEmpty());

    // A damaged file is said, and nothing of it shown.
    for (const QByteArray& damaged : {QByteArray("[{\"conversation\":"), QByteArray("{}")}) {
        sandbox.writeFile(UnsentText::FileName, damaged);
        UnsentText read;
        read.load();
        QCOMPARE(read.kept("private:bob").unsent, QString());
    }
    QCOMPARE(sandbox.boxes.boxes.size(), 2);
    QVERIFY(sandbox.boxes.texts()[0].contains("The unsent text kept in it is not shown."));
}

void TestChat::conversationsAsTabs() {
    Session s;
    QVERIFY(s.logIn());
    s.chats.setTabs(true);
    FormChat* bob = s.chats.OpenChatWindow("bob");
    ConversationTabs* tabs = s.chats.tabs();
    QVERIFY(QTest::qWaitForWindowActive(tabs));
    QTabWidget* pages = tabs->tabs();
    // A name from the network makes no access key, and "[*]" shows as it is.
    FormChat* odd = s.chats.openForMessage("a&b[*]");
    QTest::qWait(10); // the message's moment passes
    QCOMPARE(pages->count(), 2);
    QCOMPARE(pages->tabText(1), QString("a&&b[*] - Chat"));
    QCOMPARE(tabs->current(), bob);
    QCOMPARE(tabs->windowHandle()->title(), QString("bob - Chat"));

    // A line where the user is not looking makes its tab bold until it is chosen.
    odd->ReceiveMessage("a&b[*]", "psst");
    QVERIFY(pages->tabBar()->tabData(1).toBool());
    QVERIFY(!pages->tabBar()->tabData(0).toBool());
    QTest::keyClick(bob->txtMessage, Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(tabs->current(), odd);
    QVERIFY(!pages->tabBar()->tabData(1).toBool());
    QCOMPARE(odd->txtChat->unreadMarker(), 0);
    QCOMPARE(tabs->windowHandle()->title(), QString("a&b[*] - Chat"));
    QVERIFY(odd->txtMessage->hasFocus());
    QTest::keyClick(odd->txtMessage, Qt::Key_PageDown, Qt::ControlModifier); // round again
    QCOMPARE(tabs->current(), bob);
    QTest::keyClick(bob->txtMessage, Qt::Key_PageUp, Qt::ControlModifier);
    QCOMPARE(tabs->current(), odd);
    QTest::keyClick(odd->txtMessage, Qt::Key_1, Qt::AltModifier);
    QCOMPARE(tabs->current(), bob);
    QTest::keyClick(bob->txtMessage, Qt::Key_9, Qt::AltModifier); // no ninth: stays
    QCOMPARE(tabs->current(), bob);

    // While the user types in one tab, a message does not take the keyboard to another.
    QTest::keyClicks(bob->txtMessage, "half");
    s.chats.bringToFront(s.chats.openForMessage("carl"));
    QTest::qWait(50);
    QCOMPARE(tabs->current(), bob);
    QCOMPARE(pages->count(), 3);
    bob->txtMessage->clear();
    s.sandbox.clock.advanceMs(ChatRegistry::TypingPause);
    s.chats.bringToFront(odd);
    QTRY_COMPARE(tabs->current(), odd);

    // Ctrl+W closes the conversation shown, and only that one; the last closes the window.
    QTest::keyClick(odd->txtMessage, Qt::Key_W, Qt::ControlModifier);
    QTRY_COMPARE(pages->count(), 2);
    QVERIFY(!s.chats.window("a&b[*]"));
    QPointer<ConversationTabs> gone = tabs;
    pages->tabCloseRequested(0);
    QTRY_COMPARE(pages->count(), 1);
    pages->tabCloseRequested(0);
    QTRY_VERIFY(!gone);
    QVERIFY(!s.chats.tabs());
    QVERIFY(s.chats.OpenChatWindow("bob")->window() == s.chats.tabs());
}

void TestChat::switchingTabsKeepsEverything() {
    Session s;
    QVERIFY(s.logIn());
    s.chats.setTabs(false);
    FormChat* bob = s.chats.OpenChatWindow("bob");
    FormChat* carl = s.chats.OpenChatWindow("carl");
    bob->ReceiveMessage("bob", "one");
    bob->txtMessage->setText("typed for bob");
    carl->txtMessage->setText("typed for carl");
    QVERIFY(QTest::qWaitForWindowActive(carl));
    s.chats.setTabs(true);
    ConversationTabs* tabs = s.chats.tabs();
    QCOMPARE(tabs->conversations().size(), 2);
    QVERIFY(tabs->holds(bob) && tabs->holds(carl));
    QCOMPARE(tabs->current(), carl); // the window the user was in
    QVERIFY(QTest::qWaitForWindowActive(tabs));
    s.chats.setTabs(false);
    QVERIFY(!s.chats.tabs());
    for (FormChat* chat : {bob, carl})
        QVERIFY(chat->isWindow() && chat->isVisible());
    QCOMPARE(bob->txtMessage->text(), QString("typed for bob"));
    QCOMPARE(carl->txtMessage->text(), QString("typed for carl"));
    QCOMPARE(test::transcriptText(bob), QString("[09:05:07] <bob> one\n"));
    QCOMPARE(s.chats.window("bob"), bob);
}

void TestChat::aTabIsDraggedOutAndBack() {
    Session s;
    QVERIFY(s.logIn());
    s.chats.setTabs(true);
    FormChat* bob = s.chats.OpenChatWindow("bob");
    FormChat* carl = s.chats.OpenChatWindow("carl");
    bob->txtMessage->setText("typed");
    ConversationTabs* tabs = s.chats.tabs();
    QVERIFY(QTest::qWaitForWindowExposed(tabs));
    QTabBar* bar = tabs->tabs()->tabBar();

    // Pressed on bob's tab, moved along the bar past carl's (the tabs change places), pulled
    // well below the bar, then let go where nothing takes it.
    const QPoint onBob = bar->tabRect(0).center();
    QTest::mousePress(bar, Qt::LeftButton, {}, onBob);
    for (int x = onBob.x(); x < bar->tabRect(1).right(); x += 5) {
        QMouseEvent along(QEvent::MouseMove, QPointF(x, onBob.y()),
                          bar->mapToGlobal(QPointF(x, onBob.y())), Qt::NoButton, Qt::LeftButton,
                          {});
        QApplication::sendEvent(bar, &along);
    }
    QTRY_COMPARE(tabs->tabs()->widget(1), bob);
    QTimer::singleShot(100, bar, [bar] {
        QTest::mouseRelease(bar->window(), Qt::LeftButton, {}, QPoint(5, 300));
    });
    QMouseEvent away(QEvent::MouseMove, QPointF(onBob.x(), 10 * bar->height()),
                     bar->mapToGlobal(QPointF(onBob.x(), 10 * bar->height())), Qt::NoButton,
                     Qt::LeftButton, {});
    QApplication::sendEvent(bar, &away);
    QTRY_VERIFY(bob->isWindow());
    QVERIFY(bob->isVisible());
    QCOMPARE(tabs->conversations(), QList<FormChat*>{carl});
    QCOMPARE(bob->txtMessage->text(), QString("typed"));

    // Dropped on the bar (its name dragged there), it is a tab again.
    QMimeData data;
    data.setData(ConversationTabs::DragFormat, bob->conversation().toUtf8());
    QDragEnterEvent enter(QPoint(5, 5), Qt::MoveAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(bar, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::MoveAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(bar, &drop);
    QVERIFY(tabs->holds(bob));
    QCOMPARE(tabs->current(), bob);
    QCOMPARE(bob->txtMessage->text(), QString("typed"));
    // Anything else dropped there is not taken.
    QMimeData other;
    other.setText("private:carl");
    QDragEnterEvent stranger(QPoint(5, 5), Qt::MoveAction, &other, Qt::LeftButton, {});
    QApplication::sendEvent(bar, &stranger);
    QVERIFY(!stranger.isAccepted());
}

void TestChat::namesAreCompleted_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<QStringList>("expected"); // each Tab's line, | at the cursor
    const QStringList names{"carl", "Cathy", "CARL", "bob"};
    QTest::newRow("start of line, cycling")
        << "ca" << 2 << QStringList{"carl: |", "Cathy: |", "carl: |"};
    QTest::newRow("mid-line, case kept") << "hi CA" << 5 << QStringList{"hi carl |", "hi Cathy |"};
    QTest::newRow("before more text") << "bo and" << 2 << QStringList{"bob: | and"};
    QTest::newRow("no word") << "hi " << 3 << QStringList{};
    QTest::newRow("cursor at the start") << "hi ca" << 0 << QStringList{};
    QTest::newRow("no name") << "xy" << 2 << QStringList{};
}

void TestChat::namesAreCompleted() {
    QFETCH(QString, text);
    QFETCH(int, cursor);
    QFETCH(QStringList, expected);
    NameCompletion completion;
    QStringList got;
    std::optional<NameCompletion::Edit> edit =
        completion.start(text, cursor, {"carl", "Cathy", "CARL", "bob"});
    for (int i = 0; edit && i < 3; ++i) {
        got << QString(edit->text).insert(edit->cursor, u'|');
        edit = completion.again(edit->text, edit->cursor);
        if (got.size() == expected.size())
            break;
    }
    QCOMPARE(got, expected);
    // A line changed since is completed afresh, not cycled.
    QVERIFY(!completion.again(text + "x", cursor));
}

void TestChat::tabCompletesFromTheRoomThenContacts() {
    Session s;
    QVERIFY(s.logIn());
    s.chats.contactNames = [] { return QStringList{"carla", "dave"}; };
    FormChat* room = s.chats.openConference("lobby");
    room->transcript().appendConferenceLine("carol: hi", "ann");
    room->transcript().appendConferenceLine("ann: my own line", "ann");
    room->transcript().appendConferenceLine("Carl: hello", "ann");
    room->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(room));
    QTest::keyClicks(room->txtMessage, "car");
    QTest::keyClick(room->txtMessage, Qt::Key_Tab);
    QCOMPARE(room->txtMessage->text(), QString("Carl: ")); // the most recent speaker first
    QTest::keyClick(room->txtMessage, Qt::Key_Tab);
    QCOMPARE(room->txtMessage->text(), QString("carol: "));
    QTest::keyClick(room->txtMessage, Qt::Key_Tab);
    QCOMPARE(room->txtMessage->text(), QString("carla: ")); // then the contacts
    QVERIFY(room->txtMessage->hasFocus());
    // Nothing to complete: Tab moves on, as it always did.
    room->txtMessage->setText("see you ");
    QTest::keyClick(room->txtMessage, Qt::Key_Tab);
    QVERIFY(!room->txtMessage->hasFocus());

    FormChat* chat = s.chats.OpenChatWindow("Bob");
    QTest::keyClicks(chat->txtMessage, "thanks b");
    QTest::keyClick(chat->txtMessage, Qt::Key_Tab);
    QCOMPARE(chat->txtMessage->text(), QString("thanks Bob "));
}

void TestChat::aRoomLineNamingMeIsHighlighted() {
    Session s;
    QVERIFY(s.logIn());
    FormChat* room = s.chats.openConference("lobby");
    room->activateWindow(); // no unread marker
    QTRY_VERIFY(room->isActiveWindow());
    room->transcript().appendConferenceLine("carl: hi annabel", "ann"); // not a word of it
    room->transcript().appendConferenceLine("carl: over to you, ANN!", "ann");
    room->transcript().appendConferenceLine("ann: ann is here", "ann"); // her own
    room->transcript().appendConferenceLine("*** ann has joined lobby", "ann");
    QVERIFY(QTest::qWaitForWindowExposed(room));
    // Rows of the right edge, beyond any text, that are not the plain background.
    const auto tintedRows = [room] {
        QCoreApplication::processEvents();
        const QImage image = room->txtChat->viewport()->grab().toImage();
        const QRgb base = room->txtChat->palette().color(QPalette::Base).rgb();
        int rows = 0;
        for (int y = 0; y < image.height(); ++y)
            rows += image.pixel(image.width() - 2, y) != base;
        return rows;
    };
    QCOMPARE(tintedRows(), 0); // off by default
    s.chats.setHighlightMentions(true);
    const int lineHeight = room->txtChat->fontMetrics().lineSpacing();
    const int rows = tintedRows();
    QVERIFY2(rows >= lineHeight && rows < 2 * lineHeight, qPrintable(QString::number(rows)));
}

void TestChat::theUnreadMarkerStaysUntilLookedAt() {
    Session s;
    QVERIFY(s.logIn());
    FormChat* chat = s.chats.OpenChatWindow("bob");
    QWidget elsewhere;
    elsewhere.show();
    const auto activate = [](QWidget* window) {
        window->activateWindow();
        QTRY_VERIFY(window->isActiveWindow());
    };
    const auto say = [chat](const QString& text) { chat->ReceiveMessage("bob", text); };
    TranscriptView* view = chat->txtChat;
    activate(chat);
    say("while looking");
    QCOMPARE(view->unreadMarker(), -1);

    activate(&elsewhere);
    say("unseen 1");
    say("unseen 2");
    QCOMPARE(view->unreadMarker(), 1);
    // Drawn as a highlight-coloured rule across the view, at the top of that line.
    QCoreApplication::processEvents();
    const QImage image = view->viewport()->grab().toImage();
    const QRgb highlight = view->palette().color(QPalette::Highlight).rgb();
    QList<int> rows;
    for (int y = 0; y < image.height(); ++y) {
        if (image.pixel(image.width() - 2, y) == highlight)
            rows.append(y);
    }
    const int top = view->layoutNow().characterRect(1, 0).top();
    QCOMPARE(rows, (QList<int>{top - 1, top}));

    activate(chat);
    say("seen as it came");
    QCOMPARE(view->unreadMarker(), 1);
    activate(&elsewhere);
    say("unseen 3");
    QCOMPARE(view->unreadMarker(), 4);
}

void TestChat::spellingIsCheckedAndLearnt() {
    test::Sandbox sandbox;
    const QStringList installed{"de_DE", "en_GB", "en_US", "fr_FR"};
    QCOMPARE(SpellChecker::languageFor("fr_FR", "de_AT", installed), QString("fr_FR"));
    QCOMPARE(SpellChecker::languageFor("", "de_AT", installed), QString("de_DE"));
    QCOMPARE(SpellChecker::languageFor("xx_YY", "pt_BR", installed), QString("en_US"));
    QCOMPARE(SpellChecker::languageFor("", "pt_BR", {"fr_FR"}), QString("fr_FR"));
    QCOMPARE(SpellChecker::languageFor("", "pt_BR", {}), QString());
    QVERIFY(SpellChecker::installedLanguages().contains("en_US")); // the set-up installs it

    SpellChecker checker("en_US");
    const QString text = "Ths is a tset, see www.exampel.org, abc123 and don't stop speling";
    const auto words = [&text](const QList<SpellChecker::Word>& found) {
        QStringList result;
        for (const SpellChecker::Word& word : found)
            result.append(text.mid(word.start, word.length));
        return result;
    };
    // The dictionary is read on a thread of its own: nothing is marked until it is there.
    QSignalSpy loaded(&checker, &SpellChecker::loaded);
    QCOMPARE(words(checker.misspelt(text)), QStringList());
    QVERIFY(loaded.wait());
    QCOMPARE(words(checker.misspelt(text)), (QStringList{"Ths", "tset", "speling"}));
    QCOMPARE(words(checker.misspelt(text, text.size())), (QStringList{"Ths", "tset"}));
    const QStringList suggestions = checker.suggestions("speling");
    QVERIFY(suggestions.contains("spelling") && suggestions.size() <= 5);

    QVERIFY(!checker.isCorrect("Kivo"));
    QVERIFY(checker.addToDictionary("Kivo"));
    QVERIFY(checker.isCorrect("Kivo"));
    QCOMPARE(sandbox.readFile("words.txt"), QByteArray("Kivo\r\n"));
    SpellChecker next("en_US"); // kept for the next start
    next.isCorrect("Kivo");
    QVERIFY(QSignalSpy(&next, &SpellChecker::loaded).wait());
    QVERIFY(next.isCorrect("Kivo"));
    QVERIFY(!next.isCorrect("Kivoo"));
}

void TestChat::theUsersOwnWordsAreBoundedAndNeverWrittenThroughALink() {
    // Too large: not read, said, and not written over.
    {
        test::Sandbox sandbox;
        const QByteArray large =
            QByteArray("Zorblat\r\n") + QByteArray(SpellChecker::MaxWordsFileSize, 'a') + "\r\n";
        sandbox.writeFile("words.txt", large);
        SpellChecker checker("en_US");
        checker.isCorrect("Zorblat");
        QVERIFY(QSignalSpy(&checker, &SpellChecker::loaded).wait());
        QVERIFY(!checker.isCorrect("Zorblat"));
        QCOMPARE(sandbox.boxes.boxes.size(), 1);
        QVERIFY2(sandbox.boxes.texts()[0].startsWith("Your own words in "),
                 qPrintable(sandbox.boxes.texts()[0]));
        QVERIFY(!checker.addToDictionary("Kivo"));
        QCOMPARE(sandbox.readFile("words.txt"), large);
    }
    // A link: read, but never written through.
    {
        test::Sandbox sandbox;
        sandbox.writeFile("mine.txt", "Zorblat\n");
        QVERIFY(QFile::link(sandbox.path("mine.txt"), sandbox.path("words.txt")));
        SpellChecker checker("en_US");
        checker.isCorrect("Zorblat");
        QVERIFY(QSignalSpy(&checker, &SpellChecker::loaded).wait());
        QVERIFY(checker.isCorrect("Zorblat"));
        QVERIFY(!checker.addToDictionary("Kivo"));
        QCOMPARE(sandbox.boxes.boxes.size(), 1);
        QVERIFY(sandbox.boxes.texts()[0].endsWith("it is a link, and Kivo does not write "
                                                  "through links"));
        QCOMPARE(sandbox.readFile("mine.txt"), QByteArray("Zorblat\n"));
        QVERIFY(QFileInfo(sandbox.path("words.txt")).isSymLink());
    }
}

void TestChat::misspeltWordsAreUnderlinedAndMended() {
    Session s;
    s.chats.setSpelling("en_US");
    FormChat* chat = s.chats.OpenChatWindow("bob");
    QVERIFY(QTest::qWaitForWindowExposed(chat));
    QLineEdit* line = chat->txtMessage;
    // The underline is the only red in a line edit.
    const auto redPixels = [line] {
        QCoreApplication::processEvents();
        const QImage image = line->grab().toImage();
        int red = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor colour = image.pixelColor(x, y);
                red += colour.red() > 150 && colour.green() < 110 && colour.blue() < 110;
            }
        }
        return red;
    };
    QTest::keyClicks(line, "teh");
    QCOMPARE(redPixels(), 0); // still being typed
    QTest::keyClicks(line, " cat");
    QTRY_VERIFY(redPixels() > 0);

    const QStringList offered =
        test::chooseFromContextMenu(line, QPoint(8, line->height() / 2), 0); // on "teh"
    QVERIFY2(offered.size() > 2 && offered.first() == "the", qPrintable(offered.join('|')));
    QVERIFY(offered.contains("Add to Dictionary"));
    QCOMPARE(line->text(), QString("the cat"));
    QCOMPARE(redPixels(), 0);
    s.chats.setSpelling({});
    QTest::keyClicks(line, " xqzt ");
    QCOMPARE(redPixels(), 0);
}

void TestChat::theCursorRestsAfterTenSecondsWithoutInput() {
    Session s;
    FormChat* chat = s.chats.OpenChatWindow("bob");
    QVERIFY(QTest::qWaitForWindowExposed(chat));
    const int flashTime = QGuiApplication::styleHints()->cursorFlashTime();
    QVERIFY(flashTime > 0);
    CursorRest rest;
    s.sandbox.clock.advanceMs(9000);
    QTest::keyClick(chat->txtMessage, Qt::Key_A); // input starts the ten seconds again
    s.sandbox.clock.advanceMs(9000);
    QVERIFY(!rest.resting());
    s.sandbox.clock.advanceMs(1000);
    QVERIFY(rest.resting());
    QCOMPARE(QGuiApplication::styleHints()->cursorFlashTime(), 0); // a steady cursor
    QTest::mouseClick(chat->txtMessage, Qt::LeftButton);
    QVERIFY(!rest.resting());
    QCOMPARE(QGuiApplication::styleHints()->cursorFlashTime(), flashTime);
    s.sandbox.clock.advanceMs(10000);
    QVERIFY(rest.resting());
}

void TestChat::blankInputSendsNothing() {
    Session s;
    QVERIFY(s.logIn());
    FormChat* chat = s.chats.OpenChatWindow("bob");
    type(chat, "    ");
    QCOMPARE(chat->txtMessage->text(), QString("    "));
    QTest::qWait(50);
    QCOMPARE(s.server.received(), QByteArray());
    QCOMPARE(test::transcriptText(chat), QString());
}

void TestChat::nothingIsEchoedWithoutAConnection() {
    test::Sandbox sandbox;
    ConnectionController connection;
    ChatRegistry chats(connection);
    for (FormChat* chat : {chats.OpenChatWindow("bob"), chats.openConference("lobby")}) {
        type(chat, " hello ");
        QCOMPARE(chat->txtMessage->text(), QString(" hello ")); // kept for a later try
        QCOMPARE(test::transcriptRuns(chat),
                 (QStringList{StampRun,
                              "*** Not sent: there is no connection to a server. {#000000 bold}",
                              LineEnd}));
    }
}

void TestChat::transcriptLineStyles() {
    Session s;
    s.connection.LoggedUser = "ann";
    FormChat* chat = s.chats.OpenChatWindow("bob");
    chat->ReceiveMessage("bob", "hi");
    chat->ReceiveMessage("ann", "own");
    chat->ReceiveMessage("Ann", "other case");
    chat->ReceiveMessage("bob", "*** bob: left");
    s.sandbox.clock.current.setTime(QTime(21, 4, 5));
    chat->transcript().appendPlainLine("plain");
    // clang-format off
    const QStringList expected{
        StampRun, "<bob>  {#ff0000}", "hi {#000000}",         LineEnd,
        StampRun, "<ann>  {#0000ff}", "own {#000000}",        LineEnd,
        StampRun, "<Ann>  {#ff0000}", "other case {#000000}", LineEnd,
        StampRun, "*** bob: left {#000000 bold}",             LineEnd,
        "[21:04:05]  {#969696}", "plain {#000000}",           LineEnd};
    // clang-format on
    QCOMPARE(test::transcriptRuns(chat), expected);
    QCOMPARE(test::transcriptText(chat),
             QString("[09:05:07] <bob> hi\n[09:05:07] <ann> own\n[09:05:07] <Ann> other case\n"
                     "[09:05:07] *** bob: left\n[21:04:05] plain\n"));
    QVERIFY(chat->txtChat->followsNewest());
}

void TestChat::markupIsShownLiterally() {
    Session s;
    FormChat* chat = s.chats.OpenChatWindow("<i>bob</i>");
    QCOMPARE(chat->lblContact->textFormat(), Qt::PlainText);
    chat->ReceiveMessage("<i>bob</i>", "<b>x</b> <img src=\"a.png\"> &amp;");
    FormChat* marked = s.chats.OpenChatWindow("a[*]b");
    QCOMPARE(marked->window()->windowHandle()->title(), QString("a[*]b - Chat"));
    QCOMPARE(test::transcriptRuns(chat),
             (QStringList{StampRun, "<<i>bob</i>>  {#ff0000}",
                          "<b>x</b> <img src=\"a.png\"> &amp; {#000000}", LineEnd}));
}

void TestChat::oneMessageIsOneLineOnScreen() {
    Session s;
    FormChat* chat = s.chats.OpenChatWindow(QString("mallory") + QChar(0x202E) + "olleh");
    chat->ReceiveMessage("bob", QString("hi") + QChar(0x2029) + "[09:00:00] <alice> psst");
    chat->ReceiveMessage(QString("mallory") + QChar(0x202E) + "olleh", "x");
    chat->ReceiveMessage("bob", ""); // a user line with no text is still one line
    const QString isolated =
        QString(QChar(0x2068)) + "mallory" + QChar(0x202E) + "olleh" + QChar(0x2069);
    QCOMPARE(test::transcriptRuns(chat),
             (QStringList{StampRun, "<bob>  {#ff0000}", "hi [09:00:00] <alice> psst {#000000}",
                          LineEnd, StampRun, "<" + isolated + ">  {#ff0000}", "x {#000000}",
                          LineEnd, StampRun, "<bob>  {#ff0000}", LineEnd}));
    QCOMPARE(chat->windowTitle(), isolated + " - Chat");
    QCOMPARE(chat->lblContact->text(), isolated);
}

void TestChat::linesAppearWithinAFrame() {
    Session s;
    FormChat* chat = s.chats.OpenChatWindow("bob");
    chat->ReceiveMessage("bob", "soon");
    QTRY_COMPARE(chat->txtChat->visibleText(), QString("[09:05:07] <bob> soon"));
}

void TestChat::registryIgnoresLetterCase() {
    Session s;
    FormChat* first = s.chats.OpenChatWindow("Bob");
    first->ReceiveMessage("Bob", "earlier");
    QCOMPARE(s.chats.OpenChatWindow("bob"), first);
    QCOMPARE(s.chats.window("BOB"), first);
    QCOMPARE(first->windowTitle(), QString("Bob - Chat"));
    QCOMPARE(s.chats.openCount(), 1);
    first->close();
    QCOMPARE(s.chats.openCount(), 0);
    FormChat* again = s.chats.OpenChatWindow("bob");
    QCOMPARE(test::transcriptText(again), QString());
    QCOMPARE(again->windowTitle(), QString("bob - Chat"));
}

void TestChat::conferenceCloseGoesBackToTheHomeServer() {
    Session s;
    test::LoopbackServer home;
    test::saveLogin(s.sandbox, "ann", "secret", home.port());
    QVERIFY(s.logIn());
    FormChat* room = s.chats.openConference("lobby@far");
    QCOMPARE(s.chats.ServerChatWindow.data(), room);
    // Whatever runs while the events pending at the close are handled, the port that was
    // checked is the one connected to.
    QTimer::singleShot(0, [&] { test::saveLogin(s.sandbox, "ann", "secret", test::closedPort()); });
    room->close();
    QVERIFY(!s.chats.ServerChatWindow);
    QTRY_VERIFY(s.connection.WaitingForLogin);
    QCOMPARE(s.connection.LoginUser, QString("ann"));
    QVERIFY(home.waitForReceived("/login ann secret\r\n"));
    QTRY_VERIFY(s.server.clientGone()); // the room's server was left
}

void TestChat::conferenceCloseWithoutSavedDataTouchesNothing() {
    Session s;
    QVERIFY(s.logIn());
    s.chats.openConference("lobby")->close();
    QVERIFY(!s.chats.ServerChatWindow);
    QVERIFY(!s.connection.WaitingForLogin);
    QVERIFY(s.connection.isConnected());
    QCOMPARE(s.server.clientCount(), 1);
}

void TestChat::exitingDoesNotReconnect() {
    Session s;
    test::LoopbackServer home;
    test::saveLogin(s.sandbox, "ann", "secret", home.port());
    QVERIFY(s.logIn());
    s.chats.openConference("lobby");
    s.chats.OpenChatWindow("bob");
    s.chats.closeAll();
    QVERIFY(!s.chats.ServerChatWindow);
    QCOMPARE(s.chats.openCount(), 0);
    QTest::qWait(100);
    QCOMPARE(home.clientCount(), 0);
    QVERIFY(!s.connection.WaitingForLogin);
}

void TestChat::layoutAtTheOpeningSize() {
    ChatGeometry g = ChatGeometry::design();
    layoutChat(g, 5880, 4650);
    QCOMPARE(g.cmdSend, QRect(4905, 4155, 855, 375));
    QCOMPARE(g.txtMessage, QRect(120, 4155, 4665, 405));
    QCOMPARE(g.txtChat, QRect(120, 325, 5640, 3710));
    QCOMPARE(g.lblContact, QRect(90, 30, 5655, 375));

    Session s;
    FormChat* chat = s.chats.OpenChatWindow("bob");
    QCOMPARE(chat->size(), QSize(392, 310));
    QCOMPARE(chat->cmdSend->geometry(), QRect(327, 277, 57, 25));
    QCOMPARE(chat->txtMessage->geometry(), QRect(8, 277, 311, 27));
    QCOMPARE(chat->txtChat->geometry(), QRect(8, 22, 376, 247));
    QCOMPARE(chat->lblContact->geometry(), QRect(6, 2, 377, 25));
    chat->resize(800, 600); // wider: the label keeps its design width
    QCOMPARE(chat->lblContact->geometry(), QRect(6, 2, 377, 25));
    QCOMPARE(chat->cmdSend->geometry(), QRect(735, 567, 57, 25));
    QCOMPARE(chat->txtChat->geometry(), QRect(8, 22, 784, 537));
}

void TestChat::layoutBelowTheLimits() {
    ChatGeometry g = ChatGeometry::design();
    layoutChat(g, 5880, 4650);
    layoutChat(g, 1200, 4650); // the input line would get a negative width
    QCOMPARE(g.cmdSend, QRect(225, 4155, 855, 375));
    QCOMPARE(g.txtMessage, QRect(120, 4155, 4665, 405));
    QCOMPARE(g.txtChat, QRect(120, 325, 960, 3710));
    layoutChat(g, 5880, 900); // the transcript would get a negative height
    QCOMPARE(g.cmdSend, QRect(4905, 405, 855, 375));
    QCOMPARE(g.txtMessage, QRect(120, 405, 4665, 405));
    QCOMPARE(g.txtChat, QRect(120, 325, 960, 3710));
    layoutChat(g, 5880, 4650); // restored: the same as before
    QCOMPARE(g.txtChat, QRect(120, 325, 5640, 3710));
}

void TestChat::focusStaysOnTheInputLine() {
    Session s;
    FormChat* chat = s.chats.OpenChatWindow("bob");
    QVERIFY(QTest::qWaitForWindowActive(chat));
    QCOMPARE(QApplication::focusWidget(), chat->txtMessage);
    QTest::keyClick(chat->txtMessage, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), chat->cmdSend);
    QTest::keyClick(chat->cmdSend, Qt::Key_Tab); // to the transcript, which hands it back
    QCOMPARE(QApplication::focusWidget(), chat->txtMessage);
    chat->txtChat->setFocus();
    QCOMPARE(QApplication::focusWidget(), chat->txtMessage);
}

void TestChat::controlCharactersNeverReachTheServer() {
    // A name from a hand-edited contacts.dat holding ESC and VT: nothing goes out, nothing is
    // echoed, the text stays typed, and the user is told.
    Session s;
    QVERIFY(s.logIn());
    FormChat* chat = s.chats.OpenChatWindow(u"b\u001bo\u000bb"_qs);
    type(chat, "hi");
    QCOMPARE(s.sandbox.boxes.texts(),
             QStringList{"This was not sent: it holds a line break or another control character, "
                         "which cannot go to the server."});
    QCOMPARE(chat->transcript().count(), 0);
    QCOMPARE(chat->txtMessage->text(), QString("hi"));
    // A tab is text; what follows is sent as usual.
    QVERIFY(s.connection.SendMessageToUser(QString(), "/pm bob a\tb"));
    QVERIFY(s.server.waitForReceived("/pm bob a\tb\r\n"));
}

void TestChat::aPasteCutToTheLinesLengthIsSaid() {
    Session s;
    FormChat* chat = s.chats.OpenChatWindow("bob");
    QGuiApplication::clipboard()->setText(QString("word ").repeated(10000));
    QTest::keyClick(chat->txtMessage, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(chat->txtMessage->text().size(), chat->txtMessage->maxLength());
    QCOMPARE(test::transcriptText(chat),
             QString("[09:05:07] *** The message line holds %1 characters at most; what went "
                     "beyond that was left out.\n")
                 .arg(chat->txtMessage->maxLength()));
    // An ordinary paste says nothing.
    chat->txtMessage->clear();
    QGuiApplication::clipboard()->setText("a few words");
    QTest::keyClick(chat->txtMessage, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(chat->txtMessage->text(), QString("a few words"));
    QCOMPARE(chat->transcript().count(), 1);
}

// The window manager (or a logout) closes a chat window while one of its menus or boxes is
// open: nothing may run on in the window that is gone (AddressSanitizer watches in CI).
void TestChat::aWindowClosesUnderItsMenusAndBoxes() {
    Session s;
    s.chats.setSpelling("en_US");
    s.chats.setStrangerWindows(true);
    const auto openMenu = [](QWidget* widget, const QPoint& at) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, widget->mapToGlobal(at));
        QApplication::sendEvent(widget, &event);
        return QTest::qWaitFor(
            [] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); });
    };
    const auto closedWithIt = [](QPointer<FormChat> chat) {
        QPointer<QMenu> menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        chat->close();
        return QTest::qWaitFor([&] { return !chat && !menu; });
    };

    FormChat* chat = s.chats.OpenChatWindow("bob");
    QVERIFY(QTest::qWaitForWindowExposed(chat));
    chat->transcript().appendSystemLine("*** hello");
    QVERIFY(openMenu(chat->txtChat->viewport(), QPoint(5, 5)));
    QVERIFY(closedWithIt(chat));

    chat = s.chats.OpenChatWindow("bob");
    QTest::keyClicks(chat->txtMessage, "teh cat");
    QVERIFY(openMenu(chat->txtMessage, QPoint(8, chat->txtMessage->height() / 2)));
    QVERIFY(closedWithIt(chat));

    chat = s.chats.openForStranger("zed");
    QVERIFY(openMenu(chat, QPoint(2, 2)));
    QVERIFY(closedWithIt(chat));

    // A box over a window that goes while it is open answers No.
    QtMessageBoxes boxes;
    MessageBoxes::install(&boxes);
    QPointer<FormChat> asking = s.chats.OpenChatWindow("bob");
    kivo::activate(asking);
    QVERIFY(QTest::qWaitForWindowActive(asking));
    test::whenModal([&](QWidget* box) {
        QCOMPARE(box->parentWidget(), asking->window()); // where it is a tab, the tabs' window
        delete asking->window();
    });
    QVERIFY(!ask("Still there?"));
    QVERIFY(!asking);
    MessageBoxes::install(&s.sandbox.boxes);
}

QTEST_MAIN(TestChat)
#include "tst_chat.moc"
