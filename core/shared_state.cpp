#include "core/shared_state.h"

#include <utility>

std::string SharedString::Get() const {
    std::lock_guard lock(m_mutex);
    return m_value;
}

void SharedString::Set(std::string value) {
    {
        std::lock_guard lock(m_mutex);
        m_value = std::move(value);
        ++m_version;
    }
    m_changed.notify_all();
}

std::uint64_t SharedString::Version() const {
    std::lock_guard lock(m_mutex);
    return m_version;
}

std::uint64_t SharedString::WaitForChange(std::uint64_t seen,
                                          const std::function<bool()>& stop) const {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_version != seen || stop(); });
    return m_version;
}

void SharedString::Wake() {
    // Taking the lock orders the waker's change to `stop` before the waiter's
    // next look at it.
    { std::lock_guard lock(m_mutex); }
    m_changed.notify_all();
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
