#include "core/folder_survey.h"

#include <limits>
#include <optional>

#include "core/file_name.h"

void FolderSurvey::Update(Platform& platform, const std::string& folder,
                          const FolderChanges& changes) {
    if (!changes.named || !m_listed || folder != m_folder) {
        List(platform, folder);
        return;
    }
    for (const std::string& identity : changes.gone)
        Forget(identity);
    for (const std::string& identity : changes.changed) {
        std::optional<DirEntry> entry = platform.LookUpEntry(folder, identity);
        if (entry && MatchesMask(entry->name, m_mask))
            Learn(std::move(*entry));
        else
            Forget(identity);
    }
}

const DirEntry* FolderSurvey::Find(const std::string& identity) const {
    const auto found = m_entries.find(identity);
    return found == m_entries.end() ? nullptr : &found->second.entry;
}

void FolderSurvey::VisitOldestFirst(std::int64_t from,
                                    const std::function<bool(const DirEntry&)>& visit) const {
    const Age first = {from, std::numeric_limits<std::uint64_t>::min()};
    for (auto it = m_byAge.lower_bound(first); it != m_byAge.end(); ++it) {
        if (!visit(*it->second))
            return;
    }
}

void FolderSurvey::List(Platform& platform, const std::string& folder) {
    m_entries.clear();
    m_byAge.clear();
    m_folder = folder;
    m_listed = true;
    platform.FindEntries(folder + m_mask, [this](const DirEntry& entry) { Learn(entry); });
}

// An entry seen again keeps its place among those of its creation time.
void FolderSurvey::Learn(DirEntry entry) {
    const auto [found, added] = m_entries.try_emplace(entry.identity);
    Known& known = found->second;
    if (added)
        known.learnt = m_learnt++;
    else
        m_byAge.erase(AgeOf(known));
    known.entry = std::move(entry);
    m_byAge.emplace(AgeOf(known), &known.entry);
}

void FolderSurvey::Forget(const std::string& identity) {
    const auto found = m_entries.find(identity);
    if (found == m_entries.end())
        return;
    m_byAge.erase(AgeOf(found->second));
    m_entries.erase(found);
}
