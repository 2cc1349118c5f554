// SPDX-License-Identifier: GPL-3.0-or-later
#include "LineReceiver.h"

#include "Text.h"

namespace kivo {

QString LineReceiver::normalise(QString line) {
    line.remove(QChar(u'\0'));
    return trimSpaces(line);
}

void LineReceiver::feed(QByteArrayView bytes) {
    const QString text = decoder_.decode(bytes);
    qsizetype start = 0;
    const qsizetype size = text.size();
    const QChar* data = text.constData();
    for (qsizetype i = 0; i < size; ++i) {
        if (data[i] != u'\n' && data[i] != u'\r')
            continue;
        // CR LF, CR and LF all end a line; the empty "line" between CR and LF is dropped later.
        endLine(QStringView(data + start, i - start));
        sawLineEnd_ = true;
        start = i + 1;
    }
    appendToTail(QStringView(data + start, size - start));
}

void LineReceiver::appendToTail(QStringView piece) {
    if (droppingRest_ || piece.isEmpty())
        return;
    const qsizetype room = MaxLineLength - tail_.size();
    if (piece.size() <= room) {
        tail_ += piece;
        return;
    }
    // Cut between characters, never inside a surrogate pair.
    qsizetype kept = room;
    if (kept > 0 && piece.at(kept - 1).isHighSurrogate())
        --kept;
    tail_ += piece.left(kept);
    if (auto message = takeTail())
        messages_.push_back(std::move(*message));
    droppingRest_ = true;
}

void LineReceiver::endLine(QStringView rest) {
    appendToTail(rest);
    if (auto message = takeTail())
        messages_.push_back(std::move(*message));
}

std::optional<QString> LineReceiver::next() {
    if (messages_.empty())
        return std::nullopt;
    QString message = std::move(messages_.front());
    messages_.pop_front();
    return message;
}

std::optional<QString> LineReceiver::takeTail() {
    droppingRest_ = false;
    QString message = normalise(std::exchange(tail_, QString()));
    if (message.isEmpty())
        return std::nullopt;
    return message;
}

void LineReceiver::reset() {
    decoder_.resetState();
    tail_.clear();
    droppingRest_ = false;
    sawLineEnd_ = false;
    messages_.clear();
}

} // namespace kivo
