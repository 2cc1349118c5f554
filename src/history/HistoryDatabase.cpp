// SPDX-License-Identifier: GPL-3.0-or-later
// The module kivo-history: the history in SQLite, through Qt SQL.
#include "HistoryModule.h"

#include "Log.h"
#include "Text.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QUuid>
#include <QWaitCondition>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

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
    // writer, not by triggers: the text is split first.
    {QStringLiteral("CREATE VIRTUAL TABLE lines_unspaced USING fts5(text, content='', "
                    "tokenize='unicode61')")},
};
const QString RemovedTrigger = Migrations[0].last();

const QString Columns = QStringLiteral("id, time, conversation, title, form, own, sender, text");
constexpr int OpenBusyMs = 2000;   // at start-up: a locked file is said soon
constexpr int WriterBusyMs = 5000; // another Kivo on the same file waits its turn
constexpr int WriteTries = 3;
constexpr int RetryPauseMs = 500;
constexpr int ExitWaitMs = 3000;

// SQLite's result codes for a file that is not a database or is damaged.
const QStringList DamagedCodes{QStringLiteral("26"), QStringLiteral("11")};

bool unspacedScript(char32_t ch) {
    switch (QChar::script(ch)) {
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Thai:
    case QChar::Script_Lao:
    case QChar::Script_Khmer:
    case QChar::Script_Myanmar:
        return true;
    default:
        return false;
    }
}

bool hasUnspaced(const QString& text) {
    bool found = false;
    forEachCharacter(text, [&](char32_t ch) { found = found || unspacedScript(ch); });
    return found;
}

// Each character of such a script stands as a word of its own.
QString splitUnspaced(const QString& text) {
    QString split;
    split.reserve(text.size() * 2);
    forEachCharacter(text, [&](char32_t ch) {
        const bool alone = unspacedScript(ch);
        if (alone)
            split += u' ';
        split += QString::fromUcs4(&ch, 1);
        if (alone)
            split += u' ';
    });
    return split;
}

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

// What a database file is, before anything is written to it.
struct Inspection {
    bool readable = false;
    bool damaged = false; // SQLite says it is not a database, or is corrupt
    bool foreign = false; // tables but not Kivo's version: another program's database
    QString reason;
};

Inspection inspect(QSqlDatabase& db) {
    QSqlQuery query(db);
    Inspection result;
    if (!db.isOpen()) {
        result.reason = errorOf(query, db);
        return result;
    }
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next()) {
        result.reason = errorOf(query, db);
        result.damaged = DamagedCodes.contains(query.lastError().nativeErrorCode());
        return result;
    }
    const int version = query.value(0).toInt();
    if (!query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name NOT LIKE "
                                   "'sqlite_%'")) ||
        !query.next()) {
        result.reason = errorOf(query, db);
        result.damaged = DamagedCodes.contains(query.lastError().nativeErrorCode());
        return result;
    }
    result.readable = true;
    result.foreign = version == 0 && query.value(0).toInt() > 0;
    return result;
}

// Takes the database for writing at once: another writer (another Kivo on the same folder)
// then waits for its turn, where a read that turns into a write would fail instead.
bool beginWriting(QSqlDatabase& db) {
    return QSqlQuery(db).exec(QStringLiteral("BEGIN IMMEDIATE"));
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

// The lines of the unspaced index that a deletion takes with it (`where` selects lines).
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

bool migrate(QSqlDatabase& db, QString* reason) {
    QSqlQuery query(db);
    // Up to date, as nearly always: nothing to take for writing.
    if (query.exec(QStringLiteral("PRAGMA user_version")) && query.next() &&
        query.value(0).toInt() == Migrations.size())
        return true;
    query.finish();
    // Taken for writing before the version is read: another Kivo opening the same new file
    // waits, then finds it up to date.
    bool ok = beginWriting(db) && query.exec(QStringLiteral("PRAGMA user_version")) && query.next();
    const int from = ok ? query.value(0).toInt() : 0;
    for (int version = from; ok && version < Migrations.size(); ++version) {
        for (const QString& statement : Migrations[version])
            ok = ok && query.exec(statement);
        ok = ok && query.exec(QStringLiteral("PRAGMA user_version=%1").arg(version + 1));
    }
    if (ok && from == 1) {
        // Lines stored before the unspaced index existed are added to it.
        QSqlQuery lines(db);
        QSqlQuery insert(db);
        ok = lines.exec(QStringLiteral("SELECT id, text FROM lines")) &&
             prepareUnspaced(insert, false);
        while (ok && lines.next()) {
            const QString text = lines.value(1).toString();
            ok = !hasUnspaced(text) || addUnspaced(insert, lines.value(0).toLongLong(), text);
        }
        if (!ok)
            *reason = errorOf(insert.lastError().isValid() ? insert : lines, db);
    }
    if (!ok && reason->isEmpty())
        *reason = errorOf(query, db);
    query.finish();
    return QSqlQuery(db).exec(ok ? QStringLiteral("COMMIT") : QStringLiteral("ROLLBACK")) && ok;
}

// A null QString is bound as NULL; an empty text is still a text.
QString notNull(const QString& text) {
    return text.isNull() ? QStringLiteral("") : text;
}

Line lineFrom(const QSqlQuery& query) {
    return {.id = query.value(0).toLongLong(),
            .conversation = query.value(2).toString(),
            .title = query.value(3).toString(),
            .line = {.time = query.value(1).toLongLong(),
                     .form = static_cast<ChatLine::Form>(query.value(4).toInt()),
                     .own = query.value(5).toBool(),
                     .history = true,
                     .sender = query.value(6).toString(),
                     .text = query.value(7).toString()}};
}

// The words and phrases of a typed query, each with whether it is a prefix.
QList<std::pair<QString, bool>> termsOf(const QString& typed) {
    QString clean = typed;
    // A control character (a NUL would end the expression) is a space.
    for (QChar& ch : clean) {
        if (ch.category() == QChar::Other_Control)
            ch = u' ';
    }
    QList<std::pair<QString, bool>> terms;
    qsizetype at = 0;
    while (at < clean.size()) {
        if (clean.at(at).isSpace()) {
            ++at;
            continue;
        }
        QString term;
        if (clean.at(at) == u'"') {
            const qsizetype end = clean.indexOf(u'"', at + 1);
            term = clean.mid(at + 1, (end < 0 ? clean.size() : end) - at - 1);
            at = end < 0 ? clean.size() : end + 1;
        } else {
            qsizetype end = at;
            while (end < clean.size() && !clean.at(end).isSpace() && clean.at(end) != u'"')
                ++end;
            term = clean.mid(at, end - at);
            at = end;
        }
        const bool prefix = term.endsWith(u'*');
        if (prefix)
            term.chop(1);
        if (!term.trimmed().isEmpty())
            terms.append({term, prefix});
    }
    return terms;
}

QString expressionOf(const QList<std::pair<QString, bool>>& terms, bool unspaced) {
    // Each word and each quoted phrase becomes a quoted string (doubled quotes inside), so no
    // text is taken for the index's operators or column names; a trailing * stays a prefix.
    QStringList parts;
    for (auto [term, prefix] : terms) {
        if (unspaced)
            term = splitUnspaced(term).simplified();
        term.replace(u'"', QStringLiteral("\"\""));
        parts.append(u'"' + term + u'"' + (prefix ? QStringLiteral("*") : QString()));
    }
    return parts.join(u' ');
}

} // namespace

// Writes what it is given on its own thread, in order: lines in transactions of up to
// MaxBatch, and deletions.
class HistoryWriter : public QThread {
    Q_OBJECT
public:
    enum Command { Lines, DeleteConversation, DeleteAll, RemoveOlderThan };
    struct Job {
        Command command = Lines;
        qint64 sequence = 0;
        Line line{};
        QVariant value{};
        QString failure{};
    };

    explicit HistoryWriter(QString path)
        : path_(std::move(path)) {
        setObjectName(QStringLiteral("history writer"));
    }

    // False when too many lines are waiting already.
    bool add(Job job) {
        QMutexLocker lock(&mutex_);
        if (job.command == Lines && waitingLines_ >= MaxWaiting)
            return false;
        waitingLines_ += job.command == Lines ? 1 : 0;
        jobs_.push_back(std::move(job));
        if (!busy_)
            wake_.wakeOne();
        return true;
    }
    void waitUntilIdle() {
        QMutexLocker lock(&mutex_);
        while (busy_ || !jobs_.empty())
            idle_.wait(&mutex_);
    }
    // Ends after what is queued, or after the transaction under way once the deadline passed.
    void stop(int waitMs) {
        {
            QMutexLocker lock(&mutex_);
            stopping_ = true;
            stopBy_ = QDeadlineTimer(waitMs);
            wake_.wakeOne();
        }
        wait();
    }

    // Held while a batch is committed: a reader that takes it sees a state in which exactly
    // the lines up to `written` are stored.
    QMutex commitLock;
    std::atomic<qint64> written = 0;

Q_SIGNALS:
    void linesWritten(qint64 sequence);
    void linesLost(int lines, const QString& reason);
    void commandDone(bool ok, const QString& failure, const QString& reason);

protected:
    void run() override {
        const QString name =
            QStringLiteral("kivo-history-writer-") + QUuid::createUuid().toString();
        {
            QSqlDatabase db = openDatabase(name, path_, WriterBusyMs);
            QSqlQuery(db).exec(QStringLiteral("PRAGMA secure_delete=ON"));
            while (std::optional<std::vector<Job>> jobs = next()) {
                if (jobs->front().command == Lines)
                    writeLines(db, *jobs);
                else
                    runCommand(db, jobs->front());
            }
        }
        closeDatabase(name);
    }

private:
    std::optional<std::vector<Job>> next() {
        QMutexLocker lock(&mutex_);
        busy_ = false;
        idle_.wakeAll();
        while (jobs_.empty() && !stopping_)
            wake_.wait(&mutex_);
        if (jobs_.empty() || (stopping_ && stopBy_.hasExpired()))
            return std::nullopt;
        busy_ = true;
        std::vector<Job> jobs;
        if (jobs_.front().command != Lines) {
            jobs.push_back(std::move(jobs_.front()));
            jobs_.pop_front();
            return jobs;
        }
        while (!jobs_.empty() && jobs_.front().command == Lines &&
               static_cast<int>(jobs.size()) < MaxBatch) {
            jobs.push_back(std::move(jobs_.front()));
            jobs_.pop_front();
            --waitingLines_;
        }
        return jobs;
    }

    void writeLines(QSqlDatabase& db, const std::vector<Job>& jobs) {
        QString reason;
        for (int attempt = 1; attempt <= WriteTries; ++attempt) {
            if (tryWrite(db, jobs, &reason)) {
                Q_EMIT linesWritten(jobs.back().sequence);
                return;
            }
            qCWarning(logFiles).noquote()
                << "could not store" << jobs.size() << "lines, try" << attempt << ":" << reason;
            if (attempt < WriteTries && !stopping())
                QThread::msleep(RetryPauseMs);
        }
        {
            QMutexLocker lock(&commitLock);
            written = jobs.back().sequence; // lost: no longer waiting either
        }
        Q_EMIT linesLost(static_cast<int>(jobs.size()), reason);
        Q_EMIT linesWritten(jobs.back().sequence);
    }

    bool tryWrite(QSqlDatabase& db, const std::vector<Job>& jobs, QString* reason) {
        QSqlQuery insert(db);
        QSqlQuery unspaced(db);
        bool ok = beginWriting(db) &&
                  insert.prepare(QStringLiteral(
                      "INSERT INTO lines(time, conversation, title, form, own, sender, text) "
                      "VALUES (?, ?, ?, ?, ?, ?, ?)")) &&
                  prepareUnspaced(unspaced, false);
        for (auto job = jobs.begin(); ok && job != jobs.end(); ++job) {
            const Line& line = job->line;
            insert.addBindValue(line.line.time);
            insert.addBindValue(notNull(line.conversation));
            insert.addBindValue(notNull(line.title));
            insert.addBindValue(static_cast<int>(line.line.form));
            insert.addBindValue(line.line.own);
            insert.addBindValue(notNull(line.line.sender));
            insert.addBindValue(notNull(line.line.text));
            ok = insert.exec() &&
                 (!hasUnspaced(line.line.text) ||
                  addUnspaced(unspaced, insert.lastInsertId().toLongLong(), line.line.text));
        }
        if (ok) {
            QMutexLocker lock(&commitLock);
            ok = db.commit();
            if (ok)
                written = jobs.back().sequence;
        }
        if (ok)
            return true;
        *reason = errorOf(unspaced.lastError().isValid() ? unspaced : insert, db);
        db.rollback();
        return false;
    }

    void runCommand(QSqlDatabase& db, const Job& job) {
        QSqlQuery query(db);
        bool ok = beginWriting(db);
        bool removed = true;
        switch (job.command) {
        case DeleteConversation:
        case RemoveOlderThan: {
            const QString where = job.command == DeleteConversation
                                      ? QStringLiteral("conversation = ?")
                                      : QStringLiteral("time < ?");
            ok = ok && forgetUnspaced(db, where, job.value) &&
                 query.prepare(QStringLiteral("DELETE FROM lines WHERE ") + where);
            if (ok) {
                query.addBindValue(job.value);
                ok = query.exec();
                removed = query.numRowsAffected() > 0;
            }
            break;
        }
        case DeleteAll:
            // Emptied with the indexes in one step: deleting a million lines one trigger at a
            // time would take long.
            ok = ok &&
                 query.exec(
                     QStringLiteral("INSERT INTO lines_text(lines_text) VALUES ('delete-all')")) &&
                 query.exec(QStringLiteral(
                     "INSERT INTO lines_unspaced(lines_unspaced) VALUES ('delete-all')")) &&
                 query.exec(QStringLiteral("DROP TRIGGER lines_removed")) &&
                 query.exec(QStringLiteral("DELETE FROM lines")) && query.exec(RemovedTrigger);
            break;
        case Lines:
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
        Q_EMIT commandDone(ok, job.failure, reason);
    }

    bool stopping() {
        QMutexLocker lock(&mutex_);
        return stopping_;
    }

    QString path_;
    QMutex mutex_;
    QWaitCondition wake_;
    QWaitCondition idle_;
    std::deque<Job> jobs_;
    int waitingLines_ = 0;
    bool busy_ = true; // until it first waits
    bool stopping_ = false;
    QDeadlineTimer stopBy_;
};

// An open history: what is appended goes to the writer; what is read comes from this
// thread's own connection, and from the lines still waiting for the writer.
class SqlDatabase : public QObject, public Database {
public:
    SqlDatabase(QString connectionName, const QString& path, Events events)
        : connectionName_(std::move(connectionName))
        , events_(std::move(events))
        , writer_(path) {
        connect(&writer_, &HistoryWriter::linesWritten, this, &SqlDatabase::onWritten);
        connect(&writer_, &HistoryWriter::linesLost, this, &SqlDatabase::onLost);
        connect(&writer_, &HistoryWriter::commandDone, this, &SqlDatabase::onCommandDone);
        writer_.start();
    }

    // Waits a few seconds at most for what is still queued.
    ~SqlDatabase() override {
        writer_.stop(ExitWaitMs);
        closeDatabase(connectionName_);
    }

    void append(const Line& line) override {
        if (!writer_.add({.sequence = sequence_ + 1, .line = line})) {
            ++notQueued_;
            return;
        }
        ++sequence_;
        waiting_.push_back({sequence_, line});
        forgetWritten(writer_.written);
    }

    void flush() override {
        writer_.waitUntilIdle();
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    }

    qsizetype waiting() const override { return static_cast<qsizetype>(waiting_.size()); }

    QList<Line> newest(const QString& conversation, int count) override {
        QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
        qint64 written = 0;
        {
            // The read starts while no batch is being committed, so it holds exactly the lines
            // up to `written`; the rest of this conversation's lines are among those waiting.
            QMutexLocker lock(&writer_.commitLock);
            db.transaction();
            QSqlQuery start(db);
            start.exec(QStringLiteral("SELECT 1 FROM lines LIMIT 1"));
            written = writer_.written.load();
        }
        QList<Line> lines;
        {
            QSqlQuery query(db);
            query.prepare(
                QStringLiteral(
                    "SELECT %1 FROM lines WHERE conversation = ? ORDER BY id DESC LIMIT ?")
                    .arg(Columns));
            query.addBindValue(conversation);
            query.addBindValue(count);
            if (query.exec()) {
                while (query.next())
                    lines.prepend(lineFrom(query));
            }
        }
        db.commit();
        for (const Waiting& waiting : waiting_) {
            if (waiting.sequence > written && waiting.line.conversation == conversation) {
                lines.append(waiting.line);
                lines.last().line.history = true;
            }
        }
        return lines.mid(std::max<qsizetype>(0, lines.size() - count));
    }

    QList<Line> around(qint64 id, int before, int after) const override {
        QSqlQuery query(QSqlDatabase::database(connectionName_, false));
        query.prepare(QStringLiteral(
                          "SELECT * FROM (SELECT %1 FROM lines WHERE conversation = (SELECT "
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

    Found search(const QString& typed, const QString& conversation, int limit) const override {
        const QList<std::pair<QString, bool>> terms = termsOf(typed);
        if (terms.isEmpty())
            return {};
        const bool unspaced = std::any_of(terms.begin(), terms.end(),
                                          [](const auto& term) { return hasUnspaced(term.first); });
        // Matches are marked by strings no stored text holds.
        const QString token = QUuid::createUuid().toString(QUuid::Id128);
        const QString open = QChar(0x2) + token;
        const QString close = QChar(0x3) + token;
        const QString where =
            conversation.isEmpty() ? QString() : QStringLiteral("AND conversation = :c");
        QSqlQuery query(QSqlDatabase::database(connectionName_, false));
        if (unspaced) {
            // The unspaced index has no text of its own: the matches are found below.
            query.prepare(QStringLiteral("SELECT %1 FROM lines WHERE id IN (SELECT rowid FROM "
                                         "lines_unspaced WHERE lines_unspaced MATCH :match) %2 "
                                         "ORDER BY id DESC LIMIT :limit")
                              .arg(Columns, where));
        } else {
            query.prepare(
                QStringLiteral("SELECT lines.id, time, conversation, title, form, own, sender, "
                               "highlight(lines_text, 0, :open, :close) FROM lines_text "
                               "JOIN lines ON lines.id = lines_text.rowid WHERE lines_text "
                               "MATCH :match %1 ORDER BY lines_text.rowid DESC LIMIT :limit")
                    .arg(where));
            query.bindValue(QStringLiteral(":open"), open);
            query.bindValue(QStringLiteral(":close"), close);
        }
        query.bindValue(QStringLiteral(":match"), expressionOf(terms, unspaced));
        query.bindValue(QStringLiteral(":limit"), limit);
        if (!conversation.isEmpty())
            query.bindValue(QStringLiteral(":c"), conversation);
        Found found;
        if (!query.exec()) {
            found.error = errorOf(query, QSqlDatabase::database(connectionName_, false));
            return found;
        }
        while (query.next()) {
            Hit hit{.line = lineFrom(query), .matches = {}};
            QString& text = hit.line.line.text;
            if (unspaced) {
                for (const auto& [term, prefix] : terms) {
                    for (qsizetype at = text.indexOf(term, 0, Qt::CaseInsensitive); at >= 0;
                         at = text.indexOf(term, at + term.size(), Qt::CaseInsensitive))
                        hit.matches.append({at, term.size()});
                }
                std::sort(hit.matches.begin(), hit.matches.end());
            } else {
                QString plain;
                plain.reserve(text.size());
                qsizetype start = -1;
                for (qsizetype at = 0; at < text.size();) {
                    if (QStringView(text).mid(at).startsWith(open)) {
                        start = plain.size();
                        at += open.size();
                    } else if (start >= 0 && QStringView(text).mid(at).startsWith(close)) {
                        hit.matches.append({start, plain.size() - start});
                        start = -1;
                        at += close.size();
                    } else {
                        plain += text.at(at++);
                    }
                }
                text = plain;
            }
            found.hits.append(hit);
        }
        return found;
    }

    void deleteConversation(const QString& conversation) override {
        queueCommand(HistoryWriter::DeleteConversation, conversation,
                     QCoreApplication::translate("kivo", "The conversation could not be deleted"));
    }

    void deleteAll() override {
        queueCommand(HistoryWriter::DeleteAll, {},
                     QCoreApplication::translate("kivo", "The history could not be deleted"));
    }

    void removeOlderThan(qint64 time) override {
        queueCommand(HistoryWriter::RemoveOlderThan, time,
                     QCoreApplication::translate("kivo", "Old lines could not be removed"));
    }

private:
    void forgetWritten(qint64 sequence) {
        while (!waiting_.empty() && waiting_.front().sequence <= sequence)
            waiting_.pop_front();
    }

    void onWritten(qint64 sequence) {
        forgetWritten(sequence);
        if (waiting_.empty() && notQueued_ > 0) {
            // Told once the flood is over, with how much it cost.
            events_.problem(QCoreApplication::translate("kivo",
                                                        "%1 lines came faster than they could be "
                                                        "stored and are not in the history.")
                                .arg(std::exchange(notQueued_, 0)));
        }
    }

    void onLost(int lines, const QString& reason) {
        // One warning; chat goes on, and the next lines are tried again.
        if (!std::exchange(writeFailureTold_, true))
            events_.problem(
                QCoreApplication::translate("kivo", "%1 in the history: %2")
                    .arg(QCoreApplication::translate("kivo", "%1 lines could not be stored")
                             .arg(lines),
                         reason));
        events_.writeFailed(reason);
    }

    void onCommandDone(bool ok, const QString& failure, const QString& reason) {
        if (!ok)
            events_.problem(
                QCoreApplication::translate("kivo", "%1 in the history: %2").arg(failure, reason));
        events_.finished();
    }

    void queueCommand(HistoryWriter::Command command, const QVariant& value,
                      const QString& failure) {
        writer_.add({.command = command, .value = value, .failure = failure});
    }

    const QString connectionName_;
    const Events events_;
    HistoryWriter writer_;
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

// Opens or creates the database. One that SQLite finds damaged is moved aside
// (history.sqlite.damaged- and the date) and a new one started; any other reason not to use it
// (no driver, locked, not Kivo's, a link) touches nothing. The user is told either way.
Database* open(const QString& path, const QDateTime& now, Events events) {
    const QString connectionName = QStringLiteral("kivo-history-") + QUuid::createUuid().toString();
    const auto cannot = [&](const QString& reason) -> Database* {
        events.problem(QCoreApplication::translate("kivo", "The history in %1 cannot be used: %2")
                           .arg(QDir::toNativeSeparators(path), reason));
        closeDatabase(connectionName);
        return nullptr;
    };
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        return cannot(QCoreApplication::translate(
            "kivo", "Qt's SQLite driver is not installed (Debian package libqt6sql6-sqlite)."));
    for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        struct stat status {};
        if (lstat(QFile::encodeName(path + suffix).constData(), &status) == 0 &&
            !S_ISREG(status.st_mode))
            return cannot(QCoreApplication::translate(
                              "kivo", "%1 is not a plain file (a link, say), so Kivo leaves it "
                                      "as it is.")
                              .arg(QDir::toNativeSeparators(path + suffix)));
    }
    const auto create = [&]() -> QString {
        // Private from the first byte, never through a link, never over an existing file.
        const int fd = ::open(QFile::encodeName(path).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST)
            return QString::fromLocal8Bit(std::strerror(errno));
        if (fd >= 0)
            ::close(fd);
        return {};
    };
    if (const QString failure = create(); !failure.isEmpty())
        return cannot(failure);
    QSqlDatabase db = openDatabase(connectionName, path, OpenBusyMs);
    Inspection found = inspect(db);
    if (found.damaged) {
        closeDatabase(connectionName);
        const QString aside = path + QStringLiteral(".damaged-") +
                              now.toLocalTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")}) {
            QFile file(path + suffix);
            if (file.exists() && !file.rename(aside + suffix))
                return cannot(found.reason + QStringLiteral("; ") + file.errorString());
        }
        events.problem(QCoreApplication::translate("kivo",
                                                   "The history in %1 could not be read (%2). It "
                                                   "was moved to %3, and a new history begun.")
                           .arg(QDir::toNativeSeparators(path), found.reason,
                                QDir::toNativeSeparators(aside)));
        if (const QString failure = create(); !failure.isEmpty())
            return cannot(failure);
        db = openDatabase(connectionName, path, OpenBusyMs);
        found = inspect(db);
    }
    if (!found.readable)
        return cannot(found.reason);
    if (found.foreign)
        return cannot(QCoreApplication::translate(
            "kivo", "it is another program's database, so Kivo leaves it as it is."));
    QSqlQuery pragma(db);
    pragma.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    pragma.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    pragma.exec(QStringLiteral("PRAGMA secure_delete=ON"));
    QString reason;
    if (!migrate(db, &reason))
        return cannot(reason);
    qCDebug(logFiles).noquote() << "opened" << path;
    return new SqlDatabase(connectionName, path, std::move(events));
}

} // namespace kivo::history

extern "C" Q_DECL_EXPORT kivo::history::Database*
kivoHistoryOpen(const QString& path, const QDateTime& now, kivo::history::Events events) {
    return kivo::history::open(path, now, std::move(events));
}

#include "HistoryDatabase.moc"
