// SPDX-License-Identifier: GPL-3.0-or-later
#include "TrayIcon.h"

#include "ChatRegistry.h"
#include "ConnectionController.h"
#include "Form1.h"
#include "FormChat.h"
#include "Pictures.h"
#include "Widgets.h"

#include <QGuiApplication>
#include <QWindow>

namespace kivo {

TrayIcon::TrayIcon(Form1& form)
    : form_(form) {
    menu_.setObjectName(QStringLiteral("trayMenu"));
    menu_.addAction(form.mnuConnect);
    conversations_ = menu_.addMenu(tr("&Conversations"));
    conversations_->setObjectName(QStringLiteral("trayConversations"));
    menu_.addSeparator();
    menu_.addAction(tr("&Show Kivo"), this, &TrayIcon::bringMainWindowToFront);
    menu_.addAction(form.mnuExit);
    connect(&menu_, &QMenu::aboutToShow, this, &TrayIcon::fillConversations);
    icon_.setContextMenu(&menu_);
    connect(&icon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason why) {
                if (why == QSystemTrayIcon::Trigger || why == QSystemTrayIcon::DoubleClick)
                    bringMainWindowToFront();
            });
    later_.setSingleShot(true);
    later_.setInterval(0);
    connect(&later_, &QTimer::timeout, this, &TrayIcon::show);
    connect(&form.connection(), &ConnectionController::displayChanged, this, &TrayIcon::update);
    // Looking at a window may end the wait.
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &TrayIcon::update);
    show();
    icon_.show();
}

bool TrayIcon::available() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIcon::show() {
    const QList<FormChat*> open = form_.chats().windows();
    attention_ = std::any_of(open.begin(), open.end(), [](const FormChat* chat) {
        return chat->ChatMode == 0 && chat->hasUnread();
    });
    const ConnectionController::Display& display = form_.connection().display();
    // The panel is told only of a change.
    if (const std::pair shown(display.online, attention_);
        shown != shown_ || icon_.icon().isNull()) {
        shown_ = shown;
        icon_.setIcon(Pictures::notificationArea(
            display.online ? Pictures::OnlineYellow : Pictures::OfflineGrey, attention_));
    }
    const QString tip = attention_ ? tr("%1 - a message is waiting").arg(display.windowCaption)
                                   : display.windowCaption;
    if (tip != icon_.toolTip())
        icon_.setToolTip(tip);
}

void TrayIcon::fillConversations() {
    conversations_->clear();
    const QList<FormChat*> open = form_.chats().windows();
    for (FormChat* chat : open) {
        // Titles come from the network: no access key may be made of them.
        QString title = chat->windowTitle();
        conversations_->addAction(title.replace(u'&', QStringLiteral("&&")), chat,
                                  [this, chat] { form_.chats().restore(chat); });
    }
    conversations_->setEnabled(!open.isEmpty());
}

void TrayIcon::bringMainWindowToFront() {
    if (form_.isMinimized() || form_.isHidden())
        form_.showNormal();
    kivo::bringToFront(&form_);
}

} // namespace kivo
