#include "core/shared_state.h"

#include <utility>

std::string SharedString::Get() const {
    std::lock_guard lock(m_mutex);
    return m_value;
}

void SharedString::Set(std::string value) {
    std::unique_lock lock(m_mutex);
    m_value = std::move(value);
    if (!m_listener)
        return;
    const std::string copy = m_value;
    lock.unlock();
    m_listener(copy);
}

void SharedString::SetListener(std::function<void(const std::string&)> listener) {
    std::lock_guard lock(m_mutex);
    m_listener = std::move(listener);
}

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

void PublishSettings(SharedState& state, const std::string& watchDir, const std::string& program,
                     std::uint32_t limitMB) {
    state.g_strWatchDir.Set(watchDir);
    state.g_strProgram.Set(program);
    state.g_nLimitMB = static_cast<std::int32_t>(limitMB);
}
