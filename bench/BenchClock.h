#pragma once
// Time and medians for the benchmarks.
#include <windows.h>
#include <algorithm>
#include <vector>

// Seconds since an arbitrary start, from the performance counter.
inline double Seconds() {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The middle value (the mean of the two middle ones for an even count), or
// `none` when there are no values.
inline double Median(std::vector<double> values, double none = 0.0) {
    if (values.empty())
        return none;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}
