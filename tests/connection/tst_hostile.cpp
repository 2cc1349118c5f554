// SPDX-License-Identifier: GPL-3.0-or-later
// A server that misbehaves: huge lines, floods, bad bytes, and connections that end at the
// worst moments. Nothing may crash, hang, lose what was received, or grow without bound.
#include "ConnectionFile.h"
#include "Form1.h"
#include "FormChat.h"
#include "LineReceiver.h"
#include "TestSupport.h"
#include "TranscriptFormat.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>

using namespace kivo;

namespace {

long residentKiB() {
    QFile status("/proc/self/status");
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ')[0].toLong();
    }
    return 0;
}

// The main window connected to a loopback server that plays the hostile part, with the
// conference window open to catch everything that is not a known reply.
struct Session {
    test::Sandbox sandbox;
    test::LoopbackServer server;
    std::unique_ptr<Form1> form;
    FormChat* room = nullptr;
    QStringList routed;

    Session() {
        test::writeAliceAndBob(sandbox);
        form = std::make_unique<Form1>();
        QObject::connect(&form->connection(), &ConnectionController::messageReceived,
                         [this](const QString& message) { routed.append(message); });
        if (!test::logInAt(server, form->connection(), "ann", "pw"))
            qFatal("no login");
        room = form->chats().openConference("lobby");
    }
    // The private messages alice's window shows, without their time stamps.
    QStringList fromAlice() {
        FormChat* chat = form->chats().window("alice");
        if (!chat)
            return {};
        return test::transcriptText(chat).remove("[09:05:07] ").split('\n', Qt::SkipEmptyParts);
    }
    QString lastLine() {
        const TranscriptModel& lines = room->transcript();
        return lines.count() == 0 ? QString()
                                  : TranscriptFormat::shown(lines.line(lines.count() - 1)).text;
    }
};

} // namespace

class TestHostile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void tenMegabyteLineWithoutAnEnd();
    void hundredThousandLinesInOneRead();
    void invalidUtf8Everywhere();
    void droppedDuringTheLogin();
    void droppedInTheMiddleOfALine();
    void droppedWhileABoxIsOpen();
    void loginNeverAnswered();
    void linesThatCameWhileABoxWasOpen();
    void overlongLineEndsAtAPause();
    void slowNetworkAndUnendedLines();
    void oneBoxForAThousandEqualErrors();
    void oneBoxForErrorsThatDifferOnlyInAName();
    void privateFloodAsksForTheFocusRarely();
};

void TestHostile::tenMegabyteLineWithoutAnEnd() {
    Session s;
    const long before = residentKiB();
    const QByteArray piece(1024 * 1024, 'x');
    for (int i = 0; i < 10; ++i)
        s.server.send(piece);
    QTRY_COMPARE(s.routed.size(), 1); // the cut piece, routed at once
    QCOMPARE(s.routed[0], QString(LineReceiver::MaxLineLength, 'x'));
    s.server.send("\r\nafter\r\n");
    QTRY_COMPARE(s.routed.size(), 2);
    QCOMPARE(s.routed[1], QString("after"));
    QVERIFY(s.form->connection().isConnected());
#ifndef __SANITIZE_ADDRESS__ // the sanitizer keeps freed memory in quarantine
    QVERIFY2(residentKiB() - before < 48 * 1024, "memory grew with the line");
#else
    (void)before;
#endif
}

void TestHostile::hundredThousandLinesInOneRead() {
    Session s;
    QByteArray flood;
    for (int i = 1; i <= 100000; ++i)
        flood += "bob: line " + QByteArray::number(i) + "\r\n";
    int ticks = 0;
    QTimer ticker; // the event loop keeps turning while the lines are routed
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(5);
    s.server.send(flood);
    QTRY_COMPARE_WITH_TIMEOUT(s.routed.size(), 100000, 60000);
    QCOMPARE(s.routed.last(), QString("bob: line 100000"));
    QVERIFY(ticks > 5);
    QCOMPARE(s.lastLine(), QString("[09:05:07] <bob> line 100000"));
    QCOMPARE(s.room->transcript().count(), 100000);
    QTRY_COMPARE(s.room->txtChat->visibleText().split('\n').last(),
                 QString("[09:05:07] <bob> line 100000"));
}

void TestHostile::invalidUtf8Everywhere() {
    Session s;
    QRandomGenerator random(20261207);
    QByteArray bytes;
    for (int i = 0; i < 200000; ++i) {
        const auto byte = static_cast<char>(random.bounded(256));
        bytes += byte;
        if (i % 97 == 0)
            bytes += "\xC3\r\n"; // a character cut by a line end
    }
    s.server.send(bytes);
    s.server.send("\r\nstill here\r\n");
    QTRY_VERIFY(!s.routed.isEmpty() && s.routed.last() == "still here");
    QVERIFY(s.routed.join(QString()).contains(QChar(QChar::ReplacementCharacter)));
    QVERIFY(s.form->connection().isConnected());
}

void TestHostile::droppedDuringTheLogin() {
    test::Sandbox sandbox;
    test::LoopbackServer server;
    sandbox.writeFile("settings.dat", "False\r\n");
    test::saveLogin(sandbox, "ann", "pw", server.port());
    Form1 form;
    frmLogin* dialog = nullptr;
    bool okEnabledAgain = false;
    test::whenModal([&](QWidget* modal) {
        dialog = qobject_cast<frmLogin*>(modal);
        QTest::mouseClick(dialog->cmdOK, Qt::LeftButton);
    });
    bool dropped = false;
    test::when([&] { return server.received() == "/login ann pw\r\n"; },
               [&] {
                   server.dropClient();
                   dropped = true;
               });
    test::when([&] { return dropped && form.lblConnectionState->text() == "Disconnected!"; },
               [&] {
                   okEnabledAgain = dialog->cmdOK->isEnabled();
                   dialog->close();
               });
    form.ShowLoginDialog();
    QVERIFY(okEnabledAgain);
    QCOMPARE(form.connection().Winsock1.state(), int(Winsock::Closed));
    QCOMPARE(form.windowTitle(), QString("Kivo"));
    QVERIFY(form.connection().WaitingForLogin); // as after any close by the server
    QVERIFY(sandbox.boxes.boxes.isEmpty());
}

void TestHostile::droppedInTheMiddleOfALine() {
    Session s;
    s.server.send("bob: complete\r\nbob: half a li");
    s.server.dropClient();
    QTRY_COMPARE(s.form->lblConnectionState->text(), QString("Disconnected!"));
    QTRY_COMPARE(s.routed, (QStringList{"bob: complete", "bob: half a li"}));
    QCOMPARE(s.lastLine(), QString("[09:05:07] <bob> half a li"));
}

void TestHostile::droppedWhileABoxIsOpen() {
    Session s;
    bool closedWhileOpen = false;
    s.sandbox.boxes.whileOpen = [&] {
        // The box's own event loop runs on: the rest arrives and the server goes away.
        s.server.dropClient();
        QTest::qWait(300);
        closedWhileOpen = s.form->lblConnectionState->text() == "Disconnected!";
    };
    s.server.send("User does not exist.\r\nbob: after the box\r\nbob: last\r\n");
    QTRY_COMPARE(s.routed.size(), 3);
    QTRY_VERIFY(closedWhileOpen);
    QCOMPARE(s.sandbox.boxes.texts(), QStringList{"User does not exist."});
    QTRY_COMPARE(s.lastLine(), QString("[09:05:07] <bob> last"));
    QCOMPARE(s.form->connection().Winsock1.state(), int(Winsock::Closed));
}

void TestHostile::loginNeverAnswered() {
    test::Sandbox sandbox;
    test::LoopbackServer server;
    sandbox.writeFile("settings.dat", "False\r\n");
    test::saveLogin(sandbox, "ann", "pw", server.port());
    Form1 form;
    test::whenModal([&](QWidget* modal) {
        QTest::mouseClick(qobject_cast<frmLogin*>(modal)->cmdOK, Qt::LeftButton);
    });
    test::when([&] { return server.received() == "/login ann pw\r\n"; },
               [&] {
                   QTest::qWait(300); // no answer comes
                   QVERIFY(form.loginDialog());
                   QVERIFY(!form.loginDialog()->cmdOK->isEnabled());
                   QTest::mouseClick(form.loginDialog()->cmdCancel, Qt::LeftButton);
               });
    form.ShowLoginDialog();
    QVERIFY(form.connection().WaitingForLogin);
    form.mnuConnect->trigger(); // the way out: disconnect
    QCOMPARE(form.connection().Winsock1.state(), int(Winsock::Closed));
    QTRY_VERIFY(server.clientGone());
}

void TestHostile::linesThatCameWhileABoxWasOpen() {
    Session s;
    s.form->connection().WaitingForLogin = true;
    // An unterminated refusal: routed by the wait for its line end, it opens a box, and a
    // private message comes while the box is open.
    s.sandbox.boxes.whileOpen = [&] {
        s.server.send("(Private) alice:meanwhile\r\n");
        QTest::qWait(200);
    };
    s.server.send("Invalid username or password.");
    QTRY_COMPARE(s.sandbox.boxes.texts(), QStringList{"Invalid username or password!"});
    QTRY_COMPARE_WITH_TIMEOUT(s.fromAlice(), QStringList{"<alice> meanwhile"}, 1000);
}

void TestHostile::overlongLineEndsAtAPause() {
    Session s;
    s.server.send("bob: an ended line\r\n"); // so the short wait is not the only one
    s.server.send(QByteArray(70000, 'x'));
    QTest::qWait(1000);
    s.server.send("(Private) alice:after a long line\r\n");
    QTRY_COMPARE(s.fromAlice(), QStringList{"<alice> after a long line"});
}

void TestHostile::slowNetworkAndUnendedLines() {
    Session s;
    s.server.send("bob: first\r\n");
    // Once this server has ended a line, a line arriving in pieces is one line.
    s.server.send("(Private) al");
    QTest::qWait(400);
    s.server.send("ice:slow\r\n");
    QTRY_COMPARE(s.fromAlice(), QStringList{"<alice> slow"});
    QCOMPARE(s.routed, (QStringList{"bob: first", "(Private) alice:slow"}));
    // An unended line still gets through, after the longer wait.
    s.server.send("bob: no end");
    QTest::qWait(1000);
    QCOMPARE(s.routed.size(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(s.routed.size(), 3, 3000);
    QCOMPARE(s.routed.last(), QString("bob: no end"));
}

void TestHostile::oneBoxForAThousandEqualErrors() {
    Session s;
    s.sandbox.boxes.whileOpen = [&] {
        QTRY_COMPARE(s.routed.size(), 1001);
        s.sandbox.boxes.whileOpen = nullptr;
    };
    QByteArray errors;
    for (int i = 0; i < 1000; ++i)
        errors += "User does not exist.\r\n";
    s.server.send(errors + "bob: routing goes on\r\n");
    QTRY_COMPARE(s.sandbox.boxes.boxes.size(), 1);
    QTRY_COMPARE(s.sandbox.boxes.boxes[0].text,
                 QString("User does not exist.\n\n(999 more like this)"));
    QCOMPARE(s.sandbox.boxes.boxes[0].title, QString("Private Message Error"));
    QCOMPARE(s.lastLine(), QString("[09:05:07] <bob> routing goes on"));
    s.server.send("(Private) alice:still here\r\n");
    QTRY_COMPARE(s.fromAlice(), QStringList{"<alice> still here"});
    QCOMPARE(s.sandbox.boxes.boxes.size(), 1);
    // A later error of the same kind is a box of its own again.
    s.server.send("User does not exist.\r\n");
    QTRY_COMPARE(s.sandbox.boxes.boxes.size(), 2);
    QCOMPARE(s.sandbox.boxes.boxes[1].text, QString("User does not exist."));
}

void TestHostile::oneBoxForErrorsThatDifferOnlyInAName() {
    Session s;
    int boxesWhileOpen = 0;
    s.sandbox.boxes.whileOpen = [&] {
        QTRY_COMPARE_WITH_TIMEOUT(s.routed.size(), 50'001, 60'000);
        boxesWhileOpen = static_cast<int>(s.sandbox.boxes.boxes.size());
        s.sandbox.boxes.whileOpen = nullptr;
    };
    QByteArray errors;
    for (int i = 0; i < 50'000; ++i)
        errors += QStringLiteral("Failed to send private message to u%1.\r\n")
                      .arg(i, 6, 10, QChar(u'0'))
                      .toLatin1();
    s.server.send(errors + "User does not exist.\r\n");
    // One box of each kind, the first name named and the others counted.
    QTRY_COMPARE_WITH_TIMEOUT(s.sandbox.boxes.boxes.size(), 2, 60'000);
    QCOMPARE(boxesWhileOpen, 1);
    QCOMPARE(s.sandbox.boxes.texts(),
             (QStringList{"Failed to send private message to u000000.\n\n(49999 more like this)",
                          "User does not exist."}));
}

void TestHostile::privateFloodAsksForTheFocusRarely() {
    Session s;
    FormChat* alice = s.form->OpenChatWindow("alice");
    FormChat* bob = s.form->OpenChatWindow("bob");
    int activations = 0;
    test::EventCounter counter(QEvent::WindowActivate, [&] { ++activations; });
    alice->installEventFilter(&counter);
    bob->installEventFilter(&counter);
    QByteArray flood;
    for (int i = 0; i < 1000; ++i)
        flood += (i % 2 ? "(Private) bob:" : "(Private) alice:") + QByteArray::number(i) + "\r\n";
    s.server.send(flood);
    QTRY_COMPARE_WITH_TIMEOUT(s.routed.size(), 1000, 20000);
    // The last message's window has the focus.
    QTRY_VERIFY_WITH_TIMEOUT(bob->isActiveWindow(), 20000);
    QVERIFY2(activations < 100, qPrintable(QString::number(activations)));
    QCOMPARE(s.fromAlice().size(), 500);
}

QTEST_MAIN(TestHostile)
#include "tst_hostile.moc"
