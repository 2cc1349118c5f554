// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <deque>
#include <optional>

namespace kivo {

// Lines the user sent that the server has yet to answer, so that a refusal can be said in the
// window the line came from. The server answers every private message in order (delivered,
// or why not), and answers "Unknown command." to a line it reads as a command it does not
// know. Bounded in count and age: an answer that never came is forgotten.
class PendingSends {
public:
    static constexpr size_t MaxWaiting = 64;
    static constexpr qint64 MaxWaitSeconds = 60;

    struct Sent {
        QString conversation; // the contact's name, or the room's marker
        QString text;
    };

    void privateSent(const QString& contact, const QString& text);
    // A line typed in the room: waits for an answer when the server will read it as a command
    // of its own that it does not know.
    void roomLineSent(const QString& room, const QString& text);
    std::optional<Sent> privateAnswered();
    std::optional<Sent> commandRefused();
    void clear();

private:
    struct Waiting {
        Sent sent;
        qint64 at;
    };
    static void add(std::deque<Waiting>& list, Sent sent);
    static std::optional<Sent> take(std::deque<Waiting>& list);

    std::deque<Waiting> privates_;
    std::deque<Waiting> commands_;
};

// The name and text of a private message typed as a command ("/pm name text"), if it is one.
std::optional<PendingSends::Sent> typedPrivateMessage(const QString& line);

} // namespace kivo
