// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <malloc.h>
#include <vector>

namespace kivo::bench {

// The median of several runs, in milliseconds: robust against a noisy shared machine.
template <typename F> double medianMs(int runs, F&& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

inline void report(const char* name, double ms, double floorMs) {
    std::printf("  %-34s %9.2f ms   %6.1f x floor (%.2f ms)\n", name, ms, ms / floorMs, floorMs);
}

// Resident and peak resident memory of this process, in KiB.
inline long memoryKiB(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(static_cast<qsizetype>(std::strlen(field)))
                .trimmed()
                .split(' ')[0]
                .toLong();
    }
    return 0;
}
inline long residentKiB() {
    return memoryKiB("VmRSS:");
}
// Heap bytes in use, large blocks (which malloc maps on their own) included: unlike the
// resident size, it does not hide reuse of freed memory.
inline long heapKiB() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<long>((info.uordblks + info.hblkhd) / 1024);
}
inline long peakKiB() {
    return memoryKiB("VmHWM:");
}

} // namespace kivo::bench
