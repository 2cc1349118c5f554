// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmIgnoreList.h"

#include "ConnectionController.h"
#include "MessageBoxes.h"
#include "Protocol.h"
#include "Text.h"
#include "Widgets.h"
#include "frmAddUserToIgnore.h"

#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>

namespace kivo {
namespace {

constexpr qsizetype ListPrefixLength = 13; // "Ignore list:" and the one character after it

QPushButton* addButton(QWidget* parent, const char* name, const QString& caption, int top) {
    return placed(new QPushButton(caption, parent), name, {3240, top, 975, 375});
}

} // namespace

frmIgnoreList::frmIgnoreList(ConnectionController& connection, QWidget* owner)
    : QWidget(owner, Qt::Window)
    , connection_(connection) {
    setObjectName(QStringLiteral("frmIgnoreList"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(tr("Ignore List"));
    resize(twipsSize(4260, 2670));

    lstIgnore = placed(new QListWidget(this), "lstIgnore", {120, 120, 3015, 2460});
    lstIgnore->setAccessibleName(tr("Ignored users"));
    cmdAdd = addButton(this, "cmdAdd", tr("Add"), 120);
    cmdRemove = addButton(this, "cmdRemove", tr("Remove"), 600);
    cmdClear = addButton(this, "cmdClear", tr("Clear"), 1080);
    cmdOK = addButton(this, "cmdOK", tr("OK"), 1560);
    setTabOrder(lstIgnore, cmdAdd);
    setTabOrder(cmdAdd, cmdRemove);
    setTabOrder(cmdRemove, cmdOK);
    setTabOrder(cmdOK, cmdClear);

    connect(lstIgnore, &QListWidget::itemSelectionChanged, this, &frmIgnoreList::lstIgnore_Click);
    connect(cmdAdd, &QPushButton::clicked, this, &frmIgnoreList::cmdAdd_Click);
    connect(cmdRemove, &QPushButton::clicked, this, &frmIgnoreList::cmdRemove_Click);
    connect(cmdClear, &QPushButton::clicked, this, &frmIgnoreList::cmdClear_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmIgnoreList::cmdOK_Click);
    Form_Load();
}

void frmIgnoreList::Form_Load() {
    replaceEntries({});
    cmdRemove->setEnabled(false);
    requestList();
}

void frmIgnoreList::requestList() {
    connection_.SendMessageToUser(QString(), Command::ignoreList());
}

void frmIgnoreList::replaceEntries(const QStringList& names) {
    // Refilling is not a selection by the user: the Remove button keeps its state.
    const QSignalBlocker quiet(lstIgnore);
    lstIgnore->clear();
    for (const QString& name : names)
        addEntry(name);
}

void frmIgnoreList::addEntry(const QString& name) {
    // Shown in one line; the name as the server has it is what goes back to it.
    auto* item = new QListWidgetItem(shownInLine(name), lstIgnore);
    item->setData(Qt::UserRole, name);
}

void frmIgnoreList::showList(const QString& message) {
    const QString text = message.mid(ListPrefixLength);
    QStringList names;
    if (!text.isEmpty()) {
        for (const QString& piece : text.split(u','))
            names.append(trimSpaces(piece));
    }
    replaceEntries(names);
}

void frmIgnoreList::showEmptyList() {
    replaceEntries({});
}

frmAddUserToIgnore* frmIgnoreList::addUserDialog() {
    if (!addUser_)
        addUser_ = new frmAddUserToIgnore(this);
    return addUser_;
}

bool frmIgnoreList::connectedOrWarn() {
    if (connection_.isConnected())
        return true;
    warn(tr("There is no connection to a server, so the ignore list was not changed."));
    return false;
}

bool frmIgnoreList::sendOrWarn(const QString& command) {
    if (connection_.SendMessageToUser(QString(), command))
        return true;
    connectedOrWarn();
    return false;
}

void frmIgnoreList::cmdAdd_Click() {
    if (!connectedOrWarn())
        return;
    frmAddUserToIgnore* dialog = addUserDialog();
    dialog->exec();
    const QString name = dialog->AddedUser;
    if (name.isEmpty())
        return;
    const QString lowered = name.toLower();
    for (int row = 0; row < lstIgnore->count(); ++row) {
        if (lstIgnore->item(row)->data(Qt::UserRole).toString().toLower() == lowered) {
            warn(tr("User already in ignore list."));
            return;
        }
    }
    if (!sendOrWarn(Command::ignoreAdd(name)))
        return;
    addEntry(name);
    lstIgnore->setCurrentRow(lstIgnore->count() - 1);
    cmdRemove->setEnabled(true);
}

void frmIgnoreList::cmdRemove_Click() {
    QListWidgetItem* selected = lstIgnore->currentItem();
    if (!selected || !selected->isSelected())
        return;
    if (!sendOrWarn(Command::ignoreDelete(selected->data(Qt::UserRole).toString())))
        return;
    {
        const QSignalBlocker quiet(lstIgnore);
        delete selected;
        lstIgnore->setCurrentRow(-1);
        lstIgnore->clearSelection();
    }
    cmdRemove->setEnabled(false);
}

void frmIgnoreList::cmdClear_Click() {
    if (!connectedOrWarn())
        return;
    if (!ask(tr("Clear entire ignore list?")))
        return;
    if (!sendOrWarn(Command::ignoreClear()))
        return;
    replaceEntries({});
    cmdRemove->setEnabled(false);
}

void frmIgnoreList::cmdOK_Click() {
    close();
}

void frmIgnoreList::lstIgnore_Click() {
    cmdRemove->setEnabled(!lstIgnore->selectedItems().isEmpty());
}

void frmIgnoreList::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Form_Resize();
}

void frmIgnoreList::Form_Resize() {
    const QSize outer = frameGeometry().size();
    if (pixelsToTwips(outer.width()) < 2500 || pixelsToTwips(outer.height()) < 2000)
        return;
    const int width = pixelsToTwips(this->width());
    const int height = pixelsToTwips(this->height());
    lstIgnore->setGeometry(twipsRect(120, 120, width - 1000 - 360, height - 240));
    const int left = width - 1000 - 120;
    int top = 120;
    for (QPushButton* button : {cmdAdd, cmdRemove, cmdClear, cmdOK}) {
        button->setGeometry(twipsRect(left, top, 1000, 350));
        top += 350 + 120;
    }
}

} // namespace kivo
