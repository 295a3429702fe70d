#include "programs/worker_watchdog.h"

WorkerWatchdog::WorkerWatchdog(std::chrono::microseconds limit, Clock::time_point now)
    : m_limit(limit), m_lastSign(now) {}

bool WorkerWatchdog::Answers(std::uint32_t cycles, bool converting, Clock::time_point now) {
    if (cycles != m_cycles || converting) {
        m_cycles = cycles;
        m_lastSign = now;
    }
    return now - m_lastSign < m_limit;
}
