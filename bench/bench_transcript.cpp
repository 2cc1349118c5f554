// SPDX-License-Identifier: GPL-3.0-or-later
// Transcript growth: the cost of one more line at 100, 10,000 and 100,000 lines, and the
// memory that 10,000 lines take.
#include "ChatRegistry.h"
#include "ConnectionController.h"
#include "FormChat.h"
#include "Measure.h"

#include <QApplication>
#include <QPlainTextEdit>

using namespace kivo;

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ConnectionController connection;
    connection.LoggedUser = QStringLiteral("ann");
    ChatRegistry chats(connection);
    FormChat* chat = chats.OpenChatWindow(QStringLiteral("bob"));
    QCoreApplication::processEvents();

    int written = 0; // lines sent so far; the window keeps the newest Scrollback of them
    const auto appendUntil = [&](int lines) {
        for (; written < lines; ++written)
            chat->ReceiveMessage(QStringLiteral("bob"),
                                 QStringLiteral("line %1 of a long conversation").arg(written));
    };
    std::printf("Transcript growth (one line = time stamp, sender and text)\n");
    for (const int at : {100, 10000, 100000}) {
        appendUntil(at);
        chat->transcript().flush();
        QCoreApplication::processEvents();
        // Five batches of 1,000 lines: 1,000 lines in milliseconds is one line in microseconds.
        const double ms = bench::medianMs(5, [&] {
            appendUntil(written + 1000);
            chat->transcript().flush();
        });
        QCoreApplication::processEvents();
        std::printf("  at %6d lines: %8.2f us per appended line\n", at, ms);
    }
    // Memory: a fresh window, 10,000 lines, heap in use before and after.
    FormChat* fresh = chats.OpenChatWindow(QStringLiteral("carl"));
    QCoreApplication::processEvents();
    const long before = bench::heapKiB();
    for (int i = 0; i < 10000; ++i)
        fresh->ReceiveMessage(QStringLiteral("carl"),
                              QStringLiteral("line %1 of a long conversation").arg(i));
    fresh->transcript().flush();
    QCoreApplication::processEvents();
    std::printf("  memory per 10,000 lines: %ld KiB of heap\n", bench::heapKiB() - before);
    return 0;
}
