#pragma once
// The objects the application reaches through its getters and factories:
// the game connection (frame/net/GameConnection.h), the notification
// handler, the table data and the frame view. The game layers derive their own classes from these;
// the application only calls the operations declared here.

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/CorvaneView.h"
#include "engine/EventRecord.h"
#include "frame/net/GameConnection.h"
#include "frame/net/GameNotifyHandler.h"
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

    int32_t GetExitRequestCount() const { return exitRequestCount_; }
    void SetExitRequestCount(int32_t count) { exitRequestCount_ = count; }
    // Tick count (ms) of the last exit request; 0 when none.
    uint32_t GetExitRequestTick() const { return exitRequestTick_; }
    void SetExitRequestTick(uint32_t tick) { exitRequestTick_ = tick; }

private:
    int32_t exitRequestCount_ = 0;
    uint32_t exitRequestTick_ = 0;
};

// The side panel's advert bar, found by its name "AdvertBar": loads its
// page once the game data is ready.
class CAdvertBar {
public:
    virtual ~CAdvertBar() = default;
    virtual void LoadAdvertPage() = 0;
};

// The engine view that fills the main window: the chrome, the table area
// ("MainGame") and the side panel ("SubSystem"), the match panel, the player
// cards and the boxes. The application forwards to it; the game layers
// derive the real view from it.
class CGameFrameView : public CCorvaneView {
public:
    static constexpr char kMainGameName[] = "MainGame";
    static constexpr char kSubSystemName[] = "SubSystem";

    // The children; null while missing.
    virtual CCorvaneView* GetMainGame() = 0;
    virtual CCorvaneView* GetSubSystem() = 0;

    virtual void OnGameDataReady() = 0;
    virtual int GetNormalWidth() = 0;
    virtual int GetNormalHeight() = 0;
    // 1 while the window fits the work area, 0 at its normal size.
    virtual int GetWindowFitMode() = 0;

    virtual void ShowInfoBox(const char* text, const EventRecord* okEvent,
                             const EventRecord* cancelEvent, int seconds, int style,
                             const char* image) = 0;
    virtual void ShowNoticeBox(const char* text, int seconds, int style, const char* image) = 0;
    virtual void ShowNoticeBoxEx(const char* text, const char* detail, int kind, int seconds,
                                 int buttons, int style, const char* okCaption,
                                 const char* cancelCaption) = 0;
    virtual void ShowQuitConfirmBoard() = 0;
    virtual void ShowForceQuitBox() = 0;

    // The user record bytes as the hall sent them (UserRecord::kSize).
    virtual void ForwardLookOnEnter(const uint8_t* userRecord) = 0;
    virtual void FillPlayerDetail(const uint8_t* userRecord) = 0;
    // Whether the player card is shown for this user.
    virtual bool IsPlayerCardShownFor(int32_t userId) = 0;
    virtual void PlacePlayerCardAt(int32_t userId, int x, int y) = 0;
    virtual void OpenCardUserDetail() = 0;
    virtual void ForwardPlayersRenamed(const uint8_t* names, size_t length) = 0;
    virtual void ForwardBaseSilver(const uint8_t* record, size_t length) = 0;
    virtual void ForwardPrizeNotify(const uint8_t* record, size_t length) = 0;

    virtual void OnEnterResult210200() = 0;
    virtual void OnEnterResult210210() = 0;
    virtual void OnEnterResult210220() = 0;
    virtual void OnMatchSignedUp() = 0;
    virtual void ShowNotSignedUp() = 0;
    virtual void ShowWashedOut() = 0;
    virtual void ShowMatchOver() = 0;
    virtual void ShowMatchLate() = 0;
    virtual void ShowMatchAlreadyStarted() = 0;
    virtual void ShowSystemCancel() = 0;
    virtual void ShowSelfCancel() = 0;
    virtual void ShowWaitSignUpCheck() = 0;
    virtual void ShowSystemRejected() = 0;

    // --- What the server's notifications change in the view ---
    // Records travel with their byte count.
    virtual void ShowExitRequestBox(const uint8_t* record, size_t length) = 0;
    virtual void ForwardUserEnterTable(const uint8_t* seatRecord, size_t length) = 0;
    virtual void ForwardUserLeaveTable(const uint8_t* seatRecord, size_t length) = 0;
    virtual void ForwardLookOnLeave(const uint8_t* userRecord, size_t length) = 0;
    virtual void ForwardRandomTable(const uint8_t* record, size_t length) = 0;
    virtual void ForwardChangeTable(const uint8_t* record, size_t length) = 0;
    virtual void ShowEliminationRound() = 0;
    virtual void OnServerNotice211190(const uint8_t* record, size_t length) = 0;
    virtual void OnServerNotice211191(const uint8_t* record, size_t length) = 0;
    virtual void OnMatchBegin(const uint8_t* record, size_t length) = 0;
    virtual void OnRestTables(const uint8_t* record, size_t length) = 0;
    virtual void OnMatchPlayerInfo(const uint8_t* record, size_t length) = 0;
    virtual void OnSignUpSucceeded() = 0;
    virtual void OnWithdrawn() = 0;
    virtual void ShowSystemBoard(const char* text, uint32_t color, int size) = 0;
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
