// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TranscriptAccessible.h"
#include "TranscriptLayout.h"
#include "TranscriptModel.h"

#include <QAbstractScrollArea>
#include <QTimer>
#include <functional>

class QLabel;
class QToolButton;

namespace kivo {

// Shows a transcript model, laid out by a TranscriptLayout as far as the screen shows it.
// Scrolls by pixels, so every row of a message taller than the view can be read, and any point of a
// million lines is a frame away. While the view is at the newest line it follows new lines;
// scrolled up, it stays where it is and a marker says that new lines are below. Text can be
// selected with the mouse and copied, one line per transcript line. Web addresses are links: a
// click without a drag opens one through the desktop.
class TranscriptView : public QAbstractScrollArea {
    Q_OBJECT
public:
    using Run = TranscriptLayout::Run;
    using Position = TranscriptLayout::Position;
    // The scroll bar counts this many steps for each transcript line, however tall.
    static constexpr int StepsPerLine = 1000;

    explicit TranscriptView(QWidget* parent = nullptr);
    ~TranscriptView() override;

    // The lines it shows, its own.
    TranscriptModel& model() { return model_; }
    const TranscriptModel& model() const { return model_; }

    // What a line shows, run by run, in the colours it is drawn in.
    QList<Run> runs(qsizetype index) const { return layout_.runs(index); }
    // The layout, placed where the view stands now.
    const TranscriptLayout& layoutNow();
    // The whole text, as screen readers read it.
    TranscriptText& text() { return text_; }

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
    // New lines from others are said to a screen reader while the window is in the
    // background too (a private conversation), not only while it is active.
    bool spokenInBackground = false;
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
    // The selection, first to last; lines (-1) when there is none.
    std::pair<Position, Position> selection() const;
    void select(const Position& anchor, const Position& cursor);
    // Where the selection's moving end (or the reading caret) is; line -1 when nowhere.
    Position cursor() const { return cursor_; }

    // For screen reader users: the view keeps the keyboard and shows a caret on the newest
    // line, which the keys move as in a read-only text, until the focus leaves.
    void startReading();
    bool reading() const { return reading_; }

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
    void focusOutEvent(QFocusEvent* event) override;

private:
    using Point = TranscriptLayout::Point;

    void place();
    int scrollValue(const Point& point);
    void applyScrollValue(int value);
    void onAppended();
    void onDropped(qsizetype lines);
    void sync();
    void setFollowing(bool follow);
    void hover(const TranscriptLayout::LinkAt& link);
    void forgetLayouts();
    void placeOverlays();
    bool mentionsName(qsizetype index, const QString& name) const;
    bool moveCaret(const QKeyEvent* event);
    // Scrolls as little as brings the line into view.
    void reveal(qint64 line);
    QColor mentionBackground() const;

    TranscriptModel model_;
    TranscriptLayout layout_;
    TranscriptText text_;
    bool follow_ = true;
    Point top_; // while not following
    bool syncing_ = false;
    QTimer syncTimer_;
    QToolButton* newLinesBelow_;
    QLabel* linkStatus_; // the hovered link's address
    Position anchor_;
    Position cursor_;
    bool selecting_ = false;
    bool reading_ = false;
    TranscriptLayout::LinkAt hovered_;
    qint64 unreadMarker_ = -1;
    QUrl pressedLink_;
};

} // namespace kivo
