// The entries of a folder that match a mask, kept from one cycle to the
// next. The folder is listed again only where its watch cannot tell which
// entries changed (the first look, another folder, a watch that lost
// count); otherwise only the entries it names are looked at again, so that
// bringing the survey up to date costs work in proportion to the changes,
// not to the entries.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>

#include "core/dir_entry.h"
#include "core/platform_port.h"

class FolderSurvey {
  public:
    explicit FolderSurvey(std::string mask) : m_mask(std::move(mask)) {}

    // Brings the survey up to date with `folder` (a prefix, as the worker
    // joins names to it), given what its watch told.
    void Update(Platform& platform, const std::string& folder, const FolderChanges& changes);

    std::size_t Count() const { return m_entries.size(); }
    // The entry of that identity; null when the folder holds none.
    const DirEntry* Find(const std::string& identity) const;

    // Visits the entries created at `from` or later, oldest first by creation
    // time, of equal times the one the survey learnt of first (of one
    // listing, the one listed first), until `visit` returns false.
    void VisitOldestFirst(std::int64_t from,
                          const std::function<bool(const DirEntry&)>& visit) const;

  private:
    void List(Platform& platform, const std::string& folder);
    void Learn(DirEntry entry);
    void Forget(const std::string& identity);

    struct Known {
        DirEntry entry;
        std::uint64_t learnt = 0; // the order in which the survey learnt of it
    };
    using Age = std::pair<std::int64_t, std::uint64_t>; // creation time, then learnt
    static Age AgeOf(const Known& known) { return {known.entry.creationTime, known.learnt}; }

    std::string m_mask;
    std::string m_folder;
    bool m_listed = false;
    std::uint64_t m_learnt = 0;
    std::unordered_map<std::string, Known> m_entries; // by identity
    std::map<Age, const DirEntry*> m_byAge;
};
