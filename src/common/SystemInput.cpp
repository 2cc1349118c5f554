// SPDX-License-Identifier: GPL-3.0-or-later
#include "SystemInput.h"

#include <QGuiApplication>
#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

namespace kivo {

bool userInputWithin(int milliseconds) {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    Display* display = x11 ? x11->display() : nullptr;
    if (!display)
        return false;
    int event = 0;
    int error = 0;
    if (!XScreenSaverQueryExtension(display, &event, &error))
        return false;
    XScreenSaverInfo info{};
    if (!XScreenSaverQueryInfo(display, DefaultRootWindow(display), &info))
        return false;
    return info.idle < static_cast<unsigned long>(milliseconds);
}

} // namespace kivo
