#pragma once

#include <QDateTime>

namespace kivo {

// The one source of "now" (time stamps, blink lives). Tests install a manual clock.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const;

    static const Clock& current();
    // Does not take ownership; nullptr restores the system clock.
    static void install(const Clock* clock);
};

} // namespace kivo
