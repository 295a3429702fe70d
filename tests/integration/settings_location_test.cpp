#include "platform/settings_location.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "settings/settings_file.h"
#include "support.h"

namespace {

namespace fs = std::filesystem;
using namespace test_support;

TEST(SettingsLocationTest, FileBesideTheExecutableWinsOverTheUsersFolder) {
    TempFolder exe;
    const std::string exeDir = exe.Prefix();
    EXPECT_EQ(LocateSettingsFolder(exeDir, "/xdg", "/home/u"), "/xdg/kovalin/");
    exe.Touch("Kovaset.ini");
    EXPECT_EQ(LocateSettingsFolder(exeDir, "/xdg", "/home/u"), exeDir);
}

TEST(SettingsLocationTest, UnsetEmptyOrRelativeConfigHomeMeansDotConfig) {
    for (const char* configHome : {static_cast<const char*>(nullptr), "", "relative/config"})
        EXPECT_EQ(LocateSettingsFolder("/usr/bin/", configHome, "/home/u"),
                  "/home/u/.config/kovalin/");
    EXPECT_EQ(LocateSettingsFolder("", nullptr, nullptr), "");
}

TEST(SettingsLocationTest, FirstSaveMakesPrivateFoldersAndWritesTheUsualBytes) {
    TempFolder home;
    const std::string path = home.Prefix() + ".config/kovalin/Kovaset.ini";
    ASSERT_TRUE(SaveSettings(path, {"/w/", "conv", 5}));
    for (const char* folder : {".config", ".config/kovalin"}) {
        struct stat st;
        ASSERT_EQ(stat((home / folder).c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u) << folder;
    }
    SettingsRecord loaded = DefaultSettings();
    LoadSettings(path, loaded);
    EXPECT_EQ(loaded, (SettingsRecord{"/w/", "conv", 5}));
}

// A home where no folder can be made: the save fails, and nothing is
// written anywhere else.
TEST(SettingsLocationTest, HomeWithoutRoomForTheFolderFailsTheSave) {
    TempFolder home;
    home.Touch(".config"); // a file where the folder should be
    const std::string folder = LocateSettingsFolder("", nullptr, home.Path().c_str());
    EXPECT_FALSE(SaveSettings(folder + kSettingsFileName, DefaultSettings()));
    EXPECT_EQ(std::distance(fs::directory_iterator(home.Path()), fs::directory_iterator()), 1);
}

TEST(SettingsLocationTest, ReplacesTheFileBehindALinkKeepingItsModeUntilItIsPinned) {
    TempFolder folder;
    const std::string real = folder / "real.ini";
    const std::string path = folder / kSettingsFileName;
    WriteFile(real, std::string(5000, 'o'));
    chmod(real.c_str(), 0640);
    ASSERT_EQ(symlink(real.c_str(), path.c_str()), 0);
    // Process 999999999 never runs: its save was killed. Process 1 runs.
    WriteFile(real + ".new-999999999-0", "half");
    WriteFile(real + ".new-1-0", "half");

    ASSERT_TRUE(SaveSettings(path, {"/n/", "c", 1}));
    EXPECT_EQ(ReadFile(path), "/n/\nc\n1\n");
    struct stat st;
    ASSERT_EQ(lstat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    std::vector<std::string> names = ListFolder(folder.Path());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{kSettingsFileName, "real.ini", "real.ini.new-1-0"}));

    // chmod a-w pins the file, for root too.
    chmod(real.c_str(), 0444);
    EXPECT_EQ(SaveSettings(path, {"/m/", "c", 2}).failure, WriteFailure::ReadOnly);
    EXPECT_EQ(ReadFile(path), "/n/\nc\n1\n");
}

} // namespace
