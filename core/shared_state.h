// The meeting point of the UI thread and the worker: the settings as last
// published, the status, the converting flag and the tray frame.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "core/settings_record.h"
#include "core/status.h"

// A value that one thread replaces whole while another reads it whole.
template <typename T> class SharedValue {
  public:
    T Get() const {
        std::lock_guard lock(m_mutex);
        return m_value;
    }

    void Set(T value) {
        std::unique_lock lock(m_mutex);
        m_value = std::move(value);
        if (!m_listener)
            return;
        const T copy = m_value;
        lock.unlock();
        m_listener(copy);
    }

    // Called on the writing thread after every Set, in the order of the
    // writes. Install it before the writing thread starts.
    void SetListener(std::function<void(const T&)> listener) {
        std::lock_guard lock(m_mutex);
        m_listener = std::move(listener);
    }

  private:
    mutable std::mutex m_mutex;
    T m_value{};
    std::function<void(const T&)> m_listener;
};

using SharedString = SharedValue<std::string>;

// Texts that one thread hands to another, taken in the order given. It
// holds at most kRoom texts; more are dropped, so that a reader that never
// comes (the headless program) costs nothing.
class SharedQueue {
  public:
    static constexpr std::size_t kRoom = 16;
    void Push(std::string text);
    std::vector<std::string> TakeAll();

  private:
    std::mutex m_mutex;
    std::vector<std::string> m_texts;
};

// Lets one thread end another's wait: the waiting side installs how.
class SharedWakeup {
  public:
    void Install(std::function<void()> wake);
    void Fire();

  private:
    std::mutex m_mutex;
    std::function<void()> m_wake;
};

// The process-wide variables, grouped so that tests can make their own set.
struct SharedState {
    SharedValue<Status> g_strStatus;            // written by the worker
    SharedValue<SettingsRecord> g_settings;     // written by the UI thread
    std::atomic<std::int32_t> g_bConverting{0}; // 1 while the worker waits for a converter
    std::atomic<std::int32_t> g_nAnimFrame{0};  // tray animation frame, 0 to 2
    std::atomic<std::uint32_t> g_nCycles{0};    // counted by the worker as each cycle begins
    SharedQueue g_failedTitles;     // titles of files that failed, for the tray to announce
    SharedWakeup g_settingsChanged; // fired when a publication changes a setting
};

// The process's one SharedState. It is never destroyed: the worker may still
// read it while the process ends.
SharedState& TheSharedState();

// Copies the settings into the shared state for the worker, and wakes it
// when one of them changed. The folder must already be normalised.
void PublishSettings(SharedState& state, const SettingsRecord& settings);
