// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TranscriptModel.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QThread>

namespace kivo {

class HistoryWriter;

// The stored history of conversations: one SQLite database, history.sqlite in the state
// folder (readable by its owner only), written in batches by a thread of its own so that
// storing never holds up the window, with a full-text index for searching.
class HistoryStore : public QObject {
    Q_OBJECT
public:
    static inline const QString FileName = QStringLiteral("history.sqlite");
    static constexpr int SchemaVersion = 1;

    struct Line {
        qint64 id = 0;
        QString conversation; // "private:" + contact (case folded), or "room:" + address
        QString title;        // the contact or the room, as shown
        TranscriptModel::Line line;
    };
    struct Hit {
        Line line;
        QList<std::pair<qsizetype, qsizetype>> matches; // start and length in the text
    };

    explicit HistoryStore(QObject* parent = nullptr);
    ~HistoryStore() override;

    // Opens or creates the database; a damaged one is moved aside (history.sqlite.damaged-
    // and the date) and a new one started, and the user is told. False: no history at all.
    bool open();

    static QString privateConversation(const QString& contact);
    static QString roomConversation(const QString& address);

    // Queued and written with the others of this turn of the event loop, in order.
    void append(const QString& conversation, const QString& title,
                const TranscriptModel::Line& line);
    // Waits until everything queued is written.
    void flush();

    // The newest lines of a conversation, oldest first.
    QList<Line> newest(const QString& conversation, int count);
    // The lines of a line's conversation around it, oldest first.
    QList<Line> around(qint64 id, int before, int after) const;
    // Full-text search, newest first: words, prefixes (word*) and "phrases in quotes".
    QList<Hit> search(const QString& typed, const QString& conversation = {},
                      int limit = 500) const;
    // What a typed query asks SQLite's full-text index, with nothing in it taken for the
    // index's own syntax but prefixes and phrases.
    static QString matchExpression(const QString& typed);

    bool deleteConversation(const QString& conversation);
    bool deleteAll();
    bool removeOlderThan(qint64 time);

Q_SIGNALS:
    void writeFailed(const QString& reason);

private:
    void sendBatch();
    bool reportFailure(const QString& what, const QString& reason) const;
    // One statement with one value, in a transaction of its own, after what is queued.
    bool change(const QString& statement, const QVariant& value, const QString& failure);

    QString connectionName_;
    QThread thread_;
    HistoryWriter* writer_ = nullptr;
    QList<Line> batch_;
    bool batchQueued_ = false;
    bool writeFailureTold_ = false;
};

} // namespace kivo
