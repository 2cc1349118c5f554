// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HistoryQueue.h"

#include <QSqlDatabase>
#include <QThread>

namespace kivo::history {

// Writes what waits in the queue on its own thread, in order: lines in transactions of up to
// MaxBatch, and deletions. An older database's lines are added to the index of unspaced
// scripts first. It ends when the queue is stopped, or when it finds the file damaged.
class Writer : public QThread {
    Q_OBJECT
public:
    Writer(QString path, Queue& queue);

Q_SIGNALS:
    void linesLost(int lines, const QString& reason);
    void commandDone(bool ok, const QString& failure, const QString& reason);
    // How far the older lines are in the new index, in percent; 100 when they all are.
    void filling(int percent);
    // Nothing more is written: SQLite finds the file damaged.
    void damaged(const QString& reason);

protected:
    void run() override;

private:
    void writeLines(QSqlDatabase& db, const Queue::Work& work);
    bool tryWrite(QSqlDatabase& db, const Queue::Work& work, QString* reason);
    void runCommand(QSqlDatabase& db, const Queue::Work& work);

    const QString path_;
    Queue& queue_;
};

} // namespace kivo::history
