// POSIX only: what the converter modes logged, processes and resource
// figures.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace test_support {

// One run of a "record" converter.
struct ConverterRun {
    std::vector<std::string> argv; // the whole argument vector, program included
    std::vector<std::string> args; // those after the converter's own
    std::string stdinTarget;       // what descriptor 0 is
    bool ownSession = false;
    std::vector<int> extraFds; // open descriptors above 2
    // The recording it was handed: "-" for none, else "f:" (a regular file)
    // or "o:" (anything else) and its first bytes.
    std::string recording;
};
std::vector<ConverterRun> ReadConverterLog(const std::string& log);
// The process ids that "hang" and "orphan" converters logged.
std::vector<pid_t> ReadPidLog(const std::string& log);

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
