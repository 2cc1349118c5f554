// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Links.h"
#include "TranscriptFormat.h"
#include "TranscriptModel.h"

#include <QColor>
#include <QTextLayout>
#include <array>
#include <memory>
#include <unordered_map>

class QAbstractScrollArea;

namespace kivo {

// What of a transcript is laid out, and where: only the lines on screen, word-wrapped at the
// width of the view they are drawn in, and of a long line only the part whose rows are on
// screen; layouts are kept only while they are on screen or among the newest screenful.
// Heights of lines not laid out whole are estimates. Lines are counted absolutely, as
// TranscriptModel::dropped() counts them.
class TranscriptLayout {
public:
    static inline const QColor TimeStampGrey{150, 150, 150};
    static inline const QColor Black{0, 0, 0};
    static inline const QColor OwnBlue{0, 0, 255};
    static inline const QColor OtherRed{255, 0, 0};
    // Every run of a stored line: grey, yet 4.5:1 on white.
    static inline const QColor HistoryGrey{112, 112, 112};
    static constexpr int Margin = 4;

    struct Run {
        QString text;
        QColor colour;
        bool bold = false;
    };

    // A line's text as it is laid out: the shown text with the sender and the text each in
    // an isolate of its own where they need one, so that a right-to-left name cannot carry
    // the time stamp or the words along; every line runs left to right.
    struct LaidText {
        QString text;
        QList<QTextLayout::FormatRange> formats;
        std::array<qsizetype, 4> marks{}; // where isolates were added, in `text`
        int markCount = 0;
        QList<Link> links; // where they are in `text`

        // Returns where the part itself starts in `text`.
        qsizetype add(const QString& part, const QColor& colour, bool bold, bool isolated);
        void addLinks(const QString& part, qsizetype partStart, const QColor& colour, bool bold);
        qsizetype toLaid(qsizetype shown) const;
        qsizetype toShown(qsizetype laid) const;

    private:
        void mark(QChar ch);
    };

    enum class Part { Head, Tail, Whole };
    // A line laid out, whole or in part: the part from `from` (in the laid text) on.
    struct Laid {
        QTextLayout layout;
        LaidText laidText;
        Part part = Part::Whole;
        qsizetype from = 0;
        int exactRows = 0; // rows that wrap as in the whole line
        int height = 0;    // of all rows laid out
        int estimated = 0; // of the whole line
        int skipped = 0;   // a tail: the estimated height of what comes before it
    };
    struct Placed {
        qint64 line;
        int top; // of the layout, in the viewport
        int height;
    };
    // A point of the text: a line and how far below its top.
    struct Point {
        qint64 line = 0;
        int offset = 0;
        auto operator<=>(const Point&) const = default;
    };
    struct Position {
        qint64 line = -1;
        int column = 0; // in the shown text
    };
    struct LinkAt {
        qint64 line = -1;
        Link link; // its start in the laid text
    };

    // Laid out in the font and palette the view has at the time, at its viewport's width.
    TranscriptLayout(const TranscriptModel& model, const QAbstractScrollArea& view);
    ~TranscriptLayout();

    // What a line shows, run by run, in the colours it is drawn in.
    QList<Run> runs(qsizetype index) const;
    QString shownText(qsizetype index) const;
    int rowHeight() const;

    Laid& laid(qint64 line, int rows, Part part);
    const Laid* laidIfAny(qint64 line) const;
    int fullHeight(qint64 line);
    int estimatedHeight(qint64 line);

    // Places the lines in the viewport: the newest at the bottom when following, else from
    // `top` down.
    void place(bool follow, const Point& top);
    const QList<Placed>& placed() const { return placed_; }
    // Where the top of the viewport is when the newest line ends at its bottom; exact lays the
    // top line out whole.
    Point newestTop(bool exact);

    // Hit tests against the lines as last placed, in the viewport's coordinates.
    Position positionAt(const QPoint& point) const;
    LinkAt linkAt(const QPoint& point) const;
    // Where a character is in the viewport; empty when it is not placed.
    QRect characterRect(qint64 line, int column) const;

    // After a font, palette or width change, or when lines were dropped.
    void forget();
    void forgetBefore(qint64 first);

private:
    // A line's shown text and the colours of its runs.
    struct Styled {
        TranscriptFormat::Shown shown;
        QColor stamp, sender, text, link;
        bool bold = false;
    };
    Styled styled(qsizetype index) const;
    LaidText laidTextOf(qint64 line) const;
    void updateLayoutWidth();
    // Where the lines go when the newest ends at the bottom.
    QList<Placed> placeNewest();

    const TranscriptModel& model_;
    const QAbstractScrollArea& view_;
    std::unordered_map<qint64, std::unique_ptr<Laid>> layouts_;
    int layoutWidth_ = -1;
    QList<Placed> placed_;
};

} // namespace kivo
