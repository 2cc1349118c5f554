// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TranscriptModel.h"

#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>
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

// Says new lines to a screen reader whatever has the focus: Orca drops text inserted that the
// user did not cause, but presents an object of the notification role that becomes shown.
// Invisible, and only made while a screen reader listens. Lines that come close together are
// said together, the newest few, so that a flood does not keep the reader talking for hours.
class SpokenLines : public QWidget {
    Q_OBJECT
public:
    static constexpr int Gap = 300;  // ms, at least, between two notices
    static constexpr int AtOnce = 3; // lines in one notice, at most

    explicit SpokenLines(QWidget* parent);
    void say(const QString& line);

private:
    void flush();

    QStringList waiting_;
    int skipped_ = 0;
    QTimer gap_;
};

// Makes every TranscriptView readable by screen readers, once for the program.
void installAccessibleTranscript();
// Whether a screen reader listens: asked once, then told by Qt whenever that changes.
bool screenReaderListens();
// Tells a listening screen reader of the line just appended to a view; one from someone else
// is said too, where the view's window is active or, for private conversations, always.
void announceNewestLine(TranscriptView& view, bool privateConversation);
// Tells a listening screen reader where the view's caret is now, and its selection when that
// changed.
void announceCaret(TranscriptView& view, bool selectionChanged);

} // namespace kivo
