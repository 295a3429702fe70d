// Temporary folders, files, times and attributes with the Win32 calls. Paths
// stay in the ANSI code page from end to end.
#include <windows.h>

#include <stdexcept>

#include "support.h"
#include "win32_files.h"

namespace test_support {

namespace {

void Check(bool ok, const std::string& what) {
    if (!ok)
        throw std::runtime_error(what + " failed, error " + std::to_string(GetLastError()));
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

void MakeSparseFile(const std::string& path, std::uint64_t size) {
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

void RemoveTree(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    // Read-only entries cannot be deleted.
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        for (const std::string& name : ListFolder(path))
            RemoveTree(path + kPathSeparator + name);
        RemoveDirectoryA(path.c_str());
    } else {
        DeleteFileA(path.c_str());
    }
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

void SetTimes(const std::string& path, std::int64_t seconds, unsigned ticks) {
    const std::uint64_t value =
        static_cast<std::uint64_t>(seconds + 11644473600) * 10000000u + ticks;
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(value);
    time.dwHighDateTime = static_cast<DWORD>(value >> 32);
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

void MakeFolder(const std::string& path) {
    Check(CreateDirectoryA(path.c_str(), nullptr) != FALSE, "creating " + path);
}

} // namespace test_support
