#include "platform/write_probe.h"

#include <windows.h>

WriteState ProbeWriting(const std::string& path) {
    // FILE_FLAG_BACKUP_SEMANTICS lets a directory open too; nobody writes one.
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return WriteState::Closed;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION ? WriteState::Writing : WriteState::Unknown;
}
