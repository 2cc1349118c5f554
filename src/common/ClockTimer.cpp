// SPDX-License-Identifier: GPL-3.0-or-later
#include "ClockTimer.h"

#include "Clock.h"

#include <QList>
#include <algorithm>

namespace kivo {
namespace {

QList<ClockTimer*>& allTimers() {
    static QList<ClockTimer*> timers;
    return timers;
}

} // namespace

ClockTimer::ClockTimer(QObject* parent)
    : QObject(parent) {
    allTimers().append(this);
    connect(&timer_, &QTimer::timeout, this, &ClockTimer::fire);
}

ClockTimer::~ClockTimer() {
    allTimers().removeOne(this);
}

void ClockTimer::start(int milliseconds) {
    interval_ = milliseconds;
    start();
}

void ClockTimer::start() {
    active_ = true;
    const Clock& clock = Clock::current();
    due_ = clock.now().addMSecs(interval_);
    if (clock.isManual()) {
        timer_.stop();
        return;
    }
    timer_.setSingleShot(singleShot_);
    timer_.start(interval_);
}

void ClockTimer::stop() {
    active_ = false;
    timer_.stop();
}

QDateTime ClockTimer::nextTimeout() const {
    return active_ ? due_ : QDateTime();
}

void ClockTimer::fire() {
    if (singleShot_)
        active_ = false;
    else
        due_ = Clock::current().now().addMSecs(std::max(interval_, 1));
    Q_EMIT timeout();
}

void ClockTimer::runUntil(const QDateTime& until,
                          const std::function<void(const QDateTime&)>& setNow) {
    for (;;) {
        ClockTimer* next = nullptr;
        for (ClockTimer* timer : std::as_const(allTimers())) {
            if (timer->active_ && timer->due_ <= until && (!next || timer->due_ < next->due_))
                next = timer;
        }
        if (!next)
            break;
        setNow(next->due_);
        next->fire();
    }
    setNow(until);
}

} // namespace kivo
