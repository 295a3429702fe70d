#pragma once

#include <memory>
#include <string>

#include "core/platform_port.h"

// Tells when a folder changes: inotify on Linux, a change notification on
// Windows; another thread may end a wait. Where the system gives neither, a
// wait only times out or is woken. Watch and Wait belong to one thread; Wake
// may come from any.
class FolderWatch {
  public:
    FolderWatch();
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // Watches `folder` ("" is the current folder) and forgets the changes
    // seen so far.
    void Watch(const std::string& folder);
    Platform::PauseEnd Wait(unsigned milliseconds, bool untilFolderChange);
    void Wake();

  private:
    struct Handles; // the system's own
    std::unique_ptr<Handles> m_handles;
};
