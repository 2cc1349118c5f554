// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>
#include <optional>

namespace kivo {

// What was sent from one window, for Up and Down in its message line: newest last, the last
// Capacity lines. Walking away from the line being typed keeps it, and
// Down past the newest gives it back.
class SentLines {
public:
    static constexpr qsizetype Capacity = 100;

    SentLines() = default;
    // Lines sent before, oldest first, as lines() gave them.
    explicit SentLines(const QStringList& lines);
    const QStringList& lines() const { return lines_; }

    void add(const QString& line);
    // Up: the line before the one shown, or nothing at the oldest. `typed` is what the
    // message line holds, kept when the walk starts.
    std::optional<QString> older(const QString& typed);
    // Down: the line after the one shown, the kept typing past the newest, or nothing when
    // no walk is under way.
    std::optional<QString> newer();

private:
    QStringList lines_;
    qsizetype shown_ = 0; // lines_.size(): the typing, not a sent line
    QString typed_;
};

} // namespace kivo
