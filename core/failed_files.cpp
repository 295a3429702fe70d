#include "core/failed_files.h"

#include <algorithm>

void FailedFiles::BeginListing() {
    for (auto& [identity, record] : m_records)
        record.seen = false;
}

FailedFiles::Standing FailedFiles::Look(const DirEntry& entry, std::int64_t now) {
    const auto found = m_records.find(entry.identity);
    if (found == m_records.end())
        return Standing::New;
    Record& record = found->second;
    record.seen = true;
    if (record.size != entry.size || record.modificationTime != entry.modificationTime) {
        record.size = entry.size;
        record.modificationTime = entry.modificationTime;
        record.retryAt = std::min(record.retryAt, now + kFirstBackoffSeconds);
    }
    return now >= record.retryAt ? Standing::Due : Standing::Resting;
}

void FailedFiles::EndListing() {
    std::erase_if(m_records, [](const auto& item) { return !item.second.seen; });
}

bool FailedFiles::RecordFailure(const DirEntry& entry, std::int64_t now) {
    const auto [found, added] = m_records.try_emplace(
        entry.identity, Record{entry.size, entry.modificationTime, kFirstBackoffSeconds, 0, true});
    Record& record = found->second;
    if (!added)
        record.backoff = std::min(record.backoff * 2, kLongestBackoffSeconds);
    record.size = entry.size;
    record.modificationTime = entry.modificationTime;
    record.retryAt = now + record.backoff;
    record.seen = true;
    return added;
}
