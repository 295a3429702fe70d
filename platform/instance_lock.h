// One running Kovalin per settings file, whichever program it is.
#pragma once

#include <cstdint>
#include <string>

struct InstanceLock {
    // True when this process now runs the settings file.
    bool held = false;
    // When not held: the process that runs it; 0 when it cannot be told.
    long ownerPid = 0;
    // Where the running instance can be reached, named after the file: the
    // path of a local socket on POSIX, a window message name on Windows.
    // Empty on POSIX when another user, session or sandbox holds the lock.
    std::string channel;
};

// Takes the lock of the settings file at `path` for the rest of the process,
// or finds who holds it. Two locks make it: one per user (or Windows session)
// named after the file's full path, which carries the hand-over, and one that
// every user meets: on POSIX a lock on the file itself, on Windows a mutex
// of the machine named after its full path. Both end with the process that
// holds them, however that process ends. Where the second cannot be taken (no
// file yet, a file that cannot be opened, no locks), the first counts alone.
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
