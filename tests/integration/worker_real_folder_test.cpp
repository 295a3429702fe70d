// The worker and the quota pass over real folders with real converters; only
// the pauses are recorded instead of slept, and the clock runs ahead so that
// the files a test makes count as older than the cycle.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "core/convert_worker.h"
#include "core/shared_state.h"
#include "core/size_limit.h"
#include "platform/the_platform.h"
#include "processes.h"
#include "support.h"
#include "test_platform.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace test_support;

constexpr std::size_t MiB = 1048576;

class WorkerOnRealFolderTest : public ::testing::Test {
  protected:
    void Publish(const std::string& program, std::uint32_t limitMB = 0) {
        PublishSettings(state, {folder.Prefix(), program, limitMB});
    }
    std::string Log() const { return folder / "converter.log"; }

    TempFolder folder;
    SharedState state;
    TestPlatform platform;
    ConvertWorker worker{platform, state};
};

TEST_F(WorkerOnRealFolderTest, ConvertsOldestFirstThenIdles) {
    folder.Touch("a.FLV");
    folder.Touch("b c.flv");
    platform.FixCreationTimes({{"b c.flv", 100}, {"a.FLV", 200}});
    Publish(ConverterProgram("record", Log(), folder.Path()));
    worker.RunCycle();
    EXPECT_EQ(state.g_strStatus.Get().text, "b cを変換中\r\n変換動画数 2");
    worker.RunCycle();
    worker.RunCycle();
    EXPECT_EQ(state.g_strStatus.Get().text, "待機中");

    const std::vector<ConverterRun> runs = ReadConverterLog(Log());
    ASSERT_EQ(runs.size(), 1u + 1u);
    EXPECT_EQ(runs[0].args, (std::vector<std::string>{"b", "c"}));
    EXPECT_EQ(runs[1].args, std::vector<std::string>{"a"});
    EXPECT_EQ(platform.Pauses(), std::vector<unsigned>{10000});
}

TEST_F(WorkerOnRealFolderTest, ConvertersThatFailOrLeaveTheFileNeverRunWithoutAPause) {
    folder.Touch("clip.flv");

    Publish("/nonexistent/converter");
    for (int i = 0; i < 3; ++i)
        worker.RunCycle();
    EXPECT_EQ(platform.Pauses().size(), 3u);
    EXPECT_EQ(state.g_strStatus.Get().text,
              "実行するプログラムを起動できません\r\n「/nonexistent/converter」");

    Publish(ConverterProgram("record", Log())); // exits at once, leaves clip.flv
    platform.Forget();
    for (int i = 0; i < 6; ++i)
        worker.RunCycle();
    // The file failed: it rests for its back-off, and every cycle pauses.
    EXPECT_EQ(ReadConverterLog(Log()).size(), 1u);
    EXPECT_EQ(platform.Pauses().size(), 5u);
    EXPECT_EQ(state.g_strStatus.Get().text, "待機中\r\n変換できなかったファイル 1件");
}

TEST_F(WorkerOnRealFolderTest, FileHeldOpenForWritingByAnotherProcessWaitsUntilClosed) {
    folder.Touch("recording.flv", 100);
    // A "recorder": a child that holds the file open for writing.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string path = folder.Prefix() + "recording.flv";
    posix_spawn_file_actions_addopen(&actions, 3, path.c_str(), O_WRONLY | O_APPEND, 0);
    char sleepArg[] = "sleep", seconds[] = "300";
    char* argv[] = {sleepArg, seconds, nullptr};
    pid_t recorder = 0;
    ASSERT_EQ(posix_spawnp(&recorder, "sleep", &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ASSERT_TRUE(
        WaitFor([&] { return ThePlatform().ProbeRecording(path).state == WriteState::Writing; }));

    Publish(ConverterProgram("record", Log(), folder.Prefix()));
    worker.RunCycle();
    EXPECT_TRUE(ReadConverterLog(Log()).empty());
    EXPECT_EQ(state.g_strStatus.Get().text, "待機中\r\n書き込み終了待ち 1件");

    kill(recorder, SIGKILL);
    waitpid(recorder, nullptr, 0);
    worker.RunCycle();
    ASSERT_EQ(ReadConverterLog(Log()).size(), 1u);
    EXPECT_FALSE(fs::exists(path));
}

// What the converter reads is the file that was checked, opened by the
// worker: a FIFO renamed over it after the check is never read and blocks
// nobody. Links, to a file or to a folder, are never handed over. Each of
// them counts as failed.
TEST_F(WorkerOnRealFolderTest, ConverterReadsTheCheckedFileNeverALinkNorAFifoPutInItsPlace) {
    const std::string path = folder / "clip.flv";
    WriteFile(path, "recording");
    fs::create_symlink(path, folder / "file-link.flv");
    fs::create_directory_symlink(folder.Path(), folder / "folder-link.flv");
    ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0644), 0);
    platform.FixCreationTimes(
        {{"file-link.flv", 100}, {"folder-link.flv", 100}, {"clip.flv", 200}});
    platform.afterProbe = [&](const std::string& probed) {
        if (probed == path)
            fs::rename(folder / "fifo", path);
    };

    Publish(ConverterProgram("record", Log()));
    worker.RunCycle();
    const std::vector<ConverterRun> runs = ReadConverterLog(Log());
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].args, std::vector<std::string>{"clip"});
    EXPECT_EQ(runs[0].recording, "f:recording");
    EXPECT_TRUE(fs::is_fifo(path));

    worker.RunCycle();
    EXPECT_EQ(ReadConverterLog(Log()).size(), 1u);
    EXPECT_EQ(state.g_strStatus.Get().text, "待機中\r\n変換できなかったファイル 3件");
}

// A converter that outlives its run of Kovalin (killed, or stopped outside
// systemd), or a program it started, keeps its recording: a new worker
// hands the file to nobody while either holds it, and takes it once it is
// free and still there.
TEST_F(WorkerOnRealFolderTest, RecordingStaysWithTheConverterOfAnEarlierRunUntilItEnds) {
    AdoptOrphans();
    Publish(ConverterProgram("record", Log(), folder.Path()));
    for (const std::string mode : {"hang", "orphan"}) {
        SCOPED_TRACE(mode);
        const std::string path = folder / (mode + ".flv"), pids = folder / (mode + ".pids");
        WriteFile(path, "recording");
        // An earlier run starts it as the worker does, and ends.
        {
            RecordingProbe probe = ThePlatform().ProbeRecording(path);
            ASSERT_EQ(probe.state, WriteState::Closed);
            const ConverterStart start = ThePlatform().StartHidden(ConverterProgram(mode, pids),
                                                                   mode, {}, probe.opened.get());
            ASSERT_TRUE(start.process);
            if (mode == "orphan")
                start.process->Wait();
        }
        ASSERT_TRUE(WaitFor([&] { return ReadPidLog(pids).size() == 1; }));

        worker.RunCycle();
        EXPECT_EQ(state.g_strStatus.Get().text, "待機中\r\n使用終了待ち 1件");
        EXPECT_TRUE(ReadConverterLog(Log()).empty());

        KillAndReap(ReadPidLog(pids)[0]);
        worker.RunCycle();
        ASSERT_EQ(ReadConverterLog(Log()).size(), 1u);
        EXPECT_EQ(ReadConverterLog(Log())[0].args, std::vector<std::string>{mode});
        EXPECT_FALSE(fs::exists(path));
        fs::remove(Log());
    }
}

TEST_F(WorkerOnRealFolderTest, MissingOrVanishingFolderIdles) {
    PublishSettings(state, {folder.Prefix() + "later/", ConverterProgram("record", Log()), 1});
    worker.RunCycle();
    EXPECT_EQ(state.g_strStatus.Get().text, "待機中");

    fs::create_directory(folder / "later");
    folder.Touch("later/clip.flv");
    worker.RunCycle();
    EXPECT_EQ(ReadConverterLog(Log()).size(), 1u);

    fs::remove_all(folder / "later");
    worker.RunCycle();
    EXPECT_EQ(state.g_strStatus.Get().text, "待機中");
}

TEST_F(WorkerOnRealFolderTest, QuotaDeletesOldestPairAndPassesOverWhatCannotBeDeleted) {
    fs::create_directory(folder / "dir.mp4");
    folder.Touch("keep.mp4", 10);
    fs::permissions(folder / "keep.mp4", fs::perms::owner_read | fs::perms::group_read);
    folder.Touch("keep.jpg", 10);
    folder.Touch("Old.mp4", MiB);
    folder.Touch("old.JPG", 10);
    folder.Touch("x.flv", MiB); // never counted, never deleted
    folder.Touch("new.mp4", MiB);
    platform.FixCreationTimes(
        {{"dir.mp4", 50}, {"keep.mp4", 100}, {"Old.mp4", 200}, {"new.mp4", 300}});

    Publish("conv", 2);
    EnforceSizeLimit(platform, state);
    // A directory and a file nobody may write are passed over, the file
    // keeping its .jpg; the next pair goes, and then the total fits.
    EXPECT_TRUE(fs::is_directory(folder / "dir.mp4"));
    EXPECT_TRUE(fs::exists(folder / "keep.mp4"));
    EXPECT_TRUE(fs::exists(folder / "keep.jpg"));
    EXPECT_FALSE(fs::exists(folder / "Old.mp4"));
    EXPECT_FALSE(fs::exists(folder / "old.JPG"));
    EXPECT_TRUE(fs::exists(folder / "new.mp4"));
    EXPECT_TRUE(fs::exists(folder / "x.flv"));
}

} // namespace
