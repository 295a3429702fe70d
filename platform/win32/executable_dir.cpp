#include "platform/executable_dir.h"

#include <windows.h>

#include "core/file_name.h"
#include "platform/win32/lead_bytes.h"

std::string ExecutableDirectory() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {}; // failed, or cut short
    const std::string exe(path, length);
    // The second byte of a double-byte character is never taken for the "\\".
    const std::size_t backslash = FindLastChar(exe, '\\', IsAnsiLeadByte);
    return backslash == std::string::npos ? std::string() : exe.substr(0, backslash + 1);
}
