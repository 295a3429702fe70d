#include "core/failed_files.h"

#include <algorithm>

void FailedFiles::BeginListing() {
    for (auto& [name, record] : m_records)
        record.seen = false;
}

FailedFiles::Standing FailedFiles::Look(const DirEntry& entry, std::int64_t now) {
    const auto found = m_records.find(entry.name);
    if (found == m_records.end())
        return Standing::New;
    if (!SameFile(found->second.entry, entry)) {
        m_records.erase(found);
        return Standing::New;
    }
    found->second.seen = true;
    return now >= found->second.retryAt ? Standing::Due : Standing::Resting;
}

void FailedFiles::EndListing() {
    std::erase_if(m_records, [](const auto& item) { return !item.second.seen; });
}

bool FailedFiles::RecordOutcome(const DirEntry& entry, bool failed, std::int64_t now) {
    const auto found = m_records.find(entry.name);
    if (!failed) {
        if (found != m_records.end())
            m_records.erase(found);
        return false;
    }
    if (found != m_records.end() && SameFile(found->second.entry, entry)) {
        Record& record = found->second;
        record.backoff = std::min(record.backoff * 2, kLongestBackoffSeconds);
        record.retryAt = now + record.backoff;
        return false;
    }
    m_records.insert_or_assign(
        entry.name, Record{entry, kFirstBackoffSeconds, now + kFirstBackoffSeconds, true});
    return true;
}
