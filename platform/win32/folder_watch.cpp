#include "platform/win32/folder_watch.h"

#include <windows.h>

namespace {

// A file added, removed or renamed, its size or last write changed.
constexpr DWORD kChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                           FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;

} // namespace

FolderWatch::FolderWatch()
    : m_change(INVALID_HANDLE_VALUE), m_wake(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}

FolderWatch::~FolderWatch() {
    if (m_change != INVALID_HANDLE_VALUE)
        FindCloseChangeNotification(m_change);
    if (m_wake)
        CloseHandle(m_wake);
}

void FolderWatch::Watch(const std::string& folder) {
    // Made anew every cycle: that forgets what was seen, follows a folder
    // made again, and takes up a folder that could not be watched before.
    if (m_change != INVALID_HANDLE_VALUE)
        FindCloseChangeNotification(m_change);
    m_change = FindFirstChangeNotificationA(folder.empty() ? "." : folder.c_str(), FALSE, kChanges);
}

Platform::PauseEnd FolderWatch::Wait(unsigned milliseconds, bool untilFolderChange) {
    HANDLE handles[2];
    DWORD count = 0;
    if (m_wake)
        handles[count++] = m_wake;
    if (untilFolderChange && m_change != INVALID_HANDLE_VALUE)
        handles[count++] = m_change;
    if (count == 0) {
        Sleep(milliseconds);
        return Platform::PauseEnd::TimedOut;
    }
    const DWORD ended = WaitForMultipleObjects(count, handles, FALSE, milliseconds);
    if (ended >= WAIT_OBJECT_0 && ended < WAIT_OBJECT_0 + count)
        return handles[ended - WAIT_OBJECT_0] == m_wake ? Platform::PauseEnd::Woken
                                                        : Platform::PauseEnd::FolderChanged;
    if (ended == WAIT_FAILED)
        Sleep(milliseconds); // never a busy loop
    return Platform::PauseEnd::TimedOut;
}

void FolderWatch::Wake() {
    if (m_wake)
        SetEvent(m_wake);
}
