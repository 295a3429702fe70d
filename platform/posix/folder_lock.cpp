#include "platform/folder_lock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

namespace {

using State = FolderClaim::State;

constexpr int kOpenFlags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

// The process's one claim. fcntl locks belong to the process and end when
// any of its descriptors of the file closes: the lock file is opened only
// here, and a claim gives up the old folder before it opens the new one.
struct Claim {
    std::mutex mutex;
    int fd = -1;
    pid_t owner = 0; // a forked child holds no lock of its parent's
    std::string folder;
    struct stat file {};

    void Release() {
        if (fd >= 0)
            close(fd);
        fd = -1;
        folder.clear();
    }
};

Claim& TheClaim() {
    static Claim* const claim = new Claim; // never destroyed: the lock lasts as long as the process
    return *claim;
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// A new lock file goes to the folder's owner and group where this process
// may give them, and may be opened by exactly those whom the folder's mode
// lets write it.
void GiveToFolderWriters(int fd, const std::string& folder) {
    struct stat dir;
    if (stat(folder.empty() ? "." : folder.c_str(), &dir) != 0)
        return;
    if (fchown(fd, geteuid() == 0 ? dir.st_uid : static_cast<uid_t>(-1), dir.st_gid) != 0) {
        // Not a member of the folder's group: the group gets no access below.
    }
    struct stat file;
    if (fstat(fd, &file) != 0)
        return;
    mode_t mode = S_IRUSR | S_IWUSR;
    if ((dir.st_mode & S_IWGRP) && file.st_gid == dir.st_gid)
        mode |= S_IRGRP | S_IWGRP;
    if (dir.st_mode & S_IWOTH)
        mode |= S_IROTH | S_IWOTH;
    fchmod(fd, mode);
}

int OpenLockFile(const std::string& path, const std::string& folder) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        int fd = open(path.c_str(), O_RDWR | kOpenFlags);
        if (fd >= 0 || errno != ENOENT)
            return fd;
        fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | kOpenFlags, S_IRUSR | S_IWUSR);
        if (fd >= 0) {
            GiveToFolderWriters(fd, folder);
            return fd;
        }
        if (errno != EEXIST)
            return -1;
    }
    return -1;
}

// The process that holds a lock on the file: 0 where it is not visible (in
// another PID namespace), -1 when no one holds one.
long LockHolder(int fd) {
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    if (fcntl(fd, F_GETLK, &probe) != 0 || probe.l_type == F_UNLCK)
        return -1;
    return probe.l_pid > 0 ? probe.l_pid : 0;
}

// A lock file this process may not write: held elsewhere only when it can
// be seen to be locked.
FolderClaim ClaimOfUnwritable(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | kOpenFlags);
    if (fd < 0)
        return {};
    struct stat info;
    const long holder = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) ? LockHolder(fd) : -1;
    close(fd);
    return holder < 0 ? FolderClaim{} : FolderClaim{State::HeldElsewhere, holder};
}

FolderClaim TryClaim(Claim& claim, const std::string& folder) {
    const std::string path = folder + kFolderLockName;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int fd = OpenLockFile(path, folder);
        if (fd < 0)
            return errno == EACCES || errno == EPERM ? ClaimOfUnwritable(path) : FolderClaim{};
        struct stat info;
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_nlink != 1) {
            close(fd);
            return {};
        }
        if (fcntl(fd, F_SETLK, &lock) != 0) {
            const bool held = errno == EAGAIN || errno == EACCES;
            const long holder = held ? LockHolder(fd) : -1;
            close(fd);
            if (!held)
                return {}; // no locks on this file system
            if (holder >= 0)
                return {State::HeldElsewhere, holder};
            continue; // released meanwhile
        }
        // A file removed or replaced between the open and the lock guards
        // nothing: another start would make or open the new one.
        struct stat now;
        if (lstat(path.c_str(), &now) == 0 && SameFile(now, info)) {
            claim.fd = fd;
            claim.owner = getpid();
            claim.folder = folder;
            claim.file = info;
            return {State::Held, 0};
        }
        close(fd);
    }
    return {};
}

} // namespace

FolderClaim ClaimWatchFolder(const std::string& folder) {
    Claim& claim = TheClaim();
    std::lock_guard guard(claim.mutex);
    if (claim.fd >= 0 && claim.owner == getpid() && claim.folder == folder) {
        struct stat now;
        const std::string path = folder + kFolderLockName;
        if (lstat(path.c_str(), &now) == 0 && SameFile(now, claim.file))
            return {State::Held, 0};
    }
    claim.Release();
    return TryClaim(claim, folder);
}
