#include "platform/write_probe.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <mutex>

namespace {

// A writer that opens the file while the lease is held makes the system
// signal the lease holder, with SIGIO unless told otherwise, and SIGIO ends
// a process by default. It is ignored unless someone else already handles it.
void KeepLeaseBreaksHarmless() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction current {};
        if (sigaction(SIGIO, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
            signal(SIGIO, SIG_IGN);
    });
}

// Whether anyone holds the open file for writing: a read lease is refused
// while anyone does. Released at once, so no writer ever waits on it.
WriteState LeaseProbe(int fd) {
    if (fcntl(fd, F_SETLEASE, F_RDLCK) == 0) {
        fcntl(fd, F_SETLEASE, F_UNLCK);
        return WriteState::Closed;
    }
    return errno == EAGAIN ? WriteState::Writing : WriteState::Unknown;
}

} // namespace

RecordingFile::~RecordingFile() {
    close(static_cast<int>(m_native));
}

RecordingProbe ProbeRecording(const std::string& path) {
    KeepLeaseBreaksHarmless();
    // Only a regular file or a folder is opened, since opening a device may
    // act on it. A link is never handed over, whatever it points at: through
    // it a stranger could make the converter publish a file from outside the
    // folder.
    struct stat info;
    if (lstat(path.c_str(), &info) != 0)
        return {errno == ENOENT || errno == ENOTDIR ? WriteState::Gone : WriteState::Unreadable};
    if (!S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode))
        return {WriteState::NotAFile};
    // Without blocking, so that a FIFO put in its place meanwhile opens at
    // once, and is refused below.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ELOOP)
            return {WriteState::NotAFile};
        return {errno == ENOENT || errno == ENOTDIR ? WriteState::Gone : WriteState::Unreadable};
    }
    auto file = std::make_unique<RecordingFile>(fd);
    if (fstat(fd, &info) != 0)
        return {WriteState::Unreadable};
    if (!S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode))
        return {WriteState::NotAFile};
    // The lock goes with the open file to the converter and every program
    // that inherits it, and ends only when the last of them closes it.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK)
        return {WriteState::Claimed};
    const WriteState state = S_ISDIR(info.st_mode) ? WriteState::Closed : LeaseProbe(fd);
    if (state == WriteState::Writing)
        return {state};
    return {state, std::move(file)};
}
