// SPDX-License-Identifier: GPL-3.0-or-later
// Desktop notifications through a private D-Bus session bus started here, with a notification
// service of the test's own that records every call.
#include "ChatRegistry.h"
#include "ConversationTabs.h"
#include "Form1.h"
#include "FormChat.h"
#include "OptionalFeatures.h"
#include "TestSupport.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QSignalSpy>
#include <QTest>

using namespace kivo;

namespace {

QString busAddress;

// org.freedesktop.Notifications as a desktop provides it, keeping what it was asked.
class FakeNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Call {
        uint replaces;
        QString summary;
        QString body;
        uint id;
    };
    QList<Call> calls;
    QDBusConnection bus = QDBusConnection::connectToBus(busAddress, "notification-service");

    FakeNotifications() {
        bus.registerObject("/org/freedesktop/Notifications", this, QDBusConnection::ExportAllSlots);
        bus.registerService("org.freedesktop.Notifications");
    }
    ~FakeNotifications() override {
        bus.unregisterService("org.freedesktop.Notifications");
        bus.unregisterObject("/org/freedesktop/Notifications");
    }
    // As a service that hands out activation tokens does, when given one.
    void click(uint id, const QString& activationToken = {}) {
        if (!activationToken.isEmpty()) {
            QDBusMessage token =
                QDBusMessage::createSignal("/org/freedesktop/Notifications",
                                           "org.freedesktop.Notifications", "ActivationToken");
            token << id << activationToken;
            bus.send(token);
        }
        QDBusMessage signal = QDBusMessage::createSignal(
            "/org/freedesktop/Notifications", "org.freedesktop.Notifications", "ActionInvoked");
        signal << id << QString("default");
        bus.send(signal);
    }
    // The notifications a user would see: one per id, with its latest text.
    QStringList shown() const {
        QMap<uint, QString> byId;
        for (const Call& call : calls)
            byId[call.id] = call.summary + ": " + call.body;
        return byId.values();
    }

public Q_SLOTS:
    uint Notify(const QString&, uint replaces, const QString&, const QString& summary,
                const QString& body, const QStringList&, const QVariantMap&, int) {
        const uint id = replaces ? replaces : static_cast<uint>(calls.size() + 1);
        calls.append({replaces, summary, body, id});
        return id;
    }
};

// The main window logged in as ann with alice and bob as contacts; nothing of Kivo active.
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
    void deliver(const QByteArray& lines) {
        QVERIFY(test::deliverLines(server, form->connection(), lines));
    }
    static bool kivoInactive() { return QApplication::activeWindow() == nullptr; }
};

} // namespace

class TestNotify : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aPrivateMessageInTheBackground();
    void aBurstIsOneNotification();
    void activationRaisesThatConversation();
    void activationChoosesThatTab();
    void mentionsInTheRoom();
    void switchedOff();
    void noService();
    void activationRestoresUnderTheContactsOwnName();
    void outsideTextIsShownInOneLineAndCut();
    void aSummaryIsAGlimpseWithoutControlCharacters();
};

void TestNotify::aPrivateMessageInTheBackground() {
    FakeNotifications service;
    Session s;
    QVERIFY(Session::kivoInactive());
    s.deliver("(Private) alice:<b>hi</b> & <a href=\"x\">more</a>\r\n");
    QTRY_COMPARE(service.calls.size(), 1);
    QCOMPARE(service.calls[0].summary, QString("alice"));
    QCOMPARE(service.calls[0].body,
             QString("&lt;b&gt;hi&lt;/b&gt; &amp; &lt;a href=&quot;x&quot;&gt;more&lt;/a&gt;"));
    // Her window came to the front: Kivo is active, and the next message is seen there.
    QTRY_VERIFY(!Session::kivoInactive());
    s.deliver("(Private) alice:again\r\n");
    QTest::qWait(100);
    QCOMPARE(service.calls.size(), 1);
}

void TestNotify::aBurstIsOneNotification() {
    FakeNotifications service;
    Session s;
    s.deliver("(Private) alice:one\r\n(Private) alice:two\r\n(Private) ALICE:three\r\n");
    QTRY_VERIFY(!service.calls.isEmpty() && service.calls.last().body == "three");
    QCOMPARE(service.shown(), QStringList{"ALICE: three"});
    QVERIFY(service.calls.size() <= 2); // the first, then the newest replacing it
}

void TestNotify::activationRaisesThatConversation() {
    FakeNotifications service;
    Session s;
    s.deliver("(Private) alice:from alice\r\n(Private) bob:from bob\r\n");
    QTRY_COMPARE(service.shown().size(), 2);
    FormChat* alice = s.form->chats().window("alice");
    QTRY_VERIFY(s.form->chats().window("bob")->isActiveWindow()); // the last to arrive
    const auto aliceCall = std::find_if(service.calls.begin(), service.calls.end(),
                                        [](const auto& call) { return call.summary == "alice"; });
    QSignalSpy activated(&s.form->features().notifier(), &Notifier::activated);
    service.click(aliceCall->id, "token-1");
    QTRY_VERIFY(alice->isActiveWindow());
    // The token goes with the activation it came before, once.
    QCOMPARE(activated.size(), 1);
    QCOMPARE(activated[0], (QVariantList{"private:alice", "token-1"}));
    service.click(aliceCall->id);
    QTRY_COMPARE(activated.size(), 2);
    QCOMPARE(activated[1][1], QVariant(QString()));
}

void TestNotify::activationChoosesThatTab() {
    FakeNotifications service;
    Session s("[General]\nconversationTabs=true\n");
    s.deliver("(Private) alice:from alice\r\n(Private) bob:from bob\r\n");
    QTRY_COMPARE(service.shown().size(), 2);
    ConversationTabs* tabs = s.form->chats().tabs();
    QTRY_VERIFY(tabs && tabs->isActiveWindow());
    QCOMPARE(tabs->current(), s.form->chats().window("bob")); // the last to arrive
    const auto aliceCall = std::find_if(service.calls.begin(), service.calls.end(),
                                        [](const auto& call) { return call.summary == "alice"; });
    service.click(aliceCall->id);
    QTRY_COMPARE(tabs->current(), s.form->chats().window("alice"));
    QTRY_VERIFY(tabs->isActiveWindow());
}

void TestNotify::mentionsInTheRoom() {
    FakeNotifications service;
    Session s;
    FormChat* room = s.form->chats().openConference("lobby");
    QTRY_VERIFY(room->isActiveWindow());
    QApplication::setActiveWindow(nullptr); // the user went to another program
    QVERIFY(Session::kivoInactive());
    s.deliver("bob: annie is here\r\n"        // not the name as a word
              "ann: ann talks to herself\r\n" // the user's own line
              "*** ann has joined\r\n"        // no sender
              "bob: hi ANN, look\r\n");
    QTRY_COMPARE(service.calls.size(), 1);
    QCOMPARE(service.calls[0].summary, QString("bob in lobby"));
    QCOMPARE(service.calls[0].body, QString("hi ANN, look"));
}

void TestNotify::switchedOff() {
    FakeNotifications service;
    Session s("[General]\nnotifications=false\n");
    s.deliver("(Private) alice:quiet\r\n");
    QTest::qWait(200);
    QCOMPARE(service.calls.size(), 0);
    QVERIFY(s.form->chats().window("alice")); // the message itself is shown as described
}

void TestNotify::noService() {
    Session s; // a bus, but no notification service on it
    s.deliver("(Private) alice:anyone there?\r\n");
    QTest::qWait(200);
    QVERIFY(s.sandbox.boxes.boxes.isEmpty());
    QVERIFY(s.form->chats().window("alice")); // the message is shown as described
}

void TestNotify::activationRestoresUnderTheContactsOwnName() {
    FakeNotifications service;
    Session s;
    s.sandbox.writeFile("contacts.dat",
                        "C|general|General (1)|\r\nU|general_contact_Alice|Alice|general\r\n");
    s.form = nullptr;
    s.form = std::make_unique<Form1>();
    QVERIFY(test::logInAt(s.server, s.form->connection(), "ann", "pw"));
    s.deliver("(Private) ALICE:first\r\n");
    QTRY_COMPARE(service.calls.size(), 1);
    // Minimized, then closed: activating the notification brings her window back, normal,
    // under the contact's name as the list has it.
    FormChat* chat = s.form->chats().window("alice");
    chat->showMinimized();
    QTRY_VERIFY(chat->isMinimized());
    service.click(service.calls[0].id);
    QTRY_VERIFY(!chat->isMinimized() && chat->isActiveWindow());
    chat->close();
    QCoreApplication::processEvents();
    service.click(service.calls[0].id);
    QTRY_VERIFY(s.form->chats().window("alice"));
    QCOMPARE(s.form->chats().window("alice")->ContactName, QString("Alice"));
    QCOMPARE(s.form->chats().window("alice")->windowTitle(), QString("Alice - Chat"));
}

void TestNotify::outsideTextIsShownInOneLineAndCut() {
    FakeNotifications service;
    Session s;
    QApplication::setActiveWindow(nullptr);
    const QString longText = QString("x").repeated(70000);
    s.deliver(
        ("(Private) alice:one\u2028two\u202Ethree\r\n(Private) bob:" + longText + "\r\n").toUtf8());
    QTRY_COMPARE(service.calls.size(), 2);
    QCOMPARE(service.calls[0].body, QString("\u2068one two\u202Ethree\u2069"));
    QCOMPARE(service.calls[1].body.size(), 301);
    QVERIFY(service.calls[1].body.endsWith(QChar(0x2026)));
}

void TestNotify::aSummaryIsAGlimpseWithoutControlCharacters() {
    FakeNotifications service;
    Session s("[General]\nstrangerWindows=true\n");
    QApplication::setActiveWindow(nullptr);
    s.deliver("(Private) " + QByteArray(60000, 'z') +
              ":a\x01"
              "b\x7f"
              "c\x1b[31m\r\n");
    QTRY_COMPARE(service.calls.size(), 1);
    QCOMPARE(service.calls[0].summary, QString(100, u'z') + QChar(0x2026));
    QCOMPARE(service.calls[0].body, QString("a b c [31m"));
}

int main(int argc, char* argv[]) {
    const test::PrivateSessionBus bus;
    busAddress = bus.address();
    QApplication app(argc, argv);
    TestNotify test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_notify.moc"
