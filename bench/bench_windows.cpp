// SPDX-License-Identifier: GPL-3.0-or-later
// How light a chat window is: 300 private windows, each opened by a contact's message and
// shown, and the heap and time they take.
#include "ChatRegistry.h"
#include "ConnectionController.h"
#include "FormChat.h"
#include "Measure.h"

#include <QApplication>
#include <QElapsedTimer>

using namespace kivo;

int main(int argc, char* argv[]) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    constexpr int Windows = 300;
    ConnectionController connection;
    ChatRegistry chats(connection);
    // The first window pays for what every window shares (fonts, styles): not counted.
    chats.OpenChatWindow(QStringLiteral("warm-up"))
        ->ReceiveMessage(QStringLiteral("warm-up"), QStringLiteral("hi"));
    QCoreApplication::processEvents();
    const long heapBefore = bench::heapKiB();
    const long residentBefore = bench::residentKiB();
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < Windows; ++i) {
        const QString contact = QStringLiteral("contact%1").arg(i);
        chats.OpenChatWindow(contact)->ReceiveMessage(contact, QStringLiteral("hello there"));
        QCoreApplication::processEvents(); // shown and drawn, as the event loop would
    }
    const double ms = static_cast<double>(clock.elapsed());
    std::printf("Chat windows: %d private windows opened by a message each\n", Windows);
    std::printf("  per window: %ld KiB of heap, %ld KiB resident; all: %.0f ms\n",
                (bench::heapKiB() - heapBefore) / Windows,
                (bench::residentKiB() - residentBefore) / Windows, ms);
    return 0;
}
