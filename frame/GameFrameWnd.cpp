#include "frame/GameFrameWnd.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>

#include "engine/EngineClock.h"
#include "engine/ui/CorvaneEdit.h"
#include "frame/GameFrameApp.h"
#include "frame/view/FramePanelSeams.h"
#include "frame/web/BrowserJob.h"
#include "frame/web/WebUrlCommand.h"
#include "platform/BlockingSleep.h"
#include "platform/ExportedWindows.h"
#include "platform/Files.h"
#include "platform/Input.h"
#include "platform/Screen.h"
#include "zep/ZepLog.h"
#include "zep/ZepMessage.h"

namespace {

constexpr char kFrameWindowClass[] = "CGameFrameWnd";
constexpr uint32_t kFrameWindowStyle = 0x830A0000;
constexpr int64_t kLongestTimerMs = 0x7FFFFFFF;
constexpr uint32_t kLaunchFailureSleepMs = 2000;
constexpr int kPlayerLeftSeconds = 3;

// seconds x 1000, held to what a timer takes; 0 for none.
uint32_t TimerMs(int64_t seconds) {
    if (seconds <= 0) {
        return 0;
    }
    return static_cast<uint32_t>(std::min<int64_t>(seconds, kLongestTimerMs / 1000) * 1000);
}

// Holds the engine core's frame lock for a scope, whatever leaves it.
class FrameLockScope {
public:
    explicit FrameLockScope(GameCore& core) : core_(core) { core_.Lock(); }
    ~FrameLockScope() { core_.Unlock(); }
    FrameLockScope(const FrameLockScope&) = delete;
    FrameLockScope& operator=(const FrameLockScope&) = delete;

private:
    GameCore& core_;
};

std::string Format(const char* format, auto... values) {
    char text[512];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

}  // namespace

namespace {
// The frame window of the UI thread, for the notification handlers.
thread_local CGameFrameWnd* currentFrame = nullptr;

CGameFrameWnd::ClockMaker& TestClockMaker() {
    static CGameFrameWnd::ClockMaker maker;
    return maker;
}

std::unique_ptr<EngineClock> MakeFrameClock() {
    if (const CGameFrameWnd::ClockMaker& maker = TestClockMaker()) {
        if (std::unique_ptr<EngineClock> clock = maker()) {
            return clock;
        }
    }
    return std::make_unique<EngineClock>();
}
}  // namespace

CGameFrameWnd::CGameFrameWnd() : CCorvaneWnd(MakeFrameClock()) {
    currentFrame = this;
}

void CGameFrameWnd::SetClockMakerForTesting(ClockMaker maker) {
    TestClockMaker() = std::move(maker);
}

CGameFrameWnd::~CGameFrameWnd() {
    if (currentFrame == this) {
        currentFrame = nullptr;
    }
    Destroy();
}

CGameFrameWnd* CGameFrameWnd::Current() {
    return currentFrame;
}

int CGameFrameWnd::Create(const char* title, uint32_t, uint32_t, const platform::ScreenRect&,
                          platform::WindowId) {
    platform::TopLevelOptions options = platform::TopLevelOptionsFromStyle(
        title != nullptr ? title : "", kFrameWindowStyle, platform::WorkArea());
    options.doubleClicks = true;
    if (!CreateTopLevel(kFrameWindowClass, options)) {
        return 0;
    }
    platform::SetTimer(Id(), kHallTimer, kHallWatchMs);
    platform::ExportWindow(Id(), {});
    FitMaximumSize();
    return 1;
}

// --- messages ---

platform::LResult CGameFrameWnd::OnMessage(uint32_t id, platform::WParam wParam,
                                           platform::LParam lParam) {
    switch (id) {
        case platform::kMsgCopyData:
            if (lParam != 0) {
                OnCopyData(*reinterpret_cast<const platform::CopyDataRecord*>(lParam));
            }
            break;  // the engine window gets every record too
        case platform::kMsgTimer:
            OnTimer(static_cast<uint32_t>(wParam));
            break;
        case platform::kMsgSize:
            FitMaximumSize();
            break;
        case platform::kMsgClose:
            OnClose();
            return 0;
        case platform::kMsgDestroy:
            KillAllTimers();
            platform::UnexportWindow(Id());
            notice_.reset();  // a running worker keeps its own share
            ForgetFrameView();
            break;
        case kMsgGameDataReady:
            OnGameDataReady();
            return 0;
        case kMsgNoticeDownloaded:
            OnNoticeDownloaded(static_cast<uint32_t>(wParam));
            return 0;
        case kMsgBrowserOpened:
            OnBrowserOpened(wParam);
            return 0;
        case kMsgWebUrlCommand:  // from a browser of the window's panels
            RunPostedWebUrlCommand(wParam);
            return 0;
        case WM_ZEP_SOCKET:
            OnSocketNotify(wParam, lParam);
            return 0;
        case kMsgChatLine:
            if (wParam != 0) {
                if (CGameFrameApp* app = CGameFrameApp::Current()) {
                    app->AppendChatText(reinterpret_cast<const char*>(wParam));
                }
            }
            return 0;
        default:
            break;
    }
    return CCorvaneWnd::OnMessage(id, wParam, lParam);
}

void CGameFrameWnd::FitMaximumSize() {
    CGameFrameApp* app = CGameFrameApp::Current();
    CGameFrameView* view = app != nullptr ? app->GetFrameView() : nullptr;
    if (view != nullptr && view->GetWindowFitMode() == 0) {
        platform::SetMaximumClientSize(Id(), view->GetNormalWidth(), view->GetNormalHeight());
        return;
    }
    const platform::ScreenRect work = platform::WorkArea();
    platform::SetMaximumClientSize(Id(), work.right - work.left, work.bottom - work.top);
}

void CGameFrameWnd::ForgetFrameView() {
    // The engine destroys its root view with the window.
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app != nullptr && GetRootObject() != nullptr && app->GetFrameView() == GetRootObject()) {
        app->DetachFrameView();
    }
}

void CGameFrameWnd::KillAllTimers() {
    for (uint32_t timer : {kHallTimer, kNoticeTimer, kCloseTimer, kReportTimer}) {
        platform::KillTimer(Id(), timer);
    }
}

// --- the hall's records ---

void CGameFrameWnd::OnCopyData(const platform::CopyDataRecord& record) {
    switch (record.dwData) {
        case kHallDataLaunch:
        case kHallDataAddLooker:
        case kHallDataPlayerLeft:
        case kHallDataShowPlayer:
        case kHallDataNoAction:
            break;
        default:
            return;
    }
    if (record.lpData == nullptr && record.cbData != 0) {
        return;
    }
    const auto plain = DecipherHallRecord(
        std::span<const uint8_t>(static_cast<const uint8_t*>(record.lpData), record.cbData));
    if (!plain) {
        ZepLog("OnCopyData: hall record %zu of %u bytes is not whole cipher blocks, refused",
               static_cast<size_t>(record.dwData), record.cbData);
        return;
    }
    const std::span<const uint8_t> bytes(*plain);
    switch (record.dwData) {
        case kHallDataLaunch:
            if (CGameFrameApp* app = CGameFrameApp::Current(); app != nullptr && app->IsMatch()) {
                OnMatchData(bytes);
            } else {
                OnGameData(bytes);
            }
            break;
        case kHallDataAddLooker:
            OnHallAddLooker(bytes);
            break;
        case kHallDataPlayerLeft:
            OnHallPlayerLeft(bytes);
            break;
        case kHallDataShowPlayer:
            OnHallShowPlayer(bytes);
            break;
        default:
            break;
    }
}

void CGameFrameWnd::OnGameData(std::span<const uint8_t> record) {
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app != nullptr && app->InitGameData(record)) {
        platform::PostMessage(Id(), kMsgGameDataReady, 0, 0);
        return;
    }
    FailLaunch("游戏程序初始化失败!");
}

void CGameFrameWnd::OnMatchData(std::span<const uint8_t> record) {
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app != nullptr && app->InitMatchData(record)) {
        StartNoticeTimer(app->GetNoticeIntervalSeconds());
        platform::PostMessage(Id(), kMsgGameDataReady, 0, 0);
        return;
    }
    FailLaunch("比赛程序初始化失败!");
}

void CGameFrameWnd::FailLaunch(const char* text) {
    ZepLog("%s", text);
    if (CGameFrameApp* app = CGameFrameApp::Current()) {
        app->PostToCommThread(text, true);
    }
    platform::BlockingSleep(kLaunchFailureSleepMs);
    platform::PostMessage(Id(), platform::kMsgClose, 0, 0);
}

void CGameFrameWnd::OnGameDataReady() {
    CGameFrameApp* app = CGameFrameApp::Current();
    CGameFrameView* view = app != nullptr ? app->GetFrameView() : nullptr;
    if (view == nullptr) {
        return;
    }
    view->OnGameDataReady();
    CCorvaneView* side = view->GetSubSystem();
    CCorvaneObject* bar = side != nullptr ? side->FindObjectByName("AdvertBar") : nullptr;
    if (auto* advert = dynamic_cast<CAdvertBarPage*>(bar)) {
        advert->LoadAdvertPage();
    }
}

void CGameFrameWnd::OnHallAddLooker(std::span<const uint8_t> record) {
    UserRecord user;
    CGameFrameApp* app = CGameFrameApp::Current();
    if (!ReadRecord(record, user)) {
        ZepLog("OnHallAddLooker: a record of %zu bytes, below %zu", record.size(),
               UserRecord::kSize);
        return;
    }
    if (app == nullptr || !app->AddLookerOn(user)) {
        return;
    }
    if (CGameFrameView* view = app->GetFrameView()) {
        view->ForwardLookOnEnter(record.data());
    }
}

void CGameFrameWnd::OnHallShowPlayer(std::span<const uint8_t> record) {
    UserRecord user;
    if (!ReadRecord(record, user)) {
        ZepLog("OnHallShowPlayer: a record of %zu bytes, below %zu", record.size(),
               UserRecord::kSize);
        return;
    }
    CGameFrameApp* app = CGameFrameApp::Current();
    CGameFrameView* view = app != nullptr ? app->GetFrameView() : nullptr;
    if (view == nullptr) {
        return;
    }
    view->FillPlayerDetail(record.data());
    if (view->IsPlayerCardShownFor(user.userId)) {
        return;
    }
    const platform::ScreenPoint point = platform::ScreenToClient(Id(), platform::GetCursorPos());
    view->PlacePlayerCardAt(user.userId, point.x, point.y);
}

void CGameFrameWnd::OnHallPlayerLeft(std::span<const uint8_t> record) {
    HallPlayerLeftRecord left;
    if (!ReadRecord(record, left)) {
        ZepLog("OnHallPlayerLeft: a record of %zu bytes, below %zu", record.size(),
               HallPlayerLeftRecord::kSize);
        return;
    }
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app == nullptr || !closeAfterPlayerLeft_ || left.tableNo != app->GetTableNo() ||
        static_cast<platform::WindowId>(left.hallWindow) != app->GetHallWnd()) {
        return;
    }
    if (!app->IsLookOn()) {
        if (CGameConnection* connection = app->GetConnection()) {
            connection->LeaveTable(left.userId, left.chairNo);
        }
    }
    ShowPlayerLeft(left);
}

void CGameFrameWnd::ShowPlayerLeft(const HallPlayerLeftRecord& record) {
    if (CGameFrameApp* app = CGameFrameApp::Current()) {
        app->ShowWaitText(app->GetChairDisplayName(record.chairNo) + "已经退出,游戏结束。",
                          kPlayerLeftSeconds);
    }
    platform::SetTimer(Id(), kCloseTimer, kCloseDelayMs);
}

// --- timers ---

void CGameFrameWnd::OnTimer(uint32_t timerId) {
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app == nullptr) {
        return;
    }
    switch (timerId) {
        case kHallTimer:
            if (!app->IsOfflineMode() && !app->IsHallWindowAlive()) {
                ZepLog("the hall's window %u is gone: the game ends", app->GetHallWnd());
                platform::PostQuitMessage(0);
            }
            break;
        case kNoticeTimer:
            FetchGameNotice();
            break;
        case kCloseTimer:
            platform::KillTimer(Id(), kCloseTimer);
            if (closeAfterPlayerLeft_ && app->GetMainWindow() != 0) {
                platform::PostMessage(app->GetMainWindow(), platform::kMsgClose, 0, 0);
            }
            break;
        case kReportTimer:
            if (CGameConnection* connection = app->GetConnection()) {
                connection->ReportNetStats();
            }
            break;
        default:
            break;
    }
}

void CGameFrameWnd::SetReportTimer(int seconds) {
    platform::KillTimer(Id(), kReportTimer);
    if (const uint32_t ms = TimerMs(seconds)) {
        platform::SetTimer(Id(), kReportTimer, ms);
    }
}

void CGameFrameWnd::StartReportTimer() {
    SetReportTimer(60);
}

void CGameFrameWnd::StartNoticeTimer(int64_t seconds) {
    platform::KillTimer(Id(), kNoticeTimer);
    if (const uint32_t ms = TimerMs(seconds)) {
        platform::SetTimer(Id(), kNoticeTimer, ms);
    } else {
        ZepLog("notice interval %lld s: no notice downloads", static_cast<long long>(seconds));
    }
}

// --- notices ---

void CGameFrameWnd::FetchGameNotice() {
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app == nullptr || notice_ != nullptr) {
        return;
    }
    auto job = std::make_shared<NoticeDownloadJob>();
    job->window = Id();
    job->url =
        "http://" + app->GetNoticeHost() + "/" + Format("/notify/game/%d.txt", app->GetGameID());
    job->localFile =
        app->GetTempDir() + Format("%d_%d.txt", app->GetNoticeRoomNo(), app->GetGameID());
    if (StartNoticeDownload(job)) {
        notice_ = std::move(job);
    }
}

void CGameFrameWnd::OnNoticeDownloaded(uint32_t jobId) {
    if (notice_ == nullptr || notice_->id != jobId) {
        return;
    }
    const std::shared_ptr<NoticeDownloadJob> job = std::move(notice_);
    if (!job->done.load()) {
        return;
    }
    const auto bytes = platform::ReadWholeFile(job->localFile);
    std::remove(platform::ResolvePath(job->localFile).c_str());
    CGameFrameApp* app = CGameFrameApp::Current();
    if (!bytes || app == nullptr) {
        return;
    }
    const std::string text(bytes->begin(), bytes->end());
    app->SendEventToSidePanel(kEventNoticeText, EventParam(text.c_str()));
}

void CGameFrameWnd::OnBrowserOpened(platform::WParam job) {
    FreeBrowserJob(job);
    if (CGameFrameApp* app = CGameFrameApp::Current()) {
        app->HideWaitText();
    }
}

// --- the server's notifications ---

void CGameFrameWnd::OnSocketNotify(platform::WParam infoParam, platform::LParam messageParam) {
    // Both records are ours from here on; the message frees its data.
    const std::unique_ptr<ZepDeliveryInfo> info(reinterpret_cast<ZepDeliveryInfo*>(infoParam));
    const std::unique_ptr<ZepMessage> message(reinterpret_cast<ZepMessage*>(messageParam));
    lastActivity_ = platform::GetTickCount32();
    CGameFrameApp* app = CGameFrameApp::Current();
    CGameConnection* connection = app != nullptr ? app->GetConnection() : nullptr;
    if (!info || !message || connection == nullptr ||
        info->connectionId != static_cast<uint32_t>(connection->GetConnectionId())) {
        return;
    }
    const uint32_t code = message->Code();
    if (code == kZepNoticeClosed || code == kZepNoticeError) {
        OnDisconnected();
        return;
    }
    CGameNotifyHandler* handler = app->GetNotifyHandler();
    if (handler == nullptr) {
        return;
    }
    const auto id = static_cast<int32_t>(code);
    const void* data = message->data;
    const size_t length = message->length;
    bool failed = false;
    {
        FrameLockScope lock(*GetCore());
        try {
            handler->OnNotify(id, data, length);
        } catch (const NotifyRecordShort&) {
            failed = true;  // the handler has logged it
        } catch (const std::exception& error) {
            ZepLog("notification %d failed: %s", id, error.what());
            failed = true;
        } catch (...) {
            ZepLog("notification %d failed", id);
            failed = true;
        }
    }
    if (failed) {
        connection->ReportNotifyFailure(id, data, length);
    }
    try {
        handler->RecordLastNotify(id, data, length);
    } catch (...) {
        ZepLog("notification %d: its record failed", id);
    }
}

void CGameFrameWnd::OnDisconnected() {
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app == nullptr) {
        return;
    }
    const bool inGame = app->IsGamePlaying();
    app->SetDisconnectedInGame(inGame);
    app->CloseConnection();
    // The names are the hall's text: shown as they are, never read as markup.
    const std::string text = inGame && !app->IsLookOn()
                                 ? "断线了！请尽快重入房间续玩。\r\n\r\n您的位置【" +
                                       EditLiteralText(app->GetAreaName().c_str(), -1) + "_" +
                                       EditLiteralText(app->GetRoomName().c_str(), -1) + "】。"
                                 : std::string("与服务器连接断开。");
    if (app->GetMainWindow() != 0) {
        app->ShowNoticeBox(text.c_str(), 30, 0x31, "ruv大哭");
    }
}

// --- closing ---

void CGameFrameWnd::OnClose() {
    CGameFrameApp* app = CGameFrameApp::Current();
    const bool confirmed = std::exchange(closeConfirmed_, false);
    if (app == nullptr || left_) {
        CCorvaneWnd::OnMessage(platform::kMsgClose, 0, 0);
        return;
    }
    if (app->IsMatch()) {
        if (app->IsMatchRoom() && !app->IsFinalMatchRoom() && !confirmed) {
            if (CGameFrameView* view = app->GetFrameView()) {
                view->ShowQuitConfirmBoard();
            }
            return;
        }
    } else if (!app->IsLookOn()) {
        CGameConnection* connection = app->GetConnection();
        if (connection != nullptr && connection->QueryInGame() != 0) {
            if (CGameFrameView* view = app->GetFrameView()) {
                view->AskBeforeLeaving();
            }
            return;
        }
    }
    Leave(*app);
}

void CGameFrameWnd::Leave(CGameFrameApp& app) {
    if (!SendLeaveOrShowRefusal(app, 0)) {
        return;
    }
    app.NotifyHallLeaving(Id());
    app.StopCommThread();
    CCorvaneWnd::OnMessage(platform::kMsgClose, 0, 0);
}
