#include "Dialog.h"

#include "Twips.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>

namespace kivo {

Dialog::Dialog(QWidget* parent)
    : QDialog(parent) {
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

void Dialog::setClientSizeTwips(int width, int height) {
    setFixedSize(twipsSize(width, height));
}

void Dialog::centreOnScreen() {
    const QRect screenArea = screen()->availableGeometry();
    move(screenArea.center() - rect().center());
}

QPushButton* Dialog::addButton(const QString& name, const QString& caption, QRect twips) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    button->setAutoDefault(false);
    button->setDefault(false);
    button->setGeometry(twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    return button;
}

void Dialog::keyPressEvent(QKeyEvent* event) {
    // QDialog would reject on Escape and press a default button on Enter.
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
