#pragma once
// Whether a series of memory samples, taken once a round at the same state, shows memory that keeps
// growing rather than one that settled after a step or two of the allocator.

#include <cstddef>
#include <vector>

struct MemoryTrend {
    std::vector<long> medians; // of each consecutive segment of the samples, in order
    long rise = 0;             // last median minus first
    bool growing = false;      // every median above the one before, and the rise above the threshold
};

// Splits the samples into segments of equal length (the first ones take any remainder) and compares
// their medians. Fewer samples than segments: no segments and no growth.
MemoryTrend judgeMemoryTrend(const std::vector<long>& samples, size_t segments, long thresholdKilobytes);
