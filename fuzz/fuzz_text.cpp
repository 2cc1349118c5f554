// SPDX-License-Identifier: GPL-3.0-or-later
// Text from outside as the screen shows it, and the transcript model under random appends
// and drops. The first byte picks what the rest is fed to.
#include "Text.h"
#include "TranscriptModel.h"

#include <QCoreApplication>
#include <cstdint>
#include <cstdlib>

using namespace kivo;

namespace {

void check(bool holds) {
    if (!holds)
        std::abort();
}

QString textOf(const uint8_t* data, size_t size) {
    return QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// One line however it reads; every character of the text kept in its place (a line break as
// a space), and no more isolates closed than opened.
void shownInOneLine(const QString& text) {
    QList<qsizetype> positions;
    const QString shown = shownInLine(text, &positions);
    check(shown == shownInLine(text));
    check(positions.size() == text.size() + 1);
    check(isSingleLine(shown) || std::any_of(shown.begin(), shown.end(), [](QChar ch) {
              return ch.category() == QChar::Other_Control && !isLineBreak(ch);
          }));
    for (qsizetype i = 0; i < text.size(); ++i) {
        check(positions[i] >= 0 && positions[i] <= positions[i + 1]);
        check(positions[i] <= shown.size());
        if (positions[i] < positions[i + 1])
            check(shown.at(positions[i]) == text.at(i) || shown.at(positions[i]) == u' ');
    }
    int open = 0;
    for (const QChar ch : shown) {
        if (ch.unicode() >= 0x2066 && ch.unicode() <= 0x2068)
            ++open;
        else if (ch.unicode() == 0x2069)
            check(--open >= 0);
    }
}

// Appends and drops with sizes and times from the input; the model always gives back what
// was appended last, and its counts agree.
void transcript(const uint8_t* data, size_t size) {
    TranscriptModel model;
    model.setCapacity(1 + (size > 0 ? data[0] % 64 : 0));
    qint64 appended = 0;
    size_t at = 1;
    while (at + 10 <= size) {
        qint64 time = 0;
        for (int i = 0; i < 8; ++i)
            time = (time << 8) | data[at + static_cast<size_t>(i)];
        const int length = data[at + 8] * 97;
        const auto form = static_cast<TranscriptModel::Form>(data[at + 9] % 4);
        at += 10;
        if (data[at - 1] == 0xFF) {
            model.clear();
            check(model.count() == 0 && model.bytes() == 0);
            continue;
        }
        const QString text(length, QChar(u'a' + static_cast<char16_t>(appended % 26)));
        model.append({.time = time, .form = form, .sender = QStringLiteral("s"), .text = text});
        ++appended;
        check(model.count() >= 1 &&
              model.count() <= model.capacity() + TranscriptModel::ChunkLines);
        const TranscriptModel::Line last = model.line(model.count() - 1);
        check(last.time == time && last.text == text && last.form == form);
        check(model.line(0).sender == QStringLiteral("s"));
        check(model.bytes() >= 0 && model.bytes() <= TranscriptModel::ByteBudget + 64 * 97 * 256);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const QString text = textOf(data + 1, size - 1);
    if (data[0] % 2 == 0)
        shownInOneLine(text);
    else
        transcript(data + 1, size - 1);
    return 0;
}
