#include "core/shared_state.h"

#include <utility>

void SharedQueue::Push(std::string text) {
    std::lock_guard lock(m_mutex);
    if (m_texts.size() < kRoom)
        m_texts.push_back(std::move(text));
}

std::vector<std::string> SharedQueue::TakeAll() {
    std::lock_guard lock(m_mutex);
    return std::exchange(m_texts, {});
}

SharedState& TheSharedState() {
    static SharedState* const state = new SharedState;
    return *state;
}

void SharedWakeup::Install(std::function<void()> wake) {
    std::lock_guard lock(m_mutex);
    m_wake = std::move(wake);
}

void SharedWakeup::Fire() {
    std::lock_guard lock(m_mutex);
    if (m_wake)
        m_wake();
}

void PublishSettings(SharedState& state, const SettingsRecord& settings) {
    // The UI thread is the only writer: nothing changes the record between
    // the look and the write.
    const bool changed = !(state.g_settings.Get() == settings);
    state.g_settings.Set(settings);
    if (changed)
        state.g_settingsChanged.Fire();
}
