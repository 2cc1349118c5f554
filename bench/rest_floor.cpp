// SPDX-License-Identifier: GPL-3.0-or-later
// The floor for memory at rest: a plain Qt widgets program with the windows Kivo shows in a
// room and at their sizes: a main window with a menu bar and a tree, and a room window with a
// transcript, a name list and a focused line edit. It runs until it is ended.
#include <QApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget main;
    main.setWindowTitle(QStringLiteral("Floor"));
    auto* mainLayout = new QVBoxLayout(&main);
    auto* menus = new QMenuBar(&main);
    for (const char* name : {"&File", "&Tools", "&Help"})
        menus->addMenu(QString::fromLatin1(name))->addAction(QStringLiteral("&Item"));
    mainLayout->setMenuBar(menus);
    auto* tree = new QTreeWidget(&main);
    tree->setHeaderHidden(true);
    auto* category = new QTreeWidgetItem(tree, {QStringLiteral("General (2)")});
    new QTreeWidgetItem(category, {QStringLiteral("bob")});
    new QTreeWidgetItem(category, {QStringLiteral("carl")});
    tree->expandAll();
    mainLayout->addWidget(tree);
    main.resize(449, 300);
    main.show();

    QWidget room;
    room.setWindowTitle(QStringLiteral("Floor Room"));
    auto* roomLayout = new QVBoxLayout(&room);
    auto* row = new QHBoxLayout;
    auto* transcript = new QPlainTextEdit(&room);
    transcript->setReadOnly(true);
    transcript->setPlainText(QStringLiteral("*** You joined the room."));
    row->addWidget(transcript, 1);
    auto* names = new QListWidget(&room);
    names->addItem(QStringLiteral("ann"));
    row->addWidget(names);
    roomLayout->addLayout(row);
    auto* message = new QLineEdit(&room);
    roomLayout->addWidget(message);
    room.resize(392, 310);
    room.show();
    message->setFocus();
    return QApplication::exec();
}
