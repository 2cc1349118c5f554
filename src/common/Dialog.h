// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Widgets.h"

#include <QDialog>

class QPushButton;

namespace kivo {

// Base of the program's small dialogs: no button reacts to Enter or Escape by itself, whatever
// the platform theme (the dialogs decide in their own key handlers), and controls are placed
// in twips.
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
