// The least work that answers what a search of the watch folder answers: one
// readdir pass, and one statx for each entry whose name ends in one of the
// wanted extensions. The figures of the engine are reported against it.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

struct FloorResult {
    std::uint64_t matches = 0;
    std::int64_t oldest = INT64_MAX; // smallest birth second
    double totalBytes = 0.0;
};

// `extensions` are like ".flv"; ASCII case is ignored.
FloorResult FloorScan(const std::string& folder, std::initializer_list<const char*> extensions);
