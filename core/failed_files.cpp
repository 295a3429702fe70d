#include "core/failed_files.h"

#include <algorithm>

void FailedFiles::Review(const FolderSurvey& survey, std::int64_t now) {
    for (auto it = m_records.begin(); it != m_records.end();) {
        const DirEntry* entry = survey.Find(it->first);
        if (!entry) {
            it = m_records.erase(it);
            continue;
        }
        Record& record = it->second;
        if (record.size != entry->size || record.modificationTime != entry->modificationTime) {
            record.size = entry->size;
            record.modificationTime = entry->modificationTime;
            record.retryAt = std::min(record.retryAt, now + kFirstBackoffSeconds);
        }
        ++it;
    }
}

FailedFiles::Standing FailedFiles::StandingOf(const DirEntry& entry, std::int64_t now) const {
    const auto found = m_records.find(entry.identity);
    if (found == m_records.end())
        return Standing::New;
    return now >= found->second.retryAt ? Standing::Due : Standing::Resting;
}

bool FailedFiles::RecordFailure(const DirEntry& entry, std::int64_t now) {
    const auto [found, added] = m_records.try_emplace(
        entry.identity, Record{entry.size, entry.modificationTime, kFirstBackoffSeconds, 0});
    Record& record = found->second;
    if (!added)
        record.backoff = std::min(record.backoff * 2, kLongestBackoffSeconds);
    record.size = entry.size;
    record.modificationTime = entry.modificationTime;
    record.retryAt = now + record.backoff;
    return added;
}
