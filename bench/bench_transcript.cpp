// SPDX-License-Identifier: GPL-3.0-or-later
// The transcript at a million lines: the cost of one more line at 10 and at 1,000,000 lines,
// the memory a kept line takes, the process at a million lines, and drawing any point of them.
#include "ChatRegistry.h"
#include "ConnectionController.h"
#include "FormChat.h"
#include "Measure.h"

#include <QApplication>
#include <QRandomGenerator>
#include <QScrollBar>

using namespace kivo;

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ConnectionController connection;
    connection.LoggedUser = QStringLiteral("ann");
    ChatRegistry chats(connection);
    FormChat* chat = chats.OpenChatWindow(QStringLiteral("bob"));
    chat->resize(800, 600);
    QCoreApplication::processEvents();

    // About 60 characters a line, as in a busy room.
    const auto text = [](qint64 i) {
        return QStringLiteral("line %1 of a long conversation, with a few words").arg(i);
    };
    qint64 written = 0;
    const auto appendUntil = [&](qint64 lines) {
        for (; written < lines; ++written)
            chat->ReceiveMessage(QStringLiteral("bob"), text(written));
    };
    std::printf("Transcript (one line = time stamp, sender and about 60 characters)\n");
    const long heapBefore = bench::heapKiB();
    const auto oneMore = [&](qint64 at) {
        appendUntil(at);
        QCoreApplication::processEvents();
        // Five batches of 1,000 lines, each shown: 1,000 lines in ms is one line in us.
        const double ms = bench::medianMs(5, [&] {
            appendUntil(written + 1000);
            QCoreApplication::processEvents();
        });
        std::printf("  one more line at %8lld lines: %8.2f us\n", static_cast<long long>(at), ms);
    };
    oneMore(10);
    oneMore(1'000'000);
    const qsizetype kept = chat->transcript().count();
    std::printf("  memory per kept line: %.0f B of heap (%lld lines kept)\n",
                static_cast<double>(bench::heapKiB() - heapBefore) * 1024 /
                    static_cast<double>(kept),
                static_cast<long long>(kept));
    std::printf("  process at a million lines: %ld KiB resident\n", bench::residentKiB());

    // Anywhere in the million lines: the view is moved there and drawn at once.
    QScrollBar* bar = chat->txtChat->verticalScrollBar();
    QRandomGenerator random(20261207);
    const double drawMs = bench::medianMs(21, [&] {
        bar->setValue(static_cast<int>(random.bounded(bar->maximum() + 1)));
        chat->txtChat->viewport()->repaint();
    });
    std::printf("  scroll to any point and draw: %.2f ms (median of 21)\n", drawMs);
    return 0;
}
