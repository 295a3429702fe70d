#include "platform/folder_watch.h"

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

struct FolderWatch::Handles {
    int inotify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    int wake = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    int watch = -1;
};

FolderWatch::FolderWatch() : m_handles(std::make_unique<Handles>()) {}

FolderWatch::~FolderWatch() {
    if (m_handles->inotify >= 0)
        close(m_handles->inotify);
    if (m_handles->wake >= 0)
        close(m_handles->wake);
}

void FolderWatch::Watch(const std::string& folder) {
    Handles& h = *m_handles;
    if (h.inotify < 0)
        return;
    // Added again every cycle: the same folder keeps its watch, and a folder
    // made anew, or another one, gets one.
    const int watch = inotify_add_watch(h.inotify, folder.empty() ? "." : folder.c_str(), kEvents);
    if (h.watch >= 0 && h.watch != watch)
        inotify_rm_watch(h.inotify, h.watch);
    h.watch = watch;
    Drain(h.inotify);
}

Platform::PauseEnd FolderWatch::Wait(unsigned milliseconds, bool untilFolderChange) {
    const Handles& h = *m_handles;
    pollfd fds[2] = {{h.wake, POLLIN, 0},
                     {untilFolderChange && h.watch >= 0 ? h.inotify : -1, POLLIN, 0}};
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
            eventfd_read(h.wake, &count);
            return Platform::PauseEnd::Woken;
        }
        // The changes stay queued until the next cycle's Watch.
        return Platform::PauseEnd::FolderChanged;
    }
}

void FolderWatch::Wake() {
    if (m_handles->wake >= 0)
        eventfd_write(m_handles->wake, 1);
}
