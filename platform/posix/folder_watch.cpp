#include "platform/folder_watch.h"

#include <linux/magic.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

// What ends a pause: a file added, removed, renamed in or out, closed after
// writing or with its attributes changed; the folder itself removed or
// renamed. Writes before the close are not followed: a recorder would wake
// the worker with every chunk.
constexpr std::uint32_t kPauseEvents = IN_CREATE | IN_DELETE | IN_MOVED_TO | IN_MOVED_FROM |
                                       IN_CLOSE_WRITE | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF |
                                       IN_ONLYDIR;
// What the names of changed entries are gathered from: the same and every
// write, on a queue of their own that no pause waits on.
constexpr std::uint32_t kNameEvents = kPauseEvents | IN_MODIFY;

// Whether every change of the folder's entries passes through this kernel,
// which then tells the watch of it: a file system of a local disk or of
// memory. A network or FUSE file system changes beneath it unseen.
bool KernelSeesEveryChange(const char* folder) {
    struct statfs info;
    if (statfs(folder, &info) != 0)
        return false;
    switch (static_cast<unsigned long>(info.f_type)) {
    case EXT4_SUPER_MAGIC: // ext2 and ext3 too
    case XFS_SUPER_MAGIC:
    case BTRFS_SUPER_MAGIC:
    case F2FS_SUPER_MAGIC:
    case TMPFS_MAGIC:
    case RAMFS_MAGIC:
    case MSDOS_SUPER_MAGIC:
    case EXFAT_SUPER_MAGIC:
    case NILFS_SUPER_MAGIC:
    case REISERFS_SUPER_MAGIC:
    case OVERLAYFS_SUPER_MAGIC:
        return true;
    default:
        return false;
    }
}

// Hands each event queued on `fd` to `take`, until a read finds the queue
// empty: a read returns every whole event that fits, so one that leaves room
// for the largest event took them all.
template <class Take> void ReadEvents(int fd, Take take) {
    alignas(inotify_event) char buffer[4096];
    constexpr std::size_t kLargestEvent = sizeof(inotify_event) + NAME_MAX + 1;
    for (;;) {
        const ssize_t length = fd >= 0 ? read(fd, buffer, sizeof buffer) : -1;
        for (ssize_t at = 0; at < length;) {
            inotify_event event;
            std::memcpy(&event, buffer + at, sizeof event);
            const char* const name = buffer + at + sizeof event;
            take(event, std::string(name, strnlen(name, event.len)));
            at += static_cast<ssize_t>(sizeof event + event.len);
        }
        if (length <= 0 || sizeof buffer - static_cast<std::size_t>(length) >= kLargestEvent)
            return;
    }
}

void Drain(int fd) {
    ReadEvents(fd, [](const inotify_event&, const std::string&) {});
}

} // namespace

struct FolderWatch::Handles {
    int inotify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC); // the pauses wait on it
    int names = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    int wake = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    int watch = -1;
    int namesWatch = -1;
    std::string namesFolder;          // the folder that namesWatch was set on
    bool namesTellEverything = false; // its file system tells every change

    // The changes queued on `names` since the last call, by name where the
    // queue holds every one of them.
    FolderChanges TakeNames(const std::string& folder, int namesWatchNow);
};

FolderWatch::FolderWatch() : m_handles(std::make_unique<Handles>()) {}

FolderWatch::~FolderWatch() {
    for (const int fd : {m_handles->inotify, m_handles->names, m_handles->wake}) {
        if (fd >= 0)
            close(fd);
    }
}

FolderChanges FolderWatch::Watch(const std::string& folder) {
    Handles& h = *m_handles;
    const char* path = folder.empty() ? "." : folder.c_str();
    // Added again every cycle: the same folder keeps its watch, and a folder
    // made anew, or another one, gets one.
    if (h.inotify >= 0) {
        const int watch = inotify_add_watch(h.inotify, path, kPauseEvents);
        if (h.watch >= 0 && h.watch != watch)
            inotify_rm_watch(h.inotify, h.watch);
        h.watch = watch;
        Drain(h.inotify);
    }
    if (h.names < 0)
        return {};
    const int namesWatch = inotify_add_watch(h.names, path, kNameEvents);
    if (namesWatch >= 0 && (namesWatch != h.namesWatch || folder != h.namesFolder))
        h.namesTellEverything = KernelSeesEveryChange(path);
    return h.TakeNames(folder, namesWatch);
}

FolderChanges FolderWatch::Handles::TakeNames(const std::string& folder, int namesWatchNow) {
    // Only a watch that has run on this folder since the last call saw every
    // change since.
    FolderChanges changes;
    changes.named = namesWatchNow >= 0 && namesWatchNow == namesWatch && folder == namesFolder &&
                    namesTellEverything;
    if (namesWatch >= 0 && namesWatch != namesWatchNow)
        inotify_rm_watch(names, namesWatch);
    namesWatch = namesWatchNow;
    namesFolder = folder;
    // Each name once, in the order of its first change; whether its last
    // change took it out of the folder.
    std::vector<std::string> told;
    std::unordered_map<std::string, bool> leftLast;
    ReadEvents(names, [&](const inotify_event& event, const std::string& name) {
        // Events lost to a full queue, or a change of the folder itself (its
        // mode, a move, its removal): no name tells what it did.
        if ((event.mask & IN_Q_OVERFLOW) != 0)
            changes.named = false;
        else if (event.wd != namesWatchNow)
            return; // of a folder watched before
        else if (name.empty())
            changes.named = false;
        else if (leftLast.insert_or_assign(name, (event.mask & (IN_DELETE | IN_MOVED_FROM)) != 0)
                     .second)
            told.push_back(name);
    });
    if (!changes.named)
        return changes;
    for (std::string& name : told)
        (leftLast[name] ? changes.gone : changes.changed).push_back(std::move(name));
    return changes;
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
