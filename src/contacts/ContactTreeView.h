// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QIcon>
#include <QTreeWidget>

class QMenu;

namespace kivo {

class ContactTree;
struct ContactNode;

// Shows the contact tree (labels, bold, colour, expansion, category pictures) and turns the
// mouse and the keyboard into the contact list's actions. Every action works on the
// selected node, never on the node under the pointer.
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

    // The node that was selected when the right button last went down over the tree.
    ContactNode* ContextNode = nullptr;
    QMenu* mnuContactsPopup;
    QAction* mnuAddCategory;
    QAction* mnuDeleteCategory;
    QAction* mnuAddContact;
    QAction* mnuDeleteContact;

    void tvContacts_MouseDown(Qt::MouseButton button, const QPoint& globalPosition);
    void tvContacts_MouseUp(Qt::MouseButton button);
    // Returns whether the key was consumed.
    bool tvContacts_KeyDown(int key);
    void tvContacts_DblClick();
    void UpdateCategoryIcon(ContactNode* node);

Q_SIGNALS:
    // A contact's chat window is wanted; from the keyboard only while logged in.
    void chatRequested(const QString& contactName, bool needsLogin);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;
    void drawBranches(QPainter* painter, const QRect& rect,
                      const QModelIndex& index) const override;

private:
    void buildPopup();
    void onAdded(ContactNode* node);
    void onRemoving(ContactNode* node);
    void onCleared();
    void refresh(ContactNode* node);
    QTreeWidgetItem* categoryPictureAt(const QMouseEvent* event) const;
    void updateIconAfterPendingEvents(QString key);
    // The pop-up menu for the selected node, as the right button shows it.
    void showPopup(const QPoint& globalPosition);
    void showPopupAtCurrentNode();

    ContactTree& tree_;
    QHash<ContactNode*, QTreeWidgetItem*> items_;
    QHash<QTreeWidgetItem*, ContactNode*> nodes_;
};

} // namespace kivo
