// Converters that are missing, not executable, crash, exit at once, never
// exit, or leave children behind: the worker neither spins nor stops, and a
// converter that outlives the program is left running.
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <ctime>
#include <thread>

#include "core/convert_worker.h"
#include "core/shared_state.h"
#include "core/texts.h"
#include "no_spin.h"
#include "processes.h"
#include "settings/settings_file.h"
#include "support.h"
#include "test_platform.h"

extern char** environ;

namespace reliability {

using namespace test_support;
namespace {

struct ConverterFault {
    TempFolder scratch;
    std::string watch = scratch / "watch";
    std::string log = scratch / "converter.log";
    SharedState state;
    TestPlatform platform;
    ConvertWorker worker{platform, state};

    explicit ConverterFault(const std::string& program) {
        mkdir(watch.c_str(), 0755);
        WriteFile(watch + "/clip.flv", "video");
        PublishSettings(state, {watch + "/", program, 0});
    }
};

TEST(ConverterFaultTest, ConverterThatCannotStartIsRetriedOncePerPause) {
    TempFolder files;
    WriteFile(files / "not-executable", "#!/bin/sh\ntouch " + (files / "RAN") + "\n");
    chmod((files / "not-executable").c_str(), 0644);
    // Executable, but its "#!" names no interpreter that exists.
    WriteFile(files / "no-interpreter", "#!/nonexistent/sh\ntouch " + (files / "RAN") + "\n");
    chmod((files / "no-interpreter").c_str(), 0755);

    for (const std::string& program : {files / "missing", files / "not-executable",
                                       files / "no-interpreter", files.Path() /* a directory */}) {
        SCOPED_TRACE(program);
        ConverterFault fault(program);
        fault.worker.RunCycle();
        EXPECT_EQ(fault.state.g_strStatus.Get(), texts::StartFailed(program));
        EXPECT_EQ(fault.state.g_bConverting.load(), 0);
        ExpectNoSpin(fault.worker, fault.platform, 20, "converter that cannot start");
        EXPECT_EQ(fault.platform.Starts().size(), 20u);
    }
    EXPECT_FALSE(Exists(files / "RAN"));
}

TEST(ConverterFaultTest, CrashingOrFailingConverterRestsBeforeItsNextTry) {
    for (const char* mode : {"segv", "exit"}) {
        SCOPED_TRACE(mode);
        ConverterFault fault(ConverterProgram(mode, "unused"));
        fault.worker.RunCycle();
        EXPECT_EQ(fault.platform.Starts().size(), 1u);
        EXPECT_EQ(fault.state.g_bConverting.load(), 0);
        EXPECT_EQ(fault.state.g_strStatus.Get(), texts::Converting("clip", 1));
        // The pauses are not slept, so the 10 s back-off never passes here.
        ExpectNoSpin(fault.worker, fault.platform, 20,
                     mode[0] == 's' ? "converter dying of SIGSEGV" : "converter exiting at once");
        EXPECT_EQ(fault.platform.Starts().size(), 0u);
        EXPECT_EQ(fault.state.g_strStatus.Get(), texts::Idle(0, 1, false));
    }
}

TEST(ConverterFaultTest, ScriptWithoutInterpreterLineRunsThroughTheShell) {
    TempFolder files;
    WriteFile(files / "plain-script", "echo \"$1 $KOVALIN_TITLE\" > " + (files / "RAN") + "\n");
    chmod((files / "plain-script").c_str(), 0755);
    ConverterFault fault(files / "plain-script");
    fault.worker.RunCycle();
    EXPECT_EQ(ReadFile(files / "RAN"), "clip clip\n");
}

TEST(ConverterFaultTest, CrashingConverterReallyDiesOfSigsegv) {
    // The fault is what it claims to be: the helper dies of the signal.
    const std::string program = ConverterProgram("segv", "unused");
    std::string self = program.substr(1, program.find('"', 1) - 1);
    std::string flag = "--test-converter=segv", log = "unused";
    char* argv[] = {self.data(), flag.data(), log.data(), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv, environ), 0);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGSEGV);
}

std::int64_t ThreadCpuMicrosOf(std::thread& thread) {
    clockid_t clock;
    if (pthread_getcpuclockid(thread.native_handle(), &clock) != 0)
        return -1;
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

TEST(ConverterFaultTest, NeverExitingConverterKeepsTheWorkerConvertingWithoutCpu) {
    TempFolder logs;
    ConverterFault fault(ConverterProgram("hang", logs / "pids"));
    std::thread worker([&] { fault.worker.RunCycle(); });
    ASSERT_TRUE(WaitFor([&] {
        return ReadPidLog(logs / "pids").size() == 1 && fault.state.g_bConverting.load() == 1;
    }));
    const pid_t converter = ReadPidLog(logs / "pids")[0];

    // Nothing can progress: the worker waits in the system, using no CPU.
    const std::int64_t before = ThreadCpuMicrosOf(worker);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const std::int64_t used = ThreadCpuMicrosOf(worker) - before;
    EXPECT_LT(used, 20000);
    std::cout << "[ figures ] worker CPU while a converter hangs: " << used << " us in 300 ms"
              << std::endl;
    EXPECT_EQ(fault.state.g_bConverting.load(), 1);
    EXPECT_TRUE(fault.platform.Pauses().empty());

    kill(converter, SIGKILL);
    worker.join();
    EXPECT_EQ(fault.state.g_bConverting.load(), 0);
    EXPECT_TRUE(ZombieChildren().empty());
}

TEST(ConverterFaultTest, ConverterOutlivesTheProgram) {
    AdoptOrphans();
    TempFolder scratch;
    const std::string watch = scratch / "watch";
    mkdir(watch.c_str(), 0755);
    WriteFile(watch + "/clip.flv", "video");
    const std::string settings = scratch / "Kovaset.ini";
    WriteFile(settings,
              FormatSettings({watch + "/", ConverterProgram("hang", scratch / "pids"), 0}));
    // The file must be older than the program's first cycle.
    const std::time_t made = std::time(nullptr);
    ASSERT_TRUE(WaitFor([&] { return std::time(nullptr) > made; }));

    std::string program = KOVALIN_HEADLESS;
    char* argv[] = {program.data(), const_cast<char*>(settings.c_str()), nullptr};
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t headless = 0;
    ASSERT_EQ(posix_spawn(&headless, program.c_str(), &quiet, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&quiet);
    ASSERT_TRUE(WaitFor([&] { return ReadPidLog(scratch / "pids").size() == 1; }));
    const pid_t converter = ReadPidLog(scratch / "pids")[0];

    kill(headless, SIGTERM);
    int status = 0;
    ASSERT_EQ(waitpid(headless, &status, 0), headless);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_TRUE(IsAlive(converter)) << "the converter must be left running";
    EXPECT_EQ(getsid(converter), converter) << "in a session of its own";

    KillAndReap(converter);
    EXPECT_TRUE(ZombieChildren().empty());
}

TEST(ConverterFaultTest, ChildrenOfTheConverterDoNotHoldTheWorker) {
    AdoptOrphans();
    TempFolder logs;
    ConverterFault fault(ConverterProgram("orphan", logs / "pids"));
    fault.worker.RunCycle(); // returns once the converter itself has exited
    EXPECT_EQ(fault.state.g_bConverting.load(), 0);
    ASSERT_TRUE(WaitFor([&] { return ReadPidLog(logs / "pids").size() == 1; }));
    const pid_t child = ReadPidLog(logs / "pids")[0];
    EXPECT_TRUE(IsAlive(child));

    ExpectNoSpin(fault.worker, fault.platform, 4, "converter leaving a child");
    const std::size_t children = 1 + fault.platform.Starts().size();
    ASSERT_TRUE(WaitFor([&] { return ReadPidLog(logs / "pids").size() == children; }));
    for (const pid_t pid : ReadPidLog(logs / "pids"))
        KillAndReap(pid);
    EXPECT_TRUE(ZombieChildren().empty());
}

} // namespace
} // namespace reliability
