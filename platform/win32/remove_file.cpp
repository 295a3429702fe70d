#include "platform/remove_file.h"

#include <windows.h>

// DeleteFileA refuses folders, read-only files and files in use.
bool RemoveWritableFile(const std::string& path) {
    return DeleteFileA(path.c_str()) != FALSE;
}
