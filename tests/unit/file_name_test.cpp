#include "core/file_name.h"

#include <gtest/gtest.h>

namespace {

TEST(MatchesMaskTest, ExtensionMasksIgnoreAsciiCaseOnly) {
    EXPECT_TRUE(MatchesMask("clip.flv", "*.flv"));
    EXPECT_TRUE(MatchesMask("clip.FLV", "*.flv"));
    EXPECT_TRUE(MatchesMask(".flv", "*.flv"));
    EXPECT_TRUE(MatchesMask("a.b.flv", "*.flv"));
    EXPECT_FALSE(MatchesMask("clip.flvx", "*.flv"));
    EXPECT_FALSE(MatchesMask("clip.fl", "*.flv"));
    EXPECT_FALSE(MatchesMask("clipflv", "*.flv"));
    EXPECT_FALSE(MatchesMask("\xc3\xa9.flv", "\xc3\x89*")); // no case folding beyond ASCII
    EXPECT_TRUE(MatchesMask("a.x.y", "a?x*"));
    EXPECT_TRUE(MatchesMask("", "*"));
    EXPECT_FALSE(MatchesMask("", "?"));
}

TEST(NormaliseWatchDirTest, AppendsTheSeparatorOnlyWhenMissing) {
    const std::string sep(1, kPathSeparator);
    std::string folder = "dir";
    NormaliseWatchDir(folder);
    EXPECT_EQ(folder, "dir" + sep);
    NormaliseWatchDir(folder);
    EXPECT_EQ(folder, "dir" + sep);
    std::string empty;
    NormaliseWatchDir(empty);
    EXPECT_EQ(empty, "");
}

TEST(EqualsIgnoringAsciiCaseTest, ComparesWholeNames) {
    EXPECT_TRUE(EqualsIgnoringAsciiCase("Clip.JPG", "clip.jpg"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase("clip.jpg", "clip.jpgx"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase("a", "b"));
}

} // namespace
