// The table's side panel: its bar factories, heights and layout.

#include "mahjong_client/panels/TableSystemBar.h"

#include "engine/CorvaneCanvas.h"
#include "engine/ImageRecord.h"
#include "frame/GameFrameApp.h"
#include "frame/panels/SidePanelBar.h"
#include "mahjong_client/panels/RoundHistoryList.h"
#include "mahjong_client/panels/SystemChatBox.h"
#include "mahjong_client/panels/SystemInputBar.h"
#include "mahjong_client/panels/SystemUserListBar.h"

namespace {

constexpr int kSeparatorWidth = 100;
constexpr int kSeparatorHeight = 25;
constexpr uint32_t kCanvasColourKey = 0xFF00FF;
constexpr char kSystemBarImage[] = "bit_SystemBar";
// Paint surfaces above this height leave the chat box 3 pixels of room,
// smaller ones 6.
constexpr int kTallSurface = 600;
constexpr int kTallSurfaceGap = 3;
constexpr int kShortSurfaceGap = 6;
// The user list lies this far below the history list.
constexpr int kUserListGap = 2;
// The background reaches this far below the user list.
constexpr int kBackgroundExtra = 6;

bool InMatch() {
    CGameFrameApp* app = CGameFrameApp::Current();
    return app != nullptr && app->IsMatch();
}

// A bar moved or sized by the panel: invalidated, then its own layout.
void Refit(CCorvaneObject& bar) {
    bar.Invalidate();
    if (auto* sideBar = dynamic_cast<CSidePanelBar*>(&bar)) {
        sideBar->Relayout();
    } else if (auto* users = dynamic_cast<CUserListBar*>(&bar)) {
        users->Relayout();
    }
}

}  // namespace

CTableSystemBar::CTableSystemBar() = default;
CTableSystemBar::~CTableSystemBar() = default;

void CTableSystemBar::Create() {
    if (!InMatch()) {
        if (CCorvaneCanvas* separator =
                CreateCanvas(kSeparatorWidth, kSeparatorHeight, kCanvasColourKey)) {
            AttachChild(separator, kLinkOwned);
            separatorId_ = separator->GetId();
        }
    }
    // The background, the history list and the user list (or the match
    // list), then the activity bar, the chat box and the input bar.
    CSystemBars::Create();
}

CCorvaneObject* CTableSystemBar::CreateAdvertBar() {
    return AdoptBar(new CRoundHistoryList, kAdvertBarName);
}

CCorvaneObject* CTableSystemBar::CreateUserListBar() {
    auto* bar = dynamic_cast<CUserListBar*>(AdoptBar(new CSystemUserListBar, kUserListBarName));
    if (bar == nullptr) {
        return nullptr;
    }
    AddRoomColumns(*bar);
    return bar;
}

CCorvaneObject* CTableSystemBar::CreateChatBox() {
    return AdoptBar(new CSystemChatBox, kChatBoxName);
}

CCorvaneObject* CTableSystemBar::CreateInputBar() {
    CCorvaneObject* input = AdoptBar(new CSystemInputBar, kInputBarName);
    if (input == nullptr) {
        return nullptr;
    }
    MakeSystemBarButtons();
    ShowQuickDeposit();
    LoadQuickPhrases();
    return input;
}

int CTableSystemBar::GetChatBoxHeight() {
    if (InMatch()) {
        // The frame panel's: what the match list and the other bars leave.
        return CSystemBars::GetChatBoxHeight();
    }
    const IntRect rect = GetViewRect();
    const int height = rect.bottom - rect.top;
    const int gap = GetImageHeight() > kTallSurface ? kTallSurfaceGap : kShortSurfaceGap;
    return height - gap - GetAdvertBarHeight() - GetOperateBarHeight() - GetUserListBarHeight() -
           GetInputBarHeight() - GetActivityBarHeight();
}

void CTableSystemBar::Relayout() {
    const IntRect rect = GetViewRect();
    const int left = rect.left;
    const int top = rect.top;
    const int width = rect.right - rect.left;
    const int bottom = rect.bottom;
    const int barWidth = width - kBarMargin;
    const int centreX = left + width / 2;
    const int wideCentreX = left + (width + 1) / 2;
    const int operate = GetOperateBarHeight();
    // A bar that is not there takes no room from the bars below it.
    const int history = FindBar(kAdvertBarName) != nullptr ? GetAdvertBarHeight() : 0;
    const int userList = FindBar(kUserListBarName) != nullptr ? GetUserListBarHeight() : 0;

    if (CCorvaneObject* bar = FindBar(kOperateBarName)) {
        bar->SetSize(barWidth, operate);
        bar->SetPos(centreX, top + operate / 2);
        Refit(*bar);
    }
    if (CCorvaneObject* bar = FindBar(kAdvertBarName)) {
        bar->SetSize(barWidth, history);
        bar->SetPos(centreX, top + history / 2);
        Refit(*bar);
    }
    if (CCorvaneObject* bar = FindBar(kMatchListBarName)) {
        const int before = static_cast<int>(bar->GetHeight());
        bar->SetPos(centreX, top + operate + before / 2);
        bar->SetSize(barWidth, GetMatchListBarHeight());
        bar->Show();
        Refit(*bar);
    }
    if (CCorvaneObject* bar = FindBar(kUserListBarName)) {
        bar->SetSize(barWidth, userList);
        bar->SetPos(centreX, top + operate + history + userList / 2 + kUserListGap);
        bar->Show();
        Refit(*bar);
        LayoutBackground(left, top + operate, width, history, userList);
    }
    if (CCorvaneObject* bar = FindBar(kActivityBarName)) {
        const int activity = GetActivityBarHeight();
        bar->SetSize(barWidth, activity);
        if (activity > 0) {
            bar->SetPos(wideCentreX, top + userList + operate + history + activity / 2 + 1);
            bar->Show();
            Refit(*bar);
        } else {
            bar->Hide();
            bar->Invalidate();
        }
    }
    const int input = GetInputBarHeight();
    if (CCorvaneObject* bar = FindBar(kChatBoxName)) {
        const int chat = GetChatBoxHeight();
        if (chat > 0) {
            bar->SetPos(wideCentreX, bottom - input - chat / 2);
            bar->SetSize(barWidth, chat);
            bar->Show();
            Refit(*bar);
        } else {
            bar->Hide();
            bar->Invalidate();
        }
    }
    if (CCorvaneObject* bar = FindBar(kInputBarName)) {
        bar->SetSize(barWidth, input);
        bar->SetPos(centreX, bottom - input / 2);
        Refit(*bar);
    }
}

void CTableSystemBar::LayoutBackground(int left, int top, int width, int historyHeight,
                                       int userListHeight) {
    const int centreX = left + width / 2;
    CCorvaneCanvas* background = GetBackgroundCanvas();
    const int height = userListHeight + historyHeight + kBackgroundExtra;
    if (background != nullptr && width > 0 && height > 0) {
        background->Clear();
        background->SetSize(width, height);
        background->Resize(width, height);
        background->DrawImageThreePart(GetResourceFrame(kSystemBarImage, 0),
                                       GetResourceFrame(kSystemBarImage, 1),
                                       GetResourceFrame(kSystemBarImage, 2));
        background->SetZ(GetZ());
        background->SetPos(centreX, top + height / 2);
        background->Show();
        background->Invalidate();
    }
    CCorvaneCanvas* separator = GetSeparatorCanvas();
    const FrameRecord strip = GetResourceFrame(kSystemBarImage, 2);
    const int stripHeight = strip.record != nullptr ? strip.height : 0;
    if (separator == nullptr) {
        return;
    }
    // Without the skin's strip there is nothing to show between the bars.
    if (width <= 0 || stripHeight <= 0) {
        separator->Hide();
        return;
    }
    separator->Clear();
    separator->SetSize(width, stripHeight);
    separator->Resize(width, stripHeight);
    separator->DrawImage(strip, 0, 0, -1, -1, 0, 1.0);
    separator->SetPos(centreX, top + historyHeight - (stripHeight - 5) / 2);
    separator->Show();
    separator->Invalidate();
}

CCorvaneCanvas* CTableSystemBar::GetSeparatorCanvas() {
    return separatorId_ != 0 ? dynamic_cast<CCorvaneCanvas*>(FindObjectById(separatorId_))
                             : nullptr;
}

CCorvaneCanvas* CTableSystemBar::GetBackgroundCanvas() {
    return backgroundId_ != 0 ? dynamic_cast<CCorvaneCanvas*>(FindObjectById(backgroundId_))
                              : nullptr;
}
