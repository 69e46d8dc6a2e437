// The side panel's bars: making them, their heights, their layout, the
// refresh on entering the room, the button operations and the event table.

#include "frame/panels/SystemBars.h"

#include <algorithm>
#include <cstring>

#include "engine/CorvaneCanvas.h"
#include "engine/ImageRecord.h"
#include "engine/ui/CorvaneButton.h"
#include "engine/ui/CorvaneTextButton.h"
#include "frame/GameFrameApp.h"
#include "frame/GameFrameWnd.h"
#include "frame/net/GameConnection.h"
#include "frame/panels/ActivityBar.h"
#include "frame/panels/AdvertBar.h"
#include "frame/panels/ChatBox.h"
#include "frame/panels/InputBar.h"
#include "frame/panels/MatchListBar.h"
#include "frame/panels/OperateBar.h"
#include "frame/panels/ScoreTable.h"
#include "frame/panels/UserListBar.h"
#include "frame/view/GameFrameView.h"

namespace {

// Event ids of the side panel's table.
enum SidePanelEvent : int {
    kClearChatButton = 19840395,
    kEmoticonButton = 19840396,
    kScreenshotButton = 19840397,
    kAdviceButton = 19840398,
    kSafeBoxButton = 19840399,
    kNothing = 19840400,
    kMatchPortrait = 19840401,
    kUserEnterTable = 80000014,
    kLookOnEnter = 80000015,
    kUserLeaveTable = 80000016,
    kLookOnLeave = 80000017,
    kRandomTable = 80000018,
    kRebuildUserList = 80000019,
    kChangeTable = 80000020,
    kBaseSilver = 80000021,
    kStandingsSorted = 80000022,
    kMatchClockStart = 80000025,
    kMatchClockStop = 80000026,
    kSignUpCount = 80000028,
    kSignedUp = 80000030,
    kAppendChat = 80000057,
    kOtherChat = 80000058,
    kServerChat = 80000059,
    kAdvertNavigate = 80000060,
    kAmuletSkill = 80000061,
    kPlayersRenamed = 80000062,
    kLotteryProgress = 80000066,
    kLotteryProgress2 = 80000067,
    kLotteryResult = 80000068,
    kLotteryBroadcast = 80000069,
    kSystemNotice = 80000070,
    kTaskRewardFail = 80000071,
    kNoticeText = 80000072,
    kEmoticonToChat = 80000073,
    kEmoticonToInput = 80000074,
    kInputBoxCommand = 80000075,
    kSendOwnLine = 80000076,
    kTogglePhrases = 80000077,
    kQuickPhrase = 80000078,
    kMatchChatClear = 80000083,
    kPrizeNotify = 80000104,
};

constexpr int kBackgroundWidth = 100;
constexpr uint32_t kBackgroundColourKey = 0xFF00FF;
constexpr int kSettingListFixed = 50011;
constexpr int kActivityButtonsPerRow = 5;
constexpr char kAdvicePageFormat[] = "/advice.aspx?gameid=%d";
// The advice page's server: the hall's advert host when the room names one.
constexpr char kAdviceScheme[] = "http://";

template <class T>
T* As(CCorvaneObject* object) {
    return dynamic_cast<T*>(object);
}

// Runs the bar's own layout after the container moved or sized it.
void LayOutBar(CCorvaneObject* bar) {
    if (auto* sideBar = dynamic_cast<CSidePanelBar*>(bar)) {
        sideBar->Relayout();
    }
    bar->Invalidate();
}

struct SystemBarButton {
    const char* image;
    int event;
    const char* name;  // null: no engine name
    const char* caption;
};

constexpr SystemBarButton kSystemBarButtons[] = {
    {"btnFace", kEmoticonButton, "系统栏表情按钮", " 表情 "},
    {"qe清屏按钮", kClearChatButton, nullptr, "清除聊天"},
    {"qe截屏按钮", kScreenshotButton, nullptr, " 截图 "},
    {"qe投诉按钮", kAdviceButton, nullptr, " 投诉 "},
};
constexpr SystemBarButton kSafeBoxBarButton = {"qe保险箱按钮", kSafeBoxButton, "系统栏划银按钮",
                                               " 保险箱 "};
constexpr int kCaptionWidth = 120;
constexpr uint32_t kButtonHitVisiblePixels = 4;

}  // namespace

CSystemBars::CSystemBars() = default;
CSystemBars::~CSystemBars() = default;

// --- making ---

void CSystemBars::Create() {
    CGameFrameApp* app = CGameFrameApp::Current();
    const bool match = app != nullptr && app->IsMatch();
    if (!match) {
        if (CCorvaneCanvas* background =
                CreateCanvas(kBackgroundWidth, kBackgroundWidth, kBackgroundColourKey)) {
            AttachChild(background, kLinkOwned);
            backgroundId_ = background->GetId();
        }
        CreateAdvertBar();
        CreateUserListBar();
    } else {
        CreateMatchListBar();
    }
    CreateActivityBar();
    CreateChatBox();
    CreateInputBar();
}

CCorvaneObject* CSystemBars::AdoptBar(CCorvaneObject* bar, const char* name) {
    if (bar == nullptr) {
        return nullptr;
    }
    if (IsRegistered() == 0) {
        delete bar;
        return nullptr;
    }
    Register(bar);
    // Every operation finds the bar by this name.
    bar->SetName(name);
    AttachChild(bar, kLinkOwned);
    return bar;
}

CCorvaneObject* CSystemBars::CreateAdvertBar() {
    return AdoptBar(new CAdvertBar, kAdvertBarName);
}

CCorvaneObject* CSystemBars::CreateOperateBar() {
    return AdoptBar(new COperateBar, kOperateBarName);
}

CCorvaneObject* CSystemBars::CreateUserListBar() {
    auto* bar = As<CUserListBar>(AdoptBar(new CUserListBar, kUserListBarName));
    if (bar == nullptr) {
        return nullptr;
    }
    AddRoomColumns(*bar);
    return bar;
}

void CSystemBars::AddRoomColumns(CUserListBar& bar) {
    CGameFrameApp* app = CGameFrameApp::Current();
    bar.AddColumn(kColumnUser, 138, "用户名", 0, 0, 0);
    if (app != nullptr && app->IsSilverRoom()) {
        bar.AddColumn(kColumnSilver, 60, "银子", 0, 0, 0);
        bar.AddColumn(kColumnScore, 60, "积分", 0, 0, 0);
        bar.AddColumn(kColumnWealth, 80, "财富等级", 0, 0, 0);
        bar.AddColumn(kColumnLevel, 80, "级别", 0, 0, 0);
        bar.AddColumn(kColumnLookOnTarget, 80, "旁观对象", 0, 0, 0);
    } else {
        bar.AddColumn(kColumnScore, 60, "积分", 0, 0, 0);
        bar.AddColumn(kColumnLevel, 80, "级别", 0, 0, 0);
        bar.AddColumn(kColumnSilver, 60, "银子", 0, 0, 0);
        bar.AddColumn(kColumnLookOnTarget, 80, "旁观对象", 0, 0, 0);
    }
    bar.Build();
}

CCorvaneObject* CSystemBars::CreateMatchListBar() {
    return AdoptBar(new CMatchListBar, kMatchListBarName);
}

CCorvaneObject* CSystemBars::CreateActivityBar() {
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app == nullptr || app->GetActiveButtons().empty()) {
        return nullptr;
    }
    return AdoptBar(new CActivityBar, kActivityBarName);
}

CCorvaneObject* CSystemBars::CreateChatBox() {
    return AdoptBar(new CChatBox, kChatBoxName);
}

CCorvaneObject* CSystemBars::CreateInputBar() {
    auto* input = As<CInputBar>(AdoptBar(new CInputBar, kInputBarName));
    if (input == nullptr) {
        return nullptr;
    }
    if (MakeSystemBarButtons()) {
        ShowQuickDeposit();
    }
    LoadQuickPhrases();
    return input;
}

bool CSystemBars::MakeSystemBarButtons() {
    CGameFrameApp* app = CGameFrameApp::Current();
    const bool safeBox = app != nullptr && app->CanUseSafeBoxInGame() != 0;
    auto make = [this](const SystemBarButton& entry) {
        auto* input = As<CInputBar>(FindBar(kInputBarName));
        if (input == nullptr) {
            return;
        }
        auto* button = new CCorvaneButton;
        Register(button);
        AttachChild(button, kLinkOwned);
        const EventRecord notify = MakeEventRecord(GetId(), entry.event, 0, 0);
        button->Create(GetResourceFrame(entry.image, 0), &notify, kButtonHitVisiblePixels, 0);
        if (entry.name != nullptr) {
            button->SetName(entry.name);
        }
        button->SetSound(kButtonLookHover, "SndTouchButton");
        button->SetSound(kButtonLookPressed, "SndHitButton");
        button->Show();
        auto* caption = new CCorvaneTextButton;
        Register(caption);
        button->AttachChild(caption, kLinkOwned);
        caption->Attach(button, entry.caption, kCaptionWidth);
        input->AddButton(button);
    };
    for (const SystemBarButton& entry : kSystemBarButtons) {
        make(entry);
    }
    if (safeBox) {
        make(kSafeBoxBarButton);
    }
    return safeBox;
}

// --- heights ---

int CSystemBars::SkinHeight(const char* image) {
    if (GetCore() == nullptr) {
        return 0;
    }
    const FrameRecord frame = GetResourceFrame(image, 0);
    return frame.record != nullptr ? frame.height : 0;
}

bool CSystemBars::IsWindowMaximized() {
    if (maximizedProbe_) {
        return maximizedProbe_();
    }
    CGameFrameApp* app = CGameFrameApp::Current();
    CGameFrameView* view = app != nullptr ? app->GetFrameView() : nullptr;
    return view != nullptr && view->UpdateMaximizedState() != 0;
}

int CSystemBars::GetOperateBarHeight() {
    return FindBar(kOperateBarName) != nullptr ? SkinHeight("SystemOperateBar") : 0;
}

int CSystemBars::GetAdvertBarHeight() {
    CGameFrameApp* app = CGameFrameApp::Current();
    // The score table's height (at least 4 rows, at most 8), its tabs above
    // and the web window's extra below.
    const ScoreTableGeometry geometry = ScoreTableGeometry::FromSettings(*this);
    return geometry.TableHeight(app != nullptr ? app->GetPlayerCount() : 0) + geometry.advertExtra +
           geometry.tabHeight + 1;
}

int CSystemBars::GetUserListRowHeight() {
    return SkinHeight("UserListBlock");
}

int CSystemBars::GetUserListBarHeight() {
    CGameFrameApp* app = CGameFrameApp::Current();
    const int header = SkinHeight("SystemUserListBar");
    const int row = GetUserListRowHeight();
    const int fixed = GetIntSetting(kSettingListFixed);
    if (app != nullptr && app->IsRandomTableRoom() && !app->IsLookOn()) {
        return header + 2 * row + fixed;
    }
    if (IsWindowMaximized()) {
        const int players = app != nullptr ? app->GetPlayerCount() : 0;
        return (players + 1) * row + header + fixed;
    }
    return header + 3 * row + fixed;
}

int CSystemBars::GetMatchListBarHeight() {
    return SkinHeight("SystemMatchListBar");
}

int CSystemBars::GetInputBarHeight() {
    return SkinHeight("SystemInputBar");
}

int CSystemBars::GetActivityBarHeight() {
    if (FindBar(kActivityBarName) == nullptr) {
        return 0;
    }
    CGameFrameApp* app = CGameFrameApp::Current();
    const size_t buttons = app != nullptr ? app->GetActiveButtons().size() : 0;
    const bool maximized = IsWindowMaximized();
    if (buttons <= static_cast<size_t>(kActivityButtonsPerRow)) {
        return maximized ? 52 : 100;
    }
    return maximized ? 102 : 100;
}

int CSystemBars::GetChatBoxHeight() {
    const IntRect rect = GetViewRect();
    const int height = rect.bottom - rect.top;
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app != nullptr && app->IsMatch()) {
        return height - GetOperateBarHeight() - GetMatchListBarHeight() - GetInputBarHeight() -
               GetActivityBarHeight();
    }
    return height - GetAdvertBarHeight() - GetOperateBarHeight() - GetUserListBarHeight() -
           GetInputBarHeight() - GetActivityBarHeight() - 2;
}

// --- layout ---

void CSystemBars::Relayout() {
    const IntRect rect = GetViewRect();
    const int left = rect.left;
    const int top = rect.top;
    const int width = rect.right - rect.left;
    const int bottom = rect.bottom;
    const double centreX = left + width / 2;
    const int operate = GetOperateBarHeight();
    int advert = 0;
    int userList = 0;

    if (CCorvaneObject* bar = FindBar(kOperateBarName)) {
        bar->SetSize(width, operate);
        bar->SetPos(centreX, top + operate / 2);
        LayOutBar(bar);
    }
    if (CCorvaneObject* bar = FindBar(kAdvertBarName)) {
        advert = GetAdvertBarHeight();
        bar->SetSize(width - 2, advert);
        bar->SetPos(centreX, top + advert / 2);
        LayOutBar(bar);
    }
    if (CCorvaneObject* bar = FindBar(kMatchListBarName)) {
        const int before = static_cast<int>(bar->GetHeight());
        bar->SetPos(centreX, top + operate + before / 2);
        bar->SetSize(width, GetMatchListBarHeight());
        bar->Show();
        LayOutBar(bar);
    }
    if (auto* bar = As<CUserListBar>(FindBar(kUserListBarName))) {
        userList = GetUserListBarHeight();
        bar->SetSize(width - 2, userList);
        bar->SetPos(centreX, top + operate + advert + userList / 2);
        bar->Show();
        bar->Relayout();
        bar->Invalidate();
        LayoutBackground(left, top + operate, width, userList + advert + 2);
    }
    if (CCorvaneObject* bar = FindBar(kActivityBarName)) {
        const int activity = GetActivityBarHeight();
        bar->SetSize(width, activity);
        if (activity > 0) {
            bar->SetPos((width + 1) / 2 + left,
                        top + operate + advert + userList + 1 + activity / 2);
            bar->Show();
            LayOutBar(bar);
        } else {
            bar->Hide();
        }
    }
    const int input = GetInputBarHeight();
    if (CCorvaneObject* bar = FindBar(kChatBoxName)) {
        const int chat = GetChatBoxHeight();
        if (chat > 0) {
            bar->SetPos((width + 1) / 2 + left, bottom - input - chat / 2);
            bar->SetSize(width, chat);
            bar->Show();
            LayOutBar(bar);
        } else {
            bar->Hide();
        }
    }
    if (CCorvaneObject* bar = FindBar(kInputBarName)) {
        bar->SetSize(width + 1, input);
        bar->SetPos(centreX, bottom - input / 2);
        LayOutBar(bar);
    }
}

void CSystemBars::LayoutBackground(int left, int top, int width, int height) {
    auto* canvas = dynamic_cast<CCorvaneCanvas*>(FindObjectById(backgroundId_));
    if (canvas == nullptr || width <= 0 || height <= 0) {
        return;
    }
    canvas->SetSize(width, height);
    canvas->Resize(width, height);
    canvas->Clear();
    canvas->DrawImageThreePart(GetResourceFrame("bit_SystemBar", 0),
                               GetResourceFrame("bit_SystemBar", 1),
                               GetResourceFrame("bit_SystemBar", 2));
    canvas->SetZ(GetZ());
    canvas->SetPos(left + width / 2, top + height / 2);
    canvas->Show();
    canvas->Invalidate();
}

// --- entering the room ---

void CSystemBars::OnEnterRoom() {
    auto* match = As<CMatchListBar>(FindBar(kMatchListBarName));
    if (match != nullptr) {
        match->RefreshPortrait();
    }
    if (auto* users = As<CUserListBar>(FindBar(kUserListBarName))) {
        users->RebuildRows();
    }
    if (match != nullptr) {
        match->RefreshTexts();
    }
    if (auto* advert = As<CAdvertBar>(FindBar(kAdvertBarName))) {
        advert->RebuildScoreTable();
    }
    if (FindBar(kChatBoxName) != nullptr) {
        WriteWelcomeLine();
        CGameFrameApp* app = CGameFrameApp::Current();
        if (CGameFrameWnd* frame = app != nullptr ? app->GetMainFrame() : nullptr) {
            frame->FetchGameNotice();
        }
    }
}

// --- buttons and panels ---

void CSystemBars::RefreshMatchList() {
    if (auto* match = As<CMatchListBar>(FindBar(kMatchListBarName))) {
        match->ResumeElapsedClock();
    }
}

void CSystemBars::ClearChat() {
    if (auto* chat = As<CChatBox>(FindBar(kChatBoxName))) {
        chat->Clear();
    }
}

void CSystemBars::ShowEmoticonPanel() {
    if (auto* chat = As<CChatBox>(FindBar(kChatBoxName))) {
        chat->ShowEmoticonPanel();
    }
}

void CSystemBars::OpenAdvicePage() {
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app == nullptr) {
        return;
    }
    char path[64];
    std::snprintf(path, sizeof path, kAdvicePageFormat, app->GetGameID());
    app->OpenUrlInHall(kAdviceScheme + AdviceHost() + path, 1);
}

std::string CSystemBars::AdviceHost() {
    CGameFrameApp* app = CGameFrameApp::Current();
    std::string host = app != nullptr ? app->GetAdvertHost() : std::string();
    return host.empty() ? std::string("localhost") : host;
}

void CSystemBars::OnSafeBoxButton() {
    if (auto* input = As<CInputBar>(FindBar(kInputBarName))) {
        input->HandleSafeBoxButton(1);
        input->LoadFixDeposit();
        input->RefreshAmounts();
    }
}

void CSystemBars::ShowQuickDeposit() {
    if (auto* input = As<CInputBar>(FindBar(kInputBarName))) {
        input->LoadFixDeposit();
        input->ShowQuickSilverMenu(100, 20);
    }
}

void CSystemBars::ChatBoxCommand(intptr_t param) {
    auto* chat = As<CChatBox>(FindBar(kChatBoxName));
    const char* text = EventParamPointer<const char>(param);
    if (chat != nullptr && text != nullptr) {
        chat->AppendLong(text);
    }
}

// --- the event table ---

CCorvaneObject* CSystemBars::FindBar(const char* name) {
    return GetCore() != nullptr ? FindObjectByName(name) : nullptr;
}

int CSystemBars::OnEvent(const EventRecord& record) {
    const intptr_t p1 = record.param1;
    const intptr_t p2 = record.param2;
    auto bytes = [&]() -> Record {
        if (p1 == 0 || p2 <= 0) {
            return {};
        }
        return Record(EventParamPointer<const uint8_t>(p1), static_cast<size_t>(p2));
    };
    auto userBytes = [&]() { return EventParamPointer<uint8_t>(p1); };
    auto text = [&]() { return EventParamPointer<const char>(p1); };
    auto* match = As<CMatchListBar>(FindBar(kMatchListBarName));
    switch (record.event) {
        case kClearChatButton:
            ClearChat();
            break;
        case kEmoticonButton:
            ShowEmoticonPanel();
            break;
        case kScreenshotButton:
            SaveScreenshot();
            break;
        case kAdviceButton:
            OpenAdvicePage();
            break;
        case kSafeBoxButton:
            OnSafeBoxButton();
            break;
        case kMatchPortrait:
            if (CGameFrameApp* app = CGameFrameApp::Current()) {
                if (CGameConnection* connection = app->GetConnection()) {
                    connection->RequestUserInfo(static_cast<int32_t>(p1));
                }
            }
            break;
        case kUserEnterTable:
            OnUserEnterTable(userBytes(), static_cast<size_t>(std::max<intptr_t>(p2, 0)));
            break;
        case kLookOnEnter:
            OnLookOnEnter(userBytes(), static_cast<size_t>(std::max<intptr_t>(p2, 0)));
            break;
        case kUserLeaveTable:
            OnUserLeaveTable(userBytes(), static_cast<size_t>(std::max<intptr_t>(p2, 0)));
            break;
        case kLookOnLeave:
            OnLookOnLeave(userBytes(), static_cast<size_t>(std::max<intptr_t>(p2, 0)));
            break;
        case kRandomTable:
            OnRandomTable();
            break;
        case kRebuildUserList:
            if (auto* users = As<CUserListBar>(FindBar(kUserListBarName))) {
                users->RebuildRows();
            }
            break;
        case kChangeTable:
            OnChangeTable();
            break;
        case kBaseSilver:
            OnBaseSilverNotify(bytes());
            break;
        case kStandingsSorted:
            if (match != nullptr) {
                match->RebuildStandings();
            }
            break;
        case kMatchClockStart:
            if (match != nullptr) {
                match->StartElapsedClock();
            }
            break;
        case kMatchClockStop:
            if (match != nullptr) {
                match->StopElapsedClock();
            }
            break;
        case kSignUpCount:
            if (match != nullptr) {
                match->ShowSignUpCount(static_cast<int>(p1));
            }
            break;
        case kSignedUp:
            OnSignedUpHook();
            break;
        case kAppendChat:
            if (text() != nullptr) {
                AddChatBoxLine(text());
            }
            break;
        case kOtherChat:
            AddOtherChatLine(bytes());
            break;
        case kServerChat:
            AddChatLine(bytes());
            break;
        case kAdvertNavigate:
            NavigateAdvert(EventParamPointer<char>(p1));
            break;
        case kAmuletSkill:
            AddAmuletSkillLine(bytes());
            break;
        case kPlayersRenamed:
            OnPlayersRenamed(p1);
            break;
        case kLotteryProgress:
            OnLotteryProgress(bytes());
            break;
        case kLotteryProgress2:
            OnLotteryProgress2(bytes());
            break;
        case kLotteryResult:
            OnLotteryResult(bytes());
            break;
        case kLotteryBroadcast:
            OnLotteryBroadcast(bytes());
            break;
        case kSystemNotice:
            OnSystemNotice(bytes());
            break;
        case kTaskRewardFail:
            OnTaskRewardFail(bytes());
            break;
        case kNoticeText:
            ChatBoxCommand(p1);
            break;
        case kEmoticonToChat:
            AddChatText(text(), p2, 0);
            break;
        case kEmoticonToInput:
            AddChatText(text(), p2, 1);
            break;
        case kInputBoxCommand:
            if (auto* input = As<CInputBar>(FindBar(kInputBarName))) {
                input->InputBoxCommand();
            }
            break;
        case kSendOwnLine:
            if (char* heap = EventParamPointer<char>(p1)) {
                AddMyChatLine(heap);
                FreeEventBlock(heap);
            }
            break;
        case kTogglePhrases:
            if (auto* input = As<CInputBar>(FindBar(kInputBarName))) {
                input->ToggleQuickChatList();
            }
            break;
        case kQuickPhrase:
            if (text() != nullptr) {
                AddMyChatLine(text());
            }
            if (CCorvaneObject* list = p2 != 0 ? FindObjectById(static_cast<int>(p2)) : nullptr) {
                list->Hide();
                list->Invalidate();
            }
            break;
        case kMatchChatClear:
            ClearChat();
            break;
        case kPrizeNotify:
            OnPrizeNotify(bytes());
            break;
        case kNothing:
        default:
            break;
    }
    return 1;
}

void CSystemBars::NavigateAdvert(char* heapText) {
    if (heapText == nullptr) {
        return;
    }
    if (auto* advert = As<CAdvertBar>(FindBar(kAdvertBarName))) {
        advert->Navigate(heapText);
    }
    // The text is the container's to free, advert bar or not.
    FreeEventBlock(heapText);
}
