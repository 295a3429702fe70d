// The memory of files that failed: their converter returned and the file was
// still in the folder under the same name, changed or not, or the file must
// never be handed over. A failed file waits behind every other file until it
// leaves the folder, and is tried again at most once per back-off interval,
// which doubles from 10 s up to 10 minutes. A change (appended, rewritten,
// replaced under the same name) never makes it new: it only brings its next
// try to at most 10 s away, so that a repaired recording goes soon once
// nothing else waits. Records are keyed by the entry's exact identity and
// live while the folder holds it.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "core/dir_entry.h"
#include "core/folder_survey.h"

class FailedFiles {
  public:
    static constexpr std::int64_t kFirstBackoffSeconds = 10;
    static constexpr std::int64_t kLongestBackoffSeconds = 600;

    enum class Standing {
        New,     // never failed
        Due,     // failed, and its back-off has passed
        Resting, // failed, and its back-off has not passed
    };

    // Brings the memory up to the folder as the survey last saw it: a file
    // that left the folder is forgotten, so the memory never outgrows the
    // folder, and a change of another brings its next try closer.
    void Review(const FolderSurvey& survey, std::int64_t now);
    Standing StandingOf(const DirEntry& entry, std::int64_t now) const;

    // Failed files in the folder: after Review the memory holds no others.
    std::size_t Count() const { return m_records.size(); }

    // Records that `entry` failed at `now`. True when it had not failed
    // before: the one time to announce it.
    bool RecordFailure(const DirEntry& entry, std::int64_t now);

  private:
    struct Record {
        std::uint64_t size;            // as last seen, to tell a change
        std::int64_t modificationTime; // likewise
        std::int64_t backoff;
        std::int64_t retryAt;
    };

    std::map<std::string, Record> m_records; // by identity
};
