// Comparing two probe traces.

#include "trace_compare.h"

#include <sstream>

namespace {

std::string trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The message a "proc" or "peek" line records; empty for other lines.
std::string messageOf(const std::string& line) {
    if (line.rfind("proc ", 0) != 0 && line.rfind("peek ", 0) != 0) return "";
    const size_t end = line.find(' ', 5);
    return line.substr(5, end == std::string::npos ? std::string::npos : end - 5);
}

// Takes the listed lines out of `differing` one for one; what is left of `listed` is stale.
void match(const std::vector<std::string>& differing, std::multiset<std::string> listed, const char* side,
           std::vector<std::string>& unexplained) {
    for (const std::string& line : differing) {
        const auto found = listed.find(line);
        if (found != listed.end()) {
            listed.erase(found);
        } else {
            unexplained.push_back(std::string(side) + ": " + line);
        }
    }
    for (const std::string& line : listed) unexplained.push_back(std::string("stale ") + side + ": " + line);
}

} // namespace

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::optional<AcceptedDifferences> parseAcceptedDifferences(const std::string& text, std::string* error) {
    AcceptedDifferences accepted;
    int number = 0;
    for (const std::string& raw : splitLines(text)) {
        ++number;
        const std::string line = trimmed(raw);
        if (line.empty() || line[0] == '#') continue;
        const size_t bar = line.find(" | ");
        const size_t space = line.find(' ');
        const std::string reason = bar == std::string::npos ? "" : trimmed(line.substr(bar + 3));
        if (reason.empty() || space >= bar) {
            if (error) *error = "line " + std::to_string(number) + " has no entry and reason: " + line;
            return std::nullopt;
        }
        const std::string kind = line.substr(0, space);
        const std::string entry = trimmed(line.substr(space + 1, bar - space - 1));
        if (kind == "message") {
            accepted.messages.insert(entry);
        } else if (kind == "ours") {
            accepted.ours.insert(entry);
        } else if (kind == "wine") {
            accepted.wine.insert(entry);
        } else {
            if (error) *error = "line " + std::to_string(number) + " is no message, ours or wine entry: " + line;
            return std::nullopt;
        }
    }
    return accepted;
}

std::vector<std::string> withoutMessages(const std::vector<std::string>& trace, const std::set<std::string>& messages) {
    std::vector<std::string> kept;
    for (const std::string& line : trace) {
        if (!messages.count(messageOf(line))) kept.push_back(line);
    }
    return kept;
}

TraceDiff diffTraces(const std::vector<std::string>& ours, const std::vector<std::string>& wine) {
    // common[i][j]: the longest common subsequence of ours[i..] and wine[j..]. Traces are a few hundred lines.
    const size_t n = ours.size();
    const size_t m = wine.size();
    std::vector<std::vector<unsigned>> common(n + 1, std::vector<unsigned>(m + 1, 0));
    for (size_t i = n; i-- > 0;) {
        for (size_t j = m; j-- > 0;) {
            common[i][j] = ours[i] == wine[j] ? common[i + 1][j + 1] + 1 : std::max(common[i + 1][j], common[i][j + 1]);
        }
    }
    TraceDiff diff;
    size_t i = 0;
    size_t j = 0;
    while (i < n || j < m) {
        if (i < n && j < m && ours[i] == wine[j]) {
            ++i;
            ++j;
        } else if (j == m || (i < n && common[i + 1][j] >= common[i][j + 1])) {
            diff.oursOnly.push_back(ours[i++]);
        } else {
            diff.wineOnly.push_back(wine[j++]);
        }
    }
    return diff;
}

std::vector<std::string> unexplainedDifferences(const TraceDiff& diff, const AcceptedDifferences& accepted) {
    std::vector<std::string> unexplained;
    match(diff.oursOnly, accepted.ours, "ours", unexplained);
    match(diff.wineOnly, accepted.wine, "wine", unexplained);
    return unexplained;
}

std::vector<std::string> unusedMessageEntries(const std::vector<std::string>& ours,
                                              const std::vector<std::string>& wine,
                                              const AcceptedDifferences& accepted) {
    std::set<std::string> seen;
    for (const auto* trace : {&ours, &wine})
        for (const std::string& line : *trace) seen.insert(messageOf(line));
    std::vector<std::string> unused;
    for (const std::string& message : accepted.messages)
        if (!seen.count(message)) unused.push_back("stale message: " + message);
    return unused;
}
