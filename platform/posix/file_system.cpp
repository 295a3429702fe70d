#include "platform/the_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/posix/write_permission.h"

namespace {

// The failure that an errno stands for.
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

// Success when the call succeeded, otherwise the failure of its errno.
WriteOutcome OutcomeOf(bool done) {
    return done ? WriteOutcome{} : Failed(errno);
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

const char* FolderName(const std::string& folder) {
    return folder.empty() ? "." : folder.c_str();
}

class PosixFileSystem final : public FileSystem {
  public:
    Entry Inspect(const std::string& path) override {
        struct stat info;
        if (stat(path.c_str(), &info) != 0)
            return {};
        return {true, S_ISDIR(info.st_mode), NobodyMayWrite(info.st_mode),
                static_cast<unsigned>(info.st_mode & 07777)};
    }

    bool Exists(const std::string& path) override {
        struct stat info;
        return lstat(path.c_str(), &info) == 0;
    }

    WriteOutcome MayWrite(const std::string& path) override {
        return OutcomeOf(access(path.c_str(), W_OK) == 0);
    }

    std::string ResolveLinks(const std::string& path) override {
        char resolved[PATH_MAX];
        return realpath(path.c_str(), resolved) ? std::string(resolved) : path;
    }

    Read ReadStart(const std::string& path, std::size_t maxBytes) override {
        Read read;
        const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            read.found = errno != ENOENT;
            read.error = errno;
            return read;
        }
        read.found = true;
        read.bytes.resize(maxBytes);
        std::size_t done = 0;
        while (done < maxBytes) {
            const ssize_t n = ::read(fd, read.bytes.data() + done, maxBytes - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                read.error = n < 0 ? errno : 0;
                break;
            }
            done += static_cast<std::size_t>(n);
        }
        read.bytes.resize(done);
        close(fd);
        return read;
    }

    bool MakeFolder(const std::string& path) override {
        return mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
    }

    Written WriteWhole(const std::string& path, Open how, unsigned permissions,
                       const std::string& bytes) override {
        const int flags = how == Open::CreateNew ? O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC
                                                 : O_WRONLY | O_TRUNC | O_CLOEXEC;
        const int fd = open(path.c_str(), flags, static_cast<mode_t>(permissions));
        if (fd < 0)
            return {false, Failed(errno)};
        int error = WriteAll(fd, bytes);
        if (error == 0 && fsync(fd) != 0)
            error = errno;
        if (close(fd) != 0 && error == 0)
            error = errno;
        return {true, error == 0 ? WriteOutcome{} : Failed(error)};
    }

    WriteOutcome Replace(const std::string& from, const std::string& to) override {
        return OutcomeOf(rename(from.c_str(), to.c_str()) == 0);
    }

    void SyncFolder(const std::string& folder) override {
        const int fd = open(FolderName(folder), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0) {
            fsync(fd);
            close(fd);
        }
    }

    bool RemoveTemporaryFile(const std::string& path) override { return unlink(path.c_str()) == 0; }

    std::vector<std::string> ListFiles(const std::string& folder,
                                       const std::string& prefix) override {
        std::vector<std::string> names;
        DIR* dir = opendir(FolderName(folder));
        if (!dir)
            return names;
        while (const dirent* entry = readdir(dir)) {
            if (std::strncmp(entry->d_name, prefix.c_str(), prefix.size()) != 0)
                continue;
            struct stat info;
            if (lstat((folder + entry->d_name).c_str(), &info) == 0 && S_ISREG(info.st_mode))
                names.emplace_back(entry->d_name);
        }
        closedir(dir);
        return names;
    }

    std::uint64_t ProcessId() override { return static_cast<std::uint64_t>(getpid()); }

    bool ProcessIsAlive(std::uint64_t processId) override {
        if (processId == 0 || processId > static_cast<std::uint64_t>(INT_MAX))
            return false;
        return kill(static_cast<pid_t>(processId), 0) == 0 || errno == EPERM;
    }
};

} // namespace

FileSystem& TheFileSystem() {
    static FileSystem* const files = new PosixFileSystem;
    return *files;
}
