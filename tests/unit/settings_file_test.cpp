#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

namespace fs = std::filesystem;

class SettingsFileTest : public ::testing::Test {
  protected:
    SettingsFileTest() {
        folder = fs::path(::testing::TempDir()) /
                 ("kovalin-settings-" +
                  std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        path = (folder / "Kovaset.ini").string();
    }
    ~SettingsFileTest() override { fs::remove_all(folder); }

    void Write(const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
    std::string Read() const {
        std::ostringstream bytes;
        bytes << std::ifstream(path, std::ios::binary).rdbuf();
        return bytes.str();
    }
    SettingsRecord Load(const std::string& bytes) {
        Write(bytes);
        SettingsRecord record = DefaultSettings();
        LoadSettings(path, record);
        return record;
    }

    fs::path folder;
    std::string path;
};

TEST_F(SettingsFileTest, MissingFileKeepsDefaults) {
    SettingsRecord record = DefaultSettings();
    LoadSettings(path, record);
    EXPECT_EQ(record, DefaultSettings());
    EXPECT_EQ(record.limitMB, 0u);
}

TEST_F(SettingsFileTest, ThreeLinesReadAndWriteBackByteForByte) {
    const std::string bytes = "/srv/in/\n/opt/conv.sh --fast\n500\n";
    const SettingsRecord record = Load(bytes);
    EXPECT_EQ(record, (SettingsRecord{"/srv/in/", "/opt/conv.sh --fast", 500}));
    ASSERT_TRUE(SaveSettings(path, record));
    EXPECT_EQ(Read(), bytes);
}

TEST_F(SettingsFileTest, CarriageReturnLineEndsReadTheSameAndAreWrittenBare) {
    const SettingsRecord record = Load("/srv/in/\r\nconv\r\n7\r\n");
    EXPECT_EQ(record, (SettingsRecord{"/srv/in/", "conv", 7}));
    SaveSettings(path, record);
    EXPECT_EQ(Read(), "/srv/in/\nconv\n7\n");
}

TEST_F(SettingsFileTest, MissingLinesKeepTheirDefaults) {
    const SettingsRecord defaults = DefaultSettings();
    EXPECT_EQ(Load(""), defaults);
    EXPECT_EQ(Load("/a/\n"), (SettingsRecord{"/a/", defaults.program, 0}));
    EXPECT_EQ(Load("/a/\nconv\n"), (SettingsRecord{"/a/", "conv", 0}));
    // A last line without its line feed is still read.
    EXPECT_EQ(Load("/a/\nconv\n42"), (SettingsRecord{"/a/", "conv", 42}));
}

TEST_F(SettingsFileTest, LimitLineReadsLikeAtolModulo2To32) {
    EXPECT_EQ(Load("a\nb\nletters\n").limitMB, 0u);
    EXPECT_EQ(Load("a\nb\n 12abc\n").limitMB, 12u);
    EXPECT_EQ(Load("a\nb\n-5\n").limitMB, 4294967291u);
    EXPECT_EQ(Load("a\nb\n\t+9\n").limitMB, 9u);
    EXPECT_EQ(Load("a\nb\n4294967295\n").limitMB, 4294967295u);
    EXPECT_EQ(Load("a\nb\n99999999999\n").limitMB, 1215752191u); // 99999999999 mod 2^32
    // Limits of 2^31 and above are written signed, and read back the same.
    SaveSettings(path, {"a", "b", 4294967291u});
    EXPECT_EQ(Read(), "a\nb\n-5\n");
    EXPECT_EQ(Load(Read()).limitMB, 4294967291u);
}

TEST_F(SettingsFileTest, PercentSignsAndOtherBytesAreWrittenUnchanged) {
    const SettingsRecord record{"/srv/%s%d %n/", "conv \"x\" \xff", 3};
    SaveSettings(path, record);
    EXPECT_EQ(Read(), "/srv/%s%d %n/\nconv \"x\" \xff\n3\n");
    EXPECT_EQ(Load(Read()), record);
}

TEST_F(SettingsFileTest, LongLinesAreReadIn1023BytePieces) {
    const std::string long1023(1023, 'x');
    // The line feed is left for the next read, which gives an empty program.
    EXPECT_EQ(Load(long1023 + "\nconv\n5\n"), (SettingsRecord{long1023, "", 0}));
    // With carriage-return line ends the same happens at 1022 bytes.
    const std::string long1022(1022, 'y');
    EXPECT_EQ(Load(long1022 + "\r\nconv\r\n5\r\n"), (SettingsRecord{long1022, "", 0}));
    // The rest of a longer line becomes the next setting.
    EXPECT_EQ(Load(std::string(1030, 'z') + "\nconv\n5\n"),
              (SettingsRecord{std::string(1023, 'z'), "zzzzzzz", 0}));
}

TEST_F(SettingsFileTest, ADirectoryInPlaceOfTheFileKeepsDefaultsAndIsNotReplaced) {
    fs::create_directory(path);
    SettingsRecord record = DefaultSettings();
    LoadSettings(path, record);
    EXPECT_EQ(record, DefaultSettings());
    EXPECT_FALSE(SaveSettings(path, {"a", "b", 1}));
    EXPECT_TRUE(fs::is_directory(path));
}

TEST_F(SettingsFileTest, SaveReplacesTheFileWholeAndLeavesNoTemporaryFiles) {
    Write(std::string(5000, 'o'));
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(SaveSettings(path, {"/n/", "c", 1}));
    EXPECT_EQ(Read(), "/n/\nc\n1\n");
#ifndef _WIN32 // Windows files carry no such permission bits
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
#endif
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

TEST_F(SettingsFileTest, AFileThatNoOneMayWriteIsLeftAloneAndTheSaveFails) {
    Write("/pinned/\nc\n1\n");
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const WriteOutcome saved = SaveSettings(path, {"/n/", "c", 2});
    EXPECT_EQ(saved.failure, WriteFailure::ReadOnly);
    EXPECT_EQ(Read(), "/pinned/\nc\n1\n");
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
}

TEST_F(SettingsFileTest, SaveRemovesLeftoversOfKilledSavesAndNothingElse) {
    // Process 999999999 is never running: its save was killed.
    const std::string leftover = path + ".new-999999999-3";
    const std::vector<std::string> others = {path + ".new-999999999-3.bak",
                                             path + ".new--3",
                                             path + ".new-999999999",
                                             path + ".new-999999999-",
                                             path + ".new-x-3",
                                             (folder / "other.ini.new-999999999-3").string()};
    std::ofstream(leftover) << "half";
    for (const std::string& other : others)
        std::ofstream(other) << "kept";
    ASSERT_TRUE(SaveSettings(path, {"/n/", "c", 1}));
    EXPECT_FALSE(fs::exists(leftover));
    for (const std::string& other : others)
        EXPECT_TRUE(fs::exists(other)) << other;
}

TEST(TemporaryFileNameTest, MatchesTheExactPatternOnly) {
    std::uint64_t pid = 0;
    EXPECT_TRUE(IsTemporaryFileOf("K.ini.new-12-0", "K.ini", pid));
    EXPECT_EQ(pid, 12u);
    for (const char* name :
         {"K.ini.new-12-0x", "K.ini.new-12", "K.ini.new--0", "K.ini.new-a-0", "k.ini.new-12-0",
          "K.ini", "XK.ini.new-12-0", "K.ini.new-12-0-1", "K.ini.new-99999999999999999999-0"})
        EXPECT_FALSE(IsTemporaryFileOf(name, "K.ini", pid)) << name;
}

#ifndef _WIN32 // links to files are a POSIX matter here
TEST_F(SettingsFileTest, SaveThroughALinkReplacesTheFileItPointsAt) {
    const fs::path real = folder / "real.ini";
    std::ofstream(real) << "old\n";
    fs::create_symlink(real, path);
    ASSERT_TRUE(SaveSettings(path, {"/n/", "c", 1}));
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(Read(), "/n/\nc\n1\n");
}
#endif

} // namespace
