// SPDX-License-Identifier: GPL-3.0-or-later
#include "Input.h"

#include "MessageBoxes.h"
#include "Text.h"

#include <QCoreApplication>
#include <algorithm>

namespace kivo {

bool acceptSingleLine(std::initializer_list<QString> texts) {
    if (std::all_of(texts.begin(), texts.end(), isSingleLine))
        return true;
    warn(QCoreApplication::translate(
        "kivo", "Line breaks and other control characters cannot be used here. Please remove "
                "them and try again."));
    return false;
}

bool acceptContactName(const QString& name) {
    if (isSingleLine(name) && !name.contains(u'|'))
        return true;
    warn(QCoreApplication::translate(
        "kivo", "A name cannot contain \"|\", line breaks or other control characters."));
    return false;
}

} // namespace kivo
