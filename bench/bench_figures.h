#pragma once
// The figures of the translucency benchmark: process counters from /proc, spreads over rounds and
// the printed table. Pure except readProcCounters, for tests.

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

// CPU time and minor page faults of a whole process (all its threads), as /proc/<pid>/stat has them.
struct ProcCounters {
    long long minorFaults = 0;
    long long userTicks = 0;
    long long systemTicks = 0;
};

// The text of /proc/<pid>/stat; nullopt when it is not that. The command name may hold spaces and
// parentheses, so the fields are counted from its last closing parenthesis.
std::optional<ProcCounters> parseProcStat(const std::string& text);
std::optional<ProcCounters> readProcCounters(pid_t pid);
// CPU seconds between two readings, at the kernel's clock-tick rate.
double cpuSecondsBetween(const ProcCounters& before, const ProcCounters& after, long ticksPerSecond);

// Median and range of the rounds' values of one figure.
struct Spread {
    double median = 0;
    double min = 0;
    double max = 0;
};
// nullopt without values; the median of an even count is the mean of the middle two.
std::optional<Spread> spreadOf(std::vector<double> values);

// "412.3 (401.0..420.2)" with the given decimals; "n/a" without a spread.
std::string formatSpread(const std::optional<Spread>& spread, int decimals);
// ours / plain of the medians as "1.23x"; "n/a" when either is missing or plain's median is 0.
std::string formatRatio(const std::optional<Spread>& ours, const std::optional<Spread>& plain);

// One line of the table: metric | ours | plain | ratio, padded to fixed columns.
std::string tableRow(const std::string& metric, const std::string& ours, const std::string& plain,
                     const std::string& ratio);

// The number after "label:" on the line of program output that starts with label; nullopt if no
// such line or no number there. Reads color_key_bench's "<what>: 1.234 ms/frame" lines.
std::optional<double> figureAfterLabel(const std::string& output, const std::string& label);
