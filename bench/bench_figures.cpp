// Process counters, spreads and table cells of the translucency benchmark.

#include "bench_figures.h"

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

// Positions after the command name's closing parenthesis: field 3 (state) is index 0.
constexpr size_t kMinorFaultsIndex = 10 - 3;
constexpr size_t kUserTimeIndex = 14 - 3;
constexpr size_t kSystemTimeIndex = 15 - 3;

std::string padded(const std::string& text, size_t width) {
    return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

bool isCount(const std::string& field) {
    return !field.empty() && std::all_of(field.begin(), field.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

std::optional<ProcCounters> parseProcStat(const std::string& text) {
    const size_t open = text.find('(');
    const size_t close = text.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open) return std::nullopt;
    std::istringstream rest(text.substr(close + 1));
    const std::vector<std::string> fields{std::istream_iterator<std::string>(rest), {}};
    if (fields.size() <= kSystemTimeIndex) return std::nullopt;
    for (size_t i : {kMinorFaultsIndex, kUserTimeIndex, kSystemTimeIndex})
        if (!isCount(fields[i])) return std::nullopt;
    ProcCounters counters;
    counters.minorFaults = std::stoll(fields[kMinorFaultsIndex]);
    counters.userTicks = std::stoll(fields[kUserTimeIndex]);
    counters.systemTicks = std::stoll(fields[kSystemTimeIndex]);
    return counters;
}

std::optional<ProcCounters> readProcCounters(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    if (!file || !std::getline(file, text)) return std::nullopt;
    return parseProcStat(text);
}

double cpuSecondsBetween(const ProcCounters& before, const ProcCounters& after, long ticksPerSecond) {
    const long long ticks = (after.userTicks + after.systemTicks) - (before.userTicks + before.systemTicks);
    return ticksPerSecond > 0 ? static_cast<double>(ticks) / static_cast<double>(ticksPerSecond) : 0.0;
}

std::optional<Spread> spreadOf(std::vector<double> values) {
    if (values.empty()) return std::nullopt;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
    return Spread{median, values.front(), values.back()};
}

std::string formatSpread(const std::optional<Spread>& spread, int decimals) {
    if (!spread) return "n/a";
    char text[96];
    std::snprintf(text, sizeof text, "%.*f (%.*f..%.*f)", decimals, spread->median, decimals, spread->min, decimals,
                  spread->max);
    return text;
}

std::string formatRatio(const std::optional<Spread>& ours, const std::optional<Spread>& plain) {
    if (!ours || !plain || plain->median == 0.0) return "n/a";
    char text[32];
    std::snprintf(text, sizeof text, "%.2fx", ours->median / plain->median);
    return text;
}

std::string tableRow(const std::string& metric, const std::string& ours, const std::string& plain,
                     const std::string& ratio) {
    return padded(metric, 44) + " | " + padded(ours, 24) + " | " + padded(plain, 24) + " | " + ratio;
}

std::optional<double> figureAfterLabel(const std::string& output, const std::string& label) {
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.compare(0, label.size(), label) != 0 || line.size() <= label.size() || line[label.size()] != ':')
            continue;
        const char* start = line.c_str() + label.size() + 1;
        char* end = nullptr;
        const double value = std::strtod(start, &end);
        if (end != start) return value;
    }
    return std::nullopt;
}
