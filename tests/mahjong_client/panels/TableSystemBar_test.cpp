// The table's side panel in the engine window: the bars it makes, its
// system-bar buttons, the chat box's height and where every bar and strip
// goes.

#include "mahjong_client/panels/TableSystemBar.h"

#include <gtest/gtest.h>

#include "engine/CorvaneCanvas.h"
#include "engine/ui/CorvaneButton.h"
#include "frame/panels/PopupMenu.h"
#include "mahjong_client/panels/RoundHistoryList.h"
#include "mahjong_client/panels/SystemChatBox.h"
#include "mahjong_client/panels/SystemInputBar.h"
#include "mahjong_client/panels/SystemUserListBar.h"
#include "mahjong_client/panels/TablePanels.h"
#include "tests/frame_panels/BarWindow.h"
#include "tests/frame_panels/SidePanelFixture.h"

namespace side_panel_test {
namespace {

constexpr int kStripHeight = 24;
constexpr int kButtonWidth = 60;

class TableSystemBarTest : public SidePanelTest {
protected:
    void SetUp() override {
        SidePanelTest::SetUp();
        AddImage("bit_SystemBar", 40, kStripHeight, 0x336699);
        // Buttons tall enough to reach down into the input frame's row, so
        // that the frame's width tells how far the row reaches.
        for (const char* image :
             {"btnFace", "qe清屏按钮", "qe截屏按钮", "qe投诉按钮", "qe保险箱按钮"}) {
            AddImage(image, kButtonWidth, 40, 0x00a000);
        }
        AddImage("InputBarBoxBK", 100, 24, 0xe0e0e0);
        AddImage("btnQuickChat", 30, 20, 0x00a0a0);
        AddImage("btnSendChat", 20, 20, 0xa00000);
        launch.room.flags = RoomInfo::kFlagSafeBoxInGame;
        makeBars = [this] {
            table = new CTableSystemBar;
            return table;
        };
    }
    void OpenTable() {
        Open([](CSystemBars& bars) { bars.SetMaximizedProbe([] { return false; }); });
        for (int id : {50007, 50008, 50009, 50011}) {
            Bars().SetIntSetting(id, 10);
        }
        Bars().SetViewRect(IntRect{0, 0, 520, kSceneHeight});
        Bars().Relayout();
    }
    void SetLookOn() {
        LaunchFields fields;
        fields.gameId = 30;
        fields.userId = kOwnId;
        fields.chairNo = 0;
        fields.lookOn = 1;
        app.SetLaunchFields(fields);
        launch.seats = {MakeLaunchUser(101, 0, "乙"), MakeLaunchUser(kOwnId, 0, "甲", 1)};
    }
    template <class T>
    T* Bar(const char* name) {
        return dynamic_cast<T*>(Bars().FindObjectByName(name));
    }
    CSystemInputBar* Input() { return Bar<CSystemInputBar>("InputBar"); }
    // The input frame's width tells how far the button row reaches.
    int InputFrameWidth() {
        Input()->Layout();
        return Input()->GetInputFrame()->GetCanvasWidth();
    }
    void ExpectFourButtons() {
        EXPECT_EQ(Bars().FindObjectByName("系统栏划银按钮"), nullptr);
        EXPECT_NE(Bars().FindObjectByName("系统栏表情按钮"), nullptr);
        const int width = static_cast<int>(Input()->GetWidth());
        EXPECT_EQ(InputFrameWidth(), width - (20 + 4 * (kButtonWidth + 10)) - 20);
    }
    CTableSystemBar* table = nullptr;
};

TEST_F(TableSystemBarTest, ANormalTableMakesTheTableKindsUnderTheFrameNamesAndBothStrips) {
    OpenTable();
    EXPECT_NE(Bar<CRoundHistoryList>("AdvertBar"), nullptr);
    EXPECT_NE(Bar<CSystemUserListBar>("UserListBar"), nullptr);
    EXPECT_NE(Bar<CSystemChatBox>("ChatBox"), nullptr);
    EXPECT_NE(Input(), nullptr);
    EXPECT_EQ(Bars().FindObjectByName("MatchListBar"), nullptr);
    ASSERT_NE(table->GetSeparatorCanvas(), nullptr);
    ASSERT_NE(table->GetBackgroundCanvas(), nullptr);
}

TEST_F(TableSystemBarTest, AMatchTableHasOnlyTheMatchListAboveTheChatAndNoStrips) {
    app.match = true;
    OpenTable();
    EXPECT_NE(Bars().FindObjectByName("MatchListBar"), nullptr);
    EXPECT_EQ(Bars().FindObjectByName("AdvertBar"), nullptr);
    EXPECT_EQ(Bars().FindObjectByName("UserListBar"), nullptr);
    EXPECT_NE(Bar<CSystemChatBox>("ChatBox"), nullptr);
    EXPECT_NE(Input(), nullptr);
    EXPECT_EQ(table->GetSeparatorCanvas(), nullptr);
    EXPECT_EQ(table->GetBackgroundCanvas(), nullptr);
    // The chat box takes all the match list and the input bar leave.
    Bars().SetViewRect(IntRect{0, 0, 300, 700});
    EXPECT_EQ(table->GetChatBoxHeight(), 700 - Bars().GetMatchListBarHeight() - 60);
}

TEST_F(TableSystemBarTest, UserListColumnsByRoomKind) {
    OpenTable();
    std::vector<std::string> titles;
    for (const UserListColumn& column : Bar<CSystemUserListBar>("UserListBar")->GetColumns()) {
        titles.push_back(std::to_string(column.type) + column.title + std::to_string(column.width));
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"0用户名138", "2银子60", "1积分60", "4财富等级80",
                                                "3级别80", "5旁观对象80"}));
}

TEST_F(TableSystemBarTest, AScoreRoomHasNoWealthColumn) {
    launch.room.options = 0;
    OpenTable();
    std::vector<std::string> titles;
    for (const UserListColumn& column : Bar<CSystemUserListBar>("UserListBar")->GetColumns()) {
        titles.push_back(std::to_string(column.type) + column.title + std::to_string(column.width));
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"0用户名138", "1积分60", "3级别80", "2银子60",
                                                "5旁观对象80"}));
}

TEST_F(TableSystemBarTest, ASeatedPlayerInASafeBoxRoomGetsFiveButtonsInTheInputRow) {
    OpenTable();
    auto* safeBox = dynamic_cast<CCorvaneButton*>(Bars().FindObjectByName("系统栏划银按钮"));
    auto* face = dynamic_cast<CCorvaneButton*>(Bars().FindObjectByName("系统栏表情按钮"));
    ASSERT_NE(safeBox, nullptr);
    ASSERT_NE(face, nullptr);
    const int width = static_cast<int>(Input()->GetWidth());
    // Five buttons of 60 and their gaps from x 20; the frame 20 short of the
    // bar's end.
    EXPECT_EQ(InputFrameWidth(), width - (20 + 5 * (kButtonWidth + 10)) - 20);
    // The row from x 20, the safe-box button last.
    EXPECT_NEAR(face->GetX(), Input()->GetLeft() + 20, 1.0);
    EXPECT_NEAR(safeBox->GetX(), Input()->GetLeft() + 20 + 4 * (kButtonWidth + 10), 1.0);
    // The quick-silver menu is ready for the safe-box button, hidden.
    ASSERT_NE(Input()->GetQuickSilverMenu(), nullptr);
    EXPECT_FALSE(Input()->GetQuickSilverMenu()->IsVisible());
}

TEST_F(TableSystemBarTest, ALookerOnGetsFourButtons) {
    SetLookOn();
    OpenTable();
    ExpectFourButtons();
}

TEST_F(TableSystemBarTest, AScoreRoomGetsFourButtons) {
    launch.room.options = 0;
    OpenTable();
    ExpectFourButtons();
}

TEST_F(TableSystemBarTest, ASilverRoomWithoutTheSafeBoxFlagGetsFourButtons) {
    launch.room.flags = 0;
    OpenTable();
    ExpectFourButtons();
}

TEST_F(TableSystemBarTest, TheButtonsClickTheirEventsBackToThePanel) {
    OpenTable();
    Bars().SetViewRect(IntRect{0, 0, 300, 738});
    Bars().Relayout();
    Frame();
    auto* face = dynamic_cast<CCorvaneButton*>(Bars().FindObjectByName("系统栏表情按钮"));
    ClickOn(*face);
    // The engine takes the release on the next frame.
    Frame();
    // 19840396 opened the chat box's emoticon panel.
    auto* chat = Bar<CSystemChatBox>("ChatBox");
    ASSERT_NE(chat->GetEmoticonPanel(), nullptr);
    EXPECT_TRUE(chat->GetEmoticonPanel()->IsVisible());
}

TEST_F(TableSystemBarTest, TheQuickSilverChoicesAreTheInputBarsOwnAndThePanelIgnoresThem) {
    OpenTable();
    CPopupMenu* menu = Input()->GetQuickSilverMenu();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->GetItemCount(), 8);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(menu->GetItem(i)->GetNotify().target, Input()->GetId()) << i;
    }
    EXPECT_EQ(menu->GetItem(3)->GetNotify().event, 80000081);
    EXPECT_EQ(menu->GetItem(3)->GetNotify().param1, 3);
    EXPECT_EQ(menu->GetItem(6)->GetNotify().event, 80000080);
    EXPECT_EQ(menu->GetItem(7)->GetNotify().event, 80000079);

    // Opened by the safe-box button; the panel's table has no entry for the
    // choices, so the menu stays open.
    Input()->HandleSafeBoxButton(1);
    ASSERT_TRUE(menu->IsVisible());
    for (int event : {80000079, 80000080, 80000081}) {
        EXPECT_EQ(Send(event, 0), 1);
    }
    EXPECT_TRUE(menu->IsVisible());
    EXPECT_EQ(Input()->GetQuickSilverMenu(), menu);
}

// --- layout ---

// The panel 301 wide (odd, so the two centre rules differ) from (10, 20).
class TableLayoutTest : public TableSystemBarTest {
protected:
    void Lay() {
        Bars().SetViewRect(IntRect{10, 20, 311, 720});
        Bars().Relayout();
        history = GetHeight("AdvertBar");
        users = GetHeight("UserListBar");
    }
    int GetHeight(const char* name) {
        CCorvaneObject* bar = Bars().FindObjectByName(name);
        return bar != nullptr ? static_cast<int>(bar->GetHeight()) : 0;
    }
    int history = 0;
    int users = 0;
};

TEST_F(TableLayoutTest, EveryBarIsThePanelLess8AndStacksFromTheTop) {
    OpenTable();
    Lay();
    // Advert 4 × 10 + 30 + 1; user list 24 + 3 × 20 + 10; input 60.
    EXPECT_EQ(history, 71);
    EXPECT_EQ(users, 94);
    CCorvaneObject* advert = Bars().FindObjectByName("AdvertBar");
    CCorvaneObject* list = Bars().FindObjectByName("UserListBar");
    CCorvaneObject* chat = Bars().FindObjectByName("ChatBox");
    CCorvaneObject* input = Bars().FindObjectByName("InputBar");
    for (CCorvaneObject* bar : {advert, list, chat, input}) {
        EXPECT_EQ(static_cast<int>(bar->GetWidth()), 293);
    }
    EXPECT_EQ(advert->GetX(), 10 + 150);
    EXPECT_EQ(advert->GetY(), 20 + 71 / 2);
    EXPECT_EQ(list->GetX(), 10 + 150);
    EXPECT_EQ(list->GetY(), 20 + 71 + 94 / 2 + 2);
    EXPECT_EQ(input->GetX(), 10 + 150);
    EXPECT_EQ(input->GetY(), 720 - 60 / 2);
    EXPECT_EQ(static_cast<int>(input->GetHeight()), 60);
    // The chat box: what is left less 3 on this 738-high surface, centred
    // on the other rule.
    const int chatHeight = 700 - 3 - 71 - 94 - 60;
    EXPECT_EQ(table->GetChatBoxHeight(), chatHeight);
    EXPECT_EQ(static_cast<int>(chat->GetHeight()), chatHeight);
    EXPECT_EQ(chat->GetX(), 10 + 151);
    EXPECT_EQ(chat->GetY(), 720 - 60 - chatHeight / 2);
    EXPECT_TRUE(chat->IsVisible());
}

TEST_F(TableLayoutTest, TheBackgroundSpansBothBarsAndTheSeparatorSitsAtTheHistorysFoot) {
    OpenTable();
    Lay();
    CCorvaneCanvas* background = table->GetBackgroundCanvas();
    EXPECT_EQ(background->GetCanvasWidth(), 301);
    EXPECT_EQ(background->GetCanvasHeight(), 94 + 71 + 6);
    EXPECT_EQ(background->GetX(), 10 + 150);
    EXPECT_EQ(background->GetY(), 20 + (94 + 71 + 6) / 2);
    EXPECT_EQ(background->GetZ(), Bars().GetZ());
    EXPECT_TRUE(background->IsVisible());
    EXPECT_EQ(background->GetPixel(150, 1), 0x336699u);

    CCorvaneCanvas* separator = table->GetSeparatorCanvas();
    EXPECT_EQ(separator->GetCanvasWidth(), 301);
    EXPECT_EQ(separator->GetCanvasHeight(), kStripHeight);
    EXPECT_EQ(separator->GetX(), 10 + 150);
    EXPECT_EQ(separator->GetY(), 20 + 71 - (kStripHeight - 5) / 2);
    EXPECT_TRUE(separator->IsVisible());
    // The strip's own picture from the left, not stretched.
    EXPECT_EQ(separator->GetPixel(0, 0), 0x336699u);
    EXPECT_EQ(separator->GetPixel(39, kStripHeight - 1), 0x336699u);
    EXPECT_EQ(separator->GetAlpha(40, 0), 0);
}

TEST_F(TableLayoutTest, MoreThanEightSeatsMakeTheHistoryListNoTallerThanEightRows) {
    app.playerCount = 12;
    OpenTable();
    Lay();
    // 8 × 10 + 10 + 10 + 10 + 1.
    EXPECT_EQ(history, 111);
}

TEST_F(TableLayoutTest, AChatBoxWithNoRoomIsHidden) {
    OpenTable();
    Bars().SetViewRect(IntRect{10, 20, 311, 20 + 71 + 94 + 60 + 3});
    Bars().Relayout();
    EXPECT_EQ(table->GetChatBoxHeight(), 0);
    EXPECT_FALSE(Bars().FindObjectByName("ChatBox")->IsVisible());
}

// A table panel whose user list could not be made.
class NoUserListBar : public CTableSystemBar {
public:
    CCorvaneObject* CreateUserListBar() override { return nullptr; }
};

TEST_F(TableLayoutTest, WithoutAUserListTheStripsAreNeitherMovedNorShown) {
    makeBars = [this] {
        table = new NoUserListBar;
        return table;
    };
    OpenTable();
    CCorvaneCanvas* background = table->GetBackgroundCanvas();
    CCorvaneCanvas* separator = table->GetSeparatorCanvas();
    const double backgroundY = background->GetY();
    const double separatorY = separator->GetY();
    Lay();
    EXPECT_FALSE(background->IsVisible());
    EXPECT_FALSE(separator->IsVisible());
    EXPECT_EQ(background->GetCanvasWidth(), 100);
    EXPECT_EQ(background->GetCanvasHeight(), 100);
    EXPECT_EQ(separator->GetCanvasWidth(), 100);
    EXPECT_EQ(separator->GetCanvasHeight(), 25);
    EXPECT_EQ(background->GetY(), backgroundY);
    EXPECT_EQ(separator->GetY(), separatorY);
}

}  // namespace
}  // namespace side_panel_test

namespace bars_test {
namespace {

// On a paint surface 600 high the chat box leaves 6 pixels.
TEST_F(BarWindowTest, OnA600HighSurfaceTheChatBoxIs6ShortOfTheRoomLeft) {
    Open();
    auto* table = new CTableSystemBar;
    side->Register(table);
    for (int id : {50007, 50008, 50009, 50011}) {
        table->SetIntSetting(id, 10);
    }
    table->SetMaximizedProbe([] { return false; });
    table->SetViewRect(IntRect{0, 0, 300, 600});
    // Advert 71; user list 0 + 0 + 10 (no list images here); input 60.
    EXPECT_EQ(table->GetChatBoxHeight(), 600 - 6 - 71 - 10 - 60);
}

}  // namespace
}  // namespace bars_test

TEST(TablePanelFactories, TheSidePanelIsTheTablesAndTheOtherFactoriesTheFrames) {
    FramePanelFactories factories = MakeTablePanelFactories();
    ASSERT_TRUE(factories.systemBars);
    std::unique_ptr<CCorvaneView> panel(factories.systemBars());
    EXPECT_NE(dynamic_cast<CTableSystemBar*>(panel.get()), nullptr);
    EXPECT_TRUE(factories.splitterBar);
    EXPECT_TRUE(factories.forceQuitBox);
    EXPECT_TRUE(factories.exitRequestBox);
    EXPECT_TRUE(factories.infoBox);
}
