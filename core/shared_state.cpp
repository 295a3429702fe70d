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

void SharedWakeup::Install(std::function<void()> wake) {
    std::lock_guard lock(m_mutex);
    m_wake = std::move(wake);
}

void SharedWakeup::Fire() {
    std::lock_guard lock(m_mutex);
    if (m_wake)
        m_wake();
}

SettingsRecord SharedSettings::Get() const {
    std::lock_guard lock(m_mutex);
    return m_settings;
}

bool SharedSettings::Set(SettingsRecord settings) {
    std::lock_guard lock(m_mutex);
    if (settings == m_settings)
        return false;
    m_settings = std::move(settings);
    return true;
}

void PublishSettings(SharedState& state, const SettingsRecord& settings) {
    if (state.g_settings.Set(settings))
        state.g_settingsChanged.Fire();
}
