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
    bool operator==(const Link&) const = default;
};

// The addresses a click may open: http://, https://, ftp://, mailto: and a bare www. name
// (opened as http://), each starting a word. Punctuation that ends a sentence and closing
// brackets without their opening one in the address are not part of it. Any other scheme
// (file:, javascript:, data:, ...) is text.
QList<Link> findLinks(const QString& text);

} // namespace kivo
