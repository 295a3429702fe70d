#include "platform/atomic_file.h"

#include <windows.h>

#include <atomic>
#include <string>

#include "core/file_name.h"
#include "platform/win32/lead_bytes.h"

namespace {

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

// Opens the file with `disposition`, writes the bytes, flushes and closes it.
// `opened` tells whether the file could be opened at all.
DWORD WriteFileWhole(const std::string& path, DWORD disposition, const std::string& bytes,
                     bool& opened) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, disposition,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    opened = file != INVALID_HANDLE_VALUE;
    if (!opened)
        return GetLastError();
    DWORD error = WriteAll(file, bytes);
    if (error == 0 && !FlushFileBuffers(file))
        error = GetLastError();
    if (!CloseHandle(file) && error == 0)
        error = GetLastError();
    return error;
}

std::string TemporaryName(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    return path + ".new-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++);
}

// A process that may still be writing its temporary file.
bool ProcessIsAlive(std::uint64_t pid) {
    if (pid == 0 || pid > 0xFFFFFFFFu)
        return false;
    const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    if (!process)
        return GetLastError() == ERROR_ACCESS_DENIED;
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}

// Removes the temporary files that writes of earlier runs, killed before
// their move, left beside `path`. Only names of exactly that pattern are
// touched, and only those of processes that are gone.
void RemoveLeftovers(const std::string& path) {
    const std::size_t backslash = FindLastChar(path, '\\', IsAnsiLeadByte);
    const std::size_t slash = FindLastChar(path, '/', IsAnsiLeadByte);
    std::size_t cut = 0;
    if (backslash != std::string::npos)
        cut = backslash + 1;
    if (slash != std::string::npos && slash + 1 > cut)
        cut = slash + 1;
    const std::string folder = path.substr(0, cut);
    const std::string fileName = path.substr(cut);
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((path + ".new-*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    const std::uint64_t self = GetCurrentProcessId();
    do {
        std::uint64_t pid = 0;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
            !IsTemporaryFileOf(found.cFileName, fileName, pid) || pid == self ||
            ProcessIsAlive(pid))
            continue;
        DeleteFileA((folder + found.cFileName).c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

} // namespace

WriteOutcome WriteFileAtomically(const std::string& path, const std::string& bytes) {
    // A read-only file is left alone, as every Windows program leaves it.
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            WriteOutcome outcome = Failed(ERROR_ACCESS_DENIED);
            outcome.failure = WriteFailure::IsFolder;
            return outcome;
        }
        if (attributes & FILE_ATTRIBUTE_READONLY) {
            WriteOutcome outcome = Failed(ERROR_ACCESS_DENIED);
            outcome.failure = WriteFailure::ReadOnly;
            outcome.detail = "the file is read-only";
            return outcome;
        }
    }

    const std::string temporary = TemporaryName(path);
    bool opened = false;
    DWORD error = WriteFileWhole(temporary, CREATE_NEW, bytes, opened);
    if (!opened) {
        if (error != ERROR_ACCESS_DENIED || attributes == INVALID_FILE_ATTRIBUTES)
            return Failed(error);
        // The folder refuses new files: rewrite the file itself.
        error = WriteFileWhole(path, TRUNCATE_EXISTING, bytes, opened);
        return error == 0 ? WriteOutcome{} : Failed(error);
    }
    if (error == 0 && !MoveFileExA(temporary.c_str(), path.c_str(),
                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = GetLastError();
    if (error != 0) {
        DeleteFileA(temporary.c_str());
        return Failed(error);
    }
    RemoveLeftovers(path);
    return {};
}
