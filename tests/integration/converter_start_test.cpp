#include "platform/process.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/posix/word_splitting.h"
#include "processes.h"
#include "support.h"

namespace {

namespace fs = std::filesystem;
using namespace test_support;

// What the helper converter receives after its own leading arguments.
std::vector<std::string> TitleArgs(const std::string& program, const std::string& title) {
    std::vector<std::string> all = SplitCommandLine(program + " " + title);
    return {all.begin() + 3, all.end()};
}

TEST(ConverterStartTest, TitlesReachTheConverterSplitAndNothingElseRuns) {
    TempFolder folder;
    const std::string log = folder / "log";
    const std::string program = ConverterProgram("record", log);
    const std::vector<std::string> titles = {
        "clip",
        "my clip",
        "it's",
        "say \"hi\" there",
        "$(touch pwned)",
        "`touch pwned`",
        "a;touch pwned",
        "x|touch pwned",
        "*",
        "-rf",
        "new\nline",
        "\xff\xfe\x80",
        "back\\slash\\\"q",
        "tab\there",
        "~user",
    };
    const fs::path cwd = fs::current_path();
    fs::current_path(folder.Path());
    for (const std::string& title : titles) {
        const ConverterStart start = StartConverter(program, title, {});
        ASSERT_NE(start.process, nullptr) << title;
        start.process->Wait();
    }
    fs::current_path(cwd);

    const std::vector<ConverterRun> runs = ReadConverterLog(log);
    ASSERT_EQ(runs.size(), titles.size());
    for (std::size_t i = 0; i < titles.size(); ++i)
        EXPECT_EQ(runs[i].args, TitleArgs(program, titles[i])) << titles[i];
    EXPECT_FALSE(fs::exists((folder / "pwned")));
    EXPECT_FALSE(fs::exists(cwd / "pwned"));
}

// No descriptor of this process reaches the converter but the recording it
// is handed, as descriptor 3 named by KOVALIN_FILE_FD; a variable of that
// name in this process's own environment never does.
TEST(ConverterStartTest, ConverterHasItsOwnSessionReadsNothingAndInheritsOnlyItsRecording) {
    TempFolder folder;
    const std::string log = folder / "log";
    WriteFile(folder / "clip.flv", "recording");
    const int leaky = open("/dev/null", O_RDONLY); // deliberately without O_CLOEXEC
    ASSERT_GE(leaky, 0);
    setenv("KOVALIN_FILE_FD", "0", 1);
    const RecordingFile recording(open((folder / "clip.flv").c_str(), O_RDONLY | O_CLOEXEC));
    for (const RecordingFile* handed : {static_cast<const RecordingFile*>(nullptr), &recording}) {
        const ConverterStart start =
            StartConverter(ConverterProgram("record", log), "clip", {}, handed);
        ASSERT_NE(start.process, nullptr);
        start.process->Wait();
    }
    unsetenv("KOVALIN_FILE_FD");
    close(leaky);

    const std::vector<ConverterRun> runs = ReadConverterLog(log);
    ASSERT_EQ(runs.size(), 2u);
    for (const ConverterRun& run : runs) {
        EXPECT_TRUE(run.ownSession);
        EXPECT_EQ(run.stdinTarget, "/dev/null");
    }
    EXPECT_TRUE(runs[0].extraFds.empty());
    EXPECT_EQ(runs[0].recording, "-");
    EXPECT_EQ(runs[1].extraFds, std::vector<int>{3});
    EXPECT_EQ(runs[1].recording, "f:recording");
}

TEST(ConverterStartTest, ProgramsThatCannotRunAreNotStarted) {
    TempFolder folder;
    folder.Touch("not-executable", 10);
    fs::permissions((folder / "not-executable"), fs::perms::owner_read | fs::perms::owner_write);
    for (const std::string& program :
         {std::string("/nonexistent/conv"), folder.Prefix() + "not-executable",
          folder.Path() /* a directory */, std::string() /* empty */,
          std::string("no-such-program-on-the-path")})
        EXPECT_EQ(StartConverter(program, "clip", {}).process, nullptr) << program;
}

TEST(ConverterStartTest, ProgramIsLookedUpOnThePath) {
    const ConverterStart start = StartConverter("true", "clip", {});
    ASSERT_NE(start.process, nullptr);
    start.process->Wait();
}

} // namespace
