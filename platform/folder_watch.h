#pragma once

#include <memory>
#include <string>

#include "core/platform_port.h"

// Platform::WatchFolder, Pause and WakePause. Watch and Wait belong to one
// thread; Wake may come from any.
// - POSIX (Linux): inotify, a watch whose events end a pause and another
//   that gathers the names of the entries changed, writes included. Names
//   are told where the file system is one of a local disk or of memory
//   (ext4, XFS, Btrfs, tmpfs ...), and no event was lost nor touched the
//   folder itself.
// - Windows: a change notification, which tells no names.
class FolderWatch {
  public:
    FolderWatch();
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // `folder` is a prefix: "" is the current folder.
    FolderChanges Watch(const std::string& folder);
    Platform::PauseEnd Wait(unsigned milliseconds, bool untilFolderChange);
    void Wake();

  private:
    struct Handles; // the system's own
    std::unique_ptr<Handles> m_handles;
};
