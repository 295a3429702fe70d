#include "platform/dir_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>

#include "support.h"

namespace {

namespace fs = std::filesystem;
using test_support::TempFolder;

std::vector<DirEntry> Find(const std::string& pattern) {
    std::vector<DirEntry> entries;
    FindDirEntries(pattern, [&](const DirEntry& e) { entries.push_back(e); });
    std::sort(entries.begin(), entries.end(),
              [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
    return entries;
}

std::vector<std::string> Names(const std::vector<DirEntry>& entries) {
    std::vector<std::string> names;
    for (const DirEntry& e : entries)
        names.push_back(e.name);
    return names;
}

TEST(DirSearchTest, ExtensionMatchIgnoresCaseAndIncludesHiddenEntriesAndDirectories) {
    TempFolder folder;
    folder.Touch("clip.FLV", 3);
    folder.Touch(".hidden.flv");
    folder.Touch("long.flvx");
    folder.Touch("clip.mp4");
    fs::create_directory((folder / "old.flv"));
    const std::vector<DirEntry> entries = Find(folder.Prefix() + "*.flv");
    ASSERT_EQ(Names(entries), (std::vector<std::string>{".hidden.flv", "clip.FLV", "old.flv"}));
    EXPECT_EQ(entries[1].size, 3u);
    EXPECT_FALSE(entries[1].isDirectory);
    EXPECT_TRUE(entries[2].isDirectory);
    EXPECT_EQ(entries[2].size, 0u);
}

TEST(DirSearchTest, NamesWithAnyBytesAreListedAsTheyAre) {
    TempFolder folder;
    const std::vector<std::string> names = {"a b.flv", "new\nline.flv", "\xff\xfe.flv",
                                            "-rf.flv", "q\"uo'te.flv",  "$(touch x).flv",
                                            "*.flv",   "semi;colon.flv"};
    for (const std::string& name : names)
        folder.Touch(name);
    std::vector<std::string> expected = names;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Names(Find(folder.Prefix() + "*.flv")), expected);
}

TEST(DirSearchTest, LinksAreEntriesOfTheirOwnNeverTheirTargets) {
    TempFolder folder;
    TempFolder outside;
    outside.Touch("target.bin", 5000);
    fs::create_symlink(outside / "target.bin", folder / "file.mp4");
    fs::create_symlink(outside.Path(), folder / "dir.mp4");
    for (const DirEntry& e : Find(folder.Prefix() + "*.mp4")) {
        EXPECT_FALSE(e.isDirectory) << e.name;
        EXPECT_NE(e.size, 5000u) << e.name;
    }
}

TEST(DirSearchTest, SizesAreWholeAndTimesAreCreationSeconds) {
    TempFolder folder;
    const std::time_t before = std::time(nullptr);
    fs::resize_file((folder.Touch("big.mp4"), folder / "big.mp4"), 5ull << 30);
    const std::time_t after = std::time(nullptr);
    const std::vector<DirEntry> entries = Find(folder.Prefix() + "*.mp4");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].size, 5ull << 30);
    EXPECT_GE(entries[0].creationTime, before);
    EXPECT_LE(entries[0].creationTime, after);
}

TEST(DirSearchTest, MissingFolderYieldsNothing) {
    TempFolder folder;
    EXPECT_TRUE(Find(folder.Prefix() + "gone/*.flv").empty());
    folder.Touch("file");
    EXPECT_TRUE(Find(folder.Prefix() + "file/*.flv").empty());
}

} // namespace
