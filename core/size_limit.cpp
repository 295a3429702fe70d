#include "core/size_limit.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "core/platform.h"
#include "core/shared_state.h"

namespace {

struct Survey {
    double totalBytes = 0.0;
    std::vector<DirEntry> mp4s; // candidates: created before the pass, with a title
    std::vector<DirEntry> jpgs;
};

// The .jpg files by their name in lower case, in listing order: the
// partners of a title.
using PartnerIndex = std::unordered_map<std::string, std::vector<DirEntry>>;

PartnerIndex IndexPartners(const std::vector<DirEntry>& jpgs) {
    PartnerIndex index;
    for (const DirEntry& jpg : jpgs)
        index[AsciiLowered(jpg.name)].push_back(jpg);
    return index;
}

// One listing of the folder gives the total and every candidate.
Survey SurveyFolder(Platform& platform, const std::string& folder) {
    const std::int64_t start = platform.Now();
    const LeadByteTest leadBytes = platform.LeadBytes();
    Survey survey;
    platform.FindEntries(folder + "*", [&](const DirEntry& entry) {
        const bool mp4 = HasExtension(entry.name, ".mp4");
        if (!mp4 && !HasExtension(entry.name, ".jpg"))
            return;
        survey.totalBytes += static_cast<double>(entry.size);
        // A name the system could not give exactly counts, but is never
        // joined to the folder: it might name another file.
        if (!entry.usableName)
            return;
        if (!mp4)
            survey.jpgs.push_back(entry);
        else if (entry.creationTime < start && FindLastChar(entry.name, '.', leadBytes) != 0)
            survey.mp4s.push_back(entry);
    });
    return survey;
}

// The one place of the rule that a limit of 0 or below is off.
bool OverLimit(double totalBytes, std::int32_t limitMB) {
    return limitMB > 0 && totalBytes * kBytesToMiB > static_cast<double>(limitMB);
}

// Deletes the .jpg files named like the title, ASCII case ignored, and
// returns the bytes they held.
double RemovePartners(Platform& platform, const std::string& folder, const std::string& title,
                      PartnerIndex& jpgs) {
    double freed = 0.0;
    const auto found = jpgs.find(AsciiLowered(title + ".jpg"));
    if (found == jpgs.end())
        return freed;
    std::erase_if(found->second, [&](const DirEntry& jpg) {
        if (jpg.isDirectory || !platform.RemoveFile(folder + jpg.name))
            return false;
        freed += static_cast<double>(jpg.size);
        return true;
    });
    return freed;
}

} // namespace

void EnforceSizeLimit(Platform& platform, SharedState& state) {
    if (state.g_nLimitMB.load() == 0)
        return;
    // The files deleted are always in the folder that was listed.
    const std::string folder = state.g_strWatchDir.Get();
    Survey survey = SurveyFolder(platform, folder);
    if (!OverLimit(survey.totalBytes, state.g_nLimitMB.load()))
        return;
    SortOldestFirst(survey.mp4s);
    PartnerIndex partners = IndexPartners(survey.jpgs);
    for (const DirEntry& mp4 : survey.mp4s) {
        // The limit is read at each use: 0 applied meanwhile ends the pass.
        if (!OverLimit(survey.totalBytes, state.g_nLimitMB.load()))
            return;
        // A candidate that cannot be deleted (a directory, a read-only
        // file, a file in use) is passed over; its partners stay with it.
        if (!platform.RemoveFile(folder + mp4.name))
            continue;
        survey.totalBytes -= static_cast<double>(mp4.size);
        survey.totalBytes -=
            RemovePartners(platform, folder, FileTitle(mp4.name, platform.LeadBytes()), partners);
    }
}
