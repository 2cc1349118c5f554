// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
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

// Ends a line when text is split into lines: CR, LF, VT, FF, NEL, U+2028, U+2029.
bool isLineBreak(QChar ch);

// Text that becomes one protocol line or one file line: no line breaks and no other control
// characters.
bool isSingleLine(const QString& text);

// A key or name in contacts.dat reads back unchanged unless it holds the field separator or
// a line end.
bool isStorableName(const QString& name);

// Text from the network or a file shown in a line of its own (a transcript line, a caption,
// a label): whatever text layout would break a line at becomes a space, so one message never
// looks like two; and bidirectional controls are kept inside it (an isolate, with unmatched
// ones closed), so they cannot reorder what is shown around it.
QString shownInLine(const QString& text);
// The same, and where each character of the text (and its end) is in what it returns.
QString shownInLine(const QString& text, QList<qsizetype>* positions);
// A glimpse of an outside text, quoted elsewhere: shown in line, control characters as
// spaces, and at most `most` characters of it, an ellipsis saying when there was more.
QString glimpse(const QString& text, qsizetype most);

// What typed or pasted text sends: one message per line that is not blank, each trimmed as a
// typed line is, with control characters other than tabs removed.
QStringList linesToSend(const QString& typed);

// What opens an isolate around a text set among others (a sender, a message): right to left
// when most of its strong characters are, else left to right. The first strong character
// alone misleads: "*** דן has left" is an English sentence.
// Calls `each` with every character (code point) of a text, a pair of surrogates as the one
// character it is.
template <typename F> void forEachCharacter(QStringView text, F&& each) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (ch.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            each(QChar::surrogateToUcs4(ch, text.at(++i)));
        else
            each(static_cast<char32_t>(ch.unicode()));
    }
}

QChar isolateFor(QStringView text);
inline constexpr QChar PopIsolate{0x2069};
// Whether a text set among others in a left-to-right line needs an isolate at all: it has
// right-to-left letters, Arabic digits or bidirectional controls. Without them it neither
// reorders its neighbours nor is reordered by theirs (once those are isolated), and an isolate
// would only make text layout look for a font that draws the invisible controls.
bool needsIsolate(QStringView text);

// The name as a word of the text, letter case ignored: "ann:" and "Hi ANN" name ann,
// "annabel" does not.
bool mentions(const QString& text, const QString& name);

} // namespace kivo
