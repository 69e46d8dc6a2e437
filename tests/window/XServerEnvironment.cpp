// The X server of a window test program: started once before its tests, in
// the program's own process, and ended after them. SDL opens this process's
// windows on it; the tests skip when it cannot start.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "tests/window/XServer.h"

// A test program may ask for a larger screen (its windows are the size of
// the screen they were made for).
#ifndef PVBN_TEST_SCREEN_WIDTH
#define PVBN_TEST_SCREEN_WIDTH 800
#endif
#ifndef PVBN_TEST_SCREEN_HEIGHT
#define PVBN_TEST_SCREEN_HEIGHT 600
#endif

namespace {

using window_test::XServer;

XServer* g_server = nullptr;
std::string g_serverError;

class XServerEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        server_ = std::make_unique<XServer>();
        if (!server_->Start(PVBN_TEST_SCREEN_WIDTH, PVBN_TEST_SCREEN_HEIGHT)) {
            g_serverError = server_->Error();
            server_.reset();
            return;
        }
        g_server = server_.get();
        // This process only: SDL opens its windows on the test's server.
        ::setenv("DISPLAY", server_->DisplayName().c_str(), 1);
        ::setenv("SDL_VIDEODRIVER", "x11", 1);
        ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    }
    void TearDown() override {
        g_server = nullptr;
        server_.reset();  // ends Xvfb by its process id
    }

private:
    std::unique_ptr<XServer> server_;
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new XServerEnvironment);

}  // namespace

namespace window_test {

const XServer* RunningXServer(std::string& error) {
    error = g_serverError;
    return g_server;
}

}  // namespace window_test
