#include "platform/dir_search.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>
#include <limits>
#include <memory>
#include <optional>

#include "core/file_name.h"
#include "platform/posix/write_permission.h"

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

// The entry `path` (relative to `dirFd`) under the name `name`; false when
// it vanished between the listing and this look.
bool Describe(int dirFd, const char* path, const char* name, DirEntry& entry) {
    struct statx info;
    if (statx(dirFd, path, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
              STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_BTIME | STATX_MTIME | STATX_BLOCKS |
                  STATX_NLINK | STATX_INO,
              &info) != 0)
        return false;
    const bool hasBirth = (info.stx_mask & STATX_BTIME) != 0;
    entry.name = name;
    entry.identity = entry.name;
    entry.creationTime = hasBirth ? info.stx_btime.tv_sec : info.stx_mtime.tv_sec;
    entry.modificationTime = info.stx_mtime.tv_sec;
    entry.isDirectory = S_ISDIR(info.stx_mode);
    entry.size = entry.isDirectory ? 0 : info.stx_size;
    entry.readOnly = IsReadOnlyFile(info.stx_mode);
    entry.isLink = S_ISLNK(info.stx_mode);
    // A sparse file takes only its blocks; a file with several names is
    // told by its device and inode.
    entry.allocated = (info.stx_mask & STATX_BLOCKS) != 0
                          ? info.stx_blocks * 512
                          : std::numeric_limits<std::uint64_t>::max();
    entry.fileId.clear();
    if ((info.stx_mask & STATX_INO) != 0 && info.stx_nlink > 1 && !entry.isDirectory)
        entry.fileId = std::to_string(info.stx_dev_major) + ":" +
                       std::to_string(info.stx_dev_minor) + ":" + std::to_string(info.stx_ino);
    return true;
}

} // namespace

void FindDirEntries(const std::string& pattern, const std::function<void(const DirEntry&)>& visit) {
    const std::string prefix = FolderOf(pattern, nullptr);
    const std::string folder = prefix.empty() ? "." : prefix;
    const std::string mask = pattern.substr(prefix.size());

    const std::unique_ptr<DIR, DirCloser> dir(opendir(folder.c_str()));
    if (!dir)
        return;
    DirEntry entry;
    while (const dirent* item = readdir(dir.get())) {
        if (std::strcmp(item->d_name, ".") == 0 || std::strcmp(item->d_name, "..") == 0)
            continue;
        if (!MatchesMask(item->d_name, mask))
            continue;
        if (Describe(dirfd(dir.get()), item->d_name, item->d_name, entry))
            visit(entry);
    }
}

std::optional<DirEntry> LookUpDirEntry(const std::string& folder, const std::string& identity) {
    // A name of the folder itself, never a path through it.
    if (identity.empty() || identity == "." || identity == ".." ||
        identity.find('/') != std::string::npos)
        return std::nullopt;
    DirEntry entry;
    if (!Describe(AT_FDCWD, (folder + identity).c_str(), identity.c_str(), entry))
        return std::nullopt;
    return entry;
}

bool NamesAnotherEntry(const std::string& path) {
    static_cast<void>(path);
    return false;
}
