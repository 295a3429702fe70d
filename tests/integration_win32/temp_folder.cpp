#include "temp_folder.h"

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/executable_dir.h"

namespace win32_testing {

namespace {

void Check(bool ok, const std::string& what) {
    if (!ok)
        throw std::runtime_error(what + " failed, error " + std::to_string(GetLastError()));
}

// Deletes a folder and everything in it, read-only files included.
void RemoveTree(const std::string& prefix) {
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((prefix + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string path = prefix + name;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path + "\\");
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(prefix.c_str());
}

HANDLE OpenForAttributes(const std::string& path) {
    const HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE | FILE_WRITE_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    Check(handle != INVALID_HANDLE_VALUE, "opening " + path);
    return handle;
}

} // namespace

TempFolder::TempFolder(const std::string& leaf) {
    char temp[MAX_PATH];
    Check(GetTempPathA(MAX_PATH, temp) != 0, "GetTempPathA");
    static unsigned counter = 0;
    m_top = std::string(temp) + "kovalin-win32-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(counter++) + "\\";
    Check(CreateDirectoryA(m_top.c_str(), nullptr) != FALSE, "creating " + m_top);
    m_prefix = m_top;
    if (!leaf.empty()) {
        m_prefix += leaf + "\\";
        Check(CreateDirectoryA(m_prefix.c_str(), nullptr) != FALSE, "creating " + m_prefix);
    }
}

TempFolder::~TempFolder() {
    RemoveTree(m_top);
}

void TempFolder::Write(const std::string& name, const std::string& bytes) const {
    std::ofstream out(m_prefix + name, std::ios::binary);
    out << bytes;
    Check(static_cast<bool>(out), "writing " + name);
}

void TempFolder::Grow(const std::string& name, std::uint64_t size) const {
    const HANDLE file = OpenForAttributes(m_prefix + name);
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    const bool ok = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    Check(ok, "growing " + name);
}

void TempFolder::MakeFolder(const std::string& name) const {
    Check(CreateDirectoryA((m_prefix + name).c_str(), nullptr) != FALSE, "creating " + name);
}

void TempFolder::SetTimes(const std::string& name, std::int64_t seconds, unsigned ticks) const {
    const std::uint64_t value =
        static_cast<std::uint64_t>(seconds + 11644473600) * 10000000u + ticks;
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(value);
    time.dwHighDateTime = static_cast<DWORD>(value >> 32);
    const HANDLE file = OpenForAttributes(m_prefix + name);
    const bool ok = SetFileTime(file, &time, nullptr, &time) != FALSE;
    CloseHandle(file);
    Check(ok, "setting the times of " + name);
}

void TempFolder::AddAttributes(const std::string& name, unsigned long attributes) const {
    const std::string path = m_prefix + name;
    const DWORD old = GetFileAttributesA(path.c_str());
    Check(old != INVALID_FILE_ATTRIBUTES &&
              SetFileAttributesA(path.c_str(), (old & ~FILE_ATTRIBUTE_NORMAL) | attributes),
          "setting the attributes of " + name);
}

bool TempFolder::Exists(const std::string& name) const {
    return GetFileAttributesA((m_prefix + name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string TempFolder::Read(const std::string& name) const {
    std::ifstream in(m_prefix + name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string TestProgram() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length);
}

int RunHelper(int argc, char** argv) {
    if (argc < 3)
        return -1;
    const std::string mode = argv[1];
    if (mode == "--converter") {
        Sleep(300); // so that a start that is not waited for is seen as one
        STARTUPINFOA startup{};
        GetStartupInfoA(&startup);
        std::ofstream log(argv[2], std::ios::binary | std::ios::app);
        log << ((startup.dwFlags & STARTF_USESHOWWINDOW) ? "show=" : "noshow=")
            << startup.wShowWindow;
        for (int i = 3; i < argc; ++i)
            log << ' ' << argv[i];
        log << '\n';
        return 0;
    }
    if (mode == "--hold-open") {
        // A recorder: holds the file open for writing, sharing read and
        // write, until FILE.release appears.
        const std::string file = argv[2];
        const HANDLE held =
            CreateFileA(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (held == INVALID_HANDLE_VALUE)
            return 1;
        std::ofstream(file + ".held");
        for (int i = 0;
             i < 6000 && GetFileAttributesA((file + ".release").c_str()) == INVALID_FILE_ATTRIBUTES;
             ++i)
            Sleep(10);
        CloseHandle(held);
        return 0;
    }
    if (mode == "--print-exe-dir") {
        std::ofstream(argv[2], std::ios::binary) << ExecutableDirectory();
        return 0;
    }
    return -1;
}

} // namespace win32_testing
