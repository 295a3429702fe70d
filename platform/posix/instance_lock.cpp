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
    const auto full =
        std::filesystem::weakly_canonical(std::filesystem::absolute(path, error), error);
    return error ? path : full.string();
}

// The user's runtime folder; /tmp, with the user's id in the names, without one.
std::string StemFor(const std::string& name) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/' && access(runtime, W_OK | X_OK) == 0)
        return std::string(runtime) + "/" + name;
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
