// SPDX-License-Identifier: GPL-3.0-or-later
#include "TranscriptView.h"

#include "Text.h"
#include "Widgets.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QToolButton>
#include <QToolTip>
#include <QWheelEvent>

namespace kivo {
namespace {

constexpr int Margin = TranscriptLayout::Margin;

} // namespace

TranscriptView::TranscriptView(QWidget* parent)
    : QAbstractScrollArea(parent)
    , layout_(model_, *this)
    , text_(model_)
    , newLinesBelow_(new QToolButton(this))
    , linkStatus_(new QLabel(viewport())) {
    installAccessibleTranscript();
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setMouseTracking(true);
    viewport()->setBackgroundRole(QPalette::Base);
    // Steps and pages of the scroll bar move the text by rows and screens, not by lines.
    connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this, [this](int action) {
        const int page = viewport()->height() - 2 * Margin - layout_.rowHeight();
        const int pixels = action == QAbstractSlider::SliderSingleStepAdd   ? layout_.rowHeight()
                           : action == QAbstractSlider::SliderSingleStepSub ? -layout_.rowHeight()
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

const TranscriptLayout& TranscriptView::layoutNow() {
    place();
    return layout_;
}

void TranscriptView::place() {
    layout_.place(follow_, top_);
}

int TranscriptView::scrollValue(const Point& point) {
    const qint64 index = point.line - model_.dropped();
    const int height = std::max(1, layout_.estimatedHeight(point.line));
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
                                        layout_.estimatedHeight(line) / StepsPerLine);
    top_ = {line, offset};
    setFollowing(false);
}

void TranscriptView::scrollByPixels(int pixels) {
    if (pixels == 0 || model_.count() == 0 || (follow_ && pixels > 0))
        return;
    const qint64 first = model_.dropped();
    const qint64 last = first + model_.count() - 1;
    const Point newest = layout_.newestTop(true);
    Point at = follow_ ? newest : top_;
    at.offset += pixels;
    while (at.offset < 0 && at.line > first)
        at.offset += layout_.fullHeight(--at.line);
    at.offset = std::max(at.offset, 0);
    while (at.line < last) {
        const TranscriptLayout::Laid& entry = layout_.laid(
            at.line, at.offset / layout_.rowHeight() + 2, TranscriptLayout::Part::Head);
        if (entry.part != TranscriptLayout::Part::Whole || at.offset < entry.height)
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
    const auto [from, to] = selection();
    const QPalette& colours = palette();
    const QString mentioned = mentionedName();
    for (const TranscriptLayout::Placed& placed : layout_.placed()) {
        const TranscriptLayout::Laid* entry = layout_.laidIfAny(placed.line);
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
        if (reading_ && placed.line == cursor_.line) {
            const QRect caret = layout_.characterRect(cursor_.line, cursor_.column);
            if (!caret.isNull())
                painter.fillRect(QRect(caret.topLeft(), QSize(1, caret.height())),
                                 colours.color(QPalette::Text));
        }
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
    announceNewestLine(*this, spokenInBackground);
}

void TranscriptView::onDropped(qsizetype lines) {
    const qint64 first = model_.dropped();
    layout_.forgetBefore(first);
    if (!follow_ && top_.line < first)
        top_ = {first, 0};
    text_.dropped(lines);
    if (!syncTimer_.isActive())
        syncTimer_.start();
}

void TranscriptView::sync() {
    syncing_ = true;
    QScrollBar* bar = verticalScrollBar();
    const int newest = model_.count() == 0 ? 0 : scrollValue(layout_.newestTop(false));
    bar->setRange(0, newest);
    bar->setPageStep(StepsPerLine * std::max<int>(1, static_cast<int>(layout_.placed().size())));
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
    const int pixels = !event->pixelDelta().isNull()
                           ? -event->pixelDelta().y()
                           : -event->angleDelta().y() * QApplication::wheelScrollLines() *
                                 layout_.rowHeight() / 120;
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
    cursor_ = {line, static_cast<int>(layout_.shownText(index).size())};
    top_ = {line, 0};
    setFollowing(top_ >= layout_.newestTop(false));
    sync();
    Q_EMIT selectionChanged();
}

qsizetype TranscriptView::topLine() {
    place();
    const QList<TranscriptLayout::Placed>& placed = layout_.placed();
    if (placed.isEmpty())
        return -1;
    // The first line of which a row shows.
    for (const TranscriptLayout::Placed& line : placed) {
        if (line.top + line.height > Margin)
            return static_cast<qsizetype>(line.line - model_.dropped());
    }
    return static_cast<qsizetype>(placed.last().line - model_.dropped());
}

QString TranscriptView::visibleText() {
    place();
    QStringList lines;
    for (const TranscriptLayout::Placed& placed : layout_.placed()) {
        if (placed.top + placed.height > 0 && placed.top < viewport()->height())
            lines.append(layout_.shownText(static_cast<qsizetype>(placed.line - model_.dropped())));
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
    layout_.forget();
    sync();
}

void TranscriptView::hover(const TranscriptLayout::LinkAt& link) {
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
    QToolTip::showText(
        QCursor::pos(),
        QStringLiteral("<p style='white-space:pre'>%1</p>").arg(address.toHtmlEscaped()),
        viewport());
}

void TranscriptView::leaveEvent(QEvent* event) {
    hover({});
    QAbstractScrollArea::leaveEvent(event);
}

void TranscriptView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    pressedLink_ = layoutNow().linkAt(event->position().toPoint()).link.url;
    anchor_ = cursor_ = layoutNow().positionAt(event->position().toPoint());
    selecting_ = true;
    viewport()->update();
    Q_EMIT selectionChanged();
}

void TranscriptView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    hover(layoutNow().linkAt(point));
    if (!selecting_)
        return QAbstractScrollArea::mouseMoveEvent(event);
    // Dragging past an edge scrolls a row at a time.
    if (point.y() < 0)
        scrollByPixels(-layout_.rowHeight());
    else if (point.y() > viewport()->height())
        scrollByPixels(layout_.rowHeight());
    cursor_ = layoutNow().positionAt(point);
    viewport()->update();
}

void TranscriptView::mouseReleaseEvent(QMouseEvent* event) {
    if (!selecting_ || event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mouseReleaseEvent(event);
    selecting_ = false;
    // A click on a link opens it; a drag that began there selects.
    const QUrl pressed = std::exchange(pressedLink_, QUrl());
    if (!pressed.isEmpty() && !hasSelection() &&
        layoutNow().linkAt(event->position().toPoint()).link.url == pressed) {
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
    const QUrl link = layoutNow().linkAt(viewport()->mapFromGlobal(event->globalPos())).link.url;
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

} // namespace kivo
