// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QTreeView>

class QMenu;

namespace kivo {

class ContactTree;
class ContactModel;
struct ContactNode;

// Shows the contact tree (labels, bold, colour, expansion, category pictures) and turns the
// mouse and the keyboard into the contact list's actions. Every action works on the
// selected node, never on the node under the pointer. The rows are the tree's own nodes,
// read when drawn: a long list costs no widget items.
class ContactTreeView : public QTreeView {
    Q_OBJECT
public:
    ContactTreeView(ContactTree& tree, QWidget* parent);

    // The tree's pictures, 1-based as the nodes refer to them: triangle right, triangle down,
    // yellow disc, grey disc.
    static const QList<QIcon>& ImageList1();

    ContactNode* SelectedItem() const;
    void select(ContactNode* node);
    QModelIndex indexFor(ContactNode* node) const;
    static ContactNode* nodeFor(const QModelIndex& index);

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
    void focusInEvent(QFocusEvent* event) override;
    void drawBranches(QPainter* painter, const QRect& rect,
                      const QModelIndex& index) const override;

private:
    void buildPopup();
    void onRemoving(ContactNode* node);
    void showExpansion(ContactNode* node);
    void toggle(const QModelIndex& index) { setExpanded(index, !isExpanded(index)); }
    QModelIndex categoryPictureAt(const QMouseEvent* event) const;
    void updateIconAfterPendingEvents(QString key);
    // The pop-up menu for the selected node, as the right button shows it.
    void showPopup(const QPoint& globalPosition);
    void showPopupAtCurrentNode();

    ContactTree& tree_;
    ContactModel* model_;
};

} // namespace kivo
