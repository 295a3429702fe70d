#include "settings/folders.h"

#include "core/file_name.h"

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
