// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace kivo {

// Qt 6.4's Wayland client crashes when a compositor offers no seat (a test runner, a remote
// session) and an empty line edit with the focus draws its cursor: it asks the missing
// seat's input method for the typing direction. Without a seat nothing can be typed anyway,
// so Kivo then starts Qt without an input method. Called before the application object is
// made; the variable it sets is taken back once Qt has read it, so that programs Kivo opens
// do not inherit it.
void startWithoutInputMethodIfSeatless();
void forgetInputMethodChoice();

} // namespace kivo
