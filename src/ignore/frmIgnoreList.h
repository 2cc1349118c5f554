// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QWidget>

class QListWidget;
class QPushButton;

namespace kivo {

class ConnectionController;
class frmAddUserToIgnore;

// The server's ignore list: asked for when the window opens, then edited here and on the
// server with one command per change.
class frmIgnoreList : public QWidget {
    Q_OBJECT
public:
    frmIgnoreList(ConnectionController& connection, QWidget* owner);

    QListWidget* lstIgnore;
    QPushButton* cmdAdd;
    QPushButton* cmdRemove;
    QPushButton* cmdClear;
    QPushButton* cmdOK;

    // The server's list reply ("Ignore list: a, b") and its empty reply.
    void showList(const QString& message);
    void showEmptyList();
    // Asks the server for the list (on opening, and again after a reconnection).
    void requestList();

    frmAddUserToIgnore* addUserDialog();

    void cmdAdd_Click();
    void cmdRemove_Click();
    void cmdClear_Click();
    void cmdOK_Click();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Form_Load();
    void Form_Resize();
    void lstIgnore_Click();
    // Edits happen only when their command reaches the server; otherwise the user is told.
    bool connectedOrWarn();
    bool sendOrWarn(const QString& command);
    void replaceEntries(const QStringList& names);
    void addEntry(const QString& name);

    ConnectionController& connection_;
    QPointer<frmAddUserToIgnore> addUser_;
};

} // namespace kivo
