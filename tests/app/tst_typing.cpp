// SPDX-License-Identifier: GPL-3.0-or-later
// Keys typed in another program stay there when a message comes, and a clicked notification
// brings its window. Run under Xvfb: a window manager (KIVO_TEST_WM, openbox by default), a
// text box in a process of its own, keys typed by xdotool, and dunst started by a private
// session bus.
#include "ChatRegistry.h"
#include "ConnectionController.h"
#include "Form1.h"
#include "FormChat.h"
#include "SystemInput.h"
#include "TestSupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
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

class OtherProgram {
public:
    OtherProgram() {
        process_.start(QCoreApplication::applicationFilePath(), {"--text-box"});
        process_.waitForStarted();
    }
    ~OtherProgram() {
        process_.kill();
        process_.waitForFinished();
    }
    // Gives it the keyboard, as a click on it would.
    bool activate() {
        if (!QTest::qWaitFor([] { return !run("xdotool", {"search", "--name", Title}).isEmpty(); }))
            return false;
        run("xdotool", {"search", "--name", Title, "windowactivate", "--sync"});
        return true;
    }
    // Types at a person's pace; what the box holds once the keys are done.
    QString type(const QString& text, const std::function<void()>& meanwhile) {
        QProcess typist;
        typist.start("xdotool", {"type", "--delay", "120", text});
        meanwhile();
        typist.waitForFinished(30000);
        QTest::qWait(500);
        held_ += process_.readAllStandardOutput();
        const QByteArray lines = held_.trimmed();
        return QString::fromUtf8(lines.mid(lines.lastIndexOf('\n') + 1));
    }

private:
    static constexpr const char* Title = "^another program$";
    QProcess process_;
    QByteArray held_;
};

bool demandsAttention(QWidget* window) {
    return run("xprop", {"-id", QString::number(window->winId()), "_NET_WM_STATE"})
        .contains("_NET_WM_STATE_DEMANDS_ATTENTION");
}

} // namespace

class TestTyping : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();
    void keysTypedInAnotherProgramStayThere();
    void aClickedNotificationBringsItsWindow();

private:
    void deliver(const QByteArray& lines) {
        QVERIFY(test::deliverLines(server_, form_->connection(), lines));
    }

    QProcess windowManager_;
    std::unique_ptr<test::Sandbox> sandbox_;
    test::LoopbackServer server_;
    std::unique_ptr<Form1> form_;
};

void TestTyping::initTestCase() {
    const QStringList command = qEnvironmentVariable("KIVO_TEST_WM", "openbox").split(' ');
    windowManager_.start(command.first(), command.mid(1));
    QVERIFY(windowManager_.waitForStarted());
    QTest::qWait(1000);
}

void TestTyping::init() {
    sandbox_ = std::make_unique<test::Sandbox>();
    test::writeAliceAndBob(*sandbox_);
    form_ = std::make_unique<Form1>();
    QVERIFY(test::logInAt(server_, form_->connection(), "ann", "pw"));
}

void TestTyping::cleanup() {
    form_->chats().closeAll();
    form_.reset();
    sandbox_.reset();
}

void TestTyping::cleanupTestCase() {
    windowManager_.kill();
    windowManager_.waitForFinished();
}

void TestTyping::keysTypedInAnotherProgramStayThere() {
    // Nobody typing: the message's window takes the focus, as ever.
    QTRY_VERIFY_WITH_TIMEOUT(!userInputWithin(ChatRegistry::TypingPause), 10000);
    deliver("(Private) bob:hello\r\n");
    FormChat* bob = form_->chats().window("bob");
    QTRY_VERIFY(bob->isActiveWindow());

    // The user goes to another program and types; a message opens alice's window
    // mid-sentence, another finds bob's open behind.
    OtherProgram other;
    QVERIFY(other.activate());
    const QString typed = "ob window by bob and then more";
    const QString held = other.type(typed, [this] {
        QTest::qWait(600);
        deliver("(Private) alice:hello\r\n");
        QTest::qWait(1500);
        deliver("(Private) bob:again\r\n");
    });
    QCOMPARE(held, typed);
    FormChat* alice = form_->chats().window("alice");
    for (FormChat* chat : {alice, bob}) {
        QVERIFY(chat->isVisible());
        QVERIFY(!chat->isActiveWindow());
        QCOMPARE(chat->txtMessage->text(), QString());
        QVERIFY(demandsAttention(chat));
    }
    QVERIFY(!server_.received().contains("/pm"));
}

void TestTyping::aClickedNotificationBringsItsWindow() {
    if (QStandardPaths::findExecutable("dunstctl").isEmpty())
        QSKIP("dunst is not installed");
    // The bus starts dunst when asked; what earlier messages showed goes.
    run("dunstctl", {"close-all"});
    QTRY_COMPARE(run("dunstctl", {"count", "displayed"}).trimmed(), QByteArray("0"));
    OtherProgram other;
    QVERIFY(other.activate());
    other.type("typing on", [this] {
        QTest::qWait(300);
        deliver("(Private) bob:hello\r\n");
    });
    FormChat* bob = form_->chats().window("bob");
    QVERIFY(bob && !bob->isActiveWindow());
    QTRY_COMPARE(run("dunstctl", {"count", "displayed"}).trimmed(), QByteArray("1"));
    // As a click on it, or its shortcut, does.
    run("dunstctl", {"action", "0"});
    QTRY_VERIFY(bob->isActiveWindow());
}

int main(int argc, char* argv[]) {
    if (argc > 1 && qstrcmp(argv[1], "--text-box") == 0)
        return textBox(argc, argv);
    const test::PrivateSessionBus bus;
    QApplication app(argc, argv);
    TestTyping test;
    return QTest::qExec(&test, 1, argv);
}

#include "tst_typing.moc"
