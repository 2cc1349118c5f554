// SPDX-License-Identifier: GPL-3.0-or-later
#include "SentLines.h"

#include <algorithm>

namespace kivo {

SentLines::SentLines(const QStringList& lines)
    : lines_(lines.mid(std::max<qsizetype>(0, lines.size() - Capacity)))
    , shown_(lines_.size()) {
}

void SentLines::add(const QString& line) {
    lines_.append(line);
    if (lines_.size() > Capacity)
        lines_.removeFirst();
    shown_ = lines_.size();
    typed_.clear();
}

std::optional<QString> SentLines::older(const QString& typed) {
    if (shown_ == 0)
        return std::nullopt;
    if (shown_ == lines_.size())
        typed_ = typed;
    return lines_.at(--shown_);
}

std::optional<QString> SentLines::newer() {
    if (shown_ >= lines_.size())
        return std::nullopt;
    ++shown_;
    return shown_ == lines_.size() ? typed_ : lines_.at(shown_);
}

} // namespace kivo
