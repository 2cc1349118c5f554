// SPDX-License-Identifier: GPL-3.0-or-later
// The history at a million lines: storing them, searching them (a rare word, a common word,
// a prefix, a phrase), the size of the file, and opening a window that shows 100 of them.
#include "ChatRegistry.h"
#include "ConnectionController.h"
#include "FormChat.h"
#include "HistoryStore.h"
#include "Measure.h"
#include "StateFiles.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

using namespace kivo;

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    constexpr int Lines = 1'000'000;
    QTemporaryDir state;
    StateFolder::setPath(state.path());
    HistoryStore history;
    history.open();

    // A chat-like text: common words often, rare ones seldom; "zebracorn" about 20 times.
    QStringList words;
    for (int i = 0; i < 5000; ++i)
        words.append(QStringLiteral("w%1ord").arg(i));
    words[0] = QStringLiteral("the");
    words[1] = QStringLiteral("meeting");
    words[2] = QStringLiteral("tomorrow");
    QRandomGenerator random(20261207);
    qint64 textBytes = 0;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < Lines; ++i) {
        QStringList line;
        for (int w = 0; w < 9; ++w) {
            const double u = random.generateDouble();
            line.append(words[static_cast<int>(u * u * u * words.size())]); // skewed to few words
        }
        if (i % 50000 == 7)
            line.append(QStringLiteral("zebracorn"));
        const QString text = line.join(u' ');
        textBytes += text.toUtf8().size() + 5;
        history.append(QStringLiteral("room:general"), QStringLiteral("general"),
                       {.time = 1771664400 + i / 10,
                        .form = TranscriptModel::Form::User,
                        .sender = QStringLiteral("user%1").arg(i % 50),
                        .text = text});
        if (i % 20000 == 19999)
            history.flush();
    }
    history.flush();
    const double storeMs = static_cast<double>(clock.elapsed());
    std::printf("History, %d lines of about 60 characters\n", Lines);
    std::printf("  %-34s %9.0f lines/s (%.1f s)\n", "storing (batches of 20,000)",
                Lines / storeMs * 1000, storeMs / 1000);
    const qint64 size = QFileInfo(state.filePath(HistoryStore::FileName)).size() +
                        QFileInfo(state.filePath(HistoryStore::FileName + "-wal")).size();
    std::printf("  %-34s %9.0f B per line (its text and sender: %.0f B)\n", "database size",
                static_cast<double>(size) / Lines, static_cast<double>(textBytes) / Lines);

    for (const char* query : {"zebracorn", "the", "tomor*", "\"meeting tomorrow\""}) {
        int hits = 0;
        const double ms = bench::medianMs(9, [&] {
            hits = static_cast<int>(history.search(QString::fromUtf8(query)).hits.size());
        });
        std::printf("  search %-27s %9.2f ms (%d results shown)\n", query, ms, hits);
    }

    ConnectionController connection;
    ChatRegistry chats(connection);
    chats.setHistory(&history);
    history.append(QStringLiteral("private:alice"), QStringLiteral("alice"),
                   {.time = 1, .form = TranscriptModel::Form::Plain, .text = QStringLiteral("x")});
    for (int i = 0; i < 200; ++i)
        history.append(QStringLiteral("private:alice"), QStringLiteral("alice"),
                       {.time = 2 + i,
                        .form = TranscriptModel::Form::User,
                        .sender = QStringLiteral("alice"),
                        .text = QStringLiteral("an earlier line %1 of our talk").arg(i)});
    history.flush();
    const double openMs = bench::medianMs(9, [&] {
        chats.OpenChatWindow(QStringLiteral("alice"))->close();
        QCoreApplication::processEvents();
    });
    std::printf("  %-34s %9.2f ms\n", "open a window with 100 stored lines", openMs);

    // A private message right after a flood of 300,000 room lines: its window reads the
    // stored lines without waiting for the writer's backlog.
    for (int i = 0; i < 300'000; ++i)
        history.append(QStringLiteral("room:flood"), QStringLiteral("flood"),
                       {.time = 1771664400,
                        .form = TranscriptModel::Form::Plain,
                        .text = QStringLiteral("flood line %1").arg(i)});
    QElapsedTimer behind;
    behind.start();
    chats.OpenChatWindow(QStringLiteral("alice"))->close();
    const double behindMs = static_cast<double>(behind.nsecsElapsed()) / 1e6;
    const qsizetype waiting = history.waiting();
    history.flush();
    std::printf("  %-34s %9.2f ms (%lld lines still waiting for the writer; flushed after "
                "%.0f ms)\n",
                "open a window after a flood", behindMs, static_cast<long long>(waiting),
                static_cast<double>(behind.elapsed()));
    return 0;
}
