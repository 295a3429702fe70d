#include "core/size_limit.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/jpg_partners.h"
#include "core/platform_port.h"
#include "core/shared_state.h"

namespace {

// A file of the folder, counted once however many of its names are listed:
// its space leaves the total only with the last of them.
struct FileSpace {
    double bytes = 0.0;
    std::size_t names = 0; // listed names not deleted yet
    bool kept = false;     // some name of it stays, whatever the pass deletes
};

// A name the pass may delete, and the file it names.
struct Name {
    DirEntry entry;
    std::size_t file = 0; // index in Survey::files
};

struct Survey {
    double totalBytes = 0.0;
    // What no deletion can remove: the files of which some name is a
    // directory, read-only, without a usable name, the .mp4 without a
    // title, or a .jpg that no .mp4 takes with it.
    double keptBytes = 0.0;
    std::vector<FileSpace> files;
    std::vector<Name> mp4s;                    // candidates: created before the pass, with a title
    std::vector<Name> later;                   // deletable, but created in the pass's second
    std::vector<DirEntry> jpgs;                // deletable
    std::vector<std::size_t> jpgFiles;         // the file of each of them
    std::unordered_set<std::string> mp4Titles; // of every .mp4 listed

    void Keep(std::size_t file) {
        if (!files[file].kept)
            keptBytes += files[file].bytes;
        files[file].kept = true;
    }
    // One name of the file was deleted.
    void Forget(std::size_t file) {
        if (--files[file].names == 0)
            totalBytes -= files[file].bytes;
    }
};

// One listing of the folder gives the total and every candidate.
Survey SurveyFolder(Platform& platform, const std::string& folder) {
    const std::int64_t start = platform.Now();
    const LeadByteTest leadBytes = platform.LeadBytes();
    Survey survey;
    std::unordered_map<std::string, std::size_t> fileOfId;
    platform.FindEntries(folder + "*", [&](const DirEntry& entry) {
        const bool mp4 = HasExtension(entry.name, ".mp4");
        if (!mp4 && !HasExtension(entry.name, ".jpg"))
            return;
        std::size_t file = survey.files.size();
        if (!entry.fileId.empty())
            file = fileOfId.try_emplace(entry.fileId, file).first->second;
        if (file == survey.files.size()) {
            survey.files.push_back({static_cast<double>(SpaceTaken(entry))});
            survey.totalBytes += survey.files.back().bytes;
        }
        ++survey.files[file].names;
        if (mp4)
            survey.mp4Titles.insert(FileTitle(entry.name, leadBytes));
        // A name the system could not give exactly counts, but is never
        // joined to the folder: it might name another file. No name is
        // formed from an empty title.
        if (!entry.usableName || entry.isDirectory || entry.readOnly ||
            (mp4 && FindLastChar(entry.name, '.', leadBytes) == 0)) {
            survey.Keep(file);
        } else if (!mp4) {
            survey.jpgs.push_back(entry);
            survey.jpgFiles.push_back(file);
        } else {
            (entry.creationTime < start ? survey.mp4s : survey.later).push_back({entry, file});
        }
    });
    return survey;
}

// The partners of each .mp4 that may be deleted, as indices into
// survey.jpgs: the candidates' first, in their order, then the later ones'.
// A .jpg that none of them takes with it counts as kept.
std::vector<std::vector<std::size_t>> ClaimPartners(const Platform& platform, Survey& survey) {
    const JpgPartners partners(platform, survey.jpgs, survey.mp4Titles);
    std::vector<std::vector<std::size_t>> partnersOf;
    std::vector<bool> claimed(survey.jpgs.size());
    for (const std::vector<Name>* mp4s : {&survey.mp4s, &survey.later}) {
        for (const Name& mp4 : *mp4s) {
            partnersOf.push_back(partners.Of(mp4.entry));
            for (const std::size_t jpg : partnersOf.back())
                claimed[jpg] = true;
        }
    }
    for (std::size_t jpg = 0; jpg < survey.jpgs.size(); ++jpg) {
        if (!claimed[jpg])
            survey.Keep(survey.jpgFiles[jpg]);
    }
    return partnersOf;
}

// The limit as published, read signed: the one place of the rule that a
// limit of 0 or above 2147483647 is off.
bool OverLimit(double totalBytes, std::uint32_t publishedMB) {
    const auto limitMB = static_cast<std::int32_t>(publishedMB);
    return limitMB > 0 && totalBytes * kBytesToMiB > static_cast<double>(limitMB);
}

} // namespace

QuotaResult EnforceSizeLimit(Platform& platform, SharedState& state) {
    // The limit is read at each use: 0 applied meanwhile ends the pass.
    const auto over = [&state](double bytes) {
        return OverLimit(bytes, state.g_settings.Get().nLimitMB);
    };
    const SettingsRecord settings = state.g_settings.Get();
    if (settings.nLimitMB == 0)
        return QuotaResult::Done;
    // The files deleted are always in the folder that was listed.
    const std::string& folder = settings.strWatchDir;
    Survey survey = SurveyFolder(platform, folder);
    if (!over(survey.totalBytes))
        return QuotaResult::Done;

    // Oldest first by creation time; of equal times the one listed first.
    std::stable_sort(survey.mp4s.begin(), survey.mp4s.end(), [](const Name& a, const Name& b) {
        return a.entry.creationTime < b.entry.creationTime;
    });
    const std::vector<std::vector<std::size_t>> partnersOf = ClaimPartners(platform, survey);
    // Deleting recordings could not bring the folder under the limit: they
    // would be lost for nothing.
    if (over(survey.keptBytes))
        return QuotaResult::LimitOutOfReach;

    std::vector<bool> jpgGone(survey.jpgs.size());
    for (std::size_t i = 0; i < survey.mp4s.size(); ++i) {
        if (!over(survey.totalBytes))
            return QuotaResult::Done;
        // A candidate that cannot be deleted (a file in use) is passed over,
        // and its partners stay with it: they count as kept from now on.
        const Name& mp4 = survey.mp4s[i];
        const bool removed = platform.RemoveWritableFile(folder + mp4.entry.name);
        if (removed)
            survey.Forget(mp4.file);
        else
            survey.Keep(mp4.file);
        for (const std::size_t jpg : partnersOf[i]) {
            if (jpgGone[jpg])
                continue;
            jpgGone[jpg] = removed && platform.RemoveWritableFile(folder + survey.jpgs[jpg].name);
            if (jpgGone[jpg])
                survey.Forget(survey.jpgFiles[jpg]);
            else
                survey.Keep(survey.jpgFiles[jpg]);
        }
        if (over(survey.keptBytes))
            return QuotaResult::LimitOutOfReach;
    }
    return QuotaResult::Done;
}
