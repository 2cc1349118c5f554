// SPDX-License-Identifier: GPL-3.0-or-later
#include "Links.h"

#include "Text.h"

#include <QSet>
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

// Characters that only look like an address's syntax: what a reader takes for a slash, a
// dot, a colon... of the address, though it is none. Those with a compatibility form in
// ASCII (fullwidth, small), and those that look alike without one.
bool looksLikeSyntax(QChar ch) {
    static constexpr QStringView Syntax = u"/.:?#@%&=\\";
    static constexpr std::array<char16_t, 14> LookAlikes{0x2044, 0x2215, 0x2571, 0x29F8,
                                                         0x27CB, 0x3033,                  // slashes
                                                         0x3002, 0xFF61, 0x2024, 0x0589,  // dots
                                                         0x2236, 0xA789, 0x05C3, 0x02D0}; // colons
    if (ch.unicode() < 0x80)
        return false;
    if (std::find(LookAlikes.begin(), LookAlikes.end(), ch.unicode()) != LookAlikes.end())
        return true;
    const QString ascii = ch.decomposition();
    return ascii.size() == 1 && Syntax.contains(ascii.front());
}

// Characters that end an address wherever they are: what surrounds one in text.
bool endsAddress(QChar ch) {
    return ch.isSpace() || ch.category() == QChar::Other_Control ||
           ch.category() == QChar::Other_Format || ch == u'<' || ch == u'>' || ch == u'"' ||
           ch == u'`' || ch == u'\\' || ch == QChar(0xFFFD) || looksLikeSyntax(ch);
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

// The end of an address's host, from where its authority starts: a path, query or fragment
// begins after it.
qsizetype authorityEnd(QStringView text, qsizetype from, qsizetype end) {
    for (qsizetype at = from; at < end; ++at) {
        if (text[at] == u'/' || text[at] == u'?' || text[at] == u'#')
            return at;
    }
    return end;
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

// The scripts of a host's letters; digits and punctuation have none of their own.
QSet<QChar::Script> scriptsOf(QStringView host) {
    QSet<QChar::Script> scripts;
    forEachCharacter(host, [&scripts](char32_t ch) {
        const QChar::Script script = QChar::script(ch);
        if (script != QChar::Script_Common && script != QChar::Script_Inherited)
            scripts.insert(script);
    });
    return scripts;
}

// One script, or one of the ways a language writes Latin among its own (Japanese, Chinese,
// Korean): anything else mixes scripts, as look-alike hosts do.
bool mixesScripts(QStringView host) {
    using S = QChar::Script;
    const QSet<S> scripts = scriptsOf(host);
    if (scripts.size() <= 1)
        return false;
    for (const QSet<S>& allowed :
         {QSet<S>{S::Script_Latin, S::Script_Han, S::Script_Hiragana, S::Script_Katakana},
          QSet<S>{S::Script_Latin, S::Script_Han, S::Script_Bopomofo},
          QSet<S>{S::Script_Latin, S::Script_Han, S::Script_Hangul}}) {
        if (allowed.contains(scripts))
            return false;
    }
    return true;
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
        const qsizetype afterPrefix = at + prefix->text.size();
        qsizetype end = afterPrefix;
        const bool mail = !prefix->needsHost;
        while (end < view.size() && !endsAddress(view[end]) && !(mail && view[end] == u'?'))
            ++end;
        const qsizetype hostFrom = first == u'w' ? at : afterPrefix;
        qsizetype hostEnd = mail ? hostFrom : authorityEnd(view, hostFrom, end);
        if (const qsizetype percent = view.sliced(hostFrom, hostEnd - hostFrom).indexOf(u'%');
            percent >= 0)
            end = hostEnd = hostFrom + percent;
        end = trimmedEnd(view, at, end);
        hostEnd = std::min(hostEnd, end);
        if (end > afterPrefix) {
            if (const QUrl url = urlOf(view.sliced(at, end - at), *prefix); url.isValid()) {
                // The host, after any user name and password before it.
                const QStringView authority = view.sliced(hostFrom, hostEnd - hostFrom);
                const qsizetype user = authority.lastIndexOf(u'@') + 1;
                qsizetype hostLength = authority.size() - user;
                if (const qsizetype port = authority.sliced(user).lastIndexOf(u':');
                    port >= 0 && !authority.sliced(user).startsWith(u'['))
                    hostLength = port;
                links.append({at, end - at, url, hostFrom + user, hostLength});
            }
        }
        // No address starts inside this one, linked or not; skipping it keeps a line of
        // repeated prefixes from costing its length squared.
        at = std::max(at, end - 1);
    }
    return links;
}

QString addressesAsTheyOpen(const QString& text) {
    // Only letters beyond ASCII can mix scripts.
    if (std::all_of(text.begin(), text.end(), [](QChar ch) { return ch.unicode() < 0x80; }))
        return text;
    QString shown = text;
    const QList<Link> links = findLinks(text);
    for (auto link = links.rbegin(); link != links.rend(); ++link) {
        const QString host = text.mid(link->hostStart, link->hostLength);
        if (!mixesScripts(host))
            continue;
        const QByteArray ascii = QUrl::toAce(host);
        if (!ascii.isEmpty())
            shown.replace(link->hostStart, link->hostLength, QString::fromLatin1(ascii));
    }
    return shown;
}

QString openedAddress(const QUrl& url) {
    return QString::fromLatin1(url.toEncoded());
}

} // namespace kivo
