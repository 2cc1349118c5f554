// SPDX-License-Identifier: GPL-3.0-or-later
#include "ContactTree.h"
#include "TestSupport.h"

#include <QDir>
#include <QTest>

using namespace kivo;

namespace {

// "key|text|parent key" for every node, in the node collection's order.
QStringList dump(const ContactTree& tree) {
    QStringList lines;
    for (const auto& node : tree.nodes())
        lines.append(node->Key + u'|' + node->Text + u'|' +
                     (node->Parent ? node->Parent->Key : QString("-")));
    return lines;
}

} // namespace

class TestContactTree : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void exampleFileByteForByte();
    void saveThenLoadReproducesTheTree();
    void badLinesAreSkipped();
    void unloadedLinesAreKeptInACopyBeforeTheFirstSave();
    void everyLineThatReadsBackIsKept();
    void keySuffixesComeFromNodeKeyExists();
    void bareName_data();
    void bareName();
    void findContactNodeIgnoresCase();
    void removingACategoryTakesItsContacts();
    void namesThatWouldNotReadBackAreRefused();
    void unreadableFileIsNeverWrittenOver();
};

void TestContactTree::exampleFileByteForByte() {
    test::Sandbox sandbox;
    ContactTree tree;
    ContactNode* general = tree.addGeneralCategory();
    ContactNode* work = tree.addNewCategory("Work");
    tree.addNewContact(work, "alice");
    tree.addNewContact(general, "bob");
    tree.UpdateCategoryCounts();
    QVERIFY(tree.SaveContacts());
    QCOMPARE(sandbox.readFile(ContactTree::FileName),
             QByteArray("C|general|General (1)|\r\n"
                        "C|category_Work|Work (1)|\r\n"
                        "U|category_Work_contact_alice|alice|category_Work\r\n"
                        "U|general_contact_bob|bob|general\r\n"));
}

void TestContactTree::saveThenLoadReproducesTheTree() {
    test::Sandbox sandbox;
    ContactTree tree;
    ContactNode* general = tree.addGeneralCategory();
    ContactNode* friends = tree.addNewCategory("Friends (old)");
    tree.addNewContact(friends, "carl");
    ContactNode* later = tree.addNewCategory(QString::fromUtf8("Zoë's"));
    tree.addNewContact(general, " dana");
    tree.addNewContact(later, "eve");
    tree.addNewContact(friends, "fred");
    tree.UpdateCategoryCounts();
    QVERIFY(tree.SaveContacts());

    ContactTree loaded;
    loaded.LoadContacts();
    QCOMPARE(dump(loaded), dump(tree));
    QCOMPARE(loaded.node("category_Friends (old)")->Text, QString("Friends (old) (2)"));
    QCOMPARE(loaded.node("category_Friends (old)")->Children.size(), 2);
    for (ContactNode* category : loaded.categories()) {
        QVERIFY(category->Bold && category->Expanded);
        QCOMPARE(category->Image, ContactTree::ExpandedPicture);
    }
}

void TestContactTree::badLinesAreSkipped() {
    test::Sandbox sandbox;
    sandbox.writeFile(ContactTree::FileName,
                      "C|general|General (9)|\r\n" // counts are taken as stored
                      "X|x|unknown kind|\r\n"
                      "C|two fields\r\n"
                      "U|general_contact_k|three fields\r\n"
                      "U|orphan_contact_o|o|missing\r\n"
                      "C|general|duplicate key|\r\n"
                      "c|lower|lower-case kind|\r\n"
                      "U|general_contact_a|a|general\r\n"
                      "U|general_contact_a|a again|general\r\n"
                      "U|nested|n|general_contact_a\r\n"
                      "C|extra|Extra (0)||more|fields\r\n"
                      "\r\n"
                      "U|extra_contact_b|b|extra|x\r\n");
    ContactTree tree;
    tree.LoadContacts();
    QCOMPARE(dump(tree), (QStringList{"general|General (9)|-", "general_contact_a|a|general",
                                      "extra|Extra (0)|-", "extra_contact_b|b|extra"}));
    QCOMPARE(tree.unloadedLines(), 8); // the empty line held nothing
}

void TestContactTree::unloadedLinesAreKeptInACopyBeforeTheFirstSave() {
    test::Sandbox sandbox;
    const QByteArray original = "C|general|General (1)|\r\n"
                                "U|general_contact_a|a|general\r\n"
                                "U|general_contact_a|a again|general\r\n"
                                "U|nested|n|general_contact_a\r\n";
    sandbox.writeFile(ContactTree::FileName, original);
    {
        ContactTree tree;
        tree.LoadContacts();
        QVERIFY(sandbox.boxes.boxes.isEmpty()); // nothing is lost yet
        tree.addNewCategory("Work");
        QVERIFY(tree.SaveContacts());
        QCOMPARE(sandbox.readFile("contacts.dat.bak"), original);
        QCOMPARE(sandbox.boxes.texts(),
                 QStringList{"2 lines of contacts.dat could not be read and are not in the "
                             "contact list. The original file was kept as " +
                             sandbox.path("contacts.dat.bak") + "."});
        QVERIFY(tree.SaveContacts()); // told once
        QCOMPARE(sandbox.boxes.boxes.size(), 1);
    }
    // An earlier copy is never written over.
    sandbox.writeFile(ContactTree::FileName, "C|general|General (0)|\r\nU|x|y\r\n");
    ContactTree tree;
    tree.LoadContacts();
    QVERIFY(tree.SaveContacts());
    QCOMPARE(sandbox.readFile("contacts.dat.bak"), original);
    QCOMPARE(sandbox.readFile("contacts.dat.bak.1"),
             QByteArray("C|general|General (0)|\r\nU|x|y\r\n"));
    QVERIFY(sandbox.boxes.texts().last().startsWith("One line of contacts.dat could not be read"));
}

void TestContactTree::everyLineThatReadsBackIsKept() {
    test::Sandbox sandbox;
    // Tabs and other characters are content; a line added by a Windows editor is read as
    // Windows-1252 without changing how the UTF-8 lines read.
    sandbox.writeFile(ContactTree::FileName, "C|general|General (3)|\r\n"
                                             "U|general_contact_a\tb|a\tb|general\r\n"
                                             "U|general_contact_Jos\xC3\xA9|Jos\xC3\xA9|general\r\n"
                                             "U|general_contact_Zo\xEB|Zo\xEB|general\r\n");
    ContactTree tree;
    tree.LoadContacts();
    QCOMPARE(tree.unloadedLines(), 0);
    QVERIFY(tree.FindContactNode(QString::fromUtf8("josé")));
    QVERIFY(tree.FindContactNode(QString::fromUtf8("Zoë")));
    tree.addNewCategory("Work");
    tree.UpdateCategoryCounts();
    QVERIFY(tree.SaveContacts());
    QCOMPARE(sandbox.readFile(ContactTree::FileName),
             QByteArray("C|general|General (3)|\r\n"
                        "U|general_contact_a\tb|a\tb|general\r\n"
                        "U|general_contact_Jos\xC3\xA9|Jos\xC3\xA9|general\r\n"
                        "U|general_contact_Zo\xC3\xAB|Zo\xC3\xAB|general\r\n"
                        "C|category_Work|Work (0)|\r\n"));
    QVERIFY(!sandbox.exists("contacts.dat.bak"));
    QVERIFY(sandbox.boxes.boxes.isEmpty());
}

void TestContactTree::keySuffixesComeFromNodeKeyExists() {
    ContactTree tree;
    ContactNode* general = tree.addGeneralCategory();
    ContactNode* work1 = tree.addNewCategory("Work");
    ContactNode* work2 = tree.addNewCategory("Work");
    ContactNode* work3 = tree.addNewCategory("Work");
    QCOMPARE(work1->Key, QString("category_Work"));
    QCOMPARE(work2->Key, QString("category_Work_1"));
    QCOMPARE(work3->Key, QString("category_Work_2"));
    tree.addNewContact(work2, "x");
    tree.UpdateCategoryCounts();
    QCOMPARE(QStringList({work1->Text, work2->Text, work3->Text}),
             QStringList({"Work (0)", "Work (1)", "Work (0)"}));

    // A category whose key happens to be the contact's: the contact takes the next one.
    tree.addCategory("general_contact_bob", "odd (0)");
    QCOMPARE(tree.addNewContact(general, "bob")->Key, QString("general_contact_bob_1"));
    QVERIFY(tree.NodeKeyExists("general_contact_bob_1"));
    QVERIFY(!tree.NodeKeyExists("General_contact_bob_1"));
}

void TestContactTree::bareName_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("bare");
    QTest::newRow("counted") << "Work (2)"
                             << "Work";
    QTest::newRow("parentheses in the name") << "Friends (old) (1)"
                                             << "Friends (old)";
    QTest::newRow("no count") << "Plain"
                              << "Plain";
    QTest::newRow("first character") << "(3)"
                                     << "";
    QTest::newRow("second character") << "a(3)"
                                      << "";
    QTest::newRow("no space before") << "ab(3)"
                                     << "a";
}

void TestContactTree::bareName() {
    QFETCH(QString, text);
    QFETCH(QString, bare);
    QCOMPARE(ContactTree::bareName(text), bare);
}

void TestContactTree::findContactNodeIgnoresCase() {
    ContactTree tree;
    ContactNode* general = tree.addGeneralCategory();
    ContactNode* work = tree.addNewCategory("alice"); // a category is never found
    ContactNode* alice = tree.addNewContact(work, "alice");
    tree.addNewContact(general, "bob");
    QCOMPARE(tree.FindContactNode("ALICE"), alice);
    QVERIFY(tree.ContactExists("Bob"));
    QVERIFY(!tree.ContactExists("bob "));
    QVERIFY(!tree.ContactExists("general"));
}

void TestContactTree::removingACategoryTakesItsContacts() {
    test::Sandbox sandbox;
    ContactTree tree;
    tree.addGeneralCategory();
    ContactNode* work = tree.addNewCategory("Work");
    for (const char* name : {"a", "b", "c"})
        tree.addNewContact(work, name);
    tree.remove(work);
    QCOMPARE(tree.nodes().size(), size_t(1));
    QVERIFY(!tree.NodeKeyExists("category_Work_contact_a"));
    tree.UpdateCategoryCounts();
    QVERIFY(tree.SaveContacts());
    QCOMPARE(sandbox.readFile(ContactTree::FileName), QByteArray("C|general|General (0)|\r\n"));
}

void TestContactTree::namesThatWouldNotReadBackAreRefused() {
    ContactTree tree;
    ContactNode* general = tree.addGeneralCategory();
    QVERIFY(!tree.addNewCategory("a|b"));
    QVERIFY(!tree.addNewContact(general, "line\nbreak"));
    QVERIFY(!tree.addNewContact(general, "cr\r"));
    QCOMPARE(tree.nodes().size(), size_t(1));
}

void TestContactTree::unreadableFileIsNeverWrittenOver() {
    test::Sandbox sandbox;
    QDir(sandbox.path(".")).mkdir(ContactTree::FileName);
    ContactTree tree;
    tree.LoadContacts();
    QVERIFY(tree.nodes().empty());
    QVERIFY(tree.fileProtected());
    QCOMPARE(sandbox.boxes.boxes.size(), 1);
    QVERIFY(sandbox.boxes.boxes[0].text.startsWith("Could not read contacts.dat"));
    tree.addGeneralCategory();
    QVERIFY(!tree.SaveContacts());
    QCOMPARE(sandbox.boxes.boxes.size(), 2);
    QVERIFY(QFileInfo(sandbox.path(ContactTree::FileName)).isDir());
}

QTEST_GUILESS_MAIN(TestContactTree)
#include "tst_contacttree.moc"
