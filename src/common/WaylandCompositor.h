// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

// The seam between Kivo and the module that asks the Wayland compositor directly (kivo-wayland,
// linked with the Wayland client library): loaded only when Kivo runs on Wayland, so that an
// X11 session never maps that library.
namespace kivo {
namespace wayland {

struct Functions {
    bool (*compositorHasNoSeat)();
    QByteArray (*newActivationToken)();
};
using Get = const Functions* (*)();
inline constexpr char GetFunction[] = "kivoWaylandFunctions";

} // namespace wayland

// Whether the compositor answered, and offers no seat (a test runner, a remote session).
// False where there is no Wayland display or the module cannot be loaded.
bool compositorHasNoSeat();

// A new xdg-activation token from the Wayland compositor, asked for on a connection of its
// own and tied to no user action: activating a window with it lets the compositor decide,
// and a compositor that does not let the window come to the front marks it as wanting
// attention. Qt 6.4 itself only activates windows while one of Kivo's has the focus, and its
// QApplication::alert() does nothing on Wayland. Empty where the compositor has no
// xdg-activation (Weston 10), there is no Wayland display or the module cannot be loaded.
QByteArray newActivationToken();

} // namespace kivo
