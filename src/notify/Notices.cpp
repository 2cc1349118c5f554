// SPDX-License-Identifier: GPL-3.0-or-later
#include "Notices.h"

#include "Notifier.h"
#include "Preferences.h"
#include "Router.h"

#include <QCoreApplication>

namespace kivo {
namespace {

bool isWordCharacter(QChar ch) {
    return ch.isLetterOrNumber() || ch == u'_';
}

} // namespace

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

bool Notices::mentions(const QString& text, const QString& name) {
    if (name.isEmpty())
        return false;
    for (qsizetype at = text.indexOf(name, 0, Qt::CaseInsensitive); at >= 0;
         at = text.indexOf(name, at + 1, Qt::CaseInsensitive)) {
        const qsizetype end = at + name.size();
        if ((at == 0 || !isWordCharacter(text.at(at - 1))) &&
            (end == text.size() || !isWordCharacter(text.at(end))))
            return true;
    }
    return false;
}

} // namespace kivo
