// The settings file under faults: a full disk, a file size limit, a kill
// during the save, an unreadable file, a directory in its place, a folder
// that refuses new files. Each leaves the old file or the new one whole.
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <random>
#include <thread>

#include "platform/system_settings.h"
#include "platform/the_file_system.h"
#include "processes.h"
#include "settings/settings_store.h"
#include "support.h"

namespace reliability {

using namespace test_support;
namespace {

const SettingsRecord kOld{"/srv/old/", "/usr/bin/old-conv", 100};
const SettingsRecord kNew{"/srv/" + std::string(1000, 'n') + "/", std::string(1000, 'p'), 200};

// The save as both programs make it.
WriteOutcome SaveSettings(const std::string& path, const SettingsRecord& settings) {
    return SettingsStore(TheFileSystem(), path).Save(settings);
}

// The load as both programs make it.
void LoadSettings(const std::string& path, SettingsRecord& settings) {
    SettingsStore(TheFileSystem(), path).Load(settings);
}

// Leftovers of a save that failed: anything but the settings file.
std::vector<std::string> Strays(const std::string& folder) {
    std::vector<std::string> strays;
    for (const std::string& name : ListFolder(folder))
        if (name != kSettingsFileName && name != "filler")
            strays.push_back(name);
    return strays;
}

TEST(SettingsFaultTest, FullDiskKeepsTheOldFile) {
    TempFolder scratch;
    const std::string disk = scratch / "disk";
    mkdir(disk.c_str(), 0755);
    if (mount("kovalin-test", disk.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root): " << std::strerror(errno);
    const std::string path = disk + "/" + kSettingsFileName;
    ASSERT_TRUE(SaveSettings(path, kOld));

    // Fill the disk to its last byte.
    {
        std::FILE* filler = std::fopen((disk + "/filler").c_str(), "wb");
        ASSERT_NE(filler, nullptr);
        const std::string block(512, 'f');
        while (std::fwrite(block.data(), 1, block.size(), filler) == block.size() &&
               std::fflush(filler) == 0) {
        }
        std::fclose(filler);
        while (true) { // the last partial block
            std::FILE* more = std::fopen((disk + "/filler").c_str(), "ab");
            const bool wrote = more && std::fputc('f', more) != EOF && std::fflush(more) == 0;
            if (more)
                std::fclose(more);
            if (!wrote)
                break;
        }
    }
    EXPECT_FALSE(SaveSettings(path, kNew));
    EXPECT_EQ(ReadFile(path), FormatSettings(kOld));
    EXPECT_TRUE(Strays(disk).empty());

    unlink((disk + "/filler").c_str());
    EXPECT_TRUE(SaveSettings(path, kNew));
    EXPECT_EQ(ReadFile(path), FormatSettings(kNew));
    umount2(disk.c_str(), MNT_DETACH);
}

TEST(SettingsFaultTest, FileSizeLimitKeepsTheOldFile) {
    // The write fails part way, as on a full disk, on any machine.
    TempFolder scratch;
    const std::string path = scratch / kSettingsFileName;
    ASSERT_TRUE(SaveSettings(path, kOld));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit small{512, 512};
        setrlimit(RLIMIT_FSIZE, &small);
        _exit(SaveSettings(path, kNew) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the save must report failure";
    EXPECT_EQ(ReadFile(path), FormatSettings(kOld));
    EXPECT_TRUE(Strays(scratch.Path()).empty());
}

TEST(SettingsFaultTest, KillDuringSaveLeavesTheOldOrTheNewFile) {
    TempFolder scratch;
    const std::string path = scratch / kSettingsFileName;
    ASSERT_TRUE(SaveSettings(path, kOld));
    std::mt19937 random(20261207);
    constexpr int kRounds = 100;
    for (int round = 0; round < kRounds; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (bool flip = false;; flip = !flip)
                SaveSettings(path, flip ? kOld : kNew);
        }
        // The fault: SIGKILL at a different moment of the saving loop.
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 2000));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);

        const std::string bytes = ReadFile(path);
        ASSERT_TRUE(bytes == FormatSettings(kOld) || bytes == FormatSettings(kNew))
            << "round " << round << ": " << bytes.size() << " bytes";
        SettingsRecord loaded = DefaultSettings();
        LoadSettings(path, loaded);
        ASSERT_TRUE(loaded == kOld || loaded == kNew) << "round " << round;
    }
    const std::size_t left = Strays(scratch.Path()).size();
    // The next save removes what the killed ones left.
    ASSERT_TRUE(SaveSettings(path, kNew));
    EXPECT_TRUE(Strays(scratch.Path()).empty());
    std::cout << "[ figures ] kill -9 during save: " << kRounds << " rounds, " << left
              << " temporary files left behind, removed by the next save" << std::endl;
}

TEST(SettingsFaultTest, AFileItsUserMayNotWriteIsLeftAlone) {
    TempFolder scratch;
    const std::string path = scratch / kSettingsFileName;
    ASSERT_TRUE(SaveSettings(path, kOld));
    chmod(scratch.Path().c_str(), 0777);
    chmod(path.c_str(), 0644); // the owner's (root's) file
    const int status = RunAsNobody([&] {
        const WriteOutcome saved = SaveSettings(path, kNew);
        return !saved && saved.failure == WriteFailure::AccessDenied ? 0 : 1;
    });
    if (status < 0)
        GTEST_SKIP() << "needs root to write as another user";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadFile(path), FormatSettings(kOld));
    EXPECT_TRUE(Strays(scratch.Path()).empty());
}

TEST(SettingsFaultTest, DirectoryInPlaceOfTheFile) {
    TempFolder scratch;
    const std::string path = scratch / kSettingsFileName;
    mkdir(path.c_str(), 0755);
    WriteFile(path + "/inside", "kept");

    SettingsRecord loaded = DefaultSettings();
    LoadSettings(path, loaded);
    EXPECT_EQ(loaded, DefaultSettings());
    EXPECT_FALSE(SaveSettings(path, kNew));
    EXPECT_EQ(ReadFile(path + "/inside"), "kept");
    EXPECT_TRUE(Strays(scratch.Path()).empty());
}

TEST(SettingsFaultTest, UnreadableFileGivesTheDefaults) {
    // The user's own file, writable but not readable (chmod 200), in a
    // folder the user may write: only the rule keeps the defaults off it.
    TempFolder scratch;
    const std::string path = scratch / kSettingsFileName;
    ASSERT_TRUE(SaveSettings(path, kOld));
    chmod(scratch.Path().c_str(), 0777);
    ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
    chmod(path.c_str(), 0200);
    const int status = RunAsNobody([&] {
        SettingsStore store(TheFileSystem(), path); // one store, as both programs keep it
        SettingsRecord loaded = DefaultSettings();
        if (store.Load(loaded).status != LoadStatus::Unreadable || loaded != DefaultSettings())
            return 1;
        const WriteOutcome saved = store.Save(loaded);
        return !saved && saved.failure == WriteFailure::NotRead ? 0 : 2;
    });
    if (status < 0)
        GTEST_SKIP() << "needs root to read as another user";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadFile(path), FormatSettings(kOld));
    EXPECT_TRUE(Strays(scratch.Path()).empty());
}

TEST(SettingsFaultTest, FolderRefusingNewFilesIsWrittenInPlace) {
    TempFolder scratch;
    const std::string folder = scratch / "settings";
    mkdir(folder.c_str(), 0755);
    const std::string path = folder + "/" + kSettingsFileName;
    ASSERT_TRUE(SaveSettings(path, kOld));
    chmod(path.c_str(), 0666);
    chmod(folder.c_str(), 0555);
    const int status = RunAsNobody([&] {
        if (!SaveSettings(path, kNew))
            return 1;
        SettingsRecord loaded;
        LoadSettings(path, loaded);
        return loaded == kNew ? 0 : 2;
    });
    if (status < 0)
        GTEST_SKIP() << "needs root to write as another user";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadFile(path), FormatSettings(kNew));
    EXPECT_TRUE(Strays(folder).empty());
}

} // namespace
} // namespace reliability
