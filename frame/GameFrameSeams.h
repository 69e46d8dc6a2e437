#pragma once
// The objects the application reaches through its getters and factories:
// the game connection (frame/net/GameConnection.h), the notification
// handler, the table data and the frame view (frame/view/GameFrameView.h). The game layers derive
// their own classes from these; the application only calls the operations declared here.

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/CorvaneView.h"
#include "engine/EventRecord.h"
#include "frame/net/GameConnection.h"
#include "frame/net/GameNotifyHandler.h"
#include "frame/view/GameFrameView.h"
#include "platform/Thread.h"

// The root of the game's table data: the exit-request bookkeeping that the
// frame reads and writes.
class CGameTableData {
public:
    virtual ~CGameTableData() = default;

    // Sets the exit-request count and time to 0.
    virtual void Reset() {
        exitRequestCount_ = 0;
        exitRequestTick_ = 0;
    }

    // The table's current base silver; the game's table data knows it, the
    // frame's knows none (0).
    virtual int32_t GetBaseSilver() const { return 0; }

    int32_t GetExitRequestCount() const { return exitRequestCount_; }
    void SetExitRequestCount(int32_t count) { exitRequestCount_ = count; }
    // Tick count (ms) of the last exit request; 0 when none.
    uint32_t GetExitRequestTick() const { return exitRequestTick_; }
    void SetExitRequestTick(uint32_t tick) { exitRequestTick_ = tick; }

private:
    int32_t exitRequestCount_ = 0;
    uint32_t exitRequestTick_ = 0;
};

// The game view's idle kick, as the connection reaches it: a passed silver
// check cancels it. The game view base implements it; the connection finds
// it on the application's game view.
class CIdleKickWatch {
public:
    virtual ~CIdleKickWatch() = default;
    virtual void CancelIdleKick() = 0;
    // Reads the idle-kick time from the enter reply; the frame view asks for
    // it when the enter request succeeded.
    virtual void LoadIdleKickTime() {}
};
