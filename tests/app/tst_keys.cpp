// SPDX-License-Identifier: GPL-3.0-or-later
// Enter in the dialogs under a platform theme that lets a focused button take Enter (GNOME's):
// the dialogs still decide what Enter means. Run under Xvfb with QT_QPA_PLATFORMTHEME=gnome.
#include "ChatRegistry.h"
#include "ConnectionController.h"
#include "FormChat.h"
#include "TestSupport.h"
#include "frmAddCategory.h"
#include "frmJoinConference.h"
#include "frmLogin.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace kivo;

class TestKeys : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void theThemeLetsAFocusedButtonTakeEnter();
    void enterJoinsFromTheCancelButton();
    void enterOnTheLoginDialogsButtonsDoesNothing();
    void enterOnTheAddCategoryButtonsDoesNothing();
};

void TestKeys::theThemeLetsAFocusedButtonTakeEnter() {
    // Without this the tests below would prove nothing.
    QPushButton plain("plain");
    plain.setAutoDefault(false);
    QSignalSpy clicked(&plain, &QPushButton::clicked);
    QTest::keyClick(&plain, Qt::Key_Return);
    QCOMPARE(clicked.count(), 1);
}

void TestKeys::enterJoinsFromTheCancelButton() {
    test::Sandbox sandbox;
    test::LoopbackServer server;
    ConnectionController connection;
    ChatRegistry chats(connection);
    QVERIFY(test::logInAt(server, connection, "ann", "pw"));
    frmJoinConference dialog(chats);
    dialog.show();
    QTest::keyClick(dialog.cmdCancel, Qt::Key_Return);
    QVERIFY(chats.ServerChatWindow);
    QVERIFY(server.waitForReceived("/join_server general\r\n"));
    chats.closeAll();
}

void TestKeys::enterOnTheLoginDialogsButtonsDoesNothing() {
    test::Sandbox sandbox;
    test::LoopbackServer server;
    test::saveLogin(sandbox, "ann", "pw", server.port());
    ConnectionController connection;
    frmLogin dialog(connection, nullptr);
    dialog.show();
    for (QPushButton* button : {dialog.cmdCancel, dialog.cmdOK, dialog.cmdDetails})
        QTest::keyClick(button, Qt::Key_Return);
    QVERIFY(dialog.isVisible());
    QVERIFY(!connection.WaitingForLogin);
    QVERIFY(!server.waitForClient(1, 200));
}

void TestKeys::enterOnTheAddCategoryButtonsDoesNothing() {
    test::Sandbox sandbox;
    frmAddCategory dialog;
    dialog.show();
    dialog.txtCategoryName->setText("Work");
    QTest::keyClick(dialog.cmdCancel, Qt::Key_Return);
    QTest::keyClick(dialog.cmdOK, Qt::Key_Return);
    QVERIFY(dialog.isVisible());
    QVERIFY(!dialog.Confirmed);
}

QTEST_MAIN(TestKeys)
#include "tst_keys.moc"
