// SPDX-License-Identifier: GPL-3.0-or-later
// State files that cannot be read or written: each gives a clear message or a sane default,
// never a crash, and the file on disk is never destroyed.
#include "ConferenceFile.h"
#include "ConnectionFile.h"
#include "ContactTreeView.h"
#include "Form1.h"
#include "SettingsFile.h"
#include "StateFiles.h"
#include "TestSupport.h"
#include "frmJoinConference.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTest>

using namespace kivo;

namespace {

const QStringList AllFiles{ContactTree::FileName, ConnectionFile::FileName, SettingsFile::FileName,
                           ConferenceFile::FileName};

// What the program makes of its four files at start-up.
struct Outcome {
    QStringList categories;
    bool autoConnect;
    QString user;
    qint64 port;
    QString conference;
};

Outcome startUp() {
    Form1 form;
    Outcome outcome;
    for (ContactNode* category : form.contacts().categories())
        outcome.categories.append(category->Text);
    outcome.autoConnect = form.mnuAutoConnect->isChecked();
    QString password, host;
    ConnectionFile::LoadConnectionData(outcome.user, password, host);
    outcome.port = ConnectionFile::GetSavedPort();
    ChatRegistry chats(form.connection());
    frmJoinConference join(chats);
    outcome.conference = join.txtConferenceName->text();
    return outcome;
}

} // namespace

class TestStateFiles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void foldersWhereFilesShouldBe();
    void aHugeFileIsRefusedAndKept();
    void binaryGarbage();
    void aFolderThatCannotBeWritten();
};

void TestStateFiles::foldersWhereFilesShouldBe() {
    test::Sandbox sandbox;
    for (const QString& name : AllFiles)
        QDir(sandbox.path(".")).mkdir(name);
    const Outcome outcome = startUp();
    QCOMPARE(outcome.categories, QStringList{}); // shown empty, and said so
    QCOMPARE(sandbox.boxes.boxes.size(), 1);
    QVERIFY(sandbox.boxes.boxes[0].text.startsWith("Could not read contacts.dat: it is a folder"));
    QVERIFY(outcome.autoConnect);
    QCOMPARE(outcome.user, QString());
    QCOMPARE(outcome.port, ConnectionFile::DefaultPort);
    QCOMPARE(outcome.conference, QString("general"));
    QVERIFY(!SettingsFile::SaveSettings(false)); // reported, the folder untouched
    QVERIFY(!ConferenceFile::SaveConferenceData("a", "b"));
    QVERIFY(!ConnectionFile::SaveServerPort("6000"));
    for (const QString& name : AllFiles)
        QVERIFY(QFileInfo(sandbox.path(name)).isDir());
}

void TestStateFiles::aHugeFileIsRefusedAndKept() {
    test::Sandbox sandbox;
    {
        QFile huge(sandbox.path(ContactTree::FileName));
        QVERIFY(huge.open(QIODevice::WriteOnly));
        huge.write("C|general|General (0)|\r\n");
        QVERIFY(huge.resize(MaxStateFileSize + 1)); // sparse: no real disk used
    }
    Form1 form;
    QVERIFY(form.contacts().nodes().empty());
    QVERIFY(sandbox.boxes.texts().value(0).contains("it is too large"));
    form.contacts().addGeneralCategory();
    QVERIFY(!form.contacts().SaveContacts());
    QVERIFY(sandbox.boxes.texts().last().startsWith("The contact list was not saved"));
    QCOMPARE(QFileInfo(sandbox.path(ContactTree::FileName)).size(), MaxStateFileSize + 1);
}

void TestStateFiles::binaryGarbage() {
    QRandomGenerator random(7);
    for (int round = 0; round < 20; ++round) {
        test::Sandbox sandbox;
        QByteArray garbage(static_cast<qsizetype>(random.bounded(1, 4096)), Qt::Uninitialized);
        for (char& byte : garbage)
            byte = static_cast<char>(random.bounded(256));
        for (const QString& name : AllFiles)
            sandbox.writeFile(name, garbage);
        startUp();
        QVERIFY(sandbox.boxes.boxes.isEmpty()); // read as text: nothing to report
        // Whatever was read writes back and reads again the same.
        ContactTree tree;
        tree.LoadContacts();
        const QByteArray bytes = tree.fileBytes();
        QVERIFY(tree.SaveContacts());
        ContactTree again;
        again.LoadContacts();
        QCOMPARE(again.fileBytes(), bytes);
    }
}

void TestStateFiles::aFolderThatCannotBeWritten() {
    test::Sandbox sandbox;
    sandbox.writeFile("settings.dat", "False\r\n");
    sandbox.writeFile("contacts.dat", "C|general|General (0)|\r\n");
    Form1 form;
    // The folder turns into something no file can be written in.
    StateFolder::setPath(sandbox.path("settings.dat") + "/inside");
    form.mnuAutoConnect->trigger();
    QVERIFY(!form.mnuAutoConnect->isChecked()); // the check follows the file, which stayed
    QVERIFY(sandbox.boxes.texts().value(0).startsWith("Could not save "));
    form.contacts().addNewCategory("Work");
    QVERIFY(!form.contacts().SaveContacts());
    QCOMPARE(sandbox.boxes.boxes.size(), 2);
    QCOMPARE(sandbox.readFile("settings.dat"), QByteArray("False\r\n"));
    QCOMPARE(sandbox.readFile("contacts.dat"), QByteArray("C|general|General (0)|\r\n"));
}

QTEST_MAIN(TestStateFiles)
#include "tst_statefiles.moc"
