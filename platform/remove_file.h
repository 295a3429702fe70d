// The quota pass's deletion.
#pragma once

#include <string>

// Platform::RemoveWritableFile.
// - POSIX: lstat, then unlink, unless it is a folder or a regular file that
//   nobody may write (no write permission bit).
// - Windows: DeleteFileA, which refuses folders, files with the read-only
//   attribute and files in use.
bool RemoveWritableFile(const std::string& path);
