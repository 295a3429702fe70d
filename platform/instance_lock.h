// One running Kovalin per settings file and user, whichever program it is.
#pragma once

#include <cstdint>
#include <string>

struct InstanceLock {
    // True when no other start of this user (on Windows, of this session)
    // runs the settings file.
    bool held = false;
    // When not held: the process that runs it; 0 when it cannot be told.
    long ownerPid = 0;
    // Where the running instance can be reached, named after the file: the
    // path of a local socket on POSIX, a window message name on Windows.
    // Empty on POSIX where the user has no private folder for it.
    std::string channel;
};

// Takes this user's lock of the settings file at `path` for the rest of the
// process, or finds who holds it: the lock that hands a second start over to
// the running one. It is named after the file's full path, in a place that
// only this user can reach (POSIX: the user's runtime folder, else a private
// folder in /tmp; Windows: the session's namespace, an object of another
// owner there being ignored), so no other user can take it first. It ends
// with the process that holds it, however that process ends. Where it cannot
// be had, the start counts as the first. Kovalins of other users and
// sandboxes meet at the watch folder's lock instead (platform/folder_lock.h).
InstanceLock AcquireInstanceLock(const std::string& path);

// "kovalin-" and a hash of a full path: the same path gives the same name.
inline std::string InstanceName(const std::string& fullPath) {
    std::uint64_t hash = 14695981039346656037ull; // FNV-1a
    for (const unsigned char c : fullPath)
        hash = (hash ^ c) * 1099511628211ull;
    static constexpr char kHex[] = "0123456789abcdef";
    std::string name = "kovalin-";
    for (int shift = 60; shift >= 0; shift -= 4)
        name += kHex[(hash >> shift) & 15];
    return name;
}
