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
    const QSize size =
        place.size().expandedTo(window->minimumSize()).boundedTo(window->maximumSize());
    // A place on a screen no longer there would hide the window. The window's own area, not
    // its frame: before a window is shown its frame is not known, and a frame position would
    // move it down by the title bar at each reopening.
    if (QGuiApplication::platformName() != QLatin1StringView("wayland") &&
        QGuiApplication::screenAt(place.center()))
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
