// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

namespace kivo {

// A new xdg-activation token from the Wayland compositor, asked for on a connection of its
// own and tied to no user action: activating a window with it lets the compositor decide,
// and a compositor that does not let the window come to the front marks it as wanting
// attention. Qt 6.4 itself only activates windows while one of Kivo's has the focus, and its
// QApplication::alert() does nothing on Wayland. Empty where the compositor has no
// xdg-activation (Weston 10) or there is no Wayland display.
QByteArray newActivationToken();

} // namespace kivo
