// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTabWidget>
#include <QWidget>
#include <functional>

namespace kivo {

class FormChat;

// One window holding conversations as tabs: each tab a chat window's contents, titled with
// the caption its window would have, bold while it holds lines not seen. Ctrl+PgUp, Ctrl+PgDn
// and Alt+1..9 move between tabs; a tab's close button closes its conversation as closing its
// window would, and closing this window closes them all. It goes once its last tab has. A tab
// dragged off the tab bar becomes a window of its own; a conversation dropped on the bar (a tab
// of another window, or a window's name dragged) becomes a tab.
class ConversationTabs : public QWidget {
    Q_OBJECT
public:
    explicit ConversationTabs(QWidget* parent = nullptr);

    // Takes a conversation in as a tab, the current one if `select`.
    void add(FormChat* chat, bool select);
    // Gives a conversation its window again.
    void release(FormChat* chat);
    void select(FormChat* chat);
    FormChat* current() const;
    bool holds(const FormChat* chat) const;
    QList<FormChat*> conversations() const;

    QTabWidget* tabs() const { return tabs_; }

    // What a drag carries: the conversation's key (FormChat::conversation()).
    static inline const QString DragFormat = QStringLiteral("application/x-kivo-conversation");
    // Starts dragging a conversation from `source`; whether it was dropped where nothing took
    // it (outside Kivo, or on the desktop).
    static bool dragConversation(QWidget* source, const FormChat* chat);
    // A conversation dropped on the tab bar, and one dragged off it to the place given.
    std::function<void(const QString& conversation)> dropped = [](const QString&) {};
    std::function<void(FormChat* chat, const QPoint& at)> draggedOut = [](FormChat*,
                                                                          const QPoint&) {};

Q_SIGNALS:
    // The window closed: it takes no more tabs, and is deleted soon.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void showTitle(FormChat* chat);

    QTabWidget* tabs_;
};

} // namespace kivo
