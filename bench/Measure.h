#pragma once

#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace kivo::bench {

// The median of several runs, in milliseconds: robust against a noisy shared machine.
template <typename F>
double medianMs(int runs, F&& work) {
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

} // namespace kivo::bench
