// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace kivo {

// The About box: version, a short description and a Close button.
class frmAbout : public QWidget {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* owner);

    static QString description();

    QLabel* Label1;
    QPlainTextEdit* Text1;
    QFrame* Line1;
    QPushButton* cmdClose;

    void cmdClose_Click();
};

} // namespace kivo
