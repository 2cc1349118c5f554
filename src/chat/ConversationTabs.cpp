// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConversationTabs.h"

#include "FormChat.h"

#include <QCloseEvent>
#include <QCursor>
#include <QDrag>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QShortcut>
#include <QStyleOptionTab>
#include <QTabBar>
#include <QVBoxLayout>

namespace kivo {
namespace {

// A tab whose data is true holds lines not seen yet: its title is bold.
bool unseen(const QTabBar* bar, int index) {
    return bar->tabData(index).toBool();
}

class UnseenTabBar final : public QTabBar {
public:
    explicit UnseenTabBar(ConversationTabs* owner, QWidget* parent)
        : QTabBar(parent)
        , owner_(owner) {
        setAcceptDrops(true);
    }

protected:
    // Room for the bold title, so a tab keeps its width as lines come and are seen.
    QSize tabSizeHint(int index) const override {
        QSize size = QTabBar::tabSizeHint(index);
        QFont bold = font();
        bold.setBold(true);
        const QString text = tabText(index);
        size.rwidth() +=
            QFontMetrics(bold).horizontalAdvance(text) - fontMetrics().horizontalAdvance(text);
        return size;
    }

    void mousePressEvent(QMouseEvent* event) override {
        // The conversation, not its index: moving a tab along the bar changes the indices.
        pressed_ =
            event->button() == Qt::LeftButton
                ? static_cast<FormChat*>(owner_->tabs()->widget(tabAt(event->position().toPoint())))
                : nullptr;
        QTabBar::mousePressEvent(event);
    }

    // Sideways a tab moves along the bar; well off the bar it leaves it.
    void mouseMoveEvent(QMouseEvent* event) override {
        const int away = std::abs(event->position().toPoint().y() - height() / 2);
        if (!pressed_ || !(event->buttons() & Qt::LeftButton) || away < 2 * height())
            return QTabBar::mouseMoveEvent(event);
        FormChat* chat = std::exchange(pressed_, nullptr);
        // The bar's own moving of the tab ends here.
        QMouseEvent release(QEvent::MouseButtonRelease, event->position(), event->globalPosition(),
                            Qt::LeftButton, Qt::NoButton, event->modifiers());
        QTabBar::mouseReleaseEvent(&release);
        if (ConversationTabs::dragConversation(this, chat))
            owner_->draggedOut(chat, QCursor::pos());
    }

    void dragEnterEvent(QDragEnterEvent* event) override {
        if (event->mimeData()->hasFormat(ConversationTabs::DragFormat))
            event->acceptProposedAction();
    }

    void dropEvent(QDropEvent* event) override {
        if (!event->mimeData()->hasFormat(ConversationTabs::DragFormat))
            return;
        event->acceptProposedAction();
        owner_->dropped(QString::fromUtf8(event->mimeData()->data(ConversationTabs::DragFormat)));
    }

private:
    ConversationTabs* owner_;
    QPointer<FormChat> pressed_;
};

class UnseenTabStyle final : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        const auto* tab = qstyleoption_cast<const QStyleOptionTab*>(option);
        const auto* bar = qobject_cast<const QTabBar*>(widget);
        if (element != CE_TabBarTabLabel || !tab || !bar || !unseen(bar, tab->tabIndex))
            return QProxyStyle::drawControl(element, option, painter, widget);
        painter->save();
        QFont bold = painter->font();
        bold.setBold(true);
        painter->setFont(bold);
        QProxyStyle::drawControl(element, option, painter, widget);
        painter->restore();
    }
};

// What the caption shows: "[*]" is written doubled so that Qt shows it as it is, and a tab's
// "&" would make an access key of a name from the network.
QString tabTitle(const FormChat* chat) {
    QString title = chat->windowTitle();
    return title.replace(QStringLiteral("[*][*]"), QStringLiteral("[*]"))
        .replace(u'&', QStringLiteral("&&"));
}

class TabsWidget final : public QTabWidget {
public:
    TabsWidget(ConversationTabs* parent, std::function<void()> emptied)
        : QTabWidget(parent)
        , emptied_(std::move(emptied)) {
        setTabBar(new UnseenTabBar(parent, this));
    }

protected:
    void tabRemoved(int) override {
        if (count() == 0)
            emptied_();
    }

private:
    std::function<void()> emptied_;
};

} // namespace

ConversationTabs::ConversationTabs(QWidget* parent)
    : QWidget(parent)
    , tabs_(new TabsWidget(this, [this] { close(); })) {
    setObjectName(QStringLiteral("ConversationTabs"));
    setAttribute(Qt::WA_DeleteOnClose);
    tabs_->setObjectName(QStringLiteral("tabConversations"));
    tabs_->setDocumentMode(true);
    tabs_->setTabsClosable(true);
    tabs_->setMovable(true);
    tabs_->setElideMode(Qt::ElideRight);
    tabs_->tabBar()->setStyle(new UnseenTabStyle(tabs_->tabBar()->style()));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tabs_);

    connect(tabs_, &QTabWidget::tabCloseRequested, this,
            [this](int index) { tabs_->widget(index)->close(); });
    connect(tabs_, &QTabWidget::currentChanged, this, [this] {
        if (FormChat* chat = current()) {
            setWindowTitle(chat->windowTitle());
            chat->txtMessage->setFocus();
        }
    });
    const auto step = [this](int by) {
        if (tabs_->count() > 0)
            tabs_->setCurrentIndex((tabs_->currentIndex() + by + tabs_->count()) % tabs_->count());
    };
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageDown), this), &QShortcut::activated,
            this, [step] { step(+1); });
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageUp), this), &QShortcut::activated,
            this, [step] { step(-1); });
    for (int n = 1; n <= 9; ++n) {
        connect(new QShortcut(QKeySequence(Qt::ALT | (Qt::Key_0 + n)), this), &QShortcut::activated,
                this, [this, n] {
                    if (n <= tabs_->count())
                        tabs_->setCurrentIndex(n - 1);
                });
    }
}

bool ConversationTabs::dragConversation(QWidget* source, const FormChat* chat) {
    auto* drag = new QDrag(source);
    auto* data = new QMimeData;
    data->setData(DragFormat, chat->conversation().toUtf8());
    drag->setMimeData(data);
    return drag->exec(Qt::MoveAction) == Qt::IgnoreAction;
}

void ConversationTabs::add(FormChat* chat, bool select) {
    const QSize size = chat->size();
    const int index = tabs_->addTab(chat, tabTitle(chat));
    tabs_->tabBar()->setTabData(index, chat->hasUnread());
    // The first tab sizes the window as its own window would be, unless it has a place.
    if (tabs_->count() == 1 && !testAttribute(Qt::WA_Resized))
        resize(size + QSize(0, tabs_->tabBar()->sizeHint().height()));
    connect(chat, &QWidget::windowTitleChanged, this, [this, chat] { showTitle(chat); });
    connect(chat, &FormChat::unreadChanged, this, [this, chat] { showTitle(chat); });
    if (select)
        this->select(chat);
}

void ConversationTabs::release(FormChat* chat) {
    disconnect(chat, nullptr, this, nullptr);
    const QPoint place = pos();
    chat->setParent(nullptr); // a window again, of the size its tab had
    chat->move(place);
}

void ConversationTabs::select(FormChat* chat) {
    tabs_->setCurrentWidget(chat);
}

FormChat* ConversationTabs::current() const {
    return static_cast<FormChat*>(tabs_->currentWidget());
}

bool ConversationTabs::holds(const FormChat* chat) const {
    return tabs_->indexOf(chat) >= 0;
}

QList<FormChat*> ConversationTabs::conversations() const {
    QList<FormChat*> all;
    for (int i = 0; i < tabs_->count(); ++i)
        all.append(static_cast<FormChat*>(tabs_->widget(i)));
    return all;
}

void ConversationTabs::closeEvent(QCloseEvent* event) {
    // Each conversation ends as closing its own window would end it.
    for (FormChat* chat : conversations())
        chat->close();
    event->accept();
    Q_EMIT closed();
}

void ConversationTabs::showTitle(FormChat* chat) {
    const int index = tabs_->indexOf(chat);
    if (index < 0)
        return;
    tabs_->setTabText(index, tabTitle(chat));
    tabs_->tabBar()->setTabData(index, chat->hasUnread());
    tabs_->tabBar()->update();
    if (chat == current())
        setWindowTitle(chat->windowTitle());
}

} // namespace kivo
