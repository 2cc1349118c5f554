// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader and a keyboard user get: every control named, the pop-up menu of the
// contact tree reachable from the keyboard.
#include "ChatRegistry.h"
#include "Colours.h"
#include "ConnectionController.h"
#include "ContactTreeView.h"
#include "Form1.h"
#include "FormChat.h"
#include "TestSupport.h"
#include "TranscriptFormat.h"
#include "frmAbout.h"
#include "frmAddCategory.h"
#include "frmAddUserToIgnore.h"
#include "frmDetails.h"
#include "frmIgnoreList.h"
#include "frmJoinConference.h"
#include "frmSelectCategory.h"

#include <QAccessible>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

using namespace kivo;

namespace {

// The controls a keyboard user can reach that a screen reader would announce without a name.
QStringList unnamed(QWidget* window) {
    QStringList names;
    for (QWidget* control : window->findChildren<QWidget*>()) {
        if (!(control->focusPolicy() & Qt::TabFocus) || control->isHidden() ||
            control->objectName().startsWith("qt_"))
            continue;
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
        if (!accessible || accessible->text(QAccessible::Name).trimmed().isEmpty())
            names.append(window->objectName() + "." + control->objectName());
    }
    return names;
}

// No login at start, and two categories: General and Work.
struct TwoCategories {
    test::Sandbox sandbox;
    TwoCategories() {
        sandbox.writeFile("settings.dat", "False\r\n");
        sandbox.writeFile("contacts.dat",
                          "C|general|General (0)|\r\nC|category_Work|Work (0)|\r\n");
    }
};

// The main window shown over them.
struct MainWindow : TwoCategories {
    Form1 form;
    MainWindow() { form.show(); }
};

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyControlHasAName();
    void labelsNameTheirBoxes();
    void theKeyboardOpensTheTreesMenu();
    void describedColoursReadOnLightAndDark_data();
    void describedColoursReadOnLightAndDark();
    void theTranscriptIsReadBeforeTheInputLine();
    void theTreeTellsItsCurrentItemWithTheFocus();
    void aScreenReaderUserReadsTheConversationWithACaret();
    void newLinesAreSaidWhereTheUserIs();
};

void TestAccessibility::everyControlHasAName() {
    test::Sandbox sandbox;
    sandbox.writeFile("settings.dat", "False\r\n");
    Form1 form;
    frmLogin login(form.connection(), &form);
    frmDetails details;
    frmJoinConference join(form.chats());
    frmSelectCategory selectCategory;
    frmAddCategory addCategory;
    frmIgnoreList ignoreList(form.connection(), &form);
    frmAddUserToIgnore addUser(&ignoreList);
    frmAbout about(&form);
    FormChat* chat = form.OpenChatWindow("bob");
    QStringList missing;
    for (QWidget* window :
         std::initializer_list<QWidget*>{&form, &login, &details, &join, &selectCategory,
                                         &addCategory, &ignoreList, &addUser, &about, chat})
        missing += unnamed(window);
    QCOMPARE(missing, QStringList());
}

void TestAccessibility::labelsNameTheirBoxes() {
    test::Sandbox sandbox;
    ConnectionController connection;
    frmLogin login(connection, nullptr);
    QCOMPARE(QAccessible::queryAccessibleInterface(login.txtHost)->text(QAccessible::Name),
             QString("Host:"));
    QCOMPARE(login.Label2[0]->buddy(), login.txtPassword);
}

void TestAccessibility::theKeyboardOpensTheTreesMenu() {
    MainWindow main;
    Form1& form = main.form;
    QVERIFY(QTest::qWaitForWindowActive(&form));
    ContactTreeView* tree = form.tvContacts;
    tree->setFocus();
    tree->select(form.contacts().node("category_Work"));
    QTest::keyClick(tree, Qt::Key_Menu);
    QTRY_VERIFY(tree->mnuContactsPopup->isVisible());
    QCOMPARE(tree->ContextNode, form.contacts().node("category_Work"));
    QVERIFY(tree->mnuDeleteCategory->isEnabled());
    tree->mnuContactsPopup->hide();
    tree->select(form.contacts().node("general"));
    QTest::keyClick(tree, Qt::Key_F10, Qt::ShiftModifier);
    QTRY_VERIFY(tree->mnuContactsPopup->isVisible());
    QVERIFY(!tree->mnuDeleteCategory->isEnabled());
    QVERIFY(tree->mnuAddCategory->isEnabled());
    tree->mnuContactsPopup->hide();
}

void TestAccessibility::describedColoursReadOnLightAndDark_data() {
    QTest::addColumn<bool>("dark");
    QTest::newRow("light palette") << false;
    QTest::newRow("dark palette") << true;
}

void TestAccessibility::describedColoursReadOnLightAndDark() {
    QFETCH(bool, dark);
    const QPalette original = QApplication::palette();
    QPalette palette = original;
    if (dark) {
        palette.setColor(QPalette::Base, QColor(0x24, 0x24, 0x24));
        palette.setColor(QPalette::Window, QColor(0x35, 0x35, 0x35));
        palette.setColor(QPalette::Text, QColor(0xEE, 0xEE, 0xEE));
        palette.setColor(QPalette::WindowText, QColor(0xEE, 0xEE, 0xEE));
    }
    QApplication::setPalette(palette);
    auto restore = qScopeGuard([&] { QApplication::setPalette(original); });

    test::Sandbox sandbox;
    sandbox.writeFile("settings.dat", "False\r\n");
    sandbox.writeFile("contacts.dat",
                      "C|general|General (1)|\r\nU|general_contact_bob|bob|general\r\n");
    Form1 form;
    form.connection().LoggedUser = "ann";
    FormChat* chat = form.OpenChatWindow("bob");
    chat->ReceiveMessage("ann", "own");
    chat->ReceiveMessage("bob", "other");
    chat->ReceiveMessage("bob", "*** system");
    const QColor base = chat->txtChat->palette().color(QPalette::Base);
    const QModelIndex bob = form.tvContacts->indexFor(form.contacts().node("general_contact_bob"));
    const QColor treeBase = form.tvContacts->palette().color(QPalette::Base);

    // Each described role: its colour, what is shown, and on what.
    struct Role {
        const char* name;
        QColor described;
        QColor shown;
        QColor background;
    };
    const auto runColour = [&](const QString& text) {
        for (const QString& run : test::transcriptRuns(chat)) {
            if (run.startsWith(text + " {"))
                return QColor(run.mid(text.size() + 2, 7));
        }
        return QColor();
    };
    QList<Role> roles{{"time stamp", QColor(150, 150, 150), runColour("[09:05:07] "), base},
                      {"own name", QColor(0, 0, 255), runColour("<ann> "), base},
                      {"other name", QColor(255, 0, 0), runColour("<bob> "), base},
                      {"text", QColor(0, 0, 0), runColour("own"), base},
                      {"system line", QColor(0, 0, 0), runColour("*** system"), base},
                      {"contact", QColor(0, 0, 0),
                       bob.data(Qt::ForegroundRole).value<QBrush>().color(), treeBase},
                      {"connection state", QColor(0, 0, 192),
                       form.lblConnectionState->palette().color(QPalette::WindowText),
                       form.lblConnectionState->palette().color(QPalette::Window)}};
    // A stored line: grey, yet readable on light and dark alike.
    chat->transcript().appendHistory({{.time = 0, .text = "stored"}});
    const QColor stored = runColour("stored");
    QVERIFY(contrastRatio(stored, base) >= (dark ? 7 : 4.5));
    form.StartBlinkContact(form.contacts().node("general_contact_bob"));
    form.blink().tmrBlink_Timer();
    roles.append({"blinking contact", QColor(255, 0, 0),
                  bob.data(Qt::ForegroundRole).value<QBrush>().color(), treeBase});

    for (const Role& role : roles) {
        if (!dark) {
            QCOMPARE(role.shown, role.described);
            continue;
        }
        QVERIFY2(contrastRatio(role.shown, role.background) >= 7, role.name);
        QCOMPARE(role.shown.hslHue(), role.described.hslHue());
    }
    chat->close();
}

void TestAccessibility::theTranscriptIsReadBeforeTheInputLine() {
    test::Sandbox sandbox;
    ConnectionController connection;
    ChatRegistry chats(connection);
    FormChat* chat = chats.OpenChatWindow("bob");
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(chat);
    const auto indexOf = [&](QWidget* widget) {
        return window->indexOfChild(QAccessible::queryAccessibleInterface(widget));
    };
    QVERIFY(indexOf(chat->txtChat) >= 0);
    QVERIFY(indexOf(chat->txtChat) < indexOf(chat->txtMessage));
    QVERIFY(indexOf(chat->txtMessage) < indexOf(chat->cmdSend));
    chat->close();
}

void TestAccessibility::theTreeTellsItsCurrentItemWithTheFocus() {
    MainWindow main;
    Form1& form = main.form;
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.tvContacts->select(form.contacts().node("category_Work"));
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    // What a screen reader hears named with the focus.
    static QStringList focused;
    focused.clear();
    const auto previous = QAccessible::installUpdateHandler([](QAccessibleEvent* event) {
        if (event->type() == QAccessible::Focus && event->accessibleInterface())
            focused << event->accessibleInterface()->text(QAccessible::Name);
    });
    QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
    const auto restore = qScopeGuard([&] {
        QAccessible::installUpdateHandler(previous);
        QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(false);
    });
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QCOMPARE(QApplication::focusWidget(), form.tvContacts);
    // Named after the tree itself, or a reader would end on "Contacts tree".
    QTRY_COMPARE(focused.last(), QString("Work (0)"));
}

namespace {

// Stands for a screen reader: switches accessibility on and hears what Kivo tells it.
struct ScreenReader {
    static inline QList<int> carets;
    static inline QStringList notices;
    QAccessible::UpdateHandler previous;

    ScreenReader() {
        carets.clear();
        notices.clear();
        previous = QAccessible::installUpdateHandler([](QAccessibleEvent* event) {
            if (event->type() == QAccessible::TextCaretMoved)
                carets << static_cast<QAccessibleTextCursorEvent*>(event)->cursorPosition();
            QAccessibleInterface* object = event->accessibleInterface();
            if (event->type() == QAccessible::ObjectShow && object &&
                object->role() == QAccessible::Notification)
                notices << object->text(QAccessible::Name);
        });
        QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
    }
    ~ScreenReader() {
        QAccessible::installUpdateHandler(previous);
        QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(false);
    }
};

} // namespace

void TestAccessibility::aScreenReaderUserReadsTheConversationWithACaret() {
    test::Sandbox sandbox;
    ConnectionController connection;
    ChatRegistry chats(connection);
    FormChat* chat = chats.OpenChatWindow("bob");
    const auto closing = qScopeGuard([&] { chats.closeAll(); });
    chat->show();
    QVERIFY(QTest::qWaitForWindowActive(chat));
    for (const char* line : {"one", "two words here", "three"})
        chat->transcript().appendPlainLine(line);
    const auto shown = [&](int index) {
        return TranscriptFormat::shown(chat->transcript().line(index)).text;
    };
    const QString whole = shown(0) + u'\n' + shown(1) + u'\n' + shown(2);

    // Without a screen reader the transcript gives the keyboard back at once.
    QTest::keyClick(chat->txtMessage, Qt::Key_Tab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), chat->txtMessage);

    ScreenReader reader;
    QTest::keyClick(chat->txtMessage, Qt::Key_Tab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), chat->txtChat);
    QAccessibleTextInterface* text =
        QAccessible::queryAccessibleInterface(chat->txtChat)->textInterface();
    // On the newest line, which Up leaves for the one before, read as a line.
    QCOMPARE(text->cursorPosition(), static_cast<int>(whole.lastIndexOf(u'\n') + 1));
    QTest::keyClick(chat->txtChat, Qt::Key_Up);
    const int second = static_cast<int>(whole.indexOf(shown(1)));
    QCOMPARE(ScreenReader::carets, QList<int>{second});
    int start = 0;
    int end = 0;
    QCOMPARE(text->textAtOffset(second, QAccessible::LineBoundary, &start, &end), shown(1) + u'\n');
    QCOMPARE(text->textBeforeOffset(second, QAccessible::LineBoundary, &start, &end),
             shown(0) + u'\n');
    QCOMPARE(text->textAfterOffset(second, QAccessible::LineBoundary, &start, &end), shown(2));
    // By word, then to the line's end selecting, copied.
    const int words = static_cast<int>(shown(1).indexOf("two"));
    while (text->cursorPosition() < second + words)
        QTest::keyClick(chat->txtChat, Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(text->cursorPosition(), second + words);
    QTest::keyClick(chat->txtChat, Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(text->textAtOffset(text->cursorPosition(), QAccessible::WordBoundary, &start, &end),
             QString("words"));
    QTest::keyClick(chat->txtChat, Qt::Key_End, Qt::ShiftModifier);
    QCOMPARE(chat->txtChat->selectedText(), QString("words here"));
    QTest::keyClick(chat->txtChat, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("words here"));
    // Right at a line's end goes on to the next line; Ctrl+Home to the very start.
    QTest::keyClick(chat->txtChat, Qt::Key_Right);
    QCOMPARE(text->cursorPosition(), static_cast<int>(whole.lastIndexOf(u'\n') + 1));
    QTest::keyClick(chat->txtChat, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(text->cursorPosition(), 0);
    // Escape goes back to the message line, with nothing recalled into it.
    QTest::keyClick(chat->txtChat, Qt::Key_Escape);
    QCOMPARE(QApplication::focusWidget(), chat->txtMessage);
    QVERIFY(chat->isVisible());
    QCOMPARE(chat->txtMessage->text(), QString());
    // A click still gives the keyboard to the message line.
    QTest::mouseClick(chat->txtChat->viewport(), Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), chat->txtMessage);
}

void TestAccessibility::newLinesAreSaidWhereTheUserIs() {
    test::Sandbox sandbox;
    ConnectionController connection;
    connection.LoggedUser = "ann";
    ChatRegistry chats(connection);
    const auto closing = qScopeGuard([&] { chats.closeAll(); });
    FormChat* bob = chats.OpenChatWindow("bob");
    FormChat* room = chats.openConference("general");
    bob->show();
    room->show();
    room->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(room));
    ScreenReader reader;
    // A private line in the background is said; a flood is said a few lines at a time.
    for (int i = 0; i < 10; ++i)
        bob->ReceiveMessage("bob", QString("line %1").arg(i));
    bob->ReceiveMessage("ann", "mine");
    QCOMPARE(ScreenReader::notices, QStringList{"bob: line 0"});
    QTRY_COMPARE(ScreenReader::notices.size(), 2);
    QCOMPARE(ScreenReader::notices.last(),
             QString("6 more lines.\nbob: line 7\nbob: line 8\nbob: line 9"));
    // Lines in the room where the user is are said; in a room in the background they are not.
    room->transcript().appendConferenceLine("carl: hello", "ann");
    QTRY_COMPARE(ScreenReader::notices.size(), 3);
    QCOMPARE(ScreenReader::notices.last(), QString("carl: hello"));
    bob->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(bob));
    room->transcript().appendConferenceLine("carl: again", "ann");
    QTest::qWait(2 * SpokenLines::Gap);
    QCOMPARE(ScreenReader::notices.size(), 3);
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
