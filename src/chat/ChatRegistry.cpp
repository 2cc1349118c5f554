// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChatRegistry.h"

#include "FormChat.h"
#include "Widgets.h"

#include <QApplication>
#include <QTimer>

namespace kivo {

ChatRegistry::ChatRegistry(ConnectionController& connection, QObject* parent)
    : QObject(parent)
    , connection_(connection) {
}

ChatRegistry::~ChatRegistry() {
    closeAll();
}

FormChat* ChatRegistry::OpenChatWindow(const QString& contactName) {
    if (FormChat* open = window(contactName)) {
        open->show();
        bringToFront(open);
        return open;
    }
    auto* chat = new FormChat(*this);
    connect(chat, &FormChat::searchRequested, this, &ChatRegistry::searchRequested);
    chat->SetContact(contactName);
    OpenChats.insert(keyOf(contactName), chat);
    chat->show();
    return chat;
}

void ChatRegistry::bringToFront(FormChat* chat) {
    frontRequests_.removeAll(chat);
    frontRequests_.append(chat);
    if (frontScheduled_)
        return;
    frontScheduled_ = true;
    QTimer::singleShot(0, this, [this] {
        frontScheduled_ = false;
        const QList<QPointer<FormChat>> requests = std::exchange(frontRequests_, {});
        for (const QPointer<FormChat>& request : requests) {
            // Activation is asynchronous: a window that looks active may have been asked to
            // give way to another one a moment ago, so only the last one asked is skipped.
            if (!request || (request == lastFront_ && request->isActiveWindow()))
                continue;
            request->show();
            activate(request);
            lastFront_ = request;
        }
    });
}

void ChatRegistry::restore(FormChat* chat, const QString& activationToken) {
    kivo::bringToFront(chat, activationToken);
}

FormChat* ChatRegistry::window(const QString& contactName) const {
    return OpenChats.value(keyOf(contactName));
}

QList<FormChat*> ChatRegistry::windows() const {
    QList<FormChat*> open;
    for (const QPointer<FormChat>& chat : OpenChats) {
        if (chat)
            open.append(chat);
    }
    if (ServerChatWindow)
        open.append(ServerChatWindow);
    return open;
}

void ChatRegistry::forget(const FormChat* chat) {
    const QString key = keyOf(chat->ContactName);
    if (OpenChats.value(key) == chat)
        OpenChats.remove(key);
}

FormChat* ChatRegistry::openConference(const QString& conferenceAddress) {
    auto* chat = new FormChat(*this);
    connect(chat, &FormChat::searchRequested, this, &ChatRegistry::searchRequested);
    ServerChatWindow = chat;
    chat->SetServer(conferenceAddress);
    chat->show();
    return chat;
}

void ChatRegistry::closeAll() {
    exiting_ = true;
    const QList<QPointer<FormChat>> open = OpenChats.values();
    for (const QPointer<FormChat>& chat : open) {
        if (chat)
            chat->close();
    }
    if (ServerChatWindow)
        ServerChatWindow->close();
    // Closed windows delete themselves later; the ones left must not outlive this registry.
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* chat = qobject_cast<FormChat*>(widget); chat && &chat->registry() == this)
            delete chat;
    }
}

} // namespace kivo
