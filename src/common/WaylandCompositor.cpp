// SPDX-License-Identifier: GPL-3.0-or-later
#include "WaylandCompositor.h"

#include "Modules.h"

#include <QDebug>

namespace kivo {
namespace {

const wayland::Functions* functions() {
    static const wayland::Functions* const loaded = [] {
        QString error;
        const auto get = reinterpret_cast<wayland::Get>(
            moduleFunction(QStringLiteral("kivo-wayland"), wayland::GetFunction, error));
        if (!get)
            qWarning().noquote() << "Kivo's Wayland module cannot be loaded:" << error;
        return get ? get() : nullptr;
    }();
    return loaded;
}

} // namespace

bool compositorHasNoSeat() {
    return functions() && functions()->compositorHasNoSeat();
}

QByteArray newActivationToken() {
    return functions() ? functions()->newActivationToken() : QByteArray();
}

} // namespace kivo
