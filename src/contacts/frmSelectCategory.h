// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Dialog.h"

class QComboBox;
class QLineEdit;

namespace kivo {

class ContactTree;

// Asks for a new contact's name and the category to put it in.
class frmSelectCategory : public Dialog {
    Q_OBJECT
public:
    explicit frmSelectCategory(QWidget* parent = nullptr);

    QLineEdit* txtContactName;
    QComboBox* cmbCategories;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

    // Offers the tree's categories (General and the user's own), General selected.
    void FillCategories(const ContactTree& tree);
    QString SelectedCategoryKey;
    QString ContactName; // exactly as typed
    bool Confirmed = false;

    void cmdOK_Click();
    void cmdCancel_Click();

private:
    QStringList CategoryKeys; // parallel to the entries of cmbCategories
};

} // namespace kivo
