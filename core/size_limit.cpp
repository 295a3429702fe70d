#include "core/size_limit.h"

#include <vector>

#include "core/oldest_entry.h"
#include "core/platform.h"
#include "core/shared_state.h"

namespace {

struct Survey {
    double totalBytes = 0.0;
    OldestEntry oldestMp4;
};

Survey SurveyFolder(Platform& platform, const std::string& folder) {
    Survey survey{0.0, OldestEntry(platform.Now(), platform.LeadBytes())};
    platform.FindEntries(folder + "*.mp4", [&](const DirEntry& entry) {
        survey.totalBytes += static_cast<double>(entry.size);
        survey.oldestMp4.Offer(entry);
    });
    platform.FindEntries(folder + "*.jpg", [&](const DirEntry& entry) {
        survey.totalBytes += static_cast<double>(entry.size);
    });
    return survey;
}

bool OverLimit(double totalBytes, std::int32_t limitMB) {
    return limitMB > 0 && totalBytes * kBytesToMiB > static_cast<double>(limitMB);
}

// Deletes the .jpg files named like the title, ASCII case ignored. They are
// listed first and deleted afterwards, so the search never sees its own
// deletions.
void RemovePartners(Platform& platform, const std::string& folder, const std::string& title) {
    const std::string partnerName = title + ".jpg";
    std::vector<std::string> partners;
    platform.FindEntries(folder + "*.jpg", [&](const DirEntry& entry) {
        if (!entry.isDirectory && EqualsIgnoringAsciiCase(entry.name, partnerName))
            partners.push_back(entry.name);
    });
    for (const std::string& name : partners)
        platform.RemoveFile(folder + name);
}

} // namespace

void EnforceSizeLimit(Platform& platform, SharedState& state) {
    for (;;) {
        if (state.g_nLimitMB.load() == 0)
            return;
        // One reading of the folder per repetition: the files deleted are
        // always in the folder that was searched.
        const std::string folder = state.g_strWatchDir.Get();
        const Survey survey = SurveyFolder(platform, folder);
        if (!OverLimit(survey.totalBytes, state.g_nLimitMB.load()))
            return;
        // Without a candidate, or when it cannot be deleted, the next
        // repetition would find the folder as before: the pass ends.
        if (!survey.oldestMp4.Chosen())
            return;
        const bool removed = platform.RemoveFile(folder + survey.oldestMp4.Name());
        RemovePartners(platform, folder, survey.oldestMp4.Title());
        if (!removed)
            return;
    }
}
