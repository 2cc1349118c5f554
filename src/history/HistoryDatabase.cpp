// SPDX-License-Identifier: GPL-3.0-or-later
// The module kivo-history: the history in SQLite, through Qt SQL. The window's thread reads
// and searches; a writer thread stores (HistoryWriter), what waits for it waits in a bounded
// queue (HistoryQueue), and the file's schema has a part of its own (HistorySchema).
#include "HistoryModule.h"

#include "HistoryQueue.h"
#include "HistorySchema.h"
#include "HistoryText.h"
#include "HistoryWriter.h"
#include "Log.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <sys/stat.h>

namespace kivo::history {
namespace {

const QString Columns = QStringLiteral("id, time, conversation, title, form, own, sender, text");
constexpr int OpenBusyMs = 2000; // at start-up: a locked file is said soon

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

QString cannotBeUsed(const QString& path, const QString& reason) {
    return QCoreApplication::translate("kivo", "The history in %1 cannot be used: %2")
        .arg(QDir::toNativeSeparators(path), reason);
}

QString movedAside(const QString& path, const QString& reason, const QString& aside) {
    return QCoreApplication::translate("kivo", "The history in %1 could not be read (%2). It "
                                               "was moved to %3, and a new history begun.")
        .arg(QDir::toNativeSeparators(path), reason, QDir::toNativeSeparators(aside));
}

// Opens a connection to a new or Kivo's database, made ready for writing; the reason it is not
// one, in words, otherwise. A file found damaged before (`damage` says how) or now is moved
// aside first.
QString openReady(const QString& connectionName, const QString& path, const QDateTime& now,
                  const QString& damage, const Events& events) {
    for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        struct stat status {};
        if (lstat(QFile::encodeName(path + suffix).constData(), &status) == 0 &&
            !S_ISREG(status.st_mode))
            return QCoreApplication::translate(
                       "kivo", "%1 is not a plain file (a link, say), so Kivo leaves it as it is.")
                .arg(QDir::toNativeSeparators(path + suffix));
    }
    Inspection found{.kind = Inspection::Damaged, .version = 0, .reason = damage};
    bool damaged = !damage.isEmpty();
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (damaged) {
            closeDatabase(connectionName);
            QString error;
            const QString aside = moveAside(path, now, &error);
            if (aside.isEmpty())
                return found.reason + QStringLiteral("; ") + error;
            events.problem(movedAside(path, found.reason, aside));
        }
        if (const QString failure = createPrivate(path); !failure.isEmpty())
            return failure;
        QSqlDatabase db = openDatabase(connectionName, path, OpenBusyMs);
        found = inspect(db);
        switch (found.kind) {
        case Inspection::Kivos:
        case Inspection::New:
            break;
        case Inspection::Foreign:
            return QCoreApplication::translate(
                "kivo", "it is another program's database, so Kivo leaves it as it is.");
        case Inspection::Newer:
            return QCoreApplication::translate(
                "kivo", "a newer Kivo wrote it, and this one leaves it as it is. Use the newer "
                        "Kivo, or move the file away to begin a new history.");
        case Inspection::Damaged:
            damaged = true;
            continue;
        case Inspection::Unreadable:
            return found.reason;
        }
        // Only now that it is known to be Kivo's is anything written to it.
        QSqlQuery pragma(db);
        pragma.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        pragma.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
        pragma.exec(QStringLiteral("PRAGMA secure_delete=ON"));
        if (prepare(db, &found.reason, &damaged))
            return {};
        if (!damaged)
            return found.reason;
    }
    return found.reason;
}

} // namespace

// An open history: what is appended waits for the writer; what is read comes from this
// thread's own connection, and from the lines still waiting.
class SqlDatabase : public QObject, public Database {
public:
    SqlDatabase(QString connectionName, QString path, QDateTime opened, Events events)
        : connectionName_(std::move(connectionName))
        , path_(std::move(path))
        , opened_(std::move(opened))
        , events_(std::move(events)) {
        startWriter();
    }

    ~SqlDatabase() override {
        close();
        closeDatabase(connectionName_);
    }

    qsizetype close() override {
        if (!writer_)
            return queue_.linesAfter(written());
        queue_.stop(ExitWaitMs);
        writer_->wait();
        writer_.reset();
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
        return queue_.linesAfter(written());
    }

    void append(const Line& line) override {
        if (!queue_.add(line))
            events_.linesLost(1, QCoreApplication::translate(
                                     "kivo", "they came faster than they could be stored"));
    }

    void flush() override {
        queue_.waitUntilIdle();
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    }

    qsizetype waiting() const override { return queue_.linesAfter(written()); }

    QList<Line> newest(const QString& conversation, int count) override {
        QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
        qint64 stored = 0;
        {
            // The read starts while no batch is being committed, so it holds exactly the lines
            // up to `stored`; the rest of this conversation's lines are among those waiting.
            QMutexLocker lock(&queue_.commitLock);
            db.transaction();
            QSqlQuery start(db);
            start.exec(QStringLiteral("SELECT 1 FROM lines LIMIT 1"));
            stored = queue_.written;
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
        for (Line waiting : queue_.newest(conversation, count, stored)) {
            waiting.line.history = true;
            lines.append(waiting);
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
        const QList<Term> terms = termsOf(typed);
        if (terms.isEmpty())
            return {};
        const bool unspaced = std::any_of(terms.begin(), terms.end(),
                                          [](const Term& term) { return hasUnspaced(term.text); });
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
                for (const Term& term : terms) {
                    for (qsizetype at = text.indexOf(term.text, 0, Qt::CaseInsensitive); at >= 0;
                         at = text.indexOf(term.text, at + term.text.size(), Qt::CaseInsensitive))
                        hit.matches.append({at, term.text.size()});
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
        queue_.add(Queue::Command::DeleteConversation, conversation,
                   QCoreApplication::translate("kivo", "The conversation could not be deleted"));
    }

    void deleteAll() override {
        queue_.add(Queue::Command::DeleteAll, {},
                   QCoreApplication::translate("kivo", "The history could not be deleted"));
    }

    void removeOlderThan(qint64 time) override {
        queue_.add(Queue::Command::RemoveOlderThan, time,
                   QCoreApplication::translate("kivo", "Old lines could not be removed"));
    }

private:
    qint64 written() const {
        QMutexLocker lock(&queue_.commitLock);
        return queue_.written;
    }

    void startWriter() {
        writer_ = std::make_unique<Writer>(path_, queue_);
        connect(writer_.get(), &Writer::linesLost, this,
                [this](int lines, const QString& reason) { events_.linesLost(lines, reason); });
        connect(writer_.get(), &Writer::filling, this,
                [this](int percent) { events_.updating(percent); });
        connect(writer_.get(), &Writer::commandDone, this,
                [this](bool ok, const QString& failure, const QString& reason) {
                    if (!ok)
                        events_.problem(QCoreApplication::translate("kivo", "%1 in the history: %2")
                                            .arg(failure, reason));
                    events_.finished();
                });
        connect(writer_.get(), &Writer::damaged, this, &SqlDatabase::startAfresh,
                Qt::QueuedConnection);
        writer_->start();
    }

    // The writer found the file damaged while bringing it up to date: it is moved aside and
    // a new history begun, with the lines that still wait.
    void startAfresh(const QString& reason) {
        writer_->wait();
        writer_.reset();
        const QString failure = openReady(connectionName_, path_, opened_, reason, events_);
        if (!failure.isEmpty()) {
            events_.problem(cannotBeUsed(path_, failure));
            return; // what waits is counted as not stored when the history is closed
        }
        qCWarning(logFiles).noquote() << "moved the damaged history aside:" << reason;
        startWriter();
    }

    const QString connectionName_;
    const QString path_;
    const QDateTime opened_;
    const Events events_;
    mutable Queue queue_;
    std::unique_ptr<Writer> writer_;
};

// Opens or creates the database. One that SQLite finds damaged is moved aside
// (history.sqlite.damaged- and the date) and a new one started; any other reason not to use it
// (no driver, locked, not Kivo's or a newer Kivo's, a link) touches nothing. The user is told
// either way.
Database* open(const QString& path, const QDateTime& now, Events events) {
    const QString connectionName = QStringLiteral("kivo-history-") + QUuid::createUuid().toString();
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
        events.problem(cannotBeUsed(
            path, QCoreApplication::translate("kivo", "Qt's SQLite driver is not installed "
                                                      "(Debian package libqt6sql6-sqlite).")));
        return nullptr;
    }
    if (const QString failure = openReady(connectionName, path, now, {}, events);
        !failure.isEmpty()) {
        events.problem(cannotBeUsed(path, failure));
        closeDatabase(connectionName);
        return nullptr;
    }
    qCDebug(logFiles).noquote() << "opened" << path;
    return new SqlDatabase(connectionName, path, now, std::move(events));
}

} // namespace kivo::history

extern "C" Q_DECL_EXPORT kivo::history::Database*
kivoHistoryOpen(const QString& path, const QDateTime& now, kivo::history::Events events) {
    return kivo::history::open(path, now, std::move(events));
}
