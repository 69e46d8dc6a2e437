// The side panel's chat-pane lines: own chat with its length and flood
// limits and its send request, other players' chat, the table, look-on,
// silver, prize, lottery and task notices, the welcome and screenshot lines
// and the default quick phrases.

#include <algorithm>
#include <cstring>

#include "engine/EngineUtils.h"
#include "engine/ui/RichText.h"
#include "frame/GameFrameApp.h"
#include "frame/GameFrameSeams.h"
#include "frame/net/GameConnection.h"
#include "frame/panels/AdvertBar.h"
#include "frame/panels/ChatBox.h"
#include "frame/panels/ChatLines.h"
#include "frame/panels/InputBar.h"
#include "frame/panels/SystemBars.h"
#include "frame/panels/UserListBar.h"
#include "frame/panels/services/SaveScreenJpeg.h"
#include "platform/Sync.h"
#include "platform/System.h"

using namespace chat_lines;

namespace {

constexpr int kSettingOwnColour = 50013;
constexpr int kSettingOtherNameColour = 50014;
constexpr int kSettingOtherTextColour = 50015;
constexpr int kScreenshotQuality = 75;

constexpr const char* kQuickPhrases[] = {
    "快点吧，我等到花儿也谢了!",  "我是菜鸟，大侠手下留情!",
    "小意思，这些赏你的。",       "晕，打错牌啦!",
    "不要走，再战三百回合!",      "555~~~你们都欺负我!",
    "这牌打的也太给力了吧!",      "神马都是浮云，打好牌才是关键。",
    "真不好意思，我要离开一会。", "下次再玩，我要走了。",
};

// The user id of a UserRecord handed over with an event; 0 when short.
int32_t UserIdOf(const uint8_t* user, size_t length) {
    return user != nullptr ? WordAt(std::span<const uint8_t>(user, length), 0) : 0;
}

int32_t TableNoOf(const uint8_t* user, size_t length) {
    constexpr size_t kTableNoAt = 140;
    return user != nullptr ? WordAt(std::span<const uint8_t>(user, length), kTableNoAt) : 0;
}

// The record handed over is the sender's copy of the user; it is cleared
// whole, as far as it reaches.
void ZeroUserRecord(uint8_t* user, size_t length) {
    if (user != nullptr) {
        std::memset(user, 0, std::min(length, UserRecord::kSize));
    }
}

}  // namespace

uint32_t CSystemBars::NowTick() {
    return tickClock_ ? tickClock_() : platform::GetTickCount32();
}

chat_lines::ChatColours CSystemBars::Colours() {
    return ChatColours{GetIntSetting(kSettingOwnColour), GetIntSetting(kSettingOtherNameColour),
                       GetIntSetting(kSettingOtherTextColour)};
}

void CSystemBars::AppendChatText(const std::string& text) {
    if (text.empty()) {
        return;
    }
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app != nullptr && app->GetSubSystemView() == this) {
        app->AppendChatText(text);
        return;
    }
    // Not (yet) the application's side panel: the same event, delivered here.
    OnEvent(MakeEventRecord(GetId(), kEventAppendChatText, EventParam(text.c_str()), 0));
}

void CSystemBars::AppendToChatView(const std::string& text) {
    auto* chat = dynamic_cast<CChatBox*>(FindBar(kChatBoxName));
    CCorvaneRichText* view = chat != nullptr ? chat->GetView() : nullptr;
    if (view != nullptr && !text.empty()) {
        view->AppendText(text.c_str());
    }
}

void CSystemBars::AddChatBoxLine(const std::string& text) {
    if (auto* chat = dynamic_cast<CChatBox*>(FindBar(kChatBoxName)); chat != nullptr) {
        chat->AddLine(text.c_str());
    }
}

// --- own chat ---

void CSystemBars::AddChatText(const char* text, intptr_t /*ignored*/, int toInput) {
    if (text == nullptr) {
        return;
    }
    auto* input = dynamic_cast<CInputBar*>(FindBar(kInputBarName));
    if (input == nullptr) {
        return;
    }
    if (toInput != 0 || input->HasInputText() != 0) {
        input->InsertText(text);
        return;
    }
    if (FindBar(kChatBoxName) != nullptr) {
        AddMyChatLine(text);
    }
}

void CSystemBars::AddMyChatLine(const char* text) {
    CGameFrameApp* app = CGameFrameApp::Current();
    if (text == nullptr || app == nullptr) {
        return;
    }
    const int32_t self = app->GetUserID();
    const size_t limit = app->IsMemberUser(self) ? kMemberChatLimit : kChatLimit;
    const std::string line = CutOwnChat(text, limit);
    if (line.empty()) {
        return;
    }
    if (!app->IsHighlightedUser(self) && !app->IsOfflineMode()) {
        const uint32_t now = NowTick();
        // The first own line has nothing to be too close to.
        if (!noChatYet_ && now - m_lastChatTick < kFloodMilliseconds) {
            return;
        }
        m_lastChatTick = now;
        noChatYet_ = false;
    }
    if (auto* input = dynamic_cast<CInputBar*>(FindBar(kInputBarName))) {
        input->ClearInput();
    }
    if (app->HandleChatCommand(line.c_str()) != 0) {
        return;
    }
    if (CGameConnection* connection = app->GetConnection()) {
        connection->SendChatText(line);
    }
    if (app->IsOfflineMode()) {
        AddChatBoxLine(OwnLine(*app, Colours(), line));
    }
}

void CSystemBars::AddOtherChatLine(Record record) {
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app != nullptr && !record.empty()) {
        AppendToChatView(OtherPlayerLine(*app, Colours(), record));
    }
}

void CSystemBars::AddChatLine(Record record) {
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app != nullptr && !record.empty()) {
        AppendToChatView(ServerChatLine(*app, Colours(), record));
    }
}

void CSystemBars::AddAmuletSkillLine(Record record) {
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app == nullptr || record.empty()) {
        return;
    }
    for (int chair = 0; chair < app->GetPlayerCount() && chair < kSeatCount; ++chair) {
        AddChatBoxLine(AmuletSkillLine(*app, Colours(), record, chair));
    }
}

// --- table notices ---

void CSystemBars::WriteWelcomeLine() {
    if (CGameFrameApp* app = CGameFrameApp::Current()) {
        AppendChatText(WelcomeLine(*app));
    }
}

void CSystemBars::RefreshScoreAfterTableChange(bool resetHistory) {
    auto* advert = dynamic_cast<CAdvertBar*>(FindBar(kAdvertBarName));
    if (advert == nullptr) {
        return;
    }
    if (CGameFrameApp* app = CGameFrameApp::Current(); app != nullptr && resetHistory) {
        app->ResetHistory();
    }
    advert->RefreshScoreTable();
}

void CSystemBars::OnUserEnterTable(uint8_t* user, size_t length) {
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app == nullptr || user == nullptr) {
        return;
    }
    AppendChatText(UserEnterLine(*app, UserIdOf(user, length), TableNoOf(user, length)));
    if (auto* advert = dynamic_cast<CAdvertBar*>(FindBar(kAdvertBarName))) {
        advert->RefreshScoreTable();
    }
}

void CSystemBars::OnUserLeaveTable(uint8_t* user, size_t length) {
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app == nullptr || user == nullptr) {
        return;
    }
    AppendChatText(UserLeaveLine(*app, UserIdOf(user, length), TableNoOf(user, length)));
    ZeroUserRecord(user, length);
    RefreshScoreAfterTableChange(true);
}

void CSystemBars::OnLookOnEnter(uint8_t* user, size_t length) {
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app != nullptr && user != nullptr) {
        AppendChatText(LookOnEnterLine(*app, UserIdOf(user, length)));
    }
}

void CSystemBars::OnLookOnLeave(uint8_t* user, size_t length) {
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app == nullptr || user == nullptr) {
        return;
    }
    const int32_t userId = UserIdOf(user, length);
    AppendChatText(LookOnLeaveLine(*app, userId));
    if (auto* users = dynamic_cast<CUserListBar*>(FindBar(kUserListBarName))) {
        if (CUserListCtrl* rows = users->GetRowsControl()) {
            rows->RemoveLookOnAllowed(userId);
        }
    }
    // The looker-on is gone: his record is cleared, so that he is no longer
    // listed and his slot takes the next arrival.
    ZeroUserRecord(user, length);
    app->RemoveLookerOn(userId);
}

void CSystemBars::OnRandomTable() {
    if (CGameFrameApp* app = CGameFrameApp::Current()) {
        AppendChatText(RandomTableLine(*app));
        RefreshScoreAfterTableChange(true);
    }
}

void CSystemBars::OnChangeTable() {
    if (CGameFrameApp* app = CGameFrameApp::Current()) {
        AppendChatText(ChangeTableLine(*app));
        RefreshScoreAfterTableChange(true);
    }
}

// --- notices ---

void CSystemBars::OnBaseSilverNotify(Record record) {
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app == nullptr || record.empty()) {
        return;
    }
    AppendChatText(BaseSilverLine(*app, record));
    const CGameTableData* table = app->GetTableData();
    AppendChatText(BaseSilverChangeLine(record, table != nullptr ? table->GetBaseSilver() : 0));
}

void CSystemBars::OnPrizeNotify(Record record) {
    if (CGameFrameApp* app = CGameFrameApp::Current(); app != nullptr && !record.empty()) {
        AppendChatText(PrizeLine(*app, record));
    }
}

void CSystemBars::OnLotteryProgress(Record record) {
    if (CGameFrameApp* app = CGameFrameApp::Current(); app != nullptr && !record.empty()) {
        AppendChatText(LotteryProgressLine(*app, record));
    }
}

void CSystemBars::OnLotteryProgress2(Record record) {
    if (CGameFrameApp* app = CGameFrameApp::Current(); app != nullptr && !record.empty()) {
        AppendChatText(LotteryProgress2Line(*app, record));
    }
}

void CSystemBars::OnLotteryResult(Record record) {
    if (!record.empty()) {
        AppendChatText(LotteryResultLine(record));
    }
}

void CSystemBars::OnLotteryBroadcast(Record record) {
    if (!record.empty()) {
        AppendChatText(LotteryBroadcastLine(record));
    }
}

void CSystemBars::OnSystemNotice(Record record) {
    if (!record.empty()) {
        AppendChatText(SystemNoticeLine(record));
    }
}

void CSystemBars::OnTaskRewardFail(Record record) {
    if (!record.empty()) {
        AppendChatText(TaskRewardFailLine(record));
    }
}

// --- screenshot and quick phrases ---

void CSystemBars::SaveScreenshot() {
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app == nullptr) {
        return;
    }
    const std::string folder = app->GetExeDir() + "temp\\";
    CreateDirectoryPath(folder, true);
    const std::string path =
        app->GetExeDir() +
        ScreenshotFileName(app->GetGameCode().c_str(), app->GetUserID(), platform::LocalNow());
    const int written = screenWriter_ ? screenWriter_(path.c_str(), kScreenshotQuality)
                                      : SaveScreenJpeg(path.c_str(), kScreenshotQuality);
    // The line names a file that is there: only a written picture gets it.
    if (written != 1) {
        return;
    }
    lastScreenshot_ = path;
    AppendChatText(ScreenshotLine(folder));
}

void CSystemBars::LoadQuickPhrases() {
    auto* input = dynamic_cast<CInputBar*>(FindBar(kInputBarName));
    if (input == nullptr) {
        return;
    }
    for (const char* phrase : kQuickPhrases) {
        input->AddQuickPhrase(phrase);
    }
}
