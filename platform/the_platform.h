// The real platform of the system built for.
#pragma once

#include <ctime>

#include "core/platform_port.h"
#include "platform/dir_search.h"
#include "platform/folder_lock.h"
#include "platform/folder_watch.h"
#include "platform/lead_bytes.h"
#include "platform/name_order.h"
#include "platform/process.h"
#include "platform/remove_file.h"
#include "platform/sleep.h"
#include "platform/write_probe.h"

// Platform over the system functions of platform/, each call the one of its
// header, the same on every system: on Windows the ANSI calls, but for the
// folder listing, which takes names in UTF-16 to tell which the code page
// carries. The test and benchmark platforms derive from it and override what
// they change.
class SystemPlatform : public Platform {
  public:
    void FindEntries(const std::string& pattern,
                     const std::function<void(const DirEntry&)>& visit) override {
        FindDirEntries(pattern, visit);
    }

    std::optional<DirEntry> LookUpEntry(const std::string& folder,
                                        const std::string& identity) override {
        return LookUpDirEntry(folder, identity);
    }

    bool RemoveWritableFile(const std::string& path) override { return ::RemoveWritableFile(path); }

    std::int64_t Now() override { return static_cast<std::int64_t>(std::time(nullptr)); }

    void SleepMs(unsigned milliseconds) override { SleepMilliseconds(milliseconds); }

    FolderChanges WatchFolder(const std::string& folder) override { return m_watch.Watch(folder); }

    PauseEnd Pause(unsigned milliseconds, bool untilFolderChange) override {
        return m_watch.Wait(milliseconds, untilFolderChange);
    }

    void WakePause() override { m_watch.Wake(); }

    RecordingProbe ProbeRecording(const std::string& path) override {
        return ::ProbeRecording(path);
    }

    bool NamesAnotherEntry(const std::string& path) override { return ::NamesAnotherEntry(path); }

    ConverterStart StartHidden(const std::string& program, const std::string& title,
                               const ConverterEnvironment& environment,
                               const OpenedRecording* recording) override {
        // Only this platform's probe opens recordings.
        return StartConverter(program, title, environment,
                              dynamic_cast<const RecordingFile*>(recording));
    }

    FolderClaim ClaimFolder(const std::string& folder) override { return ClaimWatchFolder(folder); }

    LeadByteTest LeadBytes() const override { return SystemLeadBytes(); }

    int CompareTitles(const DirEntry& a, const DirEntry& b) const override {
        return CompareTitlesAsTheSystem(a, b);
    }

  private:
    FolderWatch m_watch;
};

// The process's real platform, never destroyed.
Platform& ThePlatform();
