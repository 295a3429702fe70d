// Temporary folders, files, times and attributes with the Win32 calls. Paths
// stay in the ANSI code page from end to end.
#include <windows.h>

#include <functional>
#include <stdexcept>
#include <vector>

#include "platform/lead_bytes.h"
#include "support.h"
#include "win32_files.h"

namespace test_support {

namespace {

void Check(bool ok, const std::string& what) {
    if (!ok)
        throw std::runtime_error(what + " failed, error " + std::to_string(GetLastError()));
}

// Wine lists a Unix link to a folder with the reparse-point attribute, but
// makes and removes none itself. Wine runs a Unix program as it runs a
// Windows one; its process handle does not tell when the program ends, so
// `done` does. False outside Wine.
bool RunUnixOnWine(const std::string& program, const std::string& options,
                   const std::vector<std::wstring>& paths, const std::function<bool()>& done) {
    using UnixName = char*(CDECL*)(const wchar_t*);
    const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
    if (!unixName)
        return false;
    std::string line = program + " " + options;
    for (const std::wstring& path : paths) {
        char* name = unixName(path.c_str());
        if (!name)
            return false;
        line += " \"" + std::string(name) + "\"";
        HeapFree(GetProcessHeap(), 0, name);
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    const std::string path = "Z:\\bin\\" + program;
    if (!CreateProcessA(path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started))
        return false;
    CloseHandle(started.hProcess);
    CloseHandle(started.hThread);
    return WaitFor(done);
}

} // namespace

TempFolder::TempFolder(const std::string& leaf) {
    char temp[MAX_PATH];
    Check(GetTempPathA(MAX_PATH, temp) != 0, "GetTempPathA");
    static unsigned counter = 0;
    m_top = std::string(temp) + "kovalin-win32-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(counter++);
    MakeFolder(m_top);
    m_path = m_top;
    if (!leaf.empty()) {
        m_path += kPathSeparator + leaf;
        MakeFolder(m_path);
    }
}

void MakeLargeFile(const std::string& path, std::uint64_t size) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    Check(file != INVALID_HANDLE_VALUE, "creating " + path);
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    const bool ok = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    Check(ok, "growing " + path);
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

namespace {

// By the wide calls, so that a name the code page cannot carry is removed
// too, and a look-alike ("..\u00a5x" listed as "..\\x") never reaches outside.
void RemoveTreeW(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    // Read-only entries cannot be deleted.
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileW(path.c_str());
        return;
    }
    // A link to a folder goes itself, never what it leads to (Wine's
    // RemoveDirectoryW would remove an empty folder it leads to).
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        const auto gone = [&] {
            return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
        };
        if (!RunUnixOnWine("rm", "-f --", {path}, gone))
            RemoveDirectoryW(path.c_str());
        return;
    }
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name != L"." && name != L"..")
                RemoveTreeW(path + L"\\" + name);
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(path.c_str());
}

} // namespace

void RemoveTree(const std::string& path) {
    RemoveTreeW(Wide(path));
}

std::vector<std::string> ListFolder(const std::string& path) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((path + kPathSeparator + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

std::string TestProgram() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length);
}

namespace {

FILETIME FileTimeOf(std::int64_t seconds, unsigned ticks) {
    const std::uint64_t value =
        static_cast<std::uint64_t>(seconds + 11644473600) * 10000000u + ticks;
    return {static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
}

} // namespace

void SetTimes(const std::string& path, std::int64_t seconds, unsigned ticks) {
    const FILETIME time = FileTimeOf(seconds, ticks);
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE | FILE_WRITE_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    Check(file != INVALID_HANDLE_VALUE, "opening " + path);
    const bool ok = SetFileTime(file, &time, nullptr, &time) != FALSE;
    CloseHandle(file);
    Check(ok, "setting the times of " + path);
}

void AddAttributes(const std::string& path, unsigned long attributes) {
    const DWORD old = GetFileAttributesA(path.c_str());
    Check(old != INVALID_FILE_ATTRIBUTES &&
              SetFileAttributesA(path.c_str(), (old & ~FILE_ATTRIBUTE_NORMAL) | attributes),
          "setting the attributes of " + path);
}

std::wstring Wide(const std::string& path) {
    const int length =
        MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), wide.data(), length);
    return wide;
}

void MakeFileW(const std::string& folder, const std::wstring& name, std::uint64_t size,
               std::int64_t seconds) {
    const HANDLE file = CreateFileW((Wide(folder) + L"\\" + name).c_str(), GENERIC_WRITE, 0,
                                    nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    Check(file != INVALID_HANDLE_VALUE, "creating a file in " + folder);
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    const FILETIME time = FileTimeOf(seconds, 0);
    const bool ok = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file) &&
                    SetFileTime(file, &time, nullptr, &time);
    CloseHandle(file);
    Check(ok, "sizing a file in " + folder);
}

void MakeFolderLink(const std::string& link, const std::string& target) {
    constexpr DWORD kAllowUnprivileged = 0x2; // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
    CreateSymbolicLinkA(link.c_str(), target.c_str(),
                        SYMBOLIC_LINK_FLAG_DIRECTORY | kAllowUnprivileged);
    Check(Exists(link) || RunUnixOnWine("ln", "-s --", {Wide(target), Wide(link)},
                                        [&] { return Exists(link); }),
          "making the link " + link);
}

std::string ShortName(const std::string& path) {
    char shortPath[MAX_PATH];
    const DWORD length = GetShortPathNameA(path.c_str(), shortPath, MAX_PATH);
    Check(length > 0 && length < MAX_PATH, "the short name of " + path);
    const std::string whole(shortPath, length);
    return whole.substr(FolderOf(whole, SystemLeadBytes()).size());
}

void MakeFolder(const std::string& path) {
    Check(CreateDirectoryA(path.c_str(), nullptr) != FALSE, "creating " + path);
}

} // namespace test_support
