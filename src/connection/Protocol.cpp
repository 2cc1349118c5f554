// SPDX-License-Identifier: GPL-3.0-or-later
#include "Protocol.h"

#include <array>

namespace kivo {

QString Command::login(const QString& user, const QString& password) {
    return QStringLiteral("/login ") + user + u' ' + password;
}

QString Command::privateMessage(const QString& contact, const QString& text) {
    return QStringLiteral("/pm ") + contact + u' ' + text;
}

QString Command::joinConference(const QString& conferenceAddress) {
    return QStringLiteral("/join_server ") + conferenceAddress;
}

QString Command::ignoreList() {
    return QStringLiteral("/ignore-list");
}

QString Command::ignoreAdd(const QString& user) {
    return QStringLiteral("/ignore-add ") + user;
}

QString Command::ignoreDelete(const QString& user) {
    return QStringLiteral("/ignore-del ") + user;
}

QString Command::ignoreClear() {
    return QStringLiteral("/ignore-clear");
}

namespace {

constexpr const char* PrivateMessageError = QT_TRANSLATE_NOOP("kivo", "Private Message Error");

using enum MatchKind;
using enum ReplyOutcome;
using enum ReplyAnswers;

const std::array Replies{
    ServerReply{"L1", u"Invalid username or password.", Contains, LoginRefused, true},
    ServerReply{"L2", u"Login successful.", Contains, LoginAccepted, true},
    ServerReply{"1", u"*Ping!*", Contains, Swallow, false},
    ServerReply{"2", u"Unknown command.", Contains, Swallow, false, nullptr, nullptr,
                CommandUnknown},
    ServerReply{"3", u"User does not exist.", Contains, Warning, false,
                QT_TRANSLATE_NOOP("kivo", "User does not exist."), PrivateMessageError,
                PrivateRefused},
    ServerReply{"4", u"You cannot send private messages to yourself.", Contains, Warning, false,
                QT_TRANSLATE_NOOP("kivo", "You cannot send private messages to yourself."),
                PrivateMessageError, PrivateRefused},
    ServerReply{"5", u" is banned.", Contains, Warning, false,
                QT_TRANSLATE_NOOP("kivo", "Receiver is banned."), PrivateMessageError,
                PrivateRefused},
    ServerReply{"6", u"Ignoring ", StartsWith, Swallow, false},
    ServerReply{"7", u"Stopped ignoring ", StartsWith, Swallow, false},
    ServerReply{"8", u" is not in your ignore list.", Contains, Swallow, false},
    ServerReply{"9", u"Ignore list cleared.", Equals, Swallow, false},
    ServerReply{"10", u"Ignore list is already empty.", Equals, Swallow, false},
    ServerReply{"11", u"Ignore list:", StartsWith, IgnoreList, false},
    ServerReply{"12", u"Ignore list is empty.", Equals, IgnoreListEmpty, false},
    ServerReply{"13", u"Failed to send private message to ", StartsWithAnyCase, SendFailed, false,
                nullptr, PrivateMessageError, PrivateRefused},
    ServerReply{"14", u"Private message sent to ", StartsWithAnyCase, Swallow, false, nullptr,
                nullptr, PrivateSent},
    ServerReply{"15", u"(Private) ", StartsWith, PrivateMessage, false},
};

} // namespace

bool ServerReply::matches(QStringView message) const {
    switch (match) {
    case Contains:
        return message.contains(phrase);
    case StartsWith:
        return message.startsWith(phrase);
    case StartsWithAnyCase:
        return message.startsWith(phrase, Qt::CaseInsensitive);
    case Equals:
        return message == phrase;
    }
    return false;
}

std::span<const ServerReply> serverReplies() {
    return Replies;
}

const ServerReply* recogniseReply(QStringView message, bool waitingForLogin) {
    for (const ServerReply& reply : Replies) {
        if (reply.loginPhaseOnly && !waitingForLogin)
            continue;
        if (reply.matches(message))
            return &reply;
    }
    return nullptr;
}

} // namespace kivo
