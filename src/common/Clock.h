// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>

namespace kivo {

// The one source of "now" (time stamps, blink lives). Tests install a manual clock.
class Clock {
public:
    virtual ~Clock() = default;
    // In UTC: cheap to read (no time zone lookup) and never jumps with daylight saving.
    // Convert with toLocalTime() to show it.
    virtual QDateTime now() const;
    // A manual clock moves only when told to, and fires the ClockTimers as it does.
    virtual bool isManual() const { return false; }

    static const Clock& current();
    // Does not take ownership; nullptr restores the system clock.
    static void install(const Clock* clock);
};

} // namespace kivo
