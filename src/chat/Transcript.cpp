#include "Transcript.h"

#include "Clock.h"
#include "Router.h"

#include <QPlainTextEdit>
#include <QTextCharFormat>

namespace kivo {

Transcript::Transcript(QPlainTextEdit* view)
    : view_(view)
    , end_(view->document()) {
    end_.movePosition(QTextCursor::End);
}

void Transcript::appendTimeStamp() {
    appendRun(u'[' + Clock::current().now().toString(QStringLiteral("HH:mm:ss")) +
                  QStringLiteral("] "),
              TimeStampGrey, false);
}

void Transcript::appendRun(const QString& text, const QColor& colour, bool bold) {
    QTextCharFormat format;
    format.setForeground(colour);
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    end_.insertText(text, format);
}

void Transcript::endLine() {
    end_.insertBlock();
    ScrollToEnd();
}

void Transcript::appendSystemLine(const QString& text) {
    appendTimeStamp();
    appendRun(text, Black, true);
    endLine();
}

void Transcript::appendUserLine(const QString& sender, const QString& text,
                                const QString& loggedUser) {
    appendTimeStamp();
    appendRun(u'<' + sender + QStringLiteral("> "), sender == loggedUser ? OwnBlue : OtherRed,
              false);
    appendRun(text, Black, false);
    endLine();
}

void Transcript::appendPlainLine(const QString& text) {
    appendTimeStamp();
    appendRun(text, Black, false);
    endLine();
}

void Transcript::appendConferenceLine(const QString& message, const QString& loggedUser) {
    const ConferenceLine line = classifyConferenceLine(message);
    switch (line.form) {
    case ConferenceLine::Form::System:
        appendSystemLine(message);
        break;
    case ConferenceLine::Form::User:
        appendUserLine(line.user, line.text, loggedUser);
        break;
    case ConferenceLine::Form::Plain:
        appendPlainLine(message);
        break;
    }
}

void Transcript::ScrollToEnd() {
    view_->setTextCursor(end_);
}

} // namespace kivo
