// SPDX-License-Identifier: GPL-3.0-or-later
#include "HistoryStore.h"

#include "Clock.h"
#include "Log.h"
#include "MessageBoxes.h"
#include "StateFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace kivo {
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
};

const QString Columns = QStringLiteral("id, time, conversation, title, form, own, sender, text");
constexpr QChar MatchStart{0x2}; // around matches in what the index returns
constexpr QChar MatchEnd{0x3};

QSqlDatabase openDatabase(const QString& name, const QString& path) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(path);
    // Another Kivo on the same folder (or this one's writer) waits its turn instead of failing.
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (db.open()) {
        QSqlQuery pragma(db);
        pragma.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        pragma.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    }
    return db;
}

void closeDatabase(const QString& name) {
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

// A database that answers these is not damaged where it matters at start-up.
bool readable(const QSqlDatabase& db) {
    QSqlQuery query(db);
    return db.isOpen() && query.exec(QStringLiteral("PRAGMA user_version")) &&
           query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"));
}

// Takes the database for writing at once: another writer (another Kivo on the same folder)
// then waits for its turn, where a read that turns into a write would fail instead.
bool beginWriting(QSqlDatabase& db) {
    return QSqlQuery(db).exec(QStringLiteral("BEGIN IMMEDIATE"));
}

bool migrate(QSqlDatabase& db) {
    QSqlQuery query(db);
    // Taken for writing before the version is read: another Kivo opening the same new file
    // waits, then finds it up to date.
    if (!beginWriting(db))
        return false;
    bool ok = query.exec(QStringLiteral("PRAGMA user_version")) && query.next();
    for (int version = ok ? query.value(0).toInt() : 0; ok && version < Migrations.size();
         ++version) {
        for (const QString& statement : Migrations[version])
            ok = ok && query.exec(statement);
        ok = ok && query.exec(QStringLiteral("PRAGMA user_version=%1").arg(version + 1));
    }
    query.finish();
    return query.exec(ok ? QStringLiteral("COMMIT") : QStringLiteral("ROLLBACK")) && ok;
}

// A null QString is bound as NULL; an empty text is still a text.
QString notNull(const QString& text) {
    return text.isNull() ? QStringLiteral("") : text;
}

HistoryStore::Line lineFrom(const QSqlQuery& query) {
    return {.id = query.value(0).toLongLong(),
            .conversation = query.value(2).toString(),
            .title = query.value(3).toString(),
            .line = {.time = query.value(1).toLongLong(),
                     .form = static_cast<TranscriptModel::Form>(query.value(4).toInt()),
                     .own = query.value(5).toBool(),
                     .history = true,
                     .sender = query.value(6).toString(),
                     .text = query.value(7).toString()}};
}

} // namespace

// Writes batches of lines on its own thread, one transaction each.
class HistoryWriter : public QObject {
    Q_OBJECT
public:
    explicit HistoryWriter(QString path)
        : path_(std::move(path)) {}
    ~HistoryWriter() override {
        if (!name_.isEmpty())
            closeDatabase(name_);
    }

    void write(const QList<HistoryStore::Line>& lines) {
        if (name_.isEmpty()) {
            name_ = QStringLiteral("kivo-history-writer-") + QUuid::createUuid().toString();
            openDatabase(name_, path_);
        }
        QSqlDatabase db = QSqlDatabase::database(name_, false);
        QSqlQuery insert(db);
        const bool ok = beginWriting(db) &&
                        insert.prepare(QStringLiteral(
                            "INSERT INTO lines(time, conversation, title, form, own, sender, "
                            "text) VALUES (?, ?, ?, ?, ?, ?, ?)")) &&
                        std::all_of(lines.begin(), lines.end(),
                                    [&](const auto& line) {
                                        insert.addBindValue(line.line.time);
                                        insert.addBindValue(notNull(line.conversation));
                                        insert.addBindValue(notNull(line.title));
                                        insert.addBindValue(static_cast<int>(line.line.form));
                                        insert.addBindValue(line.line.own);
                                        insert.addBindValue(notNull(line.line.sender));
                                        insert.addBindValue(notNull(line.line.text));
                                        return insert.exec();
                                    }) &&
                        db.commit();
        if (ok)
            return;
        const QString reason =
            insert.lastError().isValid() ? insert.lastError().text() : db.lastError().text();
        db.rollback();
        qCWarning(logFiles).noquote() << "could not store" << lines.size() << "lines:" << reason;
        Q_EMIT failed(reason);
    }

Q_SIGNALS:
    void failed(const QString& reason);

private:
    QString path_;
    QString name_;
};

HistoryStore::HistoryStore(QObject* parent)
    : QObject(parent)
    , connectionName_(QStringLiteral("kivo-history-") + QUuid::createUuid().toString()) {
}

HistoryStore::~HistoryStore() {
    if (writer_) {
        // Everything queued is written, and the writer's connection closed in its thread.
        flush();
        QMetaObject::invokeMethod(
            writer_, [writer = writer_] { delete writer; }, Qt::BlockingQueuedConnection);
        thread_.quit();
        thread_.wait();
    }
    closeDatabase(connectionName_);
}

QString HistoryStore::privateConversation(const QString& contact) {
    return QStringLiteral("private:") + contact.toCaseFolded();
}

QString HistoryStore::roomConversation(const QString& address) {
    return QStringLiteral("room:") + address;
}

bool HistoryStore::open() {
    const QString path = StateFolder::filePath(FileName);
    const auto create = [&] {
        // The file is made before SQLite opens it, so that it is private from the start.
        if (!QFile::exists(path)) {
            QFile file(path);
            if (file.open(QIODevice::WriteOnly))
                file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        }
        return openDatabase(connectionName_, path);
    };
    QSqlDatabase db = create();
    if (!readable(db)) {
        const QString reason = db.lastError().text();
        closeDatabase(connectionName_);
        const QString aside =
            path + QStringLiteral(".damaged-") +
            Clock::current().now().toLocalTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
            QFile::rename(path + suffix, aside + suffix);
        warn(QCoreApplication::translate("kivo", "The history in %1 could not be read (%2). It "
                                                 "was moved to %3, and a new history begun.")
                 .arg(QDir::toNativeSeparators(path), reason, QDir::toNativeSeparators(aside)));
        db = create();
    }
    if (!readable(db) || !migrate(db)) {
        warn(QCoreApplication::translate("kivo", "The history in %1 cannot be used: %2")
                 .arg(QDir::toNativeSeparators(path), db.lastError().text()));
        closeDatabase(connectionName_);
        return false;
    }
    qCDebug(logFiles).noquote() << "opened" << path;
    writer_ = new HistoryWriter(path);
    writer_->moveToThread(&thread_);
    connect(writer_, &HistoryWriter::failed, this, [this](const QString& reason) {
        // One warning; chat goes on, and the next lines are tried again.
        if (!std::exchange(writeFailureTold_, true))
            reportFailure(QCoreApplication::translate("kivo", "Some lines could not be stored"),
                          reason);
        Q_EMIT writeFailed(reason);
    });
    thread_.setObjectName(QStringLiteral("history writer"));
    thread_.start();
    return true;
}

bool HistoryStore::reportFailure(const QString& what, const QString& reason) const {
    warn(QCoreApplication::translate("kivo", "%1 in the history: %2").arg(what, reason));
    return false;
}

void HistoryStore::append(const QString& conversation, const QString& title,
                          const TranscriptModel::Line& line) {
    if (!writer_)
        return;
    batch_.append({.conversation = conversation, .title = title, .line = line});
    if (!batchQueued_) {
        batchQueued_ = true;
        QMetaObject::invokeMethod(this, &HistoryStore::sendBatch, Qt::QueuedConnection);
    }
}

void HistoryStore::sendBatch() {
    batchQueued_ = false;
    if (batch_.isEmpty() || !writer_)
        return;
    QMetaObject::invokeMethod(
        writer_, [writer = writer_, lines = std::exchange(batch_, {})] { writer->write(lines); },
        Qt::QueuedConnection);
}

void HistoryStore::flush() {
    sendBatch();
    if (writer_)
        QMetaObject::invokeMethod(
            writer_, [] {}, Qt::BlockingQueuedConnection);
}

QList<HistoryStore::Line> HistoryStore::newest(const QString& conversation, int count) {
    flush(); // the lines of a window closed a moment ago are among them
    QSqlQuery query(QSqlDatabase::database(connectionName_, false));
    query.prepare(QStringLiteral("SELECT %1 FROM lines WHERE conversation = ? ORDER BY id DESC "
                                 "LIMIT ?")
                      .arg(Columns));
    query.addBindValue(conversation);
    query.addBindValue(count);
    QList<Line> lines;
    if (query.exec()) {
        while (query.next())
            lines.prepend(lineFrom(query));
    }
    return lines;
}

QList<HistoryStore::Line> HistoryStore::around(qint64 id, int before, int after) const {
    QSqlQuery query(QSqlDatabase::database(connectionName_, false));
    query.prepare(
        QStringLiteral("SELECT * FROM (SELECT %1 FROM lines WHERE conversation = (SELECT "
                       "conversation FROM lines WHERE id = :id) AND id <= :id ORDER BY id DESC "
                       "LIMIT :before) UNION ALL SELECT * FROM (SELECT %1 FROM lines WHERE "
                       "conversation = (SELECT conversation FROM lines WHERE id = :id) AND id > "
                       ":id ORDER BY id LIMIT :after) ORDER BY id")
            .arg(Columns));
    query.bindValue(QStringLiteral(":id"), id);
    query.bindValue(QStringLiteral(":before"), before + 1);
    query.bindValue(QStringLiteral(":after"), after);
    QList<Line> lines;
    if (query.exec()) {
        while (query.next())
            lines.append(lineFrom(query));
    }
    return lines;
}

QString HistoryStore::matchExpression(const QString& typed) {
    // Each word and each quoted phrase becomes a quoted string (doubled quotes inside), so no
    // text is taken for the index's operators or column names; a trailing * stays a prefix.
    QStringList terms;
    qsizetype at = 0;
    while (at < typed.size()) {
        if (typed.at(at).isSpace()) {
            ++at;
            continue;
        }
        QString term;
        if (typed.at(at) == u'"') {
            const qsizetype end = typed.indexOf(u'"', at + 1);
            term = typed.mid(at + 1, (end < 0 ? typed.size() : end) - at - 1);
            at = end < 0 ? typed.size() : end + 1;
        } else {
            qsizetype end = at;
            while (end < typed.size() && !typed.at(end).isSpace() && typed.at(end) != u'"')
                ++end;
            term = typed.mid(at, end - at);
            at = end;
        }
        const bool prefix = term.endsWith(u'*');
        if (prefix)
            term.chop(1);
        if (term.trimmed().isEmpty())
            continue;
        term.replace(u'"', QStringLiteral("\"\""));
        terms.append(u'"' + term + u'"' + (prefix ? QStringLiteral("*") : QString()));
    }
    return terms.join(u' ');
}

QList<HistoryStore::Hit> HistoryStore::search(const QString& typed, const QString& conversation,
                                              int limit) const {
    const QString match = matchExpression(typed);
    if (match.isEmpty())
        return {};
    QSqlQuery query(QSqlDatabase::database(connectionName_, false));
    query.prepare(
        QStringLiteral("SELECT lines.id, time, conversation, title, form, own, sender, "
                       "highlight(lines_text, 0, char(2), char(3)) FROM lines_text "
                       "JOIN lines ON lines.id = lines_text.rowid WHERE lines_text "
                       "MATCH :match %1 ORDER BY lines_text.rowid DESC LIMIT :limit")
            .arg(conversation.isEmpty() ? QString() : QStringLiteral("AND conversation = :c")));
    query.bindValue(QStringLiteral(":match"), match);
    query.bindValue(QStringLiteral(":limit"), limit);
    if (!conversation.isEmpty())
        query.bindValue(QStringLiteral(":c"), conversation);
    QList<Hit> hits;
    if (!query.exec())
        return hits;
    while (query.next()) {
        Hit hit{.line = lineFrom(query), .matches = {}};
        QString& text = hit.line.line.text;
        QString plain;
        qsizetype start = -1;
        for (const QChar ch : std::as_const(text)) {
            if (ch == MatchStart) {
                start = plain.size();
            } else if (ch == MatchEnd && start >= 0) {
                hit.matches.append({start, plain.size() - start});
                start = -1;
            } else {
                plain += ch;
            }
        }
        text = plain;
        hits.append(hit);
    }
    return hits;
}

bool HistoryStore::change(const QString& statement, const QVariant& value, const QString& failure) {
    flush();
    QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    QSqlQuery query(db);
    bool ok = beginWriting(db) && query.prepare(statement);
    if (ok) {
        query.addBindValue(value);
        ok = query.exec() && db.commit();
    }
    if (ok)
        return true;
    const QString reason = query.lastError().text();
    db.rollback();
    return reportFailure(failure, reason);
}

bool HistoryStore::deleteConversation(const QString& conversation) {
    return change(QStringLiteral("DELETE FROM lines WHERE conversation = ?"), conversation,
                  QCoreApplication::translate("kivo", "The conversation could not be deleted"));
}

bool HistoryStore::deleteAll() {
    flush();
    QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    QSqlQuery query(db);
    // Emptied with the index in one step: deleting a million lines one trigger at a time
    // would take long.
    const bool ok = beginWriting(db) &&
                    query.exec(QStringLiteral("INSERT INTO lines_text(lines_text) VALUES "
                                              "('delete-all')")) &&
                    query.exec(QStringLiteral("DROP TRIGGER lines_removed")) &&
                    query.exec(QStringLiteral("DELETE FROM lines")) &&
                    query.exec(Migrations[0].last()) && db.commit();
    if (!ok) {
        const QString reason = query.lastError().text();
        db.rollback();
        return reportFailure(QCoreApplication::translate("kivo", "The history could not be "
                                                                 "deleted"),
                             reason);
    }
    return true;
}

bool HistoryStore::removeOlderThan(qint64 time) {
    return change(QStringLiteral("DELETE FROM lines WHERE time < ?"), time,
                  QCoreApplication::translate("kivo", "Old lines could not be removed"));
}

} // namespace kivo

#include "HistoryStore.moc"
