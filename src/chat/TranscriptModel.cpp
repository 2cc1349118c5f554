// SPDX-License-Identifier: GPL-3.0-or-later
#include "TranscriptModel.h"

#include "Clock.h"
#include "Router.h"
#include "Text.h"

#include <QCoreApplication>
#include <QDateTime>

namespace kivo {
namespace {

constexpr quint8 FormMask = 0x0F;
constexpr quint8 OwnBit = 0x10;
constexpr quint8 HistoryBit = 0x20;

qint64 now() {
    return Clock::current().now().toSecsSinceEpoch();
}

} // namespace

TranscriptModel::TranscriptModel(QObject* parent)
    : QObject(parent) {
}

void TranscriptModel::append(const Line& line) {
    if (chunks_.empty() || chunks_.back().entries.size() == ChunkLines) {
        // A full chunk keeps only what it holds; a new one grows as lines come, so that a
        // window with a few lines stays small.
        if (!chunks_.empty()) {
            chunks_.back().entries.shrink_to_fit();
            chunks_.back().text.squeeze();
        }
        chunks_.push_back({.baseTime = line.time, .entries = {}, .text = {}});
    }
    Chunk& chunk = chunks_.back();
    const QByteArray sender = line.sender.toUtf8();
    chunk.entries.push_back(
        {static_cast<quint32>(chunk.text.size()), static_cast<quint32>(sender.size()),
         static_cast<qint32>(line.time - chunk.baseTime),
         static_cast<quint8>(static_cast<quint8>(line.form) | (line.own ? OwnBit : 0) |
                             (line.history ? HistoryBit : 0))});
    chunk.text += sender;
    chunk.text += line.text.toUtf8();
    ++count_;
    Q_EMIT appended();
    if (count_ >= capacity_ + ChunkLines) {
        const auto lines = static_cast<qsizetype>(chunks_.front().entries.size());
        chunks_.pop_front();
        count_ -= lines;
        dropped_ += lines;
        Q_EMIT droppedOldest(lines);
    }
}

void TranscriptModel::appendSystemLine(const QString& text) {
    append({.time = now(), .form = Form::System, .text = text});
}

void TranscriptModel::appendUserLine(const QString& sender, const QString& text,
                                     const QString& loggedUser) {
    append({.time = now(),
            .form = Form::User,
            .own = sender == loggedUser,
            .sender = sender,
            .text = text});
}

void TranscriptModel::appendPlainLine(const QString& text) {
    append({.time = now(), .form = Form::Plain, .text = text});
}

void TranscriptModel::appendConferenceLine(const QString& message, const QString& loggedUser) {
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

void TranscriptModel::clear() {
    const qsizetype lines = std::exchange(count_, 0);
    chunks_.clear();
    dropped_ += lines;
    Q_EMIT droppedOldest(lines);
}

void TranscriptModel::appendHistory(const QList<Line>& lines) {
    if (lines.isEmpty())
        return;
    for (Line line : lines) {
        line.history = true;
        append(line);
    }
    append({.time = now(), .form = Form::Separator, .history = true});
}

const TranscriptModel::Chunk& TranscriptModel::chunkOf(qsizetype index) const {
    return chunks_[static_cast<size_t>(index / ChunkLines)];
}

TranscriptModel::Line TranscriptModel::line(qsizetype index) const {
    const Chunk& chunk = chunkOf(index);
    const auto at = static_cast<size_t>(index % ChunkLines);
    const Entry& entry = chunk.entries[at];
    const qsizetype end = at + 1 < chunk.entries.size()
                              ? static_cast<qsizetype>(chunk.entries[at + 1].textOffset)
                              : chunk.text.size();
    const QByteArrayView bytes(chunk.text.constData() + entry.textOffset,
                               end - static_cast<qsizetype>(entry.textOffset));
    return {.time = chunk.baseTime + entry.timeFromBase,
            .form = static_cast<Form>(entry.flags & FormMask),
            .own = (entry.flags & OwnBit) != 0,
            .history = (entry.flags & HistoryBit) != 0,
            .sender = QString::fromUtf8(bytes.first(entry.senderBytes)),
            .text = QString::fromUtf8(bytes.sliced(entry.senderBytes))};
}

QString TranscriptModel::timeStamp(qint64 time) {
    // Converting to local time is costly: lines drawn in the same second share one string.
    static qint64 cachedTime = -1;
    static QString cached;
    if (time != cachedTime) {
        cachedTime = time;
        cached =
            u'[' +
            QDateTime::fromSecsSinceEpoch(time).toLocalTime().toString(QStringLiteral("HH:mm:ss")) +
            QStringLiteral("] ");
    }
    return cached;
}

QString TranscriptModel::text(qsizetype fromLine, qsizetype fromColumn, qsizetype toLine,
                              qsizetype toColumn) const {
    QStringList lines;
    for (qsizetype index = std::max<qsizetype>(fromLine, 0); index <= toLine && index < count_;
         ++index) {
        const QString text = shown(index).text;
        const qsizetype start = index == fromLine ? fromColumn : 0;
        const qsizetype stop = index == toLine ? toColumn : text.size();
        lines.append(text.mid(start, stop - start));
    }
    return lines.join(u'\n');
}

TranscriptModel::Shown TranscriptModel::shown(const Line& l) {
    if (l.form == Form::Separator) {
        // Between the stored history and the new lines: a rule with a word, no time.
        const QString rule(8, QChar(0x2500));
        return {.text = rule + u' ' + QCoreApplication::translate("kivo", "Earlier") + u' ' + rule};
    }
    Shown shown{.text = timeStamp(l.time)};
    shown.senderStart = shown.text.size();
    if (l.form == Form::User)
        shown.text += u'<' + shownInLine(l.sender) + QStringLiteral("> ");
    shown.textStart = shown.text.size();
    shown.text += shownInLine(l.text);
    return shown;
}

} // namespace kivo
