// SPDX-License-Identifier: GPL-3.0-or-later
#include "Transcript.h"

#include "Clock.h"
#include "Colours.h"
#include "Router.h"
#include "Text.h"

#include <QPlainTextEdit>
#include <QTextBlock>

namespace kivo {
namespace {

QTextCharFormat makeFormat(const QColor& colour, bool bold) {
    QTextCharFormat format;
    format.setForeground(colour);
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    return format;
}

} // namespace

Transcript::Transcript(QPlainTextEdit* view)
    : view_(view)
    , end_(view->document()) {
    end_.movePosition(QTextCursor::End);
    // One edit per frame. A zero interval would wait behind a flood of posted events.
    flushTimer_.setSingleShot(true);
    flushTimer_.setInterval(FlushInterval);
    QObject::connect(&flushTimer_, &QTimer::timeout, view_, [this] { flush(); });
    sinceFlush_.start();
}

QTextCharFormat Transcript::format(Style style) const {
    const QColor base = view_->palette().color(QPalette::Base);
    switch (style) {
    case Style::TimeStamp:
        return makeFormat(readableOn(TimeStampGrey, base), false);
    case Style::Bold:
        return makeFormat(readableOn(Black, base), true);
    case Style::Own:
        return makeFormat(readableOn(OwnBlue, base), false);
    case Style::Other:
        return makeFormat(readableOn(OtherRed, base), false);
    case Style::Plain:
    case Style::LineEnd:
        break;
    }
    return makeFormat(readableOn(Black, base), false);
}

void Transcript::appendTimeStamp() {
    // Local time and its formatting are costly; a flood shares one string per second.
    const QDateTime now = Clock::current().now();
    const qint64 second = now.toSecsSinceEpoch();
    if (second != stampSecond_) {
        stampSecond_ = second;
        stamp_ =
            u'[' + now.toLocalTime().toString(QStringLiteral("HH:mm:ss")) + QStringLiteral("] ");
    }
    appendRun(Style::TimeStamp, stamp_);
}

void Transcript::appendRun(Style style, const QString& text) {
    if (!text.isEmpty())
        pending_.append({style, text});
}

void Transcript::endLine() {
    pending_.append({Style::LineEnd, QString()});
    ++pendingLines_;
    // The timer writes the last lines of a burst. During a flood, when timers may wait behind
    // the network, lines are written once a frame's time or a batch's worth has gathered, so
    // no single write takes long.
    if (pendingLines_ >= MaxBatch || sinceFlush_.elapsed() >= FlushInterval)
        flush();
    else if (!flushTimer_.isActive())
        flushTimer_.start();
}

void Transcript::flush() {
    flushTimer_.stop();
    sinceFlush_.start();
    if (pending_.isEmpty())
        return;
    end_.beginEditBlock();
    for (const Run& run : std::as_const(pending_)) {
        if (run.style == Style::LineEnd)
            end_.insertBlock();
        else
            end_.insertText(run.text, format(run.style));
    }
    dropOldestLines();
    end_.endEditBlock();
    pending_.clear();
    pendingLines_ = 0;
    ScrollToEnd();
    sinceFlush_.start();
}

void Transcript::dropOldestLines() {
    // Dropped a tenth at a time, so the cost of dropping is spread over many lines.
    QTextDocument* document = view_->document();
    const int lines = document->blockCount() - 1; // the last block is the line to come
    if (lines <= Scrollback + Scrollback / 10)
        return;
    // Selecting by block number: moving a cursor block by block lays every block out.
    QTextCursor oldest(document);
    oldest.setPosition(document->findBlockByNumber(lines - Scrollback).position(),
                       QTextCursor::KeepAnchor);
    oldest.removeSelectedText();
}

void Transcript::appendSystemLine(const QString& text) {
    appendTimeStamp();
    appendRun(Style::Bold, shownInLine(text));
    endLine();
}

void Transcript::appendUserLine(const QString& sender, const QString& text,
                                const QString& loggedUser) {
    appendTimeStamp();
    appendRun(sender == loggedUser ? Style::Own : Style::Other,
              u'<' + shownInLine(sender) + QStringLiteral("> "));
    appendRun(Style::Plain, shownInLine(text));
    endLine();
}

void Transcript::appendPlainLine(const QString& text) {
    appendTimeStamp();
    appendRun(Style::Plain, shownInLine(text));
    endLine();
}

void Transcript::appendConferenceLine(const QString& message, const QString& loggedUser) {
    const ConferenceLine line = classifyConferenceLine(message);
    switch (line.form) {
    case ConferenceLine::Form::System:
        appendSystemLine(message);
        break;
    case ConferenceLine::Form::User:
        appendUserLine(line.user, line.text, loggedUser);
        break;
    case ConferenceLine::Form::Plain:
        appendPlainLine(message);
        break;
    }
}

void Transcript::ScrollToEnd() {
    view_->setTextCursor(end_);
}

} // namespace kivo
