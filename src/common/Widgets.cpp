// SPDX-License-Identifier: GPL-3.0-or-later
#include "Widgets.h"

#include "Colours.h"
#include "Links.h"
#include "MessageBoxes.h"
#include "WaylandCompositor.h"

#include <QAccessible>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QShortcut>
#include <QTimer>
#include <QWheelEvent>
#include <QWindow>
#include <algorithm>
#include <private/qguiapplication_p.h>
#include <private/qtx11extras_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

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

class ReadableTextColour final : public QObject {
public:
    ReadableTextColour(QWidget* label, const QColor& described)
        : QObject(label)
        , described_(described) {
        apply(label);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::PaletteChange && !applying_)
            apply(static_cast<QWidget*>(watched));
        return QObject::eventFilter(watched, event);
    }

private:
    void apply(QWidget* label) {
        applying_ = true;
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText,
                         readableOn(described_, palette.color(QPalette::Window)));
        label->setPalette(palette);
        applying_ = false;
    }

    QColor described_;
    bool applying_ = false;
};

// Watches a window until it has been activated, or on screen long enough to count as such.
class FirstActivation final : public QObject {
public:
    FirstActivation(QWidget* window, int checkMs, std::function<void()> activated)
        : QObject(window)
        , window_(window)
        , checkMs_(checkMs)
        , activated_(std::move(activated)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::WindowActivate) {
            // Called once the activation has been handled, not inside it.
            QTimer::singleShot(0, this, &FirstActivation::done);
        } else if (event->type() == QEvent::Show) {
            QTimer::singleShot(checkMs_, this, &FirstActivation::check);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void check() {
        const bool onScreen = window_->windowHandle() && window_->windowHandle()->isExposed();
        if (onScreen && seenOnScreen_)
            return done();
        seenOnScreen_ = onScreen;
        QTimer::singleShot(checkMs_, this, &FirstActivation::check);
    }
    void done() {
        if (std::exchange(finished_, true))
            return;
        window_->removeEventFilter(this);
        activated_();
        deleteLater();
    }

    QWidget* window_;
    int checkMs_;
    std::function<void()> activated_;
    bool seenOnScreen_ = false;
    bool finished_ = false;
};

// Where the compositor, not Kivo, decides where windows go and which one is in front.
bool onWayland() {
    return QGuiApplication::platformName().startsWith(u"wayland");
}

// Ctrl+wheel over a widget zooms instead of scrolling.
class WheelZoom : public QObject {
public:
    WheelZoom(QObject* parent, std::function<void(int)> zoom)
        : QObject(parent)
        , zoom_(std::move(zoom)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Wheel)
            return QObject::eventFilter(watched, event);
        const auto* wheel = static_cast<QWheelEvent*>(event);
        if (!(wheel->modifiers() & Qt::ControlModifier) || wheel->angleDelta().y() == 0)
            return QObject::eventFilter(watched, event);
        zoom_(wheel->angleDelta().y() > 0 ? 1 : -1);
        return true;
    }

private:
    std::function<void(int)> zoom_;
};

} // namespace

void onEnterKey(QWidget* widget, std::function<void()> action) {
    widget->installEventFilter(new EnterKeyFilter(widget, std::move(action)));
}

} // namespace kivo

namespace kivo {

QPoint centredFrame(const QRect& mainFrame, const QRect& mainInner, const QSize& inner) {
    // A window not yet shown has no frame: it will get one like the main window's.
    const QSize frame = inner + (mainFrame.size() - mainInner.size());
    return {mainFrame.x() + (mainFrame.width() - frame.width()) / 2,
            mainFrame.y() + (mainFrame.height() - frame.height()) / 2};
}

void centreOver(QWidget* window, const QWidget* over) {
    window->move(centredFrame(over->frameGeometry(), over->geometry(), window->size()));
}

QWidget* ownerOnWayland(QWidget* owner) {
    return onWayland() ? owner : nullptr;
}

bool kivoIsActive() {
    return QApplication::activeWindow() != nullptr;
}

void activate(QWidget* window, const QString& activationToken) {
    // Qt's Wayland client takes the token from here at the next activation; without one it
    // activates only while Kivo has the focus.
    if (onWayland() && !activationToken.isEmpty())
        qputenv("XDG_ACTIVATION_TOKEN", activationToken.toUtf8());
    window->raise();
    window->activateWindow();
}

void bringToFront(QWidget* window, const QString& activationToken) {
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    // The user asked just now. Qt would date the request by the last event Kivo saw, maybe
    // long before keys typed in another program; window managers that weigh the two would
    // then only mark the window.
    if (QX11Info::isPlatformX11())
        QX11Info::setAppTime(QX11Info::getTimestamp());
    // Without the token of what the user clicked, one of Kivo's own lets the compositor choose
    // between the front and a mark for attention.
    if (onWayland() && activationToken.isEmpty() && !kivoIsActive())
        activate(window, QString::fromUtf8(newActivationToken()));
    else
        activate(window, activationToken);
}

void bringToFront(QWidget* window, const QString& activationToken, int waitMs,
                  std::function<void(bool inFront)> told) {
    bringToFront(window, activationToken);
    QPointer<QWidget> guarded(window);
    auto* waiting = new QTimer(window);
    const QDeadlineTimer deadline(waitMs);
    // Activation comes later on every platform; polling is cheap for this once.
    QObject::connect(waiting, &QTimer::timeout, waiting, [guarded, waiting, deadline, told] {
        const bool inFront = guarded && guarded->isActiveWindow();
        if (!inFront && !deadline.hasExpired())
            return;
        waiting->deleteLater();
        if (!inFront && guarded)
            QApplication::alert(guarded);
        told(inFront);
    });
    waiting->start(20);
}

void closeOnKeys(QWidget* window, std::function<bool()> escapeCloses) {
    auto* ctrlW = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_W), window);
    QObject::connect(ctrlW, &QShortcut::activated, window, &QWidget::close);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    QObject::connect(escape, &QShortcut::activated, window, [window, escapeCloses] {
        if (escapeCloses())
            window->close();
    });
}

void applyTextZoom(QWidget* widget, int steps, const QFont& base) {
    // What the base font leaves open comes from the system's.
    QFont font = base.resolve(QApplication::font(widget));
    if (font.pointSizeF() > 0)
        font.setPointSizeF(std::max(1.0, font.pointSizeF() + steps));
    widget->setFont(font);
}

QFont fontFrom(const QString& description) {
    QFont font;
    if (description.isEmpty() || !font.fromString(description))
        return QFont();
    return font;
}

void zoomOnKeys(QWidget* window, QWidget* wheelArea, std::function<void(int change)> zoom) {
    const std::pair<QKeySequence, int> keys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_Plus), 1},
        {QKeySequence(Qt::CTRL | Qt::Key_Equal), 1},
        {QKeySequence(Qt::CTRL | Qt::Key_Minus), -1},
        {QKeySequence(Qt::CTRL | Qt::Key_0), 0},
    };
    for (const auto& [sequence, change] : keys) {
        auto* shortcut = new QShortcut(sequence, window);
        QObject::connect(shortcut, &QShortcut::activated, window,
                         [zoom, change = change] { zoom(change); });
    }
    wheelArea->installEventFilter(new WheelZoom(wheelArea, std::move(zoom)));
}

void keepTextColourReadable(QWidget* label, const QColor& described) {
    label->installEventFilter(new ReadableTextColour(label, described));
}

void whenFirstActivated(QWidget* window, std::function<void()> activated, int checkMs) {
    window->installEventFilter(new FirstActivation(window, checkMs, std::move(activated)));
}

void popUp(QMenu* menu, const QPoint& globalPosition) {
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(globalPosition);
}

void openExternally(const QUrl& url) {
    if (QDesktopServices::openUrl(url))
        return;
    const QString address = openedAddress(url);
    warn(url.scheme() == QLatin1StringView("mailto")
             ? QCoreApplication::translate("kivo", "Could not start a mail program for %1.")
                   .arg(address)
             : QCoreApplication::translate("kivo", "Could not start a web browser for %1.")
                   .arg(address));
}

namespace {

QAccessible::UpdateHandler screenReaderUpdates = nullptr;

QString bullets(const QString& text) {
    return QString(text.size(), QChar(0x25CF));
}

void passUpdate(QAccessibleEvent* event) {
    if (screenReaderUpdates)
        screenReaderUpdates(event);
    else if (QPlatformAccessibility* platform =
                 QGuiApplicationPrivate::platformIntegration()->accessibility())
        platform->notifyAccessibilityUpdate(event);
}

void maskPasswords(QAccessibleEvent* event) {
    const auto* box = qobject_cast<QLineEdit*>(event->object());
    if (!box || box->echoMode() == QLineEdit::Normal)
        return passUpdate(event);
    switch (event->type()) {
    case QAccessible::TextInserted: {
        const auto* insert = static_cast<QAccessibleTextInsertEvent*>(event);
        QAccessibleTextInsertEvent masked(event->object(), insert->changePosition(),
                                          bullets(insert->textInserted()));
        return passUpdate(&masked);
    }
    case QAccessible::TextRemoved: {
        const auto* remove = static_cast<QAccessibleTextRemoveEvent*>(event);
        QAccessibleTextRemoveEvent masked(event->object(), remove->changePosition(),
                                          bullets(remove->textRemoved()));
        return passUpdate(&masked);
    }
    case QAccessible::TextUpdated: {
        const auto* update = static_cast<QAccessibleTextUpdateEvent*>(event);
        QAccessibleTextUpdateEvent masked(event->object(), update->changePosition(),
                                          bullets(update->textRemoved()),
                                          bullets(update->textInserted()));
        return passUpdate(&masked);
    }
    default:
        return passUpdate(event);
    }
}

} // namespace

void keepPasswordsFromScreenReaders() {
    static const bool installed = [] {
        screenReaderUpdates = QAccessible::installUpdateHandler(maskPasswords);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace kivo
