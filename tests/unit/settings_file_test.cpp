#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <utility>

#include "fake_file_system.h"
#include "settings/settings_store.h"

namespace {

// The record before a file is read: what the file lacks keeps these values.
const SettingsRecord kDefaults{"/default/in/", "/default/conv", 0};

class SettingsFileTest : public ::testing::Test {
  protected:
    static SettingsRecord Load(const std::string& bytes) {
        SettingsRecord record = kDefaults;
        ReadSettings(bytes, record);
        return record;
    }
};

TEST_F(SettingsFileTest, AMissingOrUnreadableFileKeepsTheRecord) {
    FakeFileSystem files;
    files.nodes["/s/folder.ini"].folder = true;
    files.nodes["/s/locked.ini"] = {"/a/\nconv\n5\n"};
    files.unreadable.insert("/s/locked.ini");
    for (const auto& [name, status] : {std::pair{"missing.ini", LoadStatus::Missing},
                                       std::pair{"folder.ini", LoadStatus::Unreadable},
                                       std::pair{"locked.ini", LoadStatus::Unreadable}}) {
        SettingsRecord record = kDefaults;
        EXPECT_EQ(SettingsStore(files, std::string("/s/") + name).Load(record).status, status)
            << name;
        EXPECT_EQ(record, kDefaults) << name;
    }
}

TEST_F(SettingsFileTest, ThreeLinesReadAndWriteBackByteForByte) {
    const std::string bytes = "/srv/in/\n/opt/conv.sh --fast\n500\n";
    const SettingsRecord record = Load(bytes);
    EXPECT_EQ(record, (SettingsRecord{"/srv/in/", "/opt/conv.sh --fast", 500}));
    EXPECT_EQ(FormatSettings(record), bytes);
}

TEST_F(SettingsFileTest, CarriageReturnLineEndsReadTheSameAndAreWrittenBare) {
    const SettingsRecord record = Load("/srv/in/\r\nconv\r\n7\r\n");
    EXPECT_EQ(record, (SettingsRecord{"/srv/in/", "conv", 7}));
    EXPECT_EQ(FormatSettings(record), "/srv/in/\nconv\n7\n");
}

TEST_F(SettingsFileTest, MissingLinesKeepTheirDefaults) {
    EXPECT_EQ(Load(""), kDefaults);
    EXPECT_EQ(Load("/a/\n"), (SettingsRecord{"/a/", kDefaults.strProgram, 0}));
    EXPECT_EQ(Load("/a/\nconv\n"), (SettingsRecord{"/a/", "conv", 0}));
    // A last line without its line feed is still read.
    EXPECT_EQ(Load("/a/\nconv\n42"), (SettingsRecord{"/a/", "conv", 42}));
}

TEST_F(SettingsFileTest, LimitLineReadsLikeAtolModulo2To32) {
    EXPECT_EQ(Load("a\nb\nletters\n").nLimitMB, 0u);
    EXPECT_EQ(Load("a\nb\n 12abc\n").nLimitMB, 12u);
    EXPECT_EQ(Load("a\nb\n-5\n").nLimitMB, 4294967291u);
    EXPECT_EQ(Load("a\nb\n\t+9\n").nLimitMB, 9u);
    EXPECT_EQ(Load("a\nb\n4294967295\n").nLimitMB, 4294967295u);
    EXPECT_EQ(Load("a\nb\n99999999999\n").nLimitMB, 1215752191u); // 99999999999 mod 2^32
    // Limits of 2^31 and above are written signed, and read back the same.
    EXPECT_EQ(FormatSettings({"a", "b", 4294967291u}), "a\nb\n-5\n");
}

TEST_F(SettingsFileTest, PercentSignsAndOtherBytesAreWrittenUnchanged) {
    const SettingsRecord record{"/srv/%s%d %n/", "conv \"x\" \xff", 3};
    EXPECT_EQ(FormatSettings(record), "/srv/%s%d %n/\nconv \"x\" \xff\n3\n");
    EXPECT_EQ(Load(FormatSettings(record)), record);
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

} // namespace
