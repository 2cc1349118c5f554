// SPDX-License-Identifier: GPL-3.0-or-later
#include "HistorySchema.h"

#include "HistoryText.h"

#include <QCoreApplication>
#include <QFile>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace kivo::history {
namespace {

// Every schema change is a new entry; a database is brought up to date step by step.
const QList<QStringList> Migrations{
    // 1: the lines, and a full-text index of their text that triggers keep up to date.
    {QStringLiteral("CREATE TABLE lines(id INTEGER PRIMARY KEY, time INTEGER NOT NULL, "
                    "conversation TEXT NOT NULL, title TEXT NOT NULL, form INTEGER NOT NULL, "
                    "own INTEGER NOT NULL, sender TEXT NOT NULL, text TEXT NOT NULL)"),
     QStringLiteral("CREATE INDEX lines_by_conversation ON lines(conversation, id)"),
     QStringLiteral("CREATE INDEX lines_by_time ON lines(time)"),
     QStringLiteral("CREATE VIRTUAL TABLE lines_text USING fts5(text, content='lines', "
                    "content_rowid='id', tokenize='unicode61')"),
     QStringLiteral("CREATE TRIGGER lines_added AFTER INSERT ON lines BEGIN INSERT INTO "
                    "lines_text(rowid, text) VALUES (new.id, new.text); END"),
     QStringLiteral("CREATE TRIGGER lines_removed AFTER DELETE ON lines BEGIN INSERT INTO "
                    "lines_text(lines_text, rowid, text) VALUES ('delete', old.id, old.text); "
                    "END")},
    // 2: the lines written in scripts without spaces between words (Chinese, Japanese,
    // Thai...), a character a word, so that a word inside a sentence is found. Kept by the
    // writer, not by triggers: the text is split first. Lines stored before are added by
    // fillUnspaced().
    {QStringLiteral("CREATE VIRTUAL TABLE IF NOT EXISTS lines_unspaced USING fts5(text, "
                    "content='', tokenize='unicode61')")},
};
static_assert(SchemaVersion == 2);

constexpr int FillBatch = 20'000;

// SQLite's result codes for a file that is not a database or is damaged.
const QStringList DamagedCodes{QStringLiteral("26"), QStringLiteral("11")};

int userVersion(QSqlDatabase& db) {
    QSqlQuery query(db);
    return query.exec(QStringLiteral("PRAGMA user_version")) && query.next()
               ? query.value(0).toInt()
               : -1;
}

} // namespace

QSqlDatabase openDatabase(const QString& name, const QString& path, int busyMs) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyMs));
    db.open();
    return db;
}

void closeDatabase(const QString& name) {
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

QString errorOf(const QSqlQuery& query, const QSqlDatabase& db) {
    const QString text =
        query.lastError().isValid() ? query.lastError().text() : db.lastError().text();
    return text.trimmed().isEmpty() ? QCoreApplication::translate("kivo", "unknown reason")
                                    : text.trimmed();
}

bool isDamage(const QSqlQuery& query) {
    return DamagedCodes.contains(query.lastError().nativeErrorCode());
}

bool beginWriting(QSqlDatabase& db) {
    return QSqlQuery(db).exec(QStringLiteral("BEGIN IMMEDIATE"));
}

Inspection inspect(QSqlDatabase& db) {
    QSqlQuery query(db);
    Inspection result;
    const auto failed = [&] {
        result.reason = errorOf(query, db);
        result.kind = isDamage(query) ? Inspection::Damaged : Inspection::Unreadable;
        return result;
    };
    if (!db.isOpen()) {
        result.reason = errorOf(query, db);
        return result;
    }
    // Both reads from one snapshot: another Kivo may create the tables between them.
    if (!query.exec(QStringLiteral("BEGIN")))
        return failed();
    const auto end = qScopeGuard([&] {
        query.finish();
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
    });
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next())
        return failed();
    result.version = query.value(0).toInt();
    if (!query.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE name NOT LIKE "
                                   "'sqlite_%'")))
        return failed();
    QStringList names;
    while (query.next())
        names.append(query.value(0).toString());
    if (query.lastError().isValid())
        return failed();
    const bool kivos =
        names.contains(QStringLiteral("lines")) && names.contains(QStringLiteral("lines_text"));
    if (result.version == 0 && names.isEmpty())
        result.kind = Inspection::New;
    else if (!kivos || result.version == 0)
        result.kind = Inspection::Foreign;
    else
        result.kind = result.version > SchemaVersion ? Inspection::Newer : Inspection::Kivos;
    return result;
}

bool prepare(QSqlDatabase& db, QString* reason, bool* damaged) {
    QSqlQuery query(db);
    // Up to date, as nearly always: nothing to take for writing.
    if (userVersion(db) == SchemaVersion)
        return true;
    // Taken for writing before the version is read: another Kivo opening the same new file
    // waits, then finds it up to date.
    bool ok = beginWriting(db) && query.exec(QStringLiteral("PRAGMA user_version")) && query.next();
    const int from = ok ? query.value(0).toInt() : 0;
    for (int version = from; ok && version < Migrations.size(); ++version) {
        for (const QString& statement : Migrations[version])
            ok = ok && query.exec(statement);
        // A new database has no lines to add to the unspaced index.
        if (version + 1 < SchemaVersion || from == 0)
            ok = ok && query.exec(QStringLiteral("PRAGMA user_version=%1").arg(version + 1));
    }
    if (!ok) {
        *reason = errorOf(query, db);
        *damaged = isDamage(query);
    }
    query.finish();
    return QSqlQuery(db).exec(ok ? QStringLiteral("COMMIT") : QStringLiteral("ROLLBACK")) && ok;
}

bool needsFill(QSqlDatabase& db) {
    return userVersion(db) == SchemaVersion - 1;
}

Fill fillUnspaced(QSqlDatabase& db, const std::function<void(int percent)>& progress,
                  const std::function<bool()>& stopping, QString* reason) {
    QSqlQuery query(db);
    // Where a fill stopped before: the lines up to the last one in the index were all seen
    // (lines without unspaced text are not in it).
    qint64 done = 0;
    qint64 last = 0;
    if (!query.exec(QStringLiteral("SELECT (SELECT coalesce(max(rowid), 0) FROM lines_unspaced), "
                                   "(SELECT coalesce(max(id), 0) FROM lines)")) ||
        !query.next()) {
        *reason = errorOf(query, db);
        return isDamage(query) ? Fill::Damaged : Fill::Failed;
    }
    done = query.value(0).toLongLong();
    last = query.value(1).toLongLong();
    const qint64 first = done;
    query.finish();
    while (done < last) {
        if (stopping())
            return Fill::Stopped;
        QSqlQuery lines(db);
        QSqlQuery insert(db);
        bool ok = beginWriting(db) && prepareUnspaced(insert, false) &&
                  lines.prepare(QStringLiteral(
                      "SELECT id, text FROM lines WHERE id > ? ORDER BY id LIMIT ?"));
        if (ok) {
            lines.addBindValue(done);
            lines.addBindValue(FillBatch);
            ok = lines.exec();
        }
        qint64 reached = done;
        while (ok && lines.next()) {
            reached = lines.value(0).toLongLong();
            const QString text = lines.value(1).toString();
            ok = !hasUnspaced(text) || addUnspaced(insert, reached, text);
        }
        ok = ok && !lines.lastError().isValid();
        if (!ok) {
            const QSqlQuery& failed = insert.lastError().isValid() ? insert : lines;
            *reason = errorOf(failed, db);
            const bool damaged = isDamage(failed);
            lines.finish();
            QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
            return damaged ? Fill::Damaged : Fill::Failed;
        }
        lines.finish();
        if (!db.commit()) {
            *reason = errorOf(query, db);
            QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
            return Fill::Failed;
        }
        done = reached == done ? last : reached;
        progress(static_cast<int>(100 * (done - first) / std::max<qint64>(1, last - first)));
    }
    if (!query.exec(QStringLiteral("PRAGMA user_version=%1").arg(SchemaVersion))) {
        *reason = errorOf(query, db);
        return Fill::Failed;
    }
    progress(100);
    return Fill::Done;
}

bool prepareUnspaced(QSqlQuery& query, bool remove) {
    // A contentless index forgets a line when told its indexed text once more.
    return query.prepare(remove ? QStringLiteral("INSERT INTO lines_unspaced(lines_unspaced, "
                                                 "rowid, text) VALUES ('delete', ?, ?)")
                                : QStringLiteral("INSERT INTO lines_unspaced(rowid, text) "
                                                 "VALUES (?, ?)"));
}

bool addUnspaced(QSqlQuery& prepared, qint64 id, const QString& text) {
    prepared.bindValue(0, id);
    prepared.bindValue(1, splitUnspaced(text));
    return prepared.exec();
}

bool forgetUnspaced(QSqlDatabase& db, const QString& where, const QVariant& value) {
    QSqlQuery lines(db);
    QSqlQuery remove(db);
    if (!lines.prepare(QStringLiteral("SELECT id, text FROM lines WHERE ") + where) ||
        !prepareUnspaced(remove, true))
        return false;
    if (value.isValid())
        lines.addBindValue(value);
    if (!lines.exec())
        return false;
    while (lines.next()) {
        const QString text = lines.value(1).toString();
        if (hasUnspaced(text) && !addUnspaced(remove, lines.value(0).toLongLong(), text))
            return false;
    }
    return true;
}

QString createPrivate(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0 && errno != EEXIST)
        return QString::fromLocal8Bit(std::strerror(errno));
    if (fd >= 0)
        ::close(fd);
    return {};
}

QString moveAside(const QString& path, const QDateTime& now, QString* error) {
    const QString aside = path + QStringLiteral(".damaged-") +
                          now.toLocalTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        QFile file(path + suffix);
        if (file.exists() && !file.rename(aside + suffix)) {
            *error = file.errorString();
            return {};
        }
    }
    return aside;
}

} // namespace kivo::history
