#include "Text.h"

#include <QRegularExpression>
#include <cmath>
#include <limits>

namespace kivo {

QString trimSpaces(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == u' ')
        ++begin;
    while (end > begin && text.at(end - 1) == u' ')
        --end;
    return text.mid(begin, end - begin);
}

bool isBlank(const QString& text) {
    return trimSpaces(text).isEmpty();
}

std::optional<double> numericValue(const QString& text) {
    static const QRegularExpression number(
        QStringLiteral(R"(^[+-]?(\d+(\.\d*)?|\.\d+)([eE][+-]?\d+)?$)"));
    const QString trimmed = trimSpaces(text);
    if (!number.match(trimmed).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = trimmed.toDouble(&ok);
    if (ok)
        return value;
    // Well-formed but out of double range: only the sign of the exponent matters.
    const bool negative = trimmed.startsWith(u'-');
    const bool tiny = trimmed.contains(QStringLiteral("e-"), Qt::CaseInsensitive);
    if (tiny)
        return 0.0;
    return negative ? -std::numeric_limits<double>::infinity()
                    : std::numeric_limits<double>::infinity();
}

qint64 roundHalfEven(double value) {
    constexpr double limit = 9.2e18;
    if (std::isnan(value))
        return 0;
    if (value >= limit)
        return std::numeric_limits<qint64>::max();
    if (value <= -limit)
        return std::numeric_limits<qint64>::min();
    return static_cast<qint64>(std::nearbyint(value));
}

bool isStorableName(const QString& name) {
    for (const QChar ch : name) {
        const auto category = ch.category();
        if (ch == u'|' || category == QChar::Other_Control || category == QChar::Separator_Line ||
            category == QChar::Separator_Paragraph)
            return false;
    }
    return true;
}

} // namespace kivo
