#include "core/size_limit.h"

#include <gtest/gtest.h>

#include "core/shared_state.h"
#include "fake_platform.h"

namespace {

constexpr std::uint64_t MiB = 1048576;

class SizeLimitTest : public ::testing::Test {
  protected:
    SizeLimitTest() { platform.folder = "/w/"; }

    void Enforce(std::uint32_t limitMB) {
        PublishSettings(state, "/w/", "conv", limitMB);
        EnforceSizeLimit(platform, state);
    }

    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& f : platform.files)
            names.push_back(f.name);
        return names;
    }

    FakePlatform platform;
    SharedState state;
};

TEST_F(SizeLimitTest, ZeroLimitSearchesNothing) {
    platform.Add("a.mp4", 10, 100 * MiB);
    Enforce(0);
    EXPECT_TRUE(platform.patterns.empty());
    EXPECT_TRUE(platform.removed.empty());
}

TEST_F(SizeLimitTest, NegativeLimitSearchesButNeverDeletes) {
    platform.Add("a.mp4", 10, 100 * MiB);
    Enforce(4294967295u); // reads as -1
    EXPECT_EQ(platform.patterns, (std::vector<std::string>{"/w/*.mp4", "/w/*.jpg"}));
    EXPECT_TRUE(platform.removed.empty());
    Enforce(2147483648u); // the first value that reads as negative
    EXPECT_TRUE(platform.removed.empty());
}

TEST_F(SizeLimitTest, ExactlyTheLimitFitsOneByteMoreDeletesTheOldestPair) {
    platform.Add("a.mp4", 10, MiB / 2);
    platform.Add("a.jpg", 10, MiB / 2);
    Enforce(1);
    EXPECT_TRUE(platform.removed.empty());

    platform.Add("b.mp4", 20, 1);
    Enforce(1);
    EXPECT_EQ(platform.removed, (std::vector<std::string>{"/w/a.mp4", "/w/a.jpg"}));
    EXPECT_EQ(Names(), std::vector<std::string>{"b.mp4"});
}

TEST_F(SizeLimitTest, PairsGoOldestFirstUntilTheTotalFits) {
    platform.Add("c.mp4", 30, MiB);
    platform.Add("a.mp4", 10, MiB);
    platform.Add("b.jpg", 20, MiB / 2);
    platform.Add("b.mp4", 20, MiB);
    platform.Add("a.jpg", 10, MiB / 2);
    platform.Add("orphan.jpg", 5, MiB / 2);
    Enforce(2);
    EXPECT_EQ(platform.removed,
              (std::vector<std::string>{"/w/a.mp4", "/w/a.jpg", "/w/b.mp4", "/w/b.jpg"}));
    // A .jpg without an .mp4 of its title counts but is never deleted.
    EXPECT_EQ(Names(), (std::vector<std::string>{"c.mp4", "orphan.jpg"}));
}

TEST_F(SizeLimitTest, SameSecondListedFirstGoesFirst) {
    platform.Add("second.mp4", 10, MiB);
    platform.Add("first.mp4", 10, MiB);
    Enforce(1);
    EXPECT_EQ(platform.removed, std::vector<std::string>{"/w/second.mp4"});
}

TEST_F(SizeLimitTest, PartnerFoundWithoutRegardToAsciiCase) {
    platform.Add("Clip.mp4", 10, 2 * MiB);
    platform.Add("clip.JPG", 10, 1);
    platform.Add("clipx.jpg", 10, 1);
    Enforce(1);
    EXPECT_EQ(platform.removed, (std::vector<std::string>{"/w/Clip.mp4", "/w/clip.JPG"}));
}

TEST_F(SizeLimitTest, TitleIsNeverUsedAsAPattern) {
    platform.Add("*.mp4", 10, 2 * MiB);
    platform.Add("keep.jpg", 10, 1);
    platform.Add("*.jpg", 10, 1);
    Enforce(1);
    EXPECT_EQ(platform.removed, (std::vector<std::string>{"/w/*.mp4", "/w/*.jpg"}));
    EXPECT_TRUE(platform.Has("keep.jpg"));
}

TEST_F(SizeLimitTest, PassEndsWhenNothingCanBeDeleted) {
    // Only .jpg files: no candidate.
    platform.Add("a.jpg", 10, 2 * MiB);
    Enforce(1);
    EXPECT_TRUE(platform.removed.empty());

    // A candidate created in the current second counts but is not chosen.
    platform.Add("new.mp4", platform.now, 2 * MiB);
    Enforce(1);
    EXPECT_TRUE(platform.removed.empty());

    // A read-only candidate and a directory candidate cannot be deleted;
    // the partner of the read-only one goes, as on the system it was made for.
    platform.files.push_back({"dir.mp4", 1, 0, true});
    Enforce(1);
    platform.files.push_back({"ro.mp4", 0, MiB, false, true});
    platform.Add("ro.jpg", 0, 1);
    Enforce(1);
    EXPECT_EQ(platform.removed, std::vector<std::string>{"/w/ro.jpg"});
    EXPECT_TRUE(platform.Has("ro.mp4"));
    EXPECT_TRUE(platform.Has("dir.mp4"));
}

TEST_F(SizeLimitTest, EmptyTitleOldestMeansNoCandidate) {
    platform.Add(".mp4", 5, MiB);
    platform.Add("b.mp4", 10, 2 * MiB);
    Enforce(1);
    EXPECT_TRUE(platform.removed.empty());
}

TEST_F(SizeLimitTest, LimitSwitchedOffDuringThePassEndsIt) {
    platform.Add("a.mp4", 10, 2 * MiB);
    platform.Add("b.mp4", 20, 2 * MiB);
    platform.onRemove = [&](const std::string&) { state.g_nLimitMB = 0; };
    Enforce(1);
    EXPECT_EQ(platform.removed, std::vector<std::string>{"/w/a.mp4"});
}

TEST_F(SizeLimitTest, DeletesOnlyInTheFolderThatWasSearched) {
    platform.Add("a.mp4", 10, 2 * MiB);
    platform.Add("a.jpg", 10, 1);
    // The user applies another folder while the pass runs.
    platform.onRemove = [&](const std::string&) { state.g_strWatchDir.Set("/other/"); };
    Enforce(1);
    EXPECT_EQ(platform.removed, (std::vector<std::string>{"/w/a.mp4", "/w/a.jpg"}));
}

TEST_F(SizeLimitTest, LargeFilesCountWithTheirWholeSize) {
    platform.Add("big.mp4", 10, 5ull << 30); // 5 GiB
    Enforce(4096);
    EXPECT_EQ(platform.removed, std::vector<std::string>{"/w/big.mp4"});
}

} // namespace
