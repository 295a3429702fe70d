// Sleeping the calling thread.
#pragma once

// Platform::SleepMs: nanosleep again for what a signal left (POSIX), Sleep
// (Windows). Not std::this_thread::sleep_for: <chrono> holds a character
// that code page 932, the Windows programs' execution character set, lacks.
void SleepMilliseconds(unsigned milliseconds);
