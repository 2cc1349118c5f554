// SPDX-License-Identifier: GPL-3.0-or-later
// The transcript's selection and keys: what is selected and copied, scrolling by keyboard, and
// the reading caret a screen reader's user moves through the lines.
#include "TranscriptCaret.h"
#include "TranscriptView.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>

namespace kivo {
namespace {

constexpr int Margin = TranscriptLayout::Margin;

} // namespace

std::pair<TranscriptView::Position, TranscriptView::Position> TranscriptView::selection() const {
    if (anchor_.line < 0 || cursor_.line < 0)
        return {{}, {}};
    const bool forward =
        std::pair(anchor_.line, anchor_.column) <= std::pair(cursor_.line, cursor_.column);
    Position from = forward ? anchor_ : cursor_;
    Position to = forward ? cursor_ : anchor_;
    // Lines dropped since the selection was made are out of it.
    if (from.line < model_.dropped())
        from = {model_.dropped(), 0};
    if (to.line < from.line)
        return {{}, {}};
    return {from, to};
}

bool TranscriptView::hasSelection() const {
    const auto [from, to] = selection();
    return from.line >= 0 && std::pair(from.line, from.column) != std::pair(to.line, to.column);
}

QString TranscriptView::selectedText() const {
    if (!hasSelection())
        return {};
    const auto [from, to] = selection();
    const qint64 first = model_.dropped();
    return TranscriptFormat::text(model_, static_cast<qsizetype>(from.line - first), from.column,
                                  static_cast<qsizetype>(to.line - first), to.column);
}

void TranscriptView::selectAll() {
    if (model_.count() == 0)
        return;
    anchor_ = {model_.dropped(), 0};
    const qsizetype last = model_.count() - 1;
    cursor_ = {model_.dropped() + last, static_cast<int>(layout_.shownText(last).size())};
    viewport()->update();
    Q_EMIT selectionChanged();
}

void TranscriptView::select(const Position& anchor, const Position& cursor) {
    anchor_ = anchor;
    cursor_ = cursor;
    viewport()->update();
    Q_EMIT selectionChanged();
}

void TranscriptView::startReading() {
    if (model_.count() == 0)
        return;
    reading_ = true;
    anchor_ = cursor_ = {model_.dropped() + model_.count() - 1, 0};
    scrollToNewest();
    Q_EMIT selectionChanged();
    // No caret event: the focus event that follows reads the line at the caret, and a caret
    // event before it would make Orca take the focus silently.
}

bool TranscriptView::moveCaret(const QKeyEvent* event) {
    place();
    const int pageLines = static_cast<int>(layout_.placed().size()) - 1;
    const std::optional<Position> moved =
        caretMoved(model_, cursor_, event->key(), event->modifiers(), pageLines);
    if (!moved)
        return false;
    const bool selected = hasSelection();
    cursor_ = *moved;
    if (!(event->modifiers() & Qt::ShiftModifier))
        anchor_ = cursor_;
    reveal(cursor_.line);
    viewport()->update();
    Q_EMIT selectionChanged();
    announceCaret(*this, selected || hasSelection());
    return true;
}

void TranscriptView::reveal(qint64 line) {
    place();
    for (const TranscriptLayout::Placed& placed : layout_.placed()) {
        if (placed.line != line)
            continue;
        const int below = placed.top + placed.height - (viewport()->height() - Margin);
        if (placed.top < Margin)
            scrollByPixels(placed.top - Margin);
        else if (below > 0)
            scrollByPixels(below);
        return;
    }
    top_ = {line, 0};
    setFollowing(top_ >= layout_.newestTop(false));
    sync();
}

void TranscriptView::focusOutEvent(QFocusEvent* event) {
    // Its own context menu does not end the reading.
    if (event->reason() != Qt::PopupFocusReason && std::exchange(reading_, false))
        viewport()->update();
    QAbstractScrollArea::focusOutEvent(event);
}

void TranscriptView::copy() const {
    if (hasSelection())
        QGuiApplication::clipboard()->setText(selectedText());
}

void TranscriptView::keyPressEvent(QKeyEvent* event) {
    if (event == QKeySequence::Copy) {
        copy();
        return;
    }
    if (event == QKeySequence::SelectAll) {
        selectAll();
        return;
    }
    if (reading_ && moveCaret(event))
        return;
    const int page = viewport()->height() - 2 * Margin - layout_.rowHeight();
    switch (event->key()) {
    case Qt::Key_Up:
        return scrollByPixels(-layout_.rowHeight());
    case Qt::Key_Down:
        return scrollByPixels(layout_.rowHeight());
    case Qt::Key_PageUp:
        return scrollByPixels(-page);
    case Qt::Key_PageDown:
        return scrollByPixels(page);
    case Qt::Key_Home:
        if (model_.count() > 0) {
            top_ = {model_.dropped(), 0};
            setFollowing(false);
            sync();
        }
        return;
    case Qt::Key_End:
        return scrollToNewest();
    default:
        QAbstractScrollArea::keyPressEvent(event);
    }
}

} // namespace kivo
