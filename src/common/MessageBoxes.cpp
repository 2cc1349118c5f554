// SPDX-License-Identifier: GPL-3.0-or-later
#include "MessageBoxes.h"

#include <cstdio>

namespace kivo {
namespace {

// Used by programs without a desktop (server, benchmarks, fuzzers): says it on stderr and
// answers No, the choice that changes nothing.
class ConsoleBoxes final : public MessageBoxes {
public:
    void warning(const QString& text, const QString& title) override {
        std::fprintf(stderr, "%s: %s\n", qUtf8Printable(title), qUtf8Printable(text));
    }
    bool question(const QString& text, const QString& title) override {
        warning(text, title);
        return false;
    }
};

ConsoleBoxes consoleBoxes;
MessageBoxes* installed = nullptr;

} // namespace

MessageBoxes& MessageBoxes::current() {
    return installed ? *installed : consoleBoxes;
}

void MessageBoxes::install(MessageBoxes* boxes) {
    installed = boxes;
}

void warn(const QString& text, const QString& title) {
    MessageBoxes::current().warning(text, title);
}

bool ask(const QString& text, const QString& title) {
    return MessageBoxes::current().question(text, title);
}

bool askRisky(const QString& text, const QString& title) {
    return MessageBoxes::current().riskyQuestion(text, title);
}

} // namespace kivo
