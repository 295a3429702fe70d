// The quota pass's deletion.
#pragma once

#include <string>

// Deletes one file that may be written (Platform::RemoveWritableFile): never
// a folder, never a read-only file (the read-only attribute on Windows, no
// write permission for anyone on POSIX), nor a file in use where the system
// keeps it. A link is deleted itself, never what it leads to. False when
// nothing was deleted.
bool RemoveWritableFile(const std::string& path);
