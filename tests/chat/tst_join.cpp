// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChatRegistry.h"
#include "ConferenceFile.h"
#include "ConnectionController.h"
#include "FormChat.h"
#include "TestSupport.h"
#include "frmJoinConference.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace kivo;

namespace {

struct Session {
    test::Sandbox sandbox;
    test::LoopbackServer server;
    ConnectionController connection;
    ChatRegistry chats{connection};

    Session() {
        if (!test::logInAt(server, connection, "ann", "pw"))
            qFatal("no login");
    }
};

} // namespace

class TestJoin : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void firstUseOffersGeneral();
    void blankNameIsRefused();
    void lineBreaksAreRefused();
    void joinSavesSendsAndOpensTheRoom_data();
    void joinSavesSendsAndOpensTheRoom();
    void secondJoinIsRefusedAfterSaving();
    void enterActsAsOk();
    void joinWithoutAConnectionSaysSo();
};

void TestJoin::firstUseOffersGeneral() {
    Session s;
    frmJoinConference dialog(s.chats);
    QCOMPARE(dialog.windowTitle(), QString("Join Conference"));
    QCOMPARE(dialog.txtConferenceName->text(), QString("general"));
    QCOMPARE(dialog.txtServerName->text(), QString());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(QApplication::focusWidget(), dialog.cmdCancel);
    QCOMPARE(test::tabOrder(dialog.cmdCancel, 5),
             (QList<QWidget*>{dialog.cmdCancel, dialog.cmdOK, dialog.txtConferenceName,
                              dialog.txtServerName, dialog.cmdCancel}));

    s.sandbox.writeFile(ConferenceFile::FileName, "   \r\nfar\r\n");
    frmJoinConference blanks(s.chats);
    QCOMPARE(blanks.txtConferenceName->text(), QString("general"));
    QCOMPARE(blanks.txtServerName->text(), QString("far"));
}

void TestJoin::blankNameIsRefused() {
    Session s;
    frmJoinConference dialog(s.chats);
    dialog.show();
    dialog.txtConferenceName->setText("   ");
    QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
    QCOMPARE(s.sandbox.boxes.texts(), QStringList{"Please enter the conference name."});
    QVERIFY(dialog.isVisible());
    QVERIFY(!s.sandbox.exists(ConferenceFile::FileName));
    QVERIFY(!s.chats.ServerChatWindow);
}

void TestJoin::lineBreaksAreRefused() {
    Session s;
    frmJoinConference dialog(s.chats);
    dialog.show();
    dialog.txtConferenceName->setText("lobby\n/ignore-clear");
    QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
    dialog.txtConferenceName->setText("lobby");
    dialog.txtServerName->setText("far\r");
    QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
    QCOMPARE(s.sandbox.boxes.texts(),
             QStringList(2, "Line breaks and other control characters cannot be used here. Please "
                            "remove them and try again."));
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.txtServerName->text(), QString("far\r"));
    QVERIFY(!s.sandbox.exists(ConferenceFile::FileName));
    QVERIFY(!s.chats.ServerChatWindow);
    QTest::qWait(50);
    QCOMPARE(s.server.received(), QByteArray());
}

void TestJoin::joinSavesSendsAndOpensTheRoom_data() {
    QTest::addColumn<QString>("server");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QString>("caption");
    QTest::newRow("with a server")
        << " far.example " << QByteArray(" lobby\r\nfar.example\r\n").mid(1)
        << QByteArray("/join_server lobby@far.example\r\n") << "lobby@far.example Room";
    QTest::newRow("blank server") << "   " << QByteArray("lobby\r\n\r\n")
                                  << QByteArray("/join_server lobby\r\n") << "lobby Room";
}

void TestJoin::joinSavesSendsAndOpensTheRoom() {
    QFETCH(QString, server);
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, command);
    QFETCH(QString, caption);
    Session s;
    frmJoinConference dialog(s.chats);
    dialog.show();
    dialog.txtConferenceName->setText("  lobby ");
    dialog.txtServerName->setText(server);
    QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(s.sandbox.readFile(ConferenceFile::FileName), file);
    QVERIFY(s.chats.ServerChatWindow);
    QCOMPARE(s.chats.ServerChatWindow->windowTitle(), caption);
    QVERIFY(s.server.waitForReceived(command));
}

void TestJoin::secondJoinIsRefusedAfterSaving() {
    Session s;
    FormChat* room = s.chats.openConference("lobby");
    frmJoinConference dialog(s.chats);
    dialog.show();
    dialog.txtConferenceName->setText("other");
    dialog.txtServerName->setText("far");
    QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
    QCOMPARE(s.sandbox.boxes.boxes.size(), 1);
    QCOMPARE(s.sandbox.boxes.boxes[0].title, QString("Conference already opened"));
    QCOMPARE(s.sandbox.boxes.boxes[0].text,
             QString("You are already connected to a conference.\r\nIf you want to join another "
                     "one,\r\nplease close the current conference window first."));
    QCOMPARE(s.chats.ServerChatWindow.data(), room);
    QTest::qWait(50);
    QCOMPARE(s.server.received(), QByteArray());
    frmJoinConference next(s.chats);
    QCOMPARE(next.txtConferenceName->text(), QString("other"));
    QCOMPARE(next.txtServerName->text(), QString("far"));
}

void TestJoin::enterActsAsOk() {
    for (const bool inServerBox : {false, true}) {
        Session s;
        frmJoinConference dialog(s.chats);
        dialog.show();
        QTest::keyClick(inServerBox ? dialog.txtServerName : dialog.txtConferenceName,
                        Qt::Key_Return);
        QVERIFY(s.server.waitForReceived("/join_server general\r\n"));
        QVERIFY(!dialog.isVisible());
    }
}

void TestJoin::joinWithoutAConnectionSaysSo() {
    test::Sandbox sandbox;
    ConnectionController connection;
    ChatRegistry chats(connection);
    frmJoinConference dialog(chats);
    dialog.show();
    QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
    QVERIFY(chats.ServerChatWindow);
    QCOMPARE(test::transcriptText(chats.ServerChatWindow),
             QString("[09:05:07] *** Not joined: there is no connection to a server.\n"));
}

QTEST_MAIN(TestJoin)
#include "tst_join.moc"
