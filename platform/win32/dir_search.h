#pragma once

#include <functional>
#include <string>

#include "core/platform.h"

// Lists the entries of a folder prefix + mask pattern (see
// Platform::FindEntries) with FindFirstFileW/FindNextFileW: names in the ANSI
// code page, marked unusable where it cannot carry them exactly or where they
// could name another file (platform/windows_names.h); creation times in whole
// seconds on the clock of time(), whole 64-bit sizes. Only names that match
// the mask themselves are kept: the system also matches 8.3 short names, so
// "*.flv" would find "x.flvx".
void FindDirEntries(const std::string& pattern, const std::function<void(const DirEntry&)>& visit);

// Seconds since 1970 of a FILETIME (100 ns since 1601), fractions dropped.
std::int64_t FileTimeToSeconds(std::uint32_t low, std::uint32_t high);
