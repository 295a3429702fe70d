#include "platform/instance_lock.h"

#include <windows.h>

#include "platform/win32/this_user.h"

namespace {

// The file's full path with its long names, in capitals: file names on
// Windows ignore case. Lead bytes are left alone by CharUpperBuffA.
std::string FullPath(const std::string& path) {
    char full[MAX_PATH * 4];
    DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    if (length == 0 || length >= sizeof full)
        return path;
    char longer[sizeof full];
    const DWORD longLength = GetLongPathNameA(full, longer, sizeof longer);
    std::string result = longLength > 0 && longLength < sizeof longer
                             ? std::string(longer, longLength)
                             : std::string(full, length);
    CharUpperBuffA(result.data(), static_cast<DWORD>(result.size()));
    return result;
}

// The holder's PID, in a shared memory record named after the lock.
long ReadOwnerPid(const std::string& recordName) {
    const HANDLE record = OpenFileMappingA(FILE_MAP_READ, FALSE, recordName.c_str());
    if (!record)
        return 0;
    long pid = 0;
    if (const void* view = MapViewOfFile(record, FILE_MAP_READ, 0, 0, sizeof(DWORD))) {
        pid = static_cast<long>(*static_cast<const DWORD*>(view));
        UnmapViewOfFile(view);
    }
    CloseHandle(record);
    return pid;
}

void WriteOwnerPid(const std::string& recordName) {
    const HANDLE record = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                             sizeof(DWORD), recordName.c_str());
    if (!record)
        return;
    if (void* view = MapViewOfFile(record, FILE_MAP_WRITE, 0, 0, sizeof(DWORD))) {
        *static_cast<DWORD*>(view) = GetCurrentProcessId();
        UnmapViewOfFile(view);
    }
    // The handle stays open, and the record with it, until the process ends.
}

} // namespace

InstanceLock AcquireInstanceLock(const std::string& path) {
    InstanceLock lock;
    lock.channel = InstanceName(FullPath(path));
    const std::string name = "Local\\" + lock.channel;
    // Owning the mutex is the lock: the system releases it when the owner
    // ends, and the next start then owns it, even if a later start still
    // has the mutex open. One that another user made under this name (a
    // process of theirs in this session) is not this user's lock.
    HANDLE mutex = CreateMutexA(nullptr, FALSE, name.c_str());
    if (mutex && GetLastError() == ERROR_ALREADY_EXISTS && !OwnedByThisUser(mutex)) {
        CloseHandle(mutex);
        mutex = nullptr;
    }
    const DWORD wait = mutex ? WaitForSingleObject(mutex, 0) : WAIT_FAILED;
    if (wait != WAIT_TIMEOUT) {
        // Where no mutex can be had, the start counts as the first.
        WriteOwnerPid(name + "-owner");
        lock.held = true;
        return lock;
    }
    CloseHandle(mutex);
    // The holder writes its PID just after it takes the mutex.
    for (int i = 0; i < 100 && lock.ownerPid == 0; ++i) {
        lock.ownerPid = ReadOwnerPid(name + "-owner");
        if (lock.ownerPid == 0)
            Sleep(10);
    }
    return lock;
}
