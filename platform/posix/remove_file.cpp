#include "platform/remove_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/write_permission.h"

bool RemoveWritableFile(const std::string& path) {
    struct stat info;
    if (lstat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode))
        return false;
    if (IsReadOnlyFile(info.st_mode))
        return false;
    return unlink(path.c_str()) == 0;
}
