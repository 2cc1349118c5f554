// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace kivo {

// Whether the user pressed a key or moved the pointer, in any program, within this many
// milliseconds. Only the X server can tell (its screen saver's idle time); elsewhere, and
// without the extension, nothing is known and the answer is no.
bool userInputWithin(int milliseconds);

} // namespace kivo
