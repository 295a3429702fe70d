#include "core/convert_worker.h"

#include <gtest/gtest.h>

#include "core/shared_state.h"
#include "fake_platform.h"

namespace {

class ConvertWorkerTest : public ::testing::Test {
  protected:
    ConvertWorkerTest() {
        platform.folder = "/w/";
        PublishSettings(state, "/w/", "conv", 0);
    }

    // The converter removes the file it was given, as a real one does.
    void ConverterRemovesItsFile() {
        platform.onConvert = [this](const std::string& commandLine) {
            const std::string title = commandLine.substr(commandLine.find(' ') + 1);
            std::erase_if(platform.files,
                          [&](const FakePlatform::File& f) { return f.name == title + ".flv"; });
        };
    }

    FakePlatform platform;
    SharedState state;
    ConvertWorker worker{platform, state};
};

TEST_F(ConvertWorkerTest, EmptyFolderIdlesTenSeconds) {
    worker.RunCycle();
    EXPECT_EQ(state.g_strStatus.Get(), "待機中");
    EXPECT_EQ(platform.sleeps, std::vector<unsigned>{10000});
    EXPECT_TRUE(platform.started.empty());
    EXPECT_EQ(platform.patterns.front(), "/w/*.flv");
}

TEST_F(ConvertWorkerTest, ConvertsOldestByCreationTimeWithCountAndNoPause) {
    platform.Add("a.flv", 500);
    platform.Add("b.flv", 200); // created first, listed second
    platform.Add("c.flv", 300);
    bool convertingDuringWait = false;
    platform.onConvert = [&](const std::string&) {
        convertingDuringWait = state.g_bConverting == 1;
    };
    worker.RunCycle();
    EXPECT_EQ(platform.started, std::vector<std::string>{"conv b"});
    EXPECT_EQ(state.g_strStatus.Get(), "bを変換中\r\n変換動画数 3");
    EXPECT_TRUE(convertingDuringWait);
    EXPECT_EQ(state.g_bConverting, 0);
    EXPECT_TRUE(platform.sleeps.empty());
}

TEST_F(ConvertWorkerTest, ChoosesOnlyEntriesStrictlyOlderThanTheCycle) {
    platform.Add("now.flv", platform.now);
    platform.Add("future.flv", platform.now + 60);
    worker.RunCycle();
    EXPECT_TRUE(platform.started.empty());
    EXPECT_EQ(state.g_strStatus.Get(), "待機中");

    platform.now += 1; // "now.flv" now lies in the past
    worker.RunCycle();
    EXPECT_EQ(platform.started, std::vector<std::string>{"conv now"});
    EXPECT_EQ(state.g_strStatus.Get(), "nowを変換中\r\n変換動画数 2");
}

TEST_F(ConvertWorkerTest, SameSecondListedFirstWins) {
    platform.Add("second.flv", 100);
    platform.Add("first.flv", 100);
    worker.RunCycle();
    EXPECT_EQ(platform.started, std::vector<std::string>{"conv second"});
}

TEST_F(ConvertWorkerTest, DirectoryNamedLikeAFileCountsAndCanBeChosen) {
    platform.files.push_back({"old.flv", 10, 0, true});
    platform.Add("new.flv", 20);
    worker.RunCycle();
    EXPECT_EQ(platform.started, std::vector<std::string>{"conv old"});
}

TEST_F(ConvertWorkerTest, TitleDropsOnlyTheLastExtensionAndMatchesAnyCase) {
    platform.Add("my clip.v2.FLV", 20);
    worker.RunCycle();
    EXPECT_EQ(platform.started, std::vector<std::string>{"conv my clip.v2"});
}

TEST_F(ConvertWorkerTest, EmptyTitleOldestBlocksNewerFiles) {
    platform.Add(".flv", 10);
    platform.Add("clip.flv", 20);
    worker.RunCycle();
    EXPECT_TRUE(platform.started.empty());
    EXPECT_EQ(state.g_strStatus.Get(), "待機中");
}

TEST_F(ConvertWorkerTest, EmptySettingsSearchTheCurrentDirectoryAndStartABlankLine) {
    PublishSettings(state, "", "", 0);
    platform.folder = "";
    platform.Add("clip.flv", 10);
    worker.RunCycle();
    EXPECT_EQ(platform.patterns.front(), "*.flv");
    EXPECT_EQ(platform.started, std::vector<std::string>{" clip"});
}

TEST_F(ConvertWorkerTest, ConverterThatCannotStartIsRetriedAfterAPause) {
    platform.Add("clip.flv", 10);
    platform.startFails = true;
    worker.RunCycle();
    EXPECT_EQ(state.g_strStatus.Get(), "「conv」を起動できません");
    EXPECT_EQ(platform.sleeps, std::vector<unsigned>{10000});
    EXPECT_EQ(state.g_bConverting, 0);
}

TEST_F(ConvertWorkerTest, ConverterThatLeavesItsFileIsRetriedAfterAPauseNotAtOnce) {
    platform.Add("stuck.flv", 10);
    for (int i = 0; i < 4; ++i)
        worker.RunCycle();
    // Start, pause, start, pause: never two starts without a pause between.
    EXPECT_EQ(platform.started.size(), 2u);
    EXPECT_EQ(platform.sleeps, (std::vector<unsigned>{10000, 10000}));
}

TEST_F(ConvertWorkerTest, NextFileFollowsAtOnceWhenTheConverterRemovedItsFile) {
    platform.Add("a.flv", 10);
    platform.Add("b.flv", 20);
    ConverterRemovesItsFile();
    worker.RunCycle();
    worker.RunCycle();
    EXPECT_EQ(platform.started, (std::vector<std::string>{"conv a", "conv b"}));
    EXPECT_EQ(state.g_strStatus.Get(), "bを変換中\r\n変換動画数 1");
    EXPECT_TRUE(platform.sleeps.empty());
}

TEST_F(ConvertWorkerTest, QuotaPassRunsEveryCycleBeforeTheConverter) {
    PublishSettings(state, "/w/", "conv", 1);
    platform.Add("old.mp4", 5, 2 * 1048576);
    platform.Add("clip.flv", 10);
    platform.onConvert = [&](const std::string&) { EXPECT_FALSE(platform.Has("old.mp4")); };
    worker.RunCycle();
    EXPECT_EQ(platform.patterns, (std::vector<std::string>{"/w/*.flv", "/w/*.mp4", "/w/*.jpg",
                                                           "/w/*.jpg", "/w/*.mp4", "/w/*.jpg"}));
    EXPECT_EQ(platform.started.size(), 1u);
}

TEST(FileTitleTest, MultibyteNamesAreScannedByCharacter) {
    // In code page 932 0x95 is a lead byte; a "." can never be a trail byte,
    // but a trail byte may equal a separator, which FindLastChar skips.
    const LeadByteTest cp932 = [](unsigned char c) {
        return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    };
    EXPECT_EQ(FileTitle("a.b.flv"), "a.b");
    EXPECT_EQ(FileTitle("noext"), "noext");
    EXPECT_EQ(FileTitle(".flv"), "");
    EXPECT_EQ(FileTitle("\x95\x5c.flv", cp932), "\x95\x5c");
    EXPECT_EQ(FindLastChar("dir\\\x95\x5c", '\\', cp932), 3u);
    EXPECT_EQ(FindLastChar("dir\\\x95\x5c", '\\', nullptr), 5u);
}

} // namespace
