// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

namespace kivo {

class ContactTree;
class ContactTreeView;

// The four commands that change the contact list. Each completed change ends with the
// recount and the save, so the file always matches the tree.
class ContactCommands : public QObject {
    Q_OBJECT
public:
    ContactCommands(ContactTree& tree, ContactTreeView& view, QWidget* dialogParent);

    void mnuAddCategory_Click();
    void mnuDeleteCategory_Click();
    void mnuAddContact_Click() { addContact({}); }
    // The dialog with this name filled in; whether a contact was added.
    bool addContact(const QString& name);
    void mnuDeleteContact_Click();

private:
    ContactTree& tree_;
    ContactTreeView& view_;
    QWidget* dialogParent_;
};

} // namespace kivo
