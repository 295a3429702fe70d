// Whether the worker still answers, for the service watchdog: it began a
// cycle lately, or it waits for a converter. A converter may run for hours;
// that never counts as a hang. An idle cycle lasts about 11 s.
#pragma once

#include <cstdint>

class WorkerWatchdog {
  public:
    // A worker that has begun no cycle for `limitMs`, and waits for no
    // converter, no longer answers. Times are milliseconds of a clock that
    // never goes back.
    WorkerWatchdog(std::int64_t limitMs, std::int64_t nowMs);

    // `cycles`: the worker's count of cycles begun; `converting`: whether it
    // waits for a converter now.
    bool Answers(std::uint32_t cycles, bool converting, std::int64_t nowMs);

  private:
    std::int64_t m_limitMs;
    std::uint32_t m_cycles = 0;
    std::int64_t m_lastSignMs;
};
