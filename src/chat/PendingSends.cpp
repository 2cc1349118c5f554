// SPDX-License-Identifier: GPL-3.0-or-later
#include "PendingSends.h"

#include "Clock.h"

#include <array>

namespace kivo {
namespace {

qint64 nowSeconds() {
    return Clock::current().now().toSecsSinceEpoch();
}

// Commands the server knows: each has answers of its own, never "Unknown command.".
bool isKnownCommand(const QString& line) {
    static const std::array<QString, 7> Known{
        QStringLiteral("/login"),       QStringLiteral("/pm"),
        QStringLiteral("/join_server"), QStringLiteral("/ignore-list"),
        QStringLiteral("/ignore-add"),  QStringLiteral("/ignore-del"),
        QStringLiteral("/ignore-clear")};
    const QString word = line.section(u' ', 0, 0);
    return std::find(Known.begin(), Known.end(), word) != Known.end();
}

} // namespace

void PendingSends::add(std::deque<Waiting>& list, Sent sent) {
    if (list.size() >= MaxWaiting)
        list.pop_front();
    list.push_back({std::move(sent), nowSeconds()});
}

std::optional<PendingSends::Sent> PendingSends::take(std::deque<Waiting>& list) {
    const qint64 oldest = nowSeconds() - MaxWaitSeconds;
    while (!list.empty() && list.front().at < oldest)
        list.pop_front();
    if (list.empty())
        return std::nullopt;
    Sent sent = std::move(list.front().sent);
    list.pop_front();
    return sent;
}

void PendingSends::privateSent(const QString& contact, const QString& text) {
    add(privates_, {contact, text});
}

void PendingSends::roomLineSent(const QString& room, const QString& text) {
    if (!text.startsWith(u'/'))
        return;
    if (const std::optional<Sent> message = typedPrivateMessage(text))
        privateSent(message->conversation, message->text);
    else if (!isKnownCommand(text))
        add(commands_, {room, text});
}

std::optional<PendingSends::Sent> PendingSends::privateAnswered() {
    return take(privates_);
}

std::optional<PendingSends::Sent> PendingSends::commandRefused() {
    return take(commands_);
}

void PendingSends::clear() {
    privates_.clear();
    commands_.clear();
}

std::optional<PendingSends::Sent> typedPrivateMessage(const QString& line) {
    if (!line.startsWith(QStringLiteral("/pm ")))
        return std::nullopt;
    const QString rest = line.mid(4);
    const qsizetype space = rest.indexOf(u' ');
    if (space <= 0 || space + 1 >= rest.size())
        return std::nullopt;
    return PendingSends::Sent{rest.left(space), rest.mid(space + 1)};
}

} // namespace kivo
