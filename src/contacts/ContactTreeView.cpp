// SPDX-License-Identifier: GPL-3.0-or-later
#include "ContactTreeView.h"

#include "Colours.h"
#include "ContactTree.h"
#include "MessageBoxes.h"
#include "Pictures.h"
#include "Text.h"
#include "Twips.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

namespace kivo {
namespace {

QColor fromForeColor(int value) {
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

} // namespace

const QList<QIcon>& ContactTreeView::ImageList1() {
    static const QList<QIcon> pictures{Pictures::triangleRight(), Pictures::triangleDown(),
                                       Pictures::disc(Pictures::OnlineYellow),
                                       Pictures::disc(Pictures::OfflineGrey)};
    return pictures;
}

ContactTreeView::ContactTreeView(ContactTree& tree, QWidget* parent)
    : QTreeWidget(parent)
    , tree_(tree) {
    setObjectName(QStringLiteral("tvContacts"));
    setHeaderHidden(true);
    setColumnCount(1);
    setIndentation(twipsToPixels(150));
    setRootIsDecorated(false); // the category pictures show the expanded state
    setEditTriggers(NoEditTriggers);
    setSelectionMode(SingleSelection);
    setUniformRowHeights(true);
    setIconSize(QSize(16, 16));

    connect(&tree_, &ContactTree::nodeAdded, this, &ContactTreeView::onAdded);
    connect(&tree_, &ContactTree::nodeRemoving, this, &ContactTreeView::onRemoving);
    connect(&tree_, &ContactTree::nodeChanged, this, &ContactTreeView::refresh);
    connect(&tree_, &ContactTree::cleared, this, &ContactTreeView::onCleared);
    connect(this, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* item) { tree_.setExpanded(nodeFor(item), true); });
    connect(this, &QTreeWidget::itemCollapsed, this,
            [this](QTreeWidgetItem* item) { tree_.setExpanded(nodeFor(item), false); });
    buildPopup();
}

void ContactTreeView::buildPopup() {
    // Never in the menu bar: only the right button over the tree shows it.
    mnuContactsPopup = new QMenu(this);
    mnuContactsPopup->setObjectName(QStringLiteral("mnuContactsPopup"));
    const auto item = [this](const char* name, const QString& caption) {
        QAction* action = mnuContactsPopup->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    mnuAddCategory = item("mnuAddCategory", tr("Add category"));
    mnuDeleteCategory = item("mnuDeleteCategory", tr("Delete category"));
    mnuAddContact = item("mnuAddContact", tr("Add contact"));
    mnuDeleteContact = item("mnuDeleteContact", tr("Delete Contact"));
}

void ContactTreeView::tvContacts_MouseDown(Qt::MouseButton button, const QPoint& globalPosition) {
    if (button == Qt::RightButton)
        showPopup(globalPosition);
}

void ContactTreeView::showPopup(const QPoint& globalPosition) {
    ContextNode = SelectedItem();
    if (!ContextNode)
        return;
    const bool contactKey = ContactTree::hasContactKey(ContextNode);
    const bool general = ContextNode->Key == ContactTree::GeneralKey;
    mnuAddCategory->setEnabled(!contactKey);
    mnuDeleteCategory->setEnabled(!contactKey && !general);
    mnuAddContact->setEnabled(!contactKey);
    mnuDeleteContact->setEnabled(contactKey);
    mnuContactsPopup->popup(globalPosition);
}

void ContactTreeView::tvContacts_MouseUp(Qt::MouseButton button) {
    if (button != Qt::LeftButton)
        return;
    ContactNode* node = SelectedItem();
    if (node && node->isCategory())
        updateIconAfterPendingEvents(node->Key);
}

void ContactTreeView::updateIconAfterPendingEvents(QString key) {
    // An expansion caused by this click or key takes effect first. The events let run here
    // may delete the node (a Delete key), so only its key is kept across them.
    QCoreApplication::processEvents();
    if (ContactNode* node = tree_.node(key))
        UpdateCategoryIcon(node);
}

bool ContactTreeView::tvContacts_KeyDown(int key) {
    ContactNode* node = SelectedItem();
    if (!node)
        return false;
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (node->isCategory()) {
            updateIconAfterPendingEvents(node->Key);
            return false;
        }
        if (!ContactTree::hasContactKey(node))
            return false;
        Q_EMIT chatRequested(node->Text, true);
        return true;
    }
    if (key == Qt::Key_Delete) {
        if (node->isCategory() && node->Key == ContactTree::GeneralKey) {
            warn(tr("You cannot delete the General category!"));
            return false;
        }
        tree_.removeAfterAsking(node);
        return true;
    }
    return false;
}

void ContactTreeView::tvContacts_DblClick() {
    ContactNode* node = SelectedItem();
    if (node && !node->isCategory() && ContactTree::hasContactKey(node))
        Q_EMIT chatRequested(node->Text, false);
}

void ContactTreeView::UpdateCategoryIcon(ContactNode* node) {
    if (node->isCategory())
        tree_.setPicture(node, node->Expanded ? ContactTree::ExpandedPicture
                                              : ContactTree::CollapsedPicture);
}

QTreeWidgetItem* ContactTreeView::categoryPictureAt(const QMouseEvent* event) const {
    const QPoint position = event->position().toPoint();
    QTreeWidgetItem* item = itemAt(position);
    if (event->button() != Qt::LeftButton || !item || !nodeFor(item) ||
        !nodeFor(item)->isCategory())
        return nullptr;
    const QRect row = visualItemRect(item);
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin);
    return position.x() < row.left() + iconSize().width() + 2 * margin + 2 ? item : nullptr;
}

void ContactTreeView::mousePressEvent(QMouseEvent* event) {
    QTreeWidget::mousePressEvent(event);
    // A click on a category's triangle opens or closes it, as the picture promises.
    if (QTreeWidgetItem* item = categoryPictureAt(event))
        item->setExpanded(!item->isExpanded());
    tvContacts_MouseDown(event->button(), event->globalPosition().toPoint());
}

void ContactTreeView::mouseReleaseEvent(QMouseEvent* event) {
    QTreeWidget::mouseReleaseEvent(event);
    tvContacts_MouseUp(event->button());
}

void ContactTreeView::mouseDoubleClickEvent(QMouseEvent* event) {
    // On a triangle the second click of a double click is one more click, like the first.
    if (QTreeWidgetItem* item = categoryPictureAt(event))
        item->setExpanded(!item->isExpanded());
    else
        QTreeWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        tvContacts_DblClick();
}

void ContactTreeView::changeEvent(QEvent* event) {
    QTreeWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange) {
        for (const auto& node : tree_.nodes())
            refresh(node.get());
    }
}

void ContactTreeView::contextMenuEvent(QContextMenuEvent* event) {
    // The mouse's menu comes with the button press; the keyboard's (the Menu key) here.
    if (event->reason() == QContextMenuEvent::Keyboard)
        showPopupAtCurrentNode();
}

void ContactTreeView::showPopupAtCurrentNode() {
    if (mnuContactsPopup->isVisible())
        return; // the Menu key may come both as a key and as a context-menu request
    const QRect row = currentItem() ? visualItemRect(currentItem()) : QRect();
    showPopup(viewport()->mapToGlobal(row.isValid() ? row.center() : QPoint()));
}

void ContactTreeView::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Menu || (key == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier)) {
        showPopupAtCurrentNode();
        return;
    }
    const bool consumed = tvContacts_KeyDown(key);
    // Enter never reaches the tree's own handling, consumed above or not.
    if (consumed || key == Qt::Key_Return || key == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void ContactTreeView::drawBranches(QPainter* painter, const QRect& rect,
                                   const QModelIndex& index) const {
    // Lines join each contact to its category; the root has none. Drawn here because most
    // styles draw no branch lines at all.
    if (!index.parent().isValid())
        return;
    const bool last = index.row() == model()->rowCount(index.parent()) - 1;
    const int x = rect.right() - indentation() / 2;
    const int y = rect.center().y();
    painter->save();
    painter->setPen(QPen(palette().color(QPalette::Dark), 1, Qt::DotLine));
    painter->drawLine(x, rect.top(), x, last ? y : rect.bottom());
    painter->drawLine(x, y, rect.right(), y);
    painter->restore();
}

ContactNode* ContactTreeView::SelectedItem() const {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? nullptr : nodeFor(selected.first());
}

void ContactTreeView::select(ContactNode* node) {
    if (QTreeWidgetItem* item = itemFor(node))
        setCurrentItem(item);
    else
        clearSelection();
}

void ContactTreeView::onAdded(ContactNode* node) {
    QTreeWidgetItem* item =
        node->isCategory() ? new QTreeWidgetItem(this) : new QTreeWidgetItem(itemFor(node->Parent));
    items_.insert(node, item);
    nodes_.insert(item, node);
    refresh(node);
}

void ContactTreeView::onRemoving(ContactNode* node) {
    if (ContextNode == node)
        ContextNode = nullptr;
    QTreeWidgetItem* item = items_.take(node);
    nodes_.remove(item);
    delete item;
}

void ContactTreeView::onCleared() {
    ContextNode = nullptr;
    items_.clear();
    nodes_.clear();
    clear();
}

void ContactTreeView::refresh(ContactNode* node) {
    QTreeWidgetItem* item = itemFor(node);
    if (!item)
        return;
    item->setText(0, shownInLine(node->Text));
    // Zoomed, the tree's own font; otherwise the items' as always.
    QFont font = testAttribute(Qt::WA_SetFont) ? this->font() : item->font(0);
    font.setBold(node->Bold);
    item->setFont(0, font);
    item->setForeground(
        0, readableOn(fromForeColor(node->ForeColor), palette().color(QPalette::Base)));
    const QList<QIcon>& pictures = ImageList1();
    item->setIcon(0, node->Image >= 1 && node->Image <= pictures.size() ? pictures[node->Image - 1]
                                                                        : QIcon());
    if (item->isExpanded() != node->Expanded)
        item->setExpanded(node->Expanded);
}

} // namespace kivo
