// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ClockTimer.h"

#include <QDateTime>
#include <QObject>
#include <functional>

namespace kivo {

// Every loss of the history is said, and none buries the user: the first at once (from the
// event loop), later ones at most once a minute, each time with the lines lost since Kivo
// started and the latest reason.
class HistoryLosses : public QObject {
    Q_OBJECT
public:
    static constexpr int Interval = 60'000; // ms between two tellings, at least

    explicit HistoryLosses(std::function<void(const QString& text)> say, QObject* parent = nullptr);

    void lost(int lines, const QString& reason);
    // Lost and not said yet (the minute was not up).
    qint64 untold() const { return total_ - totalTold_; }

private:
    void tell();

    std::function<void(const QString&)> say_;
    ClockTimer later_;
    QDateTime told_;
    qint64 total_ = 0;
    qint64 totalTold_ = 0;
    QString reason_;
    bool scheduled_ = false;
};

} // namespace kivo
