// SPDX-License-Identifier: GPL-3.0-or-later
#include "ContactTreeView.h"
#include "Form1.h"
#include "FormChat.h"
#include "QtMessageBoxes.h"
#include "SettingsFile.h"
#include "TestSupport.h"
#include "Widgets.h"

#include <QAction>
#include <QLabel>
#include <QTest>
#include <QTimer>

using namespace kivo;

namespace {

// Shows the window as a user starts the program, and reports whether the login dialog came.
bool showAndSeeLoginDialog(Form1& form) {
    bool opened = false;
    test::whenModal(
        [&](QWidget* modal) {
            opened = qobject_cast<frmLogin*>(modal) != nullptr;
            modal->close();
        },
        500);
    form.show();
    if (!QTest::qWaitForWindowActive(&form))
        return false;
    QTest::qWait(600);
    return opened;
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void firstStartWithoutFiles();
    void firstStartWithoutAWindowManager();
    void timersRunOnTheClock();
    void exitAnsweredYesEndsTheProgram();
    void dialogsAreCentredByTheirFrame();
    void loginDialogOpensOnlyOnce();
    void settingsFileDecidesAutoConnect_data();
    void settingsFileDecidesAutoConnect();
    void togglingAutoConnectWritesTheFile();
    void contactsAreLoadedAndShown();
    void exitAnsweredNoChangesNothing();
    void exitAndCloseUnloadTheChatWindows();
    void aLogoutWhileABoxIsOpenEndsKivoCleanly();
    void mainWindowLayout();
};

void TestStartup::firstStartWithoutFiles() {
    test::Sandbox sandbox;
    Form1 form;
    QVERIFY(form.mnuAutoConnect->isChecked());
    QCOMPARE(form.contacts().nodes().size(), size_t(1));
    ContactNode* general = form.contacts().node("general");
    QVERIFY(general);
    QCOMPARE(general->Text, QString("General (0)"));
    QVERIFY(general->Bold && general->Expanded);
    QCOMPARE(general->Image, 2);
    QCOMPARE(form.tmrBlink.interval(), 400);
    QVERIFY(!form.tmrBlink.isActive()); // nothing blinks yet
    // Spelling is on, but Hunspell and its dictionary wait for the first word typed; the
    // history is off, and so is its database; Wayland's library is for Wayland only.
    QVERIFY(!test::libraryLoaded("libhunspell"));
    QVERIFY(!test::libraryLoaded("libQt6Sql"));
    QVERIFY(!test::libraryLoaded("libwayland-client"));
    QVERIFY(showAndSeeLoginDialog(form));
    QVERIFY(!sandbox.exists("settings.dat")); // nothing is written at start-up
    QVERIFY(!sandbox.exists("contacts.dat"));
}

void TestStartup::firstStartWithoutAWindowManager() {
    test::Sandbox sandbox;
    Form1 form;
    // Nothing activates the window: no window manager runs.
    struct Swallow : QObject {
        bool eventFilter(QObject*, QEvent* event) override {
            return event->type() == QEvent::WindowActivate;
        }
    } noActivation;
    form.installEventFilter(&noActivation);
    bool opened = false;
    test::whenModal([&](QWidget* modal) {
        opened = qobject_cast<frmLogin*>(modal) != nullptr;
        modal->close();
    });
    form.show();
    QTRY_VERIFY_WITH_TIMEOUT(opened, 2000);
}

void TestStartup::timersRunOnTheClock() {
    test::Sandbox sandbox;
    sandbox.writeFile("settings.dat", "False\r\n");
    sandbox.writeFile("contacts.dat",
                      "C|general|General (1)|\r\nU|general_contact_bob|bob|general\r\n");
    Form1 form;
    ContactNode* bob = form.contacts().node("general_contact_bob");
    form.StartBlinkContact(bob);
    sandbox.clock.advanceMs(399);
    QVERIFY(!bob->Bold);
    sandbox.clock.advanceMs(1);
    QVERIFY(bob->Bold && bob->ForeColor == ContactTree::Red);
    sandbox.clock.advanceMs(3000);
    QVERIFY(!bob->Bold && bob->ForeColor == ContactTree::Black);
    QVERIFY(form.blink().BlinkList().isEmpty());
}

void TestStartup::exitAnsweredYesEndsTheProgram() {
    test::Sandbox sandbox;
    sandbox.writeFile("settings.dat", "False\r\n");
    sandbox.boxes.defaultAnswer = true;
    Form1 form;
    form.show();
    QTimer::singleShot(0, form.mnuExit, &QAction::trigger);
    QTimer giveUp;
    giveUp.callOnTimeout([] { QCoreApplication::exit(1); });
    giveUp.start(5000);
    QCOMPARE(QApplication::exec(), 0); // the program's own event loop ends
    QVERIFY(!form.isVisible());
}

void TestStartup::dialogsAreCentredByTheirFrame() {
    // The main window's frame: 10 px borders and a 30 px title bar around 400 x 300.
    const QRect mainFrame(100, 50, 420, 340);
    const QRect mainInner(110, 80, 400, 300);
    const QPoint at = centredFrame(mainFrame, mainInner, QSize(180, 120));
    // The dialog's frame (200 x 160) is centred on the main frame's centre (310, 220).
    QCOMPARE(QRect(at, QSize(200, 160)).center(), QPoint(310, 220) - QPoint(1, 1));
}

void TestStartup::loginDialogOpensOnlyOnce() {
    test::Sandbox sandbox;
    Form1 form;
    QVERIFY(showAndSeeLoginDialog(form));
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QTest::qWait(100);
    QVERIFY(!QApplication::activeModalWidget());
}

void TestStartup::settingsFileDecidesAutoConnect_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("on");
    QTest::newRow("TRUE") << QByteArray("TRUE\r\n") << true;
    QTest::newRow("True") << QByteArray("True\r\n") << true;
    QTest::newRow("true, no line end") << QByteArray("true") << true;
    QTest::newRow("trailing space") << QByteArray("true \r\n") << false;
    QTest::newRow("False") << QByteArray("False\r\n") << false;
    QTest::newRow("empty file") << QByteArray() << false;
    QTest::newRow("empty first line") << QByteArray("\r\ntrue\r\n") << false;
}

void TestStartup::settingsFileDecidesAutoConnect() {
    QFETCH(QByteArray, file);
    QFETCH(bool, on);
    test::Sandbox sandbox;
    sandbox.writeFile("settings.dat", file);
    QCOMPARE(SettingsFile::LoadSettings(), on);
    Form1 form;
    QCOMPARE(form.mnuAutoConnect->isChecked(), on);
    if (!on)
        QVERIFY(!showAndSeeLoginDialog(form));
}

void TestStartup::togglingAutoConnectWritesTheFile() {
    test::Sandbox sandbox;
    sandbox.writeFile("settings.dat", "False\r\n");
    Form1 form;
    form.mnuAutoConnect->trigger();
    QVERIFY(form.mnuAutoConnect->isChecked());
    QCOMPARE(sandbox.readFile("settings.dat"), QByteArray("True\r\n"));
    form.mnuAutoConnect->trigger();
    QCOMPARE(sandbox.readFile("settings.dat"), QByteArray("False\r\n"));
    form.mnuAutoConnect->trigger();
    QCOMPARE(sandbox.readFile("settings.dat"), QByteArray("True\r\n"));
    QVERIFY(!form.AutoConnect); // read once, at start-up
    QVERIFY(!QApplication::activeModalWidget());
}

void TestStartup::contactsAreLoadedAndShown() {
    test::Sandbox sandbox;
    sandbox.writeFile("settings.dat", "False\r\n");
    sandbox.writeFile("contacts.dat",
                      "C|general|General (1)|\r\nC|category_Work|Work (5)|\r\n"
                      "U|category_Work_contact_alice|<b>alice</b>|category_Work\r\n");
    Form1 form;
    const QAbstractItemModel* rows = form.tvContacts->model();
    QCOMPARE(rows->rowCount(), 2);
    const QModelIndex work = rows->index(1, 0);
    QCOMPARE(work.data().toString(), QString("Work (5)"));
    QVERIFY(work.data(Qt::FontRole).value<QFont>().bold());
    QVERIFY(form.tvContacts->isExpanded(work));
    QCOMPARE(rows->index(0, 0, work).data().toString(), QString("<b>alice</b>"));
    QVERIFY(!rows->index(0, 0, work).data(Qt::FontRole).value<QFont>().bold());
    QCOMPARE(rows->rowCount(rows->index(0, 0)), 0);

    // Blinking shows in the tree: bold red, then back to normal.
    ContactNode* alice = form.contacts().FindContactNode("ALICE");
    QVERIFY(!alice);
    alice = form.contacts().FindContactNode("<B>ALICE</B>");
    form.StartBlinkContact(alice);
    form.blink().tmrBlink_Timer();
    QCOMPARE(rows->index(0, 0, work).data(Qt::ForegroundRole).value<QBrush>().color(),
             QColor(255, 0, 0));
    QVERIFY(rows->index(0, 0, work).data(Qt::FontRole).value<QFont>().bold());
}

void TestStartup::exitAnsweredNoChangesNothing() {
    test::Sandbox sandbox;
    sandbox.writeFile("settings.dat", "False\r\n");
    Form1 form;
    form.show();
    FormChat* chat = form.OpenChatWindow("bob");
    QPointer<FormChat> guard(chat);
    form.mnuExit->trigger();
    QCOMPARE(sandbox.boxes.boxes.size(), 1);
    QCOMPARE(sandbox.boxes.boxes[0].kind, test::ScriptedBoxes::Kind::Question);
    QCOMPARE(sandbox.boxes.boxes[0].text, QString("Do you really want to exit?"));
    QCOMPARE(sandbox.boxes.boxes[0].title, QString("Kivo"));
    QVERIFY(form.isVisible());
    QVERIFY(guard && guard->isVisible());
    QCOMPARE(form.chats().openCount(), 1);
}

void TestStartup::exitAndCloseUnloadTheChatWindows() {
    for (const bool throughExit : {true, false}) {
        test::Sandbox sandbox;
        sandbox.writeFile("settings.dat", "False\r\n");
        sandbox.boxes.defaultAnswer = true;
        Form1 form;
        form.show();
        QPointer<FormChat> chat = form.OpenChatWindow("bob");
        QPointer<FormChat> room = form.chats().openConference("lobby");
        if (throughExit)
            form.mnuExit->trigger();
        else
            form.close();
        QVERIFY(!chat && !room);
        QVERIFY(!form.chats().ServerChatWindow);
        QCOMPARE(form.chats().openCount(), 0);
        QVERIFY(!form.isVisible());
        QCOMPARE(sandbox.boxes.boxes.size(), throughExit ? 1 : 0);
    }
}

void TestStartup::aLogoutWhileABoxIsOpenEndsKivoCleanly() {
    test::Sandbox sandbox;
    sandbox.writeFile("settings.dat", "False\r\n");
    QtMessageBoxes boxes;
    MessageBoxes::install(&boxes);
    auto form = std::make_unique<Form1>();
    form->show();
    QPointer<FormChat> chat = form->OpenChatWindow("bob");
    kivo::activate(chat);
    QVERIFY(QTest::qWaitForWindowActive(chat));
    QWidget* boxParent = nullptr;
    bool chatAfterTheBox = false;
    QTimer::singleShot(0, chat, [&] {
        // SIGTERM comes while a box is open over the chat window.
        test::whenModal([&](QWidget* box) {
            boxParent = box->parentWidget();
            form->quit();
        });
        warn("Over the chat window");
        chatAfterTheBox = chat; // the code that opened the box runs on in its window
    });
    QTimer giveUp;
    giveUp.callOnTimeout([] { QCoreApplication::exit(1); });
    giveUp.start(5000);
    QCOMPARE(QApplication::exec(), 0);
    QCOMPARE(boxParent, chat.data());
    QVERIFY(chatAfterTheBox);
    QVERIFY(!form->isVisible());
    form.reset(); // on the way out
    QVERIFY(!chat);
    MessageBoxes::install(&sandbox.boxes);
}

void TestStartup::mainWindowLayout() {
    test::Sandbox sandbox;
    Form1 form;
    QCOMPARE(form.centralWidget()->size(), QSize(449, 300));
    QCOMPARE(form.tvContacts->geometry(), QRect(0, 24, 449, 251));
    QCOMPARE(form.StatusPictureOff->geometry(), QRect(0, 280, 16, 16));
    QCOMPARE(form.lblConnectionState->geometry(), QRect(18, 282, 409, 17));
    QCOMPARE(form.lblConnectionState->palette().color(QPalette::WindowText), QColor(0, 0, 192));
    QCOMPARE(form.tvContacts->indentation(), 10);
    QCOMPARE(form.tvContacts->editTriggers(), QAbstractItemView::NoEditTriggers);
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
