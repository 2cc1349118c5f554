// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

namespace kivo {

class Preferences;

// Where windows were when they closed, kept in kivo.ini under a name per window, and put back
// when they open again: size and position where the window system lets a program place its
// windows (X11), the size alone where it does not (Wayland).
class WindowPlaces {
public:
    explicit WindowPlaces(Preferences& preferences)
        : preferences_(preferences) {}

    // Before the window is shown.
    void restore(QWidget* window, const QString& name) const;
    void keep(const QWidget* window, const QString& name);

private:
    Preferences& preferences_;
};

} // namespace kivo
