// SPDX-License-Identifier: GPL-3.0-or-later
#include "WarningQueue.h"

#include "MessageBoxes.h"

#include <QCoreApplication>
#include <QTimer>

namespace kivo {

QString WarningQueue::Warning::shown() const {
    if (more == 0)
        return text;
    return text + QStringLiteral("\n\n") +
           QCoreApplication::translate("kivo", "(%1 more like this)").arg(more);
}

void WarningQueue::post(const QString& kind, const QString& text, const QString& title) {
    if (open_ && open_->kind == kind) {
        const QString before = open_->shown();
        ++open_->more;
        MessageBoxes::current().retext(before, open_->title, open_->shown());
        return;
    }
    if (const auto same = waiting_.find(kind); same != waiting_.end()) {
        ++same->more;
        return;
    }
    waiting_.insert(kind, {kind, text, title});
    order_.push_back(kind);
    if (!open_ && !scheduled_) {
        scheduled_ = true;
        QTimer::singleShot(0, this, &WarningQueue::showWaiting);
    }
}

void WarningQueue::showWaiting() {
    scheduled_ = false;
    while (!order_.empty()) {
        open_ = waiting_.take(order_.front());
        order_.pop_front();
        warn(open_->shown(), open_->title);
        open_.reset();
    }
}

} // namespace kivo
