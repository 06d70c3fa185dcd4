// Timing helpers of the benchmarks: single calls timed with the performance
// counter, reported as medians with their quartiles.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace bench {

inline double NowUs() {
    static const LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1e6 / static_cast<double>(freq.QuadPart);
}

struct Samples {
    std::vector<double> us;
    double Quantile(double q) const {
        std::vector<double> v = us;
        std::sort(v.begin(), v.end());
        return v.empty() ? 0.0 : v[static_cast<size_t>(q * static_cast<double>(v.size() - 1))];
    }
    double Median() const { return Quantile(0.5); }
};

inline void Print(const char* what, double value, const char* unit, const Samples* spread = nullptr) {
    std::printf("  %-54s %9.2f %s", what, value, unit);
    if (spread) std::printf("  (quartiles %.2f .. %.2f)", spread->Quantile(0.25), spread->Quantile(0.75));
    std::printf("\n");
}

}  // namespace bench
