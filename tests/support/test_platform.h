// The real platform with the pauses recorded instead of slept, a clock that
// runs a little ahead (so files made by a test are older than any cycle), and
// a record of every start and deletion. Its folders are watched but never
// claimed.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/platform_port.h"
#include "platform/the_platform.h"

namespace test_support {

class TestPlatform : public SystemPlatform {
  public:
    struct Removal {
        std::string path;
        bool removed;
    };

    // Seconds added to the real clock.
    std::int64_t clockAhead = 2;
    // Changes entries as they are listed (to fix creation times, for one).
    std::function<void(DirEntry&)> adjustEntry;
    // Called after the wait for each converter, with its command line.
    std::function<void(const std::string&)> afterConvert;
    // Called after each probe, with the path probed.
    std::function<void(const std::string&)> afterProbe;
    // False keeps only the counts below, so that a long run holds no growing
    // record of its own.
    bool keepRecords = true;
    std::size_t startCount = 0;
    std::size_t removedCount = 0;
    std::size_t failedRemovalCount = 0;

    void FindEntries(const std::string& pattern,
                     const std::function<void(const DirEntry&)>& visit) override {
        SystemPlatform::FindEntries(pattern, [&](const DirEntry& listed) {
            DirEntry entry = listed;
            if (adjustEntry)
                adjustEntry(entry);
            visit(entry);
        });
    }

    std::optional<DirEntry> LookUpEntry(const std::string& folder,
                                        const std::string& identity) override {
        std::optional<DirEntry> entry = SystemPlatform::LookUpEntry(folder, identity);
        if (entry && adjustEntry)
            adjustEntry(*entry);
        return entry;
    }

    bool RemoveWritableFile(const std::string& path) override {
        const bool removed = SystemPlatform::RemoveWritableFile(path);
        std::lock_guard lock(m_mutex);
        ++(removed ? removedCount : failedRemovalCount);
        if (keepRecords)
            m_removals.push_back({path, removed});
        return removed;
    }

    std::int64_t Now() override { return SystemPlatform::Now() + clockAhead; }

    void SleepMs(unsigned milliseconds) override {
        std::lock_guard lock(m_mutex);
        if (keepRecords)
            m_pauses.push_back(milliseconds);
    }

    // A pause is a sleep, recorded: no change of the folder ends it.
    PauseEnd Pause(unsigned milliseconds, bool untilFolderChange) override {
        return Platform::Pause(milliseconds, untilFolderChange);
    }

    // The folders of tests run unguarded, as where no lock can be had.
    FolderClaim ClaimFolder(const std::string& folder) override {
        return Platform::ClaimFolder(folder);
    }

    RecordingProbe ProbeRecording(const std::string& path) override {
        RecordingProbe probe = SystemPlatform::ProbeRecording(path);
        if (afterProbe)
            afterProbe(path);
        return probe;
    }

    ConverterStart StartHidden(const std::string& program, const std::string& title,
                               const ConverterEnvironment& environment,
                               const OpenedRecording* recording) override {
        const std::string commandLine = program + " " + title;
        {
            std::lock_guard lock(m_mutex);
            ++startCount;
            if (keepRecords)
                m_starts.push_back(commandLine);
        }
        ConverterStart start = SystemPlatform::StartHidden(program, title, environment, recording);
        if (start.process)
            start.process =
                std::make_unique<Watched>(std::move(start.process), commandLine, afterConvert);
        return start;
    }

    // Gives each listed name a creation time from the table (others keep
    // theirs), so that tests order files without waiting for the clock.
    void FixCreationTimes(std::map<std::string, std::int64_t> times) {
        adjustEntry = [times = std::move(times)](DirEntry& entry) {
            const auto it = times.find(entry.name);
            if (it != times.end())
                entry.creationTime = it->second;
        };
    }

    std::vector<std::string> Starts() const {
        std::lock_guard lock(m_mutex);
        return m_starts;
    }
    std::vector<unsigned> Pauses() const {
        std::lock_guard lock(m_mutex);
        return m_pauses;
    }
    std::vector<Removal> Removals() const {
        std::lock_guard lock(m_mutex);
        return m_removals;
    }
    void Forget() {
        std::lock_guard lock(m_mutex);
        m_starts.clear();
        m_pauses.clear();
        m_removals.clear();
    }

  private:
    class Watched : public ConverterProcess {
      public:
        Watched(std::unique_ptr<ConverterProcess> inner, std::string commandLine,
                std::function<void(const std::string&)> after)
            : m_inner(std::move(inner)), m_commandLine(std::move(commandLine)),
              m_after(std::move(after)) {}
        void Wait() override {
            m_inner->Wait();
            if (m_after)
                m_after(m_commandLine);
        }

      private:
        std::unique_ptr<ConverterProcess> m_inner;
        std::string m_commandLine;
        std::function<void(const std::string&)> m_after;
    };

    mutable std::mutex m_mutex;
    std::vector<std::string> m_starts;
    std::vector<unsigned> m_pauses;
    std::vector<Removal> m_removals;
};

} // namespace test_support
