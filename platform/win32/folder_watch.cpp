#include "platform/folder_watch.h"

#include <windows.h>

namespace {

// A file added, removed or renamed, its size or last write changed.
constexpr DWORD kChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                           FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;

} // namespace

struct FolderWatch::Handles {
    HANDLE change = INVALID_HANDLE_VALUE;
    HANDLE wake = CreateEventA(nullptr, FALSE, FALSE, nullptr); // auto-reset
};

FolderWatch::FolderWatch() : m_handles(std::make_unique<Handles>()) {}

FolderWatch::~FolderWatch() {
    if (m_handles->change != INVALID_HANDLE_VALUE)
        FindCloseChangeNotification(m_handles->change);
    if (m_handles->wake)
        CloseHandle(m_handles->wake);
}

FolderChanges FolderWatch::Watch(const std::string& folder) {
    Handles& h = *m_handles;
    // Made anew every cycle: that forgets what was seen, follows a folder
    // made again, and takes up a folder that could not be watched before.
    if (h.change != INVALID_HANDLE_VALUE)
        FindCloseChangeNotification(h.change);
    h.change = FindFirstChangeNotificationA(folder.empty() ? "." : folder.c_str(), FALSE, kChanges);
    return {};
}

Platform::PauseEnd FolderWatch::Wait(unsigned milliseconds, bool untilFolderChange) {
    const Handles& h = *m_handles;
    HANDLE handles[2];
    DWORD count = 0;
    if (h.wake)
        handles[count++] = h.wake;
    if (untilFolderChange && h.change != INVALID_HANDLE_VALUE)
        handles[count++] = h.change;
    if (count == 0) {
        Sleep(milliseconds);
        return Platform::PauseEnd::TimedOut;
    }
    const DWORD ended = WaitForMultipleObjects(count, handles, FALSE, milliseconds);
    if (ended >= WAIT_OBJECT_0 && ended < WAIT_OBJECT_0 + count)
        return handles[ended - WAIT_OBJECT_0] == h.wake ? Platform::PauseEnd::Woken
                                                        : Platform::PauseEnd::FolderChanged;
    if (ended == WAIT_FAILED)
        Sleep(milliseconds); // never a busy loop
    return Platform::PauseEnd::TimedOut;
}

void FolderWatch::Wake() {
    if (m_handles->wake)
        SetEvent(m_handles->wake);
}
