// The conversion worker: finds the oldest .flv in the watch folder, runs the
// quota pass, then converts that file or idles.
#pragma once

#include <string>

class Platform;
struct SharedState;

inline constexpr unsigned kIdlePauseMs = 10000;
inline constexpr const char* kIdleStatus = "待機中";

std::string ConvertingStatus(const std::string& title, int entryCount);
std::string StartFailedStatus(const std::string& program);

class ConvertWorker {
  public:
    ConvertWorker(Platform& platform, SharedState& state) : m_platform(platform), m_state(state) {}

    // One cycle: search, quota pass, then one converter run or one pause.
    void RunCycle();

    // Cycles for as long as the process lives.
    [[noreturn]] void Run();

  private:
    void Pause(std::string status);

    Platform& m_platform;
    SharedState& m_state;
    // The title converted by the previous cycle; empty after any other cycle.
    std::string m_lastConverted;
};
