// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PendingSends.h"

#include <QDateTime>
#include <QFont>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <memory>

namespace kivo {

class ConnectionController;
class ConversationTabs;
class UnsentText;
class FormChat;
class HistoryStore;
class SpellChecker;
class WindowPlaces;

// The open chat windows: private ones by contact name (letter case does not count), and the
// one conference window.
class ChatRegistry : public QObject {
    Q_OBJECT
public:
    explicit ChatRegistry(ConnectionController& connection, QObject* parent = nullptr);
    ~ChatRegistry() override;

    ConnectionController& connection() { return connection_; }
    // What was sent from the windows and awaits the server's answer.
    PendingSends& pendingSends() { return pendingSends_; }

    // Opens the private window for this name, or shows and focuses the open one.
    FormChat* OpenChatWindow(const QString& contactName);
    // The same for a message that came: the window is shown without the focus, which
    // bringToFront() then gives or not.
    FormChat* openForMessage(const QString& contactName);
    // Messages from people who are not contacts open windows too (off: they are shown
    // nowhere). Such a window says so in its first line and offers to add the sender.
    void setStrangerWindows(bool open) { strangerWindows_ = open; }
    bool strangerWindows() const { return strangerWindows_; }
    // At most this many such windows are open at once: two thousand senders cannot open two
    // thousand windows.
    static constexpr qsizetype MaxStrangerWindows = 20;
    // Whether a message from this person, who is not a contact, may open a window now.
    bool roomForStranger(const QString& name) const;
    FormChat* openForStranger(const QString& name);
    // Asks to add a contact of this name; whether it was added.
    std::function<bool(const QString&)> addContact = [](const QString&) { return false; };
    // Opens the login dialog, once the current event is handled.
    std::function<void()> askForLogin = [] {};
    FormChat* window(const QString& contactName) const;
    // Brings the window to the front and gives it the focus, once the current event is
    // handled: a burst of messages asks the window manager once, not once per message, and
    // not at all while the window is already the active one. While the user is typing in
    // another Kivo window, or in another program, the window is raised and the focus stays;
    // with the preference off it only asks for attention.
    void bringToFront(FormChat* chat);
    void setMessagesBringToFront(bool bring) { messagesBringToFront_ = bring; }
    // Room lines that name the logged-in user are drawn on the highlight colour.
    void setHighlightMentions(bool highlight);
    // Every transcript's text is this many points larger than the default (smaller below 0).
    void setTextZoom(int steps);
    // Private windows open where they were last closed; none: where they always open.
    void setWindowPlaces(WindowPlaces* places) { places_ = places; }
    // Spelling is checked in this language's dictionary; none: not checked.
    void setSpelling(const QString& language);
    SpellChecker* spelling() const { return spelling_.get(); }
    // The transcripts' font; one with nothing set is the system's.
    void setTranscriptFont(const QFont& font);
    // The contacts' names, for completing names in a room.
    std::function<QStringList()> contactNames = [] { return QStringList(); };
    // A key pressed in the active Kivo window within this time, or words in its message line
    // not yet sent, mean the user is typing there; with no Kivo window active, a key (or the
    // pointer) in any program within this time, where the X server tells.
    static constexpr qint64 TypingPause = 2000; // ms
    bool userIsTyping() const;
    // The same at once, and a minimized window is shown normal again: the user asked for it
    // (clicked a notification, whose activation token lets a Wayland compositor agree).
    void restore(FormChat* chat, const QString& activationToken = {});
    qsizetype openCount() const { return OpenChats.size(); }
    // Every open chat window: the private ones, then the conference window.
    QList<FormChat*> windows() const;
    void forget(const FormChat* window);

    // Creates the conference window and makes it the current one.
    FormChat* openConference(const QString& conferenceAddress);
    QPointer<FormChat> ServerChatWindow;

    // Where the windows keep their lines, and show them again from; none while history is
    // off.
    void setHistory(HistoryStore* history) { history_ = history; }
    HistoryStore* history() const { return history_; }
    // Where a closing window leaves what was typed and not sent; none while that is off.
    void setUnsentText(UnsentText* unsent) { unsent_ = unsent; }
    UnsentText* unsentText() const { return unsent_; }

    // Conversations as tabs of one window instead of windows of their own; switching moves
    // the open ones, their lines and what is typed in them.
    void setTabs(bool on);
    // The window of the tabs; none while conversations have windows of their own.
    ConversationTabs* tabs() const;
    // A tab dragged out becomes a window of its own there; a conversation dropped on the tabs
    // (by its key) becomes a tab again.
    void detach(FormChat* chat, const QPoint& at);
    void attach(const QString& conversation);

    // Closes every chat window, each through its own unload; the program is ending, so the
    // conference window does not reconnect.
    void closeAll();
    bool exiting() const { return exiting_; }

Q_SIGNALS:
    // Ctrl+F in a chat window.
    void searchRequested(FormChat* chat);
    // Ctrl++, Ctrl+- or Ctrl+wheel (+1, -1) or Ctrl+0 (0) in a chat window.
    void zoomRequested(int change);

protected:
    // Installed on the application: notes each key press, for userIsTyping().
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static QString keyOf(const QString& contactName) { return contactName.toCaseFolded(); }
    static QString placeName(const QString& contactName) {
        return QStringLiteral("chat/") + keyOf(contactName);
    }
    FormChat* open(const QString& contactName, bool activate);
    // Shows a new conversation: its window, or its tab, given the focus or not.
    void present(FormChat* chat, bool activate);
    // Shows an open conversation without giving it the focus.
    void showQuietly(FormChat* chat);
    // The window to raise for a conversation, its tab chosen there.
    QWidget* frontOf(FormChat* chat);
    void newTabs();
    FormChat* make();
    void noteFocus();

    ConnectionController& connection_;
    QHash<QString, QPointer<FormChat>> OpenChats;
    bool exiting_ = false;
    HistoryStore* history_ = nullptr;
    UnsentText* unsent_ = nullptr;
    QList<QPointer<FormChat>> frontRequests_;
    QPointer<FormChat> lastFront_;
    bool frontScheduled_ = false;
    bool messagesBringToFront_ = true;
    int textZoom_ = 0;
    QFont transcriptFont_;
    bool highlightMentions_ = false;
    bool strangerWindows_ = false;
    QList<QPointer<FormChat>> strangers_;
    WindowPlaces* places_ = nullptr;
    bool tabsOn_ = false;
    QPointer<ConversationTabs> tabs_; // deletes itself as it closes
    std::unique_ptr<SpellChecker> spelling_;
    QDateTime lastKey_;
    QPointer<QWidget> lastKeyWindow_;
    // Where the focus was, and whether the user was typing, when this batch's first message
    // came.
    bool focusNoted_ = false;
    QPointer<QWidget> focusBefore_;
    bool typing_ = false;
    PendingSends pendingSends_;
};

} // namespace kivo
