#pragma once

#include <QString>
#include <optional>

namespace kivo {

// Trimming everywhere removes the space character U+0020 only: tabs are content.
QString trimSpaces(const QString& text);
bool isBlank(const QString& text);

// A decimal number with optional sign, fraction and exponent, surrounding spaces ignored.
// Returns the value (possibly infinite for huge exponents) or nothing when not numeric.
std::optional<double> numericValue(const QString& text);

// Nearest integer, halves to the even neighbour; saturates at the 64-bit limits.
qint64 roundHalfEven(double value);

// Names stored in our line-based files must read back unchanged: no field separator,
// no control characters, no line or paragraph separators.
bool isStorableName(const QString& name);

} // namespace kivo
