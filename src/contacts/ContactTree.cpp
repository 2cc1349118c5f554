// SPDX-License-Identifier: GPL-3.0-or-later
#include "ContactTree.h"

#include "MessageBoxes.h"
#include "StateFiles.h"
#include "Text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>

namespace kivo {

ContactTree::ContactTree(QObject* parent)
    : QObject(parent) {
}

ContactTree::~ContactTree() = default;

ContactNode* ContactTree::insert(ContactNode* parent, const QString& key, const QString& text) {
    // The file has no escaping: a key or name that would not read back is never taken in.
    if (key.isEmpty() || NodeKeyExists(key) || !isStorableName(key) || !isStorableName(text))
        return nullptr;
    if (!replacing_)
        Q_EMIT nodeAdding(parent);
    auto owned = std::make_unique<ContactNode>();
    ContactNode* node = owned.get();
    node->Key = key;
    node->Text = text;
    node->Parent = parent;
    if (parent)
        parent->Children.append(node);
    nodes_.push_back(std::move(owned));
    byKey_.insert(key, node);
    return node;
}

ContactNode* ContactTree::addCategory(const QString& key, const QString& text) {
    ContactNode* category = insert(nullptr, key, text);
    if (category) {
        category->Bold = true;
        category->Expanded = true;
        category->Image = category->SelectedImage = ExpandedPicture;
        if (!replacing_)
            Q_EMIT nodeAdded(category);
    }
    return category;
}

ContactNode* ContactTree::addContact(ContactNode* category, const QString& key,
                                     const QString& text) {
    if (!category || !category->isCategory())
        return nullptr;
    ContactNode* contact = insert(category, key, text);
    if (contact && !replacing_)
        Q_EMIT nodeAdded(contact);
    return contact;
}

ContactNode* ContactTree::addGeneralCategory() {
    return addCategory(GeneralKey, QStringLiteral("General (0)"));
}

ContactNode* ContactTree::addNewCategory(const QString& name) {
    return addCategory(uniqueKey(QStringLiteral("category_") + name),
                       name + QStringLiteral(" (0)"));
}

ContactNode* ContactTree::addNewContact(ContactNode* category, const QString& name) {
    if (!category)
        return nullptr;
    return addContact(category, uniqueKey(category->Key + ContactMarker + name), name);
}

void ContactTree::remove(ContactNode* target) {
    if (!target || node(target->Key) != target)
        return;
    Q_EMIT removalStarting(target);
    QSet<ContactNode*> going{target};
    for (ContactNode* child : target->Children) {
        Q_EMIT nodeRemoving(child);
        going.insert(child);
    }
    Q_EMIT nodeRemoving(target);
    if (target->Parent)
        target->Parent->Children.removeOne(target);
    for (ContactNode* gone : going)
        byKey_.remove(gone->Key);
    std::erase_if(nodes_,
                  [&](const std::unique_ptr<ContactNode>& n) { return going.contains(n.get()); });
    Q_EMIT removalDone();
}

bool ContactTree::removeAfterAsking(ContactNode* target) {
    const QString question =
        target->isCategory() ? tr("Delete category '%1' ?") : tr("Delete contact '%1' ?");
    // The question's event loop may run anything: only the key is trusted after it.
    const QString key = target->Key;
    if (!ask(question.arg(shownInLine(target->Text))))
        return false;
    ContactNode* node = this->node(key);
    if (!node)
        return false;
    remove(node);
    UpdateCategoryCounts();
    SaveContacts();
    return true;
}

void ContactTree::clear() {
    Q_EMIT resetStarting();
    byKey_.clear();
    nodes_.clear();
    Q_EMIT resetDone();
}

QList<ContactNode*> ContactTree::categories() const {
    QList<ContactNode*> result;
    for (const auto& n : nodes_) {
        if (n->isCategory())
            result.append(n.get());
    }
    return result;
}

QStringList ContactTree::contactNames() const {
    QStringList names;
    for (const auto& n : nodes_) {
        if (!n->isCategory())
            names.append(n->Text);
    }
    return names;
}

QString ContactTree::uniqueKey(const QString& base) const {
    QString key = base;
    for (int suffix = 1; NodeKeyExists(key); ++suffix)
        key = base + u'_' + QString::number(suffix);
    return key;
}

ContactNode* ContactTree::FindContactNode(const QString& name) const {
    for (const auto& n : nodes_) {
        if (!n->isCategory())
            continue;
        for (ContactNode* contact : n->Children) {
            if (contact->Text.compare(name, Qt::CaseInsensitive) == 0)
                return contact;
        }
    }
    return nullptr;
}

QString ContactTree::bareName(const QString& text) {
    const qsizetype open = text.lastIndexOf(u'(');
    if (open < 0)
        return text;
    return open <= 1 ? QString() : text.left(open - 1);
}

void ContactTree::setText(ContactNode* node, const QString& text) {
    if (node->Text == text)
        return;
    node->Text = text;
    Q_EMIT nodeChanged(node);
}

void ContactTree::UpdateCategoryCounts() {
    for (const auto& n : nodes_) {
        if (n->isCategory())
            setText(n.get(), bareName(n->Text) + QStringLiteral(" (") +
                                 QString::number(n->Children.size()) + u')');
    }
}

bool ContactTree::SaveContacts() {
    if (protectFile_) {
        warn(tr("The contact list was not saved: %1 could not be read at start-up, and it is "
                "kept as it is.")
                 .arg(FileName));
        return false;
    }
    if (unloadedLines_ > 0 && !keepOriginalFile())
        return false;
    return writeStateBytes(FileName, fileBytes());
}

bool ContactTree::keepOriginalFile() {
    // An earlier copy is never written over.
    QString copy = FileName + QStringLiteral(".bak");
    for (int suffix = 1; QFileInfo::exists(StateFolder::filePath(copy)); ++suffix)
        copy = FileName + QStringLiteral(".bak.") + QString::number(suffix);
    const QString copyPath = QDir::toNativeSeparators(StateFolder::filePath(copy));
    if (!QFile::copy(StateFolder::filePath(FileName), StateFolder::filePath(copy))) {
        warn(tr("The contact list was not saved: %1 holds lines that could not be read, and "
                "the file could not be copied to %2 to keep them.")
                 .arg(FileName, copyPath));
        return false;
    }
    warn(unloadedLines_ == 1
             ? tr("One line of %1 could not be read and is not in the contact list. The "
                  "original file was kept as %2.")
                   .arg(FileName, copyPath)
             : tr("%1 lines of %2 could not be read and are not in the contact list. The "
                  "original file was kept as %3.")
                   .arg(unloadedLines_)
                   .arg(FileName, copyPath));
    unloadedLines_ = 0;
    return true;
}

QByteArray ContactTree::fileBytes() const {
    // One text for the whole file, encoded once: a long list saves in milliseconds.
    qsizetype size = 0;
    for (const auto& n : nodes_)
        size += n->Key.size() + n->Text.size() + (n->Parent ? n->Parent->Key.size() : 0) + 7;
    QString text;
    text.reserve(size);
    for (const auto& n : nodes_) {
        text += n->isCategory() ? u"C|" : u"U|";
        text += n->Key;
        text += u'|';
        text += n->Text;
        text += u'|';
        if (n->Parent)
            text += n->Parent->Key;
        text += u"\r\n";
    }
    return text.toUtf8();
}

void ContactTree::LoadContacts() {
    const TextFileContents file = readStateFile(FileName);
    if (!file.exists())
        return;
    if (file.status == TextFileContents::Status::Failed) {
        clear();
        protectFile_ = true;
        warn(tr("Could not read %1: %2.\nThe contact list starts empty, and the file will not "
                "be written over.")
                 .arg(FileName, file.error));
        return;
    }
    loadLines(file.lines);
}

void ContactTree::loadLines(const QStringList& lines) {
    Q_EMIT resetStarting();
    byKey_.clear();
    nodes_.clear();
    nodes_.reserve(static_cast<size_t>(lines.size()));
    byKey_.reserve(lines.size());
    unloadedLines_ = 0;
    replacing_ = true;
    for (const QString& line : lines) {
        if (!loadLine(line) && !line.isEmpty())
            ++unloadedLines_;
    }
    replacing_ = false;
    Q_EMIT resetDone();
}

bool ContactTree::loadLine(QStringView line) {
    const QList<QStringView> fields = line.split(u'|');
    if (fields.size() < 3)
        return false;
    if (fields[0] == u"C")
        return addCategory(fields[1].toString(), fields[2].toString());
    if (fields[0] == u"U" && fields.size() >= 4)
        return addContact(node(fields[3].toString()), fields[1].toString(), fields[2].toString());
    return false;
}

void ContactTree::setLook(ContactNode* node, bool bold, int foreColor) {
    if (node->Bold == bold && node->ForeColor == foreColor)
        return;
    node->Bold = bold;
    node->ForeColor = foreColor;
    Q_EMIT nodeChanged(node);
}

void ContactTree::setPicture(ContactNode* node, int picture) {
    if (node->Image == picture && node->SelectedImage == picture)
        return;
    node->Image = node->SelectedImage = picture;
    Q_EMIT nodeChanged(node);
}

void ContactTree::setExpanded(ContactNode* node, bool expanded) {
    if (node->Expanded == expanded)
        return;
    node->Expanded = expanded;
    Q_EMIT nodeChanged(node);
}

} // namespace kivo
