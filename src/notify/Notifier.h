// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QHash>
#include <QObject>
#include <QString>
#include <optional>

namespace kivo {

// Desktop notifications through the desktop's notification service
// (org.freedesktop.Notifications on the session bus). One notification per conversation at a
// time: a newer one replaces it, so a burst of messages is one notification. Without a bus
// or a service nothing is shown and nothing fails.
class Notifier : public QObject {
    Q_OBJECT
public:
    explicit Notifier(const QDBusConnection& bus = QDBusConnection::sessionBus(),
                      QObject* parent = nullptr);

    // Shows the conversation's notification, or replaces the one it has. The summary is plain
    // text to the service; the body is read as markup by many, so it is escaped.
    void notify(const QString& conversation, const QString& summary, const QString& body);

Q_SIGNALS:
    // The user activated the conversation's notification; the service's activation token
    // for bringing its window to the front, if it sent one.
    void activated(const QString& conversation, const QString& activationToken);

private Q_SLOTS:
    void onActionInvoked(uint id, const QString& action);
    void onClosed(uint id, uint reason);
    void onActivationToken(uint id, const QString& token);

private:
    struct Shown {
        uint id = 0;             // the service's number for it; 0 before the first answer
        QString activationToken; // sent by the service just before an activation
        bool asking = false;     // a Notify call has not been answered yet
        std::optional<std::pair<QString, QString>> next; // summary and body to show then
    };
    void send(const QString& conversation, const QString& summary, const QString& body);

    QDBusConnection bus_;
    QHash<QString, Shown> shown_;
};

} // namespace kivo
