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
        {"a file beside the executable", {"/opt/k/", "/xdg", "/h"}, true, "/opt/k/"},
        {"XDG_CONFIG_HOME", {"/opt/k/", "/xdg", "/h"}, false, "/xdg/kovalin/"},
        {"no XDG_CONFIG_HOME", {"/opt/k/", "", "/h"}, false, "/h/.config/kovalin/"},
        {"a relative XDG_CONFIG_HOME", {"/opt/k/", "x/y", "/h"}, false, "/h/.config/kovalin/"},
        {"no executable folder", {"", "", "/h"}, false, "/h/.config/kovalin/"},
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

TEST(SettingsLocationTest, AFileWhereItsFolderShouldBeFailsTheSaveAndNothingIsWritten) {
    FakeFileSystem fs;
    fs.nodes["/home/u/.config"] = {"a file"};
    EXPECT_FALSE(SettingsStore(fs, "/home/u/.config/kovalin/Kovaset.ini").Save({"/w/", "c", 5}));
    EXPECT_EQ(fs.nodes.size(), 1u);
}

} // namespace
