// SPDX-License-Identifier: GPL-3.0-or-later
#include "UnsentText.h"

#include "MessageBoxes.h"
#include "SentLines.h"
#include "StateFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace kivo {
namespace {

const QString ConversationKey = QStringLiteral("conversation");
const QString UnsentKey = QStringLiteral("unsent");
const QString SentKey = QStringLiteral("sent");
// A message line holds no more than this (QLineEdit's limit).
constexpr qsizetype MaxText = 32767;
constexpr qint64 MaxFileSize = UnsentText::MaxConversations * UnsentText::MaxConversationBytes;

QJsonObject toJson(const QString& conversation, const UnsentText::Kept& kept) {
    return {{ConversationKey, conversation},
            {UnsentKey, kept.unsent},
            {SentKey, QJsonArray::fromStringList(kept.sent)}};
}

// Bytes of a text as a JSON string, quotes and escapes included.
qsizetype encodedSize(const QString& text) {
    return QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact).size() - 2;
}

// The newest sent lines that fit beside the rest in a conversation's share of the file.
UnsentText::Kept bounded(const QString& conversation, UnsentText::Kept kept) {
    constexpr qsizetype Punctuation = 64; // the keys, braces and brackets
    kept.unsent.truncate(MaxText);
    qsizetype size = Punctuation + encodedSize(conversation) + encodedSize(kept.unsent);
    qsizetype first = kept.sent.size();
    while (first > 0 && kept.sent.size() - first < SentLines::Capacity) {
        kept.sent[first - 1].truncate(MaxText);
        const qsizetype line = encodedSize(kept.sent[first - 1]) + 1;
        if (size + line > UnsentText::MaxConversationBytes)
            break;
        size += line;
        --first;
    }
    kept.sent = kept.sent.mid(first);
    return kept;
}

void sayNotRead(const QString& reason) {
    warn(QCoreApplication::translate("kivo", "Could not read %1: %2\nThe unsent text kept in "
                                             "it is not shown.")
             .arg(QDir::toNativeSeparators(StateFolder::filePath(UnsentText::FileName)), reason));
}

} // namespace

void UnsentText::load() {
    entries_.clear();
    const TextFileContents file = readTextFile(StateFolder::filePath(FileName), MaxFileSize + 1024);
    if (file.status == TextFileContents::Status::Failed)
        return sayNotRead(file.error);
    if (!file.exists())
        return;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(file.lines.join(u'\n').toUtf8(), &error);
    if (!document.isArray())
        return sayNotRead(error.error != QJsonParseError::NoError
                              ? error.errorString()
                              : QCoreApplication::translate("kivo", "it is not Kivo's"));
    for (const QJsonValue& value : document.array()) {
        const QJsonObject object = value.toObject();
        const QString conversation = object.value(ConversationKey).toString();
        if (conversation.isEmpty() || entries_.size() == MaxConversations)
            continue;
        Kept kept;
        kept.unsent = object.value(UnsentKey).toString();
        for (const QJsonValue& line : object.value(SentKey).toArray())
            kept.sent.append(line.toString());
        entries_.append({conversation, bounded(conversation, std::move(kept))});
    }
}

UnsentText::Kept UnsentText::kept(const QString& conversation) const {
    for (const Entry& entry : entries_) {
        if (entry.conversation == conversation)
            return entry.kept;
    }
    return {};
}

void UnsentText::keep(const QString& conversation, const QString& unsent, const QStringList& sent) {
    entries_.removeIf([&](const Entry& entry) { return entry.conversation == conversation; });
    if (!unsent.isEmpty() || !sent.isEmpty())
        entries_.prepend({conversation, bounded(conversation, {unsent, sent})});
    if (entries_.size() > MaxConversations)
        entries_.resize(MaxConversations);
    save();
}

void UnsentText::forget() {
    QFile::remove(StateFolder::filePath(FileName));
}

void UnsentText::save() const {
    QJsonArray array;
    for (const Entry& entry : entries_)
        array.append(toJson(entry.conversation, entry.kept));
    writeStateBytes(FileName, QJsonDocument(array).toJson(QJsonDocument::Compact),
                    FileAccess::OwnerOnly);
}

} // namespace kivo
