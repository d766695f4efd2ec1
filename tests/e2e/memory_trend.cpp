// Segment medians: one sample caught mid-step, or one step of the heap's high-water mark, moves at
// most one segment's median and never all of them.

#include "memory_trend.h"

#include <algorithm>

namespace {

long median(std::vector<long> values) {
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

} // namespace

MemoryTrend judgeMemoryTrend(const std::vector<long>& samples, size_t segments, long thresholdKilobytes) {
    MemoryTrend trend;
    if (segments == 0 || samples.size() < segments) return trend;
    const size_t length = samples.size() / segments;
    size_t remainder = samples.size() % segments;
    auto from = samples.begin();
    for (size_t i = 0; i < segments; ++i) {
        const auto to = from + static_cast<std::ptrdiff_t>(length + (remainder > 0 ? 1 : 0));
        if (remainder > 0) --remainder;
        trend.medians.push_back(median(std::vector<long>(from, to)));
        from = to;
    }
    trend.rise = trend.medians.back() - trend.medians.front();
    trend.growing = trend.rise > thresholdKilobytes;
    for (size_t i = 1; i < trend.medians.size(); ++i)
        if (trend.medians[i] <= trend.medians[i - 1]) trend.growing = false;
    return trend;
}
