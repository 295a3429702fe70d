// The UI thread and the worker meet only here: whole strings under a lock,
// integers as atomics.
#include "core/shared_state.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

TEST(SharedStateTest, ReadersNeverSeeAHalfWrittenString) {
    SharedState state;
    const std::string shortText = "待機中";
    const std::string longText(4096, 'x');
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; i < 20000; ++i) {
            state.g_strStatus.Set({StatusKind::Idle, i % 2 ? shortText : longText});
            PublishSettings(state, {"/w/", "conv", static_cast<std::uint32_t>(i)});
        }
        done = true;
    });
    while (!done) {
        const std::string seen = state.g_strStatus.Get().text;
        ASSERT_TRUE(seen.empty() || seen == shortText || seen == longText);
    }
    writer.join();
}

TEST(SharedStateTest, ListenerHearsEveryWriteInOrderOnTheWritingThread) {
    SharedString text;
    std::vector<std::string> heard;
    text.SetListener([&](const std::string& value) {
        // A listener may read the string again without deadlock.
        EXPECT_EQ(text.Get(), value);
        heard.push_back(value);
    });
    std::thread writer([&] {
        for (int i = 0; i < 100; ++i)
            text.Set(std::to_string(i));
    });
    writer.join();
    ASSERT_EQ(heard.size(), 100u);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(heard[i], std::to_string(i));
}

TEST(SharedStateTest, QueueKeepsItsOrderAndDropsWhatNoReaderTakes) {
    SharedQueue queue;
    for (int i = 0; i < 20; ++i)
        queue.Push(std::to_string(i));
    const std::vector<std::string> taken = queue.TakeAll();
    ASSERT_EQ(taken.size(), SharedQueue::kRoom);
    EXPECT_EQ(taken.front(), "0");
    EXPECT_EQ(taken.back(), std::to_string(SharedQueue::kRoom - 1));
    EXPECT_TRUE(queue.TakeAll().empty());
}

TEST(SharedStateTest, PublishingCopiesTheLimitBitForBit) {
    SharedState state;
    PublishSettings(state, {"/w/", "conv", 4294967295u});
    EXPECT_EQ(state.g_settings.Get(), (SettingsRecord{"/w/", "conv", 4294967295u}));
}

} // namespace
