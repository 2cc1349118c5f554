// SPDX-License-Identifier: GPL-3.0-or-later
// Kivo as a native Wayland client, run by wayland.sh inside Weston with a seat: a whole
// session against the real veltra-devserver, with nothing said on the way.
#include "DevServer.h"
#include "Form1.h"
#include "FormChat.h"
#include "TestSupport.h"
#include "frmJoinConference.h"
#include "frmLogin.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace kivo;

namespace {

QStringList warnings;

void keepWarnings(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtDebugMsg && type != QtInfoMsg)
        warnings << message;
}

} // namespace

class TestWayland : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aWholeSession();
};

void TestWayland::aWholeSession() {
    QCOMPARE(QGuiApplication::platformName(), QString("wayland"));
    qInstallMessageHandler(keepWarnings);
    test::DevServer server;
    test::Sandbox sandbox;
    sandbox.writeFile("settings.dat", "False\r\n");
    sandbox.writeFile("contacts.dat",
                      "C|general|General|\r\nU|general_contact_carl|carl|general\r\n");
    test::saveLogin(sandbox, "ann", "", server.port());
    Form1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    // The login dialog, typed into, is a child of the main window for the compositor.
    test::whenModal([](QWidget* modal) {
        auto* dialog = qobject_cast<frmLogin*>(modal);
        QCOMPARE(dialog->windowHandle()->transientParent(), dialog->parentWidget()->windowHandle());
        QTest::keyClicks(dialog->txtPassword, "pw");
        QTest::mouseClick(dialog->cmdOK, Qt::LeftButton);
    });
    form.mnuConnect->trigger();
    QCOMPARE(form.windowTitle(), QString("Kivo - ann"));

    test::RawClient carl(server.port(), "carl");
    carl.send("/pm ann hello");
    QTRY_VERIFY(form.chats().window("carl"));
    FormChat* chat = form.chats().window("carl");
    QVERIFY(QTest::qWaitForWindowExposed(chat));
    QTRY_COMPARE(test::transcriptText(chat), QString("[09:05:07] <carl> hello\n"));
    QTest::keyClicks(chat->txtMessage, "hi carl");
    QTest::keyClick(chat->txtMessage, Qt::Key_Return);
    QVERIFY(carl.waitFor("(Private) ann:hi carl"));

    test::whenModal([](QWidget* modal) {
        auto* dialog = qobject_cast<frmJoinConference*>(modal);
        dialog->txtConferenceName->setText("lobby");
        QTest::keyClick(dialog->txtConferenceName, Qt::Key_Return);
    });
    form.mnuJoinConference->trigger();
    QVERIFY(form.chats().ServerChatWindow);
    QTRY_COMPARE(test::transcriptText(form.chats().ServerChatWindow),
                 QString("[09:05:07] *** ann has joined lobby\n"));

    sandbox.boxes.answers = {true};
    form.mnuExit->trigger();
    QVERIFY(!form.isVisible());
    QCOMPARE(warnings, QStringList());
}

QTEST_MAIN(TestWayland)
#include "tst_wayland.moc"
