// SPDX-License-Identifier: GPL-3.0-or-later
#include "HistoryText.h"

#include "Text.h"

namespace kivo::history {
namespace {

bool unspacedScript(char32_t ch) {
    switch (QChar::script(ch)) {
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Thai:
    case QChar::Script_Lao:
    case QChar::Script_Khmer:
    case QChar::Script_Myanmar:
        return true;
    default:
        return false;
    }
}

} // namespace

bool hasUnspaced(const QString& text) {
    bool found = false;
    forEachCharacter(text, [&](char32_t ch) { found = found || unspacedScript(ch); });
    return found;
}

QString splitUnspaced(const QString& text) {
    QString split;
    split.reserve(text.size() * 2);
    forEachCharacter(text, [&](char32_t ch) {
        const bool alone = unspacedScript(ch);
        if (alone)
            split += u' ';
        split += QString::fromUcs4(&ch, 1);
        if (alone)
            split += u' ';
    });
    return split;
}

QList<Term> termsOf(const QString& typed) {
    QString clean = typed;
    for (QChar& ch : clean) {
        if (ch.category() == QChar::Other_Control)
            ch = u' ';
    }
    QList<Term> terms;
    qsizetype at = 0;
    while (at < clean.size()) {
        if (clean.at(at).isSpace()) {
            ++at;
            continue;
        }
        QString term;
        if (clean.at(at) == u'"') {
            const qsizetype end = clean.indexOf(u'"', at + 1);
            term = clean.mid(at + 1, (end < 0 ? clean.size() : end) - at - 1);
            at = end < 0 ? clean.size() : end + 1;
        } else {
            qsizetype end = at;
            while (end < clean.size() && !clean.at(end).isSpace() && clean.at(end) != u'"')
                ++end;
            term = clean.mid(at, end - at);
            at = end;
        }
        const bool prefix = term.endsWith(u'*');
        if (prefix)
            term.chop(1);
        if (!term.trimmed().isEmpty())
            terms.append({term, prefix});
    }
    return terms;
}

QString expressionOf(const QList<Term>& terms, bool unspaced) {
    QStringList parts;
    for (Term term : terms) {
        if (unspaced)
            term.text = splitUnspaced(term.text).simplified();
        term.text.replace(u'"', QStringLiteral("\"\""));
        parts.append(u'"' + term.text + u'"' + (term.prefix ? QStringLiteral("*") : QString()));
    }
    return parts.join(u' ');
}

} // namespace kivo::history
