// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ChatLine.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <deque>
#include <vector>

namespace kivo {

// The lines of a chat window's transcript, kept compactly: for each line its time, its form
// and its text (UTF-8), in chunks of lines so that appending costs the same at any length
// and dropping the oldest lines frees a whole chunk at once. Both the number of lines and
// the bytes of text held are bounded: one member sending long lines cannot make a window
// grow without end. Nothing here is laid out or drawn; the view does that for the lines on
// screen.
class TranscriptModel : public QObject {
    Q_OBJECT
public:
    static constexpr qsizetype DefaultCapacity = 1'000'000;
    static constexpr qsizetype ChunkLines = 4096;
    // Text held, at most; a chunk holds at most a sixteenth of it, so that dropping one
    // frees a little of the budget, not all of it.
    static constexpr qsizetype ByteBudget = 64 * 1024 * 1024;
    static constexpr qsizetype ChunkBytes = ByteBudget / 16;

    using Form = ChatLine::Form;
    using Line = ChatLine;

    explicit TranscriptModel(QObject* parent = nullptr);

    // Beyond this many lines the oldest are dropped, a chunk at a time.
    void setCapacity(qsizetype lines) { capacity_ = lines; }
    qsizetype capacity() const { return capacity_; }

    void append(const Line& line);
    // The described forms, stamped with the clock's time.
    void appendSystemLine(const QString& text);
    // A system line of Kivo's own about its state.
    void appendStatusLine(const QString& text);
    // Blue when the sender is exactly the logged-in user, red otherwise.
    void appendUserLine(const QString& sender, const QString& text, const QString& loggedUser);
    void appendPlainLine(const QString& text);
    // A server line in the conference room, in the form its shape calls for.
    void appendConferenceLine(const QString& message, const QString& loggedUser);
    // Stored lines shown before the new ones, in the history style, and the separator that
    // ends them.
    void appendHistory(const QList<Line>& lines);

    // Drops every line (as the oldest are dropped).
    void clear();

    qsizetype count() const { return count_; }
    // Lines dropped so far: line i here is line dropped() + i of everything appended.
    qint64 dropped() const { return dropped_; }
    // The UTF-8 bytes of text held.
    qsizetype bytes() const { return bytes_; }
    Line line(qsizetype index) const;

Q_SIGNALS:
    void appended();
    void droppedOldest(qsizetype lines);

private:
    struct Entry {
        quint32 textOffset;  // into the chunk's text
        quint32 senderBytes; // the sender's UTF-8 comes first, then the text's
        qint32 timeFromBase; // seconds after the chunk's base time; a line too far from it
                             // starts a chunk of its own
        quint8 flags;        // form and the own, history and status bits
    };
    struct Chunk {
        qint64 firstLine = 0; // counted from the first line ever appended
        qint64 baseTime = 0;
        std::vector<Entry> entries;
        QByteArray text;
    };

    const Chunk& chunkOf(qsizetype index) const;
    bool takes(const Chunk& chunk, qint64 time, qsizetype bytes) const;
    void dropOldest();

    std::deque<Chunk> chunks_;
    qsizetype count_ = 0;
    qint64 dropped_ = 0;
    qsizetype bytes_ = 0;
    qsizetype capacity_ = DefaultCapacity;
};

} // namespace kivo
