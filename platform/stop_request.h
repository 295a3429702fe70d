#pragma once

#include <functional>

// Routes the system's requests to end the program (SIGINT and SIGTERM, or a
// console's Ctrl+C and close) to `onStop`, called on a thread of its own.
// Call it before starting other threads. False when that is not possible.
bool WatchForStopRequest(std::function<void()> onStop);
