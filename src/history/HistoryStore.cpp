// SPDX-License-Identifier: GPL-3.0-or-later
#include "HistoryStore.h"

#include "Clock.h"
#include "Modules.h"
#include "StateFiles.h"

#include <QCoreApplication>
#include <QDir>

namespace kivo {

HistoryStore::HistoryStore(QObject* parent)
    : QObject(parent) {
}

HistoryStore::~HistoryStore() = default;

QString HistoryStore::privateConversation(const QString& contact) {
    return QStringLiteral("private:") + contact.toCaseFolded();
}

QString HistoryStore::roomConversation(const QString& address) {
    return QStringLiteral("room:") + address;
}

bool HistoryStore::open() {
    const QString path = StateFolder::filePath(FileName);
    QString error;
    const auto openDatabase = reinterpret_cast<history::Open>(
        moduleFunction(QStringLiteral("kivo-history"), history::OpenFunction, error));
    if (!openDatabase) {
        Q_EMIT problem(QCoreApplication::translate("kivo", "The history in %1 cannot be used: %2")
                           .arg(QDir::toNativeSeparators(path), error));
        return false;
    }
    database_.reset(openDatabase(
        path, Clock::current().now(),
        {.problem = [this](const QString& text) { Q_EMIT problem(text); },
         .linesLost = [this](int lines, const QString& reason) { Q_EMIT linesLost(lines, reason); },
         .updating = [this](int percent) { Q_EMIT updating(percent); },
         .finished = [this] { Q_EMIT finished(); }}));
    return database_ != nullptr;
}

void HistoryStore::append(const QString& conversation, const QString& title, const ChatLine& line) {
    if (database_)
        database_->append({.conversation = conversation, .title = title, .line = line});
}

void HistoryStore::flush() {
    if (database_)
        database_->flush();
}

qsizetype HistoryStore::waiting() const {
    return database_ ? database_->waiting() : 0;
}

QList<HistoryStore::Line> HistoryStore::newest(const QString& conversation, int count) {
    return database_ ? database_->newest(conversation, count) : QList<Line>();
}

QList<HistoryStore::Line> HistoryStore::around(qint64 id, int before, int after) const {
    return database_ ? database_->around(id, before, after) : QList<Line>();
}

HistoryStore::Found HistoryStore::search(const QString& typed, const QString& conversation,
                                         int limit) const {
    return database_ ? database_->search(typed, conversation, limit) : Found();
}

void HistoryStore::deleteConversation(const QString& conversation) {
    if (database_)
        database_->deleteConversation(conversation);
}

void HistoryStore::deleteAll() {
    if (database_)
        database_->deleteAll();
}

void HistoryStore::removeOlderThan(qint64 time) {
    if (database_)
        database_->removeOlderThan(time);
}

qsizetype HistoryStore::close() {
    const qsizetype lost = database_ ? database_->close() : 0;
    database_.reset();
    return lost;
}

} // namespace kivo
