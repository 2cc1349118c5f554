#include "Dialog.h"

#include "Twips.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>

namespace kivo {
namespace {

class EnterKeyFilter final : public QObject {
public:
    EnterKeyFilter(QWidget* widget, std::function<void()> action)
        : QObject(widget)
        , action_(std::move(action)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                action_();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> action_;
};

} // namespace

void onEnterKey(QWidget* widget, std::function<void()> action) {
    widget->installEventFilter(new EnterKeyFilter(widget, std::move(action)));
}

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
