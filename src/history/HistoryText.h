// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

// The history's rules for text: scripts written without spaces between words, and what a
// typed search means.
namespace kivo::history {

// Whether a text has characters of a script written without spaces between words (Chinese,
// Japanese, Thai...).
bool hasUnspaced(const QString& text);
// Each character of such a script stands as a word of its own, so that the full-text index
// finds a word inside a sentence.
QString splitUnspaced(const QString& text);

// A word or a "quoted phrase" of a typed search, and whether it ended in * (a prefix).
struct Term {
    QString text;
    bool prefix = false;
};
// Control characters (a NUL would end the expression) count as spaces.
QList<Term> termsOf(const QString& typed);
// The index's expression for the terms: each a quoted string, so that no typed text is taken
// for the index's operators or column names.
QString expressionOf(const QList<Term>& terms, bool unspaced);

} // namespace kivo::history
