#include "settings/folders.h"

#include <algorithm>

std::string FolderOf(const std::string& path, LeadByteTest isLeadByte) {
    const std::size_t slash = FindLastChar(path, '/', isLeadByte);
    const std::size_t own = FindLastChar(path, kPathSeparator, isLeadByte);
    const std::size_t last = slash == std::string::npos ? own
                             : own == std::string::npos ? slash
                                                        : std::max(slash, own);
    return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

bool MakeFolderOf(FileSystem& files, const std::string& path) {
    const std::string folder = FolderOf(path, files.LeadBytes());
    if (folder.size() <= 1)
        return true; // the current folder, or the root
    const std::string bare = folder.substr(0, folder.size() - 1);
    const FileSystem::Entry existing = files.Inspect(bare);
    if (existing.exists)
        return existing.isFolder;
    return MakeFolderOf(files, bare) && files.MakeFolder(bare);
}
