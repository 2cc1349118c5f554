// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmSelectCategory.h"

#include "ContactTree.h"
#include "Input.h"
#include "MessageBoxes.h"
#include "Text.h"
#include "Twips.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace kivo {

frmSelectCategory::frmSelectCategory(QWidget* parent)
    : Dialog(parent) {
    setObjectName(QStringLiteral("frmSelectCategory"));
    setWindowTitle(tr("Add contact"));
    setClientSizeTwips(4545, 1410);
    txtContactName = placed(new QLineEdit(this), "txtContactName", {120, 120, 4335, 285});
    cmbCategories = placed(new QComboBox(this), "cmbCategories", {120, 480, 4335, 315});
    // The dialog has no labels: screen readers get the names instead.
    txtContactName->setAccessibleName(tr("Contact name"));
    cmbCategories->setAccessibleName(tr("Category"));
    cmdOK = addButton("cmdOK", tr("OK"), {2760, 960, 615, 375});
    cmdCancel = addButton("cmdCancel", tr("Cancel"), {3480, 960, 975, 375});
    setTabOrder(txtContactName, cmbCategories);
    setTabOrder(cmbCategories, cmdOK);
    setTabOrder(cmdOK, cmdCancel);
    txtContactName->setFocus();

    connect(cmdOK, &QPushButton::clicked, this, &frmSelectCategory::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSelectCategory::cmdCancel_Click);
    onEnterKey(txtContactName, [this] { cmdOK_Click(); });
    centreOnScreen();
}

void frmSelectCategory::FillCategories(const ContactTree& tree) {
    cmbCategories->clear();
    CategoryKeys.clear();
    for (const auto& node : tree.nodes()) {
        if (!node->isCategory())
            continue;
        if (node->Key != ContactTree::GeneralKey && !node->Key.startsWith(u"category"))
            continue;
        cmbCategories->addItem(shownInLine(ContactTree::bareName(node->Text)));
        CategoryKeys.append(node->Key);
    }
    cmbCategories->setCurrentIndex(static_cast<int>(CategoryKeys.indexOf(ContactTree::GeneralKey)));
}

void frmSelectCategory::cmdOK_Click() {
    const int selected = cmbCategories->currentIndex();
    if (selected < 0) {
        warn(tr("Select a category!"));
        return;
    }
    if (isBlank(txtContactName->text())) {
        warn(tr("Enter contact name!"));
        return;
    }
    if (!acceptContactName(txtContactName->text()))
        return;
    SelectedCategoryKey = CategoryKeys.at(selected);
    ContactName = txtContactName->text();
    Confirmed = true;
    hide();
}

void frmSelectCategory::cmdCancel_Click() {
    Confirmed = false;
    hide();
}

} // namespace kivo
