#include "floor_scan.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>

#include <cstring>

namespace {

bool EndsWithAny(const char* name, std::initializer_list<const char*> extensions) {
    const std::size_t length = std::strlen(name);
    for (const char* extension : extensions) {
        const std::size_t size = std::strlen(extension);
        if (length >= size && strcasecmp(name + length - size, extension) == 0)
            return true;
    }
    return false;
}

} // namespace

FloorResult FloorScan(const std::string& folder, std::initializer_list<const char*> extensions) {
    FloorResult result;
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return result;
    while (const dirent* item = readdir(dir)) {
        if (!EndsWithAny(item->d_name, extensions))
            continue;
        struct statx info;
        if (statx(dirfd(dir), item->d_name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
                  STATX_TYPE | STATX_SIZE | STATX_BTIME | STATX_MTIME, &info) != 0)
            continue;
        ++result.matches;
        if (info.stx_btime.tv_sec < result.oldest)
            result.oldest = info.stx_btime.tv_sec;
        result.totalBytes += static_cast<double>(info.stx_size);
    }
    closedir(dir);
    return result;
}
