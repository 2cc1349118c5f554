// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HistoryModule.h"

#include <QObject>
#include <QString>
#include <memory>

namespace kivo {

// The stored history of conversations: one SQLite database, history.sqlite in the state
// folder (readable by its owner only), written by a thread of its own so that storing never
// holds up the window, with full-text indexes for searching. What waits for the writer is
// bounded, and reading never waits for it: the lines still waiting are in memory. The
// database lives in a module, loaded when the history is first opened.
class HistoryStore : public QObject {
    Q_OBJECT
public:
    static inline const QString FileName = QStringLiteral("history.sqlite");
    static constexpr qsizetype MaxWaitingBytes = history::MaxWaitingBytes;

    using Line = history::Line;
    using Hit = history::Hit;
    using Found = history::Found;

    explicit HistoryStore(QObject* parent = nullptr);
    // Waits a few seconds at most for what is still queued.
    ~HistoryStore() override;

    // Opens or creates the database. One that SQLite finds damaged is moved aside
    // (history.sqlite.damaged- and the date) and a new one started; any other reason not to
    // use it (no module or driver, locked, not Kivo's, a link) touches nothing. The user is
    // told either way (problem()). False: no history at all.
    bool open();

    static QString privateConversation(const QString& contact);
    static QString roomConversation(const QString& address);

    // Queued for the writer, in order; what does not fit in MaxWaitingBytes is not stored, and
    // said (linesLost()).
    void append(const QString& conversation, const QString& title, const ChatLine& line);
    // Waits until everything queued is written or done.
    void flush();
    // Lines appended but not yet known to be written.
    qsizetype waiting() const;

    // The newest lines of a conversation, oldest first, those still queued included.
    QList<Line> newest(const QString& conversation, int count);
    // The lines of a line's conversation around it, oldest first.
    QList<Line> around(qint64 id, int before, int after) const;
    // Full-text search, newest first: words, prefixes (word*) and "phrases in quotes".
    // Chinese and Japanese words are found inside sentences too. Nothing typed is taken for
    // the index's own syntax but prefixes and phrases.
    Found search(const QString& typed, const QString& conversation = {}, int limit = 500) const;

    // Done by the writer after what is queued; finished() tells when.
    void deleteConversation(const QString& conversation);
    void deleteAll();
    void removeOlderThan(qint64 time);
    // Ends the writer once it has stored what waits, or after a few seconds; the lines that
    // are not stored. Nothing is stored after it.
    qsizetype close();

Q_SIGNALS:
    // Something the user should know, in words; the window layer decides how to show it.
    void problem(const QString& text);
    // Lines that will not be in the history, and why; each loss.
    void linesLost(int lines, const QString& reason);
    // An older history is being brought up to date: how far, in percent; 100 when done.
    void updating(int percent);
    // A deletion or removal is done (successfully or not: a failure has been told).
    void finished();

private:
    std::unique_ptr<history::Database> database_;
};

} // namespace kivo
