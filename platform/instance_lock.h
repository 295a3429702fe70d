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
    std::string channel;
};

// Takes the lock of the settings file at `path` for the rest of the process,
// or finds who holds it. The lock is named after the file's full path and
// ends with the process that holds it, however that process ends.
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
