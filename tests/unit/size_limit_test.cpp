#include "core/size_limit.h"

#include <gtest/gtest.h>

#include <algorithm>
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
        PublishSettings(state, "/w/", "conv", limitMB);
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

TEST_F(SizeLimitTest, PartnerFoundWithoutRegardToAsciiCase) {
    platform.Add("Clip.mp4", 10, 2 * MiB);
    platform.Add("clip.JPG", 10, 1);
    platform.Add("clipx.jpg", 10, 1);
    Enforce(1);
    EXPECT_EQ(platform.removed, (std::vector<std::string>{"/w/Clip.mp4", "/w/clip.JPG"}));
}

// Each file counts at the space it takes (a sparse file at its blocks), and
// a file with several names once: deleting a name frees its space only when
// no other listed name of the file is left.
TEST_F(SizeLimitTest, CountsTheSpaceEachFileTakesOnce) {
    struct File {
        const char* name;
        std::int64_t created;
        std::uint64_t size;
        std::uint64_t allocated;
        const char* fileId;
    };
    constexpr std::uint64_t kAll = ~std::uint64_t{0};
    const File pairs[] = {{"a.mp4", 10, MiB, kAll, ""},
                          {"a.jpg", 10, 1, kAll, ""},
                          {"b.mp4", 20, MiB, kAll, ""},
                          {"c.mp4", 30, MiB, kAll, ""}};
    const struct {
        const char* what;
        std::vector<File> files;
        std::uint32_t limit;
        std::vector<std::string> removed;
    } cases[] = {
        {"a sparse .mp4 claiming 200 GiB", {{"zzz.mp4", 40, 200ull << 30, 0, ""}}, 10, {}},
        {"a sparse file counts its blocks",
         {{"zzz.mp4", 40, 200ull << 30, 8 * MiB, ""}},
         10,
         {"/w/a.mp4", "/w/a.jpg"}},
        {"five names of one 9 MiB file",
         {{"l1.mp4", 40, 9 * MiB, kAll, "x"},
          {"l2.mp4", 40, 9 * MiB, kAll, "x"},
          {"l3.mp4", 40, 9 * MiB, kAll, "x"},
          {"l4.mp4", 40, 9 * MiB, kAll, "x"},
          {"l5.jpg", 40, 9 * MiB, kAll, "x"}},
         13,
         {}},
        {"the oldest names of one file go until the last frees it",
         {{"l1.mp4", 5, 9 * MiB, kAll, "x"}, {"l2.mp4", 5, 9 * MiB, kAll, "x"}},
         10,
         {"/w/l1.mp4", "/w/l2.mp4"}},
        {"a name that stays keeps the file's space",
         {{"l.mp4", 5, 9 * MiB, kAll, "x"}, {"kept.jpg", 5, 9 * MiB, kAll, "x"}},
         10,
         {"/w/l.mp4", "/w/a.mp4", "/w/a.jpg", "/w/b.mp4"}},
    };
    for (const auto& [what, files, limit, removed] : cases) {
        platform.files.clear();
        platform.removed.clear();
        for (const std::vector<File>& list :
             {std::vector<File>(std::begin(pairs), std::end(pairs)), files}) {
            for (const File& f : list) {
                FakePlatform::File& added = platform.Add(f.name, f.created, f.size);
                added.allocated = f.allocated;
                added.fileId = f.fileId;
            }
        }
        Enforce(limit);
        EXPECT_EQ(platform.removed, removed) << what;
    }
}

// The partner is the .jpg of exactly the title; one alike but for case goes
// too, unless an .mp4 of exactly its own title is listed. In code page 932
// no second byte of a character is folded: "ア" (83 41) and "ヂ" (83 61) are
// two titles.
TEST_F(SizeLimitTest, PartnersAreTheJpgOfExactlyTheTitleOrOfNoOtherMp4) {
    const struct {
        std::vector<std::string> others; // beside the oldest, "a.mp4" or "アclip.mp4"
        bool cp932;
        std::vector<std::string> removed;
    } cases[] = {
        {{"A.JPG", "A.mp4"}, false, {"/w/a.mp4"}},
        {{"A.JPG", "a.jpg"}, false, {"/w/a.mp4", "/w/a.jpg", "/w/A.JPG"}},
        {{"\x83\x61"
          "clip.jpg",
          "\x83\x61"
          "clip.mp4",
          "\x83\x41"
          "CLIP.jpg"},
         true,
         {"/w/\x83\x41"
          "clip.mp4",
          "/w/\x83\x41"
          "CLIP.jpg"}},
    };
    for (const auto& [others, cp932, removed] : cases) {
        platform.files.clear();
        platform.removed.clear();
        platform.leadBytes =
            cp932 ? [](unsigned char
                           c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
                  : LeadByteTest{nullptr};
        platform.Add(cp932 ? "\x83\x41"
                             "clip.mp4"
                           : "a.mp4",
                     10, 2 * MiB);
        for (const std::string& name : others)
            platform.Add(name, 20, 1);
        Enforce(1);
        EXPECT_EQ(platform.removed, removed) << others.front();
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
