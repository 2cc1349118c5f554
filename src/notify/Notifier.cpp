// SPDX-License-Identifier: GPL-3.0-or-later
#include "Notifier.h"

#include "Log.h"
#include "Text.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace kivo {
namespace {

const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
const QString Interface = QStringLiteral("org.freedesktop.Notifications");
const QString DefaultAction = QStringLiteral("default");
// Characters: a notification is a glimpse, not the message.
constexpr qsizetype MaxSummary = 100;
constexpr qsizetype MaxBody = 300;

} // namespace

Notifier::Notifier(const QDBusConnection& bus, QObject* parent)
    : QObject(parent)
    , bus_(bus) {
    if (!bus_.isConnected())
        return;
    bus_.connect(Service, Path, Interface, QStringLiteral("ActionInvoked"), this,
                 SLOT(onActionInvoked(uint, QString)));
    bus_.connect(Service, Path, Interface, QStringLiteral("NotificationClosed"), this,
                 SLOT(onClosed(uint, uint)));
    bus_.connect(Service, Path, Interface, QStringLiteral("ActivationToken"), this,
                 SLOT(onActivationToken(uint, QString)));
}

void Notifier::notify(const QString& conversation, const QString& summary, const QString& body) {
    if (!bus_.isConnected())
        return;
    Shown& shown = shown_[conversation];
    // While the service has not answered, the number to replace is not known yet: the
    // newest text waits for the answer instead of making a second notification.
    if (shown.asking) {
        shown.next = std::pair(summary, body);
        return;
    }
    send(conversation, summary, body);
}

void Notifier::send(const QString& conversation, const QString& summary, const QString& body) {
    Shown& shown = shown_[conversation];
    shown.asking = true;
    QDBusMessage call =
        QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("Notify"));
    call << QStringLiteral("Kivo") << shown.id << QStringLiteral("kivo")
         << glimpse(summary, MaxSummary) << glimpse(body, MaxBody).toHtmlEscaped()
         << QStringList{DefaultAction, tr("Open")}
         << QVariantMap{{QStringLiteral("desktop-entry"), QStringLiteral("kivo")}} << -1;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, conversation, watcher] {
        watcher->deleteLater();
        const QDBusPendingReply<uint> reply = *watcher;
        Shown& shown = shown_[conversation];
        shown.asking = false;
        if (reply.isError()) {
            // No notification service: nothing is shown, and nothing more is said.
            qCDebug(logNotify).noquote() << "no notification:" << reply.error().message();
            shown.next.reset();
            return;
        }
        shown.id = reply.value();
        qCDebug(logNotify) << "notification" << shown.id << "for" << conversation;
        if (const auto next = std::exchange(shown.next, std::nullopt))
            send(conversation, next->first, next->second);
    });
}

void Notifier::onActionInvoked(uint id, const QString& action) {
    if (action != DefaultAction || id == 0)
        return;
    for (auto it = shown_.begin(); it != shown_.end(); ++it) {
        if (it->id == id) {
            qCDebug(logNotify) << "notification" << id << "activated";
            Q_EMIT activated(it.key(), std::exchange(it->activationToken, QString()));
            return;
        }
    }
}

void Notifier::onActivationToken(uint id, const QString& token) {
    for (Shown& shown : shown_) {
        if (shown.id == id)
            shown.activationToken = token;
    }
}

void Notifier::onClosed(uint id, uint) {
    // A closed notification cannot be replaced: the next one is new.
    for (Shown& shown : shown_) {
        if (shown.id == id)
            shown.id = 0;
    }
}

} // namespace kivo
