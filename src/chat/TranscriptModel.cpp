// SPDX-License-Identifier: GPL-3.0-or-later
#include "TranscriptModel.h"

#include "Clock.h"
#include "Router.h"

#include <QtNumeric>
#include <algorithm>
#include <limits>

namespace kivo {
namespace {

constexpr quint8 FormMask = 0x0F;
constexpr quint8 OwnBit = 0x10;
constexpr quint8 HistoryBit = 0x20;
constexpr quint8 StatusBit = 0x40;

qint64 now() {
    return Clock::current().now().toSecsSinceEpoch();
}

} // namespace

TranscriptModel::TranscriptModel(QObject* parent)
    : QObject(parent) {
}

bool TranscriptModel::takes(const Chunk& chunk, qint64 time, qsizetype bytes) const {
    qint64 fromBase = 0;
    if (qSubOverflow(time, chunk.baseTime, &fromBase))
        return false; // times from a stored history can be anything
    return static_cast<qsizetype>(chunk.entries.size()) < ChunkLines &&
           (chunk.entries.empty() || chunk.text.size() + bytes <= ChunkBytes) &&
           fromBase >= std::numeric_limits<qint32>::min() &&
           fromBase <= std::numeric_limits<qint32>::max();
}

void TranscriptModel::append(const Line& line) {
    const QByteArray sender = line.sender.toUtf8();
    const QByteArray text = line.text.toUtf8();
    const qsizetype bytes = sender.size() + text.size();
    if (chunks_.empty() || !takes(chunks_.back(), line.time, bytes)) {
        // A full chunk keeps only what it holds; a new one grows as lines come, so that a
        // window with a few lines stays small.
        if (!chunks_.empty()) {
            chunks_.back().entries.shrink_to_fit();
            chunks_.back().text.squeeze();
        }
        chunks_.push_back(
            {.firstLine = dropped_ + count_, .baseTime = line.time, .entries = {}, .text = {}});
    }
    Chunk& chunk = chunks_.back();
    chunk.entries.push_back(
        {static_cast<quint32>(chunk.text.size()), static_cast<quint32>(sender.size()),
         static_cast<qint32>(line.time - chunk.baseTime),
         static_cast<quint8>(static_cast<quint8>(line.form) | (line.own ? OwnBit : 0) |
                             (line.history ? HistoryBit : 0) | (line.status ? StatusBit : 0))});
    chunk.text += sender;
    chunk.text += text;
    ++count_;
    bytes_ += bytes;
    Q_EMIT appended();
    // The newest chunk always stays, however long its lines.
    while (chunks_.size() > 1 &&
           (count_ - static_cast<qsizetype>(chunks_.front().entries.size()) >= capacity_ ||
            bytes_ > ByteBudget))
        dropOldest();
}

void TranscriptModel::dropOldest() {
    const auto lines = static_cast<qsizetype>(chunks_.front().entries.size());
    bytes_ -= chunks_.front().text.size();
    chunks_.pop_front();
    count_ -= lines;
    dropped_ += lines;
    Q_EMIT droppedOldest(lines);
}

void TranscriptModel::appendSystemLine(const QString& text) {
    append({.time = now(), .form = Form::System, .text = text});
}

void TranscriptModel::appendStatusLine(const QString& text) {
    append({.time = now(), .form = Form::System, .status = true, .text = text});
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
    bytes_ = 0;
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
    // Chunks end early for long lines and far-apart times, so the one holding a line is
    // looked up by its first line.
    const qint64 wanted = dropped_ + index;
    const auto after =
        std::upper_bound(chunks_.begin(), chunks_.end(), wanted,
                         [](qint64 line, const Chunk& chunk) { return line < chunk.firstLine; });
    return *std::prev(after);
}

TranscriptModel::Line TranscriptModel::line(qsizetype index) const {
    const Chunk& chunk = chunkOf(index);
    const auto at = static_cast<size_t>(dropped_ + index - chunk.firstLine);
    const Entry& entry = chunk.entries[at];
    const QByteArrayView bytes = packedBytes(chunk, at);
    return {.time = chunk.baseTime + entry.timeFromBase,
            .form = static_cast<Form>(entry.flags & FormMask),
            .own = (entry.flags & OwnBit) != 0,
            .history = (entry.flags & HistoryBit) != 0,
            .status = (entry.flags & StatusBit) != 0,
            .sender = QString::fromUtf8(bytes.first(entry.senderBytes)),
            .text = QString::fromUtf8(bytes.sliced(entry.senderBytes))};
}

} // namespace kivo
