// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace kivo {

// What was typed in a chat window and not sent, with the lines sent from it for recall, kept
// when the window closes and across restarts: unsent.json in the state folder, readable by
// its owner only, for the conversations closed last.
class UnsentText {
public:
    static inline const QString FileName = QStringLiteral("unsent.json");
    static constexpr qsizetype MaxConversations = 50;
    // Bytes of one conversation in the file: room for a full message line of any text, and
    // the newest sent lines that fit beside it.
    static constexpr qsizetype MaxConversationBytes = 256 * 1024;

    struct Kept {
        QString unsent;
        QStringList sent; // oldest first
    };

    // Reads the file; one that cannot be read or is damaged is said, and nothing of it used.
    void load();
    Kept kept(const QString& conversation) const;
    // Keeps a conversation's text and sent lines as the newest, and writes the file.
    void keep(const QString& conversation, const QString& unsent, const QStringList& sent);
    // Removes the file: with the option off nothing typed stays on disk.
    static void forget();

private:
    struct Entry {
        QString conversation;
        Kept kept;
    };
    void save() const;

    QList<Entry> entries_; // the newest first
};

} // namespace kivo
