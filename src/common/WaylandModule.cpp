// SPDX-License-Identifier: GPL-3.0-or-later
// The module kivo-wayland: Kivo's own requests to the Wayland compositor, each on a
// connection of its own.
#include "WaylandCompositor.h"

#include "xdg-activation-v1-client-protocol.h"

#include <cstring>
#include <wayland-client.h>

namespace {

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

struct Globals {
    xdg_activation_v1* activation = nullptr;
};

const wl_registry_listener registryListener = {
    [](void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
        if (std::strcmp(interface, xdg_activation_v1_interface.name) == 0)
            static_cast<Globals*>(data)->activation = static_cast<xdg_activation_v1*>(
                wl_registry_bind(registry, name, &xdg_activation_v1_interface, 1));
    },
    [](void*, wl_registry*, uint32_t) {},
};

const xdg_activation_token_v1_listener tokenListener = {
    [](void* data, xdg_activation_token_v1*, const char* token) {
        *static_cast<QByteArray*>(data) = token;
    },
};

QByteArray newActivationToken() {
    wl_display* display = wl_display_connect(nullptr);
    if (!display)
        return {};
    Globals globals;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, &globals);
    QByteArray token;
    if (wl_display_roundtrip(display) >= 0 && globals.activation) {
        xdg_activation_token_v1* request =
            xdg_activation_v1_get_activation_token(globals.activation);
        xdg_activation_token_v1_add_listener(request, &tokenListener, &token);
        xdg_activation_token_v1_set_app_id(request, "kivo");
        xdg_activation_token_v1_commit(request);
        wl_display_roundtrip(display);
        xdg_activation_token_v1_destroy(request);
        xdg_activation_v1_destroy(globals.activation);
    }
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return token;
}

} // namespace

extern "C" Q_DECL_EXPORT const kivo::wayland::Functions* kivoWaylandFunctions() {
    static const kivo::wayland::Functions functions{compositorHasNoSeat, newActivationToken};
    return &functions;
}
