// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace kivo {

class Notifier;
class Preferences;

// Which messages are worth a desktop notification: a private message from a contact, and a
// conference line from someone else that mentions the user by name; only while Kivo is not
// the active application, and only with the option on.
class Notices {
public:
    Notices(const Preferences& preferences, Notifier& notifier);

    static inline const QString Room = QStringLiteral("room");
    static QString privateConversation(const QString& contact);

    // Each returns whether the user was told (the window then asks for attention too).
    bool privateMessage(const QString& sender, const QString& text, bool kivoActive);
    bool conferenceLine(const QString& room, const QString& message, const QString& loggedUser,
                        bool kivoActive);

private:
    const Preferences& preferences_;
    Notifier& notifier_;
};

} // namespace kivo
