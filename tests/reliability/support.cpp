#include "support.h"

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace reliability {

namespace {

constexpr const char* kConverterFlag = "--reliability-converter=";

void Fail(const std::string& what) {
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

std::string SelfPath() {
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        Fail("readlink /proc/self/exe");
    return std::string(path, static_cast<std::size_t>(n));
}

void AppendToLog(const std::string& log, const std::string& record) {
    // One write to a file opened for appending: records of concurrent
    // converters never interleave.
    const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd >= 0) {
        (void)!write(fd, record.data(), record.size());
        close(fd);
    }
}

void LogPid(const std::string& log) {
    AppendToLog(log, std::to_string(getpid()) + "\n");
}

[[noreturn]] void WaitToBeKilled() {
    for (;;)
        pause();
}

} // namespace

Scratch::Scratch() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/kovalin-rel-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!mkdtemp(name.data()))
        Fail("mkdtemp");
    m_path = name.data();
    chmod(m_path.c_str(), 0755);
}

Scratch::~Scratch() {
    RemoveTree(m_path);
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out.flush())
        Fail("write " + path);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void MakeSparseFile(const std::string& path, std::uint64_t size) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ftruncate(fd, static_cast<off_t>(size)) != 0)
        Fail("sparse file " + path);
    close(fd);
}

bool Exists(const std::string& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

void RemoveTree(const std::string& path) {
    struct stat info;
    if (lstat(path.c_str(), &info) != 0)
        return;
    if (S_ISDIR(info.st_mode)) {
        chmod(path.c_str(), 0700);
        for (const std::string& name : ListFolder(path))
            RemoveTree(path + "/" + name);
        rmdir(path.c_str());
    } else {
        unlink(path.c_str());
    }
}

std::vector<std::string> ListFolder(const std::string& path) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(path.c_str())) {
        while (const dirent* item = readdir(dir)) {
            const std::string name = item->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        closedir(dir);
    }
    return names;
}

std::string ConverterProgram(const std::string& mode, const std::string& log) {
    return "\"" + SelfPath() + "\" " + kConverterFlag + mode + " \"" + log + "\"";
}

bool IsConverterCall(int argc, char** argv) {
    return argc > 2 && std::strncmp(argv[1], kConverterFlag, std::strlen(kConverterFlag)) == 0;
}

int RunAsConverter(int argc, char** argv) {
    const std::string mode = argv[1] + std::strlen(kConverterFlag);
    const std::string log = argv[2];
    if (mode == "record") {
        std::string record = std::to_string(argc) + '\0';
        for (int i = 0; i < argc; ++i)
            record += std::string(argv[i]) + '\0';
        AppendToLog(log, record);
        return 0;
    }
    if (mode == "exit")
        return 3;
    if (mode == "segv") {
        struct sigaction dflt {};
        dflt.sa_handler = SIG_DFL;
        sigaction(SIGSEGV, &dflt, nullptr);
        raise(SIGSEGV);
        return 1;
    }
    if (mode == "hang") {
        LogPid(log);
        WaitToBeKilled();
    }
    if (mode == "orphan") {
        const pid_t child = fork();
        if (child == 0) {
            LogPid(log);
            WaitToBeKilled();
        }
        return child > 0 ? 0 : 1;
    }
    return 2;
}

std::vector<std::vector<std::string>> ReadArgumentLog(const std::string& log) {
    const std::string bytes = ReadFile(log);
    std::vector<std::vector<std::string>> runs;
    std::size_t pos = 0;
    auto field = [&] {
        const std::size_t end = bytes.find('\0', pos);
        if (end == std::string::npos)
            throw std::runtime_error("truncated converter log");
        std::string text = bytes.substr(pos, end - pos);
        pos = end + 1;
        return text;
    };
    while (pos < bytes.size()) {
        const int count = std::stoi(field());
        std::vector<std::string> args;
        for (int i = 0; i < count; ++i)
            args.push_back(field());
        runs.push_back(std::move(args));
    }
    return runs;
}

std::vector<pid_t> ReadPidLog(const std::string& log) {
    std::vector<pid_t> pids;
    std::istringstream in(ReadFile(log));
    for (long pid; in >> pid;)
        pids.push_back(static_cast<pid_t>(pid));
    return pids;
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

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

} // namespace reliability
