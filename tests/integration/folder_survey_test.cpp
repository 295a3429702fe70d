#include "core/folder_survey.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "platform/the_platform.h"
#include "support.h"

namespace {

using test_support::TempFolder;

// Every entry the survey holds, with what the worker reads of it.
std::vector<std::string> Contents(const FolderSurvey& survey) {
    std::vector<std::string> entries;
    survey.VisitOldestFirst(std::numeric_limits<std::int64_t>::min(), [&](const DirEntry& e) {
        entries.push_back(e.identity + " " + std::to_string(e.size) + " " +
                          std::to_string(e.creationTime) + " " +
                          std::to_string(e.modificationTime));
        return true;
    });
    std::sort(entries.begin(), entries.end());
    return entries;
}

int MaxQueuedEvents() {
    int events = 16384;
    std::ifstream("/proc/sys/fs/inotify/max_queued_events") >> events;
    return events;
}

// After each change the survey, brought up to date by what the real watch
// told, holds what a new listing finds; a watch whose queue overflowed
// names nothing, and the folder is listed again.
TEST(FolderSurveyTest, ChangesTheWatchNamesLeaveTheSurveyAsANewListing) {
    const struct {
        const char* change;
        // A writer it leaves open stays open until the survey is checked.
        std::function<void(const TempFolder& folder, const TempFolder& outside,
                           std::ofstream& writer)>
            make;
        bool named;
    } cases[] = {
        {"appended by a writer that keeps it open",
         [](const TempFolder& folder, const TempFolder&, std::ofstream& writer) {
             writer.open(folder / "a.flv", std::ios::app);
             writer << "more" << std::flush;
         },
         true},
        {"renamed in",
         [](const TempFolder& folder, const TempFolder& outside, std::ofstream&) {
             outside.Touch("c.flv", 3);
             std::rename((outside / "c.flv").c_str(), (folder / "c.flv").c_str());
         },
         true},
        {"removed",
         [](const TempFolder& folder, const TempFolder&, std::ofstream&) {
             std::remove((folder / "a.flv").c_str());
         },
         true},
        {"renamed out",
         [](const TempFolder& folder, const TempFolder& outside, std::ofstream&) {
             std::rename((folder / "a.flv").c_str(), (outside / "a.flv").c_str());
         },
         true},
        {"removed, then made again under its name",
         [](const TempFolder& folder, const TempFolder&, std::ofstream&) {
             std::remove((folder / "a.flv").c_str());
             folder.Touch("a.flv", 6);
         },
         true},
        {"replaced under the same name",
         [](const TempFolder& folder, const TempFolder&, std::ofstream&) {
             folder.Touch("b.part", 7);
             std::rename((folder / "b.part").c_str(), (folder / "b.flv").c_str());
         },
         true},
        {"removed after the watch's queue overflowed",
         [](const TempFolder& folder, const TempFolder&, std::ofstream&) {
             // Changes of two files in turn, which the queue cannot merge.
             for (int i = 0; i <= MaxQueuedEvents(); ++i)
                 chmod((folder / (i % 2 ? "a.flv" : "b.flv")).c_str(), i % 4 < 2 ? 0600 : 0644);
             std::remove((folder / "b.flv").c_str());
         },
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.change);
        TempFolder folder;
        TempFolder outside;
        folder.Touch("a.flv", 1);
        folder.Touch("b.flv", 2);
        folder.Touch("b.mp4", 2);
        SystemPlatform platform;
        FolderSurvey survey("*.flv");
        survey.Update(platform, folder.Prefix(), platform.WatchFolder(folder.Prefix()));

        std::ofstream writer;
        c.make(folder, outside, writer);
        const FolderChanges changes = platform.WatchFolder(folder.Prefix());
        EXPECT_EQ(changes.named, c.named);
        survey.Update(platform, folder.Prefix(), changes);
        FolderSurvey listed("*.flv");
        listed.Update(platform, folder.Prefix(), FolderChanges{});
        EXPECT_EQ(Contents(survey), Contents(listed));
    }
}

} // namespace
