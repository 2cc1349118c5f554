// SPDX-License-Identifier: GPL-3.0-or-later
// Enter in the dialogs under a platform theme that lets a focused button take Enter (GNOME's):
// a focused button is pressed once, not twice. Run under Xvfb with QT_QPA_PLATFORMTHEME=gnome.
#include "ChatRegistry.h"
#include "ConnectionController.h"
#include "FormChat.h"
#include "TestSupport.h"
#include "frmAddCategory.h"
#include "frmJoinConference.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace kivo;

class TestKeys : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void theThemeLetsAFocusedButtonTakeEnter();
    void enterOnTheJoinDialogsCancelCancels();
    void enterOnAFocusedButtonPressesItOnce();
};

void TestKeys::theThemeLetsAFocusedButtonTakeEnter() {
    // Without this the tests below would prove nothing.
    QPushButton plain("plain");
    plain.setAutoDefault(false);
    QSignalSpy clicked(&plain, &QPushButton::clicked);
    QTest::keyClick(&plain, Qt::Key_Return);
    QCOMPARE(clicked.count(), 1);
}

void TestKeys::enterOnTheJoinDialogsCancelCancels() {
    test::Sandbox sandbox;
    test::LoopbackServer server;
    ConnectionController connection;
    ChatRegistry chats(connection);
    QVERIFY(test::logInAt(server, connection, "ann", "pw"));
    frmJoinConference dialog(chats);
    dialog.show();
    QTest::keyClick(dialog.cmdCancel, Qt::Key_Return);
    QVERIFY(!dialog.isVisible());
    QVERIFY(!chats.ServerChatWindow);
    QTest::qWait(200);
    QVERIFY(!server.received().contains("/join_server"));
}

void TestKeys::enterOnAFocusedButtonPressesItOnce() {
    test::Sandbox sandbox;
    frmAddCategory dialog;
    dialog.show();
    dialog.txtCategoryName->setText("Work");
    QSignalSpy pressed(dialog.cmdOK, &QPushButton::clicked);
    QTest::keyClick(dialog.cmdOK, Qt::Key_Return);
    QCOMPARE(pressed.count(), 1);
    QVERIFY(dialog.Confirmed);
    QVERIFY(!dialog.isVisible());
}

QTEST_MAIN(TestKeys)
#include "tst_keys.moc"
