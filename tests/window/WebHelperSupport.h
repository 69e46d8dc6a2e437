#pragma once
// What the tests of pages on the real web helper share: an application that
// starts offline, and a message pump that waits for a condition.

#include <cstdint>
#include <functional>

#include "frame/GameFrameApp.h"
#include "platform/Messages.h"
#include "platform/Sync.h"

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
    const uint32_t start = platform::GetTickCount32();
    for (;;) {
        platform::Message message;
        while (platform::PeekMessage(message, platform::PeekMode::Remove)) {
            platform::DispatchMessage(message);
        }
        if (done()) {
            return true;
        }
        if (platform::GetTickCount32() - start >= ms) {
            return false;
        }
        platform::WaitMessage(20);
    }
}

}  // namespace window_test
