// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TranscriptModel.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QTimer>
#include <memory>
#include <unordered_map>

class QTextLayout;
class QToolButton;

namespace kivo {

// Shows a transcript model: only the lines on screen are laid out (word-wrapped at the
// width of the view), and their layouts are kept only while they are on screen or among
// the newest screenful. Scrolls by lines, so any point of a million lines is a frame away.
// While the view is at the newest line it follows new lines; scrolled up, it stays where it
// is and a marker says that new lines are below. Text can be selected with the mouse and
// copied, one line per transcript line.
class TranscriptView : public QAbstractScrollArea {
    Q_OBJECT
public:
    static inline const QColor TimeStampGrey{150, 150, 150};
    static inline const QColor Black{0, 0, 0};
    static inline const QColor OwnBlue{0, 0, 255};
    static inline const QColor OtherRed{255, 0, 0};
    static inline const QColor HistoryGrey{128, 128, 128}; // every run of a stored line

    explicit TranscriptView(TranscriptModel& model, QWidget* parent = nullptr);
    ~TranscriptView() override;

    TranscriptModel& model() const { return model_; }

    struct Run {
        QString text;
        QColor colour;
        bool bold = false;
    };
    // What a line shows, run by run, in the colours it is drawn in.
    QList<Run> runs(qsizetype index) const;

    bool followsNewest() const { return follow_; }
    void scrollToNewest();
    // The first line (partly) on screen, as an index into the model; -1 when empty.
    qsizetype topLine() const;
    // The lines on screen, as the screen shows them (for screen readers).
    QString visibleText() const;

    bool hasSelection() const;
    QString selectedText() const;
    void selectAll();
    void copy() const;

Q_SIGNALS:
    void selectionChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Laid {
        std::unique_ptr<QTextLayout> layout;
        int height = 0;
    };
    struct Placed {
        qint64 line; // absolute: model.dropped() + index
        int top;
        QTextLayout* layout;
        int height;
    };
    struct Position {
        qint64 line = -1; // absolute
        int column = 0;
    };

    Laid& laid(qint64 line);
    void updateLayoutWidth();
    void place();
    // The top line (as a scroll bar value) that shows the newest line at the bottom.
    qsizetype newestTop();
    void onAppended();
    void onDropped(qsizetype lines);
    void sync();
    void setFollowing(bool follow);
    Position positionAt(const QPoint& point) const;
    std::pair<Position, Position> orderedSelection() const;
    void forgetLayouts();

    TranscriptModel& model_;
    std::unordered_map<qint64, Laid> layouts_;
    int layoutWidth_ = -1;
    QList<Placed> placed_;
    bool follow_ = true;
    bool syncing_ = false;
    QTimer syncTimer_;
    QToolButton* newLinesBelow_;
    Position anchor_;
    Position cursor_;
    bool selecting_ = false;
};

} // namespace kivo
