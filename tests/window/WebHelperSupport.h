#pragma once
// What the tests of pages on the real web helper share: an application that
// starts offline, and a message pump that waits for a condition.

#include <cstdint>
#include <functional>

#include "frame/GameFrameApp.h"
#include "tests/window/XServer.h"

namespace window_test {

inline constexpr uint32_t kPageWaitMs = 20000;

class OfflineApp : public CGameFrameApp {
public:
    OfflineApp() : CGameFrameApp("pvbn", 21265, 13, 1) {}
    int GetPlayerCount() override { return 4; }
    using CGameFrameApp::ExitInstance;
    using CGameFrameApp::InitInstance;
    using CGameFrameApp::SetLaunchFields;
};

// Runs the thread's messages until done() holds; false after ms.
inline bool PumpUntil(const std::function<bool()>& done, uint32_t ms = kPageWaitMs) {
    return PumpMessagesUntil(done, ms);
}

}  // namespace window_test
