// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringDecoder>
#include <deque>
#include <optional>

namespace kivo {

// Turns the byte stream of one connection into server messages: one per line, whatever the
// line end (CR LF, CR or LF) and however the bytes were cut into reads. Each message is
// normalised: NULs removed, surrounding spaces trimmed, empty ones dropped.
class LineReceiver {
public:
    // A line longer than this is cut here; the rest of it, up to its line end or a pause,
    // is dropped.
    static constexpr qsizetype MaxLineLength = 64 * 1024;
    // How long an unterminated tail waits for the rest of its line before it is taken as it
    // is: briefly for a server that never ends its lines, longer once this connection has
    // ended one (a slow network then delivers the rest), briefly again past the length limit.
    static constexpr int ShortTailWait = 100;
    static constexpr int LongTailWait = 2000;

    void feed(QByteArrayView bytes);
    // The next complete message, oldest first.
    std::optional<QString> next();
    // In the middle of a line: text after the last line end waits for the rest of it, or
    // the rest of an overlong line is being dropped.
    bool midLine() const { return !tail_.isEmpty() || droppingRest_; }
    int tailWait() const { return sawLineEnd_ && !droppingRest_ ? LongTailWait : ShortTailWait; }
    // Gives up waiting: the tail becomes a message as it is (nothing when blank), and the
    // next bytes start a new line.
    std::optional<QString> takeTail();
    qsizetype pendingMessages() const { return static_cast<qsizetype>(messages_.size()); }
    // A new connection: forget everything, including a character cut in half.
    void reset();

    static QString normalise(QString line);

private:
    void endLine(QStringView rest);
    void appendToTail(QStringView piece);

    QStringDecoder decoder_{QStringDecoder::Utf8};
    QString tail_;
    bool droppingRest_ = false;
    bool sawLineEnd_ = false;
    std::deque<QString> messages_;
};

} // namespace kivo
