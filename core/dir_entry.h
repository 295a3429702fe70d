// A directory entry as the worker and the quota pass see it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

struct DirEntry {
    std::string name; // the entry's name, without its folder
    // The name's exact bytes as the system lists it (on Windows the UTF-16
    // name, on POSIX the name itself): two entries of one folder never share
    // it, even where `name` shows them alike.
    std::string identity;
    std::int64_t creationTime = 0; // whole seconds, on the clock of Platform::Now
    std::uint64_t size = 0;        // bytes; 0 for a directory
    bool isDirectory = false;
    std::int64_t modificationTime = 0; // the last write, whole seconds, same clock
    // False when the system could not give the name exactly in this
    // program's narrow encoding, or the name could name another file: such
    // an entry is never joined to its folder, so never probed, deleted or
    // handed to a converter. `name` is then for display only.
    bool usableName = true;
    // A file that Platform::RemoveWritableFile keeps for its mode (read-only on
    // Windows, no write permission for anyone on POSIX).
    bool readOnly = false;
    // A symbolic link, or on Windows any entry with the reparse-point
    // attribute (a junction among them): the entry itself, never its target.
    bool isLink = false;
    // The bytes the system has set aside for the file on disk, where it
    // tells (POSIX: every file; Windows: a file marked sparse); otherwise the
    // largest value, so that the size counts.
    std::uint64_t allocated = std::numeric_limits<std::uint64_t>::max();
    // The same for every name of one file (POSIX: device and inode of a file
    // with several names); empty for a file with one name, or where the
    // system does not tell.
    std::string fileId;
};

// The space the entry takes: its size, or what is set aside for it on disk
// where that is less (a sparse or compressed file). What the quota counts.
inline std::uint64_t SpaceTaken(const DirEntry& entry) {
    return std::min(entry.size, entry.allocated);
}
