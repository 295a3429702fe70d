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

void PublishSettings(SharedState& state, const std::string& watchDir, const std::string& program,
                     std::uint32_t limitMB) {
    const auto limit = static_cast<std::int32_t>(limitMB);
    const bool changed = state.g_strWatchDir.Get() != watchDir ||
                         state.g_strProgram.Get() != program || state.g_nLimitMB != limit;
    state.g_strWatchDir.Set(watchDir);
    state.g_strProgram.Set(program);
    state.g_nLimitMB = limit;
    if (changed)
        state.g_settingsChanged.Fire();
}
