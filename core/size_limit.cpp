#include "core/size_limit.h"

#include <unordered_map>
#include <vector>

#include "core/platform_port.h"
#include "core/shared_state.h"

namespace {

struct Survey {
    double totalBytes = 0.0;
    // What no deletion can remove: entries that are directories, read-only
    // or without a usable name, and the .mp4 without a title.
    double keptBytes = 0.0;
    std::vector<DirEntry> mp4s;  // candidates: created before the pass, with a title
    std::vector<DirEntry> later; // deletable, but created in the pass's second
    std::vector<DirEntry> jpgs;  // deletable
};

// The deletable .jpg files named like one title, ASCII case ignored, in
// listing order; `claimed` when some deletable .mp4 has that title.
struct Partners {
    std::vector<DirEntry> files;
    bool claimed = false;
};

// By the .jpg name in lower case.
using PartnerIndex = std::unordered_map<std::string, Partners>;

std::string PartnerKey(const DirEntry& mp4, LeadByteTest leadBytes) {
    return AsciiLowered(FileTitle(mp4.name, leadBytes) + ".jpg");
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
        const double size = static_cast<double>(entry.size);
        survey.totalBytes += size;
        // A name the system could not give exactly counts, but is never
        // joined to the folder: it might name another file. No name is
        // formed from an empty title.
        if (!entry.usableName || entry.isDirectory || entry.readOnly ||
            (mp4 && FindLastChar(entry.name, '.', leadBytes) == 0)) {
            survey.keptBytes += size;
            return;
        }
        if (!mp4)
            survey.jpgs.push_back(entry);
        else if (entry.creationTime < start)
            survey.mp4s.push_back(entry);
        else
            survey.later.push_back(entry);
    });
    return survey;
}

// Indexes the .jpg files and returns the bytes of those that no deletable
// .mp4 takes with it: they stay, whatever the pass deletes.
double IndexPartners(const Survey& survey, LeadByteTest leadBytes, PartnerIndex& index) {
    for (const DirEntry& jpg : survey.jpgs)
        index[AsciiLowered(jpg.name)].files.push_back(jpg);
    for (const std::vector<DirEntry>* mp4s : {&survey.mp4s, &survey.later}) {
        for (const DirEntry& mp4 : *mp4s) {
            const auto found = index.find(PartnerKey(mp4, leadBytes));
            if (found != index.end())
                found->second.claimed = true;
        }
    }
    double unclaimed = 0.0;
    for (const auto& [key, partners] : index) {
        for (const DirEntry& jpg : partners.files)
            unclaimed += partners.claimed ? 0.0 : static_cast<double>(jpg.size);
    }
    return unclaimed;
}

// The one place of the rule that a limit of 0 or below is off.
bool OverLimit(double totalBytes, std::int32_t limitMB) {
    return limitMB > 0 && totalBytes * kBytesToMiB > static_cast<double>(limitMB);
}

} // namespace

QuotaResult EnforceSizeLimit(Platform& platform, SharedState& state) {
    // The limit is read at each use: 0 applied meanwhile ends the pass.
    const auto over = [&state](double bytes) { return OverLimit(bytes, state.g_nLimitMB.load()); };
    if (state.g_nLimitMB.load() == 0)
        return QuotaResult::Done;
    // The files deleted are always in the folder that was listed.
    const std::string folder = state.g_strWatchDir.Get();
    const LeadByteTest leadBytes = platform.LeadBytes();
    Survey survey = SurveyFolder(platform, folder);
    if (!over(survey.totalBytes))
        return QuotaResult::Done;
    PartnerIndex partners;
    double keptBytes = survey.keptBytes + IndexPartners(survey, leadBytes, partners);
    // Deleting recordings could not bring the folder under the limit: they
    // would be lost for nothing.
    if (over(keptBytes))
        return QuotaResult::LimitOutOfReach;

    SortOldestFirst(survey.mp4s);
    for (const DirEntry& mp4 : survey.mp4s) {
        if (!over(survey.totalBytes))
            return QuotaResult::Done;
        // A candidate that cannot be deleted (a file in use) is passed over,
        // and its partners stay with it: they count as kept from now on.
        const bool removed = platform.RemoveWritableFile(folder + mp4.name);
        if (removed)
            survey.totalBytes -= static_cast<double>(mp4.size);
        else
            keptBytes += static_cast<double>(mp4.size);
        const auto found = partners.find(PartnerKey(mp4, leadBytes));
        if (found != partners.end()) {
            std::erase_if(found->second.files, [&](const DirEntry& jpg) {
                const double size = static_cast<double>(jpg.size);
                if (removed && platform.RemoveWritableFile(folder + jpg.name)) {
                    survey.totalBytes -= size;
                    return true;
                }
                keptBytes += size;
                return false;
            });
        }
        if (over(keptBytes))
            return QuotaResult::LimitOutOfReach;
    }
    return QuotaResult::Done;
}
