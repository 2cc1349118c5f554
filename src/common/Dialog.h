// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Widgets.h"

#include <QDialog>

class QPushButton;

namespace kivo {

// Base of the program's small dialogs: there is no default button, so Enter in a text box and
// Escape do nothing unless a dialog says otherwise in its key handler; Enter on a focused
// button presses that button, whatever the platform theme. Controls are placed in twips.
class Dialog : public QDialog {
    Q_OBJECT
public:
    explicit Dialog(QWidget* parent = nullptr);

protected:
    void setClientSizeTwips(int width, int height);
    void centreOnScreen();
    QPushButton* addButton(const char* name, const QString& caption, const QRect& twips);
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace kivo
