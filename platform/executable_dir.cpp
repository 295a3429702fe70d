#include "platform/executable_dir.h"

#include "core/file_name.h"
#include "platform/lead_bytes.h"

std::string ExecutableDirectory() {
    return FolderOf(ExecutablePath(), SystemLeadBytes());
}

std::string ExecutableTitle() {
    const std::string path = ExecutablePath();
    return FileTitle(path.substr(FolderOf(path, SystemLeadBytes()).size()), SystemLeadBytes());
}
