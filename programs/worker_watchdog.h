// Whether the worker still answers, for the service watchdog: it began a
// cycle lately, or it waits for a converter. A converter may run for hours;
// that never counts as a hang. An idle cycle lasts about 11 s.
#pragma once

#include <chrono>
#include <cstdint>

class WorkerWatchdog {
  public:
    using Clock = std::chrono::steady_clock;

    // A worker that has begun no cycle for `limit`, and waits for no
    // converter, no longer answers.
    WorkerWatchdog(std::chrono::microseconds limit, Clock::time_point now);

    // `cycles`: the worker's count of cycles begun; `converting`: whether it
    // waits for a converter now.
    bool Answers(std::uint32_t cycles, bool converting, Clock::time_point now);

  private:
    std::chrono::microseconds m_limit;
    std::uint32_t m_cycles = 0;
    Clock::time_point m_lastSign;
};
