// Each system's rules for Kovaset.ini, on every system.
#include "platform/settings_rules.h"

#include <gtest/gtest.h>

#include <string>

#include "fake_file_system.h"

namespace {

TEST(SettingsRulesTest, BesideTheExecutableElseTheUsersConfigurationFolder) {
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
        EXPECT_EQ(WindowsSettingsFolder(c.places), c.places.executableFolder) << c.what;
        EXPECT_EQ(PosixSettingsFolder(c.places, fs), c.posixFolder) << c.what;
    }
}

TEST(SettingsRulesTest, EachSystemsDefaults) {
    EXPECT_EQ(WindowsDefaultSettings(),
              (SettingsRecord{"c:\\var\\www\\tmp", "c:\\var\\getmorv.bat", 0}));
    EXPECT_EQ(PosixDefaultSettings(), (SettingsRecord{"/var/www/tmp", "/var/getmorv.sh", 0}));
}

} // namespace
