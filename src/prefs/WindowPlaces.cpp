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
    window->resize(place.size().expandedTo(window->minimumSize()).boundedTo(window->maximumSize()));
    // A place on a screen no longer there would hide the window.
    if (QGuiApplication::platformName() != QLatin1StringView("wayland") &&
        QGuiApplication::screenAt(place.center()))
        window->move(place.topLeft());
}

void WindowPlaces::keep(const QWidget* window, const QString& name) {
    if (window->isMinimized() || window->isMaximized() || window->isFullScreen())
        return;
    preferences_.keepWindowPlace(name, QRect(window->pos(), window->size()));
}

} // namespace kivo
