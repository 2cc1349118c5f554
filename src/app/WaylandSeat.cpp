// SPDX-License-Identifier: GPL-3.0-or-later
#include "WaylandSeat.h"

#include <QByteArray>
#include <cstring>
#include <utility>
#include <wayland-client.h>

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

bool compositorHasNoSeat() {
    wl_display* display = wl_display_connect(nullptr);
    if (!display)
        return false; // Qt will say what is wrong
    bool seat = false;
    static const wl_registry_listener listener = {
        [](void* found, wl_registry*, uint32_t, const char* interface, uint32_t) {
            if (std::strcmp(interface, wl_seat_interface.name) == 0)
                *static_cast<bool*>(found) = true;
        },
        [](void*, wl_registry*, uint32_t) {},
    };
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &listener, &seat);
    const bool answered = wl_display_roundtrip(display) >= 0;
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return answered && !seat;
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
