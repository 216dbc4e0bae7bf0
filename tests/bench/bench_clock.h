#pragma once
// The clock of the benchmarks: seconds from the performance counter, and the
// nanoseconds one call of a piece of code takes, averaged over many calls.
#include <windows.h>

inline double BenchNow()
{
    static LARGE_INTEGER frequency = [] { LARGE_INTEGER f; QueryPerformanceFrequency(&f); return f; }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) / double(frequency.QuadPart);
}

template <typename Fn>
double NanosecondsPerCall(int calls, Fn&& fn)
{
    const double start = BenchNow();
    for (int i = 0; i < calls; ++i)
        fn();
    return (BenchNow() - start) / calls * 1e9;
}
