// SPDX-License-Identifier: GPL-3.0-or-later
#include "Dialog.h"

#include "Twips.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>

namespace kivo {
Dialog::Dialog(QWidget* parent)
    : QDialog(parent) {
    // A fixed-size dialog: a title and a close box, nothing to minimise or maximise.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
}

void Dialog::setClientSizeTwips(int width, int height) {
    setFixedSize(twipsSize(width, height));
}

void Dialog::centreOnScreen() {
    const QRect screenArea = screen()->availableGeometry();
    move(screenArea.center() - rect().center());
}

QPushButton* Dialog::addButton(const char* name, const QString& caption, const QRect& twips) {
    auto* button = placed(new QPushButton(caption, this), name, twips);
    button->setAutoDefault(false);
    button->setDefault(false);
    button->installEventFilter(this);
    return button;
}

bool Dialog::eventFilter(QObject* watched, QEvent* event) {
    // Enter on a focused button presses it, as on every desktop, whatever the platform theme
    // would do; a keyboard user should not have to know about Space.
    if (event->type() == QEvent::KeyPress) {
        auto* button = qobject_cast<QPushButton*>(watched);
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (button && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            if (!static_cast<QKeyEvent*>(event)->isAutoRepeat())
                button->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Dialog::keyPressEvent(QKeyEvent* event) {
    // QDialog would reject on Escape and press a default button on Enter: in a text box
    // neither key does anything.
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->ignore();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

} // namespace kivo
