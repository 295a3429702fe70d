#include "platform/write_probe.h"

#include <windows.h>

#include <memory>

namespace {

// FILE_FLAG_BACKUP_SEMANTICS lets a folder open too; a link or junction
// opens as itself, never as what it leads to.
HANDLE OpenSharing(const std::string& path, DWORD share) {
    return CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

WriteState FailedOpen(DWORD error) {
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return WriteState::Gone;
    return WriteState::Unknown;
}

} // namespace

RecordingFile::~RecordingFile() {
    CloseHandle(reinterpret_cast<HANDLE>(m_native));
}

RecordingProbe ProbeRecording(const std::string& path) {
    // Sharing nothing but deletion, the open fails while anyone else has the
    // file open: a writer, or a reader such as an earlier converter.
    const HANDLE alone = OpenSharing(path, FILE_SHARE_DELETE);
    if (alone == INVALID_HANDLE_VALUE) {
        if (GetLastError() != ERROR_SHARING_VIOLATION)
            return {FailedOpen(GetLastError())};
        // Sharing reading too, it fails only while someone may write.
        const HANDLE reading = OpenSharing(path, FILE_SHARE_READ);
        if (reading == INVALID_HANDLE_VALUE)
            return {GetLastError() == ERROR_SHARING_VIOLATION ? WriteState::Writing
                                                              : FailedOpen(GetLastError())};
        CloseHandle(reading);
        return {WriteState::Claimed};
    }
    CloseHandle(alone);
    // What the converter is handed: it may read the file by name, and
    // delete it, but nobody may write it while any copy is open.
    const HANDLE handed = OpenSharing(path, FILE_SHARE_READ | FILE_SHARE_DELETE);
    if (handed == INVALID_HANDLE_VALUE)
        return {GetLastError() == ERROR_SHARING_VIOLATION ? WriteState::Writing
                                                          : FailedOpen(GetLastError())};
    auto file = std::make_unique<RecordingFile>(reinterpret_cast<std::intptr_t>(handed));
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handed, &info))
        return {WriteState::Unknown};
    if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return {WriteState::NotAFile};
    return {WriteState::Closed, std::move(file)};
}
