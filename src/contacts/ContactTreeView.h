#pragma once

#include <QHash>
#include <QIcon>
#include <QTreeWidget>

namespace kivo {

class ContactTree;
struct ContactNode;

// Shows the contact tree: labels, bold, colour, expansion and the category pictures.
class ContactTreeView : public QTreeWidget {
    Q_OBJECT
public:
    ContactTreeView(ContactTree& tree, QWidget* parent);

    // The tree's pictures, 1-based as the nodes refer to them: triangle right, triangle down,
    // yellow disc, grey disc.
    static const QList<QIcon>& ImageList1();

    ContactNode* SelectedItem() const;
    void select(ContactNode* node);
    QTreeWidgetItem* itemFor(ContactNode* node) const { return items_.value(node); }
    ContactNode* nodeFor(QTreeWidgetItem* item) const { return nodes_.value(item); }

private:
    void onAdded(ContactNode* node);
    void onRemoving(ContactNode* node);
    void onCleared();
    void refresh(ContactNode* node);

    ContactTree& tree_;
    QHash<ContactNode*, QTreeWidgetItem*> items_;
    QHash<QTreeWidgetItem*, ContactNode*> nodes_;
};

} // namespace kivo
