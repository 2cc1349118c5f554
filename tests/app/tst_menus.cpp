// SPDX-License-Identifier: GPL-3.0-or-later
#include "ContactTreeView.h"
#include "Form1.h"
#include "TestSupport.h"
#include "frmAbout.h"
#include "frmJoinConference.h"
#include "frmSelectCategory.h"

#include <QAction>
#include <QDesktopServices>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolBar>

using namespace kivo;

namespace {

// "objectName caption" per entry, "-" for separators; "name: ..." heads each menu.
QStringList describe(QMenu* menu) {
    QStringList entries{menu->objectName() + ": " + menu->title()};
    for (QAction* action : menu->actions()) {
        if (!action->isVisible())
            continue; // as the user sees the menu
        QString entry = action->objectName() + ' ' + (action->isSeparator() ? "-" : action->text());
        if (action->isCheckable())
            entry += action->isChecked() ? " [x]" : " [ ]";
        if (!action->shortcut().isEmpty())
            entry += " shortcut";
        entries.append(entry);
    }
    return entries;
}

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl& url) { opened.append(url); }
};

} // namespace

class TestMenus : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void menuTree();
    void accessKeysOpenTheMenus();
    void toolbarButtons();
    void addContactHasOneHandler();
    void joinNeedsALoginAndOtherwiseOpensTheDialog();
    void aboutIsASingleWindow();
    void webSiteOpensInTheBrowserOrSaysWhyNot();
};

void TestMenus::menuTree() {
    test::Sandbox sandbox;
    Form1 form;
    QStringList bar;
    for (QAction* action : form.menuBar()->actions())
        bar.append(action->menu()->objectName());
    QCOMPARE(bar, (QStringList{"mnuFile", "mnuTools", "mnuHelp"}));
    QCOMPARE(
        describe(form.mnuFile),
        (QStringList{"mnuFile: &File", "mnuConnect &Connect", "mnuAutoConnect &Auto-connect [x]",
                     "mnuSeparator -", "mnuAddAContact &Add contact",
                     "mnuJoinConference &Join a conference", "mnuSeparator2 -", "mnuExit &Exit"}));
    QCOMPARE(describe(form.mnuTools),
             (QStringList{"mnuTools: &Tools", "mnuIgnoreList &Ignore List",
                          "mnuSearchHistory &Search history...", "mnuSeparator4 -",
                          "mnuPreferences &Preferences..."}));
    QCOMPARE(describe(form.mnuHelp), (QStringList{"mnuHelp: &Help", "mnuVeltraSite &Veltra site",
                                                  "mnuSeparator3 -", "mnuAbout &About"}));
    auto* popup = form.findChild<QMenu*>("mnuContactsPopup");
    QVERIFY(popup && !popup->isVisible());
    QCOMPARE(describe(popup),
             (QStringList{"mnuContactsPopup: ", "mnuAddCategory Add category",
                          "mnuDeleteCategory Delete category", "mnuAddContact Add contact",
                          "mnuDeleteContact Delete Contact"}));
}

void TestMenus::accessKeysOpenTheMenus() {
    test::Sandbox sandbox;
    sandbox.writeFile("settings.dat", "False\r\n");
    Form1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(&form, Qt::Key_T, Qt::AltModifier);
    QTRY_VERIFY(form.mnuTools->isVisible());
    form.mnuTools->hide();
}

void TestMenus::toolbarButtons() {
    test::Sandbox sandbox;
    Form1 form;
    QCOMPARE(form.Toolbar1->geometry(), QRect(0, 0, 449, 24));
    QCOMPARE(form.toolbarButtons.size(), 5);
    QStringList buttons;
    for (QAction* button : form.toolbarButtons)
        buttons.append(button->isSeparator() ? "-"
                                             : button->objectName() + ' ' + button->toolTip());
    QCOMPARE(buttons, (QStringList{"-", "icon11 Add contact", "-", "icon18 Join conference", "-"}));
    QCOMPARE(form.imlToolbarIcons.keys().size(), 2);
    QVERIFY(!form.toolbarButtons[1]->icon().isNull());
    for (const int separator : {1, 3, 5})
        form.Toolbar1_ButtonClick(separator);
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(sandbox.boxes.boxes.isEmpty());
}

void TestMenus::addContactHasOneHandler() {
    test::Sandbox sandbox;
    Form1 form;
    QStringList opened;
    const auto expectDialog = [&] {
        test::whenModal([&](QWidget* modal) {
            opened.append(modal->metaObject()->className());
            modal->close();
        });
    };
    expectDialog();
    form.mnuAddAContact->trigger();
    expectDialog();
    form.tvContacts->mnuAddContact->trigger();
    expectDialog();
    form.toolbarButtons[1]->trigger();
    QCOMPARE(opened, QStringList(3, "kivo::frmSelectCategory"));
}

void TestMenus::joinNeedsALoginAndOtherwiseOpensTheDialog() {
    test::Sandbox sandbox;
    sandbox.writeFile("settings.dat", "False\r\n");
    Form1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QPoint offset;
    QString opened;
    test::whenModal([&](QWidget* modal) {
        opened = modal->metaObject()->className();
        offset = modal->geometry().center() - form.frameGeometry().center();
        modal->close();
    });
    form.toolbarButtons[3]->trigger();
    QCOMPARE(opened, QString("kivo::frmLogin"));
    QVERIFY2(offset.manhattanLength() <= 3,
             qPrintable(QString("%1,%2").arg(offset.x()).arg(offset.y())));

    form.connection().LoggedUser = "ann"; // as right after the connected event
    test::whenModal([&](QWidget* modal) {
        opened = modal->metaObject()->className();
        modal->close();
    });
    form.mnuJoinConference->trigger();
    QCOMPARE(opened, QString("kivo::frmJoinConference"));
}

void TestMenus::aboutIsASingleWindow() {
    test::Sandbox sandbox;
    Form1 form;
    form.mnuAbout->trigger();
    QPointer<frmAbout> about = form.aboutWindow();
    QVERIFY(about && about->isVisible());
    QCOMPARE(about->windowTitle(), QString("About"));
    QCOMPARE(about->size(), QSize(258, 173));
    QCOMPARE(about->Label1->text(), QString("Version 1.0"));
    QCOMPARE(about->Label1->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
    QVERIFY(about->Text1->isReadOnly());
    const QStringList lines = about->Text1->toPlainText().split('\n');
    QCOMPARE(lines.size(), 4);
    QVERIFY(lines[0].startsWith("Kivo is a client for the decentralized Veltra network"));
    QCOMPARE(lines[1], QString());
    QCOMPARE(lines[2], QString("This version was created on February 21, 2026."));
    QCOMPARE(about->cmdClose->text(), QString("Close"));
    form.mnuAbout->trigger();
    QCOMPARE(form.aboutWindow(), about.data());
    QCOMPARE(form.findChildren<frmAbout*>().size(), 1);
    QTest::mouseClick(about->cmdClose, Qt::LeftButton);
    QTRY_VERIFY(!about);
    form.mnuAbout->trigger();
    QVERIFY(form.aboutWindow());
}

void TestMenus::webSiteOpensInTheBrowserOrSaysWhyNot() {
    test::Sandbox sandbox;
    Form1 form;
    form.mnuVeltraSite->trigger(); // no browser under the offscreen platform
    QCOMPARE(sandbox.boxes.texts(),
             QStringList{"Could not start a web browser for https://www.veltra.net/."});
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("https", &catcher, "open");
    form.mnuVeltraSite->trigger();
    QDesktopServices::unsetUrlHandler("https");
    QCOMPARE(catcher.opened, QList<QUrl>{QUrl("https://www.veltra.net/")});
    QCOMPARE(sandbox.boxes.boxes.size(), 1);
}

QTEST_MAIN(TestMenus)
#include "tst_menus.moc"
