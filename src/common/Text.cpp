// SPDX-License-Identifier: GPL-3.0-or-later
#include "Text.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

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

namespace {

// [+-]? (digits [. digits*] | . digits) ([eE] [+-]? digits)?, ASCII digits, the whole text.
// By hand: a regular expression here would load the regex engine for one check.
bool isDecimalNumber(QStringView text) {
    qsizetype at = 0;
    const auto sign = [&] {
        if (at < text.size() && (text[at] == u'+' || text[at] == u'-'))
            ++at;
    };
    const auto digits = [&] {
        const qsizetype start = at;
        while (at < text.size() && text[at] >= u'0' && text[at] <= u'9')
            ++at;
        return at - start;
    };
    sign();
    const qsizetype whole = digits();
    qsizetype fraction = 0;
    if (at < text.size() && text[at] == u'.') {
        ++at;
        fraction = digits();
    }
    if (whole == 0 && fraction == 0)
        return false;
    if (at < text.size() && (text[at] == u'e' || text[at] == u'E')) {
        ++at;
        sign();
        if (digits() == 0)
            return false;
    }
    return at == text.size();
}

} // namespace

std::optional<double> numericValue(const QString& text) {
    const QString trimmed = trimSpaces(text);
    if (!isDecimalNumber(trimmed))
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
    // Worked out here rather than with nearbyint(): the maths library's rounding code would stay
    // in memory for this one call. Both conversions and the subtraction are exact here.
    const auto whole = static_cast<qint64>(value); // towards zero
    const double rest = value - static_cast<double>(whole);
    const bool odd = whole % 2 != 0;
    if (rest > 0.5 || (rest == 0.5 && odd))
        return whole + 1;
    if (rest < -0.5 || (rest == -0.5 && odd))
        return whole - 1;
    return whole;
}

bool isLineBreak(QChar ch) {
    switch (ch.unicode()) {
    case u'\n':
    case u'\v':
    case u'\f':
    case u'\r':
    case 0x0085:
    case QChar::LineSeparator:
    case QChar::ParagraphSeparator:
        return true;
    default:
        return false;
    }
}

bool isSingleLine(const QString& text) {
    return std::none_of(text.begin(), text.end(), [](QChar ch) {
        return isLineBreak(ch) || ch.category() == QChar::Other_Control;
    });
}

bool isStorableName(const QString& name) {
    return std::none_of(name.begin(), name.end(),
                        [](QChar ch) { return ch == u'|' || ch == u'\r' || ch == u'\n'; });
}

namespace {

bool isBidiControl(QChar ch) {
    const char16_t c = ch.unicode();
    return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

constexpr QChar FirstStrongIsolate{0x2068};
constexpr QChar PopDirectionalIsolate{0x2069};

bool opensIsolate(QChar ch) {
    return ch.unicode() >= 0x2066 && ch.unicode() <= 0x2068;
}

// Calls `each` with the bidirectional class of each character.
template <typename F> void forEachDirection(QStringView text, F&& each) {
    forEachCharacter(text, [&](char32_t ch) { each(QChar::direction(ch)); });
}

// Right-to-left letters, Arabic digits and the bidirectional controls.
bool canReorder(QChar::Direction direction) {
    switch (direction) {
    case QChar::DirR:
    case QChar::DirAL:
    case QChar::DirAN:
    case QChar::DirLRE:
    case QChar::DirLRO:
    case QChar::DirRLE:
    case QChar::DirRLO:
    case QChar::DirPDF:
    case QChar::DirLRI:
    case QChar::DirRLI:
    case QChar::DirFSI:
    case QChar::DirPDI:
        return true;
    default:
        return false;
    }
}

} // namespace

QString glimpse(const QString& text, qsizetype most) {
    qsizetype cut = std::min(text.size(), most);
    if (cut > 0 && cut < text.size() && text.at(cut - 1).isHighSurrogate())
        --cut;
    QString shown = shownInLine(text.left(cut));
    for (QChar& ch : shown) {
        if (ch.category() == QChar::Other_Control)
            ch = u' ';
    }
    return cut < text.size() ? shown + QChar(0x2026) : shown;
}

QString shownInLine(const QString& text) {
    return shownInLine(text, nullptr);
}

QString shownInLine(const QString& text, QList<qsizetype>* positions) {
    QString shown = text;
    bool bidi = false;
    for (QChar& ch : shown) {
        // U+FDD0 and U+FDD1 mark frames inside a text document.
        if (isLineBreak(ch) || ch.unicode() == 0xFDD0 || ch.unicode() == 0xFDD1)
            ch = u' ';
        bidi = bidi || isBidiControl(ch);
    }
    if (positions) {
        positions->resize(text.size() + 1);
        std::iota(positions->begin(), positions->end(), bidi ? 1 : 0);
    }
    if (!bidi)
        return shown;
    QString isolated;
    isolated.reserve(shown.size() + 2);
    isolated += FirstStrongIsolate;
    int open = 0;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const QChar ch = shown.at(i);
        if (positions)
            (*positions)[i] = isolated.size();
        if (ch == PopDirectionalIsolate) {
            if (open == 0)
                continue; // would close ours
            --open;
        } else if (opensIsolate(ch)) {
            ++open;
        }
        isolated += ch;
    }
    if (positions)
        positions->last() = isolated.size();
    isolated += QString(open + 1, PopDirectionalIsolate);
    return isolated;
}

QChar isolateFor(QStringView text) {
    qsizetype leftToRight = 0;
    qsizetype rightToLeft = 0;
    forEachDirection(text, [&](QChar::Direction direction) {
        leftToRight += direction == QChar::DirL ? 1 : 0;
        rightToLeft += direction == QChar::DirR || direction == QChar::DirAL ? 1 : 0;
    });
    return rightToLeft > leftToRight ? QChar(0x2067) : QChar(0x2066);
}

bool needsIsolate(QStringView text) {
    bool needed = false;
    forEachDirection(text,
                     [&](QChar::Direction direction) { needed = needed || canReorder(direction); });
    return needed;
}

QStringList linesToSend(const QString& typed) {
    QStringList lines;
    QString line;
    const auto endLine = [&] {
        const QString trimmed = trimSpaces(line);
        if (!trimmed.isEmpty())
            lines.append(trimmed);
        line.clear();
    };
    for (const QChar ch : typed) {
        if (isLineBreak(ch))
            endLine();
        else if (ch == u'\t' || ch.category() != QChar::Other_Control)
            line += ch;
    }
    endLine();
    return lines;
}

bool mentions(const QString& text, const QString& name) {
    if (name.isEmpty())
        return false;
    const auto isWordCharacter = [](QChar ch) { return ch.isLetterOrNumber() || ch == u'_'; };
    for (qsizetype at = text.indexOf(name, 0, Qt::CaseInsensitive); at >= 0;
         at = text.indexOf(name, at + 1, Qt::CaseInsensitive)) {
        const qsizetype end = at + name.size();
        if ((at == 0 || !isWordCharacter(text.at(at - 1))) &&
            (end == text.size() || !isWordCharacter(text.at(end))))
            return true;
    }
    return false;
}

} // namespace kivo
