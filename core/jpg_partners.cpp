#include "core/jpg_partners.h"

#include <algorithm>

#include "core/file_name.h"
#include "core/platform_port.h"

JpgPartners::JpgPartners(const Platform& platform, const std::vector<DirEntry>& jpgs,
                         const std::unordered_set<std::string>& mp4Titles)
    : m_platform(platform), m_jpgs(jpgs), m_mp4Titles(mp4Titles), m_byTitle(jpgs.size()) {
    for (std::size_t i = 0; i < m_byTitle.size(); ++i)
        m_byTitle[i] = i;
    std::stable_sort(m_byTitle.begin(), m_byTitle.end(), [&](std::size_t a, std::size_t b) {
        return m_platform.CompareTitles(m_jpgs[a], m_jpgs[b]) < 0;
    });
}

std::vector<std::size_t> JpgPartners::Of(const DirEntry& mp4) const {
    const auto first = std::lower_bound(m_byTitle.begin(), m_byTitle.end(), mp4,
                                        [&](std::size_t jpg, const DirEntry& entry) {
                                            return m_platform.CompareTitles(m_jpgs[jpg], entry) < 0;
                                        });
    const auto last =
        std::upper_bound(first, m_byTitle.end(), mp4, [&](const DirEntry& entry, std::size_t jpg) {
            return m_platform.CompareTitles(entry, m_jpgs[jpg]) < 0;
        });
    const LeadByteTest leadBytes = m_platform.LeadBytes();
    const std::string title = FileTitle(mp4.name, leadBytes);
    std::vector<std::size_t> exact, alike;
    for (auto it = first; it != last; ++it) {
        const std::string own = FileTitle(m_jpgs[*it].name, leadBytes);
        if (own == title)
            exact.push_back(*it);
        else if (m_mp4Titles.count(own) == 0)
            alike.push_back(*it);
    }
    std::sort(exact.begin(), exact.end());
    std::sort(alike.begin(), alike.end());
    exact.insert(exact.end(), alike.begin(), alike.end());
    return exact;
}
