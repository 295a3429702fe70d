// The quota pass: keeps the watch folder's .mp4 and .jpg files together at or
// under the published limit by deleting the oldest .mp4 and its .jpg. A limit
// of 0 or below deletes nothing; 0 lists nothing either.
#pragma once

class Platform;
struct SharedState;

inline constexpr double kBytesToMiB = 1.0 / 1048576.0;

void EnforceSizeLimit(Platform& platform, SharedState& state);
