// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Links.h"
#include "TranscriptFormat.h"
#include "TranscriptModel.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>
#include <unordered_map>

class QLabel;
class QTextLayout;
class QToolButton;

namespace kivo {

// Shows a transcript model: only what is on screen is laid out (word-wrapped at the width of
// the view), and of a long line only the part whose rows are on screen; layouts are kept only
// while they are on screen or among the newest screenful. Scrolls by pixels, so every row of
// a message taller than the view can be read, and any point of a million lines is a frame
// away. While the view is at the newest line it follows new lines; scrolled up, it stays where
// it is and a marker says that new lines are below. Text can be selected with the mouse and
// copied, one line per transcript line. Web addresses are links: a click without a drag opens
// one through the desktop.
class TranscriptView : public QAbstractScrollArea {
    Q_OBJECT
public:
    static inline const QColor TimeStampGrey{150, 150, 150};
    static inline const QColor Black{0, 0, 0};
    static inline const QColor OwnBlue{0, 0, 255};
    static inline const QColor OtherRed{255, 0, 0};
    // Every run of a stored line: grey, yet 4.5:1 on white.
    static inline const QColor HistoryGrey{112, 112, 112};
    // The scroll bar counts this many steps for each transcript line, however tall.
    static constexpr int StepsPerLine = 1000;

    explicit TranscriptView(QWidget* parent = nullptr);
    ~TranscriptView() override;

    // The lines it shows, its own.
    TranscriptModel& model() { return model_; }
    const TranscriptModel& model() const { return model_; }

    struct Run {
        QString text;
        QColor colour;
        bool bold = false;
    };
    // What a line shows, run by run, in the colours it is drawn in.
    QList<Run> runs(qsizetype index) const;

    bool followsNewest() const { return follow_; }
    void scrollToNewest();
    // Moves the text up (positive) or down by this many pixels.
    void scrollByPixels(int pixels);
    // Brings a line to the top of the view (as far as there are lines below it) and selects
    // it.
    void showLine(qsizetype index);
    // User lines of others naming this name as a word are drawn on the highlight colour;
    // an empty name draws none. Asked at each paint.
    std::function<QString()> mentionedName = [] { return QString(); };
    // A line drawn above this line (absolute, as dropped() counts) marks where the unread
    // lines begin; -1 draws none.
    void setUnreadMarker(qint64 line);
    qint64 unreadMarker() const { return unreadMarker_; }
    // The first line (partly) on screen, as an index into the model; -1 when empty.
    qsizetype topLine();
    // The lines on screen, as the screen shows them.
    QString visibleText();

    bool hasSelection() const;
    QString selectedText() const;
    void selectAll();
    void copy() const;

    // The whole transcript as one text, a line of text per transcript line, for screen
    // readers: its length, a part of it, and where a line and a column are in it.
    int textLength();
    QString textBetween(int from, int to);
    int offsetOf(qint64 line, int column);
    // The line (absolute) and column at an offset of that text.
    std::pair<qint64, int> lineAtOffset(int offset);
    // Where a character of the text is on screen (viewport coordinates); empty when it is
    // not on screen.
    QRect characterRect(int offset);
    // The offset of the character at a point of the viewport, -1 when there is none.
    int offsetAt(const QPoint& point);
    std::pair<int, int> selectionOffsets();
    void selectOffsets(int from, int to);
    const Run* runAtOffset(int offset, int* start, int* end);

Q_SIGNALS:
    void selectionChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Laid;
    struct Placed {
        qint64 line; // absolute: model.dropped() + index
        int top;     // of the layout, in the viewport
        int height;
    };
    struct Position {
        qint64 line = -1; // absolute
        int column = 0;   // in the shown text
    };
    // A point of the text: a line and how far below its top.
    struct Point {
        qint64 line = 0;
        int offset = 0;
        auto operator<=>(const Point&) const = default;
    };

    QString shownText(qsizetype index) const;
    // A line's shown text and the colours of its runs.
    struct Styled {
        TranscriptFormat::Shown shown;
        QColor stamp, sender, text, link;
        bool bold = false;
    };
    Styled styled(qsizetype index) const;

    enum class Part { Head, Tail, Whole };
    // The layout of a line with at least `rows` exact rows from its start (Head) or its
    // end (Tail), or all of it.
    Laid& laid(qint64 line, int rows, Part part);
    const Laid* laidIfAny(qint64 line) const;
    int rowHeight() const;
    int fullHeight(qint64 line);
    int estimatedHeight(qint64 line);
    void updateLayoutWidth();
    // Where the lines go when the newest ends at the bottom.
    QList<Placed> placeNewest();
    void place();
    Point newestTop(bool exact);
    int scrollValue(const Point& point);
    void applyScrollValue(int value);
    void onAppended();
    void onDropped(qsizetype lines);
    void sync();
    void setFollowing(bool follow);
    Position positionAt(const QPoint& point);
    std::pair<Position, Position> orderedSelection() const;
    struct LinkAt {
        qint64 line = -1;
        Link link; // its start in the laid text
    };
    // The link under a point of the viewport, if any.
    LinkAt linkAt(const QPoint& point);
    void hover(const LinkAt& link);
    void forgetLayouts();
    void placeOverlays();
    bool mentionsName(qsizetype index, const QString& name) const;
    QColor mentionBackground() const;
    void indexText();

    TranscriptModel model_;
    std::unordered_map<qint64, std::unique_ptr<Laid>> layouts_;
    int layoutWidth_ = -1;
    QList<Placed> placed_;
    bool follow_ = true;
    Point top_; // while not following
    bool syncing_ = false;
    QTimer syncTimer_;
    QToolButton* newLinesBelow_;
    QLabel* linkStatus_; // the hovered link's address
    Position anchor_;
    Position cursor_;
    bool selecting_ = false;
    LinkAt hovered_;
    qint64 unreadMarker_ = -1;
    QUrl pressedLink_;
    // For screen readers: where each kept line starts in the whole text, from the first
    // kept line on, and one more entry where the next would start. Filled only when asked.
    std::deque<qint64> textStarts_;
    QList<Run> runCache_;
};

} // namespace kivo
