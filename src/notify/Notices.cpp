// SPDX-License-Identifier: GPL-3.0-or-later
#include "Notices.h"

#include "Notifier.h"
#include "Preferences.h"
#include "Router.h"
#include "Text.h"

#include <QCoreApplication>

namespace kivo {

Notices::Notices(const Preferences& preferences, Notifier& notifier)
    : preferences_(preferences)
    , notifier_(notifier) {
}

QString Notices::privateConversation(const QString& contact) {
    return QStringLiteral("private:") + contact.toCaseFolded();
}

bool Notices::privateMessage(const QString& sender, const QString& text, bool kivoActive) {
    if (kivoActive || !preferences_.values().notifications)
        return false;
    notifier_.notify(privateConversation(sender), sender, text);
    return true;
}

bool Notices::conferenceLine(const QString& room, const QString& message, const QString& loggedUser,
                             bool kivoActive) {
    if (kivoActive || !preferences_.values().notifications)
        return false;
    const ConferenceLine line = classifyConferenceLine(message);
    if (line.form != ConferenceLine::Form::User || line.user == loggedUser ||
        !mentions(line.text, loggedUser))
        return false;
    notifier_.notify(Room, QCoreApplication::translate("kivo", "%1 in %2").arg(line.user, room),
                     line.text);
    return true;
}

} // namespace kivo
