#include "platform/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

WriteOutcome Failed(int error) {
    WriteOutcome outcome;
    outcome.systemError = error;
    outcome.detail = std::strerror(error);
    switch (error) {
    case EACCES:
    case EPERM:
        outcome.failure = WriteFailure::AccessDenied;
        break;
    case EROFS:
        outcome.failure = WriteFailure::ReadOnly;
        break;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        outcome.failure = WriteFailure::DiskFull;
        break;
    case EISDIR:
        outcome.failure = WriteFailure::IsFolder;
        break;
    case ENOENT:
    case ENOTDIR:
        outcome.failure = WriteFailure::NoFolder;
        break;
    default:
        outcome.failure = WriteFailure::Other;
        break;
    }
    return outcome;
}

WriteOutcome ReadOnlyFile() {
    WriteOutcome outcome;
    outcome.failure = WriteFailure::ReadOnly;
    outcome.systemError = EACCES;
    outcome.detail = "the file is read-only";
    return outcome;
}

// Writes all bytes; 0 or the errno of the failure.
int WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return ENOSPC;
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

// Writes the bytes to an open descriptor, syncs and closes it; 0 or the
// errno of the first failure.
int FillAndClose(int fd, const std::string& bytes) {
    int error = WriteAll(fd, bytes);
    if (error == 0 && fsync(fd) != 0)
        error = errno;
    if (close(fd) != 0 && error == 0)
        error = errno;
    return error;
}

// A link to the settings file is kept: the file it points at is replaced.
std::string ResolveTarget(const std::string& path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

std::string TemporaryName(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    return target + ".new-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
}

std::string FolderOf(const std::string& path) {
    return path.substr(0, path.rfind('/') + 1);
}

void SyncFolderOf(const std::string& path) {
    const std::string folder = FolderOf(path);
    const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

// A process that may still be writing its temporary file.
bool ProcessIsAlive(std::uint64_t pid) {
    if (pid == 0 || pid > static_cast<std::uint64_t>(INT_MAX))
        return false;
    return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

// Removes the temporary files that writes of earlier runs, killed before
// their rename, left beside `target`. Only names of exactly that pattern are
// touched, and only those of processes that are gone.
void RemoveLeftovers(const std::string& target) {
    const std::string folder = FolderOf(target);
    const std::string fileName = target.substr(folder.size());
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return;
    const std::uint64_t self = static_cast<std::uint64_t>(getpid());
    while (const dirent* entry = readdir(dir)) {
        std::uint64_t pid = 0;
        if (!IsTemporaryFileOf(entry->d_name, fileName, pid) || pid == self || ProcessIsAlive(pid))
            continue;
        const std::string leftover = folder + entry->d_name;
        struct stat info;
        if (lstat(leftover.c_str(), &info) == 0 && S_ISREG(info.st_mode))
            unlink(leftover.c_str());
    }
    closedir(dir);
}

} // namespace

WriteOutcome WriteFileAtomically(const std::string& path, const std::string& bytes) {
    const std::string target = ResolveTarget(path);
    // The new file keeps the permissions of the one it replaces. A file that
    // no one may write has been pinned (chmod a-w): it is left alone, for
    // root too, as Windows leaves a read-only file alone.
    struct stat old;
    const bool exists = stat(target.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode))
        return Failed(EISDIR);
    if (exists && S_ISREG(old.st_mode)) {
        if ((old.st_mode & 0222) == 0)
            return ReadOnlyFile();
        if (access(target.c_str(), W_OK) != 0)
            return Failed(errno);
    }
    const mode_t mode = exists ? (old.st_mode & 07777) : 0666;

    const std::string temporary = TemporaryName(target);
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) {
        const int error = errno;
        if ((error != EACCES && error != EPERM) || !exists)
            return Failed(error);
        // The folder refuses new files: rewrite the file itself.
        const int inPlace = open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (inPlace < 0)
            return Failed(errno);
        const int written = FillAndClose(inPlace, bytes);
        return written == 0 ? WriteOutcome{} : Failed(written);
    }
    int error = FillAndClose(fd, bytes);
    if (error == 0 && rename(temporary.c_str(), target.c_str()) != 0)
        error = errno;
    if (error != 0) {
        unlink(temporary.c_str());
        return Failed(error);
    }
    SyncFolderOf(target);
    RemoveLeftovers(target);
    return {};
}
