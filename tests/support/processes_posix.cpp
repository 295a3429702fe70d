// Processes and resource figures from getrusage and /proc.
#include "processes.h"

#include <grp.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>

#include "fail.h"
#include "support.h"

namespace test_support {

std::int64_t ThreadCpuMicros() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    auto micros = [](const timeval& t) {
        return static_cast<std::int64_t>(t.tv_sec) * 1000000 + t.tv_usec;
    };
    return micros(usage.ru_utime) + micros(usage.ru_stime);
}

std::size_t OpenDescriptorCount() {
    // The listing's own descriptor is not counted.
    return ListFolder("/proc/self/fd").size() - 1;
}

std::size_t ResidentKiB() {
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * static_cast<std::size_t>(sysconf(_SC_PAGESIZE)) / 1024;
}

std::vector<pid_t> ZombieChildren() {
    std::vector<pid_t> zombies;
    for (const std::string& name : ListFolder("/proc")) {
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const std::string stat = ReadFile("/proc/" + name + "/stat");
        const std::size_t close = stat.rfind(')');
        if (close == std::string::npos)
            continue;
        std::istringstream rest(stat.substr(close + 1));
        char state = 0;
        long parent = 0;
        rest >> state >> parent;
        if (state == 'Z' && parent == getpid())
            zombies.push_back(static_cast<pid_t>(std::stol(name)));
    }
    return zombies;
}

void AdoptOrphans() {
    prctl(PR_SET_CHILD_SUBREAPER, 1);
}

bool IsAlive(pid_t pid) {
    // A zombie has ended: it only waits to be reaped.
    const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    const std::size_t close = stat.rfind(')');
    return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] != 'Z';
}

void KillAndReap(pid_t pid) {
    kill(pid, SIGKILL);
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

int RunAsNobody(const std::function<int()>& body) {
    if (geteuid() != 0)
        return -1;
    const pid_t child = fork();
    if (child < 0)
        Fail("fork");
    if (child == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)
            _exit(120);
        int status = 121;
        try {
            status = body();
        } catch (...) {
        }
        _exit(status);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 122;
}

} // namespace test_support
