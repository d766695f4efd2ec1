// What a test of a Windows executable under Wine starts from: wine64 and the cached prefix, a scratch directory,
// a private Xvfb and an XTest session on it.
#pragma once

#include <gtest/gtest.h>

#include "wine_program.h"
#include "x_session.h"
#include "xvfb_server.h"

#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

class WineFixture : public ::testing::Test {
protected:
    // Skips the test (or fails it, where windowsTestsRequired()) when exe or Wine is missing; the caller returns
    // when IsSkipped() or HasFatalFailure(). prefixScript is scripts/wine-prefix.sh (see findWine).
    void setUpWine(const std::string& exe, const std::string& prefixScript) {
        if (!std::filesystem::is_regular_file(exe))
            TESSIVAR_SKIP_OR_FAIL("no Windows executable at \"" + exe + "\" (bash scripts/build-windows.sh builds it)");
        const WineLookup lookup = findWine(prefixScript);
        if (!lookup.setup) TESSIVAR_SKIP_OR_FAIL(lookup.missing);
        wine_ = *lookup.setup;

        char pattern[] = "/tmp/tessivar-wine-XXXXXX";
        const char* made = mkdtemp(pattern);
        ASSERT_NE(made, nullptr);
        scratch_ = made;
        server_ = XvfbServer::start();
        ASSERT_TRUE(server_) << "Xvfb did not start";
        x_ = XSession::open(server_->displayName());
        ASSERT_TRUE(x_) << "no XTest connection";
    }

    // After the programs on the server have ended.
    void tearDownWine() {
        x_.reset();
        server_.reset();
        if (!scratch_.empty()) std::filesystem::remove_all(scratch_);
    }

    WineSetup wine_;
    std::string scratch_;
    std::unique_ptr<XvfbServer> server_;
    std::unique_ptr<XSession> x_;
};
