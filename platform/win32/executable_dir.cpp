#include "platform/executable_dir.h"

#include <windows.h>

std::string ExecutablePath() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {}; // failed, or cut short
    return std::string(path, length);
}
