// SPDX-License-Identifier: GPL-3.0-or-later
#include "NameCompletion.h"

#include <QSet>

namespace kivo {

std::optional<NameCompletion::Edit> NameCompletion::start(const QString& text, qsizetype cursor,
                                                          const QStringList& names) {
    last_.reset();
    cursor = qBound<qsizetype>(0, cursor, text.size());
    // lastIndexOf() from -1 would search from the end of the line.
    const qsizetype wordStart = cursor == 0 ? 0 : text.lastIndexOf(u' ', cursor - 1) + 1;
    const QString word = text.mid(wordStart, cursor - wordStart);
    if (word.isEmpty())
        return std::nullopt;
    matches_.clear();
    QSet<QString> seen;
    for (const QString& name : names) {
        if (name.startsWith(word, Qt::CaseInsensitive) && !seen.contains(name.toCaseFolded())) {
            seen.insert(name.toCaseFolded());
            matches_.append(name);
        }
    }
    if (matches_.isEmpty())
        return std::nullopt;
    before_ = text.left(wordStart);
    after_ = text.mid(cursor);
    shown_ = 0;
    last_ = current();
    return last_;
}

std::optional<NameCompletion::Edit> NameCompletion::again(const QString& text, qsizetype cursor) {
    if (!last_ || *last_ != Edit{text, cursor})
        return std::nullopt;
    shown_ = (shown_ + 1) % matches_.size();
    last_ = current();
    return last_;
}

NameCompletion::Edit NameCompletion::current() const {
    const QString completed =
        matches_.at(shown_) + (before_.isEmpty() ? QStringLiteral(": ") : QStringLiteral(" "));
    return {before_ + completed + after_, before_.size() + completed.size()};
}

} // namespace kivo
