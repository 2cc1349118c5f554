// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ChatLine.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>

// The seam between Kivo and the module that stores the history (kivo-history, linked with Qt
// SQL). The module is loaded when the history is first opened, so that a user who keeps no
// history never loads the database's libraries.
namespace kivo::history {

// What may wait for the writer, at most: the bytes of the lines' text and what each line
// costs besides. A flood of a million 60-character lines waits whole; the writer stores some
// 50,000 lines a second.
inline constexpr qsizetype MaxWaitingBytes = 160 * 1024 * 1024;
// Lines written in one transaction, at most: a commit every few hundred milliseconds.
inline constexpr int MaxBatch = 5'000;
// How long Kivo waits at exit for what still waits for the writer.
inline constexpr int ExitWaitMs = 3000;

struct Line {
    qint64 id = 0;
    QString conversation; // "private:" + contact (case folded), or "room:" + address
    QString title;        // the contact or the room, as shown
    ChatLine line;
};
struct Hit {
    Line line;
    QList<std::pair<qsizetype, qsizetype>> matches; // start and length in the text
};
struct Found {
    QList<Hit> hits;
    QString error; // the search could not be run
};

// What the database tells, always on the thread that opened it.
struct Events {
    std::function<void(const QString& text)> problem; // in words, for the user
    // Lines that will not be in the history, and why.
    std::function<void(int lines, const QString& reason)> linesLost;
    // How far an older history is in being brought up to date, in percent; 100 when done.
    std::function<void(int percent)> updating;
    std::function<void()> finished; // a deletion or removal is done, or has failed and told
};

// An open history; HistoryStore says what each call does.
class Database {
public:
    virtual ~Database() = default;
    virtual void append(const Line& line) = 0;
    virtual void flush() = 0;
    virtual qsizetype waiting() const = 0;
    virtual QList<Line> newest(const QString& conversation, int count) = 0;
    virtual QList<Line> around(qint64 id, int before, int after) const = 0;
    virtual Found search(const QString& typed, const QString& conversation, int limit) const = 0;
    virtual void deleteConversation(const QString& conversation) = 0;
    virtual void deleteAll() = 0;
    virtual void removeOlderThan(qint64 time) = 0;
    // Ends the writer once it has written what waits, or after ExitWaitMs; the lines it could
    // not write.
    virtual qsizetype close() = 0;
};

// Opens or creates the database at `path` (`now` names a damaged file moved aside). Null when
// it cannot be used, once events.problem has said why.
using Open = Database* (*)(const QString& path, const QDateTime& now, Events events);

inline constexpr char OpenFunction[] = "kivoHistoryOpen";

} // namespace kivo::history
