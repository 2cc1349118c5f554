// SPDX-License-Identifier: GPL-3.0-or-later
// A stored line and a typed search, both arbitrary: the search never fails on what is typed,
// gives the stored text back unchanged, and marks matches inside it.
#include "HistoryStore.h"
#include "StateFiles.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

using namespace kivo;

namespace {

void check(bool holds) {
    if (!holds)
        std::abort();
}

HistoryStore* store = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    static QTemporaryDir folder;
    StateFolder::setPath(folder.path());
    store = new HistoryStore;
    if (!store->open())
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The input is the line, then a NUL byte, then the query.
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const qsizetype split = bytes.indexOf('\0');
    const QString text = QString::fromUtf8(split < 0 ? bytes : bytes.left(split));
    const QString typed = split < 0 ? text : QString::fromUtf8(bytes.mid(split + 1));
    store->deleteAll();
    store->append(QStringLiteral("private:fuzz"), QStringLiteral("fuzz"),
                  {.time = 1, .form = ChatLine::Form::Plain, .text = text});
    store->flush();
    const HistoryStore::Found found = store->search(typed);
    check(found.error.isEmpty());
    check(found.hits.size() <= 1);
    for (const HistoryStore::Hit& hit : found.hits) {
        check(hit.line.line.text == text);
        for (const auto& [start, length] : hit.matches)
            check(start >= 0 && length >= 0 && start + length <= text.size());
    }
    return 0;
}
