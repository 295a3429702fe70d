#include "core/size_limit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <set>

#include "core/shared_state.h"
#include "fake_platform.h"

namespace {

constexpr std::uint64_t MiB = 1048576;

class SizeLimitTest : public ::testing::Test {
  protected:
    SizeLimitTest() { platform.folder = "/w/"; }

    QuotaResult Enforce(std::uint32_t limitMB) {
        PublishSettings(state, {"/w/", "conv", limitMB});
        return EnforceSizeLimit(platform, state);
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
    EXPECT_EQ(platform.patterns, std::vector<std::string>{"/w/*"});
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

// The .jpg of exactly the title goes first, then those alike but for ASCII
// case, unless an .mp4 of exactly their own title is listed.
TEST_F(SizeLimitTest, PartnersAreTheJpgOfTheTitleThenThoseAlikeWithoutAnMp4OfTheirOwn) {
    platform.Add("Clip.mp4", 10, 2 * MiB);
    platform.Add("clip.JPG", 10, 1);
    platform.Add("Clip.jpg", 10, 1);
    platform.Add("CLIP.jpg", 10, 1);
    platform.Add("CLIP.mp4", 20, 1);
    platform.Add("clipx.jpg", 10, 1);
    Enforce(1);
    EXPECT_EQ(platform.removed,
              (std::vector<std::string>{"/w/Clip.mp4", "/w/Clip.jpg", "/w/clip.JPG"}));
}

// A sparse file counts the blocks it takes, and a file with several names
// counts once: deleting a name frees its space only with the last listed
// name of the file, and not at all while a name that stays is left.
TEST_F(SizeLimitTest, CountsTheSpaceEachFileTakesOnce) {
    const auto add = [&](const char* name, std::int64_t created, std::uint64_t size,
                         const char* fileId) { platform.Add(name, created, size).fileId = fileId; };
    const struct {
        std::function<void()> add;
        std::vector<std::string> removed;
    } cases[] = {
        {[&] { platform.Add("zzz.mp4", 40, 200ull << 30).allocated = 8 * MiB; },
         {"/w/a.mp4", "/w/a.jpg"}},
        {[&] { add("l1.mp4", 5, 9 * MiB, "x"), add("l2.mp4", 5, 9 * MiB, "x"); },
         {"/w/l1.mp4", "/w/l2.mp4"}},
        {[&] { add("l.mp4", 5, 9 * MiB, "x"), add("kept.jpg", 5, 9 * MiB, "x"); },
         {"/w/l.mp4", "/w/a.mp4", "/w/a.jpg", "/w/b.mp4"}},
    };
    for (const auto& [addFile, removed] : cases) {
        platform.files.clear();
        platform.removed.clear();
        platform.Add("a.mp4", 10, MiB);
        platform.Add("a.jpg", 10, 1);
        platform.Add("b.mp4", 20, MiB);
        platform.Add("c.mp4", 30, MiB);
        addFile();
        Enforce(10);
        EXPECT_EQ(platform.removed, removed) << removed.front();
    }
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
    // A candidate created in the current second counts but is not chosen.
    platform.Add("new.mp4", platform.now, 2 * MiB);
    EXPECT_EQ(Enforce(1), QuotaResult::Done);
    EXPECT_TRUE(platform.removed.empty());
}

// A .jpg without an .mp4 of its title is never deleted: when it alone holds
// the folder over the limit, no recording goes, since none would bring the
// folder under it; otherwise the pairs go oldest first until the folder fits.
TEST_F(SizeLimitTest, PairsGoOnlyWhenDeletingCanBringTheFolderUnderTheLimit) {
    const struct {
        std::uint64_t lone;
        QuotaResult result;
        std::vector<std::string> removed;
    } cases[] = {
        {2 * MiB + 1, QuotaResult::LimitOutOfReach, {}},
        {2 * MiB, QuotaResult::Done, {"/w/a.mp4", "/w/a.jpg", "/w/b.mp4", "/w/c.mp4"}},
        {MiB / 2, QuotaResult::Done, {"/w/a.mp4", "/w/a.jpg", "/w/b.mp4"}},
    };
    for (const auto& [lone, result, removed] : cases) {
        platform.files.clear();
        platform.removed.clear();
        platform.Add("zz.jpg", 5, lone);
        platform.Add("c.mp4", 30, MiB);
        platform.Add("a.mp4", 10, MiB);
        platform.Add("a.jpg", 10, 1);
        platform.Add("b.mp4", 20, MiB);
        EXPECT_EQ(Enforce(2), result) << lone;
        EXPECT_EQ(platform.removed, removed) << lone;
    }
}

TEST_F(SizeLimitTest, UndeletableCandidatesArePassedOverInTheSamePass) {
    // The oldest: a name the system could not give exactly (it counts), a
    // directory, the file ".mp4" (no title to form names from) and a
    // read-only file, whose partner stays with it.
    platform.Add("..?..?v.mp4", 0, MiB).usableName = false;
    platform.files.push_back({"dir.mp4", 1, 0, true});
    platform.Add(".mp4", 2, MiB);
    platform.files.push_back({"ro.mp4", 3, MiB, false, true});
    platform.Add("ro.jpg", 3, 1);
    platform.Add("b.mp4", 10, 2 * MiB);
    platform.Add("b.jpg", 10, 1);
    platform.Add("c.mp4", 20, MiB / 2);
    // A file in use, which only its deletion tells.
    platform.Add("locked.mp4", 5, MiB / 4).locked = true;
    EXPECT_EQ(Enforce(4), QuotaResult::Done);
    EXPECT_EQ(platform.removed, (std::vector<std::string>{"/w/b.mp4", "/w/b.jpg"}));
    EXPECT_EQ(Names(), (std::vector<std::string>{"..?..?v.mp4", "dir.mp4", ".mp4", "ro.mp4",
                                                 "ro.jpg", "c.mp4", "locked.mp4"}));

    // Grown, the file in use holds the folder over the limit with the
    // others that must stay: the pass stops on it.
    platform.Find("locked.mp4")->size = MiB;
    platform.Add("d.mp4", 30, MiB);
    platform.removed.clear();
    EXPECT_EQ(Enforce(4), QuotaResult::LimitOutOfReach);
    EXPECT_TRUE(platform.removed.empty());
}

// The .jpg files that go with `mp4` in the folder as it is now: those of
// exactly its title, then those whose title differs only in ASCII case and
// that have no .mp4 of exactly their own title.
std::vector<std::string> PartnersNow(const FakePlatform& platform, const std::string& mp4) {
    const std::string title = FileTitle(mp4);
    const auto hasOwnMp4 = [&](const std::string& own) {
        return std::any_of(platform.files.begin(), platform.files.end(), [&](const auto& f) {
            return MatchesMask(f.name, "*.mp4") && FileTitle(f.name) == own;
        });
    };
    std::vector<std::string> exact, alike;
    for (const auto& f : platform.files) {
        const std::string own = FileTitle(f.name);
        if (MatchesMask(f.name, "*.jpg") && own == title)
            exact.push_back(f.name);
        else if (MatchesMask(f.name, "*.jpg") && EqualsIgnoringAsciiCase(own, title) &&
                 !hasOwnMp4(own))
            alike.push_back(f.name);
    }
    exact.insert(exact.end(), alike.begin(), alike.end());
    return exact;
}

// The space the .mp4 and .jpg files take now, a file with several names once.
double SpaceNow(const FakePlatform& platform) {
    std::set<std::string> counted;
    double space = 0;
    for (const auto& f : platform.files) {
        if ((!MatchesMask(f.name, "*.mp4") && !MatchesMask(f.name, "*.jpg")) || f.directory ||
            (!f.fileId.empty() && !counted.insert(f.fileId).second))
            continue;
        space += static_cast<double>(std::min(f.size, f.allocated));
    }
    return space;
}

// The space left once every .mp4 that can be deleted, now or later, has
// gone with its partners.
double SpaceNoDeletionFrees(FakePlatform platform) {
    platform.now += 3600;
    for (const auto& f : std::vector<FakePlatform::File>(platform.files)) {
        const std::vector<std::string> partners = PartnersNow(platform, f.name);
        if (!MatchesMask(f.name, "*.mp4") || FileTitle(f.name) == "" ||
            !platform.RemoveWritableFile("/w/" + f.name))
            continue;
        for (const auto& p : partners)
            platform.RemoveWritableFile("/w/" + p);
    }
    return SpaceNow(platform);
}

// The rule as first stated: list the folder, delete the oldest deletable
// .mp4 and its partners, and list again, until the total fits; but nothing
// at all when no deletion can make it fit.
std::vector<std::string> RepeatedRule(FakePlatform platform, std::int32_t limitMB) {
    if (limitMB > 0 && SpaceNoDeletionFrees(platform) > limitMB * double(MiB))
        return {};
    std::vector<std::string> undeletable;
    for (;;) {
        const FakePlatform::File* oldest = nullptr;
        for (const auto& f : platform.files) {
            const bool skip = std::count(undeletable.begin(), undeletable.end(), f.name) > 0;
            if (MatchesMask(f.name, "*.mp4") && !skip && f.created < platform.now &&
                FileTitle(f.name) != "" && (!oldest || f.created < oldest->created))
                oldest = &f;
        }
        if (limitMB <= 0 || SpaceNow(platform) <= limitMB * double(MiB) || !oldest)
            return platform.removed;
        const std::string name = oldest->name;
        const std::vector<std::string> partners = PartnersNow(platform, name);
        if (!platform.RemoveWritableFile("/w/" + name)) {
            undeletable.push_back(name);
            continue;
        }
        for (const auto& p : partners)
            platform.RemoveWritableFile("/w/" + p);
    }
}

// Random folders of names alike but for case, hard links and sparse files.
TEST_F(SizeLimitTest, OneListingDeletesWhatTheRepeatedRuleDeletes) {
    std::mt19937 random(7);
    const char* titles[] = {"a", "A", "B", "b", "c", "", "d.e"};
    const char* extensions[] = {".mp4", ".jpg", ".MP4", ".JPG", ".flv"};
    for (int round = 0; round < 1000; ++round) {
        platform.files.clear();
        platform.removed.clear();
        const int count = static_cast<int>(random() % 12);
        for (int i = 0; i < count; ++i) {
            const std::string name = std::string(titles[random() % 7]) + extensions[random() % 5];
            if (platform.Has(name))
                continue; // a folder holds each name once
            FakePlatform::File& f = platform.Add(
                name, platform.now - 3 + static_cast<int>(random() % 4), (random() % 4) * MiB / 2);
            f.directory = random() % 8 == 0;
            f.readOnly = random() % 8 == 0;
            if (random() % 4 == 0)
                f.allocated = (random() % 2) * MiB / 4;
            FakePlatform::File& other = platform.files[random() % platform.files.size()];
            if (random() % 4 == 0 && !f.directory && !other.directory && &other != &f) {
                if (other.fileId.empty())
                    other.fileId = "file of " + other.name;
                const std::string own = f.name;
                f = other;
                f.name = own;
            }
        }
        const std::int32_t limit = static_cast<std::int32_t>(random() % 4) - 1;
        const std::vector<std::string> expected = RepeatedRule(platform, limit);
        Enforce(static_cast<std::uint32_t>(limit));
        ASSERT_EQ(platform.removed, expected) << "round " << round;
    }
}

TEST_F(SizeLimitTest, LimitSwitchedOffDuringThePassEndsIt) {
    platform.Add("a.mp4", 10, 2 * MiB);
    platform.Add("b.mp4", 20, 2 * MiB);
    platform.onRemove = [&](const std::string&) { PublishSettings(state, {"/w/", "conv", 0}); };
    Enforce(1);
    EXPECT_EQ(platform.removed, std::vector<std::string>{"/w/a.mp4"});
}

TEST_F(SizeLimitTest, DeletesOnlyInTheFolderThatWasSearched) {
    platform.Add("a.mp4", 10, 2 * MiB);
    platform.Add("a.jpg", 10, 1);
    // The user applies another folder while the pass runs.
    platform.onRemove = [&](const std::string&) { PublishSettings(state, {"/other/", "conv", 1}); };
    Enforce(1);
    EXPECT_EQ(platform.removed, (std::vector<std::string>{"/w/a.mp4", "/w/a.jpg"}));
}

TEST_F(SizeLimitTest, LargeFilesCountWithTheirWholeSize) {
    platform.Add("big.mp4", 10, 5ull << 30); // 5 GiB
    Enforce(4096);
    EXPECT_EQ(platform.removed, std::vector<std::string>{"/w/big.mp4"});
}

} // namespace
