#include "settings/crash_safe_save.h"

#include <cstdint>

#include "core/file_name.h"
#include "settings/folders.h"
#include "settings/temporary_file_name.h"

namespace {

// The permissions of a file made where there was none, before the umask.
constexpr unsigned kNewFilePermissions = 0666;

WriteOutcome Refused(WriteFailure failure, const char* detail) {
    return {failure, 0, detail};
}

// Why the file at `target` must not be replaced; success when it may.
WriteOutcome RefusalOf(FileSystem& files, const std::string& target, const FileSystem::Entry& old) {
    if (!old.exists)
        return {};
    if (old.isFolder)
        return Refused(WriteFailure::IsFolder, "a folder stands in its place");
    // A file that no one may write has been pinned (chmod a-w, the read-only
    // attribute): it is left alone, for an administrator too.
    if (old.readOnly)
        return Refused(WriteFailure::ReadOnly, "the file is read-only");
    return files.MayWrite(target);
}

// Removes the temporary files that saves killed before their move left
// beside `target`: names of exactly that pattern, of processes that are gone.
void RemoveLeftovers(FileSystem& files, const std::string& target) {
    const std::string folder = FolderOf(target, files.LeadBytes());
    const std::string fileName = target.substr(folder.size());
    const std::uint64_t self = files.ProcessId();
    for (const std::string& name :
         files.ListFiles(folder, fileName + std::string(kTemporaryMark))) {
        std::uint64_t owner = 0;
        if (IsTemporaryFileOf(name, fileName, owner) && owner != self &&
            !files.ProcessIsAlive(owner))
            files.RemoveTemporaryFile(folder + name);
    }
}

} // namespace

WriteOutcome SaveCrashSafe(FileSystem& files, const std::string& path, const std::string& bytes) {
    // A link to the file is kept: the file it leads to is replaced.
    const std::string target = files.ResolveLinks(path);
    const FileSystem::Entry old = files.Inspect(target);
    if (WriteOutcome refusal = RefusalOf(files, target, old); !refusal)
        return refusal;

    const std::string temporary = TemporaryFileName(target, files.ProcessId());
    const unsigned permissions = old.exists ? old.permissions : kNewFilePermissions;
    const FileSystem::Written written =
        files.WriteWhole(temporary, FileSystem::Open::CreateNew, permissions, bytes);
    if (!written.opened) {
        if (written.outcome.failure != WriteFailure::AccessDenied || !old.exists)
            return written.outcome;
        // The folder refuses new files: the file itself is rewritten.
        return files.WriteWhole(target, FileSystem::Open::Truncate, 0, bytes).outcome;
    }
    WriteOutcome outcome = written.outcome;
    if (outcome)
        outcome = files.Replace(temporary, target);
    if (!outcome) {
        files.RemoveTemporaryFile(temporary);
        return outcome;
    }
    files.SyncFolder(FolderOf(target, files.LeadBytes()));
    RemoveLeftovers(files, target);
    return {};
}
