#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace {

bool WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Writes the bytes to an open descriptor, syncs and closes it.
bool FillAndClose(int fd, const std::string& bytes) {
    const bool ok = WriteAll(fd, bytes) && fsync(fd) == 0;
    return close(fd) == 0 && ok;
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

void SyncFolderOf(const std::string& path) {
    const std::string folder = path.substr(0, path.rfind('/') + 1);
    const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

} // namespace

bool WriteFileAtomically(const std::string& path, const std::string& bytes) {
    const std::string target = ResolveTarget(path);
    // The new file keeps the permissions of the one it replaces.
    struct stat old;
    const mode_t mode = stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0666;

    const std::string temporary = TemporaryName(target);
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) {
        if (errno != EACCES && errno != EPERM)
            return false;
        // The folder refuses new files: rewrite the file itself.
        const int inPlace = open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        return inPlace >= 0 && FillAndClose(inPlace, bytes);
    }
    if (!FillAndClose(fd, bytes) || rename(temporary.c_str(), target.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    SyncFolderOf(target);
    return true;
}
