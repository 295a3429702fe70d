#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "fake_file_system.h"

namespace {

TEST(SettingsStoreTest, StartPolicyOfEveryProgram) {
    const SettingsRecord defaults{"/default/", "default-conv", 0};
    const SettingsRecord inFile{"/in/", "conv", 5};
    const std::string cannotRead = "cannot read the settings file /s/";
    const std::string missing = cannotRead + "none.ini: " + std::strerror(ENOENT);
    const std::string unreadable = cannotRead + "locked.ini: " + std::strerror(EACCES);
    const struct {
        const char* what;
        const char* path; // "" names no file
        SettingsNeed need;
        SettingsRecord settings;
        std::string line;
        bool mayRun;
    } cases[] = {
        {"read", "/s/Kovaset.ini", SettingsNeed::Optional, inFile, "", true},
        {"read, required", "/s/Kovaset.ini", SettingsNeed::Required, inFile, "", true},
        {"missing", "/s/none.ini", SettingsNeed::Optional, defaults, "", true},
        {"missing, required", "/s/none.ini", SettingsNeed::Required, defaults, missing, false},
        {"unreadable", "/s/locked.ini", SettingsNeed::Optional, defaults,
         unreadable + " (the defaults are used)", true},
        {"unreadable, required", "/s/locked.ini", SettingsNeed::Required, defaults, unreadable,
         false},
        {"no file", "", SettingsNeed::Optional, defaults,
         "cannot tell where Kovaset.ini belongs (no executable path, no home): it is neither "
         "read nor written, and the defaults are used",
         true},
    };
    for (const auto& c : cases) {
        FakeFileSystem files;
        files.nodes["/s/Kovaset.ini"] = {"/in/\nconv\n5\n"};
        files.nodes["/s/locked.ini"] = {"/in/\nconv\n5\n"};
        files.unreadable.insert("/s/locked.ini");
        const StartSettings start = SettingsStore(files, c.path).LoadAtStart(defaults, c.need);
        EXPECT_EQ(start.settings, c.settings) << c.what;
        EXPECT_EQ(start.failureLine, c.line) << c.what;
        EXPECT_EQ(start.mayRun, c.mayRun) << c.what;
    }
}

TEST(SettingsStoreTest, AFileWhereItsFolderShouldBeFailsTheSaveAndNothingIsWritten) {
    FakeFileSystem fs;
    fs.nodes["/home/u/.config"] = {"a file"};
    EXPECT_FALSE(SettingsStore(fs, "/home/u/.config/kovalin/Kovaset.ini").Save({"/w/", "c", 5}));
    EXPECT_EQ(fs.nodes.size(), 1u);
}

} // namespace
