// SPDX-License-Identifier: GPL-3.0-or-later
// Flood end to end: veltra-devserver sends 100,000 conference lines as fast as it can; the
// real client routes them into an open conference window. Reports the time to the last line
// shown, the peak memory and the longest stall of the event loop.
#include "ChatRegistry.h"
#include "ConnectionController.h"
#include "Form1.h"
#include "FormChat.h"
#include "HistoryStore.h"
#include "Measure.h"
#include "OptionalFeatures.h"
#include "StateFiles.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <vector>

using namespace kivo;

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    constexpr int Lines = 100000;
    QTemporaryDir state;
    StateFolder::setPath(state.path());
    QFile settings(state.filePath(QStringLiteral("settings.dat")));
    settings.open(QIODevice::WriteOnly);
    settings.write("False\r\n");
    settings.close();

    QProcess server;
    server.start(QStringLiteral(VELTRA_DEVSERVER), {QStringLiteral("--port"), QStringLiteral("0")});
    server.waitForReadyRead(5000);
    const QByteArray banner = server.readLine().trimmed();
    const auto port = static_cast<quint16>(banner.mid(banner.lastIndexOf(':') + 1).toUInt());

    Form1 form;
    form.show();
    ConnectionController& connection = form.connection();
    connection.LoginUser = QStringLiteral("ann");
    connection.LoginPass = QStringLiteral("pw");
    connection.connectTo(QStringLiteral("127.0.0.1"), port);
    QElapsedTimer wait;
    wait.start();
    while (connection.LoggedUser.isEmpty() && wait.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    int routed = 0;
    // The event loop's longest gap, seen by a timer that wants to run every 5 ms.
    QElapsedTimer sinceTick;
    qint64 longestStall = 0;
    QTimer monitor;
    monitor.setInterval(5);
    QObject::connect(&monitor, &QTimer::timeout, [&] {
        if (qEnvironmentVariableIsSet("KIVO_BENCH_STALLS") && sinceTick.elapsed() > 12)
            std::printf("stall %lld ms after %d lines\n", sinceTick.elapsed(), routed);
        longestStall = std::max(longestStall, sinceTick.elapsed());
        sinceTick.restart();
    });
    QObject::connect(&connection, &ConnectionController::messageReceived,
                     [&](const QString&) { ++routed; });

    // Three floods, each into a fresh room; the median time and the worst stall count.
    std::vector<double> times;
    int blocks = 0;
    bool complete = true;
    for (int round = 0; round < 3; ++round) {
        FormChat* room = form.chats().openConference(QStringLiteral("bench"));
        room->resize(800, 600);
        QCoreApplication::processEvents();
        // Shown: the last line has been drawn at the bottom of the room's transcript.
        const QString last = QStringLiteral("<flood> line %1").arg(Lines); // a user line
        const auto lastShown = [&] { return room->txtChat->visibleText().endsWith(last); };
        routed = 0;
        QElapsedTimer clock;
        clock.start();
        sinceTick.start();
        monitor.start();
        connection.SendMessageToUser(QString(), QStringLiteral("/dev-flood %1").arg(Lines));
        while (!lastShown() && clock.elapsed() < 120000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        times.push_back(static_cast<double>(clock.elapsed()));
        monitor.stop();
        complete = complete && routed >= Lines && lastShown();
        blocks = static_cast<int>(room->transcript().count());
        room->close();
        QCoreApplication::processEvents();
    }
    std::sort(times.begin(), times.end());
    const double ms = times[1];
    std::printf("Flood end to end: %d conference lines from veltra-devserver, 3 rounds\n", Lines);
    std::printf("  %-34s %9.0f ms (%.0f lines/s; rounds %.0f, %.0f, %.0f ms)%s\n",
                "time to the last line shown", ms, Lines / ms * 1000, times[0], times[1], times[2],
                complete ? "" : "  LINES MISSING");
    std::printf("  %-34s %9ld KiB (the transcript holds %d lines)\n", "peak memory",
                bench::peakKiB(), blocks);
    std::printf("  %-34s %9lld ms\n", "longest event-loop stall", longestStall);

    // A flood into a fresh room: the time until its last line is shown, and the room.
    const auto floodRoom = [&](const QString& name, const QString& command, const QString& last,
                               int timeoutMs) {
        FormChat* room = form.chats().openConference(name);
        room->resize(800, 600);
        QCoreApplication::processEvents();
        longestStall = 0;
        QElapsedTimer clock;
        clock.start();
        sinceTick.start();
        monitor.start();
        connection.SendMessageToUser(QString(), command);
        while (!room->txtChat->visibleText().endsWith(last) && clock.elapsed() < timeoutMs)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        monitor.stop();
        return std::pair(room, static_cast<double>(clock.elapsed()));
    };

    // Long lines: one member sending 64 KiB lines must neither stall Kivo nor grow it without
    // end. 4,000 lines, then 1 GiB of them (16,384), each into a fresh room.
    for (const int lines : {4000, 16384}) {
        constexpr int Length = 64 * 1024 - 16;
        const QString last = QStringLiteral("line %1").arg(lines);
        const auto [room, ms] =
            floodRoom(QStringLiteral("long"),
                      QStringLiteral("/dev-flood %1 %2").arg(lines).arg(Length), last, 300000);
        std::printf("  %d lines of 64 KiB: %.0f ms to the last shown%s, resident %ld KiB "
                    "(the transcript holds %lld lines, %lld KiB), longest stall %lld ms\n",
                    lines, ms, room->txtChat->visibleText().endsWith(last) ? "" : "  NOT SHOWN",
                    bench::residentKiB(), static_cast<long long>(room->transcript().count()),
                    static_cast<long long>(room->transcript().bytes() / 1024), longestStall);
        room->close();
        QCoreApplication::processEvents();
    }

    // Once more with the history on, a million lines: what waits for the writer is bounded in
    // bytes, and a flood of this size is stored whole, in order.
    constexpr int StoredLines = 1'000'000;
    Preferences::Values values = form.features().preferences().values();
    values.history = true;
    form.features().preferences().save(values);
    QElapsedTimer clock;
    clock.start();
    const auto [room, shownMs] =
        floodRoom(QStringLiteral("stored"), QStringLiteral("/dev-flood %1").arg(StoredLines),
                  QStringLiteral("<flood> line %1").arg(StoredLines), 300000);
    const long residentAfterFlood = bench::residentKiB();
    form.features().history()->flush();
    const double storedMs = static_cast<double>(clock.elapsed());
    const QList<HistoryStore::Line> stored =
        form.features().history()->newest(room->conversation(), StoredLines);
    const auto outOfOrder =
        std::is_sorted_until(stored.begin(), stored.end(), [](const auto& a, const auto& b) {
            return a.line.text.mid(5).toInt() < b.line.text.mid(5).toInt();
        });
    const bool inOrder = outOfOrder == stored.end();
    if (!inOrder)
        std::printf("  stored out of order: \"%s\" after \"%s\"\n",
                    qPrintable(outOfOrder->line.text.right(40)),
                    qPrintable(std::prev(outOfOrder)->line.text.right(40)));
    std::printf("  with the history on, %d lines: %.0f lines/s shown, %lld stored after %.0f ms%s; "
                "longest stall %lld ms; resident %ld KiB when the last was shown\n",
                StoredLines, StoredLines / shownMs * 1000, static_cast<long long>(stored.size()),
                storedMs, inOrder ? ", in order" : "  NOT IN ORDER", longestStall,
                residentAfterFlood);
    server.terminate();
    server.waitForFinished(5000);
    return 0;
}
