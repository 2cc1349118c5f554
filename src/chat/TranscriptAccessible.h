// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TranscriptModel.h"

#include <QString>
#include <deque>
#include <utility>

namespace kivo {

// The whole transcript as one text, a line of text per transcript line, as a screen reader
// reads it: its length, a part of it, and where a line and a column are in it. Lines are
// counted absolutely, as TranscriptModel::dropped() counts them. Indexed only when asked.
class TranscriptText {
public:
    explicit TranscriptText(const TranscriptModel& model)
        : model_(model) {}

    int length();
    QString between(int from, int to);
    int offsetOf(qint64 line, int column);
    // The line and column at an offset.
    std::pair<qint64, int> lineAt(int offset);
    // The model dropped its oldest lines.
    void dropped(qsizetype lines);

private:
    void index();

    const TranscriptModel& model_;
    // Where each kept line starts in the whole text, from the first kept line on, and one
    // more entry where the next would start.
    std::deque<qint64> starts_;
};

class TranscriptView;

// Makes every TranscriptView readable by screen readers, once for the program.
void installAccessibleTranscript();
// Whether a screen reader listens: asked once, then told by Qt whenever that changes.
bool screenReaderListens();
// Tells a listening screen reader of the line just appended to a view.
void announceNewestLine(TranscriptView& view);

} // namespace kivo
