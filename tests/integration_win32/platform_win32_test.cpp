// The Win32 platform layer on real folders and processes.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/convert_worker.h"
#include "core/file_name.h"
#include "core/platform_port.h"
#include "core/shared_state.h"
#include "core/size_limit.h"
#include "core/texts.h"
#include "platform/the_file_system.h"
#include "platform/the_platform.h"
#include "platform/write_probe.h"
#include "settings/settings_store.h"
#include "support.h"
#include "test_platform.h"
#include "win32_files.h"

namespace {

using namespace test_support;

std::map<std::string, DirEntry> Find(const std::string& pattern) {
    std::map<std::string, DirEntry> found;
    ThePlatform().FindEntries(pattern, [&](const DirEntry& entry) { found[entry.name] = entry; });
    return found;
}

std::string Quoted(const std::string& path) {
    std::string quoted(1, '"');
    quoted += path;
    quoted += '"';
    return quoted;
}

// Runs a converter through the platform and waits for it.
bool RunHidden(const std::string& program, const std::string& title) {
    const ConverterStart start = ThePlatform().StartHidden(program, title, {}, nullptr);
    if (!start.process)
        return false;
    start.process->Wait();
    return true;
}

TEST(Win32DirSearch, KeepsOnlyNamesEndingInTheExtensionAnyCaseHiddenAndFoldersToo) {
    TempFolder folder;
    folder.Touch("clip.FLV", 3);
    folder.Touch("hidden.flv");
    AddAttributes(folder / "hidden.flv", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    MakeFolder(folder / "old.flv");
    folder.Touch("long name.flvx"); // matched by the system through its short name
    folder.Touch("x.flvx");
    folder.Touch("note.txt");

    const auto found = Find(folder.Prefix() + "*.flv");
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found.at("clip.FLV").size, 3u);
    EXPECT_FALSE(found.at("clip.FLV").isDirectory);
    EXPECT_EQ(FileTitle("clip.FLV", ThePlatform().LeadBytes()), "clip");
    EXPECT_TRUE(found.count("hidden.flv"));
    EXPECT_TRUE(found.at("old.flv").isDirectory);
    EXPECT_EQ(found.at("old.flv").size, 0u);

    EXPECT_TRUE(Find(folder.Prefix() + "missing\\*.flv").empty());
}

TEST(Win32DirSearch, CreationTimesInWholeSecondsOnTheClockOfTimeAndWholeSizes) {
    TempFolder folder;
    const std::int64_t before = std::time(nullptr);
    folder.Touch("new.mp4");
    const std::int64_t after = std::time(nullptr);
    MakeLargeFile(folder / "big.mp4", 5 * 1024 * kMiB); // 5 GiB: both halves of the size
    SetTimes(folder / "big.mp4", 1600000000, 9999999);

    const auto found = Find(folder.Prefix() + "*.mp4");
    EXPECT_GE(found.at("new.mp4").creationTime, before);
    EXPECT_LE(found.at("new.mp4").creationTime, after);
    EXPECT_EQ(found.at("big.mp4").creationTime, 1600000000);
    EXPECT_EQ(found.at("big.mp4").size, 5 * 1024 * kMiB);
}

// One entry looked up by its identity is what the listing gives; neither
// its 8.3 short name nor a missing name finds anything.
TEST(Win32DirSearch, LookingUpAnEntryGivesWhatTheListingGivesNeverThroughAShortName) {
    TempFolder folder;
    folder.Touch("long recording name.flv", 3);
    const DirEntry listed = Find(folder.Prefix() + "*.flv").at("long recording name.flv");
    const std::optional<DirEntry> found =
        ThePlatform().LookUpEntry(folder.Prefix(), listed.identity);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->name, listed.name);
    EXPECT_EQ(found->size, 3u);
    EXPECT_EQ(found->creationTime, listed.creationTime);
    const auto identityOf = [](const std::string& ascii) {
        std::string utf16;
        for (const char c : ascii)
            utf16 += {c, '\0'};
        return utf16;
    };
    const std::string alias = ShortName(folder / "long recording name.flv");
    ASSERT_NE(alias, "long recording name.flv") << "the file system gives no short names";
    EXPECT_FALSE(ThePlatform().LookUpEntry(folder.Prefix(), identityOf(alias)));
    EXPECT_FALSE(ThePlatform().LookUpEntry(folder.Prefix(), identityOf("missing.flv")));
}

TEST(Win32Process, StartsHiddenWaitsAndRefusesALineWithoutProgram) {
    TempFolder folder;
    const std::string log = folder / "log.txt";
    ASSERT_TRUE(RunHidden(ConverterProgram("record", log), "my clip"));
    // Written 300 ms after the start: only a waited-for converter has done it.
    EXPECT_EQ(ReadFile(log), "show=0 my clip\n");

    EXPECT_FALSE(RunHidden(" x", "clip"));
    EXPECT_FALSE(RunHidden("", "clip"));
    EXPECT_FALSE(RunHidden(folder.Prefix() + "missing.exe", "clip"));
}

TEST(Win32Worker, ConvertsTheOldestFlvWithABatchFileAndWaitsForIt) {
    TempFolder folder;
    const std::string log = folder / "log.txt";
    WriteFile(folder / "conv.bat", "@" + ConverterProgram("record", log) + " %*\r\n");
    const std::int64_t now = std::time(nullptr);
    folder.Touch("a.flv");
    folder.Touch("b.flv");
    SetTimes(folder / "a.flv", now - 50);
    SetTimes(folder / "b.flv", now - 100);

    SharedState state;
    PublishSettings(state, {folder.Prefix(), folder / "conv.bat", 0});
    // The real platform but for the folder lock, which would hold the
    // folder open past the test.
    TestPlatform platform;
    ConvertWorker(platform, state).RunCycle();

    EXPECT_EQ(ReadFile(log), "noshow=0 b\n");
    EXPECT_EQ(state.g_strStatus.Get(), texts::Converting("b", 2));
    EXPECT_EQ(state.g_bConverting.load(), 0);
}

// A file waits while another process writes it. Once it is complete, the
// converter inherits the handle the probe opened, and no other handle of
// this program's.
TEST(Win32WriteProbe, AFileWaitsWhileAnotherProcessWritesItAndIsThenTheConvertersOneHandle) {
    TempFolder folder;
    const std::string path = folder / "rec.flv";
    const std::string log = folder / "log.txt";
    WriteFile(path, "flv");
    const auto recorder =
        ThePlatform().StartHidden(ConverterProgram("hold-open", path), "", {}, nullptr);
    ASSERT_TRUE(recorder.process);
    ASSERT_TRUE(WaitFor([&] { return Exists(path + ".held"); }));
    EXPECT_EQ(ThePlatform().ProbeRecording(path).state, WriteState::Writing);
    folder.Touch("rec.flv.release");
    recorder.process->Wait();

    RecordingProbe probe = ThePlatform().ProbeRecording(path);
    ASSERT_EQ(probe.state, WriteState::Closed);
    const auto* recording = dynamic_cast<const RecordingFile*>(probe.opened.get());
    ASSERT_TRUE(recording);
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    const HANDLE other = CreateFileA((folder / "other.txt").c_str(), GENERIC_WRITE, 0, &inheritable,
                                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    const std::string handles = std::to_string(recording->Native()) + " " +
                                std::to_string(reinterpret_cast<std::intptr_t>(other));
    ThePlatform()
        .StartHidden(ConverterProgram("handles", log), handles, {}, recording)
        .process->Wait();
    CloseHandle(other);
    EXPECT_EQ(ReadFile(log), "1 0");

    EXPECT_EQ(ThePlatform().ProbeRecording(folder / "missing.flv").state, WriteState::Gone);
}

// Neither a link named .flv (a junction, a symbolic link) nor an upload
// whose .mp4 would name another file through its 8.3 short name is handed
// over: each counts as failed, and the others go.
TEST(Win32Worker, NoLinkNorUploadNamedLikeAnotherFilesShortNameIsHandedOver) {
    const TempFolder outside; // removed after the link to it
    TempFolder folder("watch");
    const std::string log = folder / "log.txt";
    WriteFile(folder / "conv.bat", "@echo %~1>>\"" + log + "\"\r\n@del /q \"%KOVALIN_FILE%\"\r\n");
    WriteFile(folder / "recording-2024.mp4", "an earlier recording");
    const std::string alias = ShortName(folder / "recording-2024.mp4");
    ASSERT_NE(alias, "recording-2024.mp4") << "the file system gives no short names";
    const std::string upload = alias.substr(0, alias.rfind('.'));
    WriteFile(folder / (upload + ".flv"), "upload");
    MakeFolderLink(folder / "junction.flv", outside.Path());
    WriteFile(folder / "plain.flv", "flv");

    SharedState state;
    PublishSettings(state, {folder.Prefix(), folder / "conv.bat", 0});
    TestPlatform platform; // its clock runs ahead: every file counts as old
    ConvertWorker worker(platform, state);
    worker.RunCycle();
    worker.RunCycle();
    EXPECT_EQ(ReadFile(log), "plain\r\n");
    std::vector<std::string> failed = state.g_failedTitles.TakeAll();
    std::sort(failed.begin(), failed.end());
    EXPECT_EQ(failed, (std::vector<std::string>{upload, "junction"}));
    EXPECT_EQ(ReadFile(folder / "recording-2024.mp4"), "an earlier recording");
}

// The listing tells a read-only .mp4, which is never deleted, nor its .jpg:
// holding the folder over the limit alone, it leaves nothing worth deleting.
TEST(Win32SizeLimit, AReadOnlyMp4OverTheLimitAloneKeepsEveryFile) {
    TempFolder folder;
    const std::int64_t now = std::time(nullptr);
    MakeLargeFile(folder / "old.mp4", 2 * kMiB);
    WriteFile(folder / "old.JPG", "j");
    MakeLargeFile(folder / "new.mp4", kMiB - 1);
    SetTimes(folder / "old.mp4", now - 100);
    SetTimes(folder / "new.mp4", now - 50);
    AddAttributes(folder / "old.mp4", FILE_ATTRIBUTE_READONLY);

    SharedState state;
    PublishSettings(state, {folder.Prefix(), "", 1});
    EXPECT_EQ(EnforceSizeLimit(ThePlatform(), state), QuotaResult::LimitOutOfReach);
    EXPECT_TRUE(Exists(folder / "old.mp4"));
    EXPECT_TRUE(Exists(folder / "old.JPG"));
    EXPECT_TRUE(Exists(folder / "new.mp4"));

    SetFileAttributesA((folder / "old.mp4").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(EnforceSizeLimit(ThePlatform(), state), QuotaResult::Done);
    EXPECT_FALSE(Exists(folder / "old.mp4"));
    EXPECT_FALSE(Exists(folder / "old.JPG"));
    EXPECT_TRUE(Exists(folder / "new.mp4"));

    MakeFolder(folder / "dir.mp4");
    EXPECT_FALSE(ThePlatform().RemoveWritableFile(folder / "dir.mp4"));
}

// The tests below need the Japanese ANSI code page: Wine takes it from
// LANG=ja_JP.UTF-8.
class Win32CodePage932 : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(GetACP(), 932u) << "run Wine with LANG=ja_JP.UTF-8"; }
};

// "表" is 0x95 0x5C in code page 932: its second byte is a backslash.
TEST_F(Win32CodePage932, AFolderEndingInA5CTrailByteGetsItsBackslash) {
    TempFolder folder("表");
    const std::string watchDir = folder.Path(); // the folder as the user typed it
    ASSERT_EQ(watchDir.back(), '\\');
    std::string normalised = watchDir;
    NormaliseWatchDir(normalised, ThePlatform().LeadBytes());
    EXPECT_EQ(normalised, folder.Prefix());

    // So the worker's pattern names the folder's own entries, not the parent's.
    folder.Touch("inner.flv");
    folder.Touch("..\\表clip.flv");
    const auto found = Find(normalised + "*.flv");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found.begin()->first, "inner.flv");
}

// The .jpg that goes with an .mp4 is the one the system takes for its title
// by its own case rule on the UTF-16 names: "ωx" and "Ωx" are one title,
// while "アclip" (83 41) and "ヂclip" (83 61), whose bytes differ only where
// an ASCII letter's case would, are two.
TEST_F(Win32CodePage932, QuotaTakesThePartnerByTheSystemsCaseRule) {
    const struct {
        std::vector<std::string> newer; // beside the oldest .mp4, which goes
        std::vector<std::string> left;
    } cases[] = {
        {{"アclip.jpg", "ヂclip.jpg", "ヂclip.mp4"}, {"ヂclip.jpg", "ヂclip.mp4"}},
        {{"Ωx.jpg"}, {}},
    };
    const std::string oldest[] = {"アclip.mp4", "ωx.mp4"};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        TempFolder folder;
        const std::int64_t now = std::time(nullptr);
        MakeLargeFile(folder / oldest[i], 2 * kMiB);
        SetTimes(folder / oldest[i], now - 100);
        for (const std::string& name : cases[i].newer) {
            WriteFile(folder / name, "x");
            SetTimes(folder / name, now - 50);
        }
        SharedState state;
        PublishSettings(state, {folder.Prefix(), "", 1});
        EXPECT_EQ(EnforceSizeLimit(ThePlatform(), state), QuotaResult::Done);
        std::vector<std::string> left = ListFolder(folder.Path());
        std::sort(left.begin(), left.end());
        EXPECT_EQ(left, cases[i].left) << oldest[i];
    }
}

TEST(Win32Settings, SaveReplacesTheFileWholeRemovesLeftoversAndLeavesAReadOnlyFileAlone) {
    TempFolder folder;
    const std::string path = folder / kSettingsFileName;
    const SettingsStore store(TheFileSystem(), path);
    folder.Touch(kSettingsFileName, 5000);
    WriteFile(path + ".new-4294967295-0", "half");
    WriteFile(path + ".new-4294967295-0.bak", "kept");
    const SettingsRecord record{folder.Prefix(), "c:\\bin\\conv.bat", 7};
    ASSERT_TRUE(store.Save(record));
    EXPECT_EQ(ReadFile(path), FormatSettings(record));
    EXPECT_FALSE(Exists(path + ".new-4294967295-0"));
    EXPECT_TRUE(Exists(path + ".new-4294967295-0.bak"));
    EXPECT_EQ(Find(folder.Prefix() + "*").size(), 2u);

    AddAttributes(path, FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(store.Save({"c:\\other\\", "conv.bat", 2}).failure, WriteFailure::ReadOnly);
    EXPECT_EQ(ReadFile(path), FormatSettings(record));
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Win32CodePage932, TheExecutableDirectoryIsCutAtTheLastRealBackslash) {
    TempFolder folder("表");
    const std::string copy = folder / "表.exe";
    ASSERT_TRUE(CopyFileA(TestProgram().c_str(), copy.c_str(), TRUE));
    const std::string out = folder / "out.txt";
    ASSERT_TRUE(RunHidden(Quoted(copy) + " " + kConverterFlag + "print-exe-dir", Quoted(out)));
    EXPECT_EQ(ReadFile(out), folder.Prefix());
}

} // namespace
