#include "programs/worker_watchdog.h"

WorkerWatchdog::WorkerWatchdog(std::int64_t limitMs, std::int64_t nowMs)
    : m_limitMs(limitMs), m_lastSignMs(nowMs) {}

bool WorkerWatchdog::Answers(std::uint32_t cycles, bool converting, std::int64_t nowMs) {
    if (cycles != m_cycles || converting) {
        m_cycles = cycles;
        m_lastSignMs = nowMs;
    }
    return nowMs - m_lastSignMs < m_limitMs;
}
