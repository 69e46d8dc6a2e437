// The user list in the side panel, driven as a user would: its rows by room
// kind and role, the wheel, the row menu and each of its items.

#include <gtest/gtest.h>

#include "engine/GameCore.h"
#include "frame/panels/PopupMenu.h"
#include "frame/panels/UserListScrollBar.h"
#include "platform/Clipboard.h"
#include "platform/SdlEvents.h"
#include "tests/frame_panels/SidePanelFixture.h"

namespace side_panel_test {
namespace {

constexpr int kMenuLookOn = 5;
constexpr int kMenuCall = 6;
constexpr int kMenuCopy = 7;

std::vector<int32_t> RowUsers(CUserListCtrl& rows) {
    std::vector<int32_t> users;
    for (int r = 0; r < rows.GetRowCount(); ++r) {
        users.push_back(rows.GetRow(r)->user.userId);
    }
    return users;
}

class UserListTest : public SidePanelTest {
protected:
    // Maximised, the list shows five rows.
    void OpenList(bool maximized = false) {
        Open([maximized](CSystemBars& bars) {
            bars.SetMaximizedProbe([maximized] { return maximized; });
        });
        ASSERT_NE(Rows(), nullptr);
        Bars().OnEnterRoom();
        Frame();
    }
    // Presses the menu item as its click would.
    void ChooseItem(int index) {
        CPopupMenu* menu = Rows()->GetMenu();
        ASSERT_NE(menu, nullptr);
        CPopupMenuItem* item = menu->GetMenuItem(index);
        ASSERT_NE(item, nullptr);
        Rows()->SendEvent(item->GetNotify());
    }
    // A right click on the middle of row r.
    void RightClickRow(int r) {
        const int x = static_cast<int>(Rows()->GetLeft()) + 40;
        const int y = static_cast<int>(Rows()->GetTop()) + r * Rows()->GetRowHeight() + 10;
        RightClick(x, y);
        Frame();
    }
};

TEST_F(UserListTest, SeatsByChairThenLookersOnThenBlankRowsInStripes) {
    launch.lookers = {MakeLaunchUser(200, 0, "观", 1)};
    OpenList();
    EXPECT_EQ(RowUsers(*Rows()), (std::vector<int32_t>{100, 101, 200, 0, 0, 0, 0}));
    std::vector<int32_t> stripes;
    for (int r = 0; r < Rows()->GetRowCount(); ++r) {
        stripes.push_back(Rows()->GetRow(r)->stripe);
    }
    EXPECT_EQ(stripes, (std::vector<int32_t>{1, 2, 1, 2, 1, 2, 1}));
    EXPECT_DOUBLE_EQ(Rows()->GetHeight(), 7 * 20);
}

TEST_F(UserListTest, AnEmptyTableShowsSevenBlankRowsThatTakeNoMouse) {
    OpenList();
    app.UnseatUser(0, 100);
    app.UnseatUser(1, 101);
    UserList()->RebuildRows();
    EXPECT_EQ(RowUsers(*Rows()), std::vector<int32_t>(7, 0));
    RightClickRow(1);
    EXPECT_FALSE(Rows()->GetMenu()->IsVisible());
    EXPECT_EQ(Rows()->GetSelected(), -1);
}

TEST_F(UserListTest, ASeatedPlayerInARandomRoomSeesOnlyHisSeatAndTheLookersOn) {
    launch.room.flags = RoomInfo::kFlagRandomTable;
    launch.lookers = {MakeLaunchUser(200, 0, "观", 1)};
    OpenList();
    EXPECT_EQ(RowUsers(*Rows()), (std::vector<int32_t>{100, 200, 0, 0, 0, 0, 0}));
}

TEST_F(UserListTest, ALookerOnInARandomRoomSeesEverySeat) {
    launch.room.flags = RoomInfo::kFlagRandomTable;
    launch.lookers = {MakeLaunchUser(kOwnId, 1, "甲", 1)};
    launch.seats = {MakeLaunchUser(101, 1, "乙"), MakeLaunchUser(102, 2, "丙")};
    LaunchFields fields = app.GetLaunchFields();
    fields.lookOn = 1;
    fields.chairNo = 1;
    app.SetLaunchFields(fields);
    OpenList();
    EXPECT_EQ(RowUsers(*Rows()), (std::vector<int32_t>{101, 102, 100, 0, 0, 0, 0}));
}

TEST_F(UserListTest, CellsReadTheirFieldsAndTheLookOnTargetOnlyForARealChair) {
    UserRecord looker = MakeLaunchUser(200, 1, "观", 1);
    SetFieldText(looker.levelTitle, "一二三四五六七八");  // 16 bytes, no terminator
    launch.lookers = {looker};
    launch.seats[1].silver = 1234;
    OpenList();
    const UserListRow* row = Rows()->GetRow(2);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(Rows()->CellText({kColumnLookOnTarget, 80}, *row), "乙");
    const std::string level = Rows()->CellText({kColumnLevel, 80}, *row);
    EXPECT_LE(level.size(), 10u);
    EXPECT_EQ(level.find("一二三"), 0u);
    EXPECT_EQ(Rows()->CellText({kColumnSilver, 60}, *Rows()->GetRow(1)), "1234");
    // A looker-on whose chair lies outside the table has no target.
    UserListRow stray = *row;
    for (int32_t chair : {-1, 8, 100000}) {
        stray.user.chairNo = chair;
        EXPECT_EQ(Rows()->CellText({kColumnLookOnTarget, 80}, stray), "") << chair;
    }
    EXPECT_EQ(Rows()->GetUserName(7), "");
    EXPECT_EQ(Rows()->GetSilver(-1), 0);
}

TEST_F(UserListTest, OneWheelNotchMovesTheRowsByOneRow) {
    for (int i = 0; i < 12; ++i) {
        launch.lookers.push_back(MakeLaunchUser(200 + i, 0, "观" + std::to_string(i), 1));
    }
    OpenList();
    CUserListScrollBar* bar = UserList()->GetScrollBar(1);
    ASSERT_NE(bar, nullptr);
    ASSERT_GT(bar->GetMaxPos(), 40);
    const double top = Rows()->GetTop();
    const int x = static_cast<int>(Rows()->GetLeft()) + 40;
    const int y = static_cast<int>(UserList()->GetTop()) + 12;
    // The wheel goes to the object with the focus: a click on the header
    // gives it to the header (a click on a row hands the focus to the chat
    // input with the player's name).
    Click(x, y);
    Wheel(-1, x, y);
    Frames(2);
    EXPECT_EQ(bar->GetPos(), 20);
    EXPECT_DOUBLE_EQ(Rows()->GetTop(), top - 20);
    Wheel(1, x, y);
    Frames(2);
    EXPECT_EQ(bar->GetPos(), 0);
    EXPECT_DOUBLE_EQ(Rows()->GetTop(), top);
    // Not above the top.
    UserList()->ScrollUp();
    EXPECT_EQ(bar->GetPos(), 0);
}

TEST_F(UserListTest, ARightClickOpensTheRowsMenuInsideTheSidePanel) {
    OpenList();
    RightClickRow(1);
    CPopupMenu* menu = Rows()->GetMenu();
    ASSERT_TRUE(menu->IsVisible());
    EXPECT_EQ(Rows()->GetSelected(), 1);
    EXPECT_EQ(menu->GetMenuItem(0)->GetCaption(), "乙");
    EXPECT_EQ(menu->GetMenuItem(2)->GetCaption(), "银子：0两");
    const IntRect side = Bars().GetViewRect();
    EXPECT_LE(menu->GetRight(), side.right + 1);
    EXPECT_LE(menu->GetBottom(), side.bottom + 1);
    // Opened at the side panel's bottom-right corner it is moved inside.
    Rows()->ShowMenu(1, side.right - 2, side.bottom - 2);
    EXPECT_LE(menu->GetRight(), side.right + 1);
    EXPECT_LE(menu->GetBottom(), side.bottom + 1);
    EXPECT_GE(menu->GetLeft(), side.left);
}

TEST_F(UserListTest, CopyNamePutsTheNameOnTheClipboard) {
    platform::DefaultClipboard().Clear();
    OpenList();
    RightClickRow(1);
    ChooseItem(kMenuCopy);
    EXPECT_EQ(platform::GetClipboardText(), std::optional<std::string>("乙"));
    EXPECT_FALSE(Rows()->GetMenu()->IsVisible());
    // A clipboard that cannot be opened is left alone.
    platform::DefaultClipboard().SetUnavailable(true);
    RightClickRow(0);
    ChooseItem(kMenuCopy);
    platform::DefaultClipboard().SetUnavailable(false);
    EXPECT_EQ(platform::GetClipboardText(), std::optional<std::string>("乙"));
}

TEST_F(UserListTest, CallPlayerSendsTheCalledIdAndShowsTheCallerTheNotice) {
    OpenList();
    TakeLines();
    RightClickRow(1);
    ChooseItem(kMenuCall);
    EXPECT_EQ(app.panelConnection.sent, (std::vector<std::string>{"201200 101"}));
    // The caller's own notice names the called player.
    bool named = false;
    for (const std::string& line : TakeLines()) {
        named = named || line.find("乙") != std::string::npos;
    }
    EXPECT_TRUE(named);
}

TEST_F(UserListTest, LookOnPermissionTogglesAllowThenForbid) {
    launch.lookers = {MakeLaunchUser(200, 0, "观", 1)};
    OpenList(true);
    app.SetGamePlaying();
    TakeLines();
    RightClickRow(2);
    EXPECT_EQ(Rows()->GetMenu()->GetMenuItem(kMenuLookOn)->GetCaption(), "允许旁观看牌");
    ChooseItem(kMenuLookOn);
    EXPECT_TRUE(Rows()->IsLookOnAllowed(200));
    RightClickRow(2);
    EXPECT_EQ(Rows()->GetMenu()->GetMenuItem(kMenuLookOn)->GetCaption(), "禁止旁观看牌");
    ChooseItem(kMenuLookOn);
    EXPECT_FALSE(Rows()->IsLookOnAllowed(200));
    EXPECT_EQ(app.panelConnection.sent, (std::vector<std::string>{"229560 200 1", "229560 200 0"}));
    EXPECT_EQ(TakeLines(), (std::vector<std::string>{"line  <c=2906200>甲允许观看牌 \r\n",
                                                     "line  <c=2906200>甲禁止观看牌 \r\n"}));
    // A refused request changes nothing.
    app.panelConnection.refuse = true;
    RightClickRow(2);
    ChooseItem(kMenuLookOn);
    EXPECT_FALSE(Rows()->IsLookOnAllowed(200));
    EXPECT_TRUE(TakeLines().empty());
}

TEST_F(UserListTest, ALookerOnLeavingLosesHisPermission) {
    launch.lookers = {MakeLaunchUser(200, 0, "观", 1)};
    OpenList(true);
    app.SetGamePlaying();
    RightClickRow(2);
    ChooseItem(kMenuLookOn);
    ASSERT_TRUE(Rows()->IsLookOnAllowed(200));
    std::vector<uint8_t> bytes(UserRecord::kSize);
    const auto record = RecordBytes(app.GetLooker(0));
    std::copy(record.begin(), record.end(), bytes.begin());
    Send(80000017, EventParam(bytes.data()), intptr_t(bytes.size()));
    EXPECT_FALSE(Rows()->IsLookOnAllowed(200));
}

TEST_F(UserListTest, WithoutItsHeaderPictureTheListSendsTheCoreMessageAndBuildsNothing) {
    images.erase(images.begin());  // "SystemUserListBar"
    Open();
    ASSERT_NE(UserList(), nullptr);
    EXPECT_EQ(UserList()->GetRowsControl(), nullptr);
    // Built again with a module listening at 1010.
    auto* log = new RecordingModule(kFailureNoticeModuleId);
    log->answer = kEngineOk;
    Bars().GetCore()->UnloadModule(kFailureNoticeModuleId);
    ASSERT_EQ(Bars().GetCore()->LoadModule(log, 1, 0), kEngineOk);
    UserList()->Build();
    ASSERT_EQ(log->handled.size(), 1u);
    EXPECT_EQ(log->handled[0].id, 1002);
    UserList()->RebuildRows();
    UserList()->ScrollDown();
    EXPECT_EQ(UserList()->OnEvent(MakeEventRecord(UserList()->GetId(), 80000055, 0, 0)), 1);
}

}  // namespace
}  // namespace side_panel_test
