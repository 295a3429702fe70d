#include "settings/crash_safe_save.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "fake_file_system.h"

namespace {

const std::string kFolder = "/s/";
const std::string kPath = "/s/K.ini";
const std::string kOld = "the old file, longer than the new one";

TEST(CrashSafeSaveTest, ReplacesTheFileWholeOrLeavesItAsItWas) {
    using Fs = FakeFileSystem&;
    struct Case {
        const char* what;
        void (*setUp)(Fs);
        WriteFailure failure;
        std::string bytesAfter;
        unsigned permissionsAfter;
    };
    const Case cases[] = {
        {"an old file", [](Fs) {}, WriteFailure::None, "new", 0640},
        {"no file yet", [](Fs fs) { fs.nodes.erase(kPath); }, WriteFailure::None, "new", 0666},
        {"no one may write it", [](Fs fs) { fs.nodes[kPath].readOnly = true; },
         WriteFailure::ReadOnly, kOld, 0640},
        {"its user may not write it",
         [](Fs fs) { fs.refusal.failure = WriteFailure::AccessDenied; }, WriteFailure::AccessDenied,
         kOld, 0640},
        {"a folder in its place", [](Fs fs) { fs.nodes[kPath].folder = true; },
         WriteFailure::IsFolder, kOld, 0640},
        {"a folder that refuses new files: rewritten in place",
         [](Fs fs) { fs.closedFolders = {kFolder}; }, WriteFailure::None, "new", 0640},
        {"a folder that refuses new files, and no file",
         [](Fs fs) {
             fs.closedFolders = {kFolder};
             fs.nodes.erase(kPath);
         },
         WriteFailure::AccessDenied, "(none)", 0},
        {"a full disk", [](Fs fs) { fs.room = 2; }, WriteFailure::DiskFull, kOld, 0640},
    };
    for (const Case& c : cases) {
        FakeFileSystem fs;
        fs.nodes["/s"] = {"", true};
        fs.nodes[kPath] = {kOld, false, false, 0640};
        c.setUp(fs);
        EXPECT_EQ(SaveCrashSafe(fs, kPath, "new").failure, c.failure) << c.what;
        EXPECT_EQ(fs.Bytes(kPath), c.bytesAfter) << c.what;
        EXPECT_EQ(fs.Inspect(kPath).permissions, c.permissionsAfter) << c.what;
        EXPECT_TRUE(fs.ListFiles(kFolder, "K.ini.new-").empty()) << c.what;
    }
}

TEST(CrashSafeSaveTest, ALinkLeadsToTheNewFileWhoseFolderIsSynced) {
    FakeFileSystem fs;
    fs.nodes["/real"] = {"", true};
    fs.nodes["/real/K.ini"] = {"old"};
    fs.links[kPath] = "/real/K.ini";
    ASSERT_TRUE(SaveCrashSafe(fs, kPath, "new"));
    EXPECT_EQ(fs.Bytes("/real/K.ini"), "new");
    EXPECT_FALSE(fs.Has(kPath)); // still a link
    EXPECT_EQ(fs.synced, std::vector<std::string>{"/real/"});
}

TEST(CrashSafeSaveTest, RemovesTheLeftoversOfKilledSavesAndNothingElse) {
    // Process 5 is gone, 8 still runs, 7 is this one.
    const std::pair<const char*, bool> names[] = {
        {"K.ini.new-5-0", true},      {"K.ini.new-5-123", true},
        {"K.ini.new-8-0", false},     {"K.ini.new-7-99999", false},
        {"K.ini.new-5-0x", false},    {"K.ini.new-5", false},
        {"K.ini.new-5-", false},      {"K.ini.new--0", false},
        {"K.ini.new-a-0", false},     {"K.ini.new-5-0-1", false},
        {"K.ini.new-5-0.bak", false}, {"K.ini.new-99999999999999999999-0", false},
        {"k.ini.new-5-0", false},     {"XK.ini.new-5-0", false},
        {"other.ini.new-5-0", false},
    };
    FakeFileSystem fs;
    fs.pid = 7;
    fs.running = {8};
    fs.nodes["/s"] = {"", true};
    fs.nodes["/s/K.ini.new-5-1"] = {"", true}; // a folder
    for (const auto& [name, removed] : names)
        fs.nodes[kFolder + name] = {"half"};
    ASSERT_TRUE(SaveCrashSafe(fs, kPath, "new"));
    for (const auto& [name, removed] : names)
        EXPECT_EQ(fs.Has(kFolder + name), !removed) << name;
    EXPECT_TRUE(fs.Has("/s/K.ini.new-5-1"));
}

} // namespace
