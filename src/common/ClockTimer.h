// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QObject>
#include <QTimer>
#include <functional>

namespace kivo {

// A timer whose time comes from the program's clock: with the system clock it is a QTimer;
// with a manual clock (tests) it fires only when the clock is moved on, so a test of a
// 5-second keep-alive or a 60-second back-off takes no real time.
class ClockTimer : public QObject {
    Q_OBJECT
public:
    explicit ClockTimer(QObject* parent = nullptr);
    ~ClockTimer() override;

    void setInterval(int milliseconds) { interval_ = milliseconds; }
    int interval() const { return interval_; }
    void setSingleShot(bool singleShot) { singleShot_ = singleShot; }
    void start();
    void start(int milliseconds);
    void stop();
    bool isActive() const { return active_; }
    // When it fires next, by the clock; invalid when it is not running.
    QDateTime nextTimeout() const;

    // For a manual clock: fires, in time order, every timer due up to `until`, setting the
    // clock to each one's time as it fires.
    static void runUntil(const QDateTime& until,
                         const std::function<void(const QDateTime&)>& setNow);

Q_SIGNALS:
    void timeout();

private:
    void fire();

    QTimer timer_;
    int interval_ = 0;
    bool singleShot_ = false;
    bool active_ = false;
    QDateTime due_; // with a manual clock
};

} // namespace kivo
