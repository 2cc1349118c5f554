// SPDX-License-Identifier: GPL-3.0-or-later
#include "ContactTreeView.h"

#include "Colours.h"
#include "ContactTree.h"
#include "MessageBoxes.h"
#include "Pictures.h"
#include "Text.h"
#include "Twips.h"

#include <QAccessible>
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

// The tree's nodes as rows: categories at the top level, their contacts below. Each index
// points at its node, so nothing is copied for a row.
class ContactModel : public QAbstractItemModel {
public:
    ContactModel(ContactTree& tree, ContactTreeView& view)
        : QAbstractItemModel(&view)
        , tree_(tree)
        , view_(view) {
        connect(&tree, &ContactTree::nodeAdding, this, &ContactModel::onAdding);
        connect(&tree, &ContactTree::nodeAdded, this, &ContactModel::onAdded);
        connect(&tree, &ContactTree::removalStarting, this, &ContactModel::onRemovalStarting);
        connect(&tree, &ContactTree::removalDone, this, &ContactModel::onRemovalDone);
        connect(&tree, &ContactTree::nodeChanged, this, &ContactModel::changed);
        connect(&tree, &ContactTree::resetStarting, this, &ContactModel::beginResetModel);
        connect(&tree, &ContactTree::resetDone, this, [this] {
            categories_ = tree_.categories();
            endResetModel();
        });
        categories_ = tree.categories();
    }

    QModelIndex indexFor(ContactNode* node) const {
        if (!node)
            return {};
        const qsizetype row = rowsUnder(node->Parent).indexOf(node);
        return row < 0 ? QModelIndex() : createIndex(static_cast<int>(row), 0, node);
    }

    QModelIndex index(int row, int column, const QModelIndex& parent) const override {
        const QList<ContactNode*>& rows = rowsUnder(ContactTreeView::nodeFor(parent));
        if (column != 0 || row < 0 || row >= rows.size())
            return {};
        return createIndex(row, 0, rows[row]);
    }
    QModelIndex parent(const QModelIndex& child) const override {
        const ContactNode* node = ContactTreeView::nodeFor(child);
        return node ? indexFor(node->Parent) : QModelIndex();
    }
    int rowCount(const QModelIndex& parent) const override {
        return parent.column() > 0
                   ? 0
                   : static_cast<int>(rowsUnder(ContactTreeView::nodeFor(parent)).size());
    }
    int columnCount(const QModelIndex&) const override { return 1; }

    QVariant data(const QModelIndex& index, int role) const override {
        const ContactNode* node = ContactTreeView::nodeFor(index);
        if (!node)
            return {};
        switch (role) {
        case Qt::DisplayRole:
            return shownInLine(node->Text);
        case Qt::FontRole: {
            if (!node->Bold)
                return {};
            QFont font = view_.font();
            font.setBold(true);
            return font;
        }
        case Qt::ForegroundRole:
            return QBrush(
                readableOn(fromForeColor(node->ForeColor), view_.palette().color(QPalette::Base)));
        case Qt::DecorationRole: {
            const QList<QIcon>& pictures = ContactTreeView::ImageList1();
            return node->Image >= 1 && node->Image <= pictures.size() ? pictures[node->Image - 1]
                                                                      : QVariant();
        }
        default:
            return {};
        }
    }

    void changed(ContactNode* node) {
        const QModelIndex index = indexFor(node);
        Q_EMIT dataChanged(index, index);
    }
    // The palette or font changed: every row reads anew.
    void allChanged() {
        if (categories_.isEmpty())
            return;
        Q_EMIT dataChanged(index(0, 0, {}), index(static_cast<int>(categories_.size()) - 1, 0, {}));
        for (ContactNode* category : std::as_const(categories_)) {
            const QModelIndex parent = indexFor(category);
            if (!category->Children.isEmpty())
                Q_EMIT dataChanged(
                    index(0, 0, parent),
                    index(static_cast<int>(category->Children.size()) - 1, 0, parent));
        }
    }

private:
    const QList<ContactNode*>& rowsUnder(const ContactNode* parent) const {
        return parent ? parent->Children : categories_;
    }
    void onAdding(ContactNode* parent) {
        const int row = static_cast<int>(rowsUnder(parent).size());
        beginInsertRows(indexFor(parent), row, row);
    }
    void onAdded(ContactNode* node) {
        if (!node->Parent)
            categories_.append(node);
        endInsertRows();
    }
    void onRemovalStarting(ContactNode* target) {
        const QModelIndex index = indexFor(target);
        removingCategory_ = target->isCategory() ? index.row() : -1;
        beginRemoveRows(index.parent(), index.row(), index.row());
    }
    void onRemovalDone() {
        if (removingCategory_ >= 0)
            categories_.removeAt(removingCategory_);
        endRemoveRows();
    }

    ContactTree& tree_;
    const ContactTreeView& view_;
    QList<ContactNode*> categories_;
    int removingCategory_ = -1;
};

const QList<QIcon>& ContactTreeView::ImageList1() {
    static const QList<QIcon> pictures{Pictures::triangleRight(), Pictures::triangleDown(),
                                       Pictures::disc(Pictures::OnlineYellow),
                                       Pictures::disc(Pictures::OfflineGrey)};
    return pictures;
}

ContactTreeView::ContactTreeView(ContactTree& tree, QWidget* parent)
    : QTreeView(parent)
    , tree_(tree)
    , model_(new ContactModel(tree, *this)) {
    setObjectName(QStringLiteral("tvContacts"));
    setHeaderHidden(true);
    setIndentation(twipsToPixels(150));
    setRootIsDecorated(false); // the category pictures show the expanded state
    setEditTriggers(NoEditTriggers);
    setSelectionMode(SingleSelection);
    setUniformRowHeights(true);
    setIconSize(QSize(16, 16));
    setModel(model_);

    connect(&tree_, &ContactTree::nodeAdded, this, &ContactTreeView::showExpansion);
    connect(&tree_, &ContactTree::nodeRemoving, this, &ContactTreeView::onRemoving);
    connect(&tree_, &ContactTree::nodeChanged, this, &ContactTreeView::showExpansion);
    connect(&tree_, &ContactTree::resetStarting, this, [this] { ContextNode = nullptr; });
    connect(&tree_, &ContactTree::resetDone, this, [this] {
        for (ContactNode* category : tree_.categories())
            showExpansion(category);
    });
    connect(this, &QTreeView::expanded, this,
            [this](const QModelIndex& index) { tree_.setExpanded(nodeFor(index), true); });
    connect(this, &QTreeView::collapsed, this,
            [this](const QModelIndex& index) { tree_.setExpanded(nodeFor(index), false); });
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

QModelIndex ContactTreeView::categoryPictureAt(const QMouseEvent* event) const {
    const QPoint position = event->position().toPoint();
    const QModelIndex index = indexAt(position);
    if (event->button() != Qt::LeftButton || !nodeFor(index) || !nodeFor(index)->isCategory())
        return {};
    const QRect row = visualRect(index);
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin);
    return position.x() < row.left() + iconSize().width() + 2 * margin + 2 ? index : QModelIndex();
}

void ContactTreeView::mousePressEvent(QMouseEvent* event) {
    QTreeView::mousePressEvent(event);
    // A click on a category's triangle opens or closes it, as the picture promises.
    if (const QModelIndex index = categoryPictureAt(event); index.isValid())
        toggle(index);
    tvContacts_MouseDown(event->button(), event->globalPosition().toPoint());
}

void ContactTreeView::mouseReleaseEvent(QMouseEvent* event) {
    QTreeView::mouseReleaseEvent(event);
    tvContacts_MouseUp(event->button());
}

void ContactTreeView::mouseDoubleClickEvent(QMouseEvent* event) {
    // On a triangle the second click of a double click is one more click, like the first.
    if (const QModelIndex index = categoryPictureAt(event); index.isValid())
        toggle(index);
    else
        QTreeView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        tvContacts_DblClick();
}

void ContactTreeView::focusInEvent(QFocusEvent* event) {
    QTreeView::focusInEvent(event);
    // Qt names the current item to a screen reader only when it changes; coming back to the
    // tree, the user would hear "Contacts tree" and not which contact is selected.
    // After the tree's own focus event, which Qt sends once this returns.
    if (QAccessible::isActive())
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (hasFocus() && currentIndex().isValid())
                    currentChanged(currentIndex(), QModelIndex());
            },
            Qt::QueuedConnection);
}

void ContactTreeView::changeEvent(QEvent* event) {
    QTreeView::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange)
        model_->allChanged();
}

void ContactTreeView::contextMenuEvent(QContextMenuEvent* event) {
    // The mouse's menu comes with the button press; the keyboard's (the Menu key) here.
    if (event->reason() == QContextMenuEvent::Keyboard)
        showPopupAtCurrentNode();
}

void ContactTreeView::showPopupAtCurrentNode() {
    if (mnuContactsPopup->isVisible())
        return; // the Menu key may come both as a key and as a context-menu request
    const QRect row = visualRect(currentIndex());
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
    QTreeView::keyPressEvent(event);
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
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? nullptr : nodeFor(selected.first());
}

void ContactTreeView::select(ContactNode* node) {
    if (const QModelIndex index = indexFor(node); index.isValid())
        setCurrentIndex(index);
    else
        clearSelection();
}

QModelIndex ContactTreeView::indexFor(ContactNode* node) const {
    return model_->indexFor(node);
}

ContactNode* ContactTreeView::nodeFor(const QModelIndex& index) {
    return static_cast<ContactNode*>(index.internalPointer());
}

void ContactTreeView::onRemoving(ContactNode* node) {
    if (ContextNode == node)
        ContextNode = nullptr;
}

void ContactTreeView::showExpansion(ContactNode* node) {
    const QModelIndex index = indexFor(node);
    if (node->isCategory() && isExpanded(index) != node->Expanded)
        setExpanded(index, node->Expanded);
}

} // namespace kivo
