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
#include "frame/TableDataInterface.h"
#include "frame/net/GameConnection.h"
#include "frame/net/GameNotifyHandler.h"
#include "frame/view/GameFrameView.h"
#include "platform/Thread.h"

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
