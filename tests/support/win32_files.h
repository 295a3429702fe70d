// Win32 only: file times, attributes and folders. Paths are in the ANSI code
// page.
#pragma once

#include <cstdint>
#include <string>

namespace test_support {

// Sets creation and last-write time (Wine reports the last-write time as the
// creation time). Seconds since 1970 plus 100 ns ticks.
void SetTimes(const std::string& path, std::int64_t seconds, unsigned ticks = 0);
void AddAttributes(const std::string& path, unsigned long attributes);
void MakeFolder(const std::string& path);
// The path in UTF-16, from the ANSI code page.
std::wstring Wide(const std::string& path);
// Makes the file NAME of `size` bytes in the folder, with a UTF-16 name that
// the ANSI code page may lack, created and last written at `seconds`.
void MakeFileW(const std::string& folder, const std::wstring& name, std::uint64_t size,
               std::int64_t seconds);
// Makes `link` a symbolic link to the folder `target`, an entry with the
// reparse-point attribute. Wine's CreateSymbolicLinkW makes nothing; there
// the link is made as a Unix one, which Wine lists with that attribute too.
void MakeFolderLink(const std::string& link, const std::string& target);
// The 8.3 short name that the system gives the entry at `path`.
std::string ShortName(const std::string& path);

} // namespace test_support
