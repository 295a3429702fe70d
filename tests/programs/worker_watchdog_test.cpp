#include "programs/worker_watchdog.h"

#include <gtest/gtest.h>

namespace {

// Each step: seconds since the start, the worker's cycle count, whether it
// waits for a converter, and whether it still answers (limit 90 s).
TEST(WorkerWatchdog, OnlyAWorkerThatNeitherCyclesNorConvertsStopsAnswering) {
    const struct {
        int second;
        std::uint32_t cycles;
        bool converting;
        bool answers;
    } steps[] = {
        {0, 0, false, true},     // not begun yet, within the limit
        {45, 5, false, true},    // idle cycles
        {134, 5, false, true},   // one long cycle, within the limit
        {135, 5, false, false},  // stuck past it
        {136, 6, true, true},    // a cycle again, now converting
        {10000, 6, true, true},  // a converter that runs for hours
        {10001, 6, false, true}, // it has just ended
        {10089, 6, false, true}, // the limit counts from the last sign
        {10090, 6, false, false},
    };
    const std::int64_t start = 123456789;
    WorkerWatchdog watchdog(90000, start);
    for (const auto& step : steps)
        EXPECT_EQ(watchdog.Answers(step.cycles, step.converting, start + step.second * 1000),
                  step.answers)
            << "at " << step.second << " s";
}

} // namespace
