// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes in arbitrary chunks through framing, normalisation and the routing
// decisions. The first byte chooses the chunk sizes.
#include "LineReceiver.h"
#include "Protocol.h"
#include "Router.h"

#include <cstdint>
#include <cstdlib>

using namespace kivo;

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

void route(const QString& message) {
    // Every message is one trimmed, non-empty line without NULs, never longer than the limit.
    check(!message.isEmpty() && message.size() <= LineReceiver::MaxLineLength);
    check(!message.contains(u'\r') && !message.contains(u'\n') && !message.contains(QChar(0)));
    check(!message.startsWith(u' ') && !message.endsWith(u' '));
    recogniseReply(message, true);
    const RouteDecision decision = decideRoute(message);
    if (decision.action == RouteDecision::Action::ConferenceLine)
        classifyConferenceLine(decision.text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const size_t chunk = data[0] % 97 + 1;
    LineReceiver receiver;
    for (size_t at = 1; at < size; at += chunk) {
        const size_t length = std::min(chunk, size - at);
        receiver.feed(QByteArrayView(reinterpret_cast<const char*>(data + at),
                                     static_cast<qsizetype>(length)));
        while (std::optional<QString> message = receiver.next())
            route(*message);
    }
    if (std::optional<QString> tail = receiver.takeTail())
        route(*tail);
    return 0;
}
