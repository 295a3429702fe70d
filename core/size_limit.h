// The quota pass: keeps the watch folder's .mp4 and .jpg files together at or
// under the published limit by deleting the oldest .mp4 and its .jpg. A limit
// of 0 or below deletes nothing; 0 lists nothing either. It deletes only
// while deleting can bring the folder under the limit: when the bytes that
// it may never delete are over the limit alone, it deletes nothing.
#pragma once

class Platform;
struct SharedState;

inline constexpr double kBytesToMiB = 1.0 / 1048576.0;

enum class QuotaResult {
    Done,            // within the limit, or as near as deleting can bring it
    LimitOutOfReach, // what may never be deleted is over the limit alone
};

QuotaResult EnforceSizeLimit(Platform& platform, SharedState& state);
