// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConnectionController.h"
#include "ConnectionFile.h"
#include "TestSupport.h"
#include "Widgets.h"
#include "frmLogin.h"

#include <QAccessible>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

using namespace kivo;

class TestLogin : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void layoutAndFocusOrder();
    void okFollowsTheBlankRule();
    void fieldsComeFromTheFile();
    void blankFieldAtOkIsRefused();
    void okTrimsSavesAndConnects();
    void unusablePortIsRefusedBeforeAnythingChanges_data();
    void unusablePortIsRefusedBeforeAnythingChanges();
    void lineBreaksAreRefused();
    void enterInABoxAndEscapeDoNothingEnterOnAButtonPressesIt();
    void thePasswordNeverReachesAScreenReader();
};

void TestLogin::layoutAndFocusOrder() {
    test::Sandbox sandbox;
    ConnectionController connection;
    frmLogin dialog(connection, nullptr);
    QCOMPARE(dialog.windowTitle(), QString("Login"));
    QCOMPARE(dialog.size(), QSize(181, 128));
    QCOMPARE(dialog.txtHost->geometry(), QRect(66, 44, 113, 19));
    QCOMPARE(dialog.Label2[0]->text(), QString("Password:"));
    QCOMPARE(dialog.Label2[1]->text(), QString("Host:"));
    QCOMPARE(dialog.cmdDetails->text(), QString("Details..."));
    dialog.cmdOK->setEnabled(true);
    QCOMPARE(
        test::tabOrder(dialog.txtUsername, 7),
        (QList<QWidget*>{dialog.txtUsername, dialog.txtPassword, dialog.cmdCancel, dialog.cmdOK,
                         dialog.txtHost, dialog.cmdDetails, dialog.txtUsername}));
    for (QPushButton* button : {dialog.cmdOK, dialog.cmdCancel, dialog.cmdDetails})
        QVERIFY(!button->isDefault() && !button->autoDefault());
    QCOMPARE(dialog.txtPassword->echoMode(), QLineEdit::Password);
}

void TestLogin::okFollowsTheBlankRule() {
    test::Sandbox sandbox;
    ConnectionController connection;
    frmLogin dialog(connection, nullptr);
    QCOMPARE(dialog.txtUsername->text(), QString());
    QVERIFY(!dialog.cmdOK->isEnabled());
    QTest::keyClicks(dialog.txtUsername, "ann");
    QTest::keyClicks(dialog.txtPassword, "pw");
    QVERIFY(!dialog.cmdOK->isEnabled());
    QTest::keyClicks(dialog.txtHost, "   ");
    QVERIFY(!dialog.cmdOK->isEnabled()); // spaces only is blank
    QTest::keyClicks(dialog.txtHost, "h");
    QVERIFY(dialog.cmdOK->isEnabled());
    dialog.txtPassword->setText("\t"); // a tab is content
    QVERIFY(dialog.cmdOK->isEnabled());
    dialog.txtPassword->clear();
    QVERIFY(!dialog.cmdOK->isEnabled());
}

void TestLogin::fieldsComeFromTheFile() {
    test::Sandbox sandbox;
    sandbox.writeFile(ConnectionFile::FileName, "ann\r\nsecret\r\nchat.example\r\n6000\r\n");
    ConnectionController connection;
    frmLogin dialog(connection, nullptr);
    QCOMPARE(dialog.txtUsername->text(), QString("ann"));
    QCOMPARE(dialog.txtPassword->text(), QString("secret"));
    QCOMPARE(dialog.txtHost->text(), QString("chat.example"));
    QVERIFY(dialog.cmdOK->isEnabled());
}

void TestLogin::blankFieldAtOkIsRefused() {
    test::Sandbox sandbox;
    ConnectionController connection;
    frmLogin dialog(connection, nullptr);
    dialog.txtUsername->setText("ann");
    dialog.txtHost->setText("h");
    dialog.cmdOK->setEnabled(true); // as after a refused login
    QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
    QCOMPARE(sandbox.boxes.texts(), QStringList{"Please fill all fields."});
    QCOMPARE(sandbox.boxes.boxes[0].title, QString("Kivo"));
    QVERIFY(!sandbox.exists(ConnectionFile::FileName));
    QVERIFY(!connection.WaitingForLogin);
}

void TestLogin::okTrimsSavesAndConnects() {
    test::Sandbox sandbox;
    test::LoopbackServer server;
    sandbox.writeFile(ConnectionFile::FileName,
                      QByteArray("x\r\ny\r\nz\r\n") + QByteArray::number(server.port()) + "\r\n");
    ConnectionController connection;
    frmLogin dialog(connection, nullptr);
    dialog.txtUsername->setText(" ann ");
    dialog.txtPassword->setText(" two words ");
    dialog.txtHost->setText(" 127.0.0.1 ");
    QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
    QCOMPARE(connection.LoginUser, QString("ann"));
    QCOMPARE(connection.LoginPass, QString("two words"));
    QVERIFY(connection.WaitingForLogin);
    QVERIFY(!dialog.cmdOK->isEnabled());
    QCOMPARE(dialog.txtUsername->text(), QString(" ann ")); // the box keeps what was typed
    QCOMPARE(sandbox.readFile(ConnectionFile::FileName),
             "ann\r\ntwo words\r\n127.0.0.1\r\n" + QByteArray::number(server.port()) + "\r\n");
    QVERIFY(server.waitForReceived("/login ann two words\r\n"));
}

void TestLogin::unusablePortIsRefusedBeforeAnythingChanges_data() {
    QTest::addColumn<QByteArray>("port");
    QTest::newRow("above 65535") << QByteArray("70000");
    QTest::newRow("zero") << QByteArray("0");
    QTest::newRow("beyond 32 bits") << QByteArray("1e12");
}

void TestLogin::unusablePortIsRefusedBeforeAnythingChanges() {
    QFETCH(QByteArray, port);
    test::Sandbox sandbox;
    const QByteArray file = "ann\r\npw\r\nold.host\r\n" + port + "\r\n";
    sandbox.writeFile(ConnectionFile::FileName, file);
    ConnectionController connection;
    frmLogin dialog(connection, nullptr);
    dialog.txtHost->setText("127.0.0.1");
    QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
    QCOMPARE(sandbox.boxes.boxes.size(), 1);
    QVERIFY(sandbox.boxes.boxes[0].text.contains("from 1 to 65535"));
    QCOMPARE(sandbox.readFile(ConnectionFile::FileName), file);
    QVERIFY(!connection.WaitingForLogin);
    QCOMPARE(connection.Winsock1.state(), int(Winsock::Closed));
    QVERIFY(dialog.cmdOK->isEnabled());
}

void TestLogin::lineBreaksAreRefused() {
    test::Sandbox sandbox;
    test::LoopbackServer server;
    const QByteArray file = "x\r\ny\r\nz\r\n" + QByteArray::number(server.port()) + "\r\n";
    sandbox.writeFile(ConnectionFile::FileName, file);
    ConnectionController connection;
    frmLogin dialog(connection, nullptr);
    dialog.show();
    dialog.txtUsername->setText("ann\nbob");
    dialog.txtHost->setText("127.0.0.1");
    QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
    QCOMPARE(sandbox.boxes.texts(), QStringList{"Line breaks and other control characters cannot "
                                                "be used here. Please remove them and try again."});
    QVERIFY(dialog.isVisible() && dialog.cmdOK->isEnabled());
    QCOMPARE(dialog.txtUsername->text(), QString("ann\nbob"));
    QCOMPARE(sandbox.readFile(ConnectionFile::FileName), file);
    QVERIFY(!connection.WaitingForLogin);
    QVERIFY(!server.waitForClient(1, 200));
}

void TestLogin::enterInABoxAndEscapeDoNothingEnterOnAButtonPressesIt() {
    test::Sandbox sandbox;
    test::LoopbackServer server;
    test::saveLogin(sandbox, "ann", "pw", server.port());
    ConnectionController connection;
    frmLogin dialog(connection, nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
        QTest::keyClick(dialog.txtUsername, key);
    QTest::keyClick(dialog.cmdOK, Qt::Key_Escape);
    QVERIFY(dialog.isVisible());
    QVERIFY(!connection.WaitingForLogin);
    QVERIFY(!server.waitForClient(1, 200));

    dialog.cmdOK->setFocus();
    QTest::keyClick(dialog.cmdOK, Qt::Key_Enter);
    QVERIFY(connection.WaitingForLogin);
    QVERIFY(server.waitForClient());

    frmLogin again(connection, nullptr);
    again.show();
    again.cmdCancel->setFocus();
    QTest::keyClick(again.cmdCancel, Qt::Key_Return);
    QVERIFY(!again.isVisible());
}

void TestLogin::thePasswordNeverReachesAScreenReader() {
    // What a screen reader would be told of each text change, behind Kivo's own handler.
    static QStringList heard;
    heard.clear();
    const auto previous = QAccessible::installUpdateHandler([](QAccessibleEvent* event) {
        if (event->type() == QAccessible::TextInserted)
            heard << static_cast<QAccessibleTextInsertEvent*>(event)->textInserted();
        else if (event->type() == QAccessible::TextRemoved)
            heard << static_cast<QAccessibleTextRemoveEvent*>(event)->textRemoved();
        else if (event->type() == QAccessible::TextUpdated)
            heard << static_cast<QAccessibleTextUpdateEvent*>(event)->textRemoved()
                  << static_cast<QAccessibleTextUpdateEvent*>(event)->textInserted();
    });
    keepPasswordsFromScreenReaders();
    QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
    {
        test::Sandbox sandbox;
        ConnectionController connection;
        frmLogin dialog(connection, nullptr);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QTest::keyClicks(dialog.txtUsername, "ann");
        QTest::keyClicks(dialog.txtPassword, "zqxjv");
        QTest::keyClick(dialog.txtPassword, Qt::Key_Backspace);
        dialog.txtPassword->setText("kqyf");
        dialog.txtPassword->selectAll();
        QTest::keyClicks(dialog.txtPassword, "m");
        // Nor can a screen reader ask for it.
        QAccessibleInterface* box = QAccessible::queryAccessibleInterface(dialog.txtPassword);
        heard << box->text(QAccessible::Value) << box->text(QAccessible::Name);
        if (QAccessibleTextInterface* text = box->textInterface())
            heard << text->text(0, text->characterCount());
    }
    QAccessible::installUpdateHandler(previous);
    QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(false);
    const QString all = heard.join(u'|');
    // The user name is read as typed; of the password, only that something was typed.
    QVERIFY2(all.contains(u'a') && all.contains(u'n'), qPrintable(all));
    QVERIFY2(all.contains(QChar(0x25CF)), qPrintable(all));
    for (const QChar secret : QStringLiteral("zqxjvkyfm"))
        QVERIFY2(!all.contains(secret), qPrintable(all));
}

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
