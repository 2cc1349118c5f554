// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <span>

namespace kivo {

// Commands the client sends (CR LF is added on the way out).
namespace Command {
inline const QByteArray KeepAlive = QByteArrayLiteral("/");
QString login(const QString& user, const QString& password);
QString privateMessage(const QString& contact, const QString& text);
QString joinConference(const QString& conferenceAddress);
QString ignoreList();
QString ignoreAdd(const QString& user);
QString ignoreDelete(const QString& user);
QString ignoreClear();
} // namespace Command

// The server's replies are English sentences recognised by fixed phrases, tested in table
// order; the first match decides.
enum class MatchKind { Contains, StartsWith, StartsWithAnyCase, Equals };

enum class ReplyOutcome {
    LoginRefused,
    LoginAccepted,
    Swallow,
    Warning,    // box with the row's text and title
    SendFailed, // box naming the receiver
    IgnoreList,
    IgnoreListEmpty,
    PrivateMessage,
};

// What a reply tells of a line the user sent: a private message delivered or refused (each
// is answered, in order), or a line the server read as a command it does not know.
enum class ReplyAnswers { Nothing, PrivateSent, PrivateRefused, CommandUnknown };

struct ServerReply {
    const char* label; // the step, for tests and diagnostics
    QStringView phrase;
    MatchKind match;
    ReplyOutcome outcome;
    bool loginPhaseOnly;
    const char* boxText = nullptr; // English; translated when shown (context "kivo")
    const char* boxTitle = nullptr;
    ReplyAnswers answers = ReplyAnswers::Nothing;

    bool matches(QStringView message) const;
};

std::span<const ServerReply> serverReplies();

// The first row that matches, or nullptr: a conference line. Login rows are tested only
// while a login reply is awaited.
const ServerReply* recogniseReply(QStringView message, bool waitingForLogin);

} // namespace kivo
