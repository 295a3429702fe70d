// Every SIGINT and SIGTERM reaches the stop handler, not only the first.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include "platform/stop_request.h"
#include "support.h"

namespace {

TEST(StopRequestTest, EveryRequestIsHandedOnAndNoneEndsTheProcess) {
    // In a child of its own: the signals stay routed for the rest of its life.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        static std::atomic<int> heard{0};
        if (!WatchForStopRequest([] { ++heard; }))
            _exit(3);
        const int sent[] = {SIGTERM, SIGINT, SIGTERM};
        for (int i = 0; i < 3; ++i) {
            kill(getpid(), sent[i]);
            // Waits for this one before the next, so that none merges with it.
            test_support::WaitFor([&] { return heard >= i + 1; }, std::chrono::seconds(20));
        }
        _exit(heard == 3 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "a signal ended the process: " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0) << "not every request was handed on";
}

} // namespace
