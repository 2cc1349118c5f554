// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>
#include <utility>

namespace kivo {

class Form1;

// Kivo in the desktop's notification area (StatusNotifierItem over D-Bus, where a panel
// offers one): the connection state, a mark while a private message waits unread, a click
// to bring the main window to the front, and a menu to connect or disconnect, reach an
// open conversation, or exit.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    explicit TrayIcon(Form1& form);

    // Whether the desktop has a notification area to show it in.
    static bool available();

    QSystemTrayIcon& icon() { return icon_; }
    QMenu& menu() { return menu_; }
    bool attention() const { return attention_; }
    // Shows the state anew, once the current event is handled.
    void update() { later_.start(); }

private:
    void show();
    void fillConversations();
    void bringMainWindowToFront();

    Form1& form_;
    QMenu menu_;
    QMenu* conversations_;
    QSystemTrayIcon icon_;
    QTimer later_;
    bool attention_ = false;
    std::pair<bool, bool> shown_; // online, attention
};

} // namespace kivo
