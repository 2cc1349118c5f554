// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmAddCategory.h"

#include "Input.h"
#include "MessageBoxes.h"
#include "Text.h"
#include "Twips.h"

#include <QLineEdit>
#include <QPushButton>

namespace kivo {

frmAddCategory::frmAddCategory(QWidget* parent)
    : Dialog(parent) {
    setObjectName(QStringLiteral("frmAddCategory"));
    setWindowTitle(tr("Add Category"));
    setClientSizeTwips(4575, 990);
    txtCategoryName = placed(new QLineEdit(this), "txtCategoryName", {120, 120, 4335, 285});
    txtCategoryName->setAccessibleName(tr("Category name")); // no label in the design
    cmdCancel = addButton("cmdCancel", tr("Cancel"), {3480, 480, 975, 375});
    cmdOK = addButton("cmdOK", tr("OK"), {2760, 480, 615, 375});
    setTabOrder(txtCategoryName, cmdCancel);
    setTabOrder(cmdCancel, cmdOK);

    connect(cmdOK, &QPushButton::clicked, this, &frmAddCategory::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmAddCategory::cmdCancel_Click);
    onEnterKey(txtCategoryName, [this] { cmdOK_Click(); });
    centreOnScreen();
}

void frmAddCategory::showEvent(QShowEvent* event) {
    Dialog::showEvent(event);
    txtCategoryName->setFocus();
}

void frmAddCategory::cmdOK_Click() {
    const QString name = trimSpaces(txtCategoryName->text());
    if (name.isEmpty()) {
        warn(tr("Enter category name!"));
        return;
    }
    if (!acceptContactName(name))
        return;
    CategoryName = name;
    Confirmed = true;
    hide();
}

void frmAddCategory::cmdCancel_Click() {
    Confirmed = false;
    hide();
}

} // namespace kivo
