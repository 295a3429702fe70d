// The Windows rules for names and command lines, as plain text.
#include <gtest/gtest.h>

#include "platform/cmd_escaping.h"
#include "platform/environment_block.h"
#include "platform/windows_names.h"

namespace {

bool Cp932Lead(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

TEST(WindowsNamesTest, OnlyNamesOfOneEntryOfTheFolderAreUsable) {
    for (const char* usable : {"clip.mp4", "\x95\x5c.mp4" /* 表: trail byte 0x5C */,
                               "\x83\x7c.flv" /* ポ: trail byte "|" */, "my clip.flv",
                               "console.flv", "com10.flv", "a&b%c^.flv"})
        EXPECT_TRUE(IsUsableWindowsName(usable, Cp932Lead)) << usable;
    for (const char* refused : {"..\\..\\a.mp4", "a/b.mp4", "c:a.mp4", "a*.mp4", "a?.mp4",
                                "a\"b.mp4", "a<b.mp4", "a>b.mp4", "a|b.mp4", "a\nb.flv", "", ".",
                                "..", "NUL.mp4", "con .flv", "Com1.jpg", "lpt9.flv",
                                // COM¹ LPT² LPT³ in code page 1252
                                "COM\xB9.flv", "lpt\xB2.mp4", "LPT\xB3 .jpg"})
        EXPECT_FALSE(IsUsableWindowsName(refused, Cp932Lead)) << refused;

    // The same rule on the UTF-16 name, exact in every code page.
    for (const wchar_t* device :
         {L"COM\u00B9.flv", L"com\u00B2", L"LPT\u00B3.a.mp4", L"nul.jpg", L"LPT1 .flv"})
        EXPECT_TRUE(IsWindowsDeviceName(device));
    for (const wchar_t* file :
         {L"COM\u00B9x.flv", L"COM\u2074.flv", L"\u00B9COM.flv", L"console.flv", L"clip.flv"})
        EXPECT_FALSE(IsWindowsDeviceName(file));
}

TEST(CmdEscapingTest, TitlesReachTheBatchFileAsTheirOwnWords) {
    const struct {
        const char* title;
        const char* inert;
    } cases[] = {
        {"my clip", "my clip"},
        {"x&mkdir PWNED", "x^&mkdir PWNED"},
        {"(x) & y", "^(x^) ^& y"},
        {"a^b", "a^^b"},
        {"a|b<c>d", "a^|b^<c^>d"},
        {"100%PATH%", "100%%cd:~,%PATH%%cd:~,%"},
        {"!x!", "!x!"},                           // delayed expansion is off
        {"\x83\x7c\x83\x5e", "\x83\x7c\x83\x5e"}, // ポタ: trail bytes "|" and "^" are letters
    };
    for (const auto& [title, inert] : cases)
        EXPECT_EQ(InertForCmd(title, Cp932Lead), inert) << title;
    for (const char* refused : {"two\nlines", "tab\there", "say \"hi\""})
        EXPECT_EQ(InertForCmd(refused, Cp932Lead), std::nullopt) << refused;

    // Extensions on, whatever the registry says: "%cd:~,%" needs them.
    EXPECT_EQ(CmdArguments("C:\\100%\\conv.bat", " -q", "x^&y"),
              "/d /e:on /v:off /s /c \"\"C:\\100%%cd:~,%\\conv.bat\" -q x^&y\"");
    EXPECT_EQ(CmdSettingLine("\"C:\\W\\cmd.exe\" /c conv.bat", " /c conv.bat", "x^&y"),
              "\"C:\\W\\cmd.exe\" /e:on /c conv.bat x^&y");
}

// The converter takes no program from the current folder, and a bare
// "ffmpeg" still finds one beside Kovalin.exe.
TEST(EnvironmentBlockTest, ConverterEnvironmentSearchesNoCurrentFolderAndEndsPathWithKovalins) {
    using Entries = std::vector<std::string>;
    const struct {
        Entries inherited;
        const char* kovalinFolder;
        Entries expected;
    } cases[] = {
        {{"=C:=C:\\run", "Path=C:\\Windows;C:\\bin", "kovalin_title=old", "TEMP=C:\\t"},
         "C:\\Tools\\Kovalin\\",
         {"=C:=C:\\run", "Path=C:\\Windows;C:\\bin;C:\\Tools\\Kovalin\\", "TEMP=C:\\t",
          "KOVALIN_TITLE=a&b", "NoDefaultCurrentDirectoryInExePath=1"}},
        {{"PATH=C:\\bin;", "NODEFAULTCURRENTDIRECTORYINEXEPATH=0"},
         "C:\\a;b\\",
         {"PATH=C:\\bin;\"C:\\a;b\\\"", "KOVALIN_TITLE=a&b",
          "NoDefaultCurrentDirectoryInExePath=1"}},
        {{},
         "C:\\K\\",
         {"PATH=C:\\K\\", "KOVALIN_TITLE=a&b", "NoDefaultCurrentDirectoryInExePath=1"}},
        {{"Path=C:\\bin"},
         "",
         {"Path=C:\\bin", "KOVALIN_TITLE=a&b", "NoDefaultCurrentDirectoryInExePath=1"}},
    };
    for (const auto& [inherited, kovalinFolder, expected] : cases) {
        const std::string block =
            ConverterEnvironmentBlock(inherited, {{"KOVALIN_TITLE", "a&b"}}, kovalinFolder);
        ASSERT_GE(block.size(), 2u);
        EXPECT_EQ(block.substr(block.size() - 2), std::string(2, '\0')) << kovalinFolder;
        Entries entries;
        for (std::size_t at = 0; at + 1 < block.size(); at = block.find('\0', at) + 1)
            entries.emplace_back(block.c_str() + at);
        EXPECT_EQ(entries, expected) << kovalinFolder;
    }
}

TEST(CmdEscapingTest, ProgramIsReadFromTheSettingAsWindowsReadsIt) {
    const auto programs = [](const char* setting) {
        std::vector<std::string> found;
        for (const ProgramReading& reading : ProgramReadings(setting))
            found.push_back(reading.program + "|" + reading.arguments);
        return found;
    };
    EXPECT_EQ(programs("\"C:\\Program Files\\conv.bat\" -q"),
              std::vector<std::string>{"C:\\Program Files\\conv.bat| -q"});
    EXPECT_EQ(
        programs("C:\\Program Files\\conv.exe"),
        (std::vector<std::string>{"C:\\Program| Files\\conv.exe", "C:\\Program Files\\conv.exe|"}));
    EXPECT_TRUE(programs("").empty());
    EXPECT_TRUE(programs(" conv.exe").empty());

    for (const char* batch : {"C:\\x\\CONV.BAT", "conv.cmd", "conv.bat. .", "a.exe\\b.bat"})
        EXPECT_TRUE(RunsThroughCmd(batch, Cp932Lead)) << batch;
    for (const char* other : {"conv.exe", "conv.bat.exe", "C:\\x.bat\\conv", "bat"})
        EXPECT_FALSE(RunsThroughCmd(other, Cp932Lead)) << other;
    EXPECT_TRUE(IsCmd("C:\\Windows\\System32\\CMD.EXE", Cp932Lead));
    // "表cmd.exe": the second byte of 表 is no separator.
    EXPECT_FALSE(IsCmd("C:\\x\\\x95\x5C"
                       "cmd.exe",
                       Cp932Lead));
}

} // namespace
