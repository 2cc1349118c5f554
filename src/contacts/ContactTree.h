// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <memory>
#include <vector>

namespace kivo {

// A category (top level) or a contact (its child).
struct ContactNode {
    QString Key;
    QString Text;
    ContactNode* Parent = nullptr;
    QList<ContactNode*> Children;
    int Image = 0; // 1-based picture index, 0 for none
    int SelectedImage = 0;
    bool Bold = false;
    bool Expanded = false;
    int ForeColor = 0; // 0x00BBGGRR: 0 black, 255 red

    bool isCategory() const { return Parent == nullptr; }
};

// The contact list: a two-level tree that keeps every node in the order it was added, with
// lookup by key, and its file contacts.dat.
class ContactTree : public QObject {
    Q_OBJECT
public:
    static inline const QString FileName = QStringLiteral("contacts.dat");
    static inline const QString GeneralKey = QStringLiteral("general");
    static inline const QString ContactMarker = QStringLiteral("_contact_");
    static constexpr int CollapsedPicture = 1;
    static constexpr int ExpandedPicture = 2;
    static constexpr int Black = 0;
    static constexpr int Red = 255;

    explicit ContactTree(QObject* parent = nullptr);
    ~ContactTree() override;

    // Both refuse (nullptr) a key already in use or a key or text that could not be stored.
    ContactNode* addCategory(const QString& key, const QString& text);
    ContactNode* addContact(ContactNode* category, const QString& key, const QString& text);
    // The user's commands: keys from the naming scheme, labels with a count of 0.
    ContactNode* addGeneralCategory();
    ContactNode* addNewCategory(const QString& name);
    ContactNode* addNewContact(ContactNode* category, const QString& name);
    // Removes the node and its children.
    void remove(ContactNode* target);
    // Asks "Delete category '<label>' ?" or "Delete contact '<label>' ?"; on Yes removes the
    // node, recounts and saves. Returns whether it was removed.
    bool removeAfterAsking(ContactNode* target);
    void clear();

    ContactNode* node(const QString& key) const { return byKey_.value(key); }
    // Every node, in the order it was added.
    const std::vector<std::unique_ptr<ContactNode>>& nodes() const { return nodes_; }
    QList<ContactNode*> categories() const;
    // Every contact's name, in the order they were added.
    QStringList contactNames() const;

    bool NodeKeyExists(const QString& key) const { return byKey_.contains(key); }
    // base, base_1, base_2 ... whichever is free first.
    QString uniqueKey(const QString& base) const;
    ContactNode* FindContactNode(const QString& name) const;
    bool ContactExists(const QString& name) const { return FindContactNode(name) != nullptr; }
    void UpdateCategoryCounts();
    static QString bareName(const QString& text);
    static bool hasContactKey(const ContactNode* node) {
        return node->Key.contains(ContactMarker, Qt::CaseInsensitive);
    }

    // Writes the whole tree; false (and reported) when it could not be written.
    bool SaveContacts();
    // contacts.dat's bytes for the tree as it is, and the reading of the file's lines.
    QByteArray fileBytes() const;
    void loadLines(const QStringList& lines);
    // Replaces the tree with the file's contents; lines that cannot be loaded are skipped and
    // counted, and the first save keeps a copy of the file (contacts.dat.bak) before it
    // drops them. A file that exists but cannot be read leaves the tree empty and is never
    // written over in this run.
    void LoadContacts();
    bool fileProtected() const { return protectFile_; }
    int unloadedLines() const { return unloadedLines_; }

    // How a node is drawn: none of this is saved.
    void setLook(ContactNode* node, bool bold, int foreColor);
    void setPicture(ContactNode* node, int picture);
    void setExpanded(ContactNode* node, bool expanded);

Q_SIGNALS:
    // A node is about to be added last under the parent (a category under none), and has
    // been; neither while the whole tree is replaced.
    void nodeAdding(ContactNode* parent);
    void nodeAdded(ContactNode* node);
    // Around a removal: the target with the tree still whole, each removed node (children
    // first, then the target), and the end once it is gone.
    void removalStarting(ContactNode* target);
    void nodeRemoving(ContactNode* node);
    void removalDone();
    void nodeChanged(ContactNode* node);
    // Around clearing or loading the whole tree.
    void resetStarting();
    void resetDone();

private:
    ContactNode* insert(ContactNode* parent, const QString& key, const QString& text);
    void setText(ContactNode* node, const QString& text);
    bool loadLine(QStringView line);
    bool keepOriginalFile();

    std::vector<std::unique_ptr<ContactNode>> nodes_;
    QHash<QString, ContactNode*> byKey_;
    bool replacing_ = false; // the whole tree is being replaced: no signal for each node
    bool protectFile_ = false;
    int unloadedLines_ = 0; // lines of the loaded file not yet kept in a copy
};

} // namespace kivo
