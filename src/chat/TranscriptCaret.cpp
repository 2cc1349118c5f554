// SPDX-License-Identifier: GPL-3.0-or-later
#include "TranscriptCaret.h"

#include "TranscriptFormat.h"
#include "TranscriptModel.h"

#include <QTextBoundaryFinder>
#include <algorithm>

namespace kivo {
namespace {

using Position = TranscriptLayout::Position;

struct Lines {
    const TranscriptModel& model;

    qint64 first() const { return model.dropped(); }
    qint64 last() const { return model.dropped() + model.count() - 1; }
    QString text(qint64 line) const {
        return TranscriptFormat::shown(model.line(static_cast<qsizetype>(line - first()))).text;
    }
    int length(qint64 line) const { return static_cast<int>(text(line).size()); }
    Position onLine(qint64 line, int column) const {
        line = std::clamp(line, first(), last());
        return {line, std::clamp(column, 0, length(line))};
    }
};

// The next (or previous) boundary of a kind within a line; -1 when there is none.
int boundary(const QString& text, int column, QTextBoundaryFinder::BoundaryType type, bool forward,
             bool wordStarts) {
    QTextBoundaryFinder finder(type, text);
    finder.setPosition(column);
    for (;;) {
        const qsizetype at = forward ? finder.toNextBoundary() : finder.toPreviousBoundary();
        if (at < 0)
            return -1;
        if (!wordStarts || (finder.boundaryReasons() & QTextBoundaryFinder::StartOfItem))
            return static_cast<int>(at);
    }
}

// Across a line end, the next line's start or the previous line's end.
Position step(const Lines& lines, const Position& at, bool forward, bool byWord) {
    const QString text = lines.text(at.line);
    const int found =
        byWord ? boundary(text, at.column, QTextBoundaryFinder::Word, forward, true)
               : boundary(text, at.column, QTextBoundaryFinder::Grapheme, forward, false);
    if (found >= 0 && found != at.column)
        return {at.line, found};
    if (forward) {
        if (at.column < text.size()) // a last word runs to the line's end
            return {at.line, static_cast<int>(text.size())};
        return at.line < lines.last() ? Position{at.line + 1, 0} : at;
    }
    if (at.column > 0)
        return {at.line, 0};
    return at.line > lines.first() ? Position{at.line - 1, lines.length(at.line - 1)} : at;
}

} // namespace

std::optional<Position> caretMoved(const TranscriptModel& model, const Position& at, int key,
                                   Qt::KeyboardModifiers modifiers, int pageLines) {
    if (model.count() == 0)
        return std::nullopt;
    const Lines lines{model};
    const Position from = lines.onLine(at.line, at.column);
    const bool control = modifiers & Qt::ControlModifier;
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
        return step(lines, from, key == Qt::Key_Right, control);
    case Qt::Key_Up:
        return lines.onLine(from.line - 1, from.column);
    case Qt::Key_Down:
        return lines.onLine(from.line + 1, from.column);
    case Qt::Key_PageUp:
        return lines.onLine(from.line - std::max(1, pageLines), from.column);
    case Qt::Key_PageDown:
        return lines.onLine(from.line + std::max(1, pageLines), from.column);
    case Qt::Key_Home:
        return control ? Position{lines.first(), 0} : Position{from.line, 0};
    case Qt::Key_End:
        return control ? lines.onLine(lines.last(), INT_MAX)
                       : Position{from.line, lines.length(from.line)};
    default:
        return std::nullopt;
    }
}

} // namespace kivo
