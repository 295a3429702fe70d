#include "settings/settings_location.h"

#include <gtest/gtest.h>

#include <string>

#include "fake_file_system.h"
#include "settings/settings_store.h"

namespace {

TEST(SettingsLocationTest, BesideTheExecutableElseTheUsersConfigurationFolder) {
    struct Case {
        const char* what;
        SettingsPlaces places;
        bool fileBeside;
        std::string posixFolder; // Windows: always the executable's folder
    };
    const Case cases[] = {
        {"a file beside the executable", {"/opt/k/", "/xdg", "/home/u"}, true, "/opt/k/"},
        {"XDG_CONFIG_HOME", {"/opt/k/", "/xdg", "/home/u"}, false, "/xdg/kovalin/"},
        {"no XDG_CONFIG_HOME", {"/opt/k/", "", "/home/u"}, false, "/home/u/.config/kovalin/"},
        {"a relative XDG_CONFIG_HOME",
         {"/opt/k/", "relative/config", "/home/u"},
         false,
         "/home/u/.config/kovalin/"},
        {"no executable folder", {"", "", "/home/u"}, false, "/home/u/.config/kovalin/"},
        {"no executable folder, no home", {"", "", ""}, false, ""},
    };
    for (const Case& c : cases) {
        FakeFileSystem fs;
        if (c.fileBeside)
            fs.nodes["/opt/k/Kovaset.ini"] = {};
#ifdef _WIN32
        EXPECT_EQ(LocateSettingsFolder(c.places, fs), c.places.executableFolder) << c.what;
#else
        EXPECT_EQ(LocateSettingsFolder(c.places, fs), c.posixFolder) << c.what;
#endif
    }
}

TEST(SettingsLocationTest, TheFirstSaveMakesTheFoldersAndNothingWhereAFileIsInTheWay) {
    const std::string path = "/home/u/.config/kovalin/Kovaset.ini";
    FakeFileSystem fs;
    fs.nodes["/home/u"] = {"", true};
    ASSERT_TRUE(SettingsStore(fs, path).Save({"/w/", "conv", 5}));
    EXPECT_TRUE(fs.Inspect("/home/u/.config").isFolder);
    EXPECT_TRUE(fs.Inspect("/home/u/.config/kovalin").isFolder);
    EXPECT_EQ(fs.Bytes(path), "/w/\nconv\n5\n");

    FakeFileSystem blocked;
    blocked.nodes["/home/u/.config"] = {"a file"};
    EXPECT_FALSE(SettingsStore(blocked, path).Save({"/w/", "conv", 5}));
    EXPECT_EQ(blocked.nodes.size(), 1u);
}

} // namespace
