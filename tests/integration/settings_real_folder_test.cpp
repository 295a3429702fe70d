// The settings file on a real POSIX folder, where the system decides:
// folder modes, links, permission bits, which processes run.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "platform/the_file_system.h"
#include "settings/settings_store.h"
#include "support.h"

namespace {

using namespace test_support;

TEST(SettingsRealFolderTest, FirstSaveMakesPrivateFoldersAndWritesTheUsualBytes) {
    TempFolder home;
    const std::string path = home.Prefix() + ".config/kovalin/Kovaset.ini";
    ASSERT_TRUE(SettingsStore(TheFileSystem(), path).Save({"/w/", "conv", 5}));
    for (const char* folder : {".config", ".config/kovalin"}) {
        struct stat st;
        ASSERT_EQ(stat((home / folder).c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u) << folder;
    }
    EXPECT_EQ(ReadFile(path), "/w/\nconv\n5\n");
}

TEST(SettingsRealFolderTest, ReplacesTheFileBehindALinkKeepingItsModeUntilItIsPinned) {
    TempFolder folder;
    const std::string real = folder / "real.ini";
    const std::string path = folder / kSettingsFileName;
    const SettingsStore store(TheFileSystem(), path);
    WriteFile(real, std::string(5000, 'o'));
    chmod(real.c_str(), 0640);
    ASSERT_EQ(symlink(real.c_str(), path.c_str()), 0);
    // Process 999999999 never runs: its save was killed. Process 1 runs.
    WriteFile(real + ".new-999999999-0", "half");
    WriteFile(real + ".new-1-0", "half");

    ASSERT_TRUE(store.Save({"/n/", "c", 1}));
    EXPECT_EQ(ReadFile(path), "/n/\nc\n1\n");
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    EXPECT_EQ(std::filesystem::status(real).permissions(), std::filesystem::perms(0640));
    std::vector<std::string> names = ListFolder(folder.Path());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{kSettingsFileName, "real.ini", "real.ini.new-1-0"}));

    // chmod a-w pins the file, for root too.
    chmod(real.c_str(), 0444);
    EXPECT_EQ(store.Save({"/m/", "c", 2}).failure, WriteFailure::ReadOnly);
    EXPECT_EQ(ReadFile(path), "/n/\nc\n1\n");
}

} // namespace
