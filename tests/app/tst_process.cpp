// SPDX-License-Identifier: GPL-3.0-or-later
// The kivo program itself, as separate processes: its command line and one Kivo per state
// folder.
#include "SingleInstance.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <csignal>
#include <thread>

namespace {

// A kivo process under the offscreen platform, logging to its standard error.
class Kivo {
public:
    // Without a folder, the state files are where the program decides.
    explicit Kivo(const QString& folder, const QString& runtime = {},
                  const QString& program = KIVO) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        if (!runtime.isEmpty())
            environment.insert("XDG_RUNTIME_DIR", runtime);
        process.setProcessEnvironment(environment);
        process.start(program, folder.isEmpty()
                                   ? QStringList{"--verbose"}
                                   : QStringList{"--state-folder", folder, "--verbose"});
    }
    ~Kivo() {
        process.kill();
        process.waitForFinished();
    }
    bool logged(const QString& line, int timeoutMs = 5000) {
        return QTest::qWaitFor(
            [&] {
                log += process.readAllStandardError();
                return log.contains(line.toUtf8());
            },
            timeoutMs);
    }

    QProcess process;
    QByteArray log;
};

} // namespace

class TestProcess : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void helpAndVersionNeedNoDisplay();
    void helpIsInTheUsersLanguage();
    void aSecondStartHandsOverToTheFirst();
    void aLockLeftByADeadProcessIsTakenOver();
    void eachStateFolderHasItsOwnKivo();
    void aMistypedOptionIsSaidWithoutADisplay();
    void aLockNobodyHoldsIsTakenOver_data();
    void aLockNobodyHoldsIsTakenOver();
    void aSilentHolderIsNotSaidToHaveAnswered();
    void aWindowThatCannotComeToTheFrontIsSaidSo();
    void terminationEndsKivoAsExitDoes();
    void aStateFolderKivoMakesIsPrivate();
    void aProgramCopiedAloneKeepsItsModules();
};

void TestProcess::helpAndVersionNeedNoDisplay() {
    QProcessEnvironment bare = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        bare.remove(name);
    QProcess kivo;
    kivo.setProcessEnvironment(bare);
    kivo.start(KIVO, {"--version"});
    QVERIFY(kivo.waitForFinished());
    QCOMPARE(kivo.exitStatus(), QProcess::NormalExit);
    QCOMPARE(kivo.exitCode(), 0);
    QCOMPARE(kivo.readAllStandardOutput(), QByteArray("Kivo " KIVO_VERSION "\n"));
    kivo.start(KIVO, {"--help"});
    QVERIFY(kivo.waitForFinished());
    QCOMPARE(kivo.exitCode(), 0);
    const QByteArray help = kivo.readAllStandardOutput();
    QVERIFY2(help.contains("--state-folder <folder>") && help.contains("--verbose"), help);
}

void TestProcess::helpIsInTheUsersLanguage() {
    QProcessEnvironment german = QProcessEnvironment::systemEnvironment();
    german.remove("LC_ALL");
    german.remove("LANGUAGE");
    german.insert("LANG", "de_DE.UTF-8");
    QProcess kivo;
    kivo.setProcessEnvironment(german);
    kivo.start(KIVO, {"--help"});
    QVERIFY(kivo.waitForFinished());
    const QString help = QString::fromUtf8(kivo.readAllStandardOutput());
    QVERIFY2(help.contains("Ein Instant-Messaging-Programm für das Veltra-Netz."),
             qPrintable(help));
    QVERIFY(help.contains("Die Zustandsdateien"));
}

void TestProcess::aSecondStartHandsOverToTheFirst() {
    QTemporaryDir folder;
    Kivo first(folder.path());
    QVERIFY(first.logged("kivo.instance: locked"));
    Kivo second(folder.path());
    QVERIFY(second.process.waitForFinished());
    QCOMPARE(second.process.exitCode(), 0);
    QVERIFY(second.process.readAllStandardOutput().contains("already running"));
    QVERIFY(first.logged("brought to the front by a second start"));
    QCOMPARE(first.process.state(), QProcess::Running);
}

void TestProcess::aLockLeftByADeadProcessIsTakenOver() {
    QTemporaryDir folder;
    {
        Kivo gone(folder.path());
        QVERIFY(gone.logged("kivo.instance: locked"));
        ::kill(static_cast<pid_t>(gone.process.processId()), SIGKILL); // no chance to unlock
        QVERIFY(gone.process.waitForFinished());
    }
    QVERIFY(QFile::exists(folder.filePath("kivo.lock")));
    Kivo next(folder.path());
    QVERIFY(next.logged("kivo.instance: locked"));
    QVERIFY(!next.process.waitForFinished(500));
}

void TestProcess::eachStateFolderHasItsOwnKivo() {
    QTemporaryDir one, two;
    Kivo first(one.path());
    Kivo second(two.path());
    QVERIFY(first.logged("kivo.instance: locked"));
    QVERIFY(second.logged("kivo.instance: locked"));
    // A start on the second folder brings the second Kivo to the front, not the first.
    Kivo again(two.path());
    QVERIFY(again.process.waitForFinished());
    QCOMPARE(again.process.exitCode(), 0);
    QVERIFY(second.logged("brought to the front by a second start"));
    QVERIFY(!first.logged("brought to the front", 200));
}

void TestProcess::aMistypedOptionIsSaidWithoutADisplay() {
    QProcessEnvironment bare = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        bare.remove(name);
    QProcess kivo;
    kivo.setProcessEnvironment(bare);
    kivo.start(KIVO, {"--bogus"});
    QVERIFY(kivo.waitForFinished());
    QCOMPARE(kivo.exitStatus(), QProcess::NormalExit); // not aborted
    QCOMPARE(kivo.exitCode(), 1);
    QVERIFY(kivo.readAllStandardError().contains("Unknown option 'bogus'."));
}

void TestProcess::aLockNobodyHoldsIsTakenOver_data() {
    QTest::addColumn<QByteArray>("lock");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("garbage") << QByteArray("\x01\x02 not a lock at all");
    QTest::newRow("another machine") << QByteArray("4242\nkivo\nsome-other-host\n");
}

void TestProcess::aLockNobodyHoldsIsTakenOver() {
    QFETCH(QByteArray, lock);
    QTemporaryDir folder;
    QFile file(folder.filePath("kivo.lock"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(lock);
    file.close();
    Kivo next(folder.path());
    QVERIFY(next.logged("kivo.instance: locked"));
    QVERIFY(!next.process.waitForFinished(300));
}

void TestProcess::aSilentHolderIsNotSaidToHaveAnswered() {
    QTemporaryDir folder;
    QTemporaryDir runtime;
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    Kivo first(folder.path(), runtime.path());
    QVERIFY(first.logged("kivo.instance: locked"));
    QTest::qWait(200); // listening
    // Stopped, it holds the lock and its socket takes the connection, but nothing answers.
    ::kill(static_cast<pid_t>(first.process.processId()), SIGSTOP);
    Kivo second(folder.path(), runtime.path());
    QVERIFY(second.process.waitForFinished(15000));
    ::kill(static_cast<pid_t>(first.process.processId()), SIGCONT);
    QCOMPARE(second.process.exitCode(), 1);
    QVERIFY(second.process.readAllStandardError().contains("does not answer"));
    QVERIFY(second.process.readAllStandardOutput().isEmpty());
}

void TestProcess::terminationEndsKivoAsExitDoes() {
    QTemporaryDir folder;
    Kivo kivo(folder.path());
    QVERIFY(kivo.logged("kivo.instance: locked"));
    QTest::qWait(200);
    ::kill(static_cast<pid_t>(kivo.process.processId()), SIGTERM);
    QVERIFY(kivo.process.waitForFinished());
    QCOMPARE(kivo.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(kivo.process.exitCode(), 0);
    QVERIFY(!QFile::exists(folder.filePath("kivo.lock"))); // unlocked on the way out
}

void TestProcess::aStateFolderKivoMakesIsPrivate() {
    QTemporaryDir parent;
    const QString folder = parent.filePath("new/state");
    Kivo kivo(folder);
    QVERIFY(kivo.logged("kivo.instance: locked"));
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                      QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    QVERIFY(QFile::permissions(folder) & QFile::ExeOwner);
    QCOMPARE(QFile::permissions(folder) & others, QFile::Permissions());
}

void TestProcess::aProgramCopiedAloneKeepsItsModules() {
    // The state files live beside a program whose folder can be written to.
    QTemporaryDir folder;
    const QString program = folder.filePath("kivo");
    QVERIFY(QFile::copy(KIVO, program));
    QFile ini(folder.filePath("kivo.ini"));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[General]\nhistory=true\n");
    ini.close();
    QFile settings(folder.filePath("settings.dat"));
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write("False\r\n");
    settings.close();
    Kivo kivo(QString(), {}, program);
    // Logged by the history's module once the database has Kivo's tables.
    QVERIFY2(kivo.logged("kivo.files: opened " + folder.filePath("history.sqlite")), kivo.log);
    QVERIFY(!kivo.log.contains("cannot be used"));
}

void TestProcess::aWindowThatCannotComeToTheFrontIsSaidSo() {
    // In one process: the second start blocks while the first answers from the event loop.
    QTemporaryDir folder;
    kivo::SingleInstance first(folder.path());
    QCOMPARE(first.start(), kivo::SingleInstance::Outcome::First);
    QStringList tokens;
    bool inFront = false;
    first.setRaise([&](const QString& token, std::function<void(bool)> told) {
        tokens << token;
        told(inFront);
    });
    const auto secondStart = [&](const QString& token) {
        std::atomic<bool> done = false;
        kivo::SingleInstance::Outcome outcome{};
        std::thread second([&] {
            outcome = kivo::SingleInstance(folder.path()).start(token);
            done = true;
        });
        const bool answered = QTest::qWaitFor([&] { return done.load(); }, 10000);
        second.join();
        return answered ? outcome : kivo::SingleInstance::Outcome::First;
    };
    QCOMPARE(secondStart("launcher-token_1"), kivo::SingleInstance::Outcome::Attention);
    inFront = true;
    QCOMPARE(secondStart(QString()), kivo::SingleInstance::Outcome::HandedOver);
    // A token with a space or a line break in it is not one: not passed on.
    QCOMPARE(secondStart("two words"), kivo::SingleInstance::Outcome::HandedOver);
    QCOMPARE(tokens, (QStringList{"launcher-token_1", QString(), QString()}));
}

QTEST_GUILESS_MAIN(TestProcess)
#include "tst_process.moc"
