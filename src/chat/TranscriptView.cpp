// SPDX-License-Identifier: GPL-3.0-or-later
#include "TranscriptView.h"

#include "Colours.h"
#include "Links.h"
#include "Text.h"
#include "TranscriptFormat.h"
#include "Widgets.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QTextLayout>
#include <QToolButton>
#include <QToolTip>
#include <QWheelEvent>

namespace kivo {
namespace {

constexpr int Margin = 4;

QTextCharFormat charFormat(const QColor& colour, bool bold) {
    QTextCharFormat format;
    format.setForeground(colour);
    if (bold)
        format.setFontWeight(QFont::Bold);
    return format;
}

// A line's text as it is laid out: the shown text with the sender and the text each in an
// isolate of its own where they need one, so that a right-to-left name cannot carry the time
// stamp or the words along; every line runs left to right.
struct LaidText {
    QString text;
    QList<QTextLayout::FormatRange> formats;
    std::array<qsizetype, 4> marks{}; // where isolates were added, in `text`
    int markCount = 0;
    QList<Link> links; // where they are in `text`

    // Returns where the part itself starts in `text`.
    qsizetype add(const QString& part, const QColor& colour, bool bold, bool isolated) {
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
    void addLinks(const QString& part, qsizetype partStart, const QColor& colour, bool bold) {
        links = findLinks(part);
        for (Link& link : links) {
            link.start += partStart;
            formats.append({static_cast<int>(link.start), static_cast<int>(link.length),
                            charFormat(colour, bold)});
        }
    }
    void mark(QChar ch) {
        marks[static_cast<size_t>(markCount++)] = text.size();
        text += ch;
    }
    qsizetype toLaid(qsizetype shown) const {
        for (int i = 0; i < markCount; ++i) {
            if (marks[static_cast<size_t>(i)] <= shown)
                ++shown;
        }
        return shown;
    }
    qsizetype toShown(qsizetype laid) const {
        qsizetype shown = laid;
        for (int i = 0; i < markCount; ++i) {
            if (marks[static_cast<size_t>(i)] < laid)
                --shown;
        }
        return shown;
    }
};

// What a screen reader reads of the transcript: all of it, as one text.
class TranscriptAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit TranscriptAccessible(TranscriptView* view)
        : QAccessibleWidget(view, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::TextInterface ? static_cast<QAccessibleTextInterface*>(this)
                                                  : QAccessibleWidget::interface_cast(type);
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        state.multiLine = true;
        state.selectableText = true;
        return state;
    }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Value ? view()->textBetween(0, view()->textLength())
                                       : QAccessibleWidget::text(t);
    }

    void addSelection(int start, int end) override { setSelection(0, start, end); }
    QString attributes(int offset, int* start, int* end) const override {
        const TranscriptView::Run* run = view()->runAtOffset(offset, start, end);
        if (!run)
            return {};
        const QColor& c = run->colour;
        return QStringLiteral("color:rgb(%1,%2,%3);font-weight:%4;")
            .arg(c.red())
            .arg(c.green())
            .arg(c.blue())
            .arg(run->bold ? QStringLiteral("bold") : QStringLiteral("normal"));
    }
    int cursorPosition() const override { return view()->selectionOffsets().second; }
    QRect characterRect(int offset) const override {
        const QRect rect = view()->characterRect(offset);
        return rect.isNull() ? rect
                             : QRect(view()->viewport()->mapToGlobal(rect.topLeft()), rect.size());
    }
    int selectionCount() const override { return view()->hasSelection() ? 1 : 0; }
    int offsetAtPoint(const QPoint& point) const override {
        return view()->offsetAt(view()->viewport()->mapFromGlobal(point));
    }
    void selection(int index, int* start, int* end) const override {
        *start = *end = 0;
        if (index == 0 && view()->hasSelection())
            std::tie(*start, *end) = view()->selectionOffsets();
    }
    QString text(int start, int end) const override { return view()->textBetween(start, end); }
    int characterCount() const override { return view()->textLength(); }
    void removeSelection(int) override { view()->selectOffsets(0, 0); }
    void setCursorPosition(int position) override { view()->selectOffsets(position, position); }
    void setSelection(int, int start, int end) override { view()->selectOffsets(start, end); }
    void scrollToSubstring(int, int) override {}

private:
    TranscriptView* view() const { return static_cast<TranscriptView*>(widget()); }
};

// Whether a screen reader listens: asked once, then told by Qt whenever that changes.
struct ScreenReaderState : QAccessible::ActivationObserver {
    bool active = QAccessible::isActive();
    ScreenReaderState() { QAccessible::installActivationObserver(this); }
    void accessibilityActiveChanged(bool on) override { active = on; }
};

bool screenReaderListens() {
    static ScreenReaderState state;
    return state.active;
}

QAccessibleInterface* accessibleTranscript(const QString&, QObject* object) {
    if (auto* view = qobject_cast<TranscriptView*>(object))
        return new TranscriptAccessible(view);
    return nullptr;
}

} // namespace

// A line laid out, whole or in part: the part from `from` (in the laid text) on.
struct TranscriptView::Laid {
    QTextLayout layout;
    LaidText laidText;
    Part part = Part::Whole;
    qsizetype from = 0;
    int exactRows = 0; // rows that wrap as in the whole line
    int height = 0;    // of all rows laid out
    int estimated = 0; // of the whole line
    int skipped = 0;   // a tail: the estimated height of what comes before it
};

TranscriptView::TranscriptView(QWidget* parent)
    : QAbstractScrollArea(parent)
    , newLinesBelow_(new QToolButton(this))
    , linkStatus_(new QLabel(viewport())) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(accessibleTranscript);
        return screenReaderListens();
    }();
    Q_UNUSED(factoryInstalled);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setMouseTracking(true);
    viewport()->setBackgroundRole(QPalette::Base);
    // Steps and pages of the scroll bar move the text by rows and screens, not by lines.
    connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this, [this](int action) {
        const int page = viewport()->height() - 2 * Margin - rowHeight();
        const int pixels = action == QAbstractSlider::SliderSingleStepAdd   ? rowHeight()
                           : action == QAbstractSlider::SliderSingleStepSub ? -rowHeight()
                           : action == QAbstractSlider::SliderPageStepAdd   ? page
                           : action == QAbstractSlider::SliderPageStepSub   ? -page
                                                                            : 0;
        if (pixels == 0)
            return;
        verticalScrollBar()->setSliderPosition(verticalScrollBar()->value());
        scrollByPixels(pixels);
    });

    newLinesBelow_->setObjectName(QStringLiteral("newLinesBelow"));
    newLinesBelow_->setText(tr("New lines below"));
    newLinesBelow_->setArrowType(Qt::DownArrow);
    newLinesBelow_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    newLinesBelow_->setFocusPolicy(Qt::NoFocus);
    newLinesBelow_->hide();
    connect(newLinesBelow_, &QToolButton::clicked, this, &TranscriptView::scrollToNewest);

    linkStatus_->setObjectName(QStringLiteral("linkStatus"));
    linkStatus_->setTextFormat(Qt::PlainText);
    linkStatus_->setAutoFillBackground(true);
    linkStatus_->setBackgroundRole(QPalette::ToolTipBase);
    linkStatus_->setForegroundRole(QPalette::ToolTipText);
    linkStatus_->setMargin(2);
    linkStatus_->setAttribute(Qt::WA_TransparentForMouseEvents);
    linkStatus_->hide();

    // The scroll bar and the screen catch up once per turn of the event loop, however many
    // lines came in it.
    syncTimer_.setSingleShot(true);
    syncTimer_.setInterval(0);
    connect(&syncTimer_, &QTimer::timeout, this, &TranscriptView::sync);
    connect(&model_, &TranscriptModel::appended, this, &TranscriptView::onAppended);
    connect(&model_, &TranscriptModel::droppedOldest, this, &TranscriptView::onDropped);
    sync();
}

TranscriptView::~TranscriptView() = default;

TranscriptView::Styled TranscriptView::styled(qsizetype index) const {
    const TranscriptModel::Line line = model_.line(index);
    const QColor base = palette().color(QPalette::Base);
    const auto colour = [&](const QColor& described) {
        return readableOn(line.history ? HistoryGrey : described, base);
    };
    return {.shown = TranscriptFormat::shown(line),
            .stamp = colour(TimeStampGrey),
            .sender = colour(line.own ? OwnBlue : OtherRed),
            .text = colour(Black),
            .link = readableOn(palette().color(QPalette::Link), base),
            .bold = line.form == TranscriptModel::Form::System};
}

QString TranscriptView::shownText(qsizetype index) const {
    return TranscriptFormat::shown(model_.line(index)).text;
}

QList<TranscriptView::Run> TranscriptView::runs(qsizetype index) const {
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

int TranscriptView::rowHeight() const {
    return std::max(1, fontMetrics().lineSpacing());
}

const TranscriptView::Laid* TranscriptView::laidIfAny(qint64 line) const {
    const auto found = layouts_.find(line);
    return found == layouts_.end() ? nullptr : found->second.get();
}

TranscriptView::Laid& TranscriptView::laid(qint64 line, int rows, Part part) {
    std::unique_ptr<Laid>& entry = layouts_[line];
    if (entry && (entry->part == Part::Whole || (entry->part == part && entry->exactRows >= rows)))
        return *entry;
    LaidText text;
    if (!entry) {
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
        text.addLinks(words, text.add(words, style.text, style.bold, shown.textStart > 0),
                      style.link, style.bold);
    } else {
        text = std::move(entry->laidText);
    }

    // Laying out a text costs time for all of it, however few rows are made, so a long line
    // is given only as much text as the rows asked for need, judged from the average width
    // of a character and doubled until it is enough.
    const int width = std::max(layoutWidth_, 1);
    const qsizetype perRow = std::max(8, width / std::max(1, fontMetrics().averageCharWidth()));
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
        result->layout.setFont(font());
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

int TranscriptView::fullHeight(qint64 line) {
    return laid(line, 0, Part::Whole).height;
}

int TranscriptView::estimatedHeight(qint64 line) {
    const Laid* known = laidIfAny(line);
    return (known ? *known : laid(line, 1, Part::Head)).estimated;
}

void TranscriptView::updateLayoutWidth() {
    const int width = viewport()->width() - 2 * Margin;
    if (width == layoutWidth_)
        return;
    layouts_.clear();
    placed_.clear();
    layoutWidth_ = width;
}

QList<TranscriptView::Placed> TranscriptView::placeNewest() {
    updateLayoutWidth();
    QList<Placed> placed;
    const qint64 first = model_.dropped();
    int y = viewport()->height() - Margin;
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

void TranscriptView::place() {
    updateLayoutWidth();
    const QList<Placed> newest = placeNewest();
    if (follow_) {
        placed_ = newest;
    } else {
        placed_.clear();
        const qint64 end = model_.dropped() + model_.count();
        const int height = viewport()->height();
        int y = Margin - top_.offset;
        for (qint64 line = top_.line; line < end && y < height; ++line) {
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

TranscriptView::Point TranscriptView::newestTop(bool exact) {
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

int TranscriptView::scrollValue(const Point& point) {
    const qint64 index = point.line - model_.dropped();
    const int height = std::max(1, estimatedHeight(point.line));
    const qint64 fraction = std::min<qint64>(StepsPerLine - 1, static_cast<qint64>(point.offset) *
                                                                   StepsPerLine / height);
    return static_cast<int>(std::min<qint64>(index * StepsPerLine + fraction, INT_MAX));
}

void TranscriptView::applyScrollValue(int value) {
    if (value >= verticalScrollBar()->maximum() || model_.count() == 0) {
        setFollowing(true);
        return;
    }
    const qint64 line = model_.dropped() + value / StepsPerLine;
    const int offset = static_cast<int>(static_cast<qint64>(value % StepsPerLine) *
                                        estimatedHeight(line) / StepsPerLine);
    top_ = {line, offset};
    setFollowing(false);
}

void TranscriptView::scrollByPixels(int pixels) {
    if (pixels == 0 || model_.count() == 0 || (follow_ && pixels > 0))
        return;
    const qint64 first = model_.dropped();
    const qint64 last = first + model_.count() - 1;
    const Point newest = newestTop(true);
    Point at = follow_ ? newest : top_;
    at.offset += pixels;
    while (at.offset < 0 && at.line > first)
        at.offset += fullHeight(--at.line);
    at.offset = std::max(at.offset, 0);
    while (at.line < last) {
        const Laid& entry = laid(at.line, at.offset / rowHeight() + 2, Part::Head);
        if (entry.part != Part::Whole || at.offset < entry.height)
            break;
        at.offset -= entry.height;
        ++at.line;
    }
    if (at >= newest) {
        setFollowing(true);
    } else {
        top_ = at;
        setFollowing(false);
    }
    sync();
}

void TranscriptView::paintEvent(QPaintEvent*) {
    place();
    QPainter painter(viewport());
    const auto [from, to] = orderedSelection();
    const QPalette& colours = palette();
    const QString mentioned = mentionedName();
    for (const Placed& placed : std::as_const(placed_)) {
        const Laid* entry = laidIfAny(placed.line);
        if (!entry)
            continue;
        QList<QTextLayout::FormatRange> selection;
        if (from.line >= 0 && placed.line >= from.line && placed.line <= to.line) {
            const qsizetype length = entry->layout.text().size();
            const auto local = [&](qsizetype shown) {
                return std::clamp<qsizetype>(entry->laidText.toLaid(shown) - entry->from, 0,
                                             length);
            };
            const qsizetype start = placed.line == from.line ? local(from.column) : 0;
            const qsizetype stop = placed.line == to.line ? local(to.column) : length;
            QTextCharFormat highlight;
            highlight.setBackground(colours.color(QPalette::Highlight));
            highlight.setForeground(colours.color(QPalette::HighlightedText));
            if (stop > start)
                selection.append(
                    {static_cast<int>(start), static_cast<int>(stop - start), highlight});
        }
        if (placed.line == hovered_.line) {
            QTextCharFormat underline;
            underline.setFontUnderline(true);
            const qsizetype start = std::max<qsizetype>(0, hovered_.link.start - entry->from);
            const qsizetype end = hovered_.link.start + hovered_.link.length - entry->from;
            if (end > start)
                selection.prepend(
                    {static_cast<int>(start), static_cast<int>(end - start), underline});
        }
        if (mentionsName(placed.line - model_.dropped(), mentioned))
            painter.fillRect(QRect(0, placed.top, viewport()->width(), placed.height),
                             mentionBackground());
        entry->layout.draw(&painter, QPointF(Margin, placed.top), selection);
        // Above the first line there is nothing read to set apart.
        if (placed.line == unreadMarker_ && placed.line > model_.dropped())
            painter.fillRect(QRect(0, placed.top - 1, viewport()->width(), 2),
                             colours.color(QPalette::Highlight));
    }
}

void TranscriptView::setUnreadMarker(qint64 line) {
    if (std::exchange(unreadMarker_, line) != line)
        viewport()->update();
}

bool TranscriptView::mentionsName(qsizetype index, const QString& name) const {
    if (name.isEmpty())
        return false;
    const TranscriptModel::Line line = model_.line(index);
    return line.form == ChatLine::Form::User && !line.own && mentions(line.text, name);
}

QColor TranscriptView::mentionBackground() const {
    // The highlight colour, light enough that the line's own colours still read on it.
    QColor colour = palette().color(QPalette::Highlight);
    colour.setAlpha(64);
    return colour;
}

void TranscriptView::onAppended() {
    if (!follow_)
        newLinesBelow_->show();
    if (!syncTimer_.isActive())
        syncTimer_.start();
    if (screenReaderListens()) {
        // New lines are announced as they come, where they are in the whole text: after
        // the line end that now ends the line before.
        const qsizetype last = model_.count() - 1;
        const int start = offsetOf(model_.dropped() + last, 0);
        const QString shown = shownText(last);
        QAccessibleTextInsertEvent event(this, last > 0 ? start - 1 : start,
                                         last > 0 ? u'\n' + shown : shown);
        QAccessible::updateAccessibility(&event);
    }
}

void TranscriptView::onDropped(qsizetype lines) {
    const qint64 first = model_.dropped();
    // Nothing may keep a dropped line's layout.
    std::erase_if(layouts_, [first](const auto& entry) { return entry.first < first; });
    placed_.removeIf([first](const Placed& placed) { return placed.line < first; });
    if (!follow_ && top_.line < first)
        top_ = {first, 0};
    if (static_cast<qsizetype>(textStarts_.size()) > lines)
        textStarts_.erase(textStarts_.begin(), textStarts_.begin() + lines);
    else
        textStarts_.clear();
    if (!syncTimer_.isActive())
        syncTimer_.start();
}

void TranscriptView::sync() {
    syncing_ = true;
    QScrollBar* bar = verticalScrollBar();
    const int newest = model_.count() == 0 ? 0 : scrollValue(newestTop(false));
    bar->setRange(0, newest);
    bar->setPageStep(StepsPerLine * std::max<int>(1, static_cast<int>(placed_.size())));
    bar->setSingleStep(StepsPerLine);
    bar->setValue(follow_ || model_.count() == 0 ? newest : std::min(scrollValue(top_), newest));
    syncing_ = false;
    viewport()->update();
}

void TranscriptView::scrollContentsBy(int, int) {
    if (!syncing_)
        applyScrollValue(verticalScrollBar()->value());
    viewport()->update();
}

void TranscriptView::wheelEvent(QWheelEvent* event) {
    const int pixels =
        !event->pixelDelta().isNull()
            ? -event->pixelDelta().y()
            : -event->angleDelta().y() * QApplication::wheelScrollLines() * rowHeight() / 120;
    scrollByPixels(pixels);
    event->accept();
}

void TranscriptView::setFollowing(bool follow) {
    follow_ = follow;
    if (follow_)
        newLinesBelow_->hide();
}

void TranscriptView::scrollToNewest() {
    setFollowing(true);
    sync();
}

void TranscriptView::showLine(qsizetype index) {
    if (index < 0 || index >= model_.count())
        return;
    const qint64 line = model_.dropped() + index;
    anchor_ = {line, 0};
    cursor_ = {line, static_cast<int>(shownText(index).size())};
    top_ = {line, 0};
    setFollowing(top_ >= newestTop(false));
    sync();
    Q_EMIT selectionChanged();
}

qsizetype TranscriptView::topLine() {
    place();
    if (placed_.isEmpty())
        return -1;
    // The first line of which a row shows.
    for (const Placed& placed : std::as_const(placed_)) {
        if (placed.top + placed.height > Margin)
            return static_cast<qsizetype>(placed.line - model_.dropped());
    }
    return static_cast<qsizetype>(placed_.last().line - model_.dropped());
}

QString TranscriptView::visibleText() {
    place();
    QStringList lines;
    for (const Placed& placed : std::as_const(placed_)) {
        if (placed.top + placed.height > 0 && placed.top < viewport()->height())
            lines.append(shownText(static_cast<qsizetype>(placed.line - model_.dropped())));
    }
    return lines.join(u'\n');
}

void TranscriptView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    placeOverlays();
    sync(); // a new width wraps lines anew
}

void TranscriptView::placeOverlays() {
    // At their sizes for the font of the moment: a larger text needs a larger button.
    const QSize hint = newLinesBelow_->sizeHint();
    newLinesBelow_->setGeometry(viewport()->width() - hint.width() - Margin,
                                viewport()->height() - hint.height() - Margin, hint.width(),
                                hint.height());
    const int statusHeight = linkStatus_->sizeHint().height();
    linkStatus_->setGeometry(0, viewport()->height() - statusHeight,
                             std::min(linkStatus_->sizeHint().width(), viewport()->width()),
                             statusHeight);
}

void TranscriptView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange)
        forgetLayouts();
    if (event->type() == QEvent::FontChange)
        placeOverlays();
}

void TranscriptView::forgetLayouts() {
    layouts_.clear();
    placed_.clear();
    sync();
}

TranscriptView::Position TranscriptView::positionAt(const QPoint& point) {
    place();
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

std::pair<TranscriptView::Position, TranscriptView::Position>
TranscriptView::orderedSelection() const {
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
    const auto [from, to] = orderedSelection();
    return from.line >= 0 && std::pair(from.line, from.column) != std::pair(to.line, to.column);
}

QString TranscriptView::selectedText() const {
    if (!hasSelection())
        return {};
    const auto [from, to] = orderedSelection();
    const qint64 first = model_.dropped();
    return TranscriptFormat::text(model_, static_cast<qsizetype>(from.line - first), from.column,
                                  static_cast<qsizetype>(to.line - first), to.column);
}

void TranscriptView::selectAll() {
    if (model_.count() == 0)
        return;
    anchor_ = {model_.dropped(), 0};
    const qsizetype last = model_.count() - 1;
    cursor_ = {model_.dropped() + last, static_cast<int>(shownText(last).size())};
    viewport()->update();
    Q_EMIT selectionChanged();
}

void TranscriptView::copy() const {
    if (hasSelection())
        QGuiApplication::clipboard()->setText(selectedText());
}

void TranscriptView::indexText() {
    if (textStarts_.empty())
        textStarts_.push_back(0);
    // textStarts_[i] is where line first + i starts; the last entry where the next will.
    for (auto index = static_cast<qsizetype>(textStarts_.size()) - 1; index < model_.count();
         ++index)
        textStarts_.push_back(textStarts_.back() + shownText(index).size() + 1);
}

int TranscriptView::textLength() {
    if (model_.count() == 0)
        return 0;
    indexText();
    return static_cast<int>(
        std::min<qint64>(INT_MAX, textStarts_.back() - textStarts_.front() - 1));
}

std::pair<qint64, int> TranscriptView::lineAtOffset(int offset) {
    indexText();
    const qint64 at = textStarts_.front() + std::max(offset, 0);
    auto after = std::upper_bound(textStarts_.begin(), std::prev(textStarts_.end()), at);
    const auto index = std::max<qsizetype>(0, std::distance(textStarts_.begin(), after) - 1);
    return {model_.dropped() + index,
            static_cast<int>(at - textStarts_[static_cast<size_t>(index)])};
}

int TranscriptView::offsetOf(qint64 line, int column) {
    indexText();
    const qint64 index = std::clamp<qint64>(line - model_.dropped(), 0, model_.count());
    return static_cast<int>(std::min<qint64>(INT_MAX, textStarts_[static_cast<size_t>(index)] -
                                                          textStarts_.front() + column));
}

QString TranscriptView::textBetween(int from, int to) {
    const int length = textLength();
    from = std::clamp(from, 0, length);
    to = std::clamp(to, from, length);
    if (from == to)
        return {};
    const auto [fromLine, fromColumn] = lineAtOffset(from);
    const auto [toLine, toColumn] = lineAtOffset(to);
    const qint64 first = model_.dropped();
    return TranscriptFormat::text(model_, static_cast<qsizetype>(fromLine - first), fromColumn,
                                  static_cast<qsizetype>(toLine - first), toColumn);
}

QRect TranscriptView::characterRect(int offset) {
    const auto [line, column] = lineAtOffset(offset);
    place();
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

int TranscriptView::offsetAt(const QPoint& point) {
    place();
    if (placed_.isEmpty() || point.y() < placed_.first().top ||
        point.y() >= placed_.last().top + placed_.last().height)
        return -1;
    const Position at = positionAt(point);
    return at.line < 0 ? -1 : offsetOf(at.line, at.column);
}

std::pair<int, int> TranscriptView::selectionOffsets() {
    const auto [from, to] = orderedSelection();
    if (from.line < 0)
        return {0, 0};
    return {offsetOf(from.line, from.column), offsetOf(to.line, to.column)};
}

void TranscriptView::selectOffsets(int from, int to) {
    const auto [fromLine, fromColumn] = lineAtOffset(from);
    const auto [toLine, toColumn] = lineAtOffset(to);
    anchor_ = {fromLine, fromColumn};
    cursor_ = {toLine, toColumn};
    viewport()->update();
    Q_EMIT selectionChanged();
}

const TranscriptView::Run* TranscriptView::runAtOffset(int offset, int* start, int* end) {
    *start = *end = 0;
    if (offset < 0 || offset >= textLength())
        return nullptr;
    const auto [line, column] = lineAtOffset(offset);
    runCache_ = runs(static_cast<qsizetype>(line - model_.dropped()));
    const int lineStart = offset - column;
    int at = 0;
    for (const Run& run : std::as_const(runCache_)) {
        const auto length = static_cast<int>(run.text.size());
        if (column < at + length) {
            *start = lineStart + at;
            *end = lineStart + at + length;
            return &run;
        }
        at += length;
    }
    return nullptr; // the line end between two lines
}

TranscriptView::LinkAt TranscriptView::linkAt(const QPoint& point) {
    place();
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

void TranscriptView::hover(const LinkAt& link) {
    if (link.line == hovered_.line && link.link == hovered_.link)
        return;
    hovered_ = link;
    viewport()->setCursor(link.line >= 0 ? Qt::PointingHandCursor : Qt::IBeamCursor);
    viewport()->update();
    // Before a click opens it, the whole address, its host in ASCII, where a reader looks:
    // beside the pointer, and at the foot of the window as a browser says it.
    if (link.line < 0) {
        linkStatus_->hide();
        QToolTip::hideText();
        return;
    }
    const QString address = openedAddress(link.link.url);
    linkStatus_->setText(address);
    placeOverlays();
    linkStatus_->show();
    QToolTip::showText(QCursor::pos(),
                       QStringLiteral("<p style='white-space:pre'>%1</p>")
                           .arg(address.toHtmlEscaped()),
                       viewport());
}

void TranscriptView::leaveEvent(QEvent* event) {
    hover({});
    QAbstractScrollArea::leaveEvent(event);
}

void TranscriptView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    pressedLink_ = linkAt(event->position().toPoint()).link.url;
    anchor_ = cursor_ = positionAt(event->position().toPoint());
    selecting_ = true;
    viewport()->update();
    Q_EMIT selectionChanged();
}

void TranscriptView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    hover(linkAt(point));
    if (!selecting_)
        return QAbstractScrollArea::mouseMoveEvent(event);
    // Dragging past an edge scrolls a row at a time.
    if (point.y() < 0)
        scrollByPixels(-rowHeight());
    else if (point.y() > viewport()->height())
        scrollByPixels(rowHeight());
    cursor_ = positionAt(point);
    viewport()->update();
}

void TranscriptView::mouseReleaseEvent(QMouseEvent* event) {
    if (!selecting_ || event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mouseReleaseEvent(event);
    selecting_ = false;
    // A click on a link opens it; a drag that began there selects.
    const QUrl pressed = std::exchange(pressedLink_, QUrl());
    if (!pressed.isEmpty() && !hasSelection() &&
        linkAt(event->position().toPoint()).link.url == pressed) {
        openExternally(pressed);
        return;
    }
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (hasSelection() && clipboard->supportsSelection())
        clipboard->setText(selectedText(), QClipboard::Selection);
    Q_EMIT selectionChanged();
}

void TranscriptView::contextMenuEvent(QContextMenuEvent* event) {
    auto* menu = new QMenu(this);
    const QUrl link = linkAt(viewport()->mapFromGlobal(event->globalPos())).link.url;
    if (!link.isEmpty()) {
        menu->addAction(tr("Copy &Link Address"), this,
                        [link] { QGuiApplication::clipboard()->setText(link.toString()); });
        menu->addSeparator();
    }
    QAction* copyAction = menu->addAction(tr("&Copy"), this, &TranscriptView::copy);
    copyAction->setShortcut(QKeySequence::Copy);
    copyAction->setEnabled(hasSelection());
    menu->addAction(tr("&Select All"), this, &TranscriptView::selectAll)
        ->setShortcut(QKeySequence::SelectAll);
    // What the window adds for its conversation.
    if (!actions().isEmpty()) {
        menu->addSeparator();
        menu->addActions(actions());
    }
    popUp(menu, event->globalPos());
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
    const int page = viewport()->height() - 2 * Margin - rowHeight();
    switch (event->key()) {
    case Qt::Key_Up:
        return scrollByPixels(-rowHeight());
    case Qt::Key_Down:
        return scrollByPixels(rowHeight());
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
