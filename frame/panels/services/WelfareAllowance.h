#pragma once
// The welfare allowance ("低保"): a player whose silver ran low claims a
// top-up from the server a few times a day, inside an activity whose
// settings the server sends. CWelfareAllowance keeps the settings and the
// day's claim count in the game's settings file, decides who may claim,
// sends the two requests and opens the claim dialog. A table view owns one,
// bound to itself (dialog owner, scene) and to a small host (its welfare
// button, its automatic claim, whether a game runs at its table); the view's
// RequestWelfareConfig and ClaimWelfare forward to it.
//
// Rules:
//  - The settings and the count live only in the settings file and are read
//    afresh by every operation; a new local day resets the count on its
//    first read.
//  - The remaining claims shown never fall below 0; game silver and
//    safe-box silver are summed in 64 bits.
//  - The 124-byte record is read through the checked field reader; the
//    words the client does not use are carried as they came.
//  - Times come from the allowance's clock (seconds since 1970 and the
//    local date), which tests replace.
//  - The requests do nothing without an application object; the
//    application hears every outcome.
//  - UI thread only.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <utility>

#include "engine/ui/CorvaneDialog.h"
#include "frame/RecordFields.h"
#include "platform/System.h"

class CCorvaneButton;
class CCorvaneObject;
class CGameViewBase;

// The activity settings (the body of 214010's reply and what the settings
// file stores).
struct WelfareConfig {
    static constexpr size_t kSize = 124;
    int32_t word0 = 0;
    int32_t ActID = 0;
    CarriedBytes<56> bytes8{};
    int32_t begin_time = 0;  // seconds since 1970; both ends inclusive
    int32_t end_time = 0;
    int32_t status = 0;  // 1 = active
    int32_t daily_num = 0;
    int32_t welfare_line = 0;  // claims while game + safe-box silver is below it
    int32_t send_line = 0;     // what a claim tops up to (texts only)
    int32_t daily_max = 0;     // stored and written back
    int32_t record_time = 0;   // when the server made the record
    CarriedBytes<28> bytes96{};

    static constexpr void Fields(auto& self, auto& f) {
        f(self.word0), f(self.ActID), f(self.bytes8), f(self.begin_time), f(self.end_time);
        f(self.status), f(self.daily_num), f(self.welfare_line), f(self.send_line);
        f(self.daily_max), f(self.record_time), f(self.bytes96);
    }
};

// What the owning view lends the allowance.
class CWelfareHost {
public:
    virtual ~CWelfareHost() = default;
    // The view's welfare button, looked up afresh; null when it has none.
    virtual CCorvaneObject* GetWelfareButton() = 0;
    // The view's automatic claim, run when an activity is announced between
    // games.
    virtual void RunAutomaticWelfareClaim() = 0;
    // Whether a game is in progress at the table.
    virtual bool IsGameInProgress() = 0;
};

// The clock the allowance reads: seconds since 1970 and the local date and
// time of that moment.
struct WelfareClock {
    std::function<int64_t()> now = platform::UnixTimeNow;
    std::function<platform::LocalDateTime()> local = platform::LocalNow;
};

class CWelfareAllowance {
public:
    static constexpr int64_t kFreshSeconds = 3600;
    static constexpr char kDailyLimitText[] = "当日领取已达领取次数上限";

    CWelfareAllowance(CGameViewBase& view, CWelfareHost& host);

    void SetClock(WelfareClock clock) { clock_ = std::move(clock); }

    std::string GetWelfareConfigSection() const;
    std::string GetWelfareLogSection() const;
    // The server's announcement of an activity.
    void SetWelfareActID(int32_t activityId);
    void UpdateWelfareButton(int show);
    int GetAnnouncedWelfareActID() const;
    int GetStoredWelfareActID() const;
    // Asks for the settings when the stored copy is out of date.
    void RefreshWelfareConfig();
    // Today's claim count; a new day writes count 0 first.
    int GetWelfareCountToday();
    void WriteWelfareLog(int count);
    // The welfare button's action.
    void OnWelfareButton();
    int CanClaimWelfare(const WelfareConfig& config);
    void ShowWelfareDialog(const WelfareConfig& config, int flag);
    void SaveWelfareConfig(const WelfareConfig& config);
    void LoadWelfareConfig(WelfareConfig& config) const;
    // 214010 (the reply saved whatever the result) and 214000.
    void RequestWelfareConfig(int32_t activityId);
    void ClaimWelfare(int32_t activityId, int32_t kind);

    // year * 10000 + month * 100 + day of the clock's local date.
    int TodayNumber() const;
    // The claims left shown in the texts: daily_num - count, never below 0.
    static int RemainingClaims(const WelfareConfig& config, int count);

private:
    std::string IniFile() const;

    CGameViewBase& view_;
    CWelfareHost& host_;
    WelfareClock clock_;
};

// The claim dialog: the settings text and two buttons, claim ("welfareok",
// 80000001) and decline ("welfarecancel", 80000002). A claim asks the owning
// view to claim, then the dialog is destroyed; a decline only destroys it.
// The owner is held by id and looked up with a kind check.
class CWelfareDialog : public CCorvaneDialog {
public:
    static constexpr int kEventClaim = 80000001;
    static constexpr int kEventDecline = 80000002;
    static constexpr char kClaimButtonName[] = "welfareok";
    static constexpr char kDeclineButtonName[] = "welfarecancel";

    CWelfareDialog() = default;
    ~CWelfareDialog() override;

    int OnEvent(const EventRecord& record) override;

    using CCorvaneDialog::Create;
    void Create(CGameViewBase& view, int32_t activityId, int flag, int width, int height);
    void SetText(const char* text);
    void DisableClaimButton();

    int32_t GetActivityId() const { return activityId_; }
    int GetFlag() const { return flag_; }
    // The text canvas's id (0 before Create).
    int GetTextCanvasId() const { return textCanvasId_; }
    // The buttons, looked up afresh; null when gone.
    CCorvaneButton* GetClaimButton();
    CCorvaneButton* GetDeclineButton();

private:
    int viewId_ = 0;
    int claimButtonId_ = 0;
    int declineButtonId_ = 0;
    int32_t activityId_ = 0;
    int flag_ = 0;
    int textCanvasId_ = 0;
};
