// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <initializer_list>

namespace kivo {

// The one rule for boxes whose text becomes one protocol line or one file line: line breaks
// and other control characters would split it or corrupt the file. Warns once and returns
// false when any of the texts breaks the rule; the caller keeps its dialog open.
bool acceptSingleLine(std::initializer_list<QString> texts);

// The same rule for names kept in contacts.dat, which also cannot hold its separator "|".
bool acceptContactName(const QString& name);

} // namespace kivo
