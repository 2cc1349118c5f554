// SPDX-License-Identifier: GPL-3.0-or-later
#include "Links.h"

#include <algorithm>
#include <array>

namespace kivo {
namespace {

struct Prefix {
    QLatin1StringView text;
    bool needsHost;
};
constexpr std::array Prefixes{
    Prefix{QLatin1StringView("http://"), true}, Prefix{QLatin1StringView("https://"), true},
    Prefix{QLatin1StringView("ftp://"), true}, Prefix{QLatin1StringView("mailto:"), false},
    Prefix{QLatin1StringView("www."), true}};

// Characters that end an address wherever they are: what surrounds one in text.
bool endsAddress(QChar ch) {
    return ch.isSpace() || ch.category() == QChar::Other_Control ||
           ch.category() == QChar::Other_Format || ch == u'<' || ch == u'>' || ch == u'"' ||
           ch == u'`' || ch == QChar(0xFFFD);
}

bool closes(QChar ch, QChar* opening) {
    switch (ch.unicode()) {
    case u')':
        *opening = u'(';
        return true;
    case u']':
        *opening = u'[';
        return true;
    case u'}':
        *opening = u'{';
        return true;
    default:
        return false;
    }
}

// Drops what ends a sentence around the address rather than the address itself.
qsizetype trimmedEnd(QStringView text, qsizetype start, qsizetype end) {
    while (end > start) {
        const QChar last = text[end - 1];
        QChar opening;
        if (QStringView(u".,;:!?'*").contains(last)) {
            --end;
        } else if (closes(last, &opening)) {
            const QStringView address = text.sliced(start, end - start);
            if (address.count(opening) >= address.count(last))
                break;
            --end;
        } else {
            break;
        }
    }
    return end;
}

const Prefix* prefixAt(QStringView text, qsizetype at) {
    if (at > 0 && (text[at - 1].isLetterOrNumber() || text[at - 1] == u'.' ||
                   text[at - 1] == u'/' || text[at - 1] == u'@'))
        return nullptr;
    for (const Prefix& prefix : Prefixes) {
        if (text.sliced(at).startsWith(prefix.text, Qt::CaseInsensitive))
            return &prefix;
    }
    return nullptr;
}

QUrl urlOf(QStringView address, const Prefix& prefix) {
    const QString written = address.toString();
    const QUrl url(prefix.text.front() == u'w' ? QStringLiteral("http://") + written : written,
                   QUrl::TolerantMode);
    if (!url.isValid())
        return {};
    const bool complete = prefix.needsHost ? !url.host().isEmpty() : url.path().contains(u'@');
    return complete ? url : QUrl();
}

} // namespace

QList<Link> findLinks(const QString& text) {
    QList<Link> links;
    const QStringView view(text);
    for (qsizetype at = 0; at < view.size(); ++at) {
        const char16_t first = view[at].toLower().unicode();
        if (first != u'h' && first != u'f' && first != u'm' && first != u'w')
            continue;
        const Prefix* prefix = prefixAt(view, at);
        if (!prefix)
            continue;
        qsizetype end = at + prefix->text.size();
        while (end < view.size() && !endsAddress(view[end]))
            ++end;
        end = trimmedEnd(view, at, end);
        if (end > at + prefix->text.size()) {
            if (const QUrl url = urlOf(view.sliced(at, end - at), *prefix); url.isValid())
                links.append({at, end - at, url});
        }
        // No address starts inside this one, linked or not; skipping it keeps a line of
        // repeated prefixes from costing its length squared.
        at = std::max(at, end - 1);
    }
    return links;
}

} // namespace kivo
