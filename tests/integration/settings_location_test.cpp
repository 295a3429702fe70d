#include "platform/settings_location.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "settings/settings_file.h"
#include "support.h"

namespace {

namespace fs = std::filesystem;
using test_support::TempFolder;

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

} // namespace
