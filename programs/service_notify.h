// What kovalin-headless tells systemd when it runs as a unit of
// Type=notify: that it is ready, its status line as it changes, that it
// stops, and that its worker still answers (the watchdog). Built without
// libsystemd (Windows, other systems), or run outside such a unit, each call
// does nothing.
#pragma once

#include <cstdint>
#include <string>

namespace service {

// READY=1 with the first status line.
void Ready(const std::string& status);
// The status line as `systemctl status` shows it: one line.
void Status(const std::string& status);
void Stopping();
// One sign of life for the watchdog.
void Alive();
// The watchdog's time limit that the unit sets (WatchdogSec=), in
// milliseconds; zero when there is none.
std::int64_t WatchdogLimitMs();

} // namespace service
