// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFunctionPointer>
#include <QString>

namespace kivo {

// A function of one of Kivo's modules (the libraries an option needs, loaded only when it is
// used), from the modules' folder beside the program's. The module stays loaded. Null, with
// the loader's reason in `error`, when it cannot be loaded.
QFunctionPointer moduleFunction(const QString& module, const char* function, QString& error);

} // namespace kivo
