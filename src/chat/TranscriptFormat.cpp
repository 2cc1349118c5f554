// SPDX-License-Identifier: GPL-3.0-or-later
#include "TranscriptFormat.h"

#include "Links.h"
#include "Text.h"
#include "TranscriptModel.h"

#include <QCoreApplication>
#include <QDateTime>

namespace kivo::TranscriptFormat {

Shown shown(const ChatLine& line) {
    if (line.form == ChatLine::Form::Separator) {
        const QString rule(8, QChar(0x2500));
        return {.text = rule + u' ' + QCoreApplication::translate("kivo", "Earlier") + u' ' + rule};
    }
    Shown shown{.text = timeStamp(line.time)};
    shown.senderStart = shown.text.size();
    if (line.form == ChatLine::Form::User)
        shown.text += u'<' + shownInLine(line.sender) + QStringLiteral("> ");
    shown.textStart = shown.text.size();
    shown.text += shownInLine(addressesAsTheyOpen(line.text));
    return shown;
}

QString timeStamp(qint64 time) {
    // Converting to local time is costly: lines drawn in the same second share one string.
    static qint64 cachedTime = -1;
    static QString cached;
    if (time != cachedTime) {
        cachedTime = time;
        cached =
            u'[' +
            QDateTime::fromSecsSinceEpoch(time).toLocalTime().toString(QStringLiteral("HH:mm:ss")) +
            QStringLiteral("] ");
    }
    return cached;
}

QString text(const TranscriptModel& model, qsizetype fromLine, qsizetype fromColumn,
             qsizetype toLine, qsizetype toColumn) {
    QStringList lines;
    for (qsizetype index = std::max<qsizetype>(fromLine, 0);
         index <= toLine && index < model.count(); ++index) {
        const QString text = shown(model.line(index)).text;
        const qsizetype start = index == fromLine ? fromColumn : 0;
        const qsizetype stop = index == toLine ? toColumn : text.size();
        lines.append(text.mid(start, stop - start));
    }
    return lines.join(u'\n');
}

QString isolated(const QString& text, QList<qsizetype>* positions) {
    const QString shown = shownInLine(text, positions);
    if (positions) {
        for (qsizetype& position : *positions)
            ++position; // after the isolate's opening
    }
    return isolateFor(shown) + shown + PopIsolate;
}

} // namespace kivo::TranscriptFormat
