// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Twips.h"

#include <QFont>
#include <QString>
#include <QWidget>
#include <functional>

class QMenu;
class QUrl;

namespace kivo {

// Names a control (its objectName, which tests and styles use) and puts it where the
// window's design has it, in twips.
template <typename Control>
Control* placed(Control* control, const char* name, const QRect& twips) {
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    return control;
}

// A window caption that shows the text exactly: Qt would take "[*]" for its modified
// marker, and "[*][*]" shows it as written.
inline void setPlainWindowTitle(QWidget* window, QString title) {
    window->setWindowTitle(title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]")));
}

// Enter (either key) in this widget is swallowed and runs the action instead.
void onEnterKey(QWidget* widget, std::function<void()> action);

// Where a window of this inner size goes so that its frame is centred over the main window's
// frame (move() places a window by its frame).
QPoint centredFrame(const QRect& mainFrame, const QRect& mainInner, const QSize& inner);
// Moves a window so that it is centred over another (its frame over the other's frame).
void centreOver(QWidget* window, const QWidget* over);

// A dialog that has no owner window elsewhere gets this one on Wayland: the compositor
// places windows there, and places a dialog with an owner over it.
QWidget* ownerOnWayland(QWidget* owner);

// One of Kivo's windows has the focus: the user is in Kivo, not in another program.
bool kivoIsActive();

// Raises a shown window and gives it the focus, as far as the platform lets a program: a
// Wayland compositor decides, with the activation token of what the user clicked (a
// notification, a launcher) if there is one; without one only while Kivo has the focus, so
// that a message never takes the keyboard from another program there.
void activate(QWidget* window, const QString& activationToken = {});
// Shows a window, restored, in front of the others, with the focus, as the user asked just now
// (a click in the tray or on a notification, a second start).
void bringToFront(QWidget* window, const QString& activationToken = {});
// The same, then tells within `waitMs` whether the window came to the front; one that did
// not asks for attention.
void bringToFront(QWidget* window, const QString& activationToken, int waitMs,
                  std::function<void(bool inFront)> told);

// Opens an address with the desktop's browser or mail program; says so when there is none.
void openExternally(const QUrl& url);

// Shows a context menu without an event loop of its own and deletes it once it closes, so
// that its window may close while it is open (a stack menu's exec() would return into a
// window that is gone).
void popUp(QMenu* menu, const QPoint& globalPosition);

// Ctrl+W closes the window, as in other programs, and Escape too where `escapeCloses` says so
// when it is pressed.
void closeOnKeys(QWidget* window, std::function<bool()> escapeCloses);

// Text zoom: the base font, what it leaves open taken from the widget's default, this many
// points larger (smaller below 0).
void applyTextZoom(QWidget* widget, int steps, const QFont& base = QFont());
// A font as QFont::toString() wrote it; one with nothing set (the system's) when the text is
// empty or not a font.
QFont fontFrom(const QString& description);
// Ctrl++ (and Ctrl+=), Ctrl+- and Ctrl+0 on the window, and Ctrl+wheel over `wheelArea`, ask
// for +1, -1 and 0 (back to the default).
void zoomOnKeys(QWidget* window, QWidget* wheelArea, std::function<void(int change)> zoom);

// The label's text in this colour where it reads on the label's background, and in a lighter
// shade of it on a dark one, whatever palette comes later.
void keepTextColourReadable(QWidget* label, const QColor& described);

// Calls `activated` once the window has been activated, or has been on screen for two checks
// this far apart (without a window manager, or with one that does not give new windows the
// focus, nothing activates it; a window manager may still be placing it when it appears).
void whenFirstActivated(QWidget* window, std::function<void()> activated, int checkMs = 250);

// Password boxes never hand what is typed in them to screen readers: Qt's line edit puts the
// real characters into its text events, so those of a password box go out as bullets.
// Installed once, before the first window; a handler installed before it is kept.
void keepPasswordsFromScreenReaders();

} // namespace kivo
