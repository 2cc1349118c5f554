// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTimer>

class QPlainTextEdit;

namespace kivo {

// Writes the transcript line styles into a chat window's text view, always at the end and
// always as plain text runs: nothing from the network or the user is taken for markup.
//
// Lines are collected and written in one edit per frame, so a flood of lines costs one
// layout and one scroll per frame instead of one per line; a line costs the same however
// long the transcript already is. Only the newest Scrollback lines are kept.
class Transcript {
public:
    static inline const QColor TimeStampGrey{150, 150, 150};
    static inline const QColor Black{0, 0, 0};
    static inline const QColor OwnBlue{0, 0, 255};
    static inline const QColor OtherRed{255, 0, 0};
    static constexpr int Scrollback = 20000;
    static constexpr int FlushInterval = 16; // ms, about one frame
    static constexpr int MaxBatch = 1000;    // lines

    explicit Transcript(QPlainTextEdit* view);

    // Bold black, without a sender.
    void appendSystemLine(const QString& text);
    // "<sender> " in blue when it is exactly the logged-in user, red otherwise; then the text.
    void appendUserLine(const QString& sender, const QString& text, const QString& loggedUser);
    // Black, not bold.
    void appendPlainLine(const QString& text);
    // A server line in the conference room, in the form its shape calls for.
    void appendConferenceLine(const QString& message, const QString& loggedUser);

    // Writes what is waiting now rather than at the next frame.
    void flush();
    void ScrollToEnd();

private:
    enum class Style { TimeStamp, Bold, Plain, Own, Other, LineEnd };
    struct Run {
        Style style;
        QString text;
    };

    void appendTimeStamp();
    void appendRun(Style style, const QString& text);
    void endLine();
    void dropOldestLines();
    QTextCharFormat format(Style style) const;

    QPlainTextEdit* view_;
    QTextCursor end_;
    QList<Run> pending_;
    int pendingLines_ = 0;
    QTimer flushTimer_;
    QElapsedTimer sinceFlush_;
    qint64 stampSecond_ = -1;
    QString stamp_;
};

} // namespace kivo
