// The side panel in the engine window: the bars it makes for a normal and a
// match client, their heights and places, its event table, own chat with
// its limits, the notices it writes and the screenshot line.

#include <gtest/gtest.h>

#include <cstring>

#include "engine/GameCore.h"
#include "frame/panels/ChatBox.h"
#include "frame/panels/InputBar.h"
#include "platform/System.h"
#include "tests/frame_panels/SidePanelFixture.h"

#if defined(__SANITIZE_ADDRESS__)
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

namespace side_panel_test {
namespace {

constexpr int kEventOwnLine = 80000076;
constexpr int kEventQuickPhrase = 80000078;

// Names of the bars that exist.
std::vector<std::string> BarNames(CSystemBars& bars) {
    std::vector<std::string> names;
    for (const char* name :
         {CSystemBars::kAdvertBarName, CSystemBars::kUserListBarName,
          CSystemBars::kMatchListBarName, CSystemBars::kActivityBarName, CSystemBars::kChatBoxName,
          CSystemBars::kInputBarName, CSystemBars::kOperateBarName}) {
        if (bars.FindObjectByName(name) != nullptr) {
            names.emplace_back(name);
        }
    }
    return names;
}

// Bytes the heap holds now.
size_t HeapInUse() {
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

char* HeapText(const std::string& text) {
    auto* copy = static_cast<char*>(AllocEventBlock(text.size() + 1));
    std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

std::vector<uint8_t> UserBytes(const UserRecord& user) {
    const auto bytes = RecordBytes(user);
    return {bytes.begin(), bytes.end()};
}

TEST_F(SidePanelTest, ANormalClientHasTheAdvertBarAndTheUserList) {
    Open();
    EXPECT_EQ(BarNames(Bars()),
              (std::vector<std::string>{"AdvertBar", "UserListBar", "ChatBox", "InputBar"}));
}

TEST_F(SidePanelTest, AMatchClientHasTheMatchListInstead) {
    app.match = true;
    app.GetActiveButtons() = {0};
    Open();
    EXPECT_EQ(BarNames(Bars()),
              (std::vector<std::string>{"MatchListBar", "ActivityBar", "ChatBox", "InputBar"}));
}

TEST_F(SidePanelTest, ASilverRoomListsSixColumnsWithTheWealthLevel) {
    Open();
    std::vector<std::string> titles;
    for (const UserListColumn& column : UserList()->GetColumns()) {
        titles.push_back(std::to_string(column.type) + column.title + std::to_string(column.width));
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"0用户名138", "2银子60", "1积分60", "4财富等级80",
                                                "3级别80", "5旁观对象80"}));
}

TEST_F(SidePanelTest, OtherRoomsListFiveColumns) {
    launch.room.options = 0;
    Open();
    std::vector<std::string> titles;
    for (const UserListColumn& column : UserList()->GetColumns()) {
        titles.push_back(std::to_string(column.type) + column.title);
    }
    EXPECT_EQ(titles,
              (std::vector<std::string>{"0用户名", "1积分", "3级别", "2银子", "5旁观对象"}));
}

TEST_F(SidePanelTest, UserListHeightByRoomRoleAndWindow) {
    bool maximized = false;
    Open([&](CSystemBars& bars) { bars.SetMaximizedProbe([&] { return maximized; }); });
    Bars().SetIntSetting(50011, 7);
    // H 24, r 20, e 7.
    EXPECT_EQ(Bars().GetUserListRowHeight(), 20);
    EXPECT_EQ(Bars().GetUserListBarHeight(), 24 + 3 * 20 + 7);
    maximized = true;
    EXPECT_EQ(Bars().GetUserListBarHeight(), (4 + 1) * 20 + 24 + 7);
    // Seated in a random-table room: two rows whatever the window.
    launch.room.flags = RoomInfo::kFlagRandomTable;
    ASSERT_TRUE(app.InitGameData(launch.Build()));
    EXPECT_EQ(Bars().GetUserListBarHeight(), 24 + 2 * 20 + 7);
}

TEST_F(SidePanelTest, ActivityHeightByButtonCountAndWindow) {
    bool maximized = false;
    app.GetActiveButtons() = {0, 1, 2, 3, 4};
    Open([&](CSystemBars& bars) { bars.SetMaximizedProbe([&] { return maximized; }); });
    EXPECT_EQ(Bars().GetActivityBarHeight(), 100);
    maximized = true;
    EXPECT_EQ(Bars().GetActivityBarHeight(), 52);
    app.GetActiveButtons().push_back(5);
    EXPECT_EQ(Bars().GetActivityBarHeight(), 102);
    maximized = false;
    EXPECT_EQ(Bars().GetActivityBarHeight(), 100);
}

TEST_F(SidePanelTest, WithoutActiveButtonsThereIsNoActivityBarAndItsHeightIs0) {
    Open();
    EXPECT_EQ(Bars().FindObjectByName("ActivityBar"), nullptr);
    EXPECT_EQ(Bars().GetActivityBarHeight(), 0);
    EXPECT_EQ(Bars().GetOperateBarHeight(), 0);
}

TEST_F(SidePanelTest, TheChatBoxTakesWhatTheOtherBarsLeaveAndHidesAt0) {
    Open([](CSystemBars& bars) { bars.SetMaximizedProbe([] { return false; }); });
    for (int id : {50007, 50008, 50009, 50011}) {
        Bars().SetIntSetting(id, 10);
    }
    // Advert 4 × 10 + 30 + 1 = 71; user list 24 + 60 + 10 = 94; input 60.
    EXPECT_EQ(Bars().GetAdvertBarHeight(), 71);
    Bars().SetViewRect(IntRect{10, 20, 261, 520});
    EXPECT_EQ(Bars().GetChatBoxHeight(), 500 - 71 - 94 - 60 - 2);
    CCorvaneObject* chat = Bars().FindObjectByName("ChatBox");
    ASSERT_NE(chat, nullptr);
    EXPECT_TRUE(chat->IsVisible());
    EXPECT_DOUBLE_EQ(chat->GetHeight(), 273);
    // Too small for the chat box: hidden, not sized.
    Bars().SetViewRect(IntRect{10, 20, 261, 247});
    EXPECT_LE(Bars().GetChatBoxHeight(), 0);
    EXPECT_FALSE(chat->IsVisible());
    EXPECT_DOUBLE_EQ(chat->GetHeight(), 273);
}

TEST_F(SidePanelTest, LayoutCentresBarsWithOddSizesRoundedTowardZero) {
    Open([](CSystemBars& bars) { bars.SetMaximizedProbe([] { return false; }); });
    for (int id : {50007, 50008, 50009, 50011}) {
        Bars().SetIntSetting(id, 10);
    }
    // W = 251, H = 501.
    Bars().SetViewRect(IntRect{10, 20, 261, 521});
    CCorvaneObject* advert = Bars().FindObjectByName("AdvertBar");
    CCorvaneObject* users = Bars().FindObjectByName("UserListBar");
    CCorvaneObject* chat = Bars().FindObjectByName("ChatBox");
    CCorvaneObject* input = Bars().FindObjectByName("InputBar");
    ASSERT_TRUE(advert && users && chat && input);
    // Advert: 249 × 71 at (10 + 125, 20 + 35).
    EXPECT_DOUBLE_EQ(advert->GetWidth(), 249);
    EXPECT_DOUBLE_EQ(advert->GetX(), 135);
    EXPECT_DOUBLE_EQ(advert->GetY(), 55);
    // User list: 249 × 94 below it, centre y 20 + 71 + 47.
    EXPECT_DOUBLE_EQ(users->GetWidth(), 249);
    EXPECT_DOUBLE_EQ(users->GetX(), 135);
    EXPECT_DOUBLE_EQ(users->GetY(), 138);
    // Chat: c = 501 - 71 - 94 - 60 - 2 = 274, centre ((251 + 1) / 2 + 10, 521 - 60 - 137).
    EXPECT_DOUBLE_EQ(chat->GetWidth(), 251);
    EXPECT_DOUBLE_EQ(chat->GetX(), 136);
    EXPECT_DOUBLE_EQ(chat->GetY(), 324);
    // Input: 252 × 60 at (135, 521 - 30).
    EXPECT_DOUBLE_EQ(input->GetWidth(), 252);
    EXPECT_DOUBLE_EQ(input->GetX(), 135);
    EXPECT_DOUBLE_EQ(input->GetY(), 491);
}

TEST_F(SidePanelTest, UnknownAndEmptyEventsAnswer1AndDoNothing) {
    Open();
    TakeLines();
    for (int event : {0, 19840400, 80000000, 80000063, 80000999, -5}) {
        EXPECT_EQ(Send(event, 0x1234, 77), 1) << event;
    }
    // Record events without a record write nothing.
    for (int event : {80000021, 80000058, 80000059, 80000061, 80000066, 80000070, 80000104}) {
        EXPECT_EQ(Send(event, 0, 0), 1) << event;
    }
    EXPECT_TRUE(TakeLines().empty());
}

TEST_F(SidePanelTest, TheAdvertAddressIsFreedWithoutAnAdvertBar) {
    app.match = true;  // no advert bar
    Open();
    ASSERT_EQ(Bars().FindObjectByName("AdvertBar"), nullptr);
    // A megabyte of address: kept, it would show in the heap.
    const size_t before = HeapInUse();
    EXPECT_EQ(Send(80000060, EventParam(HeapText("http://" + std::string(1 << 20, 'a')))), 1);
    EXPECT_LT(HeapInUse(), before + (1 << 19));
}

// --- own chat ---

TEST_F(SidePanelTest, OwnChatIsCutAtAWholeCharacterAndSentOnce) {
    uint32_t now = 100;  // early after start: the first line still passes
    Open([&](CSystemBars& bars) { bars.SetTickClock([&] { return now; }); });
    const std::string text = std::string(59, 'a') + "你好";
    EXPECT_EQ(Send(kEventOwnLine, EventParam(HeapText(text))), 1);
    EXPECT_EQ(app.panelConnection.sent,
              (std::vector<std::string>{"201211 " + std::string(59, 'a')}));
    EXPECT_EQ(Bars().GetLastChatTick(), 100u);
    // Online the line is not written here: the server's echo writes it.
    for (const std::string& line : TakeLines()) {
        EXPECT_EQ(line.find("我说"), std::string::npos) << line;
    }
}

TEST_F(SidePanelTest, TheFloodLimitIs2000Milliseconds) {
    uint32_t now = 50000;
    Open([&](CSystemBars& bars) { bars.SetTickClock([&] { return now; }); });
    Bars().AddMyChatLine("one");
    now += 1999;
    Bars().AddMyChatLine("two");
    now += 1;
    Bars().AddMyChatLine("three");
    EXPECT_EQ(app.panelConnection.sent, (std::vector<std::string>{"201211 one", "201211 three"}));
    EXPECT_EQ(Bars().GetLastChatTick(), 52000u);
    // A tick count that wrapped is still measured forwards.
    now = 0xFFFFFFF0u;
    Bars().AddMyChatLine("four");
    now = 0x7E0;  // 2016 ms later
    Bars().AddMyChatLine("five");
    EXPECT_EQ(app.panelConnection.sent.back(), "201211 five");
}

TEST_F(SidePanelTest, OfflineAndHighlightedPlayersAreNotLimited) {
    uint32_t now = 50000;
    launch.seats[0].flags = UserRecord::kFlagHighlighted;
    Open([&](CSystemBars& bars) { bars.SetTickClock([&] { return now; }); });
    Bars().AddMyChatLine("a");
    Bars().AddMyChatLine("b");
    EXPECT_EQ(app.panelConnection.sent.size(), 2u);
    launch.seats[0].flags = 0;
    ASSERT_TRUE(app.InitGameData(launch.Build()));
    app.SetOfflineMode(true);
    Bars().SetIntSetting(50013, 77);
    TakeLines();
    Bars().AddMyChatLine("c");
    Bars().AddMyChatLine("d");
    EXPECT_EQ(app.panelConnection.sent.size(), 4u);
    // Offline the own line is also written locally.
    const std::vector<std::string> written = TakeLines();
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(written[0], "line  <c=77>我说: <c=77>c<><>\r\n");
}

TEST_F(SidePanelTest, AChatCommandIsNeitherSentNorShown) {
    uint32_t now = 50000;
    Open([&](CSystemBars& bars) { bars.SetTickClock([&] { return now; }); });
    app.consumeCommands = true;
    Bars().AddMyChatLine("/debug");
    EXPECT_EQ(app.commands, (std::vector<std::string>{"/debug"}));
    EXPECT_TRUE(app.panelConnection.sent.empty());
    // A member's long line reaches the hook whole.
    app.consumeCommands = false;
    launch.seats[0].flags = UserRecord::kFlagMember;
    ASSERT_TRUE(app.InitGameData(launch.Build()));
    now += 5000;
    Bars().AddMyChatLine(std::string(100, 'm').c_str());
    EXPECT_EQ(app.commands.back(), std::string(100, 'm'));
}

TEST_F(SidePanelTest, AQuickPhraseIsSentAndItsListHidden) {
    Open();
    CCorvaneObject* list = Bars().CreateObject();
    list->Show();
    EXPECT_EQ(Send(kEventQuickPhrase, EventParam("晕，打错牌啦!"), list->GetId()), 1);
    EXPECT_EQ(app.panelConnection.sent, (std::vector<std::string>{"201211 晕，打错牌啦!"}));
    EXPECT_FALSE(list->IsVisible());
}

TEST_F(SidePanelTest, TheServersEchoOfOwnChatIsTheIsaidLine) {
    Open();
    Bars().SetIntSetting(50013, 1234);
    std::vector<uint8_t> record(100, 0);
    record[0] = kOwnId;
    record[8] = 8;
    std::memcpy(record.data() + 36, "你好abc", std::strlen("你好abc"));
    TakeLines();
    EXPECT_EQ(Send(80000059, EventParam(record.data()), intptr_t(record.size())), 1);
    EXPECT_EQ(TakeLines(), (std::vector<std::string>{"view  <c=1234>我说: 你好abc"}));
}

// --- notices ---

TEST_F(SidePanelTest, TableNoticesGoThroughTheApplicationToTheChatBox) {
    Open();
    TakeLines();
    std::vector<uint8_t> user = UserBytes(app.GetSeat(1));
    EXPECT_EQ(Send(80000014, EventParam(user.data()), intptr_t(user.size())), 1);
    EXPECT_EQ(TakeLines(), (std::vector<std::string>{"line  <c=255>乙进入第1桌 \r\n"}));
    EXPECT_EQ(Send(80000016, EventParam(user.data()), intptr_t(user.size())), 1);
    EXPECT_EQ(TakeLines(), (std::vector<std::string>{"line  <c=255>乙离开第1桌 \r\n"}));
    // The record handed over is cleared whole.
    EXPECT_EQ(user, std::vector<uint8_t>(UserRecord::kSize, 0));
    EXPECT_EQ(Send(80000020), 1);
    EXPECT_EQ(TakeLines(), (std::vector<std::string>{"line  <c=255>您已经被换到第5桌\r\n"}));
}

TEST_F(SidePanelTest, ALookerOnWhoLeavesIsClearedAndHisSlotReused) {
    Open();
    // 64 lookers-on come and go; the 65th still gets a slot and a row.
    for (int32_t i = 0; i < 64; ++i) {
        const UserRecord looker = MakeLaunchUser(1000 + i, 0, "观" + std::to_string(i), 1);
        ASSERT_TRUE(app.AddLookerOn(looker)) << i;
        std::vector<uint8_t> bytes = UserBytes(looker);
        Send(80000017, EventParam(bytes.data()), intptr_t(bytes.size()));
        EXPECT_EQ(bytes, std::vector<uint8_t>(UserRecord::kSize, 0));
    }
    EXPECT_EQ(app.FindUser(1000), nullptr);
    EXPECT_TRUE(app.AddLookerOn(MakeLaunchUser(2000, 0, "新来", 1)));
    Send(80000019);
    int lookers = 0;
    for (int r = 0; r < Rows()->GetRowCount(); ++r) {
        lookers += Rows()->GetRow(r)->user.lookOn != 0 ? 1 : 0;
    }
    EXPECT_EQ(lookers, 1);
}

TEST_F(SidePanelTest, AHighlightedLookerOnLeavesSilentlyButLosesHisPermission) {
    UserRecord star = MakeLaunchUser(300, 0, "星", 1);
    star.flags = UserRecord::kFlagHighlighted;
    launch.lookers = {star};
    Open();
    TakeLines();
    std::vector<uint8_t> bytes = UserBytes(star);
    Send(80000017, EventParam(bytes.data()), intptr_t(bytes.size()));
    EXPECT_TRUE(TakeLines().empty());
    EXPECT_EQ(app.FindUser(300), nullptr);
}

TEST_F(SidePanelTest, SilverNoticeAndBaseSilverFromOneRecord) {
    Open();
    TakeLines();
    std::vector<uint8_t> record(24, 0);
    const int32_t words[] = {kOwnId, 0, 2, 500, 1500, 20};
    std::memcpy(record.data(), words, sizeof words);
    Send(80000021, EventParam(record.data()), intptr_t(record.size()));
    const std::vector<std::string> written = TakeLines();
    ASSERT_EQ(written.size(), 2u);
    EXPECT_NE(written[0].find("存入<c=255>500<>两银子到保险箱"), std::string::npos);
    EXPECT_EQ(written[1], "line  <z=qe系统通知> 当前基础银为<c=255>20<>两 \r\n");
}

TEST_F(SidePanelTest, TheWelcomeLineOnEnteringTheRoom) {
    Open();
    TakeLines();
    Bars().OnEnterRoom();
    EXPECT_EQ(TakeLines(),
              (std::vector<std::string>{
                  "line  欢迎来到 <s=180,c=10715996,e=b>测试区\r\n<> 您的位置：新手房 第5桌\r\n"}));
}

// --- screenshot ---

TEST_F(SidePanelTest, TheScreenshotLineOnlyForAWrittenPicture) {
    platform::SetLocalTimeSourceForTesting(
        [] { return platform::LocalDateTime{2026, 12, 7, 9, 30, 5}; });
    int answer = 0;
    std::vector<std::string> paths;
    Open([&](CSystemBars& bars) {
        bars.SetScreenWriter([&](const char* path, int quality) {
            paths.push_back(std::string(path) + " " + std::to_string(quality));
            return answer;
        });
    });
    TakeLines();
    EXPECT_EQ(Send(19840397), 1);
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_EQ(paths[0], app.GetExeDir() + "temp\\pvbn_100_20261207_93005.jpg 75");
    EXPECT_TRUE(TakeLines().empty());
    answer = 1;
    Send(19840397);
    const std::vector<std::string> written = TakeLines();
    ASSERT_EQ(written.size(), 1u);
    EXPECT_NE(written[0].find("游戏截图已保存到<url_text=" + app.GetExeDir() + "temp\\,临时目录>"),
              std::string::npos);
    platform::SetLocalTimeSourceForTesting(nullptr);
}

}  // namespace
}  // namespace side_panel_test
