// The frame view's window actions (maximise, restore, minimise, drag by the
// top bar), the close rules and the two leaving boards, the shop and match
// pages opened through the hall, match sign-up and give-up, and the match
// waiting pictures.
//
// The main window has no caption: the view moves and sizes it itself. The
// window's largest size follows the window-fit mode, so the mode and that
// size change before the window is moved.

#include <cstdio>
#include <string>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "engine/EngineEvents.h"
#include "engine/ImageRecord.h"
#include "engine/ui/CorvaneButton.h"
#include "frame/GameFrameApp.h"
#include "frame/GameFrameWnd.h"
#include "frame/view/GameFrameView.h"
#include "platform/Input.h"
#include "platform/Profile.h"
#include "platform/Screen.h"
#include "platform/SdlWindow.h"
#include "zep/ZepLog.h"

namespace {

constexpr uint32_t kWaitingLineColor = 0x2c5858;
constexpr int kSignUpHoldMs = 5000;
constexpr double kBoxZ = 90000;
constexpr double kBigAnimationZ = 52000;
// The quit board's size when its picture is missing.
constexpr int kFallbackBoardWidth = 270;
constexpr int kFallbackBoardHeight = 200;

platform::ScreenRect WorkArea() {
    return platform::WorkArea();
}

std::string Format(const char* format, int value) {
    char text[512];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// The game ini's [ADVERT] text of the key; empty when missing.
std::string AdvertSetting(const char* key) {
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app == nullptr) {
        return {};
    }
    char text[512] = {};
    platform::GetPrivateProfileString("ADVERT", key, "", text, sizeof text,
                                      app->GetGameIniFile().c_str());
    return text;
}

// The frame window that is the main window, or null.
CGameFrameWnd* MainFrameWindow(uint32_t window) {
    CGameFrameWnd* frame = CGameFrameWnd::Current();
    return frame != nullptr && window != 0 && frame->Id() == window ? frame : nullptr;
}

}  // namespace

// --- the window ---

int CGameFrameView::GetNormalWidth() {
    const platform::ScreenRect work = WorkArea();
    return work.right - work.left < 1280 ? 800 : 1050;
}

int CGameFrameView::GetNormalHeight() {
    return 600;
}

int CGameFrameView::UpdateMaximizedState() {
    const platform::ScreenRect work = WorkArea();
    const auto rect = platform::GetWindowRect(MainWindow());
    maximized_ = rect.has_value() && rect->right - rect->left == work.right - work.left &&
                         rect->bottom - rect->top == work.bottom - work.top
                     ? 1
                     : 0;
    return maximized_;
}

void CGameFrameView::ToggleMaximize() {
    const platform::ScreenRect work = WorkArea();
    const int workWidth = work.right - work.left;
    const int workHeight = work.bottom - work.top;
    const uint32_t window = MainWindow();
    const char* fitImage = nullptr;
    if (maximized_ == 0) {
        maximized_ = 1;
        sidePanelWidth_ = GetDefaultSidePanelWidth();
        visibleSidePanelWidth_ = sidePanelWidth_;
        FoldSplitterOnSmallScreen();
        windowFitMode_ = 1;
        platform::SetMaximumClientSize(window, workWidth, workHeight);
        platform::MoveWindowTo(window, platform::ScreenRect{0, 0, workWidth, workHeight});
        fitImage = "btnFrameFit";
    } else {
        maximized_ = 0;
        sidePanelWidth_ = kNormalSidePanelWidth;
        visibleSidePanelWidth_ = kNormalSidePanelWidth;
        const int width = GetNormalWidth();
        const int height = GetNormalHeight();
        if (width < 801 && IsSplitterExpanded()) {
            FindPart<CFrameSplitter>(splitterId_)->SetCollapsed(1);
            SetSidePanelWidth(0);
        }
        windowFitMode_ = 0;
        platform::SetMaximumClientSize(window, width, height);
        platform::MoveWindowTo(
            window,
            platform::ScreenRect{restoredX_, restoredY_, restoredX_ + width, restoredY_ + height});
        fitImage = "btnFrameMax";
    }
    if (auto* fit = FindPart<CCorvaneButton>(fitButtonId_)) {
        fit->SetFaceImage(ImageFrame(fitImage), 0);
        fit->Invalidate();
    }
}

void CGameFrameView::Minimize() {
    if (platform::TopLevelWindow* top = platform::TopLevelWindow::Find(MainWindow())) {
        top->Minimise();
    }
}

void CGameFrameView::BeginDrag(int x, int y) {
    const auto rect = platform::GetWindowRect(MainWindow());
    dragAnchorX_ = x + (rect.has_value() ? rect->left : 0);
    dragAnchorY_ = y + (rect.has_value() ? rect->top : 0);
}

void CGameFrameView::DragMove() {
    if (dragAnchorX_ == -1 && dragAnchorY_ == -1) {
        return;
    }
    const uint32_t window = MainWindow();
    const auto rect = platform::GetWindowRect(window);
    if (!rect.has_value()) {
        return;
    }
    const platform::ScreenPoint cursor = platform::GetCursorPos();
    const int w = rect->right - rect->left;
    const int h = rect->bottom - rect->top;
    if (maximized_ == 0) {
        restoredX_ += cursor.x - dragAnchorX_;
        restoredY_ += cursor.y - dragAnchorY_;
        platform::MoveWindowTo(
            window, platform::ScreenRect{restoredX_, restoredY_, restoredX_ + w, restoredY_ + h});
    } else if (w > 0 && h > 0) {
        // The window restores under the cursor, at the same share of its width.
        restoredX_ = static_cast<int>((static_cast<int64_t>(w - GetNormalWidth()) * cursor.x) / w);
        restoredY_ = static_cast<int>((static_cast<int64_t>(h - GetBufferHeight()) * cursor.y) / h);
        ToggleMaximize();
    }
    dragAnchorX_ = cursor.x;
    dragAnchorY_ = cursor.y;
}

void CGameFrameView::EndDrag() {
    dragAnchorX_ = -1;
    dragAnchorY_ = -1;
}

// --- buttons of the top bar ---

void CGameFrameView::OpenSettings() {
    SendToChild(GetMainGame(), kEventOpenSettings, 0, 0);
}

void CGameFrameView::OpenHelp() {}

void CGameFrameView::OpenShop() {
    const std::string host = AdvertSetting("Shop");
    CGameFrameApp* app = CGameFrameApp::Current();
    if (host.empty() || app == nullptr) {
        ZepLog("OpenShop: no shop host in the game settings");
        return;
    }
    app->OpenUrlInHall(host, 1);
}

void CGameFrameView::OpenShopItem(int32_t itemId) {
    if (itemId < 0) {
        return;
    }
    const std::string host = AdvertSetting("Shop");
    CGameFrameApp* app = CGameFrameApp::Current();
    if (host.empty() || app == nullptr) {
        ZepLog("OpenShopItem %d: no shop host in the game settings", itemId);
        return;
    }
    const std::string url = host + Format("?clothesid=%d", itemId);
    if (app->IsOfflineMode()) {
        app->OpenUrlInBrowser(url, 0);
    } else {
        app->OpenUrlInHall(url, 1);
    }
}

void CGameFrameView::OnPlayerCardEvent(int32_t) {}

void CGameFrameView::OpenAwardPage() {
    const std::string link = AdvertSetting("Match");
    CGameFrameApp* app = CGameFrameApp::Current();
    if (link.empty() || app == nullptr) {
        ZepLog("OpenAwardPage: no match page in the game settings");
        return;
    }
    const int awardId = matchResult_[9];  // the result's award id (byte 36)
    app->OpenUrlInHall(link + Format("&act=lj&awardid=%d", awardId), 1);
}

void CGameFrameView::OpenExchangePage() {
    const std::string link = AdvertSetting("Match");
    CGameFrameApp* app = CGameFrameApp::Current();
    if (link.empty() || app == nullptr) {
        ZepLog("OpenExchangePage: no match page in the game settings");
        return;
    }
    app->OpenUrlInHall(link + "&act=dj", 1);
}

// --- match sign-up ---

namespace {

// The button stays disabled until the engine enables it again.
void HoldButton(CGameFrameView& view, CCorvaneButton* button) {
    if (button == nullptr) {
        return;
    }
    button->SetInputEnabled(0);
    const EventRecord enable = MakeEventRecord(button->GetId(), kEventInputEnabled, 0, 0);
    view.DelayAction(kSignUpHoldMs, &enable);
}

}  // namespace

void CGameFrameView::SignUpForMatch() {
    CGameFrameApp* app = CGameFrameApp::Current();
    if (CGameConnection* connection = app != nullptr ? app->GetConnection() : nullptr) {
        connection->MatchSignUp();
    }
    HoldButton(*this, FindPart<CCorvaneButton>(signUpButtonId_));
}

void CGameFrameView::GiveUpMatch() {
    CGameFrameApp* app = CGameFrameApp::Current();
    if (CGameConnection* connection = app != nullptr ? app->GetConnection() : nullptr) {
        connection->MatchGiveUp();
    }
    HoldButton(*this, FindPart<CCorvaneButton>(giveUpButtonId_));
}

// --- close rules ---

void CGameFrameView::RequestClose() {
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app == nullptr) {
        return;
    }
    CGameConnection* connection = app->GetConnection();
    if (!app->IsLookOn() && connection != nullptr && connection->QueryInGame() != 0) {
        AskBeforeLeaving();
        return;
    }
    LeaveAndClose();
}

void CGameFrameView::AskBeforeLeaving() {
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app == nullptr) {
        return;
    }
    const CGameTableData* data = app->GetTableData();
    const uint32_t requested = data != nullptr ? data->GetExitRequestTick() : 0;
    const uint32_t passed = platform::GetTickCount32() - requested;
    if (app->IsGamePlaying() && requested != 0 && passed < kExitRequestWaitMs) {
        const int seconds = static_cast<int>(kExitRequestWaitMs / 1000 - passed / 1000);
        char line[160];
        std::snprintf(line, sizeof line, " <c=%d>已经请求退出，请耐心等候其他玩家回应(%d秒)。\r\n",
                      static_cast<int>(kWaitingLineColor), seconds);
        app->AppendChatText(line);
        return;
    }
    if (app->CanRequestForcedExit()) {
        ShowForceQuitBox();
    } else if (app->IsExitLockedRoom()) {
        ShowInfoBox(
            "生命不息，战斗不止，请继续游戏。\r\n(如果游戏中有玩家长时间不活动，请您等待2分钟后再"
            "退出)",
            nullptr, nullptr, 5, 0x31, "ruv打牌");
    } else {
        const EventRecord confirm = MakeEventRecord(GetId(), kEventConfirmLeave, 0, 0);
        ShowInfoBox("游戏还没有结束，现在退出要扣你分，还要扣你银子。确定退出吗？", &confirm,
                    nullptr, 5, 0x35, "ruv疑问");
    }
}

bool SendLeaveOrShowRefusal(CGameFrameApp& app, int refusalStyle) {
    CGameConnection* connection = app.GetConnection();
    if (connection == nullptr) {
        return true;
    }
    std::string refusal;
    // Only a refusal by the server answers nonzero with a text.
    if (connection->LeaveGame(refusal, app.GetUserID(), app.GetMyChairNo()) != 0 &&
        !refusal.empty()) {
        app.ShowInfoBox(refusal.c_str(), nullptr, nullptr, 5, refusalStyle, "");
        return false;
    }
    return true;
}

void CGameFrameView::LeaveAndClose() {
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app == nullptr || !SendLeaveOrShowRefusal(*app, 5)) {
        return;
    }
    const uint32_t window = MainWindow();
    app->NotifyHallLeaving(window);
    app->StopCommThread();
    // The window closes without asking or leaving a second time.
    if (CGameFrameWnd* frame = MainFrameWindow(window)) {
        frame->MarkLeft();
    }
    platform::PostMessage(window, platform::kMsgClose, 0, 0);
}

void CGameFrameView::ConfirmCloseAndPost() {
    const uint32_t window = MainWindow();
    if (CGameFrameWnd* frame = MainFrameWindow(window)) {
        frame->MarkCloseConfirmed();
    }
    platform::PostMessage(window, platform::kMsgClose, 0, 0);
}

void CGameFrameView::ShowForceQuitBox() {
    if (CForceQuitBoxSeam* open = FindPart<CForceQuitBoxSeam>(forceQuitBoxId_)) {
        if (open->IsVisible() != 0) {
            return;
        }
        DestroyObject(open, 1);
        forceQuitBoxId_ = 0;
    }
    CGameFrameApp* app = CGameFrameApp::Current();
    if (!PanelFactories().forceQuitBox) {
        ZepLog("ShowForceQuitBox: no force-quit box to show");
        return;
    }
    auto* box = FindPart<CForceQuitBoxSeam>(AdoptPart(PanelFactories().forceQuitBox()));
    if (box == nullptr) {
        return;
    }
    const bool silver = app != nullptr && app->IsSilverRoom();
    char text[256];
    std::snprintf(text, sizeof text,
                  "游戏还没结束，强退操作将扣除大量%s。输入理由请求其他玩家同意。"
                  "（最多30个汉字，最多请求2次）",
                  silver ? "银两" : "积分");
    const EventRecord confirm = MakeEventRecord(GetId(), kEventForceQuitConfirm, 0, 0);
    const EventRecord cancel = MakeEventRecord(GetId(), kEventForceQuitCancel, 0, 0);
    box->ShowForceQuit(text, confirm, cancel, 3);
    box->EnableDrag(1);
    box->SetZ(kBoxZ);
    box->SetReasonLimit(60);
    box->SetTitle("请求强退");
    PlaySound("SndHi", 1, nullptr);
    const IntRect area = MainGameRect();
    box->SetPos((area.left + area.right) / 2, (area.top + area.bottom) / 2);
    box->Show();
    box->Invalidate();
    forceQuitBoxId_ = box->GetId();
}

void CGameFrameView::ShowQuitConfirmBoard() {
    CCorvaneCanvas* board = FindPart<CCorvaneCanvas>(quitBoardId_);
    const IntRect area = MainGameRect();
    const double centreX = (area.left + area.right) / 2;
    const double centreY = (area.top + area.bottom) / 2;
    if (board == nullptr) {
        const FrameRecord background = ImageFrame("bit_systemboard");
        const bool present = background.width > 0 && background.height > 0;
        board = CreateCanvas(present ? background.width : kFallbackBoardWidth,
                             present ? background.height : kFallbackBoardHeight, kChromeColorKey);
        if (board == nullptr) {
            return;
        }
        quitBoardId_ = board->GetId();
        if (present) {
            board->DrawImage(background, 0, 0, 0, 0, 0.0, 1.0);
        }
        const FrameRecord question = ImageFrame("bit_SureQuit");
        if (question.width > 0 && question.height > 0) {
            board->DrawImage(question, 23, 67, -1, -1, 0.0, 1.0);
        }
        board->SetTopmost();
        board->EnableDrag(1);
        board->SetPos(centreX, centreY);
        auto addButton = [&](const char* image, int dx, const EventRecord& notify) {
            if (IsRegistered() == 0) {
                return;
            }
            auto* button = new CCorvaneButton;
            Register(button);
            button->Create(ImageFrame(image), &notify, 0, 0);
            button->SetZ(board->GetZ() + 0.1);
            button->SetPos(board->GetLeft() + dx, board->GetTop() + 163);
            board->AttachChild(button, kLinkPosition | kLinkZ | kLinkHiddenByParent);
        };
        addButton("btn_gameset_ok", 145, MakeEventRecord(GetId(), kEventCloseWindow, 0, 0));
        addButton("btn_gameset_cancel", 200, MakeEventRecord(quitBoardId_, kEventHide, 0, 0));
    }
    board->SetPos(centreX, centreY);
    board->Show();
    board->Invalidate();
}

// --- match waiting pictures ---

void CGameFrameView::ShowMatchWait(int kind) {
    const char* image = kind == 1   ? "animation_WaitArrangeTable"
                        : kind == 3 ? "animation_WaitCaclRank"
                        : kind == 4 ? "animation_WaitFinal"
                                    : nullptr;
    CCorvanePicture* picture = FindPart<CCorvanePicture>(waitingPictureId_);
    if (image == nullptr || picture == nullptr) {
        return;
    }
    StopObjectActions(picture->GetId());
    picture->SetImage(ImageFrame(image), 1);
    picture->Show();
    FrameAnimationAction(picture, 0, -1, 0, GetMinActionInterval(), nullptr);
    picture->Invalidate();
}

void CGameFrameView::HideMatchWait() {
    if (CCorvaneObject* picture = FindPart<CCorvaneObject>(waitingPictureId_)) {
        StopObjectActions(picture->GetId());
        picture->Hide();
        picture->Invalidate();
    }
    for (int id : {restTablesTextId_, signUpButtonId_, giveUpButtonId_}) {
        if (CCorvaneObject* object = FindPart<CCorvaneObject>(id)) {
            object->Hide();
            object->Invalidate();
        }
    }
}

void CGameFrameView::ShowMatchNotice(const char* imageKey) {
    const FrameRecord image = ImageFrame(imageKey);
    CCorvanePicture* picture = FindPart<CCorvanePicture>(bigAnimationId_);
    if (picture == nullptr) {
        picture = CreatePicture(image);
        if (picture == nullptr) {
            return;
        }
        bigAnimationId_ = picture->GetId();
        picture->SetTopmost();
        picture->SetZ(kBigAnimationZ);
    } else {
        picture->SetImage(image, 1);
        picture->SetAlpha(1.0);
    }
    const IntRect area = MainGameRect();
    picture->SetPos(area.left + (area.right - area.left) / 2,
                    area.top + (area.bottom - area.top) / 3);
    picture->Show();
    FrameAnimationAction(picture, 0, -1, 0, GetMinActionInterval(), nullptr);
    picture->Invalidate();
}

void CGameFrameView::HideMatchNotice() {
    if (CCorvaneObject* picture = FindPart<CCorvaneObject>(bigAnimationId_)) {
        StopObjectActions(picture->GetId());
        picture->SetAlpha(1.0);
        picture->Hide();
        picture->Invalidate();
    }
}
