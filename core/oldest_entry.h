// The running choice of the oldest entry of one search: the smallest creation
// time strictly before the moment the search began; of equal times the entry
// listed first wins.
#pragma once

#include <cstdint>
#include <string>

#include "core/platform.h"

class OldestEntry {
  public:
    OldestEntry(std::int64_t searchStart, LeadByteTest leadBytes)
        : m_time(searchStart), m_leadBytes(leadBytes) {}

    void Offer(const DirEntry& entry) {
        if (entry.creationTime < m_time) {
            m_time = entry.creationTime;
            m_name = entry.name;
            m_title = FileTitle(entry.name, m_leadBytes);
        }
    }

    // An empty title means that nothing was chosen, also when the oldest
    // entry's name has an empty title (".flv").
    bool Chosen() const { return !m_title.empty(); }
    const std::string& Name() const { return m_name; }
    const std::string& Title() const { return m_title; }

  private:
    std::int64_t m_time;
    LeadByteTest m_leadBytes;
    std::string m_name;
    std::string m_title;
};
