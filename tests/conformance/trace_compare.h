// Comparing two probe traces: the messages left out of both, the lines only one has, and which of those the
// accepted-differences file explains.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

// The accepted-differences file, one entry a line, each with its reason after " | ":
//   message <name> | reason   every line of that message (proc or peek) is left out of both traces
//   ours <line> | reason      the line may appear in our layer's trace only
//   wine <line> | reason      the line may appear in Wine's trace only
// Blank lines and lines starting with # are comments.
struct AcceptedDifferences {
    std::set<std::string> messages;
    std::multiset<std::string> ours;
    std::multiset<std::string> wine;
};

// The entries of the file's text, or nullopt with *error naming the first malformed line.
std::optional<AcceptedDifferences> parseAcceptedDifferences(const std::string& text, std::string* error);

std::vector<std::string> splitLines(const std::string& text);

// The trace without the lines of messages the file leaves out.
std::vector<std::string> withoutMessages(const std::vector<std::string>& trace, const std::set<std::string>& messages);

// The lines of each trace that a longest common subsequence of the two leaves over, in trace order.
struct TraceDiff {
    std::vector<std::string> oursOnly;
    std::vector<std::string> wineOnly;
};
TraceDiff diffTraces(const std::vector<std::string>& ours, const std::vector<std::string>& wine);

// The message entries that name a message neither trace has ("stale message: ...").
std::vector<std::string> unusedMessageEntries(const std::vector<std::string>& ours,
                                              const std::vector<std::string>& wine,
                                              const AcceptedDifferences& accepted);

// What the file does not explain: differing lines it does not list ("ours: ..." or "wine: ..."), and entries
// for lines that no longer differ ("stale ours: ..."), so that the file keeps describing what remains.
std::vector<std::string> unexplainedDifferences(const TraceDiff& diff, const AcceptedDifferences& accepted);
