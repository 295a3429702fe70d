#include "platform/atomic_file.h"

#include <windows.h>

#include <atomic>
#include <string>

namespace {

bool WriteAll(HANDLE file, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(bytes.size() - done);
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

enum class Outcome { Written, NotOpened, Refused, Failed };

// Opens the file with `disposition`, writes the bytes, flushes and closes it.
// Refused: the file could not be opened for lack of rights.
Outcome WriteFileWhole(const std::string& path, DWORD disposition, const std::string& bytes) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, disposition,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_ACCESS_DENIED ? Outcome::Refused : Outcome::NotOpened;
    const bool written = WriteAll(file, bytes) && FlushFileBuffers(file);
    const bool closed = CloseHandle(file) != FALSE;
    return written && closed ? Outcome::Written : Outcome::Failed;
}

std::string TemporaryName(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    return path + ".new-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++);
}

} // namespace

bool WriteFileAtomically(const std::string& path, const std::string& bytes) {
    const std::string temporary = TemporaryName(path);
    switch (WriteFileWhole(temporary, CREATE_NEW, bytes)) {
    case Outcome::Written:
        break;
    case Outcome::Refused:
        // The folder refuses new files: rewrite the file itself.
        return WriteFileWhole(path, TRUNCATE_EXISTING, bytes) == Outcome::Written;
    case Outcome::Failed:
        DeleteFileA(temporary.c_str());
        return false;
    case Outcome::NotOpened:
        return false;
    }
    if (!MoveFileExA(temporary.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(temporary.c_str());
        return false;
    }
    return true;
}
