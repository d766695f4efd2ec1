// A private Xvfb on a display number of its own choosing, stopped when the handle goes.
#pragma once

#include "child_process.h"

#include <X11/Xlib.h>

#include <memory>
#include <string>
#include <vector>

class XvfbServer {
public:
    // Starts Xvfb with a 1024x768x24 screen plus extraArguments and returns once it accepts connections;
    // nullptr if it does not start.
    static std::unique_ptr<XvfbServer> start(const std::vector<std::string>& extraArguments = {});

    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    const std::string& displayName() const { return displayName_; }

private:
    XvfbServer(std::unique_ptr<ChildProcess> process, std::string displayName, Display* keeper)
        : process_(std::move(process)), displayName_(std::move(displayName)), keeper_(keeper) {}

    std::unique_ptr<ChildProcess> process_;
    std::string displayName_;
    // NOTE: Xvfb resets itself whenever its last client disconnects and refuses connections meanwhile;
    // this connection stays open so that never happens while a test runs.
    Display* keeper_;
};
