// SPDX-License-Identifier: GPL-3.0-or-later
#include "ContactCommands.h"

#include "ContactTree.h"
#include "ContactTreeView.h"
#include "MessageBoxes.h"
#include "frmAddCategory.h"
#include "frmSelectCategory.h"

#include <QAction>
#include <QLineEdit>

namespace kivo {

ContactCommands::ContactCommands(ContactTree& tree, ContactTreeView& view, QWidget* dialogParent)
    : QObject(dialogParent)
    , tree_(tree)
    , view_(view)
    , dialogParent_(dialogParent) {
    connect(view.mnuAddCategory, &QAction::triggered, this, &ContactCommands::mnuAddCategory_Click);
    connect(view.mnuDeleteCategory, &QAction::triggered, this,
            &ContactCommands::mnuDeleteCategory_Click);
    connect(view.mnuAddContact, &QAction::triggered, this, &ContactCommands::mnuAddContact_Click);
    connect(view.mnuDeleteContact, &QAction::triggered, this,
            &ContactCommands::mnuDeleteContact_Click);
}

void ContactCommands::mnuAddCategory_Click() {
    frmAddCategory dialog(dialogParent_);
    dialog.exec();
    if (!dialog.Confirmed)
        return;
    tree_.addNewCategory(dialog.CategoryName);
    tree_.UpdateCategoryCounts();
    tree_.SaveContacts();
}

void ContactCommands::mnuDeleteCategory_Click() {
    ContactNode* node = view_.SelectedItem();
    if (!node)
        return;
    if (node->Key == ContactTree::GeneralKey) {
        warn(tr("You cannot delete the General category!"));
        return;
    }
    if (node->isCategory())
        tree_.removeAfterAsking(node);
}

bool ContactCommands::addContact(const QString& name) {
    frmSelectCategory dialog(dialogParent_);
    dialog.FillCategories(tree_);
    dialog.txtContactName->setText(name);
    dialog.exec();
    if (!dialog.Confirmed)
        return false;
    if (tree_.ContactExists(dialog.ContactName)) {
        warn(tr("A contact with this name already exists!"));
        return false;
    }
    tree_.addNewContact(tree_.node(dialog.SelectedCategoryKey), dialog.ContactName);
    tree_.UpdateCategoryCounts();
    tree_.SaveContacts();
    return true;
}

void ContactCommands::mnuDeleteContact_Click() {
    ContactNode* node = view_.ContextNode;
    if (!node || node->isCategory())
        return;
    // Removing the node also clears ContextNode (the view forgets removed nodes).
    tree_.removeAfterAsking(node);
}

} // namespace kivo
