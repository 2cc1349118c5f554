// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>
#include <optional>

namespace kivo {

// Tab in a message line: the word before the cursor completed from names (the first that
// starts with it, letter case ignored for the match and kept for the name), followed by ": "
// at the start of the line and a space elsewhere; Tab again puts the next match instead.
class NameCompletion {
public:
    struct Edit {
        QString text;
        qsizetype cursor = 0;
        bool operator==(const Edit&) const = default;
    };

    // The first Tab, or a Tab after the line changed. Nothing when there is no word before
    // the cursor or no name starts with it.
    std::optional<Edit> start(const QString& text, qsizetype cursor, const QStringList& names);
    // A Tab right after the last completion, with the line as that left it: the next match.
    std::optional<Edit> again(const QString& text, qsizetype cursor);

private:
    Edit current() const;

    QString before_; // the line before the word
    QString after_;  // the line after the cursor
    QStringList matches_;
    qsizetype shown_ = 0;
    std::optional<Edit> last_;
};

} // namespace kivo
