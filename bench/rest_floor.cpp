// SPDX-License-Identifier: GPL-3.0-or-later
// The floor for memory at rest: a plain Qt widgets program with the windows Kivo shows in a
// room, at their sizes: a main window with a menu bar (File as Kivo's), a tool bar, a tree and
// a status bar, and a room window with a label, a transcript, a focused line edit and a
// button. It runs until it is ended.
#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QTreeWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QMainWindow main;
    main.setWindowTitle(QStringLiteral("Floor"));
    // The File menu as Kivo's, which the measuring script opens in both.
    QMenu* file = main.menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("&Connect"));
    QAction* autoConnect = file->addAction(QStringLiteral("&Auto-connect"));
    autoConnect->setCheckable(true);
    autoConnect->setChecked(true);
    file->addSeparator();
    file->addAction(QStringLiteral("&Add contact"));
    file->addAction(QStringLiteral("&Join a conference"));
    file->addSeparator();
    file->addAction(QStringLiteral("&Exit"));
    for (const char* name : {"&Tools", "&Help"})
        main.menuBar()->addMenu(QString::fromLatin1(name))->addAction(QStringLiteral("&Item"));
    QToolBar* tools = main.addToolBar(QStringLiteral("Tools"));
    tools->addAction(main.style()->standardIcon(QStyle::SP_FileIcon), QStringLiteral("Add"));
    tools->addAction(main.style()->standardIcon(QStyle::SP_DirIcon), QStringLiteral("Join"));
    auto* tree = new QTreeWidget(&main);
    tree->setHeaderHidden(true);
    auto* category = new QTreeWidgetItem(tree, {QStringLiteral("General (2)")});
    new QTreeWidgetItem(category, {QStringLiteral("bob")});
    new QTreeWidgetItem(category, {QStringLiteral("carl")});
    tree->expandAll();
    main.setCentralWidget(tree);
    main.statusBar()->addWidget(new QLabel(QStringLiteral("Connected!")));
    main.resize(449, 318);
    main.show();

    QWidget room;
    room.setWindowTitle(QStringLiteral("Floor Room"));
    auto* layout = new QGridLayout(&room);
    layout->addWidget(new QLabel(QStringLiteral("general")), 0, 0, 1, 2);
    auto* transcript = new QPlainTextEdit(&room);
    transcript->setReadOnly(true);
    transcript->setPlainText(QStringLiteral("*** ann has joined general"));
    layout->addWidget(transcript, 1, 0, 1, 2);
    auto* message = new QLineEdit(&room);
    layout->addWidget(message, 2, 0);
    layout->addWidget(new QPushButton(QStringLiteral("Send")), 2, 1);
    room.resize(392, 310);
    room.show();
    message->setFocus();
    return QApplication::exec();
}
