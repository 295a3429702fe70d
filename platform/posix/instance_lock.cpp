#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
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

// /tmp/kovalin-UID, made 0700: a folder of the user's own, so that no other
// user can put a lock file or a socket in the way. Empty when the name is
// taken by something else (a link, a file, another user's folder).
std::string PrivateTmpFolder() {
    const std::string folder = "/tmp/kovalin-" + std::to_string(getuid());
    mkdir(folder.c_str(), 0700);
    struct stat info;
    if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid())
        return {};
    if ((info.st_mode & 077) != 0 && chmod(folder.c_str(), 0700) != 0)
        return {};
    return folder;
}

// The user's runtime folder, also where the environment does not name it (a
// cron job): the same lock for every start of one user. A private folder in
// /tmp on systems without one. Empty when there is no safe place.
std::string StemFor(const std::string& name) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && UsableFolder(runtime))
        return std::string(runtime) + "/" + name;
    const std::string userRuntime = "/run/user/" + std::to_string(getuid());
    if (UsableFolder(userRuntime))
        return userRuntime + "/" + name;
    const std::string tmp = PrivateTmpFolder();
    return tmp.empty() ? tmp : tmp + "/" + name;
}

// A lock file must be the user's own regular file, with no other name that
// someone else could reach it by.
bool IsOwnPlainFile(int fd) {
    struct stat info;
    return fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == getuid() &&
           info.st_nlink == 1;
}

// The user's lock file, close-on-exec so that a converter never keeps the
// lock after Kovalin ends; -1 when there is no safe place for it.
int OpenUserLockFile(const std::string& stem) {
    const int fd = stem.empty() ? -1
                                : open((stem + ".lock").c_str(),
                                       O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd >= 0 && !IsOwnPlainFile(fd)) {
        close(fd);
        return -1;
    }
    return fd;
}

long ReadPid(int fd) {
    char text[24] = {};
    const ssize_t length = pread(fd, text, sizeof text - 1, 0);
    return length > 0 ? std::strtol(text, nullptr, 10) : 0;
}

// The holder writes its PID just after it takes the lock.
long WaitForOwnerPid(int fd) {
    long pid = 0;
    for (int i = 0; i < 100 && pid == 0; ++i) {
        pid = ReadPid(fd);
        if (pid == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return pid;
}

void WriteOwnPid(int fd) {
    const std::string pid = std::to_string(getpid()) + "\n";
    if (ftruncate(fd, 0) != 0 || pwrite(fd, pid.data(), pid.size(), 0) < 0) {
        // Later starts are refused all the same, without the PID.
    }
}

} // namespace

InstanceLock AcquireInstanceLock(const std::string& path) {
    InstanceLock lock;
    const std::string stem = StemFor(InstanceName(FullPath(path)));
    const int userLock = OpenUserLockFile(stem);
    if (userLock >= 0) {
        lock.channel = stem + ".sock";
        if (flock(userLock, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
            lock.ownerPid = WaitForOwnerPid(userLock);
            close(userLock);
            return lock;
        }
        // The descriptor stays open until the process ends, and the lock with
        // it. Where the file system has no locks, it counts as taken.
        WriteOwnPid(userLock);
    }
    lock.held = true;
    return lock;
}
