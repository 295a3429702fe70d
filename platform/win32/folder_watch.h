#pragma once

#include <string>

#include "core/platform.h"

// Tells when a folder changes, through a change notification; an event lets
// another thread end a wait. Where either cannot be had, a wait only times
// out or is woken. Watch and Wait belong to one thread; Wake may come from
// any.
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
    void* m_change; // a change notification handle, or INVALID_HANDLE_VALUE
    void* m_wake;   // an auto-reset event, or null
};
