#pragma once
// The client's top-level window, on the engine window: it takes everything
// that comes from outside the process: the hall's copy-data records, the
// server's notifications relayed by the communication thread (2025), its
// timers (hall watch, notice download, the close delay after a player left,
// the network report) and the close with the client's exit rules.
//
// Rules:
//  - Hall records are deciphered and checked before any handler runs: a
//    record that is not whole cipher blocks, or shorter than its kind needs,
//    is refused with one log line. Every copy-data record still reaches the
//    engine window's own handler as it came.
//  - Both records of a 2025 message are freed here, whatever happens; one of
//    an earlier connection has no effect. A notification is dispatched under
//    the engine core's frame lock; a handler that throws is reported to the
//    server and the lock is free again.
//  - At most one notice download runs; its job is shared with the worker,
//    so destroying the window mid-download is safe.
//  - The window is exported to the hall with no accepted posts: only
//    copy-data records come from outside.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "engine/CorvaneWnd.h"
#include "frame/HallRecords.h"
#include "frame/NoticeDownload.h"

class CGameFrameApp;

inline constexpr uint32_t kMsgGameDataReady = platform::kMsgApp + 1457;
// wParam a text the sender keeps: one chat line.
inline constexpr uint32_t kMsgChatLine = platform::kMsgApp + 1461;

// Program events of the frame window.
inline constexpr int kEventNoticeText = 80000072;
inline constexpr int kEventLeaveAndClose = 80000090;

class CGameFrameWnd : public CCorvaneWnd {
public:
    static constexpr uint32_t kHallTimer = 1;
    static constexpr uint32_t kNoticeTimer = 2;
    static constexpr uint32_t kCloseTimer = 3;
    static constexpr uint32_t kReportTimer = 5;
    static constexpr uint32_t kHallWatchMs = 1000;
    static constexpr uint32_t kCloseDelayMs = 3000;
    static constexpr uint32_t kExitRequestWaitMs = 30000;

    CGameFrameWnd();
    ~CGameFrameWnd() override;
    // The newest frame window of this thread; null when none lives.
    static CGameFrameWnd* Current();

    // Test hook: frame windows made while a maker is set run their engine on
    // the clock it makes (tests move time frame by frame); an empty maker
    // gives the system clock again.
    using ClockMaker = std::function<std::unique_ptr<EngineClock>()>;
    static void SetClockMakerForTesting(ClockMaker maker);

    const char* GetRuntimeClassName() const override { return "CGameFrameWnd"; }

    // Covers the work area whatever the rectangle asks (a popup, maximised,
    // with double clicks), starts the hall watch and exports the window.
    int Create(const char* title, uint32_t style, uint32_t extendedStyle,
               const platform::ScreenRect& rect, platform::WindowId parent) override;

    // The network report every `seconds` (none for 0 or less).
    virtual void SetReportTimer(int seconds);
    virtual void StartReportTimer();
    virtual void OnDisconnected();
    virtual void ShowPlayerLeft(const HallPlayerLeftRecord& record);

    // Notice downloads every `seconds` (none for 0 or less).
    void StartNoticeTimer(int64_t seconds);
    // Starts a notice download unless one runs.
    void FetchGameNotice();
    bool IsNoticeDownloadRunning() const { return notice_ != nullptr; }

    void SetCloseAfterPlayerLeft(bool on) { closeAfterPlayerLeft_ = on; }
    // The player confirmed leaving (the quit board's OK): the next close
    // leaves without asking again.
    void MarkCloseConfirmed() { closeConfirmed_ = true; }
    // The view has left the table and told the hall: the next close only
    // destroys the window.
    void MarkLeft() { left_ = true; }
    // Tick count of the last 2025 message.
    uint32_t GetLastActivity() const { return lastActivity_; }

protected:
    platform::LResult OnMessage(uint32_t id, platform::WParam wParam,
                                platform::LParam lParam) override;

    void OnCopyData(const platform::CopyDataRecord& record);
    void OnTimer(uint32_t timerId);
    void OnClose();
    void OnSocketNotify(platform::WParam info, platform::LParam message);
    void OnGameData(std::span<const uint8_t> record);
    void OnMatchData(std::span<const uint8_t> record);
    void OnGameDataReady();
    void OnHallAddLooker(std::span<const uint8_t> record);
    void OnHallShowPlayer(std::span<const uint8_t> record);
    void OnHallPlayerLeft(std::span<const uint8_t> record);
    void OnNoticeDownloaded(uint32_t jobId);
    // A browser job back from its worker: freed, and the wait text taken down.
    void OnBrowserOpened(platform::WParam job);

private:
    void FailLaunch(const char* text);
    void Leave(CGameFrameApp& app);
    void FitMaximumSize();
    void KillAllTimers();
    void ForgetFrameView();

    std::shared_ptr<NoticeDownloadJob> notice_;
    uint32_t lastActivity_ = 0;
    bool closeAfterPlayerLeft_ = true;
    bool closeConfirmed_ = false;
    bool left_ = false;
};
