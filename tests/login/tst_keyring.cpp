// SPDX-License-Identifier: GPL-3.0-or-later
// The saved password in the desktop's keyring: a session bus of the test's own, first without
// any keyring, then with GNOME's keyring daemon unlocked on it.
#include "ChatRegistry.h"
#include "ConnectionController.h"
#include "ConnectionFile.h"
#include "FormChat.h"
#include "TestSupport.h"
#include "frmLogin.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

using namespace kivo;

namespace {

// Saves or moves, and waits for the keyring's answer.
template <typename Action> bool settled(Keyring& keyring, Action action) {
    QSignalSpy done(&keyring, &Keyring::settled);
    action();
    return done.wait(10000);
}

QString passwordOf(Keyring& keyring, const QString& user) {
    QString password;
    bool answered = false;
    keyring.password({user, QString(), QStringLiteral("127.0.0.1")}, &keyring,
                     [&](const QString& read) {
                         password = read;
                         answered = true;
                     });
    return QTest::qWaitFor([&] { return answered; }, 10000) ? password
                                                            : QStringLiteral("(no answer)");
}

} // namespace

class TestKeyring : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // In this order: the keyring starts between them.
    void withoutAKeyringThePasswordStaysInTheFile();
    void savedInTheKeyringWithAnEmptyLineTwo();
    void switchingTheOptionMovesThePassword();
    void aSaveAnsweredOnceTheOptionIsOffStaysInTheFile();
    void aKeyringThatAnswersLateGetsThePasswordAfterAll();
    void aLoginSavedWhileMovingOutIsKept();
    void leavingARoomWaitsForTheKeyringNotOverTheUser();
    void leavingARoomWithoutAPasswordAsksForIt();

private:
    // Stopped, the keyring answers nothing until it goes on: a locked keyring with its
    // prompt open.
    struct Paused {
        explicit Paused(QProcess* daemon)
            : pid(static_cast<pid_t>(daemon->processId())) {
            ::kill(pid, SIGSTOP);
        }
        ~Paused() { ::kill(pid, SIGCONT); }
        pid_t pid;
    };
    QProcess* daemon_ = nullptr;
};

void TestKeyring::withoutAKeyringThePasswordStaysInTheFile() {
    test::Sandbox sandbox;
    Keyring keyring;
    // The keyring's libraries load with the first use of the option, not before.
    keyring.save("ann", "pw0", "127.0.0.1");
    QVERIFY(!test::libraryLoaded("libqt6keychain"));
    keyring.setEnabled(true);
    QVERIFY(settled(keyring, [&] { keyring.save("ann", "pw", "127.0.0.1"); }));
    QCOMPARE(sandbox.readFile("connection.dat"), QByteArray("ann\r\npw\r\n127.0.0.1\r\n42439\r\n"));
    QVERIFY(test::libraryLoaded("libqt6keychain"));
    QVERIFY(settled(keyring, [&] { keyring.save("ann", "pw2", "127.0.0.1"); }));
    QCOMPARE(sandbox.readFile("connection.dat"),
             QByteArray("ann\r\npw2\r\n127.0.0.1\r\n42439\r\n"));
    // Said once, with the reason.
    QCOMPARE(sandbox.boxes.boxes.size(), 1);
    QVERIFY(sandbox.boxes.boxes[0].text.startsWith(
        "Your password could not be kept in the desktop's keyring ("));
    QVERIFY(
        sandbox.boxes.boxes[0].text.endsWith("), so Kivo keeps it in connection.dat as before."));

    // A password that should be in the keyring cannot be read: said, and empty.
    Keyring reader;
    reader.setEnabled(true);
    QCOMPARE(passwordOf(reader, "ann"), QString());
    QCOMPARE(sandbox.boxes.boxes.size(), 2);
    QVERIFY(sandbox.boxes.boxes[1].text.startsWith(
        "Kivo could not read your password from the desktop's keyring ("));

    // Switching on keeps the password where it is.
    Keyring switching;
    QVERIFY(settled(switching, [&] { switching.switchTo(true); }));
    QCOMPARE(sandbox.readFile("connection.dat"),
             QByteArray("ann\r\npw2\r\n127.0.0.1\r\n42439\r\n"));
}

void TestKeyring::savedInTheKeyringWithAnEmptyLineTwo() {
    auto* daemon = daemon_ = new QProcess(this);
    daemon->start("gnome-keyring-daemon", {"--foreground", "--unlock", "--components=secrets"});
    daemon->write("test-keyring");
    daemon->closeWriteChannel();
    QVERIFY(QTest::qWaitFor(
        [] {
            return QDBusConnection::sessionBus().interface()->isServiceRegistered(
                "org.freedesktop.secrets");
        },
        10000));

    test::Sandbox sandbox;
    test::saveLogin(sandbox, "bea", "old", 42439);
    ConnectionController connection;
    connection.keyring.setEnabled(true);
    QVERIFY(
        settled(connection.keyring, [&] { connection.keyring.save("bea", "pw", "127.0.0.1"); }));
    QCOMPARE(sandbox.readFile("connection.dat"), QByteArray("bea\r\n\r\n127.0.0.1\r\n42439\r\n"));
    QCOMPARE(passwordOf(connection.keyring, "bea"), QString("pw"));

    // The login dialog takes it from the keyring; what the user typed first stays.
    {
        frmLogin dialog(connection, nullptr);
        QCOMPARE(dialog.txtPassword->text(), QString());
        QTRY_COMPARE(dialog.txtPassword->text(), QString("pw"));
        QVERIFY(dialog.cmdOK->isEnabled());
    }
    {
        frmLogin dialog(connection, nullptr);
        dialog.txtPassword->setText("typed");
        QTest::qWait(300);
        QCOMPARE(dialog.txtPassword->text(), QString("typed"));
    }

    // Another login: the earlier one's password leaves the keyring.
    QVERIFY(
        settled(connection.keyring, [&] { connection.keyring.save("cid", "pw3", "127.0.0.1"); }));
    QCOMPARE(sandbox.readFile("connection.dat"), QByteArray("cid\r\n\r\n127.0.0.1\r\n42439\r\n"));
    QTRY_COMPARE(passwordOf(connection.keyring, "bea"), QString());
    QCOMPARE(passwordOf(connection.keyring, "cid"), QString("pw3"));
    QCOMPARE(sandbox.boxes.texts(), QStringList());
}

void TestKeyring::switchingTheOptionMovesThePassword() {
    test::Sandbox sandbox;
    test::saveLogin(sandbox, "dee", "secret", 6000);
    Keyring keyring;
    QVERIFY(settled(keyring, [&] { keyring.switchTo(true); }));
    QCOMPARE(sandbox.readFile("connection.dat"), QByteArray("dee\r\n\r\n127.0.0.1\r\n6000\r\n"));
    QCOMPARE(passwordOf(keyring, "dee"), QString("secret"));

    QVERIFY(settled(keyring, [&] { keyring.switchTo(false); }));
    QCOMPARE(sandbox.boxes.texts(),
             QStringList{"Kivo keeps your password in connection.dat again, in clear text, and "
                         "removes it from the desktop's keyring."});
    QCOMPARE(sandbox.readFile("connection.dat"),
             QByteArray("dee\r\nsecret\r\n127.0.0.1\r\n6000\r\n"));
    Keyring reader;
    reader.setEnabled(true);
    QCOMPARE(passwordOf(reader, "dee"), QString());
}

void TestKeyring::aSaveAnsweredOnceTheOptionIsOffStaysInTheFile() {
    test::Sandbox sandbox;
    test::saveLogin(sandbox, "eve", "old", 42439);
    Keyring keyring;
    keyring.setEnabled(true);
    QSignalSpy settledCount(&keyring, &Keyring::settled);
    {
        Paused locked(daemon_);
        keyring.save("eve", "pw", "127.0.0.1");
        keyring.switchTo(false); // the password is in the file: nothing to move
    }
    QTRY_COMPARE_WITH_TIMEOUT(settledCount.size(), 2, 10000);
    QCOMPARE(sandbox.readFile("connection.dat"), QByteArray("eve\r\npw\r\n127.0.0.1\r\n42439\r\n"));
    Keyring reader;
    reader.setEnabled(true);
    QTRY_COMPARE(passwordOf(reader, "eve"), QString());
}

void TestKeyring::aKeyringThatAnswersLateGetsThePasswordAfterAll() {
    test::Sandbox sandbox;
    Keyring keyring;
    keyring.setEnabled(true);
    QSignalSpy settledCount(&keyring, &Keyring::settled);
    {
        Paused locked(daemon_);
        keyring.save("fay", "pw", "127.0.0.1");
        sandbox.clock.advanceMs(15000); // given up on: kept in the file
        QCOMPARE(settledCount.size(), 1);
        QCOMPARE(sandbox.readFile("connection.dat"),
                 QByteArray("fay\r\npw\r\n127.0.0.1\r\n42439\r\n"));
        QCOMPARE(sandbox.boxes.boxes.size(), 1);
    }
    QTRY_COMPARE_WITH_TIMEOUT(settledCount.size(), 2, 10000);
    QCOMPARE(sandbox.readFile("connection.dat"), QByteArray("fay\r\n\r\n127.0.0.1\r\n42439\r\n"));
    QCOMPARE(passwordOf(keyring, "fay"), QString("pw"));
}

void TestKeyring::aLoginSavedWhileMovingOutIsKept() {
    test::Sandbox sandbox;
    test::saveLogin(sandbox, "gus", "secret", 42439);
    Keyring keyring;
    QVERIFY(settled(keyring, [&] { keyring.switchTo(true); }));
    QCOMPARE(sandbox.readFile("connection.dat"), QByteArray("gus\r\n\r\n127.0.0.1\r\n42439\r\n"));
    // While the box that says the password moves out is open, another login is saved.
    sandbox.boxes.whileOpen = [&] {
        sandbox.boxes.whileOpen = nullptr;
        keyring.save("hal", "new", "127.0.0.1");
    };
    QVERIFY(settled(keyring, [&] { keyring.switchTo(false); }));
    QCOMPARE(sandbox.boxes.boxes.size(), 1);
    QCOMPARE(sandbox.readFile("connection.dat"),
             QByteArray("hal\r\nnew\r\n127.0.0.1\r\n42439\r\n"));
}

void TestKeyring::leavingARoomWaitsForTheKeyringNotOverTheUser() {
    test::Sandbox sandbox;
    test::LoopbackServer home, elsewhere;
    test::saveLogin(sandbox, "ivy", "", home.port());
    ConnectionController connection;
    connection.keyring.setEnabled(true);
    QVERIFY(settled(connection.keyring, [&] { connection.keyring.save("ivy", "pw", "127.0.0.1"); }));
    ChatRegistry chats(connection);
    QPointer<FormChat> room = chats.openConference("lobby");
    {
        Paused locked(daemon_);
        room->close();
        QTRY_VERIFY(!room);
        // Meanwhile the user logs in elsewhere.
        QVERIFY(test::logInAt(elsewhere, connection, "ivy", "pw"));
    }
    // Answered in order: once this read is, the room's was too.
    QCOMPARE(passwordOf(connection.keyring, "ivy"), QString("pw"));
    QTest::qWait(100);
    QCOMPARE(home.clientCount(), 0);
    QCOMPARE(connection.Winsock1.remotePort(), elsewhere.port());
}

void TestKeyring::leavingARoomWithoutAPasswordAsksForIt() {
    test::Sandbox sandbox;
    test::LoopbackServer home;
    test::saveLogin(sandbox, "jay", "", home.port());
    ConnectionController connection;
    connection.keyring.setEnabled(true); // and the keyring has no password for jay
    ChatRegistry chats(connection);
    int asked = 0;
    chats.askForLogin = [&] { ++asked; };
    QPointer<FormChat> room = chats.openConference("lobby");
    room->close();
    QTRY_COMPARE_WITH_TIMEOUT(asked, 1, 10000);
    QTest::qWait(100);
    QCOMPARE(home.clientCount(), 0); // no login with an empty password
}

int main(int argc, char* argv[]) {
    // A home, a runtime folder and a session bus of the test's own: no user's keyring is
    // touched, and the bus starts no keyring by itself.
    QTemporaryDir folder;
    qputenv("HOME", folder.path().toUtf8());
    qputenv("XDG_RUNTIME_DIR", folder.path().toUtf8());
    qputenv("XDG_DATA_HOME", (folder.path() + "/data").toUtf8());
    QFile config(folder.filePath("bus.conf"));
    if (!config.open(QIODevice::WriteOnly))
        qFatal("no bus configuration");
    config.write(
        "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\" "
        "\"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
        "<busconfig><type>session</type><listen>unix:tmpdir=" +
        folder.path().toUtf8() +
        "</listen><policy context=\"default\"><allow send_destination=\"*\" "
        "eavesdrop=\"true\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/></policy>"
        "</busconfig>\n");
    config.close();
    const test::PrivateSessionBus bus({"--config-file=" + config.fileName()});
    QApplication app(argc, argv);
    TestKeyring test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_keyring.moc"
