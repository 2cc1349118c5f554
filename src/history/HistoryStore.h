// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ChatLine.h"

#include <QList>
#include <QMutex>
#include <QObject>
#include <QString>
#include <deque>
#include <memory>

namespace kivo {

class HistoryWriter;

// The stored history of conversations: one SQLite database, history.sqlite in the state
// folder (readable by its owner only), written by a thread of its own so that storing never
// holds up the window, with full-text indexes for searching. What waits for the writer is
// bounded, and reading never waits for it: the lines still waiting are in memory.
class HistoryStore : public QObject {
    Q_OBJECT
public:
    static inline const QString FileName = QStringLiteral("history.sqlite");
    static constexpr int SchemaVersion = 2;
    // Lines waiting for the writer, at most: about a second of writing, so that a crash loses
    // little and a flood cannot grow the queue without end.
    static constexpr int MaxWaiting = 50'000;
    // Lines written in one transaction, at most: a commit every few hundred milliseconds.
    static constexpr int MaxBatch = 5'000;

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

    explicit HistoryStore(QObject* parent = nullptr);
    // Waits a few seconds at most for what is still queued.
    ~HistoryStore() override;

    // Opens or creates the database. One that SQLite finds damaged is moved aside
    // (history.sqlite.damaged- and the date) and a new one started; any other reason not to
    // use it (no driver, locked, not Kivo's, a link) touches nothing. The user is told either
    // way (problem()). False: no history at all.
    bool open();

    static QString privateConversation(const QString& contact);
    static QString roomConversation(const QString& address);

    // Queued for the writer, in order; beyond MaxWaiting lines are not stored, and once the
    // writer has caught up the user is told how many.
    void append(const QString& conversation, const QString& title,
                const ChatLine& line);
    // Waits until everything queued is written or done.
    void flush();
    // Lines appended but not yet known to be written.
    qsizetype waiting() const { return static_cast<qsizetype>(waiting_.size()); }

    // The newest lines of a conversation, oldest first, those still queued included.
    QList<Line> newest(const QString& conversation, int count);
    // The lines of a line's conversation around it, oldest first.
    QList<Line> around(qint64 id, int before, int after) const;
    // Full-text search, newest first: words, prefixes (word*) and "phrases in quotes".
    // Chinese and Japanese words are found inside sentences too.
    Found search(const QString& typed, const QString& conversation = {}, int limit = 500) const;
    // What a typed query asks SQLite's full-text index, with nothing in it taken for the
    // index's own syntax but prefixes and phrases.
    static QString matchExpression(const QString& typed);

    // Done by the writer after what is queued; finished() tells when.
    void deleteConversation(const QString& conversation);
    void deleteAll();
    void removeOlderThan(qint64 time);

Q_SIGNALS:
    // Something the user should know, in words; the window layer decides how to show it.
    void problem(const QString& text);
    void writeFailed(const QString& reason);
    // A deletion or removal is done (successfully or not: a failure has been told).
    void finished();

private:
    void onWritten(qint64 sequence);
    void forgetWritten(qint64 sequence);
    void onLost(int lines, const QString& reason);
    void onCommandDone(bool ok, const QString& failure, const QString& reason);
    void queueCommand(int command, const QVariant& value, const QString& failure);

    QString connectionName_;
    std::unique_ptr<HistoryWriter> writer_;
    // Appended but not yet known to be written, oldest first.
    struct Waiting {
        qint64 sequence;
        Line line;
    };
    std::deque<Waiting> waiting_;
    qint64 sequence_ = 0;
    int notQueued_ = 0;
    bool writeFailureTold_ = false;
};

} // namespace kivo
