// The UI thread and the worker meet only here: whole strings under a lock,
// integers as atomics.
#include "core/shared_state.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

TEST(SharedStateTest, ReadersNeverSeeAHalfWrittenString) {
    SharedState state;
    const std::string shortText = "待機中";
    const std::string longText(4096, 'x');
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; i < 20000; ++i) {
            state.g_strStatus.Set(i % 2 ? shortText : longText);
            state.g_nLimitMB = i;
        }
        done = true;
    });
    while (!done) {
        const std::string seen = state.g_strStatus.Get();
        ASSERT_TRUE(seen.empty() || seen == shortText || seen == longText);
    }
    writer.join();
}

TEST(SharedStateTest, WaitForChangeReturnsOnAChangeOrAStopRequest) {
    SharedString text;
    const std::uint64_t start = text.Version();
    std::thread setter([&] { text.Set("new"); });
    EXPECT_GT(text.WaitForChange(start, [] { return false; }), start);
    setter.join();

    std::atomic<bool> stop{false};
    std::thread stopper([&] {
        stop = true;
        text.Wake();
    });
    const std::uint64_t seen = text.Version();
    EXPECT_EQ(text.WaitForChange(seen, [&] { return stop.load(); }), seen);
    stopper.join();
}

TEST(SharedStateTest, PublishingCopiesTheLimitBitForBit) {
    SharedState state;
    PublishSettings(state, "/w/", "conv", 4294967295u);
    EXPECT_EQ(state.g_nLimitMB, -1);
    EXPECT_EQ(state.g_strWatchDir.Get(), "/w/");
    EXPECT_EQ(state.g_strProgram.Get(), "conv");
}

} // namespace
