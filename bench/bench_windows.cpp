// SPDX-License-Identifier: GPL-3.0-or-later
// How light a chat window is: 300 private windows, each opened by a contact's message and
// shown, and the heap and time they take. With --tabs: 20 conversations as tabs of one window.
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
    const bool tabs = argc > 1 && qstrcmp(argv[1], "--tabs") == 0;
    const int conversations = tabs ? 20 : 300;
    ConnectionController connection;
    ChatRegistry chats(connection);
    chats.setTabs(tabs);
    // The first window pays for what every window shares (fonts, styles): not counted.
    chats.OpenChatWindow(QStringLiteral("warm-up"))
        ->ReceiveMessage(QStringLiteral("warm-up"), QStringLiteral("hi"));
    QCoreApplication::processEvents();
    const long heapBefore = bench::heapKiB();
    const long residentBefore = bench::residentKiB();
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < conversations; ++i) {
        const QString contact = QStringLiteral("contact%1").arg(i);
        chats.OpenChatWindow(contact)->ReceiveMessage(contact, QStringLiteral("hello there"));
        QCoreApplication::processEvents(); // shown and drawn, as the event loop would
    }
    const double ms = static_cast<double>(clock.elapsed());
    std::printf("Chat windows: %d private %s opened by a message each\n", conversations,
                tabs ? "conversations as tabs" : "windows");
    std::printf("  per %s: %ld KiB of heap, %ld KiB resident; all: %.0f ms\n",
                tabs ? "conversation" : "window", (bench::heapKiB() - heapBefore) / conversations,
                (bench::residentKiB() - residentBefore) / conversations, ms);
    return 0;
}
