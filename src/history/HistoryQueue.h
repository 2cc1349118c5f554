// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HistoryModule.h"

#include <QDeadlineTimer>
#include <QHash>
#include <QMutex>
#include <QVariant>
#include <QWaitCondition>
#include <deque>
#include <optional>
#include <vector>

namespace kivo::history {

// What waits for the writer, in order: lines, and the deletions asked for between them. A
// line waits compactly (its conversation and title once for all the lines that share them,
// its sender and text as UTF-8 in chunks), and all of them in at most MaxWaitingBytes, so
// that a flood of a million lines waits whole in about as many bytes as its text. The
// window's thread adds and reads what waits; the writer takes work from the front and lets
// it go once written.
class Queue {
public:
    enum class Command { Lines, DeleteConversation, DeleteAll, RemoveOlderThan };
    struct Work {
        Command command = Command::Lines;
        std::vector<Line> lines; // Lines: up to MaxBatch, in order
        qint64 last = 0;         // the sequence of the last of them
        QVariant value;          // a command's
        QString failure;         // what a command that fails says
    };

    // False, and nothing added, when the line would not fit.
    bool add(const Line& line);
    void add(Command command, const QVariant& value, const QString& failure);

    // The writer's: the next work, waiting for some; none once stopped (when nothing waits,
    // or at once after the deadline).
    std::optional<Work> take();
    // The work taken last is written, or given up on: it no longer waits.
    void done();
    void waitUntilIdle();
    void stop(int waitMs);
    bool stopping() const;

    // Held by the writer while it commits: a reader that takes it sees exactly the lines up
    // to `written` in the database, and the rest here.
    QMutex commitLock;
    qint64 written = 0; // under commitLock

    // The lines waiting after `written`, and the newest `count` of them in a conversation.
    qsizetype linesAfter(qint64 written) const;
    QList<Line> newest(const QString& conversation, int count, qint64 written) const;

private:
    struct Entry {
        qint64 sequence;
        qint64 time;
        quint32 textOffset; // into the chunk's text: the sender's UTF-8, then the text's
        quint32 senderBytes;
        quint32 place; // conversation and title, in places_
        quint8 form;
        bool own;
        qint32 command; // -1 for a line, else the index in commands_
    };
    struct Chunk {
        std::vector<Entry> entries;
        QByteArray text;
    };
    struct Place {
        QString conversation;
        QString title;
    };

    Line lineOf(const Chunk& chunk, size_t at) const;
    const Entry& front() const;

    mutable QMutex mutex_;
    QWaitCondition wake_;
    QWaitCondition idle_;
    std::deque<Chunk> chunks_;
    size_t taken_ = 0; // entries of the first chunk that are gone
    std::deque<Work> commands_;
    qint32 commandsTaken_ = 0;
    std::vector<Place> places_;
    QHash<QString, quint32> placeIds_;
    qint64 sequence_ = 0;
    qsizetype bytes_ = 0;
    qsizetype entries_ = 0;
    size_t inWork_ = 0; // entries taken by the writer and not done yet
    bool busy_ = true;  // until the writer first waits
    bool stopping_ = false;
    QDeadlineTimer stopBy_;
};

} // namespace kivo::history
