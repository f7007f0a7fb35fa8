// bench_timing.h: the clock and the statistics of the benchmark programs (bench_*, not tests).
//   bench::Now (seconds), bench::Median, bench::Time (median seconds a call), bench::CentreOnWorkArea
#pragma once
#include <windows.h>

#include <algorithm>
#include <vector>

namespace bench {

// Seconds on the performance counter, from an arbitrary start.
inline double Now()
{
    static const LARGE_INTEGER freq = [] { LARGE_INTEGER f; QueryPerformanceFrequency(&f); return f; }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(freq.QuadPart);
}

// The middle sample (the mean of the middle two for an even count); 0 for none.
inline double Median(std::vector<double> v)
{
    if (v.empty())
        return 0.0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Median seconds a call over `rounds` rounds of `batch` calls.
template <class F>
double Time(F f, int rounds, int batch)
{
    std::vector<double> samples;
    for (int r = 0; r < rounds; ++r) {
        const double t0 = Now();
        for (int i = 0; i < batch; ++i)
            f();
        samples.push_back((Now() - t0) / batch);
    }
    return Median(samples);
}

// Puts a top-level window in the middle of the screen's work area, as the library's dialogs come up:
// what a plain floor does to match them.
inline void CentreOnWorkArea(HWND hwnd)
{
    RECT at, work;
    GetWindowRect(hwnd, &at);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    SetWindowPos(hwnd, nullptr, (work.left + work.right - (at.right - at.left)) / 2,
                 (work.top + work.bottom - (at.bottom - at.top)) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace bench
