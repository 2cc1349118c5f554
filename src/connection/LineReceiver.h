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
    // A line longer than this is cut here; the rest of it, up to its line end, is dropped.
    static constexpr qsizetype MaxLineLength = 64 * 1024;

    void feed(QByteArrayView bytes);
    // The next complete message, oldest first.
    std::optional<QString> next();
    // Text after the last line end, still waiting for the rest of its line.
    bool hasTail() const { return !tail_.isEmpty(); }
    // Gives up waiting: the tail becomes a message as it is (nothing when blank).
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
    std::deque<QString> messages_;
};

} // namespace kivo
