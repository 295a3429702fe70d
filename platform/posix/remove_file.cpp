#include "platform/remove_file.h"

#include <sys/stat.h>
#include <unistd.h>

bool RemoveWritableFile(const std::string& path) {
    struct stat info;
    if (lstat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode))
        return false;
    // A file that nobody may write is kept, as a read-only file is on
    // Windows.
    if (S_ISREG(info.st_mode) && (info.st_mode & 0222) == 0)
        return false;
    return unlink(path.c_str()) == 0;
}
