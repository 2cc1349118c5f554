// SPDX-License-Identifier: GPL-3.0-or-later
#include "TranscriptAccessible.h"

#include "TranscriptFormat.h"
#include "TranscriptView.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <algorithm>

namespace kivo {

void TranscriptText::index() {
    if (starts_.empty())
        starts_.push_back(0);
    // starts_[i] is where line first + i starts; the last entry where the next will.
    for (auto index = static_cast<qsizetype>(starts_.size()) - 1; index < model_.count(); ++index)
        starts_.push_back(starts_.back() + TranscriptFormat::shown(model_.line(index)).text.size() +
                          1);
}

int TranscriptText::length() {
    if (model_.count() == 0)
        return 0;
    index();
    return static_cast<int>(std::min<qint64>(INT_MAX, starts_.back() - starts_.front() - 1));
}

std::pair<qint64, int> TranscriptText::lineAt(int offset) {
    index();
    const qint64 at = starts_.front() + std::max(offset, 0);
    auto after = std::upper_bound(starts_.begin(), std::prev(starts_.end()), at);
    const auto line = std::max<qsizetype>(0, std::distance(starts_.begin(), after) - 1);
    return {model_.dropped() + line, static_cast<int>(at - starts_[static_cast<size_t>(line)])};
}

int TranscriptText::offsetOf(qint64 line, int column) {
    index();
    const qint64 at = std::clamp<qint64>(line - model_.dropped(), 0, model_.count());
    return static_cast<int>(
        std::min<qint64>(INT_MAX, starts_[static_cast<size_t>(at)] - starts_.front() + column));
}

QString TranscriptText::between(int from, int to) {
    const int whole = length();
    from = std::clamp(from, 0, whole);
    to = std::clamp(to, from, whole);
    if (from == to)
        return {};
    const auto [fromLine, fromColumn] = lineAt(from);
    const auto [toLine, toColumn] = lineAt(to);
    const qint64 first = model_.dropped();
    return TranscriptFormat::text(model_, static_cast<qsizetype>(fromLine - first), fromColumn,
                                  static_cast<qsizetype>(toLine - first), toColumn);
}

void TranscriptText::dropped(qsizetype lines) {
    if (static_cast<qsizetype>(starts_.size()) > lines)
        starts_.erase(starts_.begin(), starts_.begin() + lines);
    else
        starts_.clear();
}

namespace {

using Position = TranscriptLayout::Position;

// Where a view's selection begins and ends in its whole text; nothing selected: 0 and 0.
std::pair<int, int> selectionOffsets(TranscriptView& view) {
    const auto [from, to] = view.selection();
    if (from.line < 0)
        return {0, 0};
    return {view.text().offsetOf(from.line, from.column), view.text().offsetOf(to.line, to.column)};
}

// One line of the transcript and its line end, for Qt's own rules of characters, words and
// lines: asked of the whole transcript they would copy all of it at each step of a caret.
class OneLine : public QAccessibleTextInterface {
public:
    explicit OneLine(QString text)
        : text_(std::move(text)) {}
    QString text(int start, int end) const override { return text_.mid(start, end - start); }
    int characterCount() const override { return static_cast<int>(text_.size()); }
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int*, int*) const override { return {}; }

private:
    QString text_;
};

QString runAttributes(const QColor& colour, bool bold) {
    return QStringLiteral("color:rgb(%1,%2,%3);font-weight:%4;")
        .arg(colour.red())
        .arg(colour.green())
        .arg(colour.blue())
        .arg(bold ? QStringLiteral("bold") : QStringLiteral("normal"));
}

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
        return t == QAccessible::Value ? whole().between(0, whole().length())
                                       : QAccessibleWidget::text(t);
    }

    void addSelection(int start, int end) override { setSelection(0, start, end); }
    QString attributes(int offset, int* start, int* end) const override {
        *start = *end = 0;
        const int whole = this->whole().length();
        if (offset < 0 || offset >= whole)
            return {};
        const auto [line, column] = this->whole().lineAt(offset);
        const int lineStart = offset - column;
        const auto runs =
            view()->layoutNow().runs(static_cast<qsizetype>(line - view()->model().dropped()));
        // The line end belongs to the line's last run, so that every offset has a run and a
        // reader walking the runs gets past the first line.
        int at = 0;
        for (qsizetype index = 0; index < runs.size(); ++index) {
            const TranscriptLayout::Run& run = runs[index];
            const int length = static_cast<int>(run.text.size()) + (index == runs.size() - 1);
            if (column < at + length) {
                *start = lineStart + at;
                *end = std::min(whole, lineStart + at + length);
                return runAttributes(run.colour, run.bold);
            }
            at += length;
        }
        *start = offset; // an empty line: only its line end
        *end = offset + 1;
        return runAttributes(view()->palette().color(QPalette::Text), false);
    }
    int cursorPosition() const override {
        const Position cursor = view()->cursor();
        return cursor.line < 0 ? 0 : whole().offsetOf(cursor.line, cursor.column);
    }
    QRect characterRect(int offset) const override {
        const auto [line, column] = whole().lineAt(offset);
        const QRect rect = view()->layoutNow().characterRect(line, column);
        return rect.isNull() ? rect
                             : QRect(view()->viewport()->mapToGlobal(rect.topLeft()), rect.size());
    }
    int selectionCount() const override { return view()->hasSelection() ? 1 : 0; }
    int offsetAtPoint(const QPoint& global) const override {
        const QPoint point = view()->viewport()->mapFromGlobal(global);
        const TranscriptLayout& layout = view()->layoutNow();
        const QList<TranscriptLayout::Placed>& placed = layout.placed();
        if (placed.isEmpty() || point.y() < placed.first().top ||
            point.y() >= placed.last().top + placed.last().height)
            return -1;
        const Position at = layout.positionAt(point);
        return at.line < 0 ? -1 : whole().offsetOf(at.line, at.column);
    }
    void selection(int index, int* start, int* end) const override {
        *start = *end = 0;
        if (index == 0 && view()->hasSelection())
            std::tie(*start, *end) = selectionOffsets(*view());
    }
    QString text(int start, int end) const override { return whole().between(start, end); }
    // Units never cross a line end, so each is found in its own line.
    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int* start,
                         int* end) const override {
        *start = *end = -1;
        const int length = whole().length();
        if (type == QAccessible::NoBoundary) {
            *start = 0;
            *end = length;
            return whole().between(0, length);
        }
        if (offset < 0 || offset > length || length == 0)
            return {};
        offset = std::min(offset, length - 1);
        const auto [line, column] = whole().lineAt(offset);
        const int lineStart = offset - column;
        const int lineEnd = std::min(length, whole().offsetOf(line + 1, 0));
        const OneLine one(whole().between(lineStart, lineEnd));
        const QString found = one.textAtOffset(column, type, start, end);
        *start += lineStart;
        *end += lineStart;
        return found;
    }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int* start,
                             int* end) const override {
        textAtOffset(offset, type, start, end);
        if (*start <= 0) {
            *start = *end = -1;
            return {};
        }
        return textAtOffset(*start - 1, type, start, end);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int* start,
                            int* end) const override {
        textAtOffset(offset, type, start, end);
        if (*end < 0 || *end >= whole().length()) {
            *start = *end = -1;
            return {};
        }
        return textAtOffset(*end, type, start, end);
    }
    int characterCount() const override { return whole().length(); }
    void removeSelection(int) override { setSelection(0, 0, 0); }
    void setCursorPosition(int position) override { setSelection(0, position, position); }
    void setSelection(int, int start, int end) override {
        const auto [fromLine, fromColumn] = whole().lineAt(start);
        const auto [toLine, toColumn] = whole().lineAt(end);
        view()->select({fromLine, fromColumn}, {toLine, toColumn});
    }
    void scrollToSubstring(int, int) override {}

private:
    TranscriptView* view() const { return static_cast<TranscriptView*>(widget()); }
    TranscriptText& whole() const { return view()->text(); }
};

struct ScreenReaderState : QAccessible::ActivationObserver {
    bool active = QAccessible::isActive();
    ScreenReaderState() { QAccessible::installActivationObserver(this); }
    void accessibilityActiveChanged(bool on) override { active = on; }
};

QAccessibleInterface* accessibleTranscript(const QString&, QObject* object) {
    if (auto* view = qobject_cast<TranscriptView*>(object))
        return new TranscriptAccessible(view);
    if (auto* notice = qobject_cast<SpokenLines*>(object))
        return new QAccessibleWidget(notice, QAccessible::Notification);
    return nullptr;
}

// What is said of a line: who said it, not when.
QString spoken(const ChatLine& line) {
    return line.form == ChatLine::Form::User ? line.sender + QStringLiteral(": ") + line.text
                                             : line.text;
}

} // namespace

bool screenReaderListens() {
    static ScreenReaderState state;
    return state.active;
}

SpokenLines::SpokenLines(QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("spokenLines"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(0, 0, 1, 1);
    hide();
    gap_.setSingleShot(true);
    gap_.setInterval(Gap);
    connect(&gap_, &QTimer::timeout, this, [this] {
        if (!waiting_.isEmpty())
            flush();
    });
}

void SpokenLines::say(const QString& line) {
    waiting_.append(line);
    if (waiting_.size() > AtOnce) {
        waiting_.removeFirst();
        ++skipped_;
    }
    if (!gap_.isActive())
        flush();
}

void SpokenLines::flush() {
    QString notice = waiting_.join(u'\n');
    if (skipped_ > 0)
        notice = tr("%1 more lines.").arg(skipped_) + u'\n' + notice;
    waiting_.clear();
    skipped_ = 0;
    setAccessibleName(notice);
    // Shown anew, the notice is read anew.
    hide();
    show();
    gap_.start();
}

void announceNewestLine(TranscriptView& view, bool privateConversation) {
    if (!screenReaderListens())
        return;
    // A new line is announced where it is in the whole text: after the line end that now
    // ends the line before.
    const TranscriptModel& model = view.model();
    const qsizetype last = model.count() - 1;
    const int start = view.text().offsetOf(model.dropped() + last, 0);
    const QString shown = TranscriptFormat::shown(model.line(last)).text;
    QAccessibleTextInsertEvent event(&view, last > 0 ? start - 1 : start,
                                     last > 0 ? u'\n' + shown : shown);
    QAccessible::updateAccessibility(&event);

    const ChatLine line = model.line(last);
    if (line.own || line.history || line.form == ChatLine::Form::Separator || !view.isVisible() ||
        !(privateConversation || view.isActiveWindow()))
        return;
    auto* notice = view.findChild<SpokenLines*>(QString(), Qt::FindDirectChildrenOnly);
    if (!notice)
        notice = new SpokenLines(&view);
    notice->say(spoken(line));
}

void announceCaret(TranscriptView& view, bool selectionChanged) {
    if (!screenReaderListens())
        return;
    const Position cursor = view.cursor();
    QAccessibleTextCursorEvent moved(&view, view.text().offsetOf(cursor.line, cursor.column));
    QAccessible::updateAccessibility(&moved);
    if (!selectionChanged)
        return;
    const auto [start, end] = selectionOffsets(view);
    QAccessibleTextSelectionEvent selected(&view, start, end);
    QAccessible::updateAccessibility(&selected);
}

void installAccessibleTranscript() {
    static const bool installed = [] {
        QAccessible::installFactory(accessibleTranscript);
        return screenReaderListens();
    }();
    Q_UNUSED(installed);
}

} // namespace kivo
