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

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "core/file_name.h"

namespace test_support {

namespace {

constexpr const char* kConverterFlag = "--test-converter=";

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

std::string OpenDescriptorsAbove2() {
    std::string fds;
    if (DIR* dir = opendir("/proc/self/fd")) {
        const int own = dirfd(dir);
        while (const dirent* item = readdir(dir)) {
            const int fd = std::atoi(item->d_name);
            if (item->d_name[0] != '.' && fd > 2 && fd != own)
                fds += std::to_string(fd) + ',';
        }
        closedir(dir);
    }
    return fds;
}

std::string Link(const std::string& path) {
    char target[4096];
    const ssize_t n = readlink(path.c_str(), target, sizeof target - 1);
    return n > 0 ? std::string(target, static_cast<std::size_t>(n)) : std::string();
}

// A "record" run: fields ended by NUL, the arguments length-prefixed so that
// any byte survives. One write, so concurrent records never interleave.
void Record(const std::string& log, int argc, char** argv, int ownArgs) {
    std::string record = getsid(0) == getpid() ? "S" : "-";
    record += '\0' + Link("/proc/self/fd/0") + '\0' + OpenDescriptorsAbove2() + '\0' +
              std::to_string(ownArgs) + '\0';
    for (int i = 0; i < argc; ++i)
        record += std::to_string(std::strlen(argv[i])) + ':' + argv[i];
    AppendToLog(log, record + '\0' + '\n');
}

// Removes <folder>/<title>.flv, ASCII case ignored, the title being the
// arguments joined by single blanks, as a real converter takes its file.
void RemoveRecording(const std::string& folder, const std::vector<std::string>& args) {
    std::string title;
    for (const std::string& arg : args)
        title += (title.empty() ? "" : " ") + arg;
    for (const std::string& name : ListFolder(folder))
        if (EqualsIgnoringAsciiCase(name, title + ".flv"))
            unlink((folder + "/" + name).c_str());
}

} // namespace

TempFolder::TempFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/kovalin-rel-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!mkdtemp(name.data()))
        Fail("mkdtemp");
    m_path = name.data();
    chmod(m_path.c_str(), 0755);
}

TempFolder::~TempFolder() {
    RemoveTree(m_path);
}

void TempFolder::Touch(const std::string& name, std::size_t size) const {
    WriteFile(*this / name, std::string(size, 'x'));
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

std::string ConverterProgram(const std::string& mode, const std::string& log,
                             const std::string& removeIn) {
    std::string program = "\"" + SelfPath() + "\" " + kConverterFlag + mode + " \"" + log + "\"";
    if (!removeIn.empty())
        program += " --remove \"" + removeIn + "\"";
    return program;
}

bool IsConverterCall(int argc, char** argv) {
    return argc > 2 && std::strncmp(argv[1], kConverterFlag, std::strlen(kConverterFlag)) == 0;
}

int RunAsConverter(int argc, char** argv) {
    const std::string mode = argv[1] + std::strlen(kConverterFlag);
    const std::string log = argv[2];
    if (mode == "record") {
        // argv: self --test-converter=record LOG [--remove FOLDER] title-args...
        const bool remove = argc > 4 && std::strcmp(argv[3], "--remove") == 0;
        const int ownArgs = remove ? 5 : 3;
        Record(log, argc, argv, ownArgs);
        if (remove)
            RemoveRecording(argv[4], std::vector<std::string>(argv + ownArgs, argv + argc));
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

std::vector<ConverterRun> ReadConverterLog(const std::string& log) {
    const std::string bytes = ReadFile(log);
    std::vector<ConverterRun> runs;
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
        ConverterRun run;
        run.ownSession = field() == "S";
        run.stdinTarget = field();
        std::istringstream fds(field());
        for (std::string fd; std::getline(fds, fd, ',');)
            run.extraFds.push_back(std::stoi(fd));
        const std::size_t ownArgs = std::stoul(field());
        const std::string args = field();
        for (std::size_t i = 0; i < args.size();) {
            const std::size_t colon = args.find(':', i);
            const std::size_t length = std::stoul(args.substr(i, colon - i));
            run.argv.push_back(args.substr(colon + 1, length));
            i = colon + 1 + length;
        }
        run.args.assign(run.argv.begin() + static_cast<std::ptrdiff_t>(ownArgs), run.argv.end());
        pos += 1; // the line feed
        runs.push_back(std::move(run));
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

} // namespace test_support
