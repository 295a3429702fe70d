// The bound on work done while nothing can progress: every cycle that
// cannot progress pauses the full idle time, and the CPU time spent per pause
// stays a small fraction of it.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iostream>

#include "core/convert_worker.h"
#include "processes.h"
#include "support.h"
#include "test_platform.h"

namespace test_support {

// CPU time allowed per 10 s pause: 0.5 % of it, generous for a search, a
// failed start or a converter that exits at once.
inline constexpr std::int64_t kCpuMicrosPerPause = 50000;

// Runs `cycles` cycles and checks that at most one converter start comes
// between two pauses and that the CPU time per pause is bounded.
inline void ExpectNoSpin(ConvertWorker& worker, TestPlatform& platform, int cycles,
                         const char* what) {
    platform.Forget();
    const std::int64_t before = ThreadCpuMicros();
    for (int i = 0; i < cycles; ++i)
        worker.RunCycle();
    const std::int64_t used = ThreadCpuMicros() - before;

    const auto pauses = platform.Pauses();
    ASSERT_GE(pauses.size(), static_cast<std::size_t>(cycles / 2)) << what;
    EXPECT_TRUE(std::all_of(pauses.begin(), pauses.end(), [](unsigned ms) {
        return ms == kIdlePauseMs;
    })) << what;
    EXPECT_LE(platform.Starts().size(), pauses.size() + 1) << what;
    const std::int64_t perPause = used / static_cast<std::int64_t>(pauses.size());
    EXPECT_LT(perPause, kCpuMicrosPerPause) << what;
    std::cout << "[ figures ] " << what << ": " << cycles << " cycles, " << pauses.size()
              << " pauses of 10 s, " << perPause << " us CPU per pause" << std::endl;
}

} // namespace test_support
