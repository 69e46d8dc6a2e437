#include "frame/view/GameViewBase.h"

#include <algorithm>
#include <array>
#include <limits>
#include <string>

#include "frame/GameFrameApp.h"
#include "frame/RecordFields.h"
#include "frame/WaitText.h"
#include "frame/view/GameFrameView.h"
#include "frame/view/ReplayBars.h"
#include "zep/ZepLog.h"

namespace {

constexpr char kIdleKickedText[] = "由于您长时间没有开始游戏，系统请您离开游戏";
constexpr char kWelfareConfigWait[] = "正在获取低保配置，请稍等......";
constexpr char kWelfareClaimWait[] = "正在领取低保，请稍等......";
constexpr char kSilverRewardWait[] = "正在领取银子奖励，请稍等......";
constexpr char kSorryImage[] = "ruv抱歉";
constexpr int kBoxSeconds = 10;
constexpr int kBoxStyle = 0x30;
constexpr size_t kWelfareConfigSize = 124;
constexpr size_t kTableNoticeTextOffset = 32;

using WelfareSender = int (CGameConnection::*)(std::string&, int32_t, int32_t, int32_t&);

// A welfare claim behind its wait text; the application hears the result.
void RunWelfareClaim(WelfareSender send, int32_t activityId, int32_t kind) {
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app == nullptr) {
        return;
    }
    int32_t amount = 0;
    std::string text;
    int ok = 0;
    {
        WaitTextScope wait(*app, kWelfareClaimWait);
        if (CGameConnection* connection = app->GetConnection()) {
            ok = (connection->*send)(text, activityId, kind, amount);
        }
    }
    app->OnWelfareResult(ok, text.c_str(), activityId, kind, amount);
}

}  // namespace

int CGameViewBase::OnEvent(const EventRecord& record) {
    using NoticeHook = void (CGameViewBase::*)(const uint8_t*, size_t);
    // Events 80000066 to 80000071, in order.
    static constexpr NoticeHook kNoticeHooks[] = {
        &CGameViewBase::OnLotteryProgressHook, &CGameViewBase::OnLotteryProgress2Hook,
        &CGameViewBase::OnLotteryResultHook,   &CGameViewBase::OnLotteryBroadcastHook,
        &CGameViewBase::OnSystemNoticeHook,    &CGameViewBase::OnTaskRewardFailHook};
    const uint8_t* data = EventRecordBytes(record);
    const size_t length = EventRecordLength(record);
    if (record.event >= kEventLotteryProgress && record.event <= kEventTaskRewardFail) {
        (this->*kNoticeHooks[record.event - kEventLotteryProgress])(data, length);
        return 1;
    }
    switch (record.event) {
        case kEventTableNotice:
            if (data != nullptr && length > kTableNoticeTextOffset &&
                data[kTableNoticeTextOffset] != 0) {
                OnTableNoticeHook(data, length);
            }
            break;
        case kEventUserState:
            OnUserStateHook(data, length);
            break;
        case kEventIdleKicked:
            idleKickAction_ = 0;  // a one-shot action: it ended with this event
            if (CGameFrameApp* app = CGameFrameApp::Current()) {
                app->ShowNoticeBox(kIdleKickedText, kBoxSeconds, kBoxStyle, kSorryImage);
            }
            break;
        default:
            break;
    }
    return 1;
}

void CGameViewBase::CreateReplayBar() {
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app == nullptr || (!app->IsRoomFlag2Bit17() && !app->IsReplayMode())) {
        return;
    }
    CReplayBarSeam* bar =
        app->MakeReplayBar(app->IsMatch() ? ReplayFormat::Second : ReplayFormat::First);
    if (bar == nullptr) {
        ZepLog("CreateReplayBar: no replay bar was made");
        return;
    }
    Register(bar);
    if (!bar->IsRegistered()) {
        ZepLog("CreateReplayBar: the view is not in the scene; no replay bar");
        delete bar;
        return;
    }
    repBarId_ = bar->GetId();
    bar->SetTopmost();
    bar->SetZ(kReplayBarDepth);
    bar->SetLimitValue(kReplayLimitMs);
    if (app->IsReplayMode()) {
        bar->Show();
    }
    bar->Invalidate();
}

CReplayBarSeam* CGameViewBase::GetReplayBar() {
    if (repBarId_ == 0) {
        return nullptr;
    }
    return dynamic_cast<CReplayBarSeam*>(FindObjectById(repBarId_));
}

bool CGameViewBase::InIdleKickRoom() {
    const CGameFrameApp* app = CGameFrameApp::Current();
    return app != nullptr && app->IsRoomFlag64() && app->IsRoomFlag128();
}

void CGameViewBase::LoadIdleKickTime() {
    CGameFrameApp* app = CGameFrameApp::Current();
    if (!InIdleKickRoom()) {
        return;
    }
    int32_t seconds = 0;
    if (!ReadWordAt(app->GetResponseBuffer(), kIdleKickWordOffset, seconds)) {
        ZepLog("LoadIdleKickTime: the enter reply holds %zu bytes, no idle-kick time",
               app->GetResponseBuffer().size());
        return;
    }
    idleKickSeconds_ = seconds;
}

uint32_t CGameViewBase::IdleKickDelayMs(int32_t seconds) {
    const int64_t ms = int64_t{seconds} * 1000;
    return static_cast<uint32_t>(std::clamp<int64_t>(ms, 0, std::numeric_limits<uint32_t>::max()));
}

void CGameViewBase::StartIdleKick() {
    CancelIdleKick();
    if (!InIdleKickRoom() || idleKickAction_ != 0 || idleKickSeconds_ <= 0) {
        return;
    }
    const EventRecord kicked = MakeEventRecord(GetId(), kEventIdleKicked, 0, 0);
    idleKickAction_ = DelayAction(IdleKickDelayMs(idleKickSeconds_), &kicked);
}

void CGameViewBase::CancelIdleKick() {
    if (idleKickAction_ != 0) {
        StopAction(idleKickAction_);
        idleKickAction_ = 0;
    }
}

void CGameViewBase::RequestRoomSilverCheck() {
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app == nullptr || !app->IsNoForcedExitRoom()) {
        return;
    }
    if (CGameConnection* connection = app->GetConnection()) {
        std::string dropped;
        connection->Request201302(dropped);
    }
}

void CGameViewBase::RequestWelfareConfig(int32_t activityId) {
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app == nullptr) {
        return;
    }
    std::array<uint8_t, kWelfareConfigSize> config{};
    std::string text;
    int ok = 0;
    {
        WaitTextScope wait(*app, kWelfareConfigWait);
        if (CGameConnection* connection = app->GetConnection()) {
            ok = connection->GetWelfareConfig(text, activityId, config);
        }
    }
    // The application's operation takes no record; the regional view, which
    // reads the configuration, overrides this request.
    app->OnWelfareConfigFailed(ok, text.c_str(), activityId, 0);
}

void CGameViewBase::ClaimWelfare(int32_t activityId, int32_t kind) {
    RunWelfareClaim(&CGameConnection::SendWelfareClaim, activityId, kind);
}

void CGameViewBase::ClaimWelfareReward(int32_t activityId, int32_t kind) {
    RunWelfareClaim(&CGameConnection::SendWelfareRewardClaim, activityId, kind);
}

void CGameViewBase::ClaimSilverReward() {
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app == nullptr) {
        return;
    }
    std::string text;
    int ok = 0;
    {
        WaitTextScope wait(*app, kSilverRewardWait);
        if (CGameConnection* connection = app->GetConnection()) {
            ok = connection->SendSilverRewardClaim(text, 0);
        }
    }
    if (ok == 0) {
        app->ShowInfoBox(text.c_str(), nullptr, nullptr, kBoxSeconds, kBoxStyle, kSorryImage);
    }
}

CGameTableData* GetTableData() {
    CGameFrameApp* app = CGameFrameApp::Current();
    return app != nullptr ? app->GetTableData() : nullptr;
}

CGameFrameView* GetFrameView() {
    CGameFrameApp* app = CGameFrameApp::Current();
    return app != nullptr ? app->GetFrameView() : nullptr;
}

CCorvaneEventQueue* GetFrameEventQueue() {
    CGameFrameView* view = GetFrameView();
    return view != nullptr ? view->GetEventQueue() : nullptr;
}
