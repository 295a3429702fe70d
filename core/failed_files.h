// The memory of files that failed: their converter returned and the same
// file (name, size, modification time) was still in the folder. A failed file
// waits behind every other file and is tried again at most once per back-off
// interval, which doubles from 10 s up to 10 minutes. A file that changes
// counts as new. The memory lives as long as the worker.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "core/dir_entry.h"

class FailedFiles {
  public:
    static constexpr std::int64_t kFirstBackoffSeconds = 10;
    static constexpr std::int64_t kLongestBackoffSeconds = 600;

    enum class Standing {
        New,     // never failed, or changed since
        Due,     // failed, and its back-off has passed
        Resting, // failed, and its back-off has not passed
    };

    // Starts a listing of the folder: what the listing does not see through
    // Look is forgotten at EndListing, so the memory never outgrows the folder.
    void BeginListing();
    Standing Look(const DirEntry& entry, std::int64_t now);
    void EndListing();

    // Failed files seen by the last listing, unchanged: after EndListing
    // the memory holds no others.
    std::size_t Count() const { return m_records.size(); }

    // Records the outcome of a converter run on `entry`. True when the file
    // failed for the first time (or for the first time since it changed).
    bool RecordOutcome(const DirEntry& entry, bool failed, std::int64_t now);

  private:
    struct Record {
        DirEntry entry; // as it failed
        std::int64_t backoff;
        std::int64_t retryAt;
        bool seen;
    };

    std::map<std::string, Record> m_records;
};
