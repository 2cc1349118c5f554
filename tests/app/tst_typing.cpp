// SPDX-License-Identifier: GPL-3.0-or-later
// Keys typed in another program stay there when a message comes. Run under Xvfb: a window
// manager (openbox), a text box in a process of its own, and keys typed by xdotool.
#include "ChatRegistry.h"
#include "ConnectionController.h"
#include "FormChat.h"
#include "TestSupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QTest>

using namespace kivo;

namespace {

QByteArray run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(10000);
    return process.readAllStandardOutput();
}

// The other program: a text box that prints what it holds each time that changes.
int textBox(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QLineEdit box;
    box.setWindowTitle("another program");
    QObject::connect(&box, &QLineEdit::textChanged, [](const QString& text) {
        std::printf("%s\n", qPrintable(text));
        std::fflush(stdout);
    });
    box.show();
    return app.exec();
}

} // namespace

class TestTyping : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void keysTypedInAnotherProgramStayThere();

private:
    QProcess windowManager_;
};

void TestTyping::initTestCase() {
    windowManager_.start("openbox", {});
    QVERIFY(windowManager_.waitForStarted());
    QTest::qWait(500);
}

void TestTyping::cleanupTestCase() {
    windowManager_.kill();
    windowManager_.waitForFinished();
}

void TestTyping::keysTypedInAnotherProgramStayThere() {
    test::Sandbox sandbox;
    test::LoopbackServer server;
    ConnectionController connection;
    ChatRegistry chats(connection);
    QVERIFY(test::logInAt(server, connection, "ann", "pw"));
    const auto message = [&](const QString& from) {
        FormChat* chat = chats.openForMessage(from);
        chat->ReceiveMessage(from, "hello");
        chats.bringToFront(chat);
        return chat;
    };

    QProcess other;
    other.start(QCoreApplication::applicationFilePath(), {"--text-box"});
    QVERIFY(other.waitForStarted());
    QTRY_VERIFY(!run("xdotool", {"search", "--name", "^another program$"}).isEmpty());
    run("xdotool", {"search", "--name", "^another program$", "windowactivate", "--sync"});
    const QString typed = "ob window by bob";
    QProcess typist;
    typist.start("xdotool", {"type", "--delay", "120", typed});
    QTest::qWait(600); // mid-sentence
    FormChat* bob = message("bob");
    QVERIFY(typist.waitForFinished(20000));
    QTest::qWait(500);
    QByteArray lines = other.readAllStandardOutput().trimmed();
    QCOMPARE(QString::fromUtf8(lines.mid(lines.lastIndexOf('\n') + 1)), typed);
    QCOMPARE(bob->txtMessage->text(), QString());
    QVERIFY(server.received().isEmpty() || !server.received().contains("/pm"));
    QVERIFY(!bob->isActiveWindow());
    QVERIFY(bob->isVisible());
    QVERIFY(run("xprop", {"-id", QString::number(bob->winId()), "_NET_WM_STATE"})
                .contains("_NET_WM_STATE_DEMANDS_ATTENTION"));

    // Nobody typing: the message's window takes the focus, as ever.
    QTest::qWait(2 * ChatRegistry::TypingPause);
    FormChat* carl = message("carl");
    QTRY_VERIFY(carl->isActiveWindow());
    other.kill();
    other.waitForFinished();
    chats.closeAll();
}

int main(int argc, char* argv[]) {
    if (argc > 1 && qstrcmp(argv[1], "--text-box") == 0)
        return textBox(argc, argv);
    QApplication app(argc, argv);
    TestTyping test;
    return QTest::qExec(&test, 1, argv);
}

#include "tst_typing.moc"
