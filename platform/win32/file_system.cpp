#include "platform/the_file_system.h"

#include <windows.h>

#include <cerrno>
#include <cstdio>

#include "platform/lead_bytes.h"

namespace {

// The failure that an error of GetLastError() stands for.
WriteOutcome Failed(DWORD error) {
    WriteOutcome outcome;
    outcome.systemError = static_cast<int>(error);
    outcome.detail = "error " + std::to_string(error);
    switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        outcome.failure = WriteFailure::AccessDenied;
        break;
    case ERROR_WRITE_PROTECT:
        outcome.failure = WriteFailure::ReadOnly;
        break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        outcome.failure = WriteFailure::DiskFull;
        break;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_INVALID_NAME:
        outcome.failure = WriteFailure::NoFolder;
        break;
    default:
        outcome.failure = WriteFailure::Other;
        break;
    }
    return outcome;
}

// Success when the call succeeded, otherwise the failure of GetLastError().
WriteOutcome OutcomeOf(bool done) {
    return done ? WriteOutcome{} : Failed(GetLastError());
}

// Writes all bytes; 0 or the error.
DWORD WriteAll(HANDLE file, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(bytes.size() - done);
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr))
            return GetLastError();
        if (written == 0)
            return ERROR_DISK_FULL;
        done += written;
    }
    return 0;
}

class Win32FileSystem final : public FileSystem {
  public:
    Entry Inspect(const std::string& path) override {
        const DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return {};
        return {true, (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                (attributes & FILE_ATTRIBUTE_READONLY) != 0, 0};
    }

    bool Exists(const std::string& path) override {
        return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    // Windows programs honour the read-only attribute (Inspect); a file's
    // access list shows when it is replaced.
    WriteOutcome MayWrite(const std::string&) override { return {}; }

    // The settings live beside the executable, where no link is followed.
    std::string ResolveLinks(const std::string& path) override { return path; }

    // Through the C runtime, whose errno the failure lines word.
    Read ReadStart(const std::string& path, std::size_t maxBytes) override {
        Read read;
        errno = 0;
        std::FILE* file = std::fopen(path.c_str(), "rb");
        if (!file) {
            read.found = errno != ENOENT;
            read.error = errno;
            return read;
        }
        read.found = true;
        read.bytes.resize(maxBytes);
        read.bytes.resize(std::fread(read.bytes.data(), 1, maxBytes, file));
        if (std::ferror(file))
            read.error = errno != 0 ? errno : EIO;
        std::fclose(file);
        return read;
    }

    bool MakeFolder(const std::string& path) override {
        return CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
    }

    Written WriteWhole(const std::string& path, Open how, unsigned,
                       const std::string& bytes) override {
        const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                        how == Open::CreateNew ? CREATE_NEW : TRUNCATE_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return {false, Failed(GetLastError())};
        DWORD error = WriteAll(file, bytes);
        if (error == 0 && !FlushFileBuffers(file))
            error = GetLastError();
        if (!CloseHandle(file) && error == 0)
            error = GetLastError();
        return {true, error == 0 ? WriteOutcome{} : Failed(error)};
    }

    WriteOutcome Replace(const std::string& from, const std::string& to) override {
        return OutcomeOf(MoveFileExA(from.c_str(), to.c_str(),
                                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    }

    // The move was written through (MOVEFILE_WRITE_THROUGH): nothing is left to sync.
    void SyncFolder(const std::string&) override {}

    bool RemoveTemporaryFile(const std::string& path) override { return DeleteFileA(path.c_str()); }

    std::vector<std::string> ListFiles(const std::string& folder,
                                       const std::string& prefix) override {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found;
        const HANDLE search = FindFirstFileA((folder + prefix + "*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return names;
        do {
            // The pattern also matches short names: the long one must begin with the prefix.
            const std::string name = found.cFileName;
            if (!(found.dwFileAttributes &
                  (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) &&
                name.compare(0, prefix.size(), prefix) == 0)
                names.push_back(name);
        } while (FindNextFileA(search, &found));
        FindClose(search);
        return names;
    }

    std::uint64_t ProcessId() override { return GetCurrentProcessId(); }

    bool ProcessIsAlive(std::uint64_t processId) override {
        if (processId == 0 || processId > 0xFFFFFFFFu)
            return false;
        const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(processId));
        if (!process)
            return GetLastError() == ERROR_ACCESS_DENIED;
        const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
        CloseHandle(process);
        return running;
    }

    LeadByteTest LeadBytes() const override { return SystemLeadBytes(); }
};

} // namespace

FileSystem& TheFileSystem() {
    static FileSystem* const files = new Win32FileSystem;
    return *files;
}
