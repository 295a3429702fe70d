// Sleeping the calling thread.
#pragma once

// Sleeps at least `milliseconds`, whatever signal comes meanwhile. (Not
// std::this_thread::sleep_for: <chrono> holds a character that code page 932,
// the Windows programs' execution character set, lacks.)
void SleepMilliseconds(unsigned milliseconds);
