// SPDX-License-Identifier: GPL-3.0-or-later
#include "HistoryLosses.h"

#include "Clock.h"

#include <QCoreApplication>
#include <QTimer>

namespace kivo {

HistoryLosses::HistoryLosses(std::function<void(const QString& text)> say, QObject* parent)
    : QObject(parent)
    , say_(std::move(say)) {
    later_.setSingleShot(true);
    connect(&later_, &ClockTimer::timeout, this, &HistoryLosses::tell);
}

void HistoryLosses::lost(int lines, const QString& reason) {
    total_ += lines;
    reason_ = reason;
    if (scheduled_)
        return;
    scheduled_ = true;
    const qint64 since = told_.isValid() ? told_.msecsTo(Clock::current().now()) : Interval;
    if (since >= Interval)
        QTimer::singleShot(0, this, &HistoryLosses::tell); // not inside what lost the lines
    else
        later_.start(static_cast<int>(Interval - since));
}

void HistoryLosses::tell() {
    scheduled_ = false;
    if (total_ == totalTold_)
        return;
    told_ = Clock::current().now();
    totalTold_ = total_;
    say_(QCoreApplication::translate(
             "kivo", "%1 lines could not be stored in the history since Kivo started: %2.")
             .arg(total_)
             .arg(reason_));
}

} // namespace kivo
