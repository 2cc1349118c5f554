// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowPlaces.h"

#include "Preferences.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace kivo {

void WindowPlaces::restore(QWidget* window, const QString& name) const {
    const QRect place = preferences_.windowPlace(name);
    if (!place.isValid())
        return;
    // A place is only as large as the screen it goes on: one from an edited kivo.ini could ask
    // for a window of 32767 x 32767 pixels, and gigabytes for it.
    const QScreen* screen = QGuiApplication::screenAt(place.center());
    const QScreen* sized = screen ? screen : QGuiApplication::primaryScreen();
    const QSize available = sized ? sized->availableGeometry().size() : place.size();
    const QSize size = place.size()
                           .boundedTo(available)
                           .expandedTo(window->minimumSize())
                           .boundedTo(window->maximumSize());
    // A place on a screen no longer there would hide the window. The window's own area, not
    // its frame: before a window is shown its frame is not known, and a frame position would
    // move it down by the title bar at each reopening.
    if (QGuiApplication::platformName() != QLatin1StringView("wayland") && screen)
        window->setGeometry(QRect(place.topLeft(), size));
    else
        window->resize(size);
}

void WindowPlaces::keep(const QWidget* window, const QString& name) {
    if (window->isMinimized() || window->isMaximized() || window->isFullScreen())
        return;
    preferences_.keepWindowPlace(name, window->geometry());
}

} // namespace kivo
