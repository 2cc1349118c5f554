// SPDX-License-Identifier: GPL-3.0-or-later
#include "HistoryQueue.h"

namespace kivo::history {
namespace {

constexpr size_t ChunkLines = 4096;
constexpr qsizetype ChunkBytes = 4 * 1024 * 1024;

} // namespace

bool Queue::add(const Line& line) {
    const QByteArray sender = line.line.sender.toUtf8();
    const QByteArray text = line.line.text.toUtf8();
    const qsizetype cost = sender.size() + text.size() + qsizetype(sizeof(Entry));
    const QString key = line.conversation + QChar(0) + line.title;
    QMutexLocker lock(&mutex_);
    if (bytes_ + cost > MaxWaitingBytes)
        return false;
    auto found = placeIds_.constFind(key);
    if (found == placeIds_.cend()) {
        found = placeIds_.insert(key, static_cast<quint32>(places_.size()));
        places_.push_back({line.conversation, line.title});
    }
    if (chunks_.empty() || chunks_.back().entries.size() >= ChunkLines ||
        chunks_.back().text.size() + sender.size() + text.size() > ChunkBytes)
        chunks_.emplace_back();
    Chunk& chunk = chunks_.back();
    chunk.entries.push_back({.sequence = ++sequence_,
                             .time = line.line.time,
                             .textOffset = static_cast<quint32>(chunk.text.size()),
                             .senderBytes = static_cast<quint32>(sender.size()),
                             .place = *found,
                             .form = static_cast<quint8>(line.line.form),
                             .own = line.line.own,
                             .command = false});
    chunk.text += sender;
    chunk.text += text;
    bytes_ += cost;
    ++entries_;
    wake_.wakeOne();
    return true;
}

void Queue::add(Command command, const QVariant& value, const QString& failure) {
    QMutexLocker lock(&mutex_);
    if (chunks_.empty() || chunks_.back().entries.size() >= ChunkLines)
        chunks_.emplace_back();
    Chunk& chunk = chunks_.back();
    chunk.entries.push_back({.sequence = ++sequence_,
                             .time = 0,
                             .textOffset = static_cast<quint32>(chunk.text.size()),
                             .senderBytes = 0,
                             .place = 0,
                             .form = 0,
                             .own = false,
                             .command = true});
    commands_.push_back(
        {.command = command, .lines = {}, .last = 0, .value = value, .failure = failure});
    bytes_ += sizeof(Entry);
    ++entries_;
    wake_.wakeOne();
}

Line Queue::lineOf(const Chunk& chunk, size_t at) const {
    const Entry& entry = chunk.entries[at];
    const QByteArrayView bytes = packedBytes(chunk, at);
    const Place& place = places_[entry.place];
    return {.id = 0,
            .conversation = place.conversation,
            .title = place.title,
            .line = {.time = entry.time,
                     .form = static_cast<ChatLine::Form>(entry.form),
                     .own = entry.own,
                     .sender = QString::fromUtf8(bytes.first(entry.senderBytes)),
                     .text = QString::fromUtf8(bytes.sliced(entry.senderBytes))}};
}

std::optional<Queue::Work> Queue::take() {
    QMutexLocker lock(&mutex_);
    busy_ = false;
    idle_.wakeAll();
    while (entries_ == 0 && !stopping_)
        wake_.wait(&mutex_);
    if (entries_ == 0 || (stopping_ && stopBy_.hasExpired()))
        return std::nullopt;
    busy_ = true;
    if (chunks_.front().entries[taken_].command) {
        inWork_ = 1;
        return commands_.front();
    }
    Work work;
    size_t at = taken_;
    for (const Chunk& chunk : chunks_) {
        for (; at < chunk.entries.size() && work.lines.size() < size_t(MaxBatch); ++at) {
            if (chunk.entries[at].command)
                break;
            work.lines.push_back(lineOf(chunk, at));
            work.last = chunk.entries[at].sequence;
        }
        if (at < chunk.entries.size())
            break;
        at = 0;
    }
    inWork_ = work.lines.size();
    return work;
}

void Queue::done() {
    QMutexLocker lock(&mutex_);
    for (; inWork_ > 0; --inWork_) {
        Chunk& chunk = chunks_.front();
        const Entry& entry = chunk.entries[taken_];
        bytes_ -= packedBytes(chunk, taken_).size() + qsizetype(sizeof(Entry));
        if (entry.command)
            commands_.pop_front();
        --entries_;
        if (++taken_ == chunk.entries.size()) {
            chunks_.pop_front();
            taken_ = 0;
        }
    }
    // Nothing waits: the conversations' names are let go too.
    if (entries_ == 0) {
        places_.clear();
        placeIds_.clear();
    }
}

void Queue::waitUntilIdle() {
    QMutexLocker lock(&mutex_);
    while (busy_ || entries_ > 0)
        idle_.wait(&mutex_);
}

void Queue::stop(int waitMs) {
    QMutexLocker lock(&mutex_);
    stopping_ = true;
    stopBy_ = QDeadlineTimer(waitMs);
    wake_.wakeOne();
}

bool Queue::stopping() const {
    QMutexLocker lock(&mutex_);
    return stopping_;
}

qsizetype Queue::linesAfter(qint64 written) const {
    QMutexLocker lock(&mutex_);
    qsizetype lines = 0;
    for (auto chunk = chunks_.rbegin(); chunk != chunks_.rend(); ++chunk) {
        const size_t first = chunk + 1 == chunks_.rend() ? taken_ : 0;
        for (size_t at = chunk->entries.size(); at > first; --at) {
            const Entry& entry = chunk->entries[at - 1];
            if (entry.sequence <= written)
                return lines;
            lines += entry.command ? 0 : 1;
        }
    }
    return lines;
}

QList<Line> Queue::newest(const QString& conversation, int count, qint64 written) const {
    QMutexLocker lock(&mutex_);
    QList<quint32> places;
    for (size_t place = 0; place < places_.size(); ++place) {
        if (places_[place].conversation == conversation)
            places.append(static_cast<quint32>(place));
    }
    QList<Line> lines;
    if (places.isEmpty())
        return lines;
    for (auto chunk = chunks_.rbegin(); chunk != chunks_.rend(); ++chunk) {
        const size_t first = chunk + 1 == chunks_.rend() ? taken_ : 0;
        for (size_t at = chunk->entries.size(); at > first; --at) {
            const Entry& entry = chunk->entries[at - 1];
            if (entry.sequence <= written || lines.size() >= count)
                return lines;
            if (!entry.command && places.contains(entry.place))
                lines.prepend(lineOf(*chunk, at - 1));
        }
    }
    return lines;
}

} // namespace kivo::history
