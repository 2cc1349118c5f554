// SPDX-License-Identifier: GPL-3.0-or-later
#include "FormChat.h"

#include "ChatRegistry.h"
#include "ConnectionController.h"
#include "ConnectionFile.h"
#include "ConversationTabs.h"
#include "HistoryStore.h"
#include "Protocol.h"
#include "SpellingUnderline.h"
#include "Text.h"
#include "Twips.h"
#include "UnsentText.h"
#include "Widgets.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>

namespace kivo {
namespace {

QRect toPixels(const QRect& twips) {
    return twipsRect(twips.x(), twips.y(), twips.width(), twips.height());
}

} // namespace

FormChat::FormChat(ChatRegistry& registry)
    : QWidget(nullptr)
    , lblContact(new QLabel(tr("Contact's name"), this))
    , txtMessage(new QLineEdit(this))
    , cmdSend(new QPushButton(tr("Send"), this))
    , registry_(registry) {
    txtChat = new TranscriptView(this);
    txtChat->stackUnder(txtMessage); // read before the input line, as it is seen
    setObjectName(QStringLiteral("FormChat"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(twipsSize(ChatGeometry::DesignClientWidth, ChatGeometry::DesignClientHeight));

    lblContact->setObjectName(QStringLiteral("lblContact"));
    lblContact->setTextFormat(Qt::PlainText);
    QFont labelFont = lblContact->font();
    labelFont.setPointSizeF(9.75);
    lblContact->setFont(labelFont);
    txtChat->setObjectName(QStringLiteral("txtChat"));
    txtMessage->setObjectName(QStringLiteral("txtMessage"));
    txtChat->setAccessibleName(tr("Conversation"));
    txtMessage->setAccessibleName(tr("Message"));
    cmdSend->setObjectName(QStringLiteral("cmdSend"));
    applyGeometry();

    setTabOrder(txtMessage, cmdSend);
    setTabOrder(cmdSend, txtChat);
    txtMessage->setFocus();

    connect(cmdSend, &QPushButton::clicked, this, &FormChat::cmdSend_Click);
    onEnterKey(txtMessage, [this] { cmdSend_Click(); }); // the input line never sees Enter
    // The line edit cuts what goes beyond its length without a word.
    connect(txtMessage, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (text.size() >= txtMessage->maxLength())
            transcript().appendStatusLine(
                tr("*** The message line holds %1 characters at most; what went beyond that "
                   "was left out.")
                    .arg(txtMessage->maxLength()));
    });
    new SpellingUnderline(txtMessage, [this] { return registry_.spelling(); });
    txtChat->installEventFilter(this);
    txtMessage->installEventFilter(this);
    lblContact->installEventFilter(this);
    connect(&transcript(), &TranscriptModel::appended, this, &FormChat::lineAppended);
    auto* search = new QShortcut(QKeySequence::Find, this);
    connect(search, &QShortcut::activated, this, [this] { Q_EMIT searchRequested(this); });
    // Escape does not leave a room: that would end the conference by a slip of the finger.
    closeOnKeys(this, [this] { return ChatMode == 0; });
    zoomOnKeys(this, txtChat->viewport(), [this](int change) { Q_EMIT zoomRequested(change); });
}

QString FormChat::conversation() const {
    return ChatMode == 0 ? HistoryStore::privateConversation(ContactName)
                         : HistoryStore::roomConversation(conferenceAddress_);
}

QString FormChat::conversationTitle() const {
    return ChatMode == 0 ? ContactName : conferenceAddress_;
}

void FormChat::showHistory() {
    if (HistoryStore* history = registry_.history()) {
        QList<TranscriptModel::Line> lines;
        for (const HistoryStore::Line& stored : history->newest(conversation(), HistoryLines))
            lines.append(stored.line);
        transcript().appendHistory(lines);
    }
}

void FormChat::lineAppended() {
    const qsizetype index = transcript().count() - 1;
    const TranscriptModel::Line line = transcript().line(index);
    // The lines shown from the history are neither stored again nor news; nor is what Kivo
    // says of its own state.
    if (line.history || line.status)
        return;
    if (HistoryStore* history = registry_.history())
        history->append(conversation(), conversationTitle(), line);
    noteSpeaker(line);
    const bool waiting = unread_.waiting();
    unread_.arrived(transcript().dropped() + index, inFront());
    txtChat->setUnreadMarker(unread_.line());
    if (unread_.waiting() != waiting)
        Q_EMIT unreadChanged();
}

bool FormChat::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    // Sent to a window and to what it holds: a tab learns of it too.
    if (event->type() == QEvent::WindowActivate)
        looked();
    return handled;
}

void FormChat::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    looked(); // a tab chosen in an active window
}

void FormChat::looked() {
    if (!inFront() || !unread_.waiting())
        return;
    unread_.looked();
    Q_EMIT unreadChanged();
}

void FormChat::noteSpeaker(const ChatLine& line) {
    if (ChatMode != 1)
        return;
    if (line.form != ChatLine::Form::User || line.own ||
        (!speakers_.isEmpty() && speakers_.first() == line.sender))
        return;
    speakers_.removeIf([&line](const QString& speaker) {
        return speaker.compare(line.sender, Qt::CaseInsensitive) == 0;
    });
    speakers_.prepend(line.sender);
    if (speakers_.size() > MaxSpeakers)
        speakers_.removeLast();
}

QStringList FormChat::completionNames() const {
    if (ChatMode == 0)
        return {ContactName};
    return speakers_ + registry_.contactNames();
}

void FormChat::SetContact(const QString& username) {
    ChatMode = 0;
    ContactName = username;
    txtChat->spokenInBackground = true;
    setPlainWindowTitle(this, tr("%1 - Chat").arg(shownInLine(username)));
    lblContact->setText(shownInLine(username));
    showHistory();
    restoreUnsent();
}

void FormChat::SetServer(const QString& conferenceAddress) {
    ChatMode = 1;
    ContactName = ServerMarker;
    txtChat->spokenInBackground = false;
    conferenceAddress_ = conferenceAddress;
    setPlainWindowTitle(this, tr("%1 Room").arg(shownInLine(conferenceAddress)));
    lblContact->setText(shownInLine(conferenceAddress));
    showHistory();
    restoreUnsent();
}

void FormChat::restoreUnsent() {
    if (const UnsentText* unsent = registry_.unsentText()) {
        const UnsentText::Kept kept = unsent->kept(conversation());
        sent_ = SentLines(kept.sent);
        txtMessage->setText(kept.unsent); // the cursor at its end
    }
}

void FormChat::ReceiveMessage(const QString& sender, const QString& message) {
    if (message.startsWith(QStringLiteral("*** ")))
        transcript().appendSystemLine(message);
    else
        transcript().appendUserLine(sender, message, registry_.connection().LoggedUser);
}

void FormChat::cmdSend_Click() {
    // A pasted text of several lines goes out as one message per line, each as if typed.
    const QStringList lines = linesToSend(txtMessage->text());
    if (lines.isEmpty())
        return;
    ConnectionController& connection = registry_.connection();
    // Without a connection nothing is sent, so nothing is echoed and the text stays typed.
    if (!connection.isConnected()) {
        transcript().appendStatusLine(tr("*** Not sent: there is no connection to a server."));
        txtMessage->setFocus();
        return;
    }
    for (const QString& text : lines) {
        // What was refused is not echoed, and stays typed.
        if (ChatMode == 0) {
            if (!connection.SendMessageToUser(ContactName,
                                              Command::privateMessage(ContactName, text)))
                return;
            ReceiveMessage(connection.LoggedUser, text);
            registry_.pendingSends().privateSent(ContactName, text);
        } else {
            if (!connection.SendMessageToUser(QString(), text))
                return;
            // A private message typed here belongs to that conversation too.
            if (const std::optional<PendingSends::Sent> message = typedPrivateMessage(text))
                registry_.openForMessage(message->conversation)
                    ->ReceiveMessage(connection.LoggedUser, message->text);
            registry_.pendingSends().roomLineSent(ContactName, text);
        }
        sent_.add(text);
    }
    txtMessage->clear();
    txtMessage->setFocus();
}

bool FormChat::eventFilter(QObject* watched, QEvent* event) {
    // While conversations are tabs, a window's name dragged onto the tab bar makes it a tab.
    if (watched == lblContact && isWindow() && registry_.tabs() &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseMove)) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (event->type() == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton)
            dragFrom_ = mouse->position().toPoint();
        if (event->type() == QEvent::MouseMove && (mouse->buttons() & Qt::LeftButton) &&
            (mouse->position().toPoint() - dragFrom_).manhattanLength() >=
                QApplication::startDragDistance()) {
            ConversationTabs::dragConversation(lblContact, this);
            return true;
        }
    }
    if (watched == txtChat && event->type() == QEvent::FocusIn) {
        // The transcript never keeps the keyboard, except for a screen reader's user who
        // moves into it to read it line by line.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (screenReaderListens() &&
            (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason))
            txtChat->startReading();
        else if (!(reason == Qt::PopupFocusReason && txtChat->reading()))
            txtMessage->setFocus();
    }
    // Escape while reading goes back to the message line; it does not close the window.
    if (watched == txtChat &&
        (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        event->accept();
        if (event->type() == QEvent::KeyPress)
            txtMessage->setFocus();
        return true;
    }
    // The keyboard stays in the input line, so Ctrl+C copies the transcript's selection
    // from there when the line has none of its own.
    if (watched == txtMessage && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event) == QKeySequence::Copy && !txtMessage->hasSelectedText() &&
        txtChat->hasSelection()) {
        txtChat->copy();
        return true;
    }
    // Page Up and Page Down in the input line page through the transcript; Up and Down walk
    // through what was sent from here.
    if (watched == txtMessage && event->type() == QEvent::KeyPress) {
        const auto* press = static_cast<QKeyEvent*>(event);
        const int key = press->key();
        if (key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
            QCoreApplication::sendEvent(txtChat, event);
            return true;
        }
        if (key == Qt::Key_Tab && press->modifiers() == Qt::NoModifier) {
            // Nothing to complete: Tab moves the focus, as it always did.
            const qsizetype cursor = txtMessage->cursorPosition();
            std::optional<NameCompletion::Edit> edit =
                completion_.again(txtMessage->text(), cursor);
            if (!edit)
                edit = completion_.start(txtMessage->text(), cursor, completionNames());
            if (!edit)
                return false;
            txtMessage->setText(edit->text);
            txtMessage->setCursorPosition(static_cast<int>(edit->cursor));
            return true;
        }
        if ((key == Qt::Key_Up || key == Qt::Key_Down) && press->modifiers() == Qt::NoModifier) {
            const std::optional<QString> line =
                key == Qt::Key_Up ? sent_.older(txtMessage->text()) : sent_.newer();
            if (line)
                txtMessage->setText(*line);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FormChat::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Form_Resize();
}

void FormChat::Form_Resize() {
    layoutChat(geometry_, pixelsToTwips(width()), pixelsToTwips(height()));
    applyGeometry();
}

void FormChat::applyGeometry() {
    lblContact->setGeometry(toPixels(geometry_.lblContact));
    txtChat->setGeometry(toPixels(geometry_.txtChat));
    txtMessage->setGeometry(toPixels(geometry_.txtMessage));
    cmdSend->setGeometry(toPixels(geometry_.cmdSend));
}

void FormChat::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

void FormChat::Form_Unload() {
    if (UnsentText* unsent = registry_.unsentText())
        unsent->keep(conversation(), txtMessage->text(), sent_.lines());
    if (ChatMode == 0) {
        registry_.forget(this);
        return;
    }
    if (registry_.ServerChatWindow == this)
        registry_.ServerChatWindow = nullptr;
    // Leaving the room means going back to the home server, unless the program is ending.
    if (!registry_.exiting())
        returnToHomeServer();
}

void FormChat::returnToHomeServer() {
    const Keyring::Login saved = Keyring::saved();
    if (saved.host.isEmpty())
        return;
    // An unusable saved port is refused before the current connection is given up.
    const qint64 port = ConnectionFile::GetSavedPort();
    if (!ConnectionController::checkPort(port))
        return;
    ConnectionController& connection = registry_.connection();
    if (connection.Winsock1.state() != Winsock::Closed)
        connection.Winsock1.close();
    // The password comes from the event loop, so pending window and socket events run before
    // the new connect: this window is being closed and must not be re-entered meanwhile. A
    // keyring may take long to answer; what the user did meanwhile stands.
    const quint64 turn = connection.turn();
    ChatRegistry& registry = registry_;
    connection.keyring.password(
        saved, &connection, [&connection, &registry, saved, port, turn](const QString& password) {
            if (connection.turn() != turn || connection.Winsock1.state() != Winsock::Closed)
                return;
            // The keyring has none: asked for, not sent empty.
            if (password.isEmpty() && connection.keyring.enabled()) {
                registry.askForLogin();
                return;
            }
            connection.WaitingForLogin = true;
            connection.LoginUser = saved.username;
            connection.LoginPass = password;
            connection.connectTo(saved.host, static_cast<quint16>(port));
        });
}

} // namespace kivo
