// A private Xvfb on a free display number, stopped when the handle goes.
#pragma once

#include "child_process.h"

#include <memory>
#include <string>
#include <vector>

class XvfbServer {
public:
    // Starts Xvfb with a 1024x768x24 screen plus extraArguments and waits until it accepts connections.
    static std::unique_ptr<XvfbServer> start(const std::vector<std::string>& extraArguments = {});

    const std::string& displayName() const { return displayName_; }

private:
    XvfbServer(std::unique_ptr<ChildProcess> process, std::string displayName)
        : process_(std::move(process)), displayName_(std::move(displayName)) {}

    std::unique_ptr<ChildProcess> process_;
    std::string displayName_;
};

// The lowest display number from first on with neither a socket nor a lock file in /tmp; -1 if none.
int freeDisplayNumber(int first);
