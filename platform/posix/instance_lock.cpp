#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

namespace {

// The file's path with links and "." and ".." resolved, as far as it exists.
std::string FullPath(const std::string& path) {
    std::error_code error;
    const auto absolute = std::filesystem::absolute(path, error);
    if (error)
        return path;
    const auto full = std::filesystem::weakly_canonical(absolute, error);
    return error ? absolute.string() : full.string();
}

bool UsableFolder(const std::string& folder) {
    return !folder.empty() && folder[0] == '/' && access(folder.c_str(), W_OK | X_OK) == 0;
}

// The user's runtime folder, also where the environment does not name it (a
// cron job): the same lock for every start of one user. /tmp, with the
// user's id in the name, on systems without one.
std::string StemFor(const std::string& name) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && UsableFolder(runtime))
        return std::string(runtime) + "/" + name;
    const std::string userRuntime = "/run/user/" + std::to_string(getuid());
    if (UsableFolder(userRuntime))
        return userRuntime + "/" + name;
    return "/tmp/" + name + "-" + std::to_string(getuid());
}

long ReadPid(int fd) {
    char text[24] = {};
    const ssize_t length = pread(fd, text, sizeof text - 1, 0);
    return length > 0 ? std::strtol(text, nullptr, 10) : 0;
}

} // namespace

InstanceLock AcquireInstanceLock(const std::string& path) {
    InstanceLock lock;
    const std::string stem = StemFor(InstanceName(FullPath(path)));
    lock.channel = stem + ".sock";
    // Close-on-exec: a converter must not keep the lock after Kovalin ends.
    const int fd = open((stem + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        // Nowhere to keep a lock: the program runs as it would alone.
        lock.held = true;
        return lock;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK) {
        // The descriptor stays open until the process ends, and the lock
        // with it. Where the file system has no locks, the program runs alone.
        const std::string pid = std::to_string(getpid()) + "\n";
        if (ftruncate(fd, 0) != 0 || pwrite(fd, pid.data(), pid.size(), 0) < 0) {
            // Later starts are refused all the same, without the PID.
        }
        lock.held = true;
        return lock;
    }
    // The holder writes its PID just after it takes the lock.
    for (int i = 0; i < 100 && lock.ownerPid == 0; ++i) {
        lock.ownerPid = ReadPid(fd);
        if (lock.ownerPid == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    close(fd);
    return lock;
}
