// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmAddUserToIgnore.h"

#include "Input.h"
#include "MessageBoxes.h"
#include "Text.h"
#include "Twips.h"

#include <QLineEdit>
#include <QPushButton>

namespace kivo {

frmAddUserToIgnore::frmAddUserToIgnore(QWidget* parent)
    : Dialog(parent) {
    setObjectName(QStringLiteral("frmAddUserToIgnore"));
    setWindowTitle(tr("Add User"));
    setClientSizeTwips(4590, 990);
    txtUsername = placed(new QLineEdit(this), "txtUsername", {120, 120, 4335, 285});
    txtUsername->setAccessibleName(tr("User name")); // no label in the design
    cmdOK = addButton("cmdOK", tr("OK"), {2760, 480, 615, 375});
    cmdCancel = addButton("cmdCancel", tr("Cancel"), {3480, 480, 975, 375});
    setTabOrder(cmdOK, cmdCancel);
    setTabOrder(cmdCancel, txtUsername);

    connect(cmdOK, &QPushButton::clicked, this, &frmAddUserToIgnore::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmAddUserToIgnore::cmdCancel_Click);
    onEnterKey(txtUsername, [this] { cmdOK_Click(); });
}

void frmAddUserToIgnore::showEvent(QShowEvent* event) {
    Dialog::showEvent(event);
    Form_Activate();
}

void frmAddUserToIgnore::Form_Activate() {
    txtUsername->clear();
    txtUsername->setFocus();
    AddedUser.clear();
}

void frmAddUserToIgnore::cmdOK_Click() {
    const QString name = trimSpaces(txtUsername->text());
    if (name.isEmpty()) {
        warn(tr("Enter username."));
        return;
    }
    if (!acceptSingleLine({name}))
        return;
    AddedUser = name;
    hide();
}

void frmAddUserToIgnore::cmdCancel_Click() {
    AddedUser.clear();
    hide();
}

} // namespace kivo
