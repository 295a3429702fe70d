// The converter modes on POSIX, and reading what they logged.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <sstream>
#include <stdexcept>

#include "core/file_name.h"
#include "processes.h"
#include "support.h"

namespace test_support {

namespace {

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

// The recording that KOVALIN_FILE_FD names: "-" without the variable,
// else "f:" for a regular file or "o:" for anything else, then its first
// bytes.
std::string HandedRecording() {
    const char* number = std::getenv("KOVALIN_FILE_FD");
    struct stat info;
    if (!number)
        return "-";
    const int fd = std::atoi(number);
    if (fstat(fd, &info) != 0)
        return "?";
    char bytes[64];
    const ssize_t n = pread(fd, bytes, sizeof bytes, 0);
    return (S_ISREG(info.st_mode) ? "f:" : "o:") +
           std::string(bytes, static_cast<std::size_t>(n > 0 ? n : 0));
}

// A "record" run: fields ended by NUL, the arguments length-prefixed so that
// any byte survives. One write, so concurrent records never interleave.
void Record(const std::string& log, int argc, char** argv, int ownArgs) {
    std::string record = getsid(0) == getpid() ? "S" : "-";
    record += '\0' + Link("/proc/self/fd/0") + '\0' + OpenDescriptorsAbove2() + '\0' +
              HandedRecording() + '\0' + std::to_string(ownArgs) + '\0';
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
        run.recording = field();
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

} // namespace test_support
