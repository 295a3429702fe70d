#include "platform/win32/dir_search.h"

#include <windows.h>

#include <cstring>
#include <memory>

#include "core/file_name.h"
#include "platform/win32/lead_bytes.h"

namespace {

constexpr std::uint64_t kTicksPerSecond = 10000000; // FILETIME counts 100 ns since 1601
constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;

// The mask is what follows the last "\\" or "/" of the pattern, found as
// multibyte text.
std::string MaskOf(const std::string& pattern) {
    const std::size_t backslash = FindLastChar(pattern, '\\', IsAnsiLeadByte);
    const std::size_t slash = FindLastChar(pattern, '/', IsAnsiLeadByte);
    std::size_t cut = std::string::npos;
    if (backslash != std::string::npos)
        cut = backslash;
    if (slash != std::string::npos && (cut == std::string::npos || slash > cut))
        cut = slash;
    return cut == std::string::npos ? pattern : pattern.substr(cut + 1);
}

struct SearchCloser {
    void operator()(HANDLE search) const { FindClose(search); }
};

bool IsDotEntry(const char* name) {
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

DirEntry Describe(const WIN32_FIND_DATAA& found) {
    DirEntry entry;
    entry.name = found.cFileName;
    entry.creationTime =
        FileTimeToSeconds(found.ftCreationTime.dwLowDateTime, found.ftCreationTime.dwHighDateTime);
    entry.modificationTime = FileTimeToSeconds(found.ftLastWriteTime.dwLowDateTime,
                                               found.ftLastWriteTime.dwHighDateTime);
    entry.isDirectory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.size = entry.isDirectory
                     ? 0
                     : (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    return entry;
}

} // namespace

std::int64_t FileTimeToSeconds(std::uint32_t low, std::uint32_t high) {
    const std::uint64_t ticks = (static_cast<std::uint64_t>(high) << 32) | low;
    return static_cast<std::int64_t>(ticks / kTicksPerSecond) - kSecondsFrom1601To1970;
}

void FindDirEntries(const std::string& pattern, const std::function<void(const DirEntry&)>& visit) {
    const std::string mask = MaskOf(pattern);
    WIN32_FIND_DATAA found;
    const HANDLE first = FindFirstFileA(pattern.c_str(), &found);
    if (first == INVALID_HANDLE_VALUE)
        return;
    const std::unique_ptr<void, SearchCloser> search(first);
    do {
        if (!IsDotEntry(found.cFileName) && MatchesMask(found.cFileName, mask))
            visit(Describe(found));
    } while (FindNextFileA(search.get(), &found));
}
