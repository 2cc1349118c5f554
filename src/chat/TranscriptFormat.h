// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ChatLine.h"

#include <QList>
#include <QString>

namespace kivo {

class TranscriptModel;

// How a conversation's line is shown, in one place: the transcript view, its copy, the text
// screen readers get and the history search all show lines this way.
namespace TranscriptFormat {

// A line as the screen shows it: the time stamp "[hh:mm:ss] " (local time), for a user line
// "<sender> ", then the text; text from elsewhere as shownInLine() makes it, an address's host
// that mixes scripts in ASCII. The separator
// between stored and new lines is a rule with a word and no time.
struct Shown {
    QString text;
    qsizetype senderStart = 0; // after the time stamp
    qsizetype textStart = 0;   // after "<sender> ", or equal to senderStart
};
Shown shown(const ChatLine& line);

// "[hh:mm:ss] " for a time, in local time.
QString timeStamp(qint64 time);

// The shown text of a model's lines from one place to another (index and column, the end
// excluded), one line of text per transcript line, as a selection copies it.
QString text(const TranscriptModel& model, qsizetype fromLine, qsizetype fromColumn,
             qsizetype toLine, qsizetype toColumn);

// Text from elsewhere set among other text (a name, a message in a search result): in one
// line, and in an isolate of its own direction. With positions: where each character of the
// text (and its end) went.
QString isolated(const QString& text, QList<qsizetype>* positions = nullptr);

} // namespace TranscriptFormat
} // namespace kivo
