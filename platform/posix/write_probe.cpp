#include "platform/write_probe.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

class Descriptor {
  public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0)
            close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return m_fd; }

  private:
    int m_fd;
};

} // namespace

WriteState ProbeWriting(const std::string& path) {
    KeepLeaseBreaksHarmless();
    // Only a regular file is opened, since opening a device may act on it,
    // and opening a FIFO blocks until a writer comes. A link is never handed
    // over, whatever it points at: through it a stranger could make the
    // converter publish a file from outside the folder.
    struct stat info;
    if (lstat(path.c_str(), &info) != 0)
        return WriteState::Unknown;
    if (S_ISDIR(info.st_mode))
        return WriteState::Closed;
    if (!S_ISREG(info.st_mode))
        return WriteState::NotAFile;
    const Descriptor file(
        open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC));
    if (file.Get() < 0)
        return errno == ELOOP ? WriteState::NotAFile : WriteState::Unknown;
    if (fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode))
        return WriteState::Unknown;
    if (fcntl(file.Get(), F_SETLEASE, F_RDLCK) == 0) {
        fcntl(file.Get(), F_SETLEASE, F_UNLCK);
        return WriteState::Closed;
    }
    return errno == EAGAIN ? WriteState::Writing : WriteState::Unknown;
}
