// SPDX-License-Identifier: GPL-3.0-or-later
#include "Modules.h"

#include <QFileInfo>
#include <QLibrary>

namespace kivo {

QFunctionPointer moduleFunction(const QString& module, const char* function, QString& error) {
    // The program's folder from the kernel, as Qt finds it, but also before the application
    // object exists. Destroying a QLibrary leaves the library loaded.
    QLibrary library(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath() +
                     QStringLiteral("/" KIVO_MODULE_DIR "/") + module);
    const QFunctionPointer found = library.resolve(function);
    if (!found)
        error = library.errorString();
    return found;
}

} // namespace kivo
