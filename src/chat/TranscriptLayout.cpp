// SPDX-License-Identifier: GPL-3.0-or-later
#include "TranscriptLayout.h"

#include "Colours.h"
#include "Text.h"

#include <QAbstractScrollArea>

namespace kivo {
namespace {

QTextCharFormat charFormat(const QColor& colour, bool bold) {
    QTextCharFormat format;
    format.setForeground(colour);
    if (bold)
        format.setFontWeight(QFont::Bold);
    return format;
}

} // namespace

qsizetype TranscriptLayout::LaidText::add(const QString& part, const QColor& colour, bool bold,
                                          bool isolated) {
    const auto start = static_cast<int>(text.size());
    isolated = isolated && needsIsolate(part);
    if (isolated)
        mark(isolateFor(part));
    const qsizetype partStart = text.size();
    text += part;
    if (isolated)
        mark(PopIsolate);
    formats.append({start, static_cast<int>(text.size()) - start, charFormat(colour, bold)});
    return partStart;
}

void TranscriptLayout::LaidText::addLinks(const QString& part, qsizetype partStart,
                                          const QColor& colour, bool bold) {
    links = findLinks(part);
    for (Link& link : links) {
        link.start += partStart;
        formats.append({static_cast<int>(link.start), static_cast<int>(link.length),
                        charFormat(colour, bold)});
    }
}

void TranscriptLayout::LaidText::mark(QChar ch) {
    marks[static_cast<size_t>(markCount++)] = text.size();
    text += ch;
}

qsizetype TranscriptLayout::LaidText::toLaid(qsizetype shown) const {
    for (int i = 0; i < markCount; ++i) {
        if (marks[static_cast<size_t>(i)] <= shown)
            ++shown;
    }
    return shown;
}

qsizetype TranscriptLayout::LaidText::toShown(qsizetype laid) const {
    qsizetype shown = laid;
    for (int i = 0; i < markCount; ++i) {
        if (marks[static_cast<size_t>(i)] < laid)
            --shown;
    }
    return shown;
}

TranscriptLayout::TranscriptLayout(const TranscriptModel& model, const QAbstractScrollArea& view)
    : model_(model)
    , view_(view) {
}

TranscriptLayout::~TranscriptLayout() = default;

TranscriptLayout::Styled TranscriptLayout::styled(qsizetype index) const {
    const TranscriptModel::Line line = model_.line(index);
    const QColor base = view_.palette().color(QPalette::Base);
    const auto colour = [&](const QColor& described) {
        return readableOn(line.history ? HistoryGrey : described, base);
    };
    return {.shown = TranscriptFormat::shown(line),
            .stamp = colour(TimeStampGrey),
            .sender = colour(line.own ? OwnBlue : OtherRed),
            .text = colour(Black),
            .link = readableOn(view_.palette().color(QPalette::Link), base),
            .bold = line.form == TranscriptModel::Form::System};
}

QString TranscriptLayout::shownText(qsizetype index) const {
    return TranscriptFormat::shown(model_.line(index)).text;
}

QList<TranscriptLayout::Run> TranscriptLayout::runs(qsizetype index) const {
    const Styled line = styled(index);
    const TranscriptFormat::Shown& shown = line.shown;
    QList<Run> result{{shown.text.left(shown.senderStart), line.stamp, false}};
    if (shown.textStart > shown.senderStart)
        result.append({shown.text.mid(shown.senderStart, shown.textStart - shown.senderStart),
                       line.sender, false});
    result.append({shown.text.mid(shown.textStart), line.text, line.bold});
    result.removeIf([](const Run& run) { return run.text.isEmpty(); });
    return result;
}

int TranscriptLayout::rowHeight() const {
    return std::max(1, view_.fontMetrics().lineSpacing());
}

const TranscriptLayout::Laid* TranscriptLayout::laidIfAny(qint64 line) const {
    const auto found = layouts_.find(line);
    return found == layouts_.end() ? nullptr : found->second.get();
}

TranscriptLayout::LaidText TranscriptLayout::laidTextOf(qint64 line) const {
    LaidText text;
    const Styled style = styled(static_cast<qsizetype>(line - model_.dropped()));
    const TranscriptFormat::Shown& shown = style.shown;
    if (shown.senderStart > 0)
        text.add(shown.text.left(shown.senderStart), style.stamp, false, false);
    if (shown.textStart > shown.senderStart) {
        // "<" sender "> ": the name alone is isolated.
        const qsizetype nameLength = shown.textStart - shown.senderStart - 3;
        text.add(QStringLiteral("<"), style.sender, false, false);
        text.add(shown.text.mid(shown.senderStart + 1, nameLength), style.sender, false, true);
        text.add(QStringLiteral("> "), style.sender, false, false);
    }
    const QString words = shown.text.mid(shown.textStart);
    text.addLinks(words, text.add(words, style.text, style.bold, shown.textStart > 0), style.link,
                  style.bold);
    return text;
}

TranscriptLayout::Laid& TranscriptLayout::laid(qint64 line, int rows, Part part) {
    std::unique_ptr<Laid>& entry = layouts_[line];
    if (entry && (entry->part == Part::Whole || (entry->part == part && entry->exactRows >= rows)))
        return *entry;
    LaidText text = entry ? std::move(entry->laidText) : laidTextOf(line);

    // Laying out a text costs time for all of it, however few rows are made, so a long line
    // is given only as much text as the rows asked for need, judged from the average width
    // of a character and doubled until it is enough.
    const int width = std::max(layoutWidth_, 1);
    const qsizetype perRow =
        std::max(8, width / std::max(1, view_.fontMetrics().averageCharWidth()));
    qsizetype chars = (rows + 2) * perRow * 2 + 64;
    const auto whole = static_cast<qsizetype>(text.text.size());
    auto result = std::make_unique<Laid>();
    for (;;) {
        if (part == Part::Whole || chars * 2 >= whole) {
            part = Part::Whole;
            chars = whole;
        }
        const qsizetype from = part == Part::Tail ? whole - chars : 0;
        QList<QTextLayout::FormatRange> formats;
        for (QTextLayout::FormatRange range : std::as_const(text.formats)) {
            const qsizetype start = std::max<qsizetype>(range.start, from);
            const qsizetype end = std::min<qsizetype>(range.start + range.length, from + chars);
            if (end > start)
                formats.append(
                    {static_cast<int>(start - from), static_cast<int>(end - start), range.format});
        }
        result->layout.setText(text.text.mid(from, chars));
        result->layout.setFont(view_.font());
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        option.setTextDirection(Qt::LeftToRight);
        result->layout.setTextOption(option);
        result->layout.setFormats(formats);
        result->layout.setCacheEnabled(true);
        qreal height = 0;
        result->layout.beginLayout();
        for (QTextLine row = result->layout.createLine(); row.isValid();
             row = result->layout.createLine()) {
            row.setLineWidth(width);
            row.setPosition(QPointF(0, height));
            height += row.height();
        }
        result->layout.endLayout();
        result->part = part;
        result->from = from;
        result->height = std::max(1, qCeil(height));
        const int count = result->layout.lineCount();
        // The row at the cut may wrap otherwise than in the whole line.
        result->exactRows = part == Part::Whole ? count : std::max(0, count - 1);
        if (part == Part::Whole || result->exactRows >= rows)
            break;
        chars *= 2;
    }
    result->estimated = part == Part::Whole
                            ? result->height
                            : static_cast<int>(std::min<qint64>(
                                  INT_MAX / 2, static_cast<qint64>(result->height) * whole /
                                                   std::max<qsizetype>(chars, 1)));
    if (part == Part::Tail)
        result->skipped = std::max(0, result->estimated - result->height);
    result->laidText = std::move(text);
    entry = std::move(result);
    return *entry;
}

int TranscriptLayout::fullHeight(qint64 line) {
    return laid(line, 0, Part::Whole).height;
}

int TranscriptLayout::estimatedHeight(qint64 line) {
    const Laid* known = laidIfAny(line);
    return (known ? *known : laid(line, 1, Part::Head)).estimated;
}

void TranscriptLayout::updateLayoutWidth() {
    const int width = view_.viewport()->width() - 2 * Margin;
    if (width == layoutWidth_)
        return;
    layouts_.clear();
    placed_.clear();
    layoutWidth_ = width;
}

QList<TranscriptLayout::Placed> TranscriptLayout::placeNewest() {
    updateLayoutWidth();
    QList<Placed> placed;
    const qint64 first = model_.dropped();
    int y = view_.viewport()->height() - Margin;
    for (qint64 line = first + model_.count() - 1; line >= first && y > 0; --line) {
        // A line taller than what is left is laid out from its end only.
        const Laid& entry = laid(line, y / rowHeight() + 2, Part::Tail);
        y -= entry.height;
        placed.prepend({line, y, entry.height});
    }
    // Fewer lines than fill the view start at the top.
    if (y > Margin) {
        for (Placed& p : placed)
            p.top -= y - Margin;
    }
    return placed;
}

void TranscriptLayout::place(bool follow, const Point& top) {
    updateLayoutWidth();
    const QList<Placed> newest = placeNewest();
    if (follow) {
        placed_ = newest;
    } else {
        placed_.clear();
        const qint64 end = model_.dropped() + model_.count();
        const int height = view_.viewport()->height();
        int y = Margin - top.offset;
        for (qint64 line = top.line; line < end && y < height; ++line) {
            const int rows = (height - y) / rowHeight() + 2;
            const Laid& entry = laid(line, rows, Part::Head);
            placed_.append({line, y, entry.height});
            y += entry.height;
        }
    }
    // Layouts neither on screen nor among the newest screenful are dropped.
    const auto shown = [](const QList<Placed>& list, qint64 line) {
        return !list.isEmpty() && line >= list.first().line && line <= list.last().line;
    };
    std::erase_if(layouts_, [&](const auto& entry) {
        return !shown(placed_, entry.first) && !shown(newest, entry.first);
    });
}

TranscriptLayout::Point TranscriptLayout::newestTop(bool exact) {
    QList<Placed> newest = placeNewest();
    if (newest.isEmpty())
        return {model_.dropped(), 0};
    if (exact && laid(newest.first().line, 0, Part::Tail).part != Part::Whole) {
        fullHeight(newest.first().line);
        newest = placeNewest();
    }
    const Placed& top = newest.first();
    const int skipped = laid(top.line, 0, Part::Tail).skipped;
    return {top.line, std::max(0, skipped + Margin - top.top)};
}

TranscriptLayout::Position TranscriptLayout::positionAt(const QPoint& point) const {
    if (placed_.isEmpty())
        return {};
    if (point.y() < placed_.first().top)
        return {placed_.first().line, 0};
    for (const Placed& placed : std::as_const(placed_)) {
        const Laid* entry = laidIfAny(placed.line);
        if (!entry || point.y() >= placed.top + placed.height)
            continue;
        const int rows = entry->layout.lineCount();
        for (int i = 0; i < rows; ++i) {
            const QTextLine row = entry->layout.lineAt(i);
            if (point.y() < placed.top + row.rect().bottom() || i + 1 == rows) {
                const qsizetype laidColumn = entry->from + row.xToCursor(point.x() - Margin);
                return {placed.line, static_cast<int>(entry->laidText.toShown(laidColumn))};
            }
        }
    }
    const qint64 last = placed_.last().line;
    return {last,
            static_cast<int>(shownText(static_cast<qsizetype>(last - model_.dropped())).size())};
}

TranscriptLayout::LinkAt TranscriptLayout::linkAt(const QPoint& point) const {
    for (const Placed& placed : std::as_const(placed_)) {
        const Laid* entry = laidIfAny(placed.line);
        if (!entry || entry->laidText.links.isEmpty() || point.y() < placed.top ||
            point.y() >= placed.top + placed.height)
            continue;
        for (int i = 0; i < entry->layout.lineCount(); ++i) {
            const QTextLine row = entry->layout.lineAt(i);
            const qreal x = point.x() - Margin;
            if (point.y() >= placed.top + row.rect().bottom() || x < row.x() ||
                x >= row.x() + row.naturalTextWidth())
                continue;
            const qsizetype at = entry->from + row.xToCursor(x, QTextLine::CursorOnCharacter);
            for (const Link& link : entry->laidText.links) {
                if (at >= link.start && at < link.start + link.length)
                    return {placed.line, link};
            }
            break;
        }
    }
    return {};
}

QRect TranscriptLayout::characterRect(qint64 line, int column) const {
    for (const Placed& placed : std::as_const(placed_)) {
        const Laid* entry = laidIfAny(placed.line);
        if (placed.line != line || !entry)
            continue;
        const qsizetype local = entry->laidText.toLaid(column) - entry->from;
        const QTextLine row = entry->layout.lineForTextPosition(static_cast<int>(local));
        if (local < 0 || !row.isValid())
            return {};
        const qreal x = row.cursorToX(static_cast<int>(local));
        const qreal next = row.cursorToX(static_cast<int>(local) + 1);
        return QRectF(Margin + std::min(x, next), placed.top + row.y(),
                      std::max<qreal>(1, std::abs(next - x)), row.height())
            .toAlignedRect();
    }
    return {};
}

void TranscriptLayout::forget() {
    layouts_.clear();
    placed_.clear();
}

void TranscriptLayout::forgetBefore(qint64 first) {
    // Nothing may keep a dropped line's layout.
    std::erase_if(layouts_, [first](const auto& entry) { return entry.first < first; });
    placed_.removeIf([first](const Placed& placed) { return placed.line < first; });
}

} // namespace kivo
