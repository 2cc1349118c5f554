// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QUrl>

namespace kivo {

// A web address in a text: where it is and what opening it opens.
struct Link {
    qsizetype start = 0;
    qsizetype length = 0;
    QUrl url;
    qsizetype hostStart = 0; // where its host is written in the text; length 0 for mailto:
    qsizetype hostLength = 0;
    bool operator==(const Link&) const = default;
};

// The addresses a click may open: http://, https://, ftp://, mailto: and a bare www. name
// (opened as http://), each starting a word. Punctuation that ends a sentence and closing
// brackets without their opening one in the address are not part of it, nor is what only
// looks like an address's syntax (a fraction slash, a fullwidth colon...) or follows it, nor
// a percent sign in a host (a browser would decode it into the host) or what follows, nor a
// mailto: address's query (attach=...). Any other scheme (file:, javascript:, data:, ...) is
// text.
QList<Link> findLinks(const QString& text);

// The text with the host of each address that mixes scripts (a Cyrillic letter among Latin
// ones, say) written in its ASCII form, so that what is shown and copied is what a click
// opens.
QString addressesAsTheyOpen(const QString& text);

// What an address opens, written whole, its host in ASCII: for a tooltip before a click.
QString openedAddress(const QUrl& url);

} // namespace kivo
