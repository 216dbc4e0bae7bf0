#pragma once
// One figure of the bench gate: a product path against its bare baseline,
// measured side by side in one process.
//
// A round times both in short slices that alternate (product, baseline,
// baseline, product, ...), so that whatever else the machine does at that
// moment slows both alike; the round's ratio is the median product slice over
// the median baseline slice, so a slice that lost the processor does not
// count.  The figure is the median of the rounds' ratios.  Each figure is
// printed as one line that tests/run-bench.sh gathers into the gate's table:
//   FIGURE|what|median|lowest round|highest round|rounds|goal
// (goal 0: a figure for comparison only, with no goal).
#include <windows.h>
#include <stdio.h>

#include <algorithm>
#include <vector>

#include "tests/bench/bench_clock.h"

inline double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct RatioPlan {
    int rounds = 11;
    int slices = 15;               // of each side, per round
    double slice_seconds = 0.002;  // a baseline slice lasts about this long
    int calls = 0;                 // calls per slice; 0: from slice_seconds
};

// Seconds that `calls` calls of fn take.
template <typename Fn>
double SecondsFor(int calls, Fn& fn)
{
    const double start = BenchNow();
    for (int i = 0; i < calls; ++i)
        fn();
    return BenchNow() - start;
}

// Calls per slice so that a baseline slice lasts about `seconds` (at least one).
template <typename Fn>
int CallsPerSlice(Fn& baseline, double seconds)
{
    int calls = 1;
    while (calls < (1 << 24)) {
        // The shortest of three tries: a try that lost the processor says nothing.
        double shortest = 1e30;
        for (int i = 0; i < 3; ++i)
            shortest = std::min(shortest, SecondsFor(calls, baseline));
        if (shortest >= seconds)
            break;
        calls = shortest > 0 ? std::max(calls * 2, int(calls * seconds / shortest * 1.2)) : calls * 8;
    }
    return std::min(calls, 1 << 24);
}

// The rounds' ratios of product over baseline.
template <typename Product, typename Baseline>
std::vector<double> InterleavedRatios(const RatioPlan& plan, Product product, Baseline baseline)
{
    const int calls = plan.calls > 0 ? plan.calls : CallsPerSlice(baseline, plan.slice_seconds);
    SecondsFor(calls, product);  // warm both paths up
    SecondsFor(calls, baseline);
    std::vector<double> ratios;
    for (int round = 0; round < plan.rounds; ++round) {
        std::vector<double> ours, bare;
        for (int slice = 0; slice < plan.slices; ++slice) {
            // Product first in even slices, baseline first in odd ones.
            if ((slice + round) % 2 == 0) {
                ours.push_back(SecondsFor(calls, product));
                bare.push_back(SecondsFor(calls, baseline));
            } else {
                bare.push_back(SecondsFor(calls, baseline));
                ours.push_back(SecondsFor(calls, product));
            }
        }
        const double b = Median(bare);
        ratios.push_back(b > 0 ? Median(ours) / b : 0);
    }
    return ratios;
}

// Prints the figure's line for the gate and a line for people.  A figure
// with no rounds is printed with ratio 0 and rounds 0, which the gate takes
// as a failure.
inline void ReportFigure(const char* what, double goal, const std::vector<double>& ratios)
{
    const double median = Median(ratios);
    const double lowest = ratios.empty() ? 0 : *std::min_element(ratios.begin(), ratios.end());
    const double highest = ratios.empty() ? 0 : *std::max_element(ratios.begin(), ratios.end());
    printf("FIGURE|%s|%.3f|%.3f|%.3f|%d|%.2f\n", what, median, lowest, highest, int(ratios.size()), goal);
    if (goal > 0)
        printf("%s: median %.2f of %d rounds (%.2f to %.2f), goal at most %.2f\n", what, median,
               int(ratios.size()), lowest, highest, goal);
    else
        printf("%s: median %.2f of %d rounds (%.2f to %.2f), for comparison\n", what, median,
               int(ratios.size()), lowest, highest);
    fflush(stdout);
}
