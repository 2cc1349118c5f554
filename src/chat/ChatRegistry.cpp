// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChatRegistry.h"

#include "Clock.h"
#include "ConnectionController.h"
#include "ConversationTabs.h"
#include "FormChat.h"
#include "SpellChecker.h"
#include "SpellingUnderline.h"
#include "SystemInput.h"
#include "TranscriptView.h"
#include "Widgets.h"
#include "WindowPlaces.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>

namespace kivo {

ChatRegistry::ChatRegistry(ConnectionController& connection, QObject* parent)
    : QObject(parent)
    , connection_(connection) {
    qApp->installEventFilter(this);
    // Answers to what was sent before come on that connection only.
    connect(&connection_, &ConnectionController::connectionLost, this,
            [this] { pendingSends_.clear(); });
}

bool ChatRegistry::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        lastKey_ = Clock::current().now();
        lastKeyWindow_ = QApplication::activeWindow();
    }
    return QObject::eventFilter(watched, event);
}

bool ChatRegistry::userIsTyping() const {
    const QWidget* active = QApplication::activeWindow();
    // In another program: keys typed there must stay there.
    if (!active)
        return userInputWithin(TypingPause);
    if (active == lastKeyWindow_ && lastKey_.isValid() &&
        lastKey_.msecsTo(Clock::current().now()) < TypingPause)
        return true;
    const auto* chat =
        tabs_ && active == tabs_ ? tabs_->current() : qobject_cast<const FormChat*>(active);
    return chat && !chat->txtMessage->text().isEmpty();
}

ChatRegistry::~ChatRegistry() {
    closeAll();
}

FormChat* ChatRegistry::OpenChatWindow(const QString& contactName) {
    return open(contactName, true);
}

FormChat* ChatRegistry::openForMessage(const QString& contactName) {
    noteFocus();
    return open(contactName, false);
}

bool ChatRegistry::roomForStranger(const QString& name) const {
    if (window(name))
        return true;
    return std::count_if(strangers_.begin(), strangers_.end(),
                         [](const QPointer<FormChat>& chat) { return chat; }) < MaxStrangerWindows;
}

FormChat* ChatRegistry::openForStranger(const QString& name) {
    const bool known = window(name) != nullptr;
    FormChat* chat = openForMessage(name);
    if (known)
        return chat;
    strangers_.removeAll(nullptr);
    strangers_.append(chat);
    chat->transcript().appendStatusLine(tr("*** %1 is not in your contacts.").arg(name));
    auto* add = new QAction(tr("&Add to Contacts..."), chat);
    connect(add, &QAction::triggered, this, [this, chat, add] {
        if (addContact(chat->ContactName))
            delete add;
    });
    // The window's own menu, and the transcript's.
    chat->addAction(add);
    chat->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(chat, &QWidget::customContextMenuRequested, chat, [chat](const QPoint& at) {
        auto* menu = new QMenu(chat);
        menu->addActions(chat->actions());
        popUp(menu, chat->mapToGlobal(at));
    });
    chat->txtChat->addAction(add);
    return chat;
}

void ChatRegistry::noteFocus() {
    // Once per batch, before a window shown for a message may have taken the focus.
    if (focusNoted_)
        return;
    focusNoted_ = true;
    // A batch ends with the events of the moment, whether a window was brought up or not
    // (an echo of "/pm" only opens one): the next message notes the focus afresh.
    QTimer::singleShot(0, this, [this] { focusNoted_ = false; });
    focusBefore_ = QApplication::activeWindow();
    typing_ = userIsTyping();
}

FormChat* ChatRegistry::open(const QString& contactName, bool activate) {
    if (FormChat* open = window(contactName)) {
        // The user asked for it: at once, whatever was being typed.
        if (activate)
            kivo::bringToFront(frontOf(open));
        else
            showQuietly(open);
        return open;
    }
    FormChat* chat = make();
    chat->SetContact(contactName);
    if (places_ && !tabsOn_)
        places_->restore(chat, placeName(contactName));
    OpenChats.insert(keyOf(contactName), chat);
    present(chat, activate);
    return chat;
}

void ChatRegistry::present(FormChat* chat, bool activate) {
    QWidget* window = chat;
    if (tabsOn_) {
        if (!tabs_)
            newTabs();
        tabs_->add(chat, activate);
        window = tabs_;
        if (window->isVisible()) {
            if (activate)
                kivo::activate(window);
            return;
        }
    }
    window->setAttribute(Qt::WA_ShowWithoutActivating, !activate);
    window->show();
    window->setAttribute(Qt::WA_ShowWithoutActivating, false);
}

void ChatRegistry::showQuietly(FormChat* chat) {
    if (!tabs_ || !tabs_->holds(chat))
        return chat->show();
    if (tabs_->isVisible())
        return;
    tabs_->setAttribute(Qt::WA_ShowWithoutActivating, true);
    tabs_->show();
    tabs_->setAttribute(Qt::WA_ShowWithoutActivating, false);
}

ConversationTabs* ChatRegistry::tabs() const {
    return tabs_;
}

void ChatRegistry::newTabs() {
    static const QString PlaceName = QStringLiteral("tabs");
    tabs_ = new ConversationTabs;
    if (places_)
        places_->restore(tabs_, PlaceName);
    tabs_->dropped = [this](const QString& conversation) { attach(conversation); };
    tabs_->draggedOut = [this](FormChat* chat, const QPoint& at) { detach(chat, at); };
    connect(tabs_, &ConversationTabs::closed, this, [this] {
        if (places_)
            places_->keep(tabs_, PlaceName);
        tabs_ = nullptr;
    });
}

void ChatRegistry::detach(FormChat* chat, const QPoint& at) {
    if (!tabs_ || !tabs_->holds(chat))
        return;
    tabs_->release(chat);
    chat->move(at);
    chat->show();
    kivo::activate(chat);
}

void ChatRegistry::attach(const QString& conversation) {
    const QList<FormChat*> open = windows();
    const auto chat = std::find_if(open.begin(), open.end(), [&](const FormChat* chat) {
        return chat->conversation() == conversation;
    });
    if (chat == open.end() || !tabsOn_ || (tabs_ && tabs_->holds(*chat)))
        return;
    present(*chat, true);
}

QWidget* ChatRegistry::frontOf(FormChat* chat) {
    if (tabs_ && tabs_->holds(chat))
        tabs_->select(chat);
    return chat->window();
}

void ChatRegistry::setTabs(bool on) {
    if (std::exchange(tabsOn_, on) == on)
        return;
    if (!on) {
        if (tabs_) {
            for (FormChat* chat : tabs_->conversations()) {
                tabs_->release(chat);
                chat->show();
            }
            delete tabs_;
        }
        return;
    }
    const QList<FormChat*> open = windows();
    if (open.isEmpty())
        return;
    newTabs();
    tabs_->move(open.first()->pos());
    FormChat* front = nullptr;
    for (FormChat* chat : open) {
        if (chat->isActiveWindow())
            front = chat;
    }
    for (FormChat* chat : open)
        tabs_->add(chat, chat == front);
    tabs_->show();
    if (front)
        kivo::activate(tabs_);
}

void ChatRegistry::bringToFront(FormChat* chat) {
    noteFocus();
    frontRequests_.removeAll(chat);
    frontRequests_.append(chat);
    if (frontScheduled_)
        return;
    frontScheduled_ = true;
    QTimer::singleShot(0, this, [this] {
        frontScheduled_ = false;
        const QList<QPointer<FormChat>> requests = std::exchange(frontRequests_, {});
        // Words meant for one person never go to another: while the user types, the focus
        // stays where it was when the message came.
        const QPointer<QWidget> keep =
            typing_ || !messagesBringToFront_ ? focusBefore_ : QPointer<QWidget>();
        for (const QPointer<FormChat>& request : requests) {
            // Activation is asynchronous: a window that looks active may have been asked to
            // give way to another one a moment ago, so only the last one asked is skipped.
            if (!request || (request == lastFront_ && request->inFront()))
                continue;
            showQuietly(request);
            // Not even raised while the user types: some window managers (xfwm4) give the
            // keyboard to a window that raises itself.
            if (!messagesBringToFront_ || (typing_ && focusBefore_ != request)) {
                QApplication::alert(request);
                continue;
            }
            activate(frontOf(request));
            lastFront_ = request;
        }
        // Where showing a window gives it the focus whatever it was asked (Wayland, some
        // window managers), the focus goes back.
        if (keep && !keep->isActiveWindow())
            activate(keep);
    });
}

void ChatRegistry::restore(FormChat* chat, const QString& activationToken) {
    kivo::bringToFront(frontOf(chat), activationToken);
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
    if (OpenChats.value(key) != chat)
        return;
    OpenChats.remove(key);
    if (places_ && chat->isWindow())
        places_->keep(chat, placeName(chat->ContactName));
}

FormChat* ChatRegistry::make() {
    auto* chat = new FormChat(*this);
    connect(chat, &FormChat::searchRequested, this, &ChatRegistry::searchRequested);
    connect(chat, &FormChat::zoomRequested, this, &ChatRegistry::zoomRequested);
    // At the default the transcript keeps the font it always had.
    if (textZoom_ != 0 || transcriptFont_.resolveMask() != 0)
        applyTextZoom(chat->txtChat, textZoom_, transcriptFont_);
    return chat;
}

void ChatRegistry::setHighlightMentions(bool highlight) {
    if (std::exchange(highlightMentions_, highlight) != highlight && ServerChatWindow)
        ServerChatWindow->txtChat->viewport()->update();
}

void ChatRegistry::setTextZoom(int steps) {
    if (std::exchange(textZoom_, steps) == steps)
        return;
    for (FormChat* chat : windows())
        applyTextZoom(chat->txtChat, steps, transcriptFont_);
}

void ChatRegistry::setSpelling(const QString& language) {
    if (language == (spelling_ ? spelling_->language() : QString()))
        return;
    spelling_ = language.isEmpty() ? nullptr : std::make_unique<SpellChecker>(language);
    const auto underline = [this] {
        for (FormChat* chat : windows())
            chat->findChild<SpellingUnderline*>()->update();
    };
    if (spelling_)
        connect(spelling_.get(), &SpellChecker::loaded, this, underline);
    underline();
}

void ChatRegistry::setTranscriptFont(const QFont& font) {
    if (font == transcriptFont_ && font.resolveMask() == transcriptFont_.resolveMask())
        return;
    transcriptFont_ = font;
    for (FormChat* chat : windows())
        applyTextZoom(chat->txtChat, textZoom_, font);
}

FormChat* ChatRegistry::openConference(const QString& conferenceAddress) {
    FormChat* chat = make();
    chat->txtChat->mentionedName = [this] {
        return highlightMentions_ ? connection_.LoggedUser : QString();
    };
    ServerChatWindow = chat;
    chat->SetServer(conferenceAddress);
    present(chat, true);
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
    delete tabs_;
}

} // namespace kivo
