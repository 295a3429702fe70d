#pragma once

#include <functional>

// Routes the system's requests to end the program (SIGINT and SIGTERM, or a
// console's Ctrl+C and close) to `onStop`, called on a thread of its own, for
// every request for the life of the process: `onStop` and what it uses must
// never be destroyed. Call it before starting other threads. False when that
// is not possible; the requests then act as the system's defaults.
bool WatchForStopRequest(std::function<void()> onStop);
