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

// The one rule for names typed into the contact list's dialogs: contacts.dat has no escaping,
// so a name must read back unchanged. Warns and returns false otherwise.
bool acceptableName(const QString& name);

} // namespace kivo
