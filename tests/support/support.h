// Real folders, real processes and resource figures for the tests on real
// folders (integration, reliability). Each test program doubles as the
// converter its tests start.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace test_support {

// A fresh folder that any user may enter, removed with all it holds.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return m_path; }
    // The folder as the worker sees it: with its trailing separator.
    std::string Prefix() const { return m_path + "/"; }
    // Path() + "/" + name.
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }
    // Writes a file of `size` bytes.
    void Touch(const std::string& name, std::size_t size = 0) const;

  private:
    std::string m_path;
};

constexpr std::uint64_t kMiB = 1048576;

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
// A file of `size` bytes that takes no disk space.
void MakeSparseFile(const std::string& path, std::uint64_t size);
bool Exists(const std::string& path); // the entry itself, links not followed
// Removes a file, link or folder tree, whatever its permissions.
void RemoveTree(const std::string& path);
// Names in a folder, "." and ".." left out.
std::vector<std::string> ListFolder(const std::string& path);

// The program setting that runs this test program as a converter in `mode`,
// logging to `log`: "record" logs how it was started and exits, after
// removing <removeIn>/<title>.flv (ASCII case ignored) when `removeIn` is
// given; "exit" exits at once with status 3; "segv" dies of SIGSEGV; "hang"
// logs its process id and waits to be killed; "orphan" starts a child that
// logs its id and waits, and exits at once.
std::string ConverterProgram(const std::string& mode, const std::string& log,
                             const std::string& removeIn = "");
// Entry point of the converter modes; returns the exit status.
int RunAsConverter(int argc, char** argv);
bool IsConverterCall(int argc, char** argv);

// One run of a "record" converter.
struct ConverterRun {
    std::vector<std::string> argv; // the whole argument vector, program included
    std::vector<std::string> args; // those after the converter's own
    std::string stdinTarget;       // what descriptor 0 is
    bool ownSession = false;
    std::vector<int> extraFds; // open descriptors above 2
};
std::vector<ConverterRun> ReadConverterLog(const std::string& log);
// The process ids that "hang" and "orphan" converters logged.
std::vector<pid_t> ReadPidLog(const std::string& log);

// Polls `done` every 5 ms for at most `limit`: a condition on a real file
// system or process, with a generous limit.
bool WaitFor(const std::function<bool()>& done,
             std::chrono::milliseconds limit = std::chrono::seconds(30));

// CPU time used so far by the calling thread, user and system, in µs.
std::int64_t ThreadCpuMicros();
std::size_t OpenDescriptorCount();
std::size_t ResidentKiB();
// Processes whose parent is this process and that have ended unreaped.
std::vector<pid_t> ZombieChildren();
// Orphaned descendants are given to this process, so tests can reap them.
void AdoptOrphans();
bool IsAlive(pid_t pid);
// Kills and reaps a process that this process adopted or started.
void KillAndReap(pid_t pid);

// Runs `body` in a child process as the user nobody (65534); returns its exit
// status, or -1 when this process cannot change users (not root).
int RunAsNobody(const std::function<int()>& body);

} // namespace test_support
