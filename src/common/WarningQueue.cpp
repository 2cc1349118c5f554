// SPDX-License-Identifier: GPL-3.0-or-later
#include "WarningQueue.h"

#include "MessageBoxes.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>

namespace kivo {

QString WarningQueue::Warning::shown() const {
    if (more == 0)
        return text;
    return text + QStringLiteral("\n\n") +
           QCoreApplication::translate("kivo", "(%1 more like this)").arg(more);
}

void WarningQueue::post(const QString& text, const QString& title) {
    if (open_ && open_->sameAs(text, title)) {
        const QString before = open_->shown();
        ++open_->more;
        MessageBoxes::current().retext(before, title, open_->shown());
        return;
    }
    const auto same = std::find_if(waiting_.begin(), waiting_.end(),
                                   [&](const Warning& w) { return w.sameAs(text, title); });
    if (same != waiting_.end()) {
        ++same->more;
        return;
    }
    waiting_.push_back({text, title});
    if (!open_ && !scheduled_) {
        scheduled_ = true;
        QTimer::singleShot(0, this, &WarningQueue::showWaiting);
    }
}

void WarningQueue::showWaiting() {
    scheduled_ = false;
    while (!waiting_.empty()) {
        open_ = waiting_.front();
        waiting_.pop_front();
        warn(open_->shown(), open_->title);
        open_.reset();
    }
}

} // namespace kivo
