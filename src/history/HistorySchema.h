// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <functional>

class QSqlQuery;

// The history's database file: what it is before anything is written to it, its schema and
// how an older one is brought up to date, and a damaged one moved aside.
namespace kivo::history {

inline constexpr int SchemaVersion = 2;

// A connection of this name to the file, waiting this long for another writer.
QSqlDatabase openDatabase(const QString& name, const QString& path, int busyMs);
void closeDatabase(const QString& name);
// The reason a statement or the connection failed, in words.
QString errorOf(const QSqlQuery& query, const QSqlDatabase& db);
// SQLite says the file is not a database, or is corrupt.
bool isDamage(const QSqlQuery& query);
// Takes the database for writing at once: another writer (another Kivo on the same folder)
// then waits for its turn, where a read that turns into a write would fail instead.
bool beginWriting(QSqlDatabase& db);

struct Inspection {
    enum Kind {
        Kivos,      // Kivo's, of this version or an older one
        New,        // empty: made just now
        Damaged,    // SQLite cannot read it
        Unreadable, // locked, say
        Foreign,    // another program's database
        Newer,      // Kivo's, from a newer Kivo
    } kind = Unreadable;
    int version = 0;
    QString reason;
};
// Reads only: nothing is written before the file is known to be Kivo's.
Inspection inspect(QSqlDatabase& db);

// Brings a new or older database to this version's schema, all but the lines stored before
// the index of unspaced scripts existed: those are added by fillUnspaced(), on the writer's
// thread, and the version is raised once they all are.
bool prepare(QSqlDatabase& db, QString* reason, bool* damaged);
// Whether the lines of an older database still have to be added to that index.
bool needsFill(QSqlDatabase& db);
enum class Fill { Done, Stopped, Failed, Damaged };
// Adds them in transactions of a few thousand lines, telling how far it is (in percent) and
// asking between them whether to stop; a stopped fill goes on where it was at the next start.
Fill fillUnspaced(QSqlDatabase& db, const std::function<void(int percent)>& progress,
                  const std::function<bool()>& stopping, QString* reason);

// The index of unspaced scripts has no text of its own: a line is added and forgotten by
// telling it the line's text.
bool prepareUnspaced(QSqlQuery& query, bool remove);
bool addUnspaced(QSqlQuery& prepared, qint64 id, const QString& text);
// Forgets the lines a deletion takes with it (`where` selects lines).
bool forgetUnspaced(QSqlDatabase& db, const QString& where, const QVariant& value);

// Creates the file private to its owner, never through a link or over an existing file; an
// existing file is left as it is. The reason it could not be created, or nothing.
QString createPrivate(const QString& path);
// Moves a damaged file and its journal aside (path.damaged- and the date); where it went, or
// nothing and the reason in `error`.
QString moveAside(const QString& path, const QDateTime& now, QString* error);

} // namespace kivo::history
