// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConnectionController.h"
#include "ConnectionFile.h"
#include "StateFiles.h"
#include "TestSupport.h"
#include "frmDetails.h"
#include "frmLogin.h"

#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace kivo;

namespace {

// Opens the details dialog, types a port and presses OK; returns whether it closed.
bool savePort(const QString& typed) {
    frmDetails dialog;
    dialog.show();
    dialog.txtPort->setText(typed);
    QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
    return !dialog.isVisible();
}

} // namespace

class TestDetails : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void layoutAndFocusOrder();
    void withoutAFileTheDefaultPortIsShownAndSaved();
    void portsAreCheckedAndSavedAsTyped_data();
    void portsAreCheckedAndSavedAsTyped();
    void aWordIsShownAsItIsAndRefused();
    void refusalsWriteNothing();
    void enterInTheBoxDoesNothingEnterOnCancelCancels();
    void theLoginUsesTheNewPortAndRewritesIt();
    void openedFromTheLoginDialogWithoutItsValues();
};

void TestDetails::layoutAndFocusOrder() {
    test::Sandbox sandbox;
    frmDetails dialog;
    QCOMPARE(dialog.windowTitle(), QString("Login Settings"));
    QCOMPARE(dialog.size(), QSize(246, 98));
    QCOMPARE(dialog.Frame1->title(), QString("Connection Settings"));
    QCOMPARE(dialog.Label1->text(), QString("Server port:"));
    QCOMPARE(dialog.txtPort->parentWidget(), dialog.Frame1);
    QCOMPARE(dialog.txtPort->geometry(), QRect(72, 22, 153, 19));
    QCOMPARE(test::tabOrder(dialog.txtPort, 4),
             (QList<QWidget*>{dialog.txtPort, dialog.cmdOK, dialog.cmdCancel, dialog.txtPort}));
}

void TestDetails::withoutAFileTheDefaultPortIsShownAndSaved() {
    test::Sandbox sandbox;
    {
        frmDetails dialog;
        QCOMPARE(dialog.txtPort->text(), QString("42439"));
        dialog.show();
        dialog.txtPort->setText("5000");
        QTest::mouseClick(dialog.cmdCancel, Qt::LeftButton); // nothing saved
        QVERIFY(!sandbox.exists(ConnectionFile::FileName));
    }
    QVERIFY(savePort("6000"));
    QCOMPARE(sandbox.readFile(ConnectionFile::FileName), QByteArray("\r\n\r\n\r\n6000\r\n"));
    ConnectionController connection;
    frmLogin login(connection, nullptr);
    QCOMPARE(login.txtUsername->text(), QString());
    QCOMPARE(login.txtHost->text(), QString());
    QVERIFY(!login.cmdOK->isEnabled());
}

void TestDetails::portsAreCheckedAndSavedAsTyped_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("saved");
    QTest::newRow("spaces trimmed") << " 6000 " << QByteArray("6000");
    QTest::newRow("above 65535") << "70000" << QByteArray("70000");
    QTest::newRow("exponent as typed") << "1e3" << QByteArray("1e3");
    QTest::newRow("fraction") << "80.5" << QByteArray("80.5");
    QTest::newRow("empty refused") << "   " << QByteArray("9");
    QTest::newRow("word refused") << "http" << QByteArray("9");
}

void TestDetails::portsAreCheckedAndSavedAsTyped() {
    QFETCH(QString, typed);
    QFETCH(QByteArray, saved);
    test::Sandbox sandbox;
    sandbox.writeFile(ConnectionFile::FileName, "ann\r\n pw \r\nhost.example\r\n9\r\n");
    const bool refused = saved == "9";
    QCOMPARE(savePort(typed), !refused);
    QCOMPARE(sandbox.readFile(ConnectionFile::FileName),
             "ann\r\n pw \r\nhost.example\r\n" + saved + "\r\n");
    QCOMPARE(sandbox.boxes.texts(),
             refused ? QStringList{"Please enter a valid port."} : QStringList{});
}

void TestDetails::aWordIsShownAsItIsAndRefused() {
    test::Sandbox sandbox;
    sandbox.writeFile(ConnectionFile::FileName, "a\r\nb\r\nc\r\n port \r\n");
    frmDetails dialog;
    dialog.show();
    QCOMPARE(dialog.txtPort->text(), QString(" port "));
    QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.txtPort->text(), QString(" port "));
    QCOMPARE(sandbox.boxes.texts(), QStringList{"Please enter a valid port."});
}

void TestDetails::refusalsWriteNothing() {
    test::Sandbox sandbox;
    sandbox.writeFile(ConnectionFile::FileName, "ann\r\npw\r\nhost\r\n9\r\n");
    QVERIFY(!savePort("6000\n"));
    QCOMPARE(sandbox.boxes.texts(), QStringList{"Line breaks and other control characters cannot "
                                                "be used here. Please remove them and try again."});
    QCOMPARE(sandbox.readFile(ConnectionFile::FileName), QByteArray("ann\r\npw\r\nhost\r\n9\r\n"));

    // A file that cannot be read (too large) keeps lines 1 to 3 nobody can read back.
    QFile big(sandbox.path(ConnectionFile::FileName));
    QVERIFY(big.resize(MaxStateFileSize + 1));
    QVERIFY(!savePort("6000"));
    QVERIFY2(sandbox.boxes.texts().last().startsWith(
                 "The port was not saved: connection.dat cannot be read ("),
             qPrintable(sandbox.boxes.texts().last()));
    QCOMPARE(QFileInfo(big).size(), MaxStateFileSize + 1);
}

void TestDetails::enterInTheBoxDoesNothingEnterOnCancelCancels() {
    test::Sandbox sandbox;
    frmDetails dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    dialog.txtPort->setText("5000");
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
        QTest::keyClick(dialog.txtPort, key);
    QTest::keyClick(dialog.cmdCancel, Qt::Key_Escape);
    QVERIFY(dialog.isVisible());
    QTest::keyClick(dialog.cmdCancel, Qt::Key_Return);
    QVERIFY(!dialog.isVisible());
    QVERIFY(!sandbox.exists(ConnectionFile::FileName));
    QVERIFY(sandbox.boxes.boxes.isEmpty());
}

void TestDetails::theLoginUsesTheNewPortAndRewritesIt() {
    test::Sandbox sandbox;
    test::LoopbackServer server;
    sandbox.writeFile(ConnectionFile::FileName, "ann\r\npw\r\n127.0.0.1\r\n");
    QVERIFY(savePort(QString("%1e0").arg(server.port())));
    QCOMPARE(ConnectionFile::GetSavedPort(), qint64(server.port()));
    ConnectionController connection;
    frmLogin login(connection, nullptr);
    QTest::mouseClick(login.cmdOK, Qt::LeftButton);
    QVERIFY(server.waitForReceived("/login ann pw\r\n"));
    QCOMPARE(sandbox.readFile(ConnectionFile::FileName),
             "ann\r\npw\r\n127.0.0.1\r\n" + QByteArray::number(server.port()) + "\r\n");
}

void TestDetails::openedFromTheLoginDialogWithoutItsValues() {
    test::Sandbox sandbox;
    sandbox.writeFile(ConnectionFile::FileName, "ann\r\npw\r\nold.host\r\n");
    ConnectionController connection;
    frmLogin login(connection, nullptr);
    login.show();
    login.txtUsername->setText("typed but not confirmed");
    bool modalWithoutOwner = false;
    test::whenModal([&](QWidget* modal) {
        auto* details = qobject_cast<frmDetails*>(modal);
        QVERIFY(details);
        modalWithoutOwner = !details->parentWidget();
        details->txtPort->setText("6000");
        QTest::mouseClick(details->cmdOK, Qt::LeftButton);
    });
    QTest::mouseClick(login.cmdDetails, Qt::LeftButton);
    QVERIFY(modalWithoutOwner);
    QCOMPARE(sandbox.readFile(ConnectionFile::FileName),
             QByteArray("ann\r\npw\r\nold.host\r\n6000\r\n"));
    QCOMPARE(login.txtUsername->text(), QString("typed but not confirmed"));
}

QTEST_MAIN(TestDetails)
#include "tst_details.moc"
