// SPDX-License-Identifier: GPL-3.0-or-later
#include "WaylandSeat.h"

#include "WaylandCompositor.h"

#include <QByteArray>
#include <utility>

namespace kivo {
namespace {

const char* const InputMethodVariable = "QT_IM_MODULE";

// Whether Qt will be a Wayland client: asked for, or its own choice on a Wayland session.
bool qtWillUseWayland() {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty())
        return platform.startsWith("wayland");
    return qEnvironmentVariableIsSet("WAYLAND_DISPLAY") || qgetenv("XDG_SESSION_TYPE") == "wayland";
}

bool chosen = false;

} // namespace

void startWithoutInputMethodIfSeatless() {
    if (qEnvironmentVariableIsSet(InputMethodVariable) || !qtWillUseWayland() ||
        !compositorHasNoSeat())
        return;
    // Names no input method plugin: Qt then uses none.
    qputenv(InputMethodVariable, "none");
    chosen = true;
}

void forgetInputMethodChoice() {
    if (std::exchange(chosen, false))
        qunsetenv(InputMethodVariable);
}

} // namespace kivo
