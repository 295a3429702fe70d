#include "platform/folder_lock.h"

#include <windows.h>

#include <mutex>

#include "platform/win32/this_user.h"

namespace {

using State = FolderClaim::State;

// The process's one claim: the open lock file, which no one else can open
// while this handle lives, and which the system deletes when it closes.
struct Claim {
    std::mutex mutex;
    HANDLE file = INVALID_HANDLE_VALUE;
    std::string folder;

    void Release() {
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
        file = INVALID_HANDLE_VALUE;
        folder.clear();
    }
};

Claim& TheClaim() {
    static Claim* const claim = new Claim; // never destroyed: the lock lasts as long as the process
    return *claim;
}

HANDLE OpenLockFile(const std::string& path) {
    PSECURITY_DESCRIPTOR descriptor = ThisUserOnly();
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0,
                                    descriptor ? &attributes : nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    const DWORD error = GetLastError();
    LocalFree(descriptor);
    SetLastError(error);
    return file;
}

} // namespace

FolderClaim ClaimWatchFolder(const std::string& folder) {
    Claim& claim = TheClaim();
    std::lock_guard guard(claim.mutex);
    // No one can remove or replace the file while the handle is open.
    if (claim.file != INVALID_HANDLE_VALUE && claim.folder == folder)
        return {State::Held, 0};
    claim.Release();
    const std::string path = folder + kFolderLockName;
    const HANDLE file = OpenLockFile(path);
    if (file != INVALID_HANDLE_VALUE) {
        claim.file = file;
        claim.folder = folder;
        return {State::Held, 0};
    }
    const DWORD error = GetLastError();
    // Open elsewhere; or there, and another user's, or being deleted as its
    // holder ends. A folder that may not be written has no such file.
    const bool there = GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (error == ERROR_SHARING_VIOLATION || (error == ERROR_ACCESS_DENIED && there))
        return {State::HeldElsewhere, 0};
    return {};
}
