// The meeting point of the UI thread and the worker: the settings as last
// published, the status text, the converting flag and the tray frame.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

// A string that one thread replaces whole while another reads it whole.
// Readers may also wait until it changes.
class SharedString {
  public:
    std::string Get() const;
    void Set(std::string value);

    // Number of Set calls so far; it grows by one with every Set.
    std::uint64_t Version() const;

    // Waits until the version differs from `seen` or `stop` holds, then
    // returns the current version. Whoever makes `stop` true calls Wake().
    std::uint64_t WaitForChange(std::uint64_t seen, const std::function<bool()>& stop) const;
    void Wake();

  private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::string m_value;
    std::uint64_t m_version = 0;
};

// The process-wide variables, grouped so that tests can make their own set.
struct SharedState {
    SharedString g_strStatus;   // written by the worker
    SharedString g_strProgram;  // written by the UI thread
    SharedString g_strWatchDir; // written by the UI thread; empty or ends in a separator
    std::atomic<std::int32_t> g_nLimitMB{0};    // published unsigned, read signed
    std::atomic<std::int32_t> g_bConverting{0}; // 1 while the worker waits for a converter
    std::atomic<std::int32_t> g_nAnimFrame{0};  // tray animation frame, 0 to 2
};

// The process's one SharedState. It is never destroyed: the worker may still
// read it while the process ends.
SharedState& TheSharedState();

// Copies the settings into the shared state for the worker. The folder must
// already be normalised; the limit is stored bit for bit.
void PublishSettings(SharedState& state, const std::string& watchDir, const std::string& program,
                     std::uint32_t limitMB);
