// SPDX-License-Identifier: GPL-3.0-or-later
// Kivo in the notification area, on a private session bus: with a panel's watcher of
// StatusNotifierItems there, and without one (TRAY_WATCHER=0, in a run of its own: Qt asks
// once per process whether there is one).
#include "ChatRegistry.h"
#include "Form1.h"
#include "FormChat.h"
#include "OptionalFeatures.h"
#include "TestSupport.h"
#include "TrayIcon.h"
#include "frmPreferences.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QLabel>
#include <QMutex>
#include <QTest>
#include <QThread>

using namespace kivo;

namespace {

QString busAddress;
const bool withWatcher = qEnvironmentVariable("TRAY_WATCHER") != "0";

// What a panel runs: org.kde.StatusNotifierWatcher, keeping the items it was told of. In a
// thread of its own, since Qt asks it synchronously from the thread of the windows.
class FakeWatcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)
public:
    bool hostRegistered() const { return true; }
    int protocolVersion() const { return 0; }
    QStringList items() const {
        const QMutexLocker lock(&mutex_);
        return items_;
    }

public Q_SLOTS:
    void start() {
        QDBusConnection bus = QDBusConnection::connectToBus(busAddress, "watcher");
        bus.registerObject("/StatusNotifierWatcher", this,
                           QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties);
        bus.registerService("org.kde.StatusNotifierWatcher");
    }
    void RegisterStatusNotifierItem(const QString& service) {
        const QMutexLocker lock(&mutex_);
        items_.append(service);
    }
    void RegisterStatusNotifierHost(const QString&) {}
    // The panel ends.
    void stop() {
        QDBusConnection(QStringLiteral("watcher"))
            .unregisterService("org.kde.StatusNotifierWatcher");
    }

private:
    mutable QMutex mutex_;
    QStringList items_;
};

FakeWatcher* watcher = nullptr;

// The main window logged in as ann with alice and bob as contacts.
struct Session {
    test::Sandbox sandbox;
    test::LoopbackServer server;
    std::unique_ptr<Form1> form;

    explicit Session(const QByteArray& preferences) {
        test::writeAliceAndBob(sandbox);
        sandbox.writeFile("kivo.ini", preferences);
        form = std::make_unique<Form1>();
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get()) ||
            !test::logInAt(server, form->connection(), "ann", "pw"))
            qFatal("no login");
    }
    TrayIcon* tray() { return form->features().tray(); }
};

} // namespace

class TestTray : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void theIconShowsTheStateAndAWaitingMessage();
    void closingTheMainWindowKeepsKivoRunning();
    void withoutANotificationAreaTheOptionsSaySo();
    void whenThePanelEndsTheMainWindowComesBack(); // last: the watcher is gone after it
};

void TestTray::theIconShowsTheStateAndAWaitingMessage() {
    if (!withWatcher)
        QSKIP("runs with a watcher");
    {
        Session off("[General]\nbringToFront=false\n");
        QVERIFY(!off.tray());
    }
    QTest::qWait(200);
    QVERIFY(watcher->items().isEmpty());

    Session s("[General]\nbringToFront=false\ntrayIcon=true\n");
    QVERIFY(s.tray());
    QTRY_COMPARE(watcher->items().size(), 1); // it speaks StatusNotifierItem to the panel
    QTRY_COMPARE(s.tray()->icon().toolTip(), s.form->windowTitle());
    QVERIFY(!s.tray()->attention());

    // A message its window shows without the focus waits until that window is looked at.
    test::deliverLines(s.server, s.form->connection(), "(Private) bob:psst\r\n");
    FormChat* bob = s.form->chats().window("bob");
    QTRY_VERIFY(s.tray()->attention());
    QVERIFY(s.tray()->icon().toolTip().endsWith(" - a message is waiting"));
    bob->activateWindow();
    QTRY_VERIFY(!s.tray()->attention());

    // The panel's click on the item brings the main window back.
    s.form->hide();
    QDBusMessage activate = QDBusMessage::createMethodCall(
        watcher->items().first(), "/StatusNotifierItem", "org.kde.StatusNotifierItem", "Activate");
    activate << 0 << 0;
    QDBusConnection::sessionBus().asyncCall(activate);
    QTRY_VERIFY(s.form->isVisible());
}

void TestTray::closingTheMainWindowKeepsKivoRunning() {
    if (!withWatcher)
        QSKIP("runs with a watcher");
    Session s("[General]\ntrayIcon=true\nkeepRunning=true\n");
    QVERIFY(s.tray());
    test::deliverLines(s.server, s.form->connection(), "(Private) bob:hi\r\n");
    FormChat* bob = s.form->chats().window("bob");
    QVERIFY(!QGuiApplication::quitOnLastWindowClosed());
    s.form->close();
    QVERIFY(!s.form->isVisible());
    QVERIFY(s.form->connection().isConnected());
    QVERIFY(s.form->chats().window("bob") == bob); // its windows stay open too

    QMenu& menu = s.tray()->menu();
    Q_EMIT menu.aboutToShow();
    QStringList entries;
    for (QAction* action : menu.actions())
        entries.append(action->menu()
                           ? action->text() + " > " + action->menu()->actions().first()->text()
                           : action->text());
    QCOMPARE(entries,
             (QStringList{"Disconnect", "&Conversations > bob - Chat", "", "&Show Kivo", "&Exit"}));
    menu.actions()[3]->trigger();
    QTRY_VERIFY(s.form->isVisible());

    // Off again: closing ends Kivo as it always did.
    Preferences::Values values = s.form->features().preferences().values();
    values.keepRunning = false;
    QVERIFY(s.form->features().preferences().save(values));
    QVERIFY(QGuiApplication::quitOnLastWindowClosed());
    s.form->close();
    QVERIFY(!s.form->chats().window("bob"));
}

void TestTray::withoutANotificationAreaTheOptionsSaySo() {
    if (withWatcher)
        QSKIP("runs without a watcher");
    Session s("[General]\ntrayIcon=true\nkeepRunning=true\n");
    QVERIFY(!s.tray());
    QVERIFY(QGuiApplication::quitOnLastWindowClosed());
    frmPreferences dialog(s.form->features().preferences(), s.form.get());
    QVERIFY(!dialog.chkTrayIcon->isEnabled() && !dialog.chkKeepRunning->isEnabled());
    auto* note = dialog.findChild<QLabel*>("lblNoNotificationArea");
    QVERIFY(note);
    QCOMPARE(note->text(), QString("This desktop has no notification area."));
    dialog.accept();
    QVERIFY(s.sandbox.readFile("kivo.ini").contains("trayIcon=true")); // nothing changed
}

void TestTray::whenThePanelEndsTheMainWindowComesBack() {
    if (!withWatcher)
        QSKIP("runs with a watcher");
    Session s("[General]\ntrayIcon=true\nkeepRunning=true\n");
    QVERIFY(s.tray());
    s.form->close();
    QVERIFY(!s.form->isVisible());
    QMetaObject::invokeMethod(watcher, &FakeWatcher::stop, Qt::BlockingQueuedConnection);
    QTRY_VERIFY(s.form->isVisible());
    QVERIFY(!s.tray());
    QVERIFY(QGuiApplication::quitOnLastWindowClosed());
}

int main(int argc, char* argv[]) {
    const test::PrivateSessionBus bus;
    busAddress = bus.address();
    QApplication app(argc, argv);
    QThread thread;
    if (withWatcher) {
        watcher = new FakeWatcher;
        watcher->moveToThread(&thread);
        QObject::connect(&thread, &QThread::finished, watcher, &QObject::deleteLater);
        thread.start();
        QMetaObject::invokeMethod(watcher, &FakeWatcher::start, Qt::BlockingQueuedConnection);
    }
    TestTray test;
    const int status = QTest::qExec(&test, argc, argv);
    thread.quit();
    thread.wait();
    return status;
}

#include "tst_tray.moc"
