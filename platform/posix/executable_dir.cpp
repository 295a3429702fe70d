#include "platform/executable_dir.h"

#include <unistd.h>

#include <climits>

std::string ExecutablePath() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof path)
        return {};
    return std::string(path, static_cast<std::size_t>(length));
}
