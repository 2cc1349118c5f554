// SPDX-License-Identifier: GPL-3.0-or-later
#include "Router.h"

#include "Protocol.h"
#include "Text.h"

#include <QCoreApplication>

namespace kivo {
namespace {

constexpr qsizetype SendFailedPrefixLength = 34; // "Failed to send private message to "
constexpr qsizetype PrivatePrefixLength = 10;    // "(Private) "

RouteDecision privateMessage(const QString& message) {
    const QString rest = message.mid(PrivatePrefixLength);
    const qsizetype colon = rest.indexOf(u':');
    if (colon < 0)
        return {};
    return {.action = RouteDecision::Action::PrivateMessage,
            .text = trimSpaces(rest.mid(colon + 1)),
            .sender = rest.left(colon)};
}

QString failedReceiver(const QString& message) {
    QString receiver = message.mid(SendFailedPrefixLength);
    receiver.remove(u'.');
    return trimSpaces(receiver);
}

RouteDecision routeReply(const ServerReply* reply, const QString& message) {
    using Action = RouteDecision::Action;
    switch (reply->outcome) {
    case ReplyOutcome::Warning:
        return {.action = Action::Warning,
                .text = QCoreApplication::translate("kivo", reply->boxText),
                .title = QCoreApplication::translate("kivo", reply->boxTitle),
                .kind = QString::fromLatin1(reply->label)};
    case ReplyOutcome::SendFailed:
        return {.action = Action::Warning,
                .text = QCoreApplication::translate("kivo", "Failed to send private message to %1.")
                            .arg(shownInLine(failedReceiver(message))),
                .title = QCoreApplication::translate("kivo", reply->boxTitle),
                .kind = QString::fromLatin1(reply->label)};
    case ReplyOutcome::IgnoreList:
        return {.action = Action::IgnoreList, .text = message};
    case ReplyOutcome::IgnoreListEmpty:
        return {.action = Action::IgnoreListEmpty};
    case ReplyOutcome::PrivateMessage:
        return privateMessage(message);
    case ReplyOutcome::Swallow:
    case ReplyOutcome::LoginRefused:
    case ReplyOutcome::LoginAccepted:
        break;
    }
    return {};
}

} // namespace

RouteDecision decideRoute(const QString& message) {
    const ServerReply* reply = recogniseReply(message, false);
    if (!reply)
        return {.action = RouteDecision::Action::ConferenceLine, .text = message};
    RouteDecision decision = routeReply(reply, message);
    decision.answers = reply->answers;
    return decision;
}

ConferenceLine classifyConferenceLine(const QString& message) {
    using Form = ConferenceLine::Form;
    if (message.startsWith(QStringLiteral("*** ")))
        return {.form = Form::System};
    const qsizetype colon = message.indexOf(u':');
    if (colon < 0)
        return {.form = Form::Plain};
    const QString user = message.left(colon);
    if (user.isEmpty() || user.contains(u' '))
        return {.form = Form::Plain};
    return {.form = Form::User, .user = user, .text = trimSpaces(message.mid(colon + 1))};
}

} // namespace kivo
