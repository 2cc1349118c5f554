// SPDX-License-Identifier: GPL-3.0-or-later
#include "Modules.h"

#include <QCoreApplication>
#include <QLibrary>

namespace kivo {

QFunctionPointer moduleFunction(const QString& module, const char* function, QString& error) {
    // Destroying a QLibrary leaves the library loaded.
    QLibrary library(QCoreApplication::applicationDirPath() +
                     QStringLiteral("/" KIVO_MODULE_DIR "/") + module);
    const QFunctionPointer found = library.resolve(function);
    if (!found)
        error = library.errorString();
    return found;
}

} // namespace kivo
