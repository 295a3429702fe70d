// A directory entry as the worker and the quota pass see it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

struct DirEntry {
    std::string name;              // the entry's name, without its folder
    std::int64_t creationTime = 0; // whole seconds, on the clock of Platform::Now
    std::uint64_t size = 0;        // bytes; 0 for a directory
    bool isDirectory = false;
    std::int64_t modificationTime = 0; // the last write, whole seconds, same clock
    // False when the system could not give the name exactly in this
    // program's narrow encoding, or the name could name another file: such
    // an entry is never joined to its folder, so never probed, deleted or
    // handed to a converter. `name` is then for display only.
    bool usableName = true;
};

// The same file as before: same name, size and last write.
inline bool SameFile(const DirEntry& a, const DirEntry& b) {
    return a.name == b.name && a.size == b.size && a.modificationTime == b.modificationTime;
}

// Oldest first by creation time; of equal times the entry listed first.
inline void SortOldestFirst(std::vector<DirEntry>& entries) {
    std::stable_sort(entries.begin(), entries.end(), [](const DirEntry& a, const DirEntry& b) {
        return a.creationTime < b.creationTime;
    });
}
