// SPDX-License-Identifier: GPL-3.0-or-later
// The preferences: kivo.ini, its damaged forms, and the dialog used from the keyboard.
#include "Form1.h"
#include "TestSupport.h"
#include "frmPreferences.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QTest>

using namespace kivo;

class TestPreferences : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void defaultsLeaveTheDescribedBehaviour();
    void theDialogByKeyboard();
    void aDamagedFileGivesTheDefaults_data();
    void aDamagedFileGivesTheDefaults();
};

void TestPreferences::defaultsLeaveTheDescribedBehaviour() {
    test::Sandbox sandbox;
    Preferences preferences;
    preferences.load();
    QCOMPARE(preferences.values(), Preferences::Values());
    QVERIFY(preferences.values().notifications);
    QVERIFY(!preferences.values().reconnect && !preferences.values().history);
    QCOMPARE(preferences.values().historyDays, 0);
    QVERIFY(sandbox.boxes.boxes.isEmpty());
}

void TestPreferences::theDialogByKeyboard() {
    test::Sandbox sandbox;
    sandbox.writeFile("settings.dat", "False\r\n");
    Form1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QStringList before = QDir(sandbox.path(".")).entryList(QDir::Files);
    // Escape cancels: nothing is written.
    test::whenModal([](QWidget* dialog) {
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        QTest::keyClick(dialog, Qt::Key_R, Qt::AltModifier);
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    form.mnuPreferences->trigger();
    QVERIFY(!sandbox.exists("kivo.ini"));
    // The access key turns reconnecting on, Enter confirms.
    QPoint offset;
    test::whenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<frmPreferences*>(modal);
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        QVERIFY(dialog->chkNotifications->isChecked() && !dialog->chkReconnect->isChecked());
        offset = dialog->frameGeometry().center() - form.frameGeometry().center();
        QTest::keyClick(dialog, Qt::Key_R, Qt::AltModifier);
        QTRY_VERIFY(dialog->chkReconnect->isChecked()); // a mnemonic clicks as if pressed
        QTest::keyClick(dialog, Qt::Key_Return);
    });
    form.mnuPreferences->trigger();
    QVERIFY(offset.manhattanLength() <= 3);
    QVERIFY(form.preferences().values().reconnect);
    QVERIFY(sandbox.readFile("kivo.ini").contains("reconnect=true"));
    // The described files are not touched.
    QStringList after = before + QStringList{"kivo.ini"};
    after.sort();
    QCOMPARE(QDir(sandbox.path(".")).entryList(QDir::Files), after);
    QCOMPARE(sandbox.readFile("settings.dat"), QByteArray("False\r\n"));
}

void TestPreferences::aDamagedFileGivesTheDefaults_data() {
    QTest::addColumn<bool>("folder");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("not INI") << false << QByteArray("garbage\x01\x02 no equals\n[[[\n");
    QTest::newRow("a folder") << true << QByteArray();
}

void TestPreferences::aDamagedFileGivesTheDefaults() {
    QFETCH(bool, folder);
    QFETCH(QByteArray, content);
    test::Sandbox sandbox;
    if (folder)
        QDir(sandbox.path(".")).mkdir("kivo.ini");
    else
        sandbox.writeFile("kivo.ini", content);
    Preferences preferences;
    preferences.load();
    QCOMPARE(preferences.values(), Preferences::Values());
    QCOMPARE(sandbox.boxes.boxes.size(), 1);
    QVERIFY(sandbox.boxes.texts()[0].contains("could not be read"));
    if (folder)
        return;
    // The next change writes a sound file over the damaged one.
    Preferences::Values values;
    values.history = true;
    QVERIFY(preferences.save(values));
    Preferences again;
    again.load();
    QVERIFY(again.values().history);
}

QTEST_MAIN(TestPreferences)
#include "tst_preferences.moc"
