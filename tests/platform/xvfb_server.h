#pragma once
// A private Xvfb for tests that need a real X server.

#include <string>
#include <sys/types.h>

class XvfbServer {
public:
    // Starts Xvfb on the first display number in use by nobody; empty display() when that fails.
    XvfbServer();
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    const std::string& display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};
