// SPDX-License-Identifier: GPL-3.0-or-later
#include "Clock.h"

namespace kivo {
namespace {
const Clock systemClock;
const Clock* installed = nullptr;
} // namespace

QDateTime Clock::now() const {
    return QDateTime::currentDateTimeUtc();
}

const Clock& Clock::current() {
    return installed ? *installed : systemClock;
}

void Clock::install(const Clock* clock) {
    installed = clock;
}

} // namespace kivo
