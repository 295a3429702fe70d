// Which .jpg files of a listing go with an .mp4 when the quota deletes it.
#pragma once

#include <cstddef>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/dir_entry.h"

class Platform;

// The .jpg of exactly the .mp4's title (the extension in any case) goes
// first; then those whose title the system takes for the .mp4's title (by
// its case rule), but only the ones without an .mp4 of exactly their own
// title: such a .jpg is that .mp4's alone.
class JpgPartners {
  public:
    // `jpgs`: the .jpg files that may be deleted; `mp4Titles`: the title of
    // every .mp4 listed, as it is spelt. Both must outlive this object.
    JpgPartners(const Platform& platform, const std::vector<DirEntry>& jpgs,
                const std::unordered_set<std::string>& mp4Titles);

    // The partners of `mp4`, as indices into `jpgs`: exactly its title
    // first, each kind in listing order.
    std::vector<std::size_t> Of(const DirEntry& mp4) const;

  private:
    const Platform& m_platform;
    const std::vector<DirEntry>& m_jpgs;
    const std::unordered_set<std::string>& m_mp4Titles;
    std::vector<std::size_t> m_byTitle; // indices into m_jpgs, in the system's order of titles
};
