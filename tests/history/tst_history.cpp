// SPDX-License-Identifier: GPL-3.0-or-later
// The history of conversations in SQLite: what is stored and shown again, the search, the
// deletions, and a database that is damaged, full, or shared by two processes.
#include "ChatRegistry.h"
#include "Form1.h"
#include "FormChat.h"
#include "HistoryLosses.h"
#include "HistoryStore.h"
#include "OptionalFeatures.h"
#include "StateFiles.h"
#include "TestSupport.h"
#include "TranscriptView.h"
#include "frmSearchHistory.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLoggingCategory>
#include <QProcess>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <sys/resource.h>

using namespace kivo;

namespace {

// A control of a window, by its name.
template <typename T> T* part(QWidget* window, const char* name) {
    return window->findChild<T*>(QString::fromLatin1(name));
}

// A store whose problems and losses are told in boxes, as the main window tells them.
struct Store : HistoryStore {
    Store() {
        connect(this, &HistoryStore::problem, this, [](const QString& text) { warn(text); });
        connect(this, &HistoryStore::linesLost, &losses, &HistoryLosses::lost);
    }
    HistoryLosses losses{[](const QString& text) { warn(text); }};
};

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
            form->features().history()->append(conversation, "alice",
                                               {.time = 1771664400 + i,
                                                .form = TranscriptModel::Form::User,
                                                .sender = "alice",
                                                .text = QString("stored %1").arg(i)});
        form->features().history()->flush();
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
    void readingNeverWaitsForTheWriter();
    void aFloodStoresWhatItCanAndSaysHowMuchNot();
    void aFailedBatchIsTriedAgain();
    void onlyADamagedFileIsMovedAside();
    void deletedTextLeavesNoTrace();
    void searchingChineseAndOddText();
    void searchErrorsAndTheChosenResult();
    void anOlderHistoryIsBroughtUpToDateBehindTheWindow();
    void aDamagedOlderHistoryIsMovedAside_data();
    void aDamagedOlderHistoryIsMovedAside();
    void aNewerOrForeignDatabaseIsLeftAlone_data();
    void aNewerOrForeignDatabaseIsLeftAlone();
    void linesNotStoredAtExitAreSaid();
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
    s.form->features().history()->flush();
    const QList<HistoryStore::Line> lobby =
        s.form->features().history()->newest(HistoryStore::roomConversation("lobby"), 100);
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
    HistoryStore& history = *s.form->features().history();
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
    for (const HistoryStore::Hit& hit : history.search(typed).hits)
        texts.append(hit.line.line.text);
    QCOMPARE(texts, found);
    if (typed == "meeting") {
        const HistoryStore::Hit hit = history.search(typed).hits.first();
        QCOMPARE(hit.matches, (QList<std::pair<qsizetype, qsizetype>>{{4, 7}}));
        QVERIFY(history.search(typed, HistoryStore::privateConversation("bob")).hits.isEmpty());
    }
}

void TestHistory::theSearchWindow() {
    Session s;
    s.deliver("(Private) alice:lunch at one?\r\n(Private) bob:lunch is late\r\n");
    s.form->features().history()->flush();
    // From alice's window with Ctrl+F: her conversation only, until widened.
    FormChat* alice = s.form->chats().window("alice");
    QTRY_VERIFY(s.form->chats().window("bob")->isActiveWindow()); // the last message's
    alice->activateWindow();
    QTRY_VERIFY(alice->isActiveWindow());
    QTest::keyClick(alice, Qt::Key_F, Qt::ControlModifier);
    frmSearchHistory* search = s.form->findChild<frmSearchHistory*>();
    QVERIFY(search && search->isVisible());
    QTest::keyClicks(part<QLineEdit>(search, "txtQuery"), "lunch");
    QTRY_COMPARE(part<QListWidget>(search, "lstResults")->count(), 1); // after the typing pause
    // Each text from elsewhere stands apart, so a right-to-left name cannot reorder the row.
    QVERIFY(part<QListWidget>(search, "lstResults")
                ->item(0)
                ->text()
                .endsWith(u"\u2066alice\u2069  <\u2066alice\u2069> \u2066lunch at one?\u2069"));
    part<QCheckBox>(search, "chkAllConversations")->setChecked(true);
    QCOMPARE(part<QListWidget>(search, "lstResults")->count(), 2);
    QVERIFY(part<QListWidget>(search, "lstResults")
                ->item(0)
                ->text()
                .contains(u"<\u2066bob\u2069> \u2066lunch is late"));
    // Activating a result shows the lines around it.
    part<QListWidget>(search, "lstResults")->setCurrentRow(1);
    emit part<QListWidget>(search, "lstResults")
        ->itemActivated(part<QListWidget>(search, "lstResults")->item(1));
    QTRY_VERIFY(part<TranscriptView>(search, "txtContext")
                    ->visibleText()
                    .endsWith("<alice> lunch at one?"));
    search->close();
}

void TestHistory::deletingAfterAQuestion() {
    Session s;
    s.store(HistoryStore::privateConversation("alice"), 5);
    s.store(HistoryStore::privateConversation("bob"), 5);
    s.form->features().searchHistory(s.form->OpenChatWindow("alice"));
    frmSearchHistory* search = s.form->findChild<frmSearchHistory*>();
    s.sandbox.boxes.answers = {false, true};
    QTest::mouseClick(part<QPushButton>(search, "cmdDeleteConversation"), Qt::LeftButton); // No
    QCOMPARE(
        s.form->features().history()->newest(HistoryStore::privateConversation("alice"), 10).size(),
        5);
    QTest::mouseClick(part<QPushButton>(search, "cmdDeleteConversation"), Qt::LeftButton); // Yes
    s.form->features().history()->flush(); // the writer deletes
    QVERIFY(s.form->features()
                .history()
                ->newest(HistoryStore::privateConversation("alice"), 10)
                .isEmpty());
    QCOMPARE(s.form->features().history()->search("stored").hits.size(),
             5); // bob's, and the index agrees
    s.sandbox.boxes.answers = {true};
    QTest::mouseClick(part<QPushButton>(search, "cmdDeleteAll"), Qt::LeftButton);
    s.form->features().history()->flush();
    QVERIFY(s.form->features().history()->search("stored").hits.isEmpty());
    QVERIFY(s.form->features()
                .history()
                ->newest(HistoryStore::privateConversation("bob"), 10)
                .isEmpty());
    QCOMPARE(s.sandbox.boxes.texts().first(),
             QString("Delete the stored history of alice? This cannot be undone."));
    // Storing goes on afterwards.
    s.store(HistoryStore::privateConversation("bob"), 1);
    QCOMPARE(s.form->features().history()->search("stored").hits.size(), 1);
}

void TestHistory::olderLinesAreRemoved() {
    test::Sandbox sandbox;
    const QString alice = HistoryStore::privateConversation("alice");
    {
        Store history;
        QVERIFY(history.open());
        history.append(alice, "alice", {.time = 0, .text = "from 1970"});
    }
    sandbox.writeFile("kivo.ini", "[General]\nhistory=true\nhistoryDays=30\n");
    Form1 form; // removes at start-up what is older than 30 days
    form.features().history()->flush();
    QVERIFY(form.features().history()->newest(alice, 10).isEmpty());
    // A month of manual time would tick these millions of times.
    form.tmrBlink.stop();
    form.connection().tmrPing.stop();
    form.features().history()->append(
        alice, "alice", {.time = sandbox.clock.now().toSecsSinceEpoch(), .text = "today"});
    form.features().history()->flush();
    sandbox.clock.advanceMs(29LL * 24 * 3600 * 1000);
    QCOMPARE(form.features().history()->newest(alice, 10).size(), 1);
    sandbox.clock.advanceMs(2LL * 24 * 3600 * 1000); // and once a day
    form.features().history()->flush();
    QVERIFY(form.features().history()->newest(alice, 10).isEmpty());
}

void TestHistory::aDamagedFileIsMovedAside() {
    test::Sandbox sandbox;
    const QByteArray garbage(8192, '\x5a');
    sandbox.writeFile(HistoryStore::FileName, garbage);
    Store history;
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
    Store history;
    QVERIFY(history.open());
    QVERIFY(sandbox.boxes.boxes.isEmpty());
}

void TestHistory::twoProcessesShareTheFile() {
    const auto storeAtOnce = [](const QString& folder, int processes, int lines) {
        std::vector<std::unique_ptr<QProcess>> stores;
        for (int i = 0; i < processes; ++i) {
            stores.push_back(std::make_unique<QProcess>());
            stores.back()->start(QCoreApplication::applicationFilePath(),
                                 {"--store", folder, QString::number(lines), "free"});
        }
        for (const auto& process : stores) {
            QVERIFY(process->waitForFinished(60000));
            QVERIFY2(process->exitCode() == 0, process->readAllStandardError().constData());
        }
    };
    // A new file opened by several at once: each waits for the first to make the tables, and
    // none takes the half-made file for another program's.
    for (int round = 0; round < 15; ++round) {
        test::Sandbox sandbox;
        storeAtOnce(sandbox.path("."), 3, 1);
        if (QTest::currentTestFailed())
            return;
    }
    test::Sandbox sandbox;
    storeAtOnce(sandbox.path("."), 2, 3000);
    if (QTest::currentTestFailed())
        return;
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

namespace {

// A connection of the test's own to the history file.
struct Direct {
    QSqlDatabase db;
    explicit Direct(const QString& path) {
        db = QSqlDatabase::addDatabase("QSQLITE", "direct");
        db.setDatabaseName(path);
        db.open();
    }
    ~Direct() {
        db.close();
        db = {};
        QSqlDatabase::removeDatabase("direct");
    }
    bool exec(const QString& statement) {
        QSqlQuery query(db);
        return query.exec(statement);
    }
};

TranscriptModel::Line userLine(const QString& text) {
    return {
        .time = 1771664400, .form = TranscriptModel::Form::User, .sender = "alice", .text = text};
}

} // namespace

void TestHistory::readingNeverWaitsForTheWriter() {
    test::Sandbox sandbox;
    Store history;
    QVERIFY(history.open());
    const int flood = 60'000;
    for (int i = 0; i < flood; ++i)
        history.append("room:flood", "flood", userLine(QString("flood line %1").arg(i)));
    history.append("private:alice", "alice", userLine("right after the flood"));
    const QList<HistoryStore::Line> lines = history.newest("private:alice", 10);
    // Read while the writer was still behind: the waiting line came from memory.
    QVERIFY(history.waiting() > 0);
    QCOMPARE(lines.size(), 1);
    QCOMPARE(lines[0].line.text, QString("right after the flood"));
    QVERIFY(lines[0].line.history);
    history.flush();
    QCOMPARE(history.newest("private:alice", 10).size(), 1); // once, not twice
    QCOMPARE(history.newest("room:flood", 3).last().line.text,
             QString("flood line %1").arg(flood - 1));
}

void TestHistory::aFloodStoresWhatItCanAndSaysHowMuchNot() {
    test::Sandbox sandbox;
    const auto stored = [&] {
        Direct direct(sandbox.path(HistoryStore::FileName));
        QSqlQuery count(direct.db);
        return count.exec("SELECT count(*) FROM lines") && count.next() ? count.value(0).toInt()
                                                                        : -1;
    };
    Store history;
    QVERIFY(history.open());
    // An ordinary flood, four times what once was the bound, waits and is stored whole.
    const int lines = 200'000;
    for (int i = 0; i < lines; ++i)
        history.append("room:flood", "flood", userLine(QString("line %1 of a flood").arg(i)));
    history.flush();
    QCOMPARE(stored(), lines);
    QVERIFY(sandbox.boxes.boxes.isEmpty());
    const QList<HistoryStore::Line> inOrder = history.newest("room:flood", lines);
    QCOMPARE(inOrder.size(), lines);
    for (int i = 0; i < lines; i += 997)
        QCOMPARE(inOrder[i].line.text, QString("line %1 of a flood").arg(i));
    // Beyond the bound in bytes lines are lost, and that is said with how many.
    const QString megabyte(1024 * 1024, u'x');
    const int huge = static_cast<int>(HistoryStore::MaxWaitingBytes / megabyte.size()) + 40;
    for (int i = 0; i < huge; ++i)
        history.append("room:flood", "flood", userLine(megabyte));
    history.flush();
    QTRY_COMPARE(sandbox.boxes.boxes.size(), 1);
    const QString told = sandbox.boxes.texts()[0];
    const int notStored = told.section(' ', 0, 0).toInt();
    QVERIFY2(notStored > 0 && told.endsWith(" lines could not be stored in the history since "
                                            "Kivo started: they came faster than they could "
                                            "be stored."),
             qPrintable(told));
    QCOMPARE(stored() + notStored, lines + huge);
}

void TestHistory::aFailedBatchIsTriedAgain() {
    test::Sandbox sandbox;
    Store history;
    QVERIFY(history.open());
    {
        Direct direct(sandbox.path(HistoryStore::FileName));
        QVERIFY(direct.exec("CREATE TABLE failing(x)"));
        QVERIFY(direct.exec("CREATE TRIGGER fail BEFORE INSERT ON lines WHEN (SELECT count(*) "
                            "FROM failing) > 0 BEGIN SELECT RAISE(ABORT, 'refused for the "
                            "test'); END"));
        QVERIFY(direct.exec("INSERT INTO failing VALUES (1)"));
    }
    int failures = 0;
    QtMessageHandler previous = qInstallMessageHandler(nullptr);
    static int* counted = &failures;
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& message) {
        if (message.contains("could not store"))
            ++*counted;
    });
    QLoggingCategory::setFilterRules("kivo.files.warning=true");
    history.append("private:alice", "alice", userLine("kept"));
    QTRY_VERIFY(failures > 0); // the first try failed
    {
        Direct direct(sandbox.path(HistoryStore::FileName));
        QVERIFY(direct.exec("DELETE FROM failing"));
    }
    history.flush();
    QCOMPARE(history.newest("private:alice", 1).first().line.text, QString("kept"));
    QVERIFY(sandbox.boxes.boxes.isEmpty());
    // A batch that keeps failing is lost after a few tries, and that is said once.
    {
        Direct direct(sandbox.path(HistoryStore::FileName));
        QVERIFY(direct.exec("INSERT INTO failing VALUES (1)"));
    }
    // Each loss is said, at most once a minute, with the count so far.
    const QString told = "%1 lines could not be stored in the history since Kivo started: "
                         "refused for the test Unable to fetch row.";
    history.append("private:alice", "alice", userLine("lost 1"));
    history.flush();
    QTRY_COMPARE(sandbox.boxes.texts(), QStringList{told.arg(1)});
    history.append("private:alice", "alice", userLine("lost 2"));
    history.flush();
    qInstallMessageHandler(previous);
    QTest::qWait(50);
    QCOMPARE(sandbox.boxes.texts(), QStringList{told.arg(1)});
    sandbox.clock.advanceMs(HistoryLosses::Interval);
    QCOMPARE(sandbox.boxes.texts(), (QStringList{told.arg(1), told.arg(2)}));
    QCOMPARE(history.newest("private:alice", 5).size(), 1);
}

void TestHistory::onlyADamagedFileIsMovedAside() {
    // Locked by another process: said with its reason, nothing moved or changed.
    {
        test::Sandbox sandbox;
        {
            Store history;
            QVERIFY(history.open());
        }
        const QByteArray before = sandbox.readFile(HistoryStore::FileName);
        Direct direct(sandbox.path(HistoryStore::FileName));
        QVERIFY(direct.exec("PRAGMA locking_mode=EXCLUSIVE"));
        QVERIFY(direct.exec("BEGIN EXCLUSIVE"));
        Store history;
        QVERIFY(!history.open());
        QCOMPARE(sandbox.boxes.boxes.size(), 1);
        QVERIFY2(sandbox.boxes.texts()[0].contains("locked"), qPrintable(sandbox.boxes.texts()[0]));
        QVERIFY(QDir(sandbox.path(".")).entryList({"*.damaged-*"}).isEmpty());
        direct.exec("ROLLBACK");
        QCOMPARE(sandbox.readFile(HistoryStore::FileName), before);
    }
    // Another program's database, or a link to one: left exactly as it was.
    for (const bool link : {false, true}) {
        test::Sandbox sandbox;
        const QString other = sandbox.path(link ? "notes.db" : HistoryStore::FileName);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "other");
            db.setDatabaseName(other);
            QVERIFY(db.open());
            QSqlQuery(db).exec("CREATE TABLE notes(text)");
            QSqlQuery(db).exec("INSERT INTO notes VALUES ('mine')");
            db.close();
        }
        QSqlDatabase::removeDatabase("other");
        if (link)
            QVERIFY(QFile::link(other, sandbox.path(HistoryStore::FileName)));
        const QByteArray before = sandbox.readFile(QFileInfo(other).fileName());
        Store history;
        QVERIFY(!history.open());
        QCOMPARE(sandbox.boxes.boxes.size(), 1);
        QVERIFY(sandbox.boxes.texts()[0].contains(link ? "not a plain file" : "another program"));
        QCOMPARE(sandbox.readFile(QFileInfo(other).fileName()), before);
        QVERIFY(!QFile::exists(other + "-wal"));
        QVERIFY(QDir(sandbox.path(".")).entryList({"*.damaged-*"}).isEmpty());
    }
}

void TestHistory::deletedTextLeavesNoTrace() {
    test::Sandbox sandbox;
    Store history;
    QVERIFY(history.open());
    for (int i = 0; i < 50; ++i) {
        history.append("private:alice", "alice", userLine(QString("qzsecret%1 gone").arg(i)));
        history.append("private:bob", "bob", userLine(QString("qzkept%1 stays").arg(i)));
    }
    history.flush();
    const auto onDisk = [&](const QByteArray& word) {
        int found = 0;
        for (const QString suffix : {"", "-wal", "-shm"}) {
            if (sandbox.exists(HistoryStore::FileName + suffix))
                found += sandbox.readFile(HistoryStore::FileName + suffix).count(word);
        }
        return found;
    };
    QVERIFY(onDisk("qzsecret1") > 0);
    history.deleteConversation("private:alice");
    history.flush();
    QCOMPARE(onDisk("qzsecret"), 0);
    QVERIFY(onDisk("qzkept") > 0);
    history.deleteAll();
    history.flush();
    QCOMPARE(onDisk("qzkept"), 0);
}

void TestHistory::searchingChineseAndOddText() {
    test::Sandbox sandbox;
    Store history;
    QVERIFY(history.open());
    history.append("private:alice", "alice", userLine(u"明天的会议改到三点"_qs));
    history.append("private:alice", "alice", userLine(u"\u0002odd\u0003 marks around odd"_qs));
    history.flush();
    const HistoryStore::Found chinese = history.search(u"会议"_qs);
    QCOMPARE(chinese.hits.size(), 1);
    QCOMPARE(chinese.hits[0].matches, (QList<std::pair<qsizetype, qsizetype>>{{3, 2}}));
    // Stored control characters are text, not marks; a NUL typed is a space.
    const HistoryStore::Found odd = history.search(u"odd\u0000marks"_qs);
    QVERIFY(odd.error.isEmpty());
    QCOMPARE(odd.hits.size(), 1);
    QCOMPARE(odd.hits[0].line.line.text, u"\u0002odd\u0003 marks around odd"_qs);
    QCOMPARE(odd.hits[0].matches,
             (QList<std::pair<qsizetype, qsizetype>>{{1, 3}, {6, 5}, {19, 3}}));
}

void TestHistory::searchErrorsAndTheChosenResult() {
    Session s;
    for (int i = 0; i < 30; ++i)
        s.form->features().history()->append(
            HistoryStore::privateConversation("alice"), "alice",
            userLine(i == 10 ? QString("the one") : QString("other %1").arg(i)));
    s.form->features().history()->flush();
    s.form->features().searchHistory(nullptr);
    frmSearchHistory* search = s.form->findChild<frmSearchHistory*>();
    part<QLineEdit>(search, "txtQuery")->setText("one");
    search->runSearch();
    QCOMPARE(part<QListWidget>(search, "lstResults")->count(), 1);
    // The context shows the chosen line marked, not the newest of those around it.
    emit part<QListWidget>(search, "lstResults")
        ->itemActivated(part<QListWidget>(search, "lstResults")->item(0));
    QVERIFY(part<TranscriptView>(search, "txtContext")->selectedText().endsWith("<alice> the one"));
    QVERIFY(part<TranscriptView>(search, "txtContext")->visibleText().contains("the one"));
    // The bold match sits on the matched word, however the row's isolates shift the text.
    s.form->features().history()->append(HistoryStore::privateConversation("alice"), "alice",
                                         userLine(u"\u202Eflipped\u202C then needle"_qs));
    s.form->features().history()->flush();
    part<QLineEdit>(search, "txtQuery")->setText("needle");
    search->runSearch();
    QCOMPARE(part<QListWidget>(search, "lstResults")->count(), 1);
    const QString row = part<QListWidget>(search, "lstResults")->item(0)->text();
    const QVariantList matches =
        part<QListWidget>(search, "lstResults")->item(0)->data(Qt::UserRole).toList();
    QCOMPARE(matches.size(), 2);
    QCOMPARE(row.mid(matches[0].toInt(), matches[1].toInt()), QString("needle"));
    // A query that fails is said, not shown as no results.
    {
        Direct direct(s.sandbox.path(HistoryStore::FileName));
        QVERIFY(direct.exec("DROP TABLE lines_text"));
    }
    search->runSearch();
    QVERIFY(!part<QLabel>(search, "lblSearchError")->isHidden());
    QVERIFY(
        part<QLabel>(search, "lblSearchError")->text().startsWith("The search could not be run: "));
    search->close();
}

namespace {

// A history as the first Kivo with one wrote it (schema version 1), with `lines` lines of which
// every hundredth is Chinese. The lines come first in the file, the indexes after them.
void writeVersionOne(const QString& path, int lines) {
    Direct direct(path);
    QVERIFY(direct.exec("CREATE TABLE lines(id INTEGER PRIMARY KEY, time INTEGER NOT NULL, "
                        "conversation TEXT NOT NULL, title TEXT NOT NULL, form INTEGER NOT NULL, "
                        "own INTEGER NOT NULL, sender TEXT NOT NULL, text TEXT NOT NULL)"));
    QVERIFY(direct.exec("BEGIN"));
    QSqlQuery insert(direct.db);
    QVERIFY(insert.prepare("INSERT INTO lines(time, conversation, title, form, own, sender, "
                           "text) VALUES (?, 'private:alice', 'alice', 1, 0, 'alice', ?)"));
    for (int i = 0; i < lines; ++i) {
        insert.addBindValue(1771664400 + i);
        insert.addBindValue(i % 100 == 0 ? u"明天的会议改到三点"_qs
                                         : QString("an older line %1 about nothing much").arg(i));
        QVERIFY(insert.exec());
    }
    QVERIFY(direct.exec("COMMIT"));
    for (const char* statement :
         {"CREATE INDEX lines_by_conversation ON lines(conversation, id)",
          "CREATE INDEX lines_by_time ON lines(time)",
          "CREATE VIRTUAL TABLE lines_text USING fts5(text, content='lines', content_rowid='id', "
          "tokenize='unicode61')",
          "INSERT INTO lines_text(lines_text) VALUES ('rebuild')",
          "CREATE TRIGGER lines_added AFTER INSERT ON lines BEGIN INSERT INTO lines_text(rowid, "
          "text) VALUES (new.id, new.text); END",
          "CREATE TRIGGER lines_removed AFTER DELETE ON lines BEGIN INSERT INTO "
          "lines_text(lines_text, rowid, text) VALUES ('delete', old.id, old.text); END",
          "PRAGMA user_version=1"})
        QVERIFY(direct.exec(statement));
}

int userVersion(const QString& path) {
    Direct direct(path);
    QSqlQuery query(direct.db);
    return query.exec("PRAGMA user_version") && query.next() ? query.value(0).toInt() : -1;
}

} // namespace

void TestHistory::anOlderHistoryIsBroughtUpToDateBehindTheWindow() {
    test::Sandbox sandbox;
    const QString path = sandbox.path(HistoryStore::FileName);
    writeVersionOne(path, 100'000);
    Store history;
    QList<int> progress;
    connect(&history, &HistoryStore::updating, this, [&](int percent) { progress << percent; });
    QVERIFY(history.open());
    // Opened at once: the older lines are added to the new index behind the window.
    QCOMPARE(userVersion(path), 1);
    history.append("private:alice", "alice", userLine(u"今天的新消息"_qs));
    QCOMPARE(history.newest("private:alice", 1).first().line.text, u"今天的新消息"_qs);
    history.flush();
    QTRY_VERIFY(!progress.isEmpty() && progress.last() == 100);
    QVERIFY(std::is_sorted(progress.begin(), progress.end()));
    QCOMPARE(userVersion(path), 2);
    QCOMPARE(history.search(u"会议"_qs, {}, 5000).hits.size(), 1000);
    QCOMPARE(history.search(u"消息"_qs).hits.size(), 1);
    QVERIFY(sandbox.boxes.boxes.isEmpty());
}

void TestHistory::aDamagedOlderHistoryIsMovedAside_data() {
    QTest::addColumn<int>("firstPage");
    QTest::addColumn<int>("lastPage"); // of those made garbage; -1: to the end
    QTest::newRow("every page but the schema's") << 2 << -1;
    QTest::newRow("some of the lines' pages") << 40 << 60;
}

void TestHistory::aDamagedOlderHistoryIsMovedAside() {
    QFETCH(int, firstPage);
    QFETCH(int, lastPage);
    test::Sandbox sandbox;
    const QString path = sandbox.path(HistoryStore::FileName);
    writeVersionOne(path, 20'000);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    const qint64 pages = file.size() / 4096;
    for (qint64 page = firstPage; page <= (lastPage < 0 ? pages : lastPage); ++page) {
        file.seek((page - 1) * 4096);
        file.write(QByteArray(4096, '\x5a'));
    }
    file.close();
    Store history;
    QVERIFY(history.open());
    QTRY_COMPARE(sandbox.boxes.boxes.size(), 1);
    QVERIFY2(sandbox.boxes.texts()[0].contains("history.sqlite.damaged-20260221-"),
             qPrintable(sandbox.boxes.texts()[0]));
    QCOMPARE(QDir(sandbox.path(".")).entryList({"history.sqlite.damaged-*"}).size(), 1);
    history.append("private:alice", "alice", userLine("a new start"));
    history.flush();
    QCOMPARE(history.newest("private:alice", 5).size(), 1);
    QCOMPARE(userVersion(path), 2);
}

void TestHistory::aNewerOrForeignDatabaseIsLeftAlone_data() {
    QTest::addColumn<QStringList>("statements");
    QTest::addColumn<QString>("said");
    QTest::newRow("a newer Kivo's") << QStringList{"CREATE TABLE lines(id INTEGER PRIMARY KEY, "
                                                   "text TEXT)",
                                                   "CREATE VIRTUAL TABLE lines_text USING "
                                                   "fts5(text)",
                                                   "PRAGMA user_version=3"}
                                    << "a newer Kivo wrote it";
    QTest::newRow("another program's, with a version")
        << QStringList{"CREATE TABLE notes(text)", "INSERT INTO notes VALUES ('mine')",
                       "PRAGMA user_version=5"}
        << "another program's database";
    QTest::newRow("another program's, with Kivo's version")
        << QStringList{"CREATE TABLE notes(text)", "PRAGMA user_version=2"}
        << "another program's database";
}

void TestHistory::aNewerOrForeignDatabaseIsLeftAlone() {
    QFETCH(QStringList, statements);
    QFETCH(QString, said);
    test::Sandbox sandbox;
    const QString path = sandbox.path(HistoryStore::FileName);
    {
        Direct direct(path);
        for (const QString& statement : statements)
            QVERIFY(direct.exec(statement));
    }
    const QByteArray before = sandbox.readFile(HistoryStore::FileName);
    Store history;
    QVERIFY(!history.open());
    QCOMPARE(sandbox.boxes.boxes.size(), 1);
    QVERIFY2(sandbox.boxes.texts()[0].contains(said), qPrintable(sandbox.boxes.texts()[0]));
    QCOMPARE(sandbox.readFile(HistoryStore::FileName), before);
    QVERIFY(!sandbox.exists(HistoryStore::FileName + "-wal"));
}

void TestHistory::linesNotStoredAtExitAreSaid() {
    test::Sandbox sandbox;
    test::writeAliceAndBob(sandbox);
    sandbox.writeFile("kivo.ini", "[General]\nhistory=true\n");
    const int lines = 500'000; // more than the writer stores in the seconds it is given
    auto form = std::make_unique<Form1>();
    for (int i = 0; i < lines; ++i)
        form->features().history()->append("room:flood", "flood", userLine("flooded"));
    form.reset();
    const QString ini = QString::fromUtf8(sandbox.readFile("kivo.ini"));
    const int notStored =
        ini.mid(ini.indexOf("linesNotStored=")).section('=', 1, 1).section('\n', 0, 0).toInt();
    QVERIFY(notStored > 0);
    // Said in the next start's first box.
    form = std::make_unique<Form1>();
    QTRY_COMPARE(sandbox.boxes.texts(),
                 QStringList{QString("When Kivo ended last time, %1 lines could not be stored "
                                     "in the history.")
                                 .arg(notStored)});
    QVERIFY(!sandbox.readFile("kivo.ini").contains("linesNotStored"));
    form->features().history()->flush();
    Direct direct(sandbox.path(HistoryStore::FileName));
    QSqlQuery count(direct.db);
    QVERIFY(count.exec("SELECT count(*) FROM lines") && count.next());
    QCOMPARE(count.value(0).toInt() + notStored, lines);
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
    Store history;
    const auto said = [&](int status) {
        for (const QString& text : boxes.texts())
            std::fprintf(stderr, "%s\n", qPrintable(text));
        return status;
    };
    if (!history.open())
        return said(1);
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
    return boxes.boxes.isEmpty() ? 0 : said(4);
}

int main(int argc, char* argv[]) {
    if (argc == 5 && QByteArray(argv[1]) == "--store")
        return storeLines(argc, argv);
    QApplication app(argc, argv);
    TestHistory test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_history.moc"
