#pragma once

#include <QColor>
#include <QString>
#include <QTextCursor>

class QPlainTextEdit;

namespace kivo {

// Writes the transcript line styles into a chat window's text view, always at the end and
// always as plain text runs: nothing from the network or the user is taken for markup.
// A line costs the same however long the transcript already is.
class Transcript {
public:
    static inline const QColor TimeStampGrey{150, 150, 150};
    static inline const QColor Black{0, 0, 0};
    static inline const QColor OwnBlue{0, 0, 255};
    static inline const QColor OtherRed{255, 0, 0};

    explicit Transcript(QPlainTextEdit* view);

    // Bold black, without a sender.
    void appendSystemLine(const QString& text);
    // "<sender> " in blue when it is exactly the logged-in user, red otherwise; then the text.
    void appendUserLine(const QString& sender, const QString& text, const QString& loggedUser);
    // Black, not bold.
    void appendPlainLine(const QString& text);
    // A server line in the conference room, in the form its shape calls for.
    void appendConferenceLine(const QString& message, const QString& loggedUser);

    void ScrollToEnd();

private:
    void appendTimeStamp();
    void appendRun(const QString& text, const QColor& colour, bool bold);
    void endLine();

    QPlainTextEdit* view_;
    QTextCursor end_;
};

} // namespace kivo
