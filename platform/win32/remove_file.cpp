#include "platform/remove_file.h"

#include <windows.h>

bool RemoveWritableFile(const std::string& path) {
    return DeleteFileA(path.c_str()) != FALSE;
}
