// SPDX-License-Identifier: GPL-3.0-or-later
// Receive path: raw bytes through framing, decoding, normalisation and the router into a
// conference window's transcript model, against the floor of decoding and splitting the
// same bytes.
#include "ChatRegistry.h"
#include "ConnectionController.h"
#include "FormChat.h"
#include "LineReceiver.h"
#include "Measure.h"
#include "Router.h"

#include <QApplication>
#include <QStringDecoder>

using namespace kivo;

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    constexpr int Lines = 100000;
    QByteArray bytes;
    for (int i = 0; i < Lines; ++i)
        bytes += "user" + QByteArray::number(i % 50) + ": message number " + QByteArray::number(i) +
                 " with a little text\r\n";

    const double floorMs = bench::medianMs(5, [&] {
        QStringDecoder decoder(QStringDecoder::Utf8);
        const QString text = decoder.decode(bytes);
        volatile qsizetype count = text.split(u'\n').size();
        (void)count;
    });

    ConnectionController connection;
    ChatRegistry chats(connection);
    const double routeMs = bench::medianMs(5, [&] {
        FormChat* room = chats.openConference(QStringLiteral("bench"));
        LineReceiver receiver;
        for (qsizetype at = 0; at < bytes.size(); at += 64 * 1024) {
            receiver.feed(
                QByteArrayView(bytes).sliced(at, qMin<qsizetype>(64 * 1024, bytes.size() - at)));
            while (std::optional<QString> message = receiver.next()) {
                if (decideRoute(*message).action == RouteDecision::Action::ConferenceLine)
                    room->transcript().appendConferenceLine(*message, QStringLiteral("user1"));
            }
        }
        room->close();
        QCoreApplication::processEvents();
    });

    std::printf("Receive path, %d lines, %lld bytes\n", Lines,
                static_cast<long long>(bytes.size()));
    bench::report("framing + routing + transcript", routeMs, floorMs);
    std::printf("  %-34s %9.0f lines/s (floor %.0f lines/s)\n", "rate", Lines / routeMs * 1000,
                Lines / floorMs * 1000);
    return 0;
}
