#include "ContactTreeView.h"

#include "ContactTree.h"
#include "Pictures.h"
#include "Twips.h"

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

    connect(&tree_, &ContactTree::nodeAdded, this, &ContactTreeView::onAdded);
    connect(&tree_, &ContactTree::nodeRemoving, this, &ContactTreeView::onRemoving);
    connect(&tree_, &ContactTree::nodeChanged, this, &ContactTreeView::refresh);
    connect(&tree_, &ContactTree::cleared, this, &ContactTreeView::onCleared);
    connect(this, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* item) { tree_.setExpanded(nodeFor(item), true); });
    connect(this, &QTreeWidget::itemCollapsed, this,
            [this](QTreeWidgetItem* item) { tree_.setExpanded(nodeFor(item), false); });
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
    QTreeWidgetItem* item = node->isCategory() ? new QTreeWidgetItem(this)
                                               : new QTreeWidgetItem(itemFor(node->Parent));
    items_.insert(node, item);
    nodes_.insert(item, node);
    refresh(node);
}

void ContactTreeView::onRemoving(ContactNode* node) {
    QTreeWidgetItem* item = items_.take(node);
    nodes_.remove(item);
    delete item;
}

void ContactTreeView::onCleared() {
    items_.clear();
    nodes_.clear();
    clear();
}

void ContactTreeView::refresh(ContactNode* node) {
    QTreeWidgetItem* item = itemFor(node);
    if (!item)
        return;
    item->setText(0, node->Text);
    QFont font = item->font(0);
    font.setBold(node->Bold);
    item->setFont(0, font);
    item->setForeground(0, fromForeColor(node->ForeColor));
    const QList<QIcon>& pictures = ImageList1();
    item->setIcon(0, node->Image >= 1 && node->Image <= pictures.size() ? pictures[node->Image - 1]
                                                                          : QIcon());
    if (item->isExpanded() != node->Expanded)
        item->setExpanded(node->Expanded);
}

} // namespace kivo
