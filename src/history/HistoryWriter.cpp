// SPDX-License-Identifier: GPL-3.0-or-later
#include "HistoryWriter.h"

#include "HistorySchema.h"
#include "HistoryText.h"
#include "Log.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace kivo::history {
namespace {

constexpr int WriterBusyMs = 5000; // another Kivo on the same file waits its turn
constexpr int WriteTries = 3;
constexpr int RetryPauseMs = 500;

// A null QString is bound as NULL; an empty text is still a text.
QString notNull(const QString& text) {
    return text.isNull() ? QStringLiteral("") : text;
}

} // namespace

Writer::Writer(QString path, Queue& queue)
    : path_(std::move(path))
    , queue_(queue) {
    setObjectName(QStringLiteral("history writer"));
}

void Writer::run() {
    const QString name = QStringLiteral("kivo-history-writer-") + QUuid::createUuid().toString();
    {
        QSqlDatabase db = openDatabase(name, path_, WriterBusyMs);
        QSqlQuery(db).exec(QStringLiteral("PRAGMA secure_delete=ON"));
        QString reason;
        const Fill fill = needsFill(db) ? fillUnspaced(
                                              db, [this](int percent) { Q_EMIT filling(percent); },
                                              [this] { return queue_.stopping(); }, &reason)
                                        : Fill::Done;
        if (fill == Fill::Failed)
            qCWarning(logFiles).noquote() << "could not bring the history up to date:" << reason;
        if (fill == Fill::Damaged)
            Q_EMIT damaged(reason);
        while (fill != Fill::Damaged && fill != Fill::Stopped) {
            const std::optional<Queue::Work> work = queue_.take();
            if (!work)
                break;
            if (work->command == Queue::Command::Lines)
                writeLines(db, *work);
            else
                runCommand(db, *work);
            queue_.done();
        }
    }
    closeDatabase(name);
}

void Writer::writeLines(QSqlDatabase& db, const Queue::Work& work) {
    QString reason;
    for (int attempt = 1; attempt <= WriteTries; ++attempt) {
        if (tryWrite(db, work, &reason))
            return;
        qCWarning(logFiles).noquote()
            << "could not store" << work.lines.size() << "lines, try" << attempt << ":" << reason;
        if (attempt < WriteTries && !queue_.stopping())
            QThread::msleep(RetryPauseMs);
    }
    {
        QMutexLocker lock(&queue_.commitLock);
        queue_.written = work.last; // lost: no longer waiting either
    }
    Q_EMIT linesLost(static_cast<int>(work.lines.size()), reason);
}

bool Writer::tryWrite(QSqlDatabase& db, const Queue::Work& work, QString* reason) {
    QSqlQuery insert(db);
    QSqlQuery unspaced(db);
    bool ok = beginWriting(db) &&
              insert.prepare(QStringLiteral(
                  "INSERT INTO lines(time, conversation, title, form, own, sender, text) "
                  "VALUES (?, ?, ?, ?, ?, ?, ?)")) &&
              prepareUnspaced(unspaced, false);
    for (auto line = work.lines.begin(); ok && line != work.lines.end(); ++line) {
        insert.addBindValue(line->line.time);
        insert.addBindValue(notNull(line->conversation));
        insert.addBindValue(notNull(line->title));
        insert.addBindValue(static_cast<int>(line->line.form));
        insert.addBindValue(line->line.own);
        insert.addBindValue(notNull(line->line.sender));
        insert.addBindValue(notNull(line->line.text));
        ok = insert.exec() &&
             (!hasUnspaced(line->line.text) ||
              addUnspaced(unspaced, insert.lastInsertId().toLongLong(), line->line.text));
    }
    if (ok) {
        QMutexLocker lock(&queue_.commitLock);
        ok = db.commit();
        if (ok)
            queue_.written = work.last;
    }
    if (ok)
        return true;
    *reason = errorOf(unspaced.lastError().isValid() ? unspaced : insert, db);
    db.rollback();
    return false;
}

void Writer::runCommand(QSqlDatabase& db, const Queue::Work& work) {
    QSqlQuery query(db);
    bool ok = beginWriting(db);
    bool removed = true;
    switch (work.command) {
    case Queue::Command::DeleteConversation:
    case Queue::Command::RemoveOlderThan: {
        const QString where = work.command == Queue::Command::DeleteConversation
                                  ? QStringLiteral("conversation = ?")
                                  : QStringLiteral("time < ?");
        ok = ok && forgetUnspaced(db, where, work.value) &&
             query.prepare(QStringLiteral("DELETE FROM lines WHERE ") + where);
        if (ok) {
            query.addBindValue(work.value);
            ok = query.exec();
            removed = query.numRowsAffected() > 0;
        }
        break;
    }
    case Queue::Command::DeleteAll:
        // Emptied with the indexes in one step: deleting a million lines one trigger at a
        // time would take long. The trigger is made again as it was.
        ok = ok &&
             query.exec(
                 QStringLiteral("INSERT INTO lines_text(lines_text) VALUES ('delete-all')")) &&
             query.exec(QStringLiteral(
                 "INSERT INTO lines_unspaced(lines_unspaced) VALUES ('delete-all')")) &&
             query.exec(QStringLiteral("SELECT sql FROM sqlite_master WHERE name = "
                                       "'lines_removed'")) &&
             query.next();
        if (ok) {
            const QString trigger = query.value(0).toString();
            query.finish();
            ok = query.exec(QStringLiteral("DROP TRIGGER lines_removed")) &&
                 query.exec(QStringLiteral("DELETE FROM lines")) && query.exec(trigger);
        }
        break;
    case Queue::Command::Lines:
        break;
    }
    ok = ok && db.commit();
    QString reason;
    if (!ok) {
        reason = errorOf(query, db);
        db.rollback();
    } else if (removed) {
        // Deleted text leaves no trace: the indexes are rebuilt without it, freed pages are
        // zeroed (secure_delete), and the log is emptied into the file.
        query.exec(QStringLiteral("INSERT INTO lines_text(lines_text) VALUES ('optimize')"));
        query.exec(
            QStringLiteral("INSERT INTO lines_unspaced(lines_unspaced) VALUES ('optimize')"));
        query.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    }
    Q_EMIT commandDone(ok, work.failure, reason);
}

} // namespace kivo::history
