// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Dialog.h"

class QLineEdit;

namespace kivo {

// Asks for the name of a new category.
class frmAddCategory : public Dialog {
    Q_OBJECT
public:
    explicit frmAddCategory(QWidget* parent = nullptr);

    QLineEdit* txtCategoryName;
    QPushButton* cmdCancel;
    QPushButton* cmdOK;

    QString CategoryName; // trimmed
    bool Confirmed = false;

    void cmdOK_Click();
    void cmdCancel_Click();

protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace kivo
