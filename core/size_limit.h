// The quota pass: keeps the watch folder's .mp4 and .jpg files together at or
// under the published limit by deleting the oldest .mp4 and its .jpg.
#pragma once

class Platform;
struct SharedState;

inline constexpr double kBytesToMiB = 1.0 / 1048576.0;

void EnforceSizeLimit(Platform& platform, SharedState& state);
