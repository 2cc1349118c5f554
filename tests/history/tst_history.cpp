// SPDX-License-Identifier: GPL-3.0-or-later
// The history of conversations in SQLite: what is stored and shown again, the search, the
// deletions, and a database that is damaged, full, or shared by two processes.
#include "ChatRegistry.h"
#include "Form1.h"
#include "FormChat.h"
#include "HistoryStore.h"
#include "StateFiles.h"
#include "TestSupport.h"
#include "frmSearchHistory.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <sys/resource.h>

using namespace kivo;

namespace {

// The main window logged in as ann at a loopback server, with alice and bob as contacts.
struct Session {
    test::Sandbox sandbox;
    test::LoopbackServer server;
    std::unique_ptr<Form1> form;

    explicit Session(const QByteArray& preferences = "[General]\nhistory=true\n") {
        test::writeAliceAndBob(sandbox);
        sandbox.writeFile("kivo.ini", preferences);
        form = std::make_unique<Form1>();
        if (!test::logInAt(server, form->connection(), "ann", "pw"))
            qFatal("no login");
        form->connection().LoggedUser = "ann";
    }
    void deliver(const QByteArray& lines) {
        QVERIFY(test::deliverLines(server, form->connection(), lines));
    }
    void store(const QString& conversation, int lines) {
        for (int i = 0; i < lines; ++i)
            form->history()->append(conversation, "alice",
                                    {.time = 1771664400 + i,
                                     .form = TranscriptModel::Form::User,
                                     .sender = "alice",
                                     .text = QString("stored %1").arg(i)});
        form->history()->flush();
    }
};

// Runs this test program as a second process that stores lines (see main).
int storeInAnotherProcess(const QString& folder, int lines, bool smallFileLimit = false) {
    QProcess other;
    other.start(QCoreApplication::applicationFilePath(),
                {"--store", folder, QString::number(lines), smallFileLimit ? "limit" : "free"});
    other.waitForFinished(60000);
    return other.exitStatus() == QProcess::NormalExit ? other.exitCode() : -1;
}

} // namespace

class TestHistory : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void offWritesNothingAndWindowsOpenEmpty();
    void everyLineKindIsStoredAndShownAgain();
    void theNewestHundredInOrder();
    void searchSyntax_data();
    void searchSyntax();
    void theSearchWindow();
    void deletingAfterAQuestion();
    void olderLinesAreRemoved();
    void aDamagedFileIsMovedAside();
    void aFullDiskIsToldOnce();
    void twoProcessesShareTheFile();
};

void TestHistory::offWritesNothingAndWindowsOpenEmpty() {
    Session s("");
    s.deliver("(Private) alice:hi\r\n");
    s.form->chats().window("alice")->close();
    s.deliver("(Private) alice:again\r\n");
    QCOMPARE(s.form->chats().window("alice")->transcript().count(), 1);
    QVERIFY(!s.sandbox.exists(HistoryStore::FileName));
}

void TestHistory::everyLineKindIsStoredAndShownAgain() {
    Session s;
    QCOMPARE(QFile::permissions(s.sandbox.path(HistoryStore::FileName)),
             QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    s.deliver("(Private) alice:from her\r\n");
    FormChat* chat = s.form->chats().window("alice");
    chat->txtMessage->setText("from me");
    QTest::keyClick(chat->txtMessage, Qt::Key_Return);
    chat->ReceiveMessage("alice", "*** alice is away");
    FormChat* room = s.form->chats().openConference("lobby");
    s.deliver("*** bob has joined lobby\r\nbob: hello <b>all</b>\r\na plain line\r\n");
    chat->close();
    room->close();
    s.deliver("(Private) ALICE:new\r\n"); // letter case does not make another conversation
    FormChat* again = s.form->chats().window("alice");
    const QStringList expected{"[09:05:07]  {#707070}",
                               "<alice>  {#707070}",
                               "from her {#707070}",
                               test::LineEnd,
                               "[09:05:07]  {#707070}",
                               "<ann>  {#707070}",
                               "from me {#707070}",
                               test::LineEnd,
                               "[09:05:07]  {#707070}",
                               "*** alice is away {#707070 bold}",
                               test::LineEnd,
                               QString(8, QChar(0x2500)) + " Earlier " + QString(8, QChar(0x2500)) +
                                   " {#707070}",
                               test::LineEnd,
                               test::StampRun,
                               "<ALICE>  {#ff0000}",
                               "new {#000000}",
                               test::LineEnd};
    QCOMPARE(test::transcriptRuns(again), expected);
    s.form->history()->flush();
    const QList<HistoryStore::Line> lobby =
        s.form->history()->newest(HistoryStore::roomConversation("lobby"), 100);
    QCOMPARE(lobby.size(), 3);
    QCOMPARE(lobby[0].line.form, TranscriptModel::Form::System);
    QCOMPARE(lobby[1].line.sender, QString("bob"));
    QCOMPARE(lobby[1].line.text, QString("hello <b>all</b>"));
    QCOMPARE(lobby[2].line.form, TranscriptModel::Form::Plain);
    QCOMPARE(lobby[2].line.time, s.sandbox.clock.now().toSecsSinceEpoch()); // UTC seconds
    QCOMPARE(lobby[2].title, QString("lobby"));
    QVERIFY(s.sandbox.boxes.boxes.isEmpty());
}

void TestHistory::theNewestHundredInOrder() {
    Session s;
    s.store(HistoryStore::privateConversation("alice"), 150);
    FormChat* chat = s.form->OpenChatWindow("alice");
    const TranscriptModel& lines = chat->transcript();
    QCOMPARE(lines.count(), 101); // and the separator
    QCOMPARE(lines.line(0).text, QString("stored 50"));
    QCOMPARE(lines.line(99).text, QString("stored 149"));
    QVERIFY(lines.line(99).history);
    QCOMPARE(lines.line(100).form, TranscriptModel::Form::Separator);
    QCOMPARE(s.form->OpenChatWindow("bob")->transcript().count(), 0);
}

void TestHistory::searchSyntax_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("found");
    QTest::newRow("a word, newest first")
        << "meeting" << QStringList{"the meeting moved", "a meeting at noon"};
    QTest::newRow("letter case and accents of a word") << "CAFÉ" << QStringList{"Café tomorrow?"};
    QTest::newRow("a prefix") << "tomor*" << QStringList{"Café tomorrow?"};
    QTest::newRow("a phrase") << "\"at noon\"" << QStringList{"a meeting at noon"};
    QTest::newRow("words anywhere") << "noon meeting" << QStringList{"a meeting at noon"};
    QTest::newRow("operators are words") << "NOT" << QStringList{"do NOT reply"};
    QTest::newRow("no column filter") << "text:meeting" << QStringList{};
    QTest::newRow("an unbalanced quote") << "\"moved" << QStringList{"the meeting moved"};
    QTest::newRow("nothing typed") << "  " << QStringList{};
}

void TestHistory::searchSyntax() {
    QFETCH(QString, typed);
    QFETCH(QStringList, found);
    Session s;
    HistoryStore& history = *s.form->history();
    const QString alice = HistoryStore::privateConversation("alice");
    int time = 1771664400;
    for (const char* text :
         {"a meeting at noon", "Café tomorrow?", "do NOT reply", "the meeting moved"})
        history.append(alice, "alice",
                       {.time = ++time,
                        .form = TranscriptModel::Form::User,
                        .sender = "alice",
                        .text = QString::fromUtf8(text)});
    history.flush();
    QStringList texts;
    for (const HistoryStore::Hit& hit : history.search(typed))
        texts.append(hit.line.line.text);
    QCOMPARE(texts, found);
    if (typed == "meeting") {
        const HistoryStore::Hit hit = history.search(typed).first();
        QCOMPARE(hit.matches, (QList<std::pair<qsizetype, qsizetype>>{{4, 7}}));
        QVERIFY(history.search(typed, HistoryStore::privateConversation("bob")).isEmpty());
    }
}

void TestHistory::theSearchWindow() {
    Session s;
    s.deliver("(Private) alice:lunch at one?\r\n(Private) bob:lunch is late\r\n");
    s.form->history()->flush();
    // From alice's window with Ctrl+F: her conversation only, until widened.
    FormChat* alice = s.form->chats().window("alice");
    QTRY_VERIFY(s.form->chats().window("bob")->isActiveWindow()); // the last message's
    alice->activateWindow();
    QTRY_VERIFY(alice->isActiveWindow());
    QTest::keyClick(alice, Qt::Key_F, Qt::ControlModifier);
    frmSearchHistory* search = s.form->findChild<frmSearchHistory*>();
    QVERIFY(search && search->isVisible());
    QTest::keyClicks(search->txtQuery, "lunch");
    QTRY_COMPARE(search->lstResults->count(), 1); // after the typing pause
    QVERIFY(search->lstResults->item(0)->text().endsWith("alice  <alice> lunch at one?"));
    search->chkAllConversations->setChecked(true);
    QCOMPARE(search->lstResults->count(), 2);
    QVERIFY(search->lstResults->item(0)->text().contains("<bob> lunch is late"));
    // Activating a result shows the lines around it.
    search->lstResults->setCurrentRow(1);
    emit search->lstResults->itemActivated(search->lstResults->item(1));
    QTRY_VERIFY(search->txtContext->visibleText().endsWith("<alice> lunch at one?"));
    search->close();
}

void TestHistory::deletingAfterAQuestion() {
    Session s;
    s.store(HistoryStore::privateConversation("alice"), 5);
    s.store(HistoryStore::privateConversation("bob"), 5);
    s.form->searchHistory(s.form->OpenChatWindow("alice"));
    frmSearchHistory* search = s.form->findChild<frmSearchHistory*>();
    s.sandbox.boxes.answers = {false, true};
    QTest::mouseClick(search->cmdDeleteConversation, Qt::LeftButton); // No
    QCOMPARE(s.form->history()->newest(HistoryStore::privateConversation("alice"), 10).size(), 5);
    QTest::mouseClick(search->cmdDeleteConversation, Qt::LeftButton); // Yes
    QVERIFY(s.form->history()->newest(HistoryStore::privateConversation("alice"), 10).isEmpty());
    QCOMPARE(s.form->history()->search("stored").size(), 5); // bob's, and the index agrees
    s.sandbox.boxes.answers = {true};
    QTest::mouseClick(search->cmdDeleteAll, Qt::LeftButton);
    QVERIFY(s.form->history()->search("stored").isEmpty());
    QVERIFY(s.form->history()->newest(HistoryStore::privateConversation("bob"), 10).isEmpty());
    QCOMPARE(s.sandbox.boxes.texts().first(),
             QString("Delete the stored history of alice? This cannot be undone."));
    // Storing goes on afterwards.
    s.store(HistoryStore::privateConversation("bob"), 1);
    QCOMPARE(s.form->history()->search("stored").size(), 1);
}

void TestHistory::olderLinesAreRemoved() {
    test::Sandbox sandbox;
    const QString alice = HistoryStore::privateConversation("alice");
    {
        HistoryStore history;
        QVERIFY(history.open());
        history.append(alice, "alice", {.time = 0, .text = "from 1970"});
    }
    sandbox.writeFile("kivo.ini", "[General]\nhistory=true\nhistoryDays=30\n");
    Form1 form; // removes at start-up what is older than 30 days
    QVERIFY(form.history()->newest(alice, 10).isEmpty());
    // A month of manual time would tick these millions of times.
    form.tmrBlink.stop();
    form.connection().tmrPing.stop();
    form.history()->append(alice, "alice",
                           {.time = sandbox.clock.now().toSecsSinceEpoch(), .text = "today"});
    form.history()->flush();
    sandbox.clock.advanceMs(29LL * 24 * 3600 * 1000);
    QCOMPARE(form.history()->newest(alice, 10).size(), 1);
    sandbox.clock.advanceMs(2LL * 24 * 3600 * 1000); // and once a day
    QVERIFY(form.history()->newest(alice, 10).isEmpty());
}

void TestHistory::aDamagedFileIsMovedAside() {
    test::Sandbox sandbox;
    const QByteArray garbage(8192, '\x5a');
    sandbox.writeFile(HistoryStore::FileName, garbage);
    HistoryStore history;
    QVERIFY(history.open());
    QCOMPARE(sandbox.boxes.boxes.size(), 1);
    QVERIFY(sandbox.boxes.texts()[0].contains("history.sqlite.damaged-20260221-"));
    const QStringList aside = QDir(sandbox.path(".")).entryList({"history.sqlite.damaged-*"});
    QCOMPARE(aside.size(), 1);
    QCOMPARE(sandbox.readFile(aside[0]), garbage);
    history.append("private:alice", "alice", {.time = 1, .text = "works"});
    history.flush();
    QCOMPARE(history.newest("private:alice", 1).first().line.text, QString("works"));
}

void TestHistory::aFullDiskIsToldOnce() {
    test::Sandbox sandbox;
    QCOMPARE(storeInAnotherProcess(sandbox.path("."), 20000, true), 3); // told once, went on
    // What was stored is sound.
    HistoryStore history;
    QVERIFY(history.open());
    QVERIFY(sandbox.boxes.boxes.isEmpty());
}

void TestHistory::twoProcessesShareTheFile() {
    test::Sandbox sandbox;
    QProcess first, second;
    for (QProcess* process : {&first, &second})
        process->start(QCoreApplication::applicationFilePath(),
                       {"--store", sandbox.path("."), "3000", "free"});
    for (QProcess* process : {&first, &second}) {
        QVERIFY(process->waitForFinished(60000));
        QCOMPARE(process->exitCode(), 0);
    }
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "check");
    db.setDatabaseName(sandbox.path(HistoryStore::FileName));
    QVERIFY(db.open());
    {
        QSqlQuery query(db);
        QVERIFY(query.exec("PRAGMA integrity_check") && query.next());
        QCOMPARE(query.value(0).toString(), QString("ok"));
        QVERIFY(query.exec("SELECT count(*) FROM lines") && query.next());
        QCOMPARE(query.value(0).toInt(), 6000);
    }
    db.close();
    db = {};
    QSqlDatabase::removeDatabase("check");
}

// With "--store FOLDER LINES limit|free": stores that many lines as another Kivo would, in
// batches, and exits 0; with "limit", under a 256 KiB file size limit, it exits 3 when the
// failure was reported exactly once and chat (the event loop) went on.
int storeLines(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    StateFolder::setPath(QString::fromLocal8Bit(argv[2]));
    const int lines = QByteArray(argv[3]).toInt();
    const bool limited = QByteArray(argv[4]) == "limit";
    test::ScriptedBoxes boxes;
    MessageBoxes::install(&boxes);
    reportFileSizeLimitAsError();
    HistoryStore history;
    if (!history.open())
        return 1;
    if (limited) {
        const rlimit small{256 * 1024, 256 * 1024};
        setrlimit(RLIMIT_FSIZE, &small);
    }
    for (int i = 0; i < lines; ++i) {
        history.append("private:alice", "alice",
                       {.time = i,
                        .form = TranscriptModel::Form::User,
                        .sender = "alice",
                        .text = QString("line %1 from %2 with some words to fill the disk")
                                    .arg(i)
                                    .arg(QCoreApplication::applicationPid())});
        if (i % 500 == 0)
            QCoreApplication::processEvents();
    }
    history.flush();
    QCoreApplication::processEvents();
    if (limited)
        return boxes.boxes.size() == 1 ? 3 : 2;
    return boxes.boxes.isEmpty() ? 0 : 4;
}

int main(int argc, char* argv[]) {
    if (argc == 5 && QByteArray(argv[1]) == "--store")
        return storeLines(argc, argv);
    QApplication app(argc, argv);
    TestHistory test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_history.moc"
