// SPDX-License-Identifier: GPL-3.0-or-later
#include "BlinkSchedule.h"

#include "Clock.h"
#include "ContactTree.h"

namespace kivo {

BlinkSchedule::BlinkSchedule(ContactTree& tree, QObject* parent)
    : QObject(parent)
    , tree_(tree) {
    // A node removed mid-blink must never be touched again.
    connect(&tree_, &ContactTree::nodeRemoving, this, &BlinkSchedule::forget);
    connect(&tree_, &ContactTree::resetStarting, this, [this] { entries_.clear(); });
}

void BlinkSchedule::StartBlinkContact(ContactNode* node) {
    const QDateTime end = Clock::current().now().addMSecs(LifeMs);
    for (Entry& entry : entries_) {
        if (entry.node->Key == node->Key) {
            entry.endTime = end;
            return;
        }
    }
    entries_.append({node, end});
}

void BlinkSchedule::tmrBlink_Timer() {
    if (entries_.isEmpty())
        return;
    state_ = !state_;
    const QDateTime now = Clock::current().now();
    for (qsizetype i = entries_.size() - 1; i >= 0; --i) {
        ContactNode* node = entries_[i].node;
        if (now < entries_[i].endTime) {
            tree_.setLook(node, state_, state_ ? ContactTree::Red : ContactTree::Black);
        } else {
            tree_.setLook(node, false, ContactTree::Black);
            entries_.removeAt(i);
        }
    }
}

void BlinkSchedule::forget(ContactNode* node) {
    entries_.removeIf([node](const Entry& entry) { return entry.node == node; });
}

} // namespace kivo
