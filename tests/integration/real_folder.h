// Helpers for tests on real folders and processes.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/platform.h"

namespace testing_support {

// A fresh folder under the test temp directory, removed at the end.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    // The folder as the worker sees it: with its trailing separator.
    std::string Prefix() const { return m_path.string() + "/"; }
    void Touch(const std::string& name, std::size_t size = 0) const;

  private:
    std::filesystem::path m_path;
};

// Waits until the clock has moved past the second in which it was called, so
// that files created before count as older than a new cycle.
void WaitForNextSecond();

// Polls `done` every 10 ms for up to `limit`.
bool WaitFor(const std::function<bool()>& done,
             std::chrono::milliseconds limit = std::chrono::seconds(30));

// The program setting that makes this test executable act as a converter:
// it logs its arguments, and removes <folder>/<title>.flv when `removeIn` is
// given.
std::string RecordingConverter(const std::string& log, const std::string& removeIn = "");

struct ConverterRun {
    std::vector<std::string> args; // after the helper's own
    std::string stdinTarget;       // what descriptor 0 is
    bool ownSession = false;
    std::vector<int> extraFds; // open descriptors above 2
};
std::vector<ConverterRun> ReadConverterLog(const std::string& log);

// Entry point of the converter mode; returns the exit code.
int RunAsConverter(int argc, char** argv);

// The real platform with pauses recorded instead of slept.
class NoSleepPlatform : public Platform {
  public:
    void FindEntries(const std::string& pattern,
                     const std::function<void(const DirEntry&)>& visit) override {
        ThePlatform().FindEntries(pattern, visit);
    }
    bool RemoveFile(const std::string& path) override { return ThePlatform().RemoveFile(path); }
    std::int64_t Now() override { return ThePlatform().Now(); }
    void SleepMs(unsigned milliseconds) override { sleeps.push_back(milliseconds); }
    WriteState ProbeWriting(const std::string& path) override {
        return ThePlatform().ProbeWriting(path);
    }
    std::unique_ptr<ConverterProcess>
    StartHidden(const std::string& commandLine, const ConverterEnvironment& environment) override {
        return ThePlatform().StartHidden(commandLine, environment);
    }

    std::vector<unsigned> sleeps;
};

} // namespace testing_support
