#include "platform/dir_search.h"

#include <windows.h>

#include <cstring>
#include <memory>
#include <optional>
#include <string_view>

#include "core/file_name.h"
#include "platform/lead_bytes.h"
#include "platform/windows_names.h"

namespace {

constexpr std::uint64_t kTicksPerSecond = 10000000; // FILETIME counts 100 ns since 1601
constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;

// Seconds since 1970 of a FILETIME (100 ns since 1601), fractions dropped.
std::int64_t FileTimeToSeconds(std::uint32_t low, std::uint32_t high) {
    const std::uint64_t ticks = (static_cast<std::uint64_t>(high) << 32) | low;
    return static_cast<std::int64_t>(ticks / kTicksPerSecond) - kSecondsFrom1601To1970;
}

struct SearchCloser {
    void operator()(HANDLE search) const { FindClose(search); }
};

bool IsDotEntry(const wchar_t* name) {
    return (name[0] == L'.' && name[1] == L'\0') ||
           (name[0] == L'.' && name[1] == L'.' && name[2] == L'\0');
}

// The ANSI text in UTF-16; empty when it is not valid in the code page.
std::wstring Widen(const std::string& text) {
    const int length = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(),
                                           static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0)
        return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                        wide.data(), length);
    return wide;
}

// The name in the ANSI code page, never through a look-alike ("best fit"
// would turn U+00A5 YEN SIGN into the byte of "\\"): a character the code
// page lacks becomes "?". `exact` tells whether the bytes name this very
// entry, checked by converting them back.
std::string Narrow(const std::wstring& name, bool& exact) {
    // A UTF-8 ANSI code page takes no best-fit flag and no default character.
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* const defaulted = utf8 ? nullptr : &usedDefault;
    const int size = static_cast<int>(name.size());
    const int length =
        WideCharToMultiByte(CP_ACP, flags, name.data(), size, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length > 0)
        WideCharToMultiByte(CP_ACP, flags, name.data(), size, narrow.data(), length, nullptr,
                            defaulted);
    exact = length > 0 && !usedDefault && Widen(narrow) == name;
    return narrow;
}

// The bytes set aside on disk for a file marked sparse, which may be far
// fewer than its size; unknown (the largest value) for any other file or
// where the system does not tell.
std::uint64_t AllocatedSize(const std::wstring& folder, const WIN32_FIND_DATAW& found) {
    constexpr std::uint64_t kUnknown = ~std::uint64_t{0};
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_SPARSE_FILE) == 0)
        return kUnknown;
    DWORD high = 0;
    SetLastError(NO_ERROR);
    const DWORD low = GetCompressedFileSizeW((folder + found.cFileName).c_str(), &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
        return kUnknown;
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

DirEntry Describe(const std::wstring& folder, const WIN32_FIND_DATAW& found) {
    DirEntry entry;
    bool exact = false;
    const std::wstring_view wide = found.cFileName;
    entry.name = Narrow(found.cFileName, exact);
    entry.identity.assign(reinterpret_cast<const char*>(wide.data()),
                          wide.size() * sizeof(wchar_t));
    // The device rule is read in UTF-16 too, where it is exact in every
    // code page.
    entry.usableName =
        exact && IsUsableWindowsName(entry.name, SystemLeadBytes()) && !IsWindowsDeviceName(wide);
    entry.creationTime =
        FileTimeToSeconds(found.ftCreationTime.dwLowDateTime, found.ftCreationTime.dwHighDateTime);
    entry.modificationTime = FileTimeToSeconds(found.ftLastWriteTime.dwLowDateTime,
                                               found.ftLastWriteTime.dwHighDateTime);
    entry.isDirectory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    // DeleteFileA refuses a read-only file.
    entry.readOnly = !entry.isDirectory && (found.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    entry.isLink = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    entry.size = entry.isDirectory
                     ? 0
                     : (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    entry.allocated = AllocatedSize(folder, found);
    return entry;
}

} // namespace

void FindDirEntries(const std::string& pattern, const std::function<void(const DirEntry&)>& visit) {
    const std::wstring widePattern = Widen(pattern);
    if (widePattern.empty())
        return;
    const std::string folder = FolderOf(pattern, SystemLeadBytes());
    const std::string mask = pattern.substr(folder.size());
    const std::wstring wideFolder = Widen(folder);
    // The wide calls give every name whole, whatever its length in the code
    // page, so no entry can end the listing early.
    WIN32_FIND_DATAW found;
    const HANDLE first = FindFirstFileW(widePattern.c_str(), &found);
    if (first == INVALID_HANDLE_VALUE)
        return;
    const std::unique_ptr<void, SearchCloser> search(first);
    do {
        if (IsDotEntry(found.cFileName))
            continue;
        const DirEntry entry = Describe(wideFolder, found);
        if (MatchesMask(entry.name, mask))
            visit(entry);
    } while (FindNextFileW(search.get(), &found));
}

std::optional<DirEntry> LookUpDirEntry(const std::string& folder, const std::string& identity) {
    std::wstring name(identity.size() / sizeof(wchar_t), L'\0');
    std::memcpy(name.data(), identity.data(), name.size() * sizeof(wchar_t));
    const std::wstring wideFolder = Widen(folder);
    // A name of the folder itself, never a path, a pattern or a stream.
    if (name.empty() || IsDotEntry(name.c_str()) || (wideFolder.empty() && !folder.empty()) ||
        name.find_first_of(L"\\/:*?") != std::wstring::npos)
        return std::nullopt;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((wideFolder + name).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return std::nullopt;
    FindClose(search);
    if (name != found.cFileName)
        return std::nullopt;
    return Describe(wideFolder, found);
}

bool NamesAnotherEntry(const std::string& path) {
    const std::wstring wide = Widen(path);
    WIN32_FIND_DATAW found;
    const HANDLE first = wide.empty() ? INVALID_HANDLE_VALUE : FindFirstFileW(wide.c_str(), &found);
    if (first == INVALID_HANDLE_VALUE)
        return false;
    FindClose(first);
    const std::wstring_view name = std::wstring_view(wide).substr(wide.find_last_of(L"\\/") + 1);
    return CompareStringOrdinal(name.data(), static_cast<int>(name.size()), found.cFileName, -1,
                                TRUE) != CSTR_EQUAL;
}
