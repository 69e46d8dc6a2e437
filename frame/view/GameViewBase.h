#pragma once
// The base of the game's table view, the frame view's "MainGame" child: the
// frame-level duties every game shares. It makes the replay bar, runs the
// idle-kick timer of rooms that send away players who do not start, asks
// for the room's silver check before a hand, claims the welfare allowance
// and the silver reward behind the wait text, and takes the server notices
// the notification handler forwards to it as engine events.
//
// Rules:
//  - At most one idle-kick timer runs; it starts only in a room with flags
//    64 and 128 and for a positive time, and ends in event 80000103.
//  - The replay bar is held by its id and looked up with a kind check.
//  - The requests run only while an application object exists.
//  - Every event is answered 1 and none is passed to the engine view.
//  - The mahjong table view derives from it and keeps the virtual order.

#include <cstddef>
#include <cstdint>

#include "engine/CorvaneView.h"
#include "frame/GameFrameSeams.h"

class CCorvaneEventQueue;
class CReplayBarSeam;

inline constexpr int kEventTableNotice = 80000063;
inline constexpr int kEventUserState = 80000064;
inline constexpr int kEventLotteryProgress = 80000066;
inline constexpr int kEventTaskRewardFail = 80000071;
inline constexpr int kEventIdleKicked = 80000103;

class CGameViewBase : public CCorvaneView, public CIdleKickWatch {
public:
    static constexpr int kReplayLimitMs = 5000;
    static constexpr double kReplayBarDepth = 10000.0;
    // Where the enter reply keeps the idle-kick seconds (word 14).
    static constexpr size_t kIdleKickWordOffset = 56;

    CGameViewBase() = default;
    ~CGameViewBase() override = default;

    int OnEvent(const EventRecord& record) override;

    virtual void OnGameViewHook1() {}
    virtual void CreateReplayBar();
    virtual void OnGameViewHook2() {}
    virtual void ClearTable() {}
    virtual void OnGameStart() {}
    virtual void LoadIdleKickTime();
    virtual void StartIdleKick();
    void CancelIdleKick() override;
    virtual void RequestRoomSilverCheck();
    virtual void RequestWelfareConfig(int32_t activityId);
    virtual void ClaimWelfare(int32_t activityId, int32_t kind);
    virtual void ClaimWelfareReward(int32_t activityId, int32_t kind);
    virtual void ClaimSilverReward();
    // The server notices; the record and its byte count as the event
    // carries them.
    virtual void OnTableNoticeHook(const uint8_t* /*record*/, size_t /*length*/) {}
    virtual void OnUserStateHook(const uint8_t* /*record*/, size_t /*length*/) {}
    virtual void OnLotteryProgressHook(const uint8_t* /*record*/, size_t /*length*/) {}
    virtual void OnLotteryProgress2Hook(const uint8_t* /*record*/, size_t /*length*/) {}
    virtual void OnLotteryResultHook(const uint8_t* /*record*/, size_t /*length*/) {}
    virtual void OnLotteryBroadcastHook(const uint8_t* /*record*/, size_t /*length*/) {}
    virtual void OnSystemNoticeHook(const uint8_t* /*record*/, size_t /*length*/) {}
    virtual void OnTaskRewardFailHook(const uint8_t* /*record*/, size_t /*length*/) {}

    // The notice record a frame event carries: param1 its bytes, param2
    // their count (0 when negative).
    static const uint8_t* EventRecordBytes(const EventRecord& record) {
        return EventParamPointer<const uint8_t>(record.param1);
    }
    static size_t EventRecordLength(const EventRecord& record) {
        return record.param2 > 0 ? static_cast<size_t>(record.param2) : 0;
    }

    // The replay bar, or null when none was made (or it is gone).
    CReplayBarSeam* GetReplayBar();
    int32_t GetIdleKickSeconds() const { return idleKickSeconds_; }
    bool IsIdleKickRunning() const { return idleKickAction_ != 0; }
    // The delay the idle kick asks of the engine for the seconds: at most
    // what DelayAction takes.
    static uint32_t IdleKickDelayMs(int32_t seconds);

private:
    static bool InIdleKickRoom();

    int repBarId_ = 0;
    uint64_t idleKickAction_ = 0;
    int32_t idleKickSeconds_ = -1;
};

// The application's table data, frame view and the frame view's event
// queue (null outside match mode); each null without an application.
CGameTableData* GetTableData();
CGameFrameView* GetFrameView();
CCorvaneEventQueue* GetFrameEventQueue();
