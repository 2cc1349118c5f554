// SPDX-License-Identifier: GPL-3.0-or-later
// The kivo program itself, as separate processes: its command line and one Kivo per state
// folder.
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

namespace {

// A kivo process under the offscreen platform, logging to its standard error.
class Kivo {
public:
    explicit Kivo(const QString& folder) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(environment);
        process.start(KIVO, {"--state-folder", folder, "--verbose"});
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
}

QTEST_GUILESS_MAIN(TestProcess)
#include "tst_process.moc"
