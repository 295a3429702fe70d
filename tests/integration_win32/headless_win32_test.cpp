// kovalin-headless.exe on a real folder: the worker thread, the batch
// converter and the status lines in code page 932.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/platform_port.h"
#include "platform/executable_dir.h"
#include "platform/folder_lock.h"
#include "platform/instance_lock.h"
#include "platform/the_platform.h"
#include "support.h"
#include "win32_files.h"

namespace {

using namespace test_support;

// A running kovalin-headless.exe whose output goes to a file, started in
// the folder `current` (else in this program's); ended when the object goes.
class Headless {
  public:
    Headless(const std::string& settings, const std::string& output,
             const std::string& current = "") {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        m_output = CreateFileA(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = m_output;
        startup.hStdError = m_output;
        std::string line =
            "\"" + ExecutableDirectory() + KOVALIN_HEADLESS_FROM_TESTS + "\" \"" + settings + "\"";
        m_started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                   current.empty() ? nullptr : current.c_str(), &startup,
                                   &m_process) != FALSE;
    }
    ~Headless() {
        if (m_started) {
            TerminateProcess(m_process.hProcess, 0);
            WaitForSingleObject(m_process.hProcess, INFINITE);
            CloseHandle(m_process.hProcess);
            CloseHandle(m_process.hThread);
        }
        CloseHandle(m_output);
    }
    Headless(const Headless&) = delete;
    Headless& operator=(const Headless&) = delete;

    bool Started() const { return m_started; }
    DWORD Pid() const { return m_process.dwProcessId; }

    // The exit code once the program has ended by itself; -1 when it runs on.
    long ExitCode() const {
        DWORD code = 0;
        if (!m_started || WaitForSingleObject(m_process.hProcess, 30000) != WAIT_OBJECT_0 ||
            !GetExitCodeProcess(m_process.hProcess, &code))
            return -1;
        return static_cast<long>(code);
    }

  private:
    HANDLE m_output;
    PROCESS_INFORMATION m_process{};
    bool m_started = false;
};

// The arguments of each run of the stand-in ffmpeg.exe, from its log.
std::vector<std::vector<std::string>> StandInRuns(const std::string& log) {
    std::vector<std::vector<std::string>> runs;
    std::istringstream lines(ReadFile(log));
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        runs.emplace_back();
        for (std::string arg; std::getline(words, arg, '\t');)
            runs.back().push_back(arg);
    }
    return runs;
}

// What follows the first `option` in `args`; empty where it is missing.
std::string ValueOf(const std::vector<std::string>& args, const std::string& option) {
    const auto found = std::find(args.begin(), args.end(), option);
    return found != args.end() && found + 1 != args.end() ? *(found + 1) : "";
}

TEST(Win32Headless, ConvertsWithABatchFileAndPrintsTheStatusInCodePage932) {
    TempFolder folder;
    const std::string log = folder / "log.txt";
    const std::string out = folder / "out.txt";
    // The converter notes the title and takes the .flv away.
    WriteFile(folder / "conv.bat",
              "@echo %~1>>\"" + log + "\"\r\n@del \"" + folder.Prefix() + "%~1.flv\"\r\n");
    WriteFile(folder / "set.ini", folder.Prefix() + "\n" + folder / "conv.bat" + "\n0\n");
    folder.Touch("動画.flv");
    SetTimes(folder / "動画.flv", std::time(nullptr) - 100);

    const Headless headless(folder / "set.ini", out);
    ASSERT_TRUE(headless.Started());
    ASSERT_TRUE(WaitFor([&] { return ReadFile(log) == "動画\r\n"; })) << ReadFile(log);
    ASSERT_TRUE(WaitFor([&] { return ReadFile(out).find("待機中") != std::string::npos; }))
        << ReadFile(out);
    EXPECT_NE(ReadFile(out).find("動画を変換中 変換動画数 1\r\n"), std::string::npos)
        << ReadFile(out);
    EXPECT_FALSE(Exists(folder / "動画.flv"));
}

// Names from strangers: no character of a title acts on cmd.exe, each title
// reaches the batch file's %* and %1 %2 ... as the file has it, and a name
// that code page 932 cannot carry exactly ("\u00a5" would be best fit to the
// byte of "\\") is never joined to the folder: it fails, visibly.
TEST(Win32Headless, HostileNamesNeitherRunCommandsNorReachOutsideTheFolder) {
    TempFolder top("sub");
    const std::string watch = top / "watch";
    MakeFolder(watch);
    const std::string log = top / "log.txt";
    const std::string out = top / "out.txt";
    const std::string outside = top.Path() + "\\..\\victim.mp4";
    WriteFile(outside, "not in the watch folder");
    // The batch logs its words in quotes, where cmd.exe takes them literally.
    const std::string echo = "echo \"%~1\">>\"" + log + "\"\r\n";
    WriteFile(top / "conv.bat", "@echo off\r\necho \"%*\">>\"" + log +
                                    "\"\r\n:next\r\nif \"%~1\"==\"\" " + "goto done\r\n" + echo +
                                    "shift\r\ngoto next\r\n:done\r\n" +
                                    ConverterProgram("remove-named", log) + "\r\n");
    WriteFile(top / "set.ini", watch + "\\\n" + top / "conv.bat" + "\n1\n");

    // Converted in this order. Wine's cmd.exe, unlike Windows', expands
    // variables again inside a batch file, so the words of the last title
    // are not logged as they are: CmdLineTest checks its command line.
    const std::vector<std::string> titles = {"x&mkdir PWNED", "a^b", "(x) & y", "my clip",
                                             "100%PATH%"};
    const std::int64_t old = std::time(nullptr) - 100;
    std::string expected;
    for (std::size_t i = 0; i < titles.size(); ++i) {
        WriteFile(watch + "\\" + titles[i] + ".flv", "flv");
        SetTimes(watch + "\\" + titles[i] + ".flv", old + static_cast<std::int64_t>(i));
        if (i + 1 == titles.size())
            break;
        expected += "\"" + titles[i] + "\"\r\n";
        std::istringstream words(titles[i]);
        for (std::string word; words >> word;)
            expected += "\"" + word + "\"\r\n";
    }
    MakeFileW(watch, L"yen\u00a5.flv", 1, old);
    // Best fit would give "a.flv"; both show as "?.flv", and each is a
    // failed file of its own.
    MakeFileW(watch, L"\u00e4.flv", 1, old);
    MakeFileW(watch, L"\u00f6.flv", 1, old);
    // Never deleted, it holds the folder over the limit alone.
    MakeFileW(watch, L"..\u00a5..\u00a5victim.mp4", 2 * kMiB, old);

    const Headless headless(top / "set.ini", out);
    ASSERT_TRUE(headless.Started());
    ASSERT_TRUE(WaitFor([&] {
        return ReadFile(out).find("待機中 削除しても上限を超えます 変換できなかったファイル 3件") !=
               std::string::npos;
    })) << ReadFile(out);

    EXPECT_EQ(ReadFile(log).substr(0, expected.size()), expected);
    EXPECT_FALSE(Exists("PWNED") || Exists(watch + "\\PWNED") || Exists(top / "PWNED"));
    EXPECT_EQ(ReadFile(outside), "not in the watch folder");
    // All converted but the names that could not be used, which stay beside
    // the running program's lock file.
    EXPECT_EQ(ListFolder(watch).size(), 5u);
    EXPECT_NE(GetFileAttributesW((Wide(watch) + L"\\..\u00a5..\u00a5victim.mp4").c_str()),
              INVALID_FILE_ATTRIBUTES);
}

// The batch converter of the zip, with a stand-in ffmpeg.exe beside it: no
// program planted in the watch folder or in Kovalin's current folder runs,
// each title's own recording is read with its format given, its timestamps
// passed through and its frames bounded by its size, and becomes its .mp4
// and .jpg, and a failed conversion leaves the recording and nothing else.
TEST(Win32Headless, ShippedBatchConverterRunsOnlyItsOwnFfmpeg) {
    TempFolder top;
    const std::string bin = top / "bin", watch = top / "watch", current = top / "current";
    const std::string standIn = ExecutableDirectory() + "stand_in_ffmpeg.exe";
    const auto copy = [](const std::string& from, const std::string& to) {
        ASSERT_TRUE(CopyFileA(from.c_str(), to.c_str(), FALSE)) << to;
    };
    for (const std::string& folder : {bin, watch, current})
        MakeFolder(folder);
    copy(ExecutableDirectory() + KOVALIN_BATCH_FROM_TESTS, bin + "\\ffmpeg-convert.bat");
    copy(standIn, bin + "\\ffmpeg.exe");
    // Each planted program would leave NAME.log beside itself if it ran.
    const std::vector<std::string> planted = {"ffmpeg.exe", "ffmpeg.com", "ffmpeg.bat",
                                              "ffmpeg.cmd"};
    std::vector<std::string> listed = planted;
    for (const std::string& folder : {watch, current}) {
        copy(standIn, folder + "\\ffmpeg.exe");
        copy(standIn, folder + "\\ffmpeg.com");
        WriteFile(folder + "\\ffmpeg.bat", "@echo ran>\"%~f0.log\"\r\n");
        WriteFile(folder + "\\ffmpeg.cmd", "@echo ran>\"%~f0.log\"\r\n");
    }
    const std::vector<std::string> titles = {"good", "a&b", "(x) y", "ポ表", " lead"};
    const std::int64_t old = std::time(nullptr) - 100;
    std::map<std::string, std::size_t> sizes; // of each recording, by its path
    for (const std::string& title : titles) {
        WriteFile(watch + "\\" + title + ".flv", "flv " + title);
        SetTimes(watch + "\\" + title + ".flv", old);
        sizes[watch + "\\" + title + ".flv"] = 4 + title.size();
        listed.insert(listed.end(), {title + ".mp4", title + ".jpg"});
    }
    WriteFile(watch + "\\bad.flv", "bad recording"); // the stand-in fails on it
    SetTimes(watch + "\\bad.flv", old);
    sizes[watch + "\\bad.flv"] = 13;
    listed.push_back("bad.flv");
    WriteFile(top / "set.ini", watch + "\\\n\"" + bin + "\\ffmpeg-convert.bat\"\n0\n");

    const Headless headless(top / "set.ini", top / "out.txt", current);
    ASSERT_TRUE(headless.Started());
    ASSERT_TRUE(WaitFor([&] {
        return ReadFile(top / "out.txt").find("待機中 変換できなかったファイル 1件") !=
               std::string::npos;
    })) << ReadFile(top / "out.txt");

    for (const std::string& folder : {watch, current}) {
        for (const std::string& program : planted)
            EXPECT_FALSE(Exists(folder + "\\" + program + ".log")) << folder << " " << program;
    }
    for (const std::string& title : titles) {
        EXPECT_EQ(ReadFile(watch + "\\" + title + ".mp4"), "flv " + title);
        EXPECT_EQ(ReadFile(watch + "\\" + title + ".jpg"), "flv " + title);
    }
    // Nothing else: no recording but the failed one, no temporary file; the
    // running program's lock file.
    listed.push_back(kFolderLockName);
    std::vector<std::string> inWatch = ListFolder(watch);
    std::sort(inWatch.begin(), inWatch.end());
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(inWatch, listed);
    EXPECT_EQ(ReadFile(watch + "\\bad.flv"), "bad recording");

    // Every read of a recording names its format first, passes timestamps
    // through and writes at most one frame per 10 bytes of it.
    std::size_t recordingsRead = 0;
    for (const std::vector<std::string>& args : StandInRuns(bin + "\\ffmpeg.exe.log")) {
        const std::string input = ValueOf(args, "-i");
        if (input.size() < 4 || input.rfind(".flv") != input.size() - 4)
            continue;
        ++recordingsRead;
        EXPECT_EQ(ValueOf(args, "-f"), "flv") << input;
        EXPECT_EQ(ValueOf(args, "-fps_mode"), "passthrough") << input;
        EXPECT_EQ(ValueOf(args, "-frames:v"), std::to_string(sizes[input.substr(5)] / 10)) << input;
    }
    EXPECT_GE(recordingsRead, titles.size() + 1);
}

// The batch converter alone, started as Kovalin starts it, beside the
// stand-in: a crash after the output was written, a folder made at the
// output's name during the run, or an upload named after another .mp4's 8.3
// short name publishes nothing and keeps the recording; with ffmpeg 4.1 the
// timestamps pass through with -vsync. (Wine's cmd.exe finds nothing with a
// wildcard in double quotes, so here an earlier output of the same title,
// which Windows replaces, fails the conversion as well: not checked.)
TEST(Win32ShippedBatch, PublishesNothingOnAFailureAndReplacesNoOtherFile) {
    TempFolder top;
    const std::string bin = top / "bin";
    MakeFolder(bin);
    ASSERT_TRUE(CopyFileA((ExecutableDirectory() + KOVALIN_BATCH_FROM_TESTS).c_str(),
                          (bin + "\\ffmpeg-convert.bat").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA((ExecutableDirectory() + "stand_in_ffmpeg.exe").c_str(),
                          (bin + "\\ffmpeg.exe").c_str(), FALSE));
    for (const char* folder : {"crash", "taken", "short", "old"})
        MakeFolder(top / folder);
    const std::string victim = top / "short\\recording-2024.mp4";
    WriteFile(victim, "victim");
    char shortPath[MAX_PATH];
    ASSERT_NE(GetShortPathNameA(victim.c_str(), shortPath, MAX_PATH), 0u);
    std::string shortName = shortPath;
    shortName = shortName.substr(shortName.rfind('\\') + 1);
    ASSERT_NE(shortName, "recording-2024.mp4");

    const struct {
        std::string folder, title, contents;
        bool ffmpeg41;
        std::vector<std::string> left;
    } cases[] = {
        {"crash", "clip", "crash", false, {"clip.flv"}},
        {"taken", "clip", "folder", false, {"clip.flv", "clip.mp4"}},
        {"short",
         shortName.substr(0, shortName.rfind('.')),
         "flv",
         false,
         {shortName.substr(0, shortName.rfind('.')) + ".flv", "recording-2024.mp4"}},
        {"old", "clip", "flv", true, {"clip.jpg", "clip.mp4"}},
    };
    for (const auto& [folder, title, contents, ffmpeg41, left] : cases) {
        const std::string watch = top / folder;
        WriteFile(watch + "\\" + title + ".flv", contents + " recording");
        ConverterEnvironment environment = {{"KOVALIN_FILE", watch + "\\" + title + ".flv"},
                                            {"KOVALIN_TITLE", title},
                                            {"KOVALIN_FOLDER", watch + "\\"}};
        if (ffmpeg41)
            environment.emplace_back("STAND_IN_FFMPEG_4_1", "1");
        const ConverterStart start = ThePlatform().StartHidden(
            "\"" + bin + "\\ffmpeg-convert.bat\"", title, environment, nullptr);
        ASSERT_TRUE(start.process) << folder;
        start.process->Wait();

        std::vector<std::string> inWatch = ListFolder(watch);
        std::sort(inWatch.begin(), inWatch.end());
        EXPECT_EQ(inWatch, left) << folder;
        EXPECT_EQ(ReadFile(watch + "\\" + title + ".flv"),
                  left.front().find(".flv") == std::string::npos ? "" : contents + " recording")
            << folder;
    }
    EXPECT_EQ(ReadFile(victim), "victim");
    EXPECT_TRUE(ListFolder(top / "taken\\clip.mp4").empty());
    const auto runs = StandInRuns(bin + "\\ffmpeg.exe.log");
    const auto old = std::find_if(runs.begin(), runs.end(), [&](const auto& args) {
        return ValueOf(args, "-i") == "file:" + (top / "old") + "\\clip.flv";
    });
    ASSERT_NE(old, runs.end());
    EXPECT_EQ(ValueOf(*old, "-vsync"), "passthrough");
    EXPECT_EQ(ValueOf(*old, "-fps_mode"), "");
}

// A recording moved in just as the worker begins its 10 s idle pause goes
// long before the pause would end. A folder made only after the start, which
// could not be watched then, is served all the same.
TEST(Win32Headless, ARecordingMovedIntoTheIdleFolderGoesAtOnce) {
    TempFolder top;
    const std::string watch = top / "watch";
    WriteFile(top / "conv.bat", "@del \"%KOVALIN_FILE%\"\r\n");
    WriteFile(top / "set.ini", watch + "\\\n" + top / "conv.bat" + "\n0\n");
    const auto moveIn = [&](const std::string& name) {
        WriteFile(top / name, "flv");
        SetTimes(top / name, std::time(nullptr) - 100);
        return MoveFileA((top / name).c_str(), (watch + "\\" + name).c_str()) != FALSE;
    };
    const auto converted = [&](const std::string& name) {
        return [&, name] { return !Exists(watch + "\\" + name); };
    };

    const Headless headless(top / "set.ini", top / "out.txt");
    ASSERT_TRUE(
        WaitFor([&] { return ReadFile(top / "out.txt").find("待機中") != std::string::npos; }));
    MakeFolder(watch);
    ASSERT_TRUE(moveIn("late.flv"));
    EXPECT_TRUE(WaitFor(converted("late.flv"), std::chrono::seconds(25)));

    ASSERT_TRUE(WaitFor([&] {
        return ReadFile(top / "out.txt").rfind("待機中") >
               ReadFile(top / "out.txt").find("lateを変換中");
    }));
    ASSERT_TRUE(moveIn("moved.flv"));
    EXPECT_TRUE(WaitFor(converted("moved.flv"), std::chrono::seconds(5)));
}

// A converter outlives its kovalin-headless.exe, ended here without any
// clean-up: the next start hands the recording to nobody while that
// converter runs, says so, and takes it once the converter has ended and
// left it.
TEST(Win32Headless, ARecordingStaysWithTheConverterOfAnEndedRunUntilItEnds) {
    TempFolder folder;
    const std::string log = folder / "log.txt";
    WriteFile(folder / "set.ini", folder.Prefix() + "\n" + ConverterProgram("wait", log) + "\n0\n");
    folder.Touch("clip.flv");
    SetTimes(folder / "clip.flv", std::time(nullptr) - 100);
    const auto starts = [&] {
        const std::string started = ReadFile(log);
        return std::count(started.begin(), started.end(), '\n');
    };

    auto first = std::make_unique<Headless>(folder / "set.ini", folder / "first.txt");
    ASSERT_TRUE(WaitFor([&] { return starts() == 1; })) << ReadFile(folder / "first.txt");
    first.reset(); // TerminateProcess
    const Headless second(folder / "set.ini", folder / "second.txt");
    ASSERT_TRUE(WaitFor([&] {
        return ReadFile(folder / "second.txt").find("待機中 使用終了待ち 1件") != std::string::npos;
    })) << ReadFile(folder / "second.txt");
    EXPECT_EQ(starts(), 1);

    folder.Touch("log.txt.release");
    EXPECT_TRUE(WaitFor([&] { return starts() == 2; })) << ReadFile(folder / "second.txt");
}

// One instance per settings file: a second start ends with code 2 and the
// first one's PID; once the first has been killed, a new start runs.
TEST(Win32Headless, SecondStartOnTheSameSettingsExitsWithCode2) {
    TempFolder folder;
    WriteFile(folder / "set.ini", folder.Prefix() + "\n" + folder / "conv.bat" + "\n0\n");
    const std::string settings = folder / "set.ini";
    const auto idle = [&](const std::string& output) {
        return WaitFor([&] { return ReadFile(output).find("待機中") != std::string::npos; });
    };

    auto first = std::make_unique<Headless>(settings, folder / "first.txt");
    ASSERT_TRUE(idle(folder / "first.txt")) << ReadFile(folder / "first.txt");
    const Headless second(settings, folder / "second.txt");
    EXPECT_EQ(second.ExitCode(), 2);
    EXPECT_NE(ReadFile(folder / "second.txt").find("(PID " + std::to_string(first->Pid()) + ")"),
              std::string::npos)
        << ReadFile(folder / "second.txt");

    first.reset(); // TerminateProcess: no clean end
    const Headless third(settings, folder / "third.txt");
    EXPECT_TRUE(idle(folder / "third.txt")) << ReadFile(folder / "third.txt");
}

// Objects and files that another party holds under Kovalin's names stop no
// start: the machine-wide mutex of earlier versions, the settings file open
// for reading, a lock file left in the folder. Another Kovalin on the same
// watch folder, on settings of its own, does: exit code 75, until it ends.
// (Wine runs every process as one user: that a session mutex of another
// owner is ignored, and that another user cannot open the lock file, cannot
// be shown here.)
TEST(Win32Headless, OnlyAKovalinOnTheSameFolderKeepsAStartOff) {
    TempFolder folder;
    const std::string settings = folder / "set.ini";
    WriteFile(settings, folder.Prefix() + "\n" + folder / "conv.bat" + "\n0\n");
    WriteFile(folder / "other.ini", ReadFile(settings));
    const auto idle = [&](const std::string& output) {
        return WaitFor([&] { return ReadFile(output).find("待機中") != std::string::npos; });
    };

    char full[MAX_PATH * 4];
    const DWORD length = GetLongPathNameA(settings.c_str(), full, sizeof full);
    ASSERT_GT(length, 0u);
    CharUpperBuffA(full, length);
    const std::string machineName = "Global\\" + InstanceName(full) + "-machine";
    const HANDLE mutex = CreateMutexA(nullptr, TRUE, machineName.c_str());
    const HANDLE reader = CreateFileA(settings.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(mutex, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    WriteFile(folder / kFolderLockName, "left behind");

    auto first = std::make_unique<Headless>(settings, folder / "first.txt");
    EXPECT_TRUE(idle(folder / "first.txt")) << ReadFile(folder / "first.txt");
    const Headless second(folder / "other.ini", folder / "second.txt");
    EXPECT_EQ(second.ExitCode(), 75);
    EXPECT_NE(ReadFile(folder / "second.txt").find("is in use by another Kovalin"),
              std::string::npos)
        << ReadFile(folder / "second.txt");

    first.reset(); // TerminateProcess: its lock file goes with its handle
    EXPECT_FALSE(Exists(folder / kFolderLockName));
    const Headless third(folder / "other.ini", folder / "third.txt");
    EXPECT_TRUE(idle(folder / "third.txt")) << ReadFile(folder / "third.txt");
    CloseHandle(reader);
    CloseHandle(mutex);
}

} // namespace
