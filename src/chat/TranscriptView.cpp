// SPDX-License-Identifier: GPL-3.0-or-later
#include "TranscriptView.h"

#include "Colours.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QTextLayout>
#include <QToolButton>

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

// What a screen reader reads of the transcript: the lines on screen.
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
        return state;
    }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Value ? shown() : QAccessibleWidget::text(t);
    }

    // The text interface over the visible lines; nothing can be selected or caret-moved
    // through it.
    void addSelection(int, int) override {}
    QString attributes(int, int* start, int* end) const override {
        *start = *end = 0;
        return {};
    }
    int cursorPosition() const override { return 0; }
    QRect characterRect(int) const override { return {}; }
    int selectionCount() const override { return 0; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    QString text(int start, int end) const override { return shown().mid(start, end - start); }
    int characterCount() const override { return static_cast<int>(shown().size()); }
    void removeSelection(int) override {}
    void setCursorPosition(int) override {}
    void setSelection(int, int, int) override {}
    void scrollToSubstring(int, int) override {}

private:
    QString shown() const { return static_cast<TranscriptView*>(widget())->visibleText(); }
};

QAccessibleInterface* accessibleTranscript(const QString&, QObject* object) {
    if (auto* view = qobject_cast<TranscriptView*>(object))
        return new TranscriptAccessible(view);
    return nullptr;
}

} // namespace

TranscriptView::TranscriptView(TranscriptModel& model, QWidget* parent)
    : QAbstractScrollArea(parent)
    , model_(model)
    , newLinesBelow_(new QToolButton(this)) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(accessibleTranscript);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    verticalScrollBar()->setSingleStep(1);

    newLinesBelow_->setObjectName(QStringLiteral("newLinesBelow"));
    newLinesBelow_->setText(tr("New lines below"));
    newLinesBelow_->setArrowType(Qt::DownArrow);
    newLinesBelow_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    newLinesBelow_->setFocusPolicy(Qt::NoFocus);
    newLinesBelow_->hide();
    connect(newLinesBelow_, &QToolButton::clicked, this, &TranscriptView::scrollToNewest);

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

QList<TranscriptView::Run> TranscriptView::runs(qsizetype index) const {
    const TranscriptModel::Line line = model_.line(index);
    const TranscriptModel::Shown shown = TranscriptModel::shown(line);
    const QColor base = palette().color(QPalette::Base);
    const auto colour = [&](const QColor& described) {
        return readableOn(line.history ? HistoryGrey : described, base);
    };
    QList<Run> result{{shown.text.left(shown.senderStart), colour(TimeStampGrey), false}};
    if (shown.textStart > shown.senderStart)
        result.append({shown.text.mid(shown.senderStart, shown.textStart - shown.senderStart),
                       colour(line.own ? OwnBlue : OtherRed), false});
    result.append({shown.text.mid(shown.textStart), colour(Black),
                   line.form == TranscriptModel::Form::System});
    result.removeIf([](const Run& run) { return run.text.isEmpty(); });
    return result;
}

TranscriptView::Laid& TranscriptView::laid(qint64 line) {
    auto found = layouts_.find(line);
    if (found != layouts_.end())
        return found->second;
    const qsizetype index = line - model_.dropped();
    QString text;
    QList<QTextLayout::FormatRange> formats;
    for (const Run& run : runs(index)) {
        formats.append({static_cast<int>(text.size()), static_cast<int>(run.text.size()),
                        charFormat(run.colour, run.bold)});
        text += run.text;
    }
    auto layout = std::make_unique<QTextLayout>(text, font(), viewport());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout->setTextOption(option);
    layout->setFormats(formats);
    layout->setCacheEnabled(true);
    qreal height = 0;
    layout->beginLayout();
    for (QTextLine row = layout->createLine(); row.isValid(); row = layout->createLine()) {
        row.setLineWidth(std::max(layoutWidth_, 1));
        row.setPosition(QPointF(0, height));
        height += row.height();
    }
    layout->endLayout();
    Laid& entry = layouts_[line];
    entry.layout = std::move(layout);
    entry.height = std::max(1, qCeil(height));
    return entry;
}

void TranscriptView::updateLayoutWidth() {
    const int width = viewport()->width() - 2 * Margin;
    if (width == layoutWidth_)
        return;
    layouts_.clear();
    placed_.clear();
    layoutWidth_ = width;
}

qsizetype TranscriptView::newestTop() {
    updateLayoutWidth();
    const qint64 first = model_.dropped();
    qint64 line = first + model_.count() - 1;
    int room = viewport()->height() - 2 * Margin;
    while (line > first) {
        room -= laid(line).height;
        if (room < laid(line - 1).height)
            break;
        --line;
    }
    return static_cast<qsizetype>(std::max<qint64>(line - first, 0));
}

void TranscriptView::place() {
    updateLayoutWidth();
    placed_.clear();
    if (model_.count() == 0)
        return;
    const qint64 first = model_.dropped();
    const qint64 end = first + model_.count();
    const int height = viewport()->height();
    if (follow_) {
        // The newest line ends at the bottom edge; fewer lines than fill the view start at
        // the top.
        int y = height - Margin;
        for (qint64 line = end - 1; line >= first && y > 0; --line) {
            Laid& entry = laid(line);
            y -= entry.height;
            placed_.prepend({line, y, entry.layout.get(), entry.height});
        }
        if (y > Margin) {
            for (Placed& placed : placed_)
                placed.top -= y - Margin;
        }
    } else {
        int y = Margin;
        for (qint64 line = first + verticalScrollBar()->value(); line < end && y < height; ++line) {
            Laid& entry = laid(line);
            placed_.append({line, y, entry.layout.get(), entry.height});
            y += entry.height;
        }
    }
    // Layouts neither on screen nor among the newest screenful are dropped.
    const qint64 keepFrom = first + newestTop();
    std::erase_if(layouts_, [&](const auto& entry) {
        return entry.first < keepFrom && (placed_.isEmpty() || entry.first < placed_.first().line ||
                                          entry.first > placed_.last().line);
    });
}

void TranscriptView::paintEvent(QPaintEvent*) {
    place();
    QPainter painter(viewport());
    const auto [from, to] = orderedSelection();
    const QPalette& colours = palette();
    for (const Placed& placed : std::as_const(placed_)) {
        QList<QTextLayout::FormatRange> selection;
        if (from.line >= 0 && placed.line >= from.line && placed.line <= to.line) {
            const int start = placed.line == from.line ? from.column : 0;
            const int stop =
                placed.line == to.line ? to.column : static_cast<int>(placed.layout->text().size());
            QTextCharFormat highlight;
            highlight.setBackground(colours.color(QPalette::Highlight));
            highlight.setForeground(colours.color(QPalette::HighlightedText));
            if (stop > start)
                selection.append({start, stop - start, highlight});
        }
        placed.layout->draw(&painter, QPointF(Margin, placed.top), selection);
    }
}

void TranscriptView::onAppended() {
    if (!follow_)
        newLinesBelow_->show();
    if (!syncTimer_.isActive())
        syncTimer_.start();
    if (QAccessible::isActive()) {
        // New lines are announced as they come.
        QAccessibleTextInsertEvent event(this, 0, model_.shown(model_.count() - 1).text);
        QAccessible::updateAccessibility(&event);
    }
}

void TranscriptView::onDropped(qsizetype lines) {
    // The same lines stay on screen when the view is not following.
    if (!follow_) {
        syncing_ = true;
        verticalScrollBar()->setValue(std::max<qsizetype>(verticalScrollBar()->value() - lines, 0));
        syncing_ = false;
    }
    const qint64 first = model_.dropped();
    std::erase_if(layouts_, [first](const auto& entry) { return entry.first < first; });
    if (!syncTimer_.isActive())
        syncTimer_.start();
}

void TranscriptView::sync() {
    syncing_ = true;
    QScrollBar* bar = verticalScrollBar();
    const auto newest = static_cast<int>(std::min<qsizetype>(newestTop(), INT_MAX));
    bar->setRange(0, newest);
    bar->setPageStep(std::max<int>(1, static_cast<int>(placed_.size())));
    if (follow_)
        bar->setValue(newest);
    syncing_ = false;
    viewport()->update();
}

void TranscriptView::scrollContentsBy(int, int) {
    if (!syncing_)
        setFollowing(verticalScrollBar()->value() == verticalScrollBar()->maximum());
    viewport()->update();
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

qsizetype TranscriptView::topLine() const {
    if (placed_.isEmpty())
        return model_.count() == 0 ? -1 : verticalScrollBar()->value();
    return static_cast<qsizetype>(placed_.first().line - model_.dropped());
}

QString TranscriptView::visibleText() const {
    QStringList lines;
    for (const Placed& placed : placed_) {
        if (placed.line >= model_.dropped())
            lines.append(placed.layout->text());
    }
    return lines.join(u'\n');
}

void TranscriptView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    const QSize hint = newLinesBelow_->sizeHint();
    newLinesBelow_->setGeometry(viewport()->width() - hint.width() - Margin,
                                viewport()->height() - hint.height() - Margin, hint.width(),
                                hint.height());
    sync(); // a new width wraps lines anew
}

void TranscriptView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange)
        forgetLayouts();
}

void TranscriptView::forgetLayouts() {
    layouts_.clear();
    placed_.clear();
    sync();
}

TranscriptView::Position TranscriptView::positionAt(const QPoint& point) const {
    if (placed_.isEmpty())
        return {};
    if (point.y() < placed_.first().top)
        return {placed_.first().line, 0};
    for (const Placed& placed : placed_) {
        if (point.y() >= placed.top + placed.height)
            continue;
        for (int i = 0; i < placed.layout->lineCount(); ++i) {
            const QTextLine row = placed.layout->lineAt(i);
            if (point.y() < placed.top + row.rect().bottom() || i + 1 == placed.layout->lineCount())
                return {placed.line, row.xToCursor(point.x() - Margin)};
        }
    }
    return {placed_.last().line, static_cast<int>(placed_.last().layout->text().size())};
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
    return model_.text(static_cast<qsizetype>(from.line - first), from.column,
                       static_cast<qsizetype>(to.line - first), to.column);
}

void TranscriptView::selectAll() {
    if (model_.count() == 0)
        return;
    anchor_ = {model_.dropped(), 0};
    const qsizetype last = model_.count() - 1;
    cursor_ = {model_.dropped() + last, static_cast<int>(model_.shown(last).text.size())};
    viewport()->update();
    Q_EMIT selectionChanged();
}

void TranscriptView::copy() const {
    if (hasSelection())
        QGuiApplication::clipboard()->setText(selectedText());
}

void TranscriptView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    anchor_ = cursor_ = positionAt(event->position().toPoint());
    selecting_ = true;
    viewport()->update();
    Q_EMIT selectionChanged();
}

void TranscriptView::mouseMoveEvent(QMouseEvent* event) {
    if (!selecting_)
        return QAbstractScrollArea::mouseMoveEvent(event);
    const QPoint point = event->position().toPoint();
    // Dragging past an edge scrolls a line at a time.
    if (point.y() < 0)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (point.y() > viewport()->height())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    place();
    cursor_ = positionAt(point);
    viewport()->update();
}

void TranscriptView::mouseReleaseEvent(QMouseEvent* event) {
    if (!selecting_ || event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mouseReleaseEvent(event);
    selecting_ = false;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (hasSelection() && clipboard->supportsSelection())
        clipboard->setText(selectedText(), QClipboard::Selection);
    Q_EMIT selectionChanged();
}

void TranscriptView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* copyAction = menu.addAction(tr("&Copy"), this, &TranscriptView::copy);
    copyAction->setShortcut(QKeySequence::Copy);
    copyAction->setEnabled(hasSelection());
    menu.addAction(tr("Select &All"), this, &TranscriptView::selectAll)
        ->setShortcut(QKeySequence::SelectAll);
    menu.exec(event->globalPos());
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
    QAbstractScrollArea::keyPressEvent(event);
}

} // namespace kivo
