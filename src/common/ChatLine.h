// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QString>

namespace kivo {

// One line of a conversation as Kivo keeps it: shown in a chat window's transcript, stored in
// the history. Data only; how a line is shown is the transcript format's business.
struct ChatLine {
    // A system line (bold), a user line ("<sender> " then the text), a plain line, and the
    // separator between stored history and the new lines.
    enum class Form : quint8 { System, User, Plain, Separator };

    qint64 time = 0; // seconds since the epoch, UTC
    Form form = Form::Plain;
    bool own = false;     // a user line of the logged-in user
    bool history = false; // shown from the stored history, not received now
    // Kivo's own word on its state (the connection lost, back again): neither news nor a part
    // of the conversation's history.
    bool status = false;
    QString sender{};
    QString text{};
};

// Lines packed end to end in a chunk's UTF-8 text, each entry saying where its own begins
// (its sender's bytes, then its text's): the bytes of entry `at`.
template <typename Chunk> QByteArrayView packedBytes(const Chunk& chunk, size_t at) {
    const qsizetype start = chunk.entries[at].textOffset;
    const qsizetype end = at + 1 < chunk.entries.size()
                              ? static_cast<qsizetype>(chunk.entries[at + 1].textOffset)
                              : chunk.text.size();
    return QByteArrayView(chunk.text).sliced(start, end - start);
}

} // namespace kivo
