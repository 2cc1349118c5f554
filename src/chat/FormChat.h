// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ChatLayout.h"
#include "NameCompletion.h"
#include "SentLines.h"
#include "TranscriptModel.h"
#include "TranscriptView.h"
#include "UnreadMarker.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kivo {

class ChatRegistry;

// One conversation: a private chat with a contact (mode 0) or the conference room (mode 1).
class FormChat : public QWidget {
    Q_OBJECT
public:
    static inline const QString ServerMarker = QStringLiteral("__SERVER__");
    static constexpr int HistoryLines = 100; // shown from the history when a window opens

    explicit FormChat(ChatRegistry& registry);

    QString ContactName;
    qint16 ChatMode = 0;

    QLabel* lblContact;
    TranscriptView* txtChat;
    QLineEdit* txtMessage;
    QPushButton* cmdSend;

    void SetContact(const QString& username);
    void SetServer(const QString& conferenceAddress);
    // Conference mode: the address joined, as SetServer was given it.
    const QString& conferenceAddress() const { return conferenceAddress_; }
    void ReceiveMessage(const QString& sender, const QString& message);
    // The conversation's key in the history, and its name there.
    QString conversation() const;
    QString conversationTitle() const;
    TranscriptModel& transcript() { return txtChat->model(); }
    ChatRegistry& registry() const { return registry_; }
    // Lines came while the window was not active, and it has not been since.
    bool hasUnread() const { return unread_.waiting(); }
    // The user sees this conversation: its window is the active one, and where it is a tab,
    // the tab shown.
    bool inFront() const { return isActiveWindow() && isVisible(); }

    void cmdSend_Click();

Q_SIGNALS:
    // Ctrl+F: the history of this conversation is to be searched.
    void searchRequested(FormChat* chat);
    void zoomRequested(int change);
    void unreadChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Resize();
    void Form_Unload();
    void returnToHomeServer();
    void applyGeometry();
    void showHistory();
    void looked();
    void restoreUnsent();
    // Every new line of the transcript is stored, noted for Tab and for the unread marker.
    void lineAppended();
    void noteSpeaker(const ChatLine& line);
    QStringList completionNames() const;
    static constexpr qsizetype MaxSpeakers = 100;

    ChatRegistry& registry_;
    QString conferenceAddress_;
    QPoint dragFrom_; // where the name was pressed
    ChatGeometry geometry_ = ChatGeometry::design();
    SentLines sent_;
    NameCompletion completion_;
    QStringList speakers_;
    UnreadMarker unread_;
};

} // namespace kivo
