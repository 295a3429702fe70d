#include "core/convert_worker.h"

#include <gtest/gtest.h>

#include "core/shared_state.h"
#include "core/texts.h"
#include "fake_platform.h"

namespace {

// Each table runs over a watch that tells no names, so that every cycle
// lists the folder, and over one that names every change, so that a cycle
// looks at those entries alone.
class ConvertWorkerTest : public ::testing::TestWithParam<bool> {
  protected:
    ConvertWorkerTest() {
        platform.folder = "/w/";
        platform.watchTellsNames = GetParam();
        PublishSettings(state, {"/w/", "conv", 0});
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

INSTANTIATE_TEST_SUITE_P(Watch, ConvertWorkerTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "TellingNames" : "TellingNoNames";
                         });

TEST_P(ConvertWorkerTest, EmptyFolderIdlesTenSeconds) {
    worker.RunCycle();
    EXPECT_EQ(state.g_strStatus.Get().text, "待機中");
    EXPECT_EQ(platform.sleeps, std::vector<unsigned>{10000});
    EXPECT_TRUE(platform.started.empty());
    EXPECT_EQ(platform.patterns.front(), "/w/*.flv");
}

TEST_P(ConvertWorkerTest, ConvertsOldestByCreationTimeWithCountAndNoPause) {
    platform.Add("a.flv", 500);
    platform.Add("b.flv", 200); // created first, listed second
    platform.Add("c.flv", 300);
    bool convertingDuringWait = false;
    platform.onConvert = [&](const std::string&) {
        convertingDuringWait = state.g_bConverting == 1;
    };
    worker.RunCycle();
    EXPECT_EQ(platform.started, std::vector<std::string>{"conv b"});
    EXPECT_EQ(state.g_strStatus.Get().text, "bを変換中\r\n変換動画数 3");
    EXPECT_TRUE(convertingDuringWait);
    EXPECT_EQ(state.g_bConverting, 0);
    EXPECT_TRUE(platform.sleeps.empty());
}

TEST_P(ConvertWorkerTest, ChoosesOnlyEntriesStrictlyOlderThanTheCycle) {
    platform.Add("now.flv", platform.now);
    platform.Add("future.flv", platform.now + 60);
    worker.RunCycle();
    EXPECT_TRUE(platform.started.empty());
    EXPECT_EQ(state.g_strStatus.Get().text, "待機中");
    // The pause lasts until "now.flv" lies in the past, not the full 10 s.
    EXPECT_EQ(platform.sleeps, std::vector<unsigned>{1000});
    worker.RunCycle();
    EXPECT_EQ(platform.started, std::vector<std::string>{"conv now"});
    EXPECT_EQ(state.g_strStatus.Get().text, "nowを変換中\r\n変換動画数 2");
}

TEST_P(ConvertWorkerTest, SameSecondListedFirstWins) {
    platform.Add("second.flv", 100);
    platform.Add("first.flv", 100);
    worker.RunCycle();
    EXPECT_EQ(platform.started, std::vector<std::string>{"conv second"});
}

TEST_P(ConvertWorkerTest, DirectoryNamedLikeAFileCountsAndCanBeChosen) {
    platform.files.push_back({"old.flv", 10, 0, true});
    platform.Add("new.flv", 20);
    worker.RunCycle();
    EXPECT_EQ(platform.started, std::vector<std::string>{"conv old"});
}

TEST_P(ConvertWorkerTest, TitleDropsOnlyTheLastExtensionAndMatchesAnyCase) {
    platform.Add("my clip.v2.FLV", 20);
    worker.RunCycle();
    EXPECT_EQ(platform.started, std::vector<std::string>{"conv my clip.v2"});
}

TEST_P(ConvertWorkerTest, EmptyTitleIsNeverChosen) {
    platform.Add(".flv", 10);
    platform.Add("clip.flv", 20);
    worker.RunCycle();
    EXPECT_EQ(platform.started, std::vector<std::string>{"conv clip"});
    EXPECT_EQ(state.g_strStatus.Get().text, "clipを変換中\r\n変換動画数 2");
}

TEST_P(ConvertWorkerTest, EmptySettingsSearchTheCurrentDirectoryAndStartABlankLine) {
    PublishSettings(state, {"", "", 0});
    platform.folder = "";
    platform.Add("clip.flv", 10);
    worker.RunCycle();
    EXPECT_EQ(platform.patterns.front(), "*.flv");
    EXPECT_EQ(platform.started, std::vector<std::string>{" clip"});
}

TEST_P(ConvertWorkerTest, ConverterThatCannotStartIsRetriedAfterAPause) {
    platform.Add("clip.flv", 10);
    platform.startFails = true;
    worker.RunCycle();
    EXPECT_EQ(state.g_strStatus.Get().text, "実行するプログラムを起動できません\r\n「conv」");
    EXPECT_EQ(platform.sleeps, std::vector<unsigned>{10000});
    EXPECT_EQ(state.g_bConverting, 0);
}

TEST_P(ConvertWorkerTest, FailedFileStepsAsideAndComesBackWithAGrowingBackOff) {
    platform.Add("bad.flv", 10, 5);
    platform.Add("good1.flv", 20);
    platform.Add("good2.flv", 30);
    // The converter removes every file but "bad".
    platform.onConvert = [&](const std::string& commandLine) {
        if (commandLine != "conv bad")
            std::erase_if(platform.files, [&](const auto& f) {
                return "conv " + FileTitle(f.name) == commandLine;
            });
    };
    for (int i = 0; i < 3; ++i)
        worker.RunCycle();
    EXPECT_EQ(platform.started, (std::vector<std::string>{"conv bad", "conv good1", "conv good2"}));
    EXPECT_TRUE(platform.sleeps.empty());

    // Alone now, it is retried after 10 s, then 20 s, 40 s ...: every
    // cycle in between is a full idle pause that names the failure.
    std::vector<std::int64_t> retries;
    const std::int64_t firstFailure = platform.now;
    while (platform.now < firstFailure + 1300) {
        const std::size_t before = platform.started.size();
        worker.RunCycle();
        if (platform.started.size() > before)
            retries.push_back(platform.now - firstFailure);
        else
            EXPECT_EQ(platform.sleeps.back(), 10000u);
    }
    EXPECT_EQ(retries, (std::vector<std::int64_t>{10, 30, 70, 150, 310, 630, 1230}));
    EXPECT_EQ(state.g_strStatus.Get().text, "待機中\r\n変換できなかったファイル 1件");
    // One notice for the file, however often it fails.
    EXPECT_EQ(state.g_failedTitles.TakeAll(), std::vector<std::string>{"bad"});
}

// An upload that never ends: the oldest file grows before every cycle and
// during every run, and its converter always leaves it. The others go at
// once; it is tried again only when its back-off, shortened to 10 s by each
// change, has passed, and it is announced once.
TEST_P(ConvertWorkerTest, FileThatKeepsChangingNeitherStallsTheQueueNorSkipsItsBackOff) {
    platform.Add("junk.flv", 10, 1);
    for (const char* name : {"good1.flv", "good2.flv", "good3.flv"})
        platform.Add(name, 20);
    const auto append = [&] {
        FakePlatform::File* junk = platform.Find("junk.flv");
        ++junk->size;
        junk->modified = platform.now;
    };
    platform.onConvert = [&](const std::string& commandLine) {
        if (commandLine == "conv junk")
            append();
        else
            std::erase_if(platform.files, [&](const auto& f) {
                return "conv " + FileTitle(f.name) == commandLine;
            });
    };
    const std::int64_t start = platform.now;
    std::vector<std::int64_t> junkRuns;
    while (platform.now < start + 100) {
        append();
        const std::size_t before = platform.started.size();
        worker.RunCycle();
        if (platform.started.size() > before && platform.started.back() == "conv junk")
            junkRuns.push_back(platform.now - start);
        // No pause before the good files are all gone.
        EXPECT_TRUE(!platform.Has("good3.flv") || platform.sleeps.empty());
    }
    EXPECT_EQ(std::vector<std::string>(platform.started.begin(), platform.started.begin() + 4),
              (std::vector<std::string>{"conv junk", "conv good1", "conv good2", "conv good3"}));
    EXPECT_EQ(junkRuns, (std::vector<std::int64_t>{0, 10, 30, 50, 70, 90}));
    EXPECT_EQ(state.g_failedTitles.TakeAll(), std::vector<std::string>{"junk"});
}

TEST_P(ConvertWorkerTest, FileBeingWrittenOrStillHeldWaitsAndTheOldestCompleteOneGoes) {
    platform.Add("recording.flv", 10).writing = WriteState::Writing;
    // Held by a converter it was handed to earlier, in this run or another.
    platform.Add("held.flv", 11).writing = WriteState::Claimed;
    // Gone between the listing and the probe: neither waiting nor failed.
    platform.Add("vanished.flv", 12).writing = WriteState::Gone;
    // Where the probe cannot tell, 10 quiet seconds make a file complete.
    for (const auto& [name, quiet] :
         {std::pair{"unknown-fresh.flv", 9}, {"unknown-quiet.flv", 10}}) {
        FakePlatform::File& file = platform.Add(name, 20);
        file.writing = WriteState::Unknown;
        file.modified = platform.now - quiet;
    }
    worker.RunCycle();
    EXPECT_EQ(platform.started, std::vector<std::string>{"conv unknown-quiet"});

    platform.files.pop_back();
    worker.RunCycle();
    EXPECT_EQ(state.g_strStatus.Get().text, "待機中\r\n書き込み終了待ち 2件、使用終了待ち 1件");
    platform.Find("held.flv")->writing = WriteState::Closed;
    worker.RunCycle();
    EXPECT_EQ(platform.started.back(), "conv held");
    platform.Find("recording.flv")->writing = WriteState::Closed;
    worker.RunCycle();
    EXPECT_EQ(platform.started.back(), "conv recording");
}

// The converter is handed the file the probe opened, and this program's
// copy is closed before the wait: the claim is the converter's alone.
TEST_P(ConvertWorkerTest, ConverterIsHandedTheCheckedFileAndItsNameInItsEnvironment) {
    platform.Add("say \"hi\"  twice.flv", 10);
    int openWhileConverting = -1;
    platform.onConvert = [&](const std::string&) { openWhileConverting = platform.openRecordings; };
    worker.RunCycle();
    EXPECT_EQ(platform.handed, std::vector<std::string>{"/w/say \"hi\"  twice.flv"});
    EXPECT_EQ(openWhileConverting, 0);
    EXPECT_EQ(platform.environment,
              (ConverterEnvironment{{"KOVALIN_FILE", "/w/say \"hi\"  twice.flv"},
                                    {"KOVALIN_TITLE", "say \"hi\"  twice"},
                                    {"KOVALIN_FOLDER", "/w/"}}));
}

// Names the system cannot give exactly (two of them shown alike, as code
// page 932 shows ä.flv and ö.flv), a FIFO, a link, a file this program may
// not read, uploads whose .mp4 or .jpg would be another file's short name,
// and a title the start refuses: never handed over, shown and announced as
// failed, once, in nobody's way.
TEST_P(ConvertWorkerTest, FilesThatMustNeverBeHandedOverFailAndBlockNothing) {
    platform.Add("..?..?x.flv", 10).usableName = false;
    for (const char* identity : {"\xe4.flv", "\xf6.flv"}) {
        FakePlatform::File& file = platform.Add("?.flv", 15, identity[0] & 0xF);
        file.usableName = false;
        file.identity = identity;
    }
    platform.Add("fifo.flv", 20).writing = WriteState::NotAFile;
    platform.Add("link.flv", 21).link = true;
    platform.Add("secret.flv", 22).writing = WriteState::Unreadable;
    platform.Add("RECORD~1.flv", 23);
    platform.Add("THUMB~1.flv", 24);
    platform.aliases = {"/w/RECORD~1.mp4", "/w/THUMB~1.jpg"};
    platform.Add("a&b.flv", 30);
    platform.refusedTitle = "a&b";
    platform.Add("plain.flv", 40);
    ConverterRemovesItsFile();
    for (int i = 0; i < 3; ++i)
        worker.RunCycle();
    EXPECT_EQ(platform.started, std::vector<std::string>{"conv plain"});
    EXPECT_EQ(state.g_strStatus.Get().text, "待機中\r\n変換できなかったファイル 9件");
    platform.now += 3600; // their back-offs pass, and they are refused again
    for (int i = 0; i < 3; ++i)
        worker.RunCycle();
    EXPECT_EQ(state.g_failedTitles.TakeAll(),
              (std::vector<std::string>{"..?..?x", "?", "?", "fifo", "link", "secret", "RECORD~1",
                                        "THUMB~1", "a&b"}));
    // An unusable name is never joined to the folder, not even to probe it.
    for (const std::string& path : platform.probed)
        EXPECT_EQ(path.find("..?"), std::string::npos);
}

// A file moved in 3 s into an idle pause goes 1 s later, not at the next
// 10 s; changes without end give at most one cycle a second.
TEST_P(ConvertWorkerTest, AChangeOfTheFolderEndsTheIdlePauseAtMostOnceASecond) {
    ConverterRemovesItsFile();
    platform.changes.push_back({3000, [&] { platform.Add("new.flv", platform.now); }});
    worker.RunCycle();
    worker.RunCycle();
    EXPECT_EQ(platform.started, std::vector<std::string>{"conv new"});
    EXPECT_EQ(platform.sleeps, (std::vector<unsigned>{10000, kSettleMs}));
    EXPECT_EQ(platform.watched, (std::vector<std::string>{"/w/", "/w/"}));

    platform.changes.assign(50, {0, nullptr});
    const std::int64_t start = platform.now;
    for (int i = 0; i < 50; ++i)
        worker.RunCycle();
    EXPECT_GE(platform.now - start, 50);
}

TEST_P(ConvertWorkerTest, ASettingChangeEndsAnyPauseAndAFolderChangeOnlyAnIdleOne) {
    platform.wakes = 0;
    PublishSettings(state, {"/w/", "conv", 0}); // the same again
    PublishSettings(state, {"/w/", "conv", 7});
    PublishSettings(state, {"/w/", "conv2", 7});
    PublishSettings(state, {"/v/", "conv2", 7});
    EXPECT_EQ(platform.wakes, 3);

    // A converter that cannot start waits out its full pause.
    PublishSettings(state, {"/w/", "conv", 0});
    platform.startFails = true;
    platform.Add("a.flv", 10);
    platform.changes.push_back({0, nullptr});
    worker.RunCycle();
    EXPECT_EQ(platform.sleeps, std::vector<unsigned>{10000});
    EXPECT_EQ(platform.changes.size(), 1u);
}

TEST_P(ConvertWorkerTest, AFolderThatAnotherKovalinRunsIsLeftAloneUntilItIsFree) {
    PublishSettings(state, {"/w/", "conv", 1});
    platform.Add("old.mp4", 5, 2 * 1048576);
    platform.Add("a.flv", 10);
    platform.Add("b.flv", 11);
    ConverterRemovesItsFile();
    const struct {
        long ownerPid;
        const char* status;
    } cases[] = {
        {4321, "他のKovalinが監視フォルダを使用中\r\nPID 4321"},
        {0, "他のKovalinが監視フォルダを使用中"}, // a holder the system does not show
    };
    for (const auto& c : cases) {
        platform.claim = {FolderClaim::State::HeldElsewhere, c.ownerPid};
        platform.sleeps.clear();
        platform.changes.push_back({0, nullptr}); // a folder change does not end the pause
        worker.RunCycle();
        EXPECT_EQ(state.g_strStatus.Get().text, c.status);
        EXPECT_EQ(platform.sleeps, std::vector<unsigned>{10000});
        EXPECT_TRUE(platform.started.empty());
        EXPECT_TRUE(platform.removed.empty());
        EXPECT_TRUE(platform.probed.empty());
        platform.changes.clear();
    }
    for (const FolderClaim::State free : {FolderClaim::State::Held, FolderClaim::State::NoLock}) {
        platform.claim = {free, 0};
        worker.RunCycle();
    }
    EXPECT_EQ(platform.started, (std::vector<std::string>{"conv a", "conv b"}));
    EXPECT_EQ(platform.removed, std::vector<std::string>{"/w/old.mp4"});
    EXPECT_EQ(platform.claimed, std::vector<std::string>(4, "/w/"));
}

TEST(IdleStatusTest, LinesNameAnUnreachableLimitAndWaitingHeldAndFailedFiles) {
    EXPECT_EQ(texts::Idle(0, 0, false).text, "待機中");
    EXPECT_EQ(texts::Idle(0, 3, false).text, "待機中\r\n変換できなかったファイル 3件");
    EXPECT_EQ(texts::Idle(99999, 99999, false).text,
              "待機中\r\n書き込み終了待ち 99999件、変換できなかったファイル 99999件");
    EXPECT_EQ(texts::Idle(0, 0, true).text, "待機中\r\n削除しても上限を超えます");
    EXPECT_EQ(texts::Idle(1, 0, true).text,
              "待機中\r\n削除しても上限を超えます\r\n書き込み終了待ち 1件");
    EXPECT_EQ(texts::Idle(0, 0, false, 1).text, "待機中\r\n使用終了待ち 1件");
    EXPECT_EQ(texts::Idle(1, 2, false, 3).text,
              "待機中\r\n書き込み終了待ち 1件、使用終了待ち 3件、変換できなかったファイル 2件");
}

TEST(DisplayedTitleTest, ControlCharactersBecomeQuestionMarks) {
    EXPECT_EQ(DisplayedTitle("a\x1b[31m\r\nb\x7f", nullptr), "a?[31m??b?");
    EXPECT_EQ(DisplayedTitle("\xc2\x9b"
                             "1m \xc2\xa0\xe5\x8b\x95",
                             nullptr),
              "?1m \xc2\xa0\xe5\x8b\x95");
    // In code page 932 a trail byte may be any of 0x40 to 0xFC.
    const LeadByteTest cp932 = [](unsigned char c) { return c >= 0x81 && c <= 0x9F; };
    EXPECT_EQ(DisplayedTitle("\x83\x7f\x1b", cp932), "\x83\x7f?");
}

TEST_P(ConvertWorkerTest, NextFileFollowsAtOnceWhenTheConverterRemovedItsFile) {
    platform.Add("a.flv", 10);
    platform.Add("b.flv", 20);
    ConverterRemovesItsFile();
    worker.RunCycle();
    worker.RunCycle();
    EXPECT_EQ(platform.started, (std::vector<std::string>{"conv a", "conv b"}));
    EXPECT_EQ(state.g_strStatus.Get().text, "bを変換中\r\n変換動画数 1");
    EXPECT_TRUE(platform.sleeps.empty());
}

TEST_P(ConvertWorkerTest, QuotaPassRunsEveryCycleBeforeTheConverter) {
    PublishSettings(state, {"/w/", "conv", 1});
    platform.Add("old.mp4", 5, 2 * 1048576);
    platform.Add("clip.flv", 10);
    platform.onConvert = [&](const std::string&) { EXPECT_FALSE(platform.Has("old.mp4")); };
    worker.RunCycle();
    EXPECT_EQ(platform.started.size(), 1u);

    // A .jpg without its .mp4 holds the folder over the limit alone.
    platform.files.clear();
    platform.Add("huge.jpg", 5, 2 * 1048576);
    platform.Add("new.mp4", 6, 1);
    worker.RunCycle();
    EXPECT_EQ(state.g_strStatus.Get().text, "待機中\r\n削除しても上限を超えます");
    EXPECT_TRUE(platform.Has("new.mp4"));
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
