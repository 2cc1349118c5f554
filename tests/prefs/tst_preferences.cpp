// SPDX-License-Identifier: GPL-3.0-or-later
// The preferences: kivo.ini, its damaged forms, and the dialog used from the keyboard.
#include "Form1.h"
#include "FormChat.h"
#include "OptionalFeatures.h"
#include "TestSupport.h"
#include "UnsentText.h"
#include "WindowPlaces.h"
#include "frmPreferences.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <QTranslator>

using namespace kivo;

class TestPreferences : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void valuesRoundTripAndBadOnesGiveDefaults();
    void aPlaceIsNoLargerThanTheScreen();
    void zoomStepsAreWrittenOnceTheySettle();
    void unsentTextIsKeptOnlyWhileSwitchedOn();
    void theDialogByKeyboard();
    void eachAccessKeyIsUsedOnce_data();
    void eachAccessKeyIsUsedOnce();
    void aDamagedFileGivesTheDefaults_data();
    void aDamagedFileGivesTheDefaults();
};

void TestPreferences::valuesRoundTripAndBadOnesGiveDefaults() {
    test::Sandbox sandbox;
    Preferences::Values changed;
    changed.notifications = false;
    changed.reconnect = true;
    changed.history = true;
    changed.historyDays = 30;
    changed.strangerWindows = true;
    changed.transcriptFont = "DejaVu Serif,14,-1,5,400,0,0,0,0,0,0,0,0,0,0,1"; // commas kept
    {
        Preferences preferences;
        preferences.load();
        QVERIFY(preferences.save(changed));
    }
    Preferences again;
    again.load();
    QCOMPARE(again.values(), changed);
    // A value that is not one of ours leaves that key's default, and says nothing.
    sandbox.writeFile("kivo.ini", "[General]\nhistory=yes\nhistoryDays=-5\nreconnect=true\n");
    again.load();
    QVERIFY(!again.values().history);
    QCOMPARE(again.values().historyDays, 0);
    QVERIFY(again.values().reconnect);
    QVERIFY(sandbox.boxes.boxes.isEmpty());

    // Window places are bounded: however many windows were closed, the file stays small, and
    // the place kept longest ago makes room.
    for (int i = 0; i < Preferences::MaxWindowPlaces; ++i)
        QVERIFY(again.keepWindowPlace(QString("chat/person %1").arg(i), QRect(i, 2, 300, 200)));
    QVERIFY(again.keepWindowPlace("chat/person 0", QRect(0, 3, 300, 200))); // used again
    QVERIFY(again.keepWindowPlace("chat/person 200", QRect(200, 2, 300, 200)));
    const QStringList keys = QSettings(sandbox.path("kivo.ini"), QSettings::IniFormat).allKeys();
    QCOMPARE(std::count_if(keys.begin(), keys.end(),
                           [](const QString& key) { return key.startsWith("places/"); }),
             Preferences::MaxWindowPlaces);
    QCOMPARE(again.windowPlace("chat/person 200"), QRect(200, 2, 300, 200));
    QCOMPARE(again.windowPlace("chat/person 0"), QRect(0, 3, 300, 200));
    QVERIFY(!again.windowPlace("chat/person 1").isValid());
}

void TestPreferences::aPlaceIsNoLargerThanTheScreen() {
    test::Sandbox sandbox;
    const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
    sandbox.writeFile("kivo.ini", "[places]\nfar=@Rect(-50000 -50000 30000 30000)\n"
                                  "huge=@Rect(0 0 2000000 2000000)\n");
    Preferences preferences;
    preferences.load();
    WindowPlaces places(preferences);
    for (const char* name : {"far", "huge"}) {
        QWidget window;
        places.restore(&window, name);
        QVERIFY2(window.width() <= screen.width() && window.height() <= screen.height(), name);
    }
}

void TestPreferences::zoomStepsAreWrittenOnceTheySettle() {
    test::Sandbox sandbox;
    sandbox.writeFile("settings.dat", "False\r\n");
    sandbox.writeFile("kivo.ini", "[General]\nhistory=true\nhistoryDays=30\n");
    Form1 form;
    HistoryStore* history = form.features().history();
    history->flush(); // the removal of old lines at start-up
    int removals = 0;
    connect(history, &HistoryStore::finished, this, [&] { ++removals; });
    const QByteArray before = sandbox.readFile("kivo.ini");
    for (int i = 0; i < 5; ++i)
        form.features().zoom(+1);
    QCOMPARE(form.features().preferences().values().textZoom, 5);
    QCOMPARE(sandbox.readFile("kivo.ini"), before);
    sandbox.clock.advanceMs(Preferences::SettleTime);
    QVERIFY(sandbox.readFile("kivo.ini").contains("textZoom=5"));
    // Nor did any step remove old lines from the history again.
    history->flush();
    QCOMPARE(removals, 0);
}

void TestPreferences::unsentTextIsKeptOnlyWhileSwitchedOn() {
    test::Sandbox sandbox;
    sandbox.writeFile("settings.dat", "False\r\n");
    sandbox.writeFile("kivo.ini", "[General]\nkeepUnsentText=true\n");
    {
        Form1 form;
        form.OpenChatWindow("bob")->txtMessage->setText("typed before quitting");
    }
    {
        Form1 form;
        QCOMPARE(form.OpenChatWindow("bob")->txtMessage->text(), QString("typed before quitting"));
    }
    sandbox.writeFile("kivo.ini", "[General]\nkeepUnsentText=false\n");
    Form1 form;
    QVERIFY(!sandbox.exists(UnsentText::FileName));
    QCOMPARE(form.OpenChatWindow("bob")->txtMessage->text(), QString());
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
    form.features().mnuPreferences->trigger();
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
    form.features().mnuPreferences->trigger();
    QVERIFY(offset.manhattanLength() <= 3);
    QVERIFY(form.features().preferences().values().reconnect);
    QVERIFY(sandbox.readFile("kivo.ini").contains("reconnect=true"));
    // The described files are not touched.
    QStringList after = before + QStringList{"kivo.ini"};
    after.sort();
    QCOMPARE(QDir(sandbox.path(".")).entryList(QDir::Files), after);
    QCOMPARE(sandbox.readFile("settings.dat"), QByteArray("False\r\n"));
}

void TestPreferences::eachAccessKeyIsUsedOnce_data() {
    QTest::addColumn<QString>("language");
    QTest::newRow("English") << QString();
    QTest::newRow("German") << "de";
}

void TestPreferences::eachAccessKeyIsUsedOnce() {
    QFETCH(QString, language);
    test::Sandbox sandbox;
    QTranslator translator;
    if (!language.isEmpty()) {
        QVERIFY(translator.load(QLocale(language), "kivo", "_", ":/i18n"));
        QCoreApplication::installTranslator(&translator);
    }
    Preferences preferences;
    frmPreferences dialog(preferences, nullptr);
    QCoreApplication::removeTranslator(&translator);
    // A key shared by two controls only moves between them: the second is out of reach.
    QMap<QChar, QString> owners;
    QStringList shared;
    const auto note = [&](const QString& text) {
        const qsizetype at = text.indexOf(QRegularExpression("&[^&]"));
        if (at < 0)
            return;
        const QChar key = text.at(at + 1).toLower();
        if (owners.contains(key))
            shared << owners[key] + " / " + text;
        owners[key] = text;
    };
    for (const QAbstractButton* button : dialog.findChildren<QAbstractButton*>())
        note(button->text());
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        note(label->text());
    QVERIFY2(owners.size() >= 12, qPrintable(QStringList(owners.values()).join('\n')));
    QVERIFY2(shared.isEmpty(), qPrintable(shared.join('\n')));
}

void TestPreferences::aDamagedFileGivesTheDefaults_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("not INI") << "file" << QByteArray("garbage\x01\x02 no equals\n[[[\n");
    QTest::newRow("too large") << "file"
                               << ("[General]\nhistory=true\n" + QByteArray(2 << 20, ';'));
    QTest::newRow("a folder") << "folder" << QByteArray();
    QTest::newRow("a link") << "link" << QByteArray("[General]\nhistory=true\n");
}

void TestPreferences::aDamagedFileGivesTheDefaults() {
    QFETCH(QString, kind);
    QFETCH(QByteArray, content);
    test::Sandbox sandbox;
    if (kind == "folder") {
        QDir(sandbox.path(".")).mkdir("kivo.ini");
    } else if (kind == "link") {
        sandbox.writeFile("mine.txt", content);
        QVERIFY(QFile::link(sandbox.path("mine.txt"), sandbox.path("kivo.ini")));
    } else {
        sandbox.writeFile("kivo.ini", content);
    }
    Preferences preferences;
    preferences.load();
    QCOMPARE(preferences.values(), Preferences::Values());
    QCOMPARE(sandbox.boxes.boxes.size(), 1);
    QVERIFY(sandbox.boxes.texts()[0].contains("could not be read"));
    Preferences::Values values;
    values.history = true;
    if (kind != "file") {
        // Never written through a link or over a folder: the user's file stays as it was.
        QVERIFY(!preferences.save(values));
        if (kind == "link")
            QCOMPARE(sandbox.readFile("mine.txt"), content);
        return;
    }
    // The next change writes a sound file over the damaged one.
    QVERIFY(preferences.save(values));
    Preferences again;
    again.load();
    QVERIFY(again.values().history);
}

QTEST_MAIN(TestPreferences)
#include "tst_preferences.moc"
