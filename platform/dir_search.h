// The directory search: the entries of a folder that match a mask.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "core/platform_port.h"

// Platform::FindEntries.
// - POSIX: readdir, and statx of each name that matches the mask: the birth
//   time, or the modification time where the file system keeps none; the
//   identity is the name; the blocks allocated, and device and inode of a
//   file with several names.
// - Windows: FindFirstFileW/FindNextFileW, the names in the ANSI code page,
//   marked unusable where it cannot carry them exactly or where they could
//   name another file (platform/windows_names.h); the identity is the UTF-16
//   name. The system also matches 8.3 short names ("*.flv" finds
//   "x.flvx"), hence the mask is matched again. A file marked sparse tells
//   its allocated size (GetCompressedFileSizeW); no other file does.
void FindDirEntries(const std::string& pattern, const std::function<void(const DirEntry&)>& visit);

// Platform::LookUpEntry: the one entry, described as FindDirEntries
// describes it.
// - POSIX: statx of the folder prefix joined to the name (the identity).
// - Windows: FindFirstFileW of the folder joined to the UTF-16 name (the
//   identity), kept only when the system finds an entry of exactly that
//   name, not one whose 8.3 short name it is.
std::optional<DirEntry> LookUpDirEntry(const std::string& folder, const std::string& identity);

// Platform::NamesAnotherEntry.
// - POSIX: no name aliases another: always false.
// - Windows: true when the system finds the name as the 8.3 short name of an
//   entry whose long name differs, beyond letter case as the system folds
//   it (CompareStringOrdinal).
bool NamesAnotherEntry(const std::string& path);
