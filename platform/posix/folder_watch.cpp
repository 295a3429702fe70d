#include "platform/posix/folder_watch.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>

namespace {

// A file added, removed, renamed in or out, closed after writing or with
// its attributes changed; the folder itself removed or renamed. Writes
// before the close are not followed: a recorder would wake the worker with
// every chunk.
constexpr std::uint32_t kEvents = IN_CREATE | IN_DELETE | IN_MOVED_TO | IN_MOVED_FROM |
                                  IN_CLOSE_WRITE | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF |
                                  IN_ONLYDIR;

void Drain(int fd) {
    alignas(inotify_event) char buffer[4096];
    while (fd >= 0 && read(fd, buffer, sizeof buffer) > 0) {
    }
}

} // namespace

FolderWatch::FolderWatch()
    : m_inotify(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)),
      m_wake(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

FolderWatch::~FolderWatch() {
    if (m_inotify >= 0)
        close(m_inotify);
    if (m_wake >= 0)
        close(m_wake);
}

void FolderWatch::Watch(const std::string& folder) {
    if (m_inotify < 0)
        return;
    // Added again every cycle: the same folder keeps its watch, and a folder
    // made anew, or another one, gets one.
    const int watch = inotify_add_watch(m_inotify, folder.empty() ? "." : folder.c_str(), kEvents);
    if (m_watch >= 0 && m_watch != watch)
        inotify_rm_watch(m_inotify, m_watch);
    m_watch = watch;
    Drain(m_inotify);
}

Platform::PauseEnd FolderWatch::Wait(unsigned milliseconds, bool untilFolderChange) {
    pollfd fds[2] = {{m_wake, POLLIN, 0},
                     {untilFolderChange && m_watch >= 0 ? m_inotify : -1, POLLIN, 0}};
    using Clock = std::chrono::steady_clock;
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        const int ready = poll(fds, 2, left > 0 ? static_cast<int>(left) : 0);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return Platform::PauseEnd::TimedOut;
        if (fds[0].revents != 0) {
            eventfd_t count = 0;
            eventfd_read(m_wake, &count);
            return Platform::PauseEnd::Woken;
        }
        // The changes stay queued until the next cycle's Watch.
        return Platform::PauseEnd::FolderChanged;
    }
}

void FolderWatch::Wake() {
    if (m_wake >= 0)
        eventfd_write(m_wake, 1);
}
