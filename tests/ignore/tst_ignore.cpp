// SPDX-License-Identifier: GPL-3.0-or-later
#include "Form1.h"
#include "TestSupport.h"
#include "frmAddUserToIgnore.h"
#include "frmIgnoreList.h"

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using namespace kivo;

namespace {

struct Session {
    test::Sandbox sandbox;
    test::LoopbackServer server;
    std::unique_ptr<Form1> form;

    Session() {
        sandbox.writeFile("settings.dat", "False\r\n");
        form = std::make_unique<Form1>();
        if (!test::logInAt(server, form->connection(), "ann", "pw"))
            qFatal("no login");
    }

    frmIgnoreList* open() {
        form->mnuIgnoreList->trigger();
        return form->ignoreListWindow();
    }
};

QStringList entries(const frmIgnoreList* window) {
    QStringList names;
    for (int row = 0; row < window->lstIgnore->count(); ++row)
        names.append(window->lstIgnore->item(row)->text());
    return names;
}

// Clicks Add and types a name into the add-user dialog, confirming with Enter.
void addThroughDialog(frmIgnoreList* window, const QString& typed) {
    test::whenModal([typed](QWidget* modal) {
        auto* dialog = qobject_cast<frmAddUserToIgnore*>(modal);
        QVERIFY(dialog);
        QCOMPARE(dialog->txtUsername->text(), QString()); // reset on every showing
        QTest::keyClicks(dialog->txtUsername, typed);
        QTest::keyClick(dialog->txtUsername, Qt::Key_Return);
    });
    QTest::mouseClick(window->cmdAdd, Qt::LeftButton);
}

} // namespace

class TestIgnore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void needsALogin();
    void openingRequestsTheListOnce();
    void listReplyLines_data();
    void listReplyLines();
    void repliesReachOnlyAnOpenWindow();
    void addRemoveAndClearSendTheirCommands();
    void addRefusesDuplicatesAndBlankNames();
    void editsWithoutAConnectionChangeNothing();
    void layoutFollowsTheWindowSize();
    void namesFromTheServerAreShownInOneLine();
};

void TestIgnore::needsALogin() {
    test::Sandbox sandbox;
    sandbox.writeFile("settings.dat", "False\r\n");
    Form1 form;
    bool sawLogin = false;
    test::whenModal([&](QWidget* modal) {
        sawLogin = qobject_cast<frmLogin*>(modal) != nullptr;
        modal->close();
    });
    form.mnuIgnoreList->trigger();
    QVERIFY(sawLogin);
    QVERIFY(!form.ignoreListWindow());
}

void TestIgnore::openingRequestsTheListOnce() {
    Session s;
    frmIgnoreList* window = s.open();
    QVERIFY(window && window->isVisible());
    QCOMPARE(window->windowTitle(), QString("Ignore List"));
    QVERIFY(!window->cmdRemove->isEnabled());
    QVERIFY(s.server.waitForReceived("/ignore-list\r\n"));
    QCOMPARE(s.open(), window); // brought forward, not asked again
    QTest::qWait(50);
    QCOMPARE(s.server.received(), QByteArray("/ignore-list\r\n"));
    QTest::mouseClick(window->cmdOK, Qt::LeftButton);
    QTRY_VERIFY(!s.form->ignoreListWindow());
    s.open();
    QVERIFY(s.server.waitForReceived("/ignore-list\r\n/ignore-list\r\n"));
}

void TestIgnore::listReplyLines_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("spaces around names")
        << "Ignore list:  carl , dave,eve " << QStringList{"carl", "dave", "eve"};
    QTest::newRow("alone") << "Ignore list:" << QStringList{};
    QTest::newRow("with one space") << "Ignore list: " << QStringList{};
    QTest::newRow("empty piece kept") << "Ignore list: a,,b" << QStringList{"a", "", "b"};
    QTest::newRow("no space after the colon")
        << "Ignore list:carl,dave" << QStringList{"arl", "dave"};
}

void TestIgnore::listReplyLines() {
    QFETCH(QString, line);
    QFETCH(QStringList, names);
    Session s;
    frmIgnoreList* window = s.open();
    window->lstIgnore->addItem("stale");
    s.form->ProcessIgnoreList(line);
    QCOMPARE(entries(window), names);
    QVERIFY(window->lstIgnore->selectedItems().isEmpty());
}

void TestIgnore::repliesReachOnlyAnOpenWindow() {
    Session s;
    s.server.send("Ignore list: a, b\r\nIgnore list is empty.\r\n");
    QTest::qWait(100);
    QVERIFY(!s.form->ignoreListWindow());
    frmIgnoreList* window = s.open();
    s.server.send("Ignore list: a, b\r\n");
    QTRY_COMPARE(entries(window), (QStringList{"a", "b"}));
    window->lstIgnore->setCurrentRow(0);
    QVERIFY(window->cmdRemove->isEnabled());
    s.server.send("Ignore list is empty.\r\n");
    QTRY_COMPARE(entries(window), QStringList{});
    QVERIFY(window->cmdRemove->isEnabled());              // a refill leaves the button as it was
    QTest::mouseClick(window->cmdRemove, Qt::LeftButton); // nothing selected: nothing happens
    QTest::qWait(50);
    QCOMPARE(s.server.received(), QByteArray("/ignore-list\r\n"));
}

void TestIgnore::addRemoveAndClearSendTheirCommands() {
    Session s;
    frmIgnoreList* window = s.open();
    QVERIFY(s.server.waitForReceived("/ignore-list\r\n"));
    s.server.clearReceived();
    s.form->ProcessIgnoreList("Ignore list: zed");

    addThroughDialog(window, "  Carl  ");
    QVERIFY(s.server.waitForReceived("/ignore-add Carl\r\n"));
    QCOMPARE(entries(window), (QStringList{"zed", "Carl"}));
    QCOMPARE(window->lstIgnore->currentRow(), 1);
    QVERIFY(window->cmdRemove->isEnabled());

    window->lstIgnore->setCurrentRow(0);
    QTest::mouseClick(window->cmdRemove, Qt::LeftButton);
    QVERIFY(s.server.waitForReceived("/ignore-add Carl\r\n/ignore-del zed\r\n"));
    QCOMPARE(entries(window), QStringList{"Carl"});
    QVERIFY(window->lstIgnore->selectedItems().isEmpty());
    QVERIFY(!window->cmdRemove->isEnabled());

    s.server.clearReceived();
    s.sandbox.boxes.answers = {false, true, true};
    QTest::mouseClick(window->cmdClear, Qt::LeftButton); // No
    QCOMPARE(entries(window), QStringList{"Carl"});
    QTest::mouseClick(window->cmdClear, Qt::LeftButton); // Yes
    QCOMPARE(entries(window), QStringList{});
    QTest::mouseClick(window->cmdClear, Qt::LeftButton); // Yes, on an empty list: still sent
    QVERIFY(s.server.waitForReceived("/ignore-clear\r\n/ignore-clear\r\n"));
    QCOMPARE(s.sandbox.boxes.texts(), QStringList(3, "Clear entire ignore list?"));
    QCOMPARE(s.sandbox.boxes.boxes[0].kind, test::ScriptedBoxes::Kind::Question);
}

void TestIgnore::addRefusesDuplicatesAndBlankNames() {
    Session s;
    frmIgnoreList* window = s.open();
    s.form->ProcessIgnoreList("Ignore list: Carl");
    QVERIFY(s.server.waitForReceived("/ignore-list\r\n"));
    addThroughDialog(window, "cARL");
    QCOMPARE(s.sandbox.boxes.texts(), QStringList{"User already in ignore list."});
    QCOMPARE(entries(window), QStringList{"Carl"});

    // A blank name keeps the dialog open with its message; Cancel then adds nothing.
    frmAddUserToIgnore* dialog = window->addUserDialog();
    test::whenModal([&](QWidget*) {
        dialog->txtUsername->setText("   ");
        QTest::mouseClick(dialog->cmdOK, Qt::LeftButton);
        QVERIFY(dialog->isVisible());
        QTest::mouseClick(dialog->cmdCancel, Qt::LeftButton);
    });
    QTest::mouseClick(window->cmdAdd, Qt::LeftButton);
    QCOMPARE(s.sandbox.boxes.texts().last(), QString("Enter username."));

    // A pasted line break would send a second command.
    test::whenModal([&](QWidget*) {
        dialog->txtUsername->setText("bob\n/ignore-clear");
        QTest::mouseClick(dialog->cmdOK, Qt::LeftButton);
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->txtUsername->text(), QString("bob\n/ignore-clear"));
        QTest::mouseClick(dialog->cmdCancel, Qt::LeftButton);
    });
    QTest::mouseClick(window->cmdAdd, Qt::LeftButton);
    QCOMPARE(s.sandbox.boxes.texts().last(),
             QString("Line breaks and other control characters cannot be used here. Please remove "
                     "them and try again."));
    QCOMPARE(window->addUserDialog(), dialog); // hidden between uses, not destroyed
    QTest::qWait(50);
    QCOMPARE(s.server.received(), QByteArray("/ignore-list\r\n"));
    QCOMPARE(entries(window), QStringList{"Carl"});
}

void TestIgnore::editsWithoutAConnectionChangeNothing() {
    Session s;
    frmIgnoreList* window = s.open();
    s.form->ProcessIgnoreList("Ignore list: a, b");
    s.form->mnuConnect->trigger(); // disconnect
    window->lstIgnore->setCurrentRow(0);
    QTest::mouseClick(window->cmdAdd, Qt::LeftButton);
    QTest::mouseClick(window->cmdRemove, Qt::LeftButton);
    s.sandbox.boxes.defaultAnswer = true;
    QTest::mouseClick(window->cmdClear, Qt::LeftButton);
    QCOMPARE(
        s.sandbox.boxes.texts(),
        QStringList(3, "There is no connection to a server, so the ignore list was not changed."));
    QCOMPARE(entries(window), (QStringList{"a", "b"}));
}

void TestIgnore::layoutFollowsTheWindowSize() {
    Session s;
    frmIgnoreList* window = s.open();
    QCOMPARE(window->size(), QSize(284, 178));
    QCOMPARE(window->lstIgnore->geometry(), QRect(8, 8, 193, 162));
    QCOMPARE(window->cmdAdd->geometry(), QRect(209, 8, 67, 23));
    QCOMPARE(window->cmdOK->geometry(), QRect(209, 102, 67, 23));
    window->resize(400, 300);
    QCOMPARE(window->lstIgnore->geometry(), QRect(8, 8, 309, 284));
    QCOMPARE(window->cmdClear->geometry(), QRect(325, 71, 67, 23));
    window->resize(160, 300); // below 2500 twips wide: nothing moves
    QCOMPARE(window->lstIgnore->geometry(), QRect(8, 8, 309, 284));
    window->cmdRemove->setEnabled(true); // a disabled button takes no focus
    QCOMPARE(test::tabOrder(window->lstIgnore, 6),
             (QList<QWidget*>{window->lstIgnore, window->cmdAdd, window->cmdRemove, window->cmdOK,
                              window->cmdClear, window->lstIgnore}));
}

void TestIgnore::namesFromTheServerAreShownInOneLine() {
    Session s;
    frmIgnoreList* window = s.open();
    QVERIFY(s.server.waitForReceived("/ignore-list\r\n"));
    s.server.clearReceived();
    s.form->ProcessIgnoreList(u"Ignore list: one\u2028two, \u202Eevil, carl"_qs);
    // Three entries, each on one row, the reversal kept inside its own name.
    QCOMPARE(entries(window), (QStringList{"one two", u"\u2068\u202Eevil\u2069"_qs, "carl"}));
    // Removing sends the name as the server has it.
    window->lstIgnore->setCurrentRow(0);
    QTest::mouseClick(window->cmdRemove, Qt::LeftButton);
    QVERIFY(s.server.waitForReceived("/ignore-del one\xe2\x80\xa8two\r\n"));
}

QTEST_MAIN(TestIgnore)
#include "tst_ignore.moc"
