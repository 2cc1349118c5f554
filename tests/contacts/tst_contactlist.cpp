// SPDX-License-Identifier: GPL-3.0-or-later
#include "ContactCommands.h"
#include "ContactTreeView.h"
#include "Form1.h"
#include "FormChat.h"
#include "TestSupport.h"
#include "frmAddCategory.h"
#include "frmSelectCategory.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

using namespace kivo;

namespace {

const QByteArray StartFile = "C|general|General (1)|\r\n"
                             "U|general_contact_alice|alice|general\r\n"
                             "C|category_Work|Work (2)|\r\n"
                             "U|category_Work_contact_bob|bob|category_Work\r\n"
                             "U|category_Work_contact_carl|carl|category_Work\r\n"
                             "C|category_x_Contact_y|x_Contact_y (0)|\r\n";

// The main window on screen with a small contact list, used with the mouse and keyboard.
struct Desk {
    test::Sandbox sandbox;
    std::unique_ptr<Form1> form;
    ContactTreeView* tree = nullptr;

    explicit Desk(const QByteArray& contacts = StartFile) {
        sandbox.writeFile("settings.dat", "False\r\n");
        sandbox.writeFile("contacts.dat", contacts);
        form = std::make_unique<Form1>();
        tree = form->tvContacts;
        form->show();
        if (!QTest::qWaitForWindowActive(form.get()))
            qFatal("window not active");
    }
    ContactNode* node(const char* key) const { return form->contacts().node(key); }
    QPoint centreOf(const char* key) const {
        return tree->visualRect(tree->indexFor(node(key))).center();
    }
    void click(const char* key, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(tree->viewport(), button, {}, centreOf(key));
    }
    // What a real double click delivers: press, release, double click, release.
    void doubleClick(const char* key) {
        const QPoint at = centreOf(key);
        QTest::mousePress(tree->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(tree->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(tree->viewport(), Qt::LeftButton, {}, at);
    }
    void clickPicture(const char* key) {
        const QRect row = tree->visualRect(tree->indexFor(node(key)));
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          QPoint(row.left() + 6, row.center().y()));
    }
    void key(const char* nodeKey, Qt::Key k) {
        tree->select(node(nodeKey));
        QTest::keyClick(tree, k);
    }
    QStringList popupStates() const {
        QStringList states;
        for (QAction* action : tree->mnuContactsPopup->actions())
            states.append(action->text() + (action->isEnabled() ? " on" : " off"));
        return states;
    }
    QByteArray file() const { return sandbox.readFile("contacts.dat"); }
};

// Fills in the add-contact dialog when it opens and confirms with Enter in the name box.
void answerAddContact(const QString& name, std::function<void(frmSelectCategory*)> check = {}) {
    test::whenModal([=](QWidget* modal) {
        auto* dialog = qobject_cast<frmSelectCategory*>(modal);
        QVERIFY(dialog);
        if (check)
            check(dialog);
        QTest::keyClicks(dialog->txtContactName, name);
        QTest::keyClick(dialog->txtContactName, Qt::Key_Return);
        if (dialog->isVisible())
            dialog->cmdCancel->click();
    });
}

} // namespace

class TestContactList : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void popupEnablingTable();
    void enterAndDoubleClickOpenChats();
    void deleteKey();
    void aNodeDeletedWhileEventsRunIsNotTouched();
    void linesJoinContactsToTheirCategory();
    void addingContacts();
    void addingCategories();
    void namesThatWouldBreakTheFileAreRefused();
    void deletingFromThePopup();
    void categoryPicturesFollowExpansion();
    void theRowsFollowTheTreeThroughEveryChange();
};

void TestContactList::popupEnablingTable() {
    Desk d;
    const QStringList contact{"Add category off", "Delete category off", "Add contact off",
                              "Delete Contact on"};
    const QStringList general{"Add category on", "Delete category off", "Add contact on",
                              "Delete Contact off"};
    const QStringList category{"Add category on", "Delete category on", "Add contact on",
                               "Delete Contact off"};
    const std::pair<const char*, QStringList> cases[] = {
        {"category_Work_contact_bob", contact},
        {"general", general},
        {"category_Work", category},
        {"category_x_Contact_y", contact}, // a category whose key passes the contact test
    };
    for (const auto& [key, states] : cases) {
        d.click(key, Qt::RightButton);
        QTRY_VERIFY(d.tree->mnuContactsPopup->isVisible());
        QCOMPARE(d.tree->ContextNode, d.node(key));
        QCOMPARE(d.popupStates(), states);
        d.tree->mnuContactsPopup->hide();
    }
    // Delete Contact on that category does nothing: it has no parent.
    d.tree->mnuDeleteContact->trigger();
    QVERIFY(d.sandbox.boxes.boxes.isEmpty());

    d.tree->clearSelection();
    d.tree->tvContacts_MouseDown(Qt::RightButton, QPoint(10, 10));
    QVERIFY(!d.tree->ContextNode);
    QVERIFY(!d.tree->mnuContactsPopup->isVisible());
}

void TestContactList::enterAndDoubleClickOpenChats() {
    Desk d;
    bool sawLogin = false;
    test::whenModal([&](QWidget* modal) {
        sawLogin = qobject_cast<frmLogin*>(modal) != nullptr;
        modal->close();
    });
    d.key("general_contact_alice", Qt::Key_Return); // logged out: the login dialog only
    QVERIFY(sawLogin);
    QCOMPARE(d.form->chats().openCount(), 0);

    d.doubleClick("general_contact_alice"); // no login check
    QVERIFY(d.form->chats().window("alice"));
    d.form->chats().window("alice")->close();

    d.form->connection().LoggedUser = "ann";
    d.key("category_Work_contact_bob", Qt::Key_Return);
    QVERIFY(d.form->chats().window("bob"));
    QCOMPARE(d.form->chats().openCount(), 1);

    d.doubleClick("category_x_Contact_y");
    d.key("category_x_Contact_y", Qt::Key_Return);
    QCOMPARE(d.form->chats().openCount(), 1);
    d.form->chats().closeAll();
}

void TestContactList::deleteKey() {
    Desk d;
    // A key the tree does not consume goes on to the window around it.
    int passedOn = 0;
    test::EventCounter counter(QEvent::KeyPress, [&] { ++passedOn; });
    d.tree->parentWidget()->installEventFilter(&counter);
    d.key("general", Qt::Key_Delete); // refused and not consumed
    QCOMPARE(d.sandbox.boxes.texts(), QStringList{"You cannot delete the General category!"});
    QCOMPARE(passedOn, 1);
    QCOMPARE(d.file(), StartFile);

    d.sandbox.boxes.answers = {false};
    d.key("category_Work", Qt::Key_Delete); // No: consumed all the same
    QCOMPARE(passedOn, 1);
    QCOMPARE(d.sandbox.boxes.texts().last(), QString("Delete category 'Work (2)' ?"));
    QCOMPARE(d.sandbox.boxes.boxes.last().kind, test::ScriptedBoxes::Kind::Question);
    QCOMPARE(d.file(), StartFile);

    d.sandbox.boxes.answers = {true};
    d.key("general_contact_alice", Qt::Key_Delete);
    QCOMPARE(d.sandbox.boxes.texts().last(), QString("Delete contact 'alice' ?"));
    QCOMPARE(d.file(), QByteArray("C|general|General (0)|\r\n"
                                  "C|category_Work|Work (2)|\r\n"
                                  "U|category_Work_contact_bob|bob|category_Work\r\n"
                                  "U|category_Work_contact_carl|carl|category_Work\r\n"
                                  "C|category_x_Contact_y|x_Contact_y (0)|\r\n"));

    d.sandbox.boxes.answers = {true};
    d.key("category_Work", Qt::Key_Delete);
    QCOMPARE(d.file(), QByteArray("C|general|General (0)|\r\n"
                                  "C|category_x_Contact_y|x_Contact_y (0)|\r\n"));
    QCOMPARE(d.tree->model()->rowCount(), 2);
}

void TestContactList::aNodeDeletedWhileEventsRunIsNotTouched() {
    Desk d;
    d.sandbox.boxes.defaultAnswer = true;
    // A Delete waiting in the queue is handled while a click or Enter on the category lets
    // pending events run.
    d.tree->select(d.node("category_Work"));
    QCoreApplication::postEvent(d.tree, new QKeyEvent(QEvent::KeyPress, Qt::Key_Delete, {}));
    d.tree->tvContacts_MouseUp(Qt::LeftButton);
    QVERIFY(!d.node("category_Work"));

    d.tree->select(d.node("category_x_Contact_y"));
    QCoreApplication::postEvent(d.tree, new QKeyEvent(QEvent::KeyPress, Qt::Key_Delete, {}));
    QTest::keyClick(d.tree, Qt::Key_Return);
    QVERIFY(!d.node("category_x_Contact_y"));
    QCOMPARE(d.file(), QByteArray("C|general|General (1)|\r\n"
                                  "U|general_contact_alice|alice|general\r\n"));
}

void TestContactList::linesJoinContactsToTheirCategory() {
    Desk d;
    const QImage shot = d.tree->viewport()->grab().toImage();
    const QColor base = d.tree->palette().color(QPalette::Base);
    const auto inked = [&](const QRect& area) {
        int count = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                count += shot.pixelColor(x * shot.devicePixelRatio(),
                                         y * shot.devicePixelRatio()) != base;
        return count;
    };
    const QRect bob = d.tree->visualRect(d.tree->indexFor(d.node("category_Work_contact_bob")));
    const QRect work = d.tree->visualRect(d.tree->indexFor(d.node("category_Work")));
    // Left of a contact's label: its branch; left of a category's picture: nothing (no root).
    QVERIFY(inked(QRect(bob.left() - d.tree->indentation(), bob.top(), d.tree->indentation(),
                        bob.height())) > bob.height() / 3); // dotted
    QCOMPARE(inked(QRect(0, work.top(), 1, work.height())), 0);
}

void TestContactList::addingContacts() {
    Desk d;
    // From Work's pop-up, General is still the category offered first.
    d.click("category_Work", Qt::RightButton);
    QTRY_VERIFY(d.tree->mnuContactsPopup->isVisible());
    d.tree->mnuContactsPopup->hide();
    answerAddContact("Bob", [](frmSelectCategory* dialog) {
        QCOMPARE(dialog->windowTitle(), QString("Add contact"));
        QCOMPARE(dialog->cmbCategories->currentText(), QString("General"));
        QCOMPARE(dialog->cmbCategories->count(), 3);
        QCOMPARE(dialog->cmbCategories->itemText(1), QString("Work"));
    });
    d.tree->mnuAddContact->trigger();
    QCOMPARE(d.sandbox.boxes.texts(), QStringList{"A contact with this name already exists!"});
    QCOMPARE(d.file(), StartFile);

    answerAddContact(" bob"); // compared as typed: accepted, space kept
    d.form->mnuAddAContact->trigger();
    ContactNode* spaced = d.node("general_contact_ bob");
    QVERIFY(spaced);
    QCOMPARE(spaced->Text, QString(" bob"));
    QCOMPARE(d.node("general")->Text, QString("General (2)"));
    QVERIFY(d.file().endsWith("C|category_x_Contact_y|x_Contact_y (0)|\r\n"
                              "U|general_contact_ bob| bob|general\r\n"));
    QCOMPARE(d.tree->SelectedItem(), d.node("category_Work")); // the selection stays

    // A tree without General offers no category first: OK asks for one.
    Desk bare("C|category_Work|Work (0)|\r\n");
    test::whenModal([](QWidget* modal) {
        auto* dialog = qobject_cast<frmSelectCategory*>(modal);
        QCOMPARE(dialog->cmbCategories->currentIndex(), -1);
        dialog->txtContactName->setText("zed");
        dialog->cmdOK->click();
        QVERIFY(dialog->isVisible());
        dialog->txtContactName->clear();
        dialog->cmbCategories->setCurrentIndex(0);
        dialog->cmdOK->click();
        dialog->cmdCancel->click();
    });
    bare.tree->mnuAddContact->trigger();
    QCOMPARE(bare.sandbox.boxes.texts(),
             (QStringList{"Select a category!", "Enter contact name!"}));
    QCOMPARE(bare.file(), QByteArray("C|category_Work|Work (0)|\r\n"));
}

void TestContactList::addingCategories() {
    Desk d;
    for (const QString& typed : {QString("   "), QString("  Work  ")}) {
        test::whenModal([typed](QWidget* modal) {
            auto* dialog = qobject_cast<frmAddCategory*>(modal);
            QCOMPARE(dialog->windowTitle(), QString("Add Category"));
            QCOMPARE(QApplication::focusWidget(), dialog->txtCategoryName);
            QTest::keyClicks(dialog->txtCategoryName, typed);
            QTest::keyClick(dialog->txtCategoryName, Qt::Key_Return);
            if (dialog->isVisible())
                dialog->cmdCancel->click();
        });
        d.tree->mnuAddCategory->trigger();
    }
    QCOMPARE(d.sandbox.boxes.texts(), QStringList{"Enter category name!"});
    ContactNode* second = d.node("category_Work_1");
    QVERIFY(second);
    QCOMPARE(second->Text, QString("Work (0)"));
    QVERIFY(second->Bold && second->Expanded);
    QCOMPARE(second->Image, 2);
    QCOMPARE(d.file(), StartFile + "C|category_Work_1|Work (0)|\r\n");
    QCOMPARE(d.tree->model()->index(3, 0).data().toString(), QString("Work (0)"));
}

void TestContactList::namesThatWouldBreakTheFileAreRefused() {
    Desk d;
    const QString refusal = "A name cannot contain \"|\", line breaks or other control characters.";
    bool stayedOpen = false;
    test::whenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<frmSelectCategory*>(modal);
        dialog->txtContactName->setText("a|b");
        dialog->cmdOK->click();
        stayedOpen = dialog->isVisible() && dialog->txtContactName->text() == "a|b";
        dialog->txtContactName->setText(QString("tab\there"));
        dialog->cmdOK->click();
        dialog->cmdCancel->click();
    });
    d.form->mnuAddAContact->trigger();
    QVERIFY(stayedOpen);
    test::whenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<frmAddCategory*>(modal);
        dialog->txtCategoryName->setText("x|y");
        dialog->cmdOK->click();
        stayedOpen = dialog->isVisible();
        dialog->cmdCancel->click();
    });
    d.tree->mnuAddCategory->trigger();
    QVERIFY(stayedOpen);
    QCOMPARE(d.sandbox.boxes.texts(), QStringList(3, refusal));
    QCOMPARE(d.file(), StartFile);
}

void TestContactList::deletingFromThePopup() {
    Desk d;
    d.click("category_Work_contact_carl", Qt::RightButton);
    QTRY_VERIFY(d.tree->mnuContactsPopup->isVisible());
    d.tree->mnuContactsPopup->hide();
    d.sandbox.boxes.answers = {false, true};
    d.tree->mnuDeleteContact->trigger();
    QCOMPARE(d.file(), StartFile);
    QCOMPARE(d.tree->ContextNode, d.node("category_Work_contact_carl"));
    d.tree->mnuDeleteContact->trigger();
    QCOMPARE(d.sandbox.boxes.texts(), QStringList(2, "Delete contact 'carl' ?"));
    QVERIFY(!d.tree->ContextNode);
    QCOMPARE(d.node("category_Work")->Text, QString("Work (1)"));
    QVERIFY(!d.file().contains("carl"));

    d.tree->select(d.node("general"));
    d.form->contactCommands->mnuDeleteCategory_Click(); // General: refused
    d.click("category_Work", Qt::RightButton);
    d.tree->mnuContactsPopup->hide();
    d.sandbox.boxes.answers = {true};
    d.tree->mnuDeleteCategory->trigger();
    QCOMPARE(d.sandbox.boxes.texts().mid(2), (QStringList{"You cannot delete the General category!",
                                                          "Delete category 'Work (1)' ?"}));
    QCOMPARE(d.file(), QByteArray("C|general|General (1)|\r\n"
                                  "U|general_contact_alice|alice|general\r\n"
                                  "C|category_x_Contact_y|x_Contact_y (0)|\r\n"));
}

void TestContactList::categoryPicturesFollowExpansion() {
    Desk d;
    ContactNode* work = d.node("category_Work");
    d.clickPicture("category_Work");
    QVERIFY(!work->Expanded);
    QCOMPARE(work->Image, 1);
    QVERIFY(!d.tree->isExpanded(d.tree->indexFor(d.node("category_Work"))));
    d.clickPicture("category_Work");
    QVERIFY(work->Expanded);
    QCOMPARE(work->Image, 2);

    d.doubleClick("category_Work"); // on the label: the tree's own toggle
    QVERIFY(!work->Expanded);
    QCOMPARE(work->Image, 1);

    d.key("category_Work", Qt::Key_Right); // by keyboard: the picture waits for Enter
    QVERIFY(work->Expanded);
    QCOMPARE(work->Image, 1);
    QTest::keyClick(d.tree, Qt::Key_Return);
    QCOMPARE(work->Image, 2);
    QCOMPARE(d.tree->indexFor(work).data(Qt::DecorationRole).value<QIcon>().cacheKey(),
             ContactTreeView::ImageList1()[1].cacheKey());
    QCOMPARE(d.node("general_contact_alice")->Image, 0);
}

void TestContactList::theRowsFollowTheTreeThroughEveryChange() {
    Desk d;
    QAbstractItemModelTester tester(d.tree->model(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    ContactTree& tree = d.form->contacts();
    // Every node is the row the view shows for it, with its label, and nothing else is.
    const auto rowsMatch = [&] {
        int rows = 0;
        for (ContactNode* category : tree.categories())
            rows += 1 + d.tree->model()->rowCount(d.tree->indexFor(category));
        QCOMPARE(rows, static_cast<int>(tree.nodes().size()));
        for (const auto& node : tree.nodes()) {
            const QModelIndex index = d.tree->indexFor(node.get());
            QCOMPARE(ContactTreeView::nodeFor(index), node.get());
            QCOMPARE(index.data().toString(), node->Text);
            QCOMPARE(ContactTreeView::nodeFor(index.parent()), node->Parent);
        }
    };
    d.tree->select(d.node("category_Work_contact_carl"));
    ContactNode* team = tree.addNewCategory("Team");
    tree.addNewContact(team, "dora");
    tree.addNewContact(d.node("category_Work"), "erin");
    tree.UpdateCategoryCounts();
    rowsMatch();
    QVERIFY(d.tree->visualRect(d.tree->indexFor(d.node("category_Team_contact_dora"))).isValid());

    // Rows removed before the selected one leave the selection on the same contact.
    tree.remove(d.node("category_Work_contact_bob"));
    tree.remove(d.node("general"));
    rowsMatch();
    QCOMPARE(d.tree->SelectedItem(), d.node("category_Work_contact_carl"));
    QCOMPARE(d.tree->currentIndex(), d.tree->indexFor(d.node("category_Work_contact_carl")));

    tree.SaveContacts();
    tree.LoadContacts();
    rowsMatch();
    QVERIFY(d.tree->isExpanded(d.tree->indexFor(d.node("category_Team"))));
    tree.clear();
    QCOMPARE(d.tree->model()->rowCount(), 0);
}

QTEST_MAIN(TestContactList)
#include "tst_contactlist.moc"
