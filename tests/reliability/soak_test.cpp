// A long run: thousands of real converter starts with the quota pass
// deleting as it goes, while a second thread publishes the settings on every
// tick. Afterwards memory, descriptors and processes are as they were and the
// quota holds.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "core/convert_worker.h"
#include "core/file_name.h"
#include "core/shared_state.h"
#include "core/texts.h"
#include "processes.h"
#include "support.h"
#include "test_platform.h"

namespace reliability {

using namespace test_support;
namespace {

constexpr std::uint32_t kLimitMB = 8;
constexpr unsigned kTickMs = 700;
constexpr unsigned kFakeMsPerConversion = 350;

// Time as the tick sees it: it moves on by a fixed step with every
// conversion, so the publisher ticks once every two conversions whatever the
// speed of the machine.
class FakeTicks {
  public:
    void Advance(unsigned ms) {
        {
            std::lock_guard lock(m_mutex);
            m_now += ms;
        }
        m_changed.notify_all();
    }
    // Waits until the fake time reaches `when`; false once stopped.
    bool WaitUntil(std::uint64_t when) {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_now >= when || m_stopped; });
        return !m_stopped;
    }
    void Stop() {
        {
            std::lock_guard lock(m_mutex);
            m_stopped = true;
        }
        m_changed.notify_all();
    }

  private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::uint64_t m_now = 0;
    bool m_stopped = false;
};

std::uint64_t QuotaBytes(const std::string& folder) {
    std::uint64_t total = 0;
    for (const std::string& name : ListFolder(folder)) {
        struct stat info;
        if ((MatchesMask(name, "*.mp4") || MatchesMask(name, "*.jpg")) &&
            lstat((folder + "/" + name).c_str(), &info) == 0)
            total += static_cast<std::uint64_t>(info.st_size);
    }
    return total;
}

struct Figures {
    std::size_t descriptorsBefore, descriptorsAfter;
    std::size_t residentBefore, residentAfter;
    std::size_t publications;
};

// Runs `conversions` conversions through `true`, the converter's stand-in:
// the test renames each .flv to an .mp4 of 1 MiB (sparse) with a .jpg, and
// adds the next .flv, so that the quota pass deletes on nearly every cycle.
Figures Soak(std::size_t conversions, std::size_t warmUp) {
    TempFolder scratch;
    const std::string watch = scratch / "watch";
    mkdir(watch.c_str(), 0755);
    std::size_t made = 0;
    auto addFlv = [&] { WriteFile(watch + "/clip" + std::to_string(made++) + ".flv", "v"); };
    addFlv();
    addFlv();

    SharedState state;
    // The two spellings of the program run the same converter.
    const std::string programs[] = {"true", "\"true\""};
    PublishSettings(state, {watch + "/", programs[0], kLimitMB});

    FakeTicks ticks;
    std::atomic<std::size_t> publications{0};
    std::thread tick([&] {
        for (std::uint64_t next = kTickMs; ticks.WaitUntil(next); next += kTickMs) {
            PublishSettings(state, {watch + "/", programs[publications % 2], kLimitMB});
            ++publications;
        }
    });

    TestPlatform platform;
    platform.keepRecords = false;
    std::size_t done = 0;
    Figures figures{};
    platform.afterConvert = [&](const std::string& commandLine) {
        const std::string title = commandLine.substr(commandLine.rfind(' ') + 1);
        rename((watch + "/" + title + ".flv").c_str(), (watch + "/" + title + ".mp4").c_str());
        MakeLargeFile(watch + "/" + title + ".mp4", kMiB);
        WriteFile(watch + "/" + title + ".jpg", std::string(1000, 'j'));
        if (made < conversions)
            addFlv();
        ++done;
        ticks.Advance(kFakeMsPerConversion);
    };
    ConvertWorker worker(platform, state);
    std::thread converting([&] {
        // Bounded: a lost .flv would otherwise keep the loop idling.
        std::size_t cycles = 0;
        while (done < warmUp && ++cycles < 3 * conversions)
            worker.RunCycle();
        figures.descriptorsBefore = OpenDescriptorCount();
        figures.residentBefore = ResidentKiB();
        while (done < conversions && ++cycles < 3 * conversions)
            worker.RunCycle();
        worker.RunCycle(); // the last pass, now that the folder is idle
    });
    converting.join();
    ticks.Stop();
    tick.join();

    figures.descriptorsAfter = OpenDescriptorCount();
    figures.residentAfter = ResidentKiB();
    figures.publications = publications;

    EXPECT_EQ(done, conversions);
    EXPECT_EQ(platform.startCount, conversions) << "no converter ran twice";
    EXPECT_EQ(state.g_strStatus.Get(), texts::Idle(0, 0, false));
    EXPECT_LE(QuotaBytes(watch), std::uint64_t{kLimitMB} * kMiB) << "the quota holds";
    const std::size_t removed = platform.removedCount;
    EXPECT_EQ(platform.failedRemovalCount, 0u);
    EXPECT_GE(removed, 2 * (conversions - kLimitMB)) << "each .mp4 with its .jpg";
    EXPECT_EQ(made, conversions) << "every .flv was converted, none deleted";
    EXPECT_EQ(figures.descriptorsAfter, figures.descriptorsBefore);
    EXPECT_TRUE(ZombieChildren().empty());
    std::cout << "[ figures ] soak: " << conversions << " conversions, " << removed
              << " files deleted by the quota pass, " << figures.publications
              << " publications; descriptors " << figures.descriptorsBefore << " -> "
              << figures.descriptorsAfter << "; resident " << figures.residentBefore << " -> "
              << figures.residentAfter << " KiB" << std::endl;
    return figures;
}

bool Sanitized() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
    return true;
#else
    return false;
#endif
#else
    return false;
#endif
}

TEST(SoakTest, TwoThousandConversions) {
    const Figures figures = Soak(2000, 100);
    // Memory is only comparable without a sanitizer's quarantine and shadow.
    if (!Sanitized()) {
        EXPECT_LE(figures.residentAfter, figures.residentBefore + 1024) << "KiB";
    }
}

TEST(SoakThreadTest, TwoHundredConversions) {
    Soak(200, 20);
}

} // namespace
} // namespace reliability
