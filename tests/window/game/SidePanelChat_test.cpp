// The side panel's chat input in the program's main window at the sizes of a
// player's screen: the edit box is shown with room for a line, a real click
// gives it the keyboard, real typed Chinese and ASCII text lands in it, an
// emoticon picked with a click joins it and leaves it the keyboard, and
// Enter sends the line, which the server's echo brings into the chat. The
// wait box coming and going on a server without a window manager leaves the
// keys with the window. A player's row's 查看详细, chosen with real clicks,
// shows the card the hall's answer fills, wholly inside the window.

#include <string>
#include <utility>

#include "engine/CorvaneCanvas.h"
#include "engine/ui/CorvaneButton.h"
#include "engine/ui/CorvaneEdit.h"
#include "frame/WaitDialog.h"
#include "frame/net/FrameRequests.h"
#include "frame/panels/ChatBox.h"
#include "frame/panels/EmoticonPanel.h"
#include "frame/panels/InputBar.h"
#include "frame/panels/PopupMenu.h"
#include "frame/panels/UserListBar.h"
#include "frame/view/GameFrameView.h"
#include "game/app/RegionalMahjongApp.h"
#include "tests/engine_ui/EditBoxText.h"
#include "tests/window/game/TableWindow.h"
#include "tools/fake_hall/FakeHall.h"

namespace window_test {
namespace {

class SidePanelChatWindowTest : public TableWindowTest,
                                public ::testing::WithParamInterface<std::pair<int, int>> {
protected:
    void SetUp() override {
        options.width = GetParam().first;
        options.height = GetParam().second;
        TableWindowTest::SetUp();
    }
    CCorvaneObject* Bar(const char* name) {
        return window.App().GetSubSystemView()->FindObjectByName(name);
    }
};

TEST_P(SidePanelChatWindowTest, TypedTextAndAPickedEmoticonAndEnterSendTheWholeLineIntoTheChat) {
    auto* input = dynamic_cast<CInputBar*>(Bar("InputBar"));
    ASSERT_NE(input, nullptr);
    CCorvaneEdit* edit = input->GetEditBox();
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(edit->IsVisible());
    EXPECT_GE(edit->GetWidth(), 100.0) << "about eight characters";
    // Left of the quick-chat button (its half pixel aside), which is left of
    // the send button.
    EXPECT_LE(edit->GetRight(), input->GetQuickChatButton()->GetLeft() + 0.5);
    EXPECT_LE(input->GetQuickChatButton()->GetRight(), input->GetSendButton()->GetLeft());

    ASSERT_EQ(Click(edit), "");
    const auto box = [&] { return EditBoxText(*edit); };
    ASSERT_EQ(TypeInto("你好abc", box), "");
    // A click on the picker's bottom left cell (the seats' boards lie clear
    // of it).
    ASSERT_EQ(Click(Bar("系统栏表情按钮")), "");
    CEmoticonPanel* picker = nullptr;
    ASSERT_TRUE(window.RunUntil([&] {
        picker = dynamic_cast<CChatBox*>(Bar("ChatBox"))->GetEmoticonPanel();
        return picker != nullptr && picker->IsVisible() != 0;
    }));
    const int cell = 18;
    const std::string emoticon = picker->CodeAt(cell, int(picker->GetHeight()) - cell);
    ASSERT_EQ(ClickAt(int(picker->GetLeft()) + cell, int(picker->GetBottom()) - cell), "");
    ASSERT_TRUE(window.RunUntil([&] { return box() == "你好abc" + emoticon; }) &&
                !emoticon.empty());
    ASSERT_EQ(TypeInto("123", box), "");
    const std::string line = "你好abc" + emoticon + "123";
    ASSERT_EQ(Key({"Return"}), "");
    ASSERT_TRUE(WaitForRequest(frame_requests::kChatText)) << "the line was not sent";
    EXPECT_TRUE(window.RunUntil([&] { return window.ChatText().find(line) != std::string::npos; }))
        << "the chat shows " << window.ChatText();
    EXPECT_EQ(input->HasInputText(), 0);
}

TEST_P(SidePanelChatWindowTest, ViewDetailsOnAPlayersRowShowsTheHallsCardInsideTheWindow) {
    fakehall::FakeHall hall({.exePath = window.Folder().Path() + "hall/x.exe"});
    ASSERT_TRUE(hall.Start());
    LaunchFields fields = window.App().GetLaunchFields();
    fields.hallWindow = static_cast<int32_t>(hall.Window());
    window.App().SetLaunchFields(fields);
    window.App().GetSubSystemView()->OnEnterRoom();  // the rows, as the launch record lists them
    CUserListCtrl* rows = dynamic_cast<CUserListBar*>(Bar("UserListBar"))->GetRowsControl();
    ASSERT_EQ(MovePointerTo(*server, xwindow, int(rows->GetLeft()) + 40,
                            int(rows->GetTop()) + rows->GetRowHeight() * 3 / 2),
              "");
    ASSERT_EQ(RunXdotool(*server, {"click", "3"}), "");
    ASSERT_TRUE(window.RunUntil([&] { return rows->GetMenu()->IsVisible() != 0; }));
    ASSERT_EQ(Click(rows->GetMenu()->FindItem("查看详细")), "");
    CCorvaneCanvas* card = nullptr;
    ASSERT_TRUE(window.RunUntil([&] {
        card = window.App().GetFrameView()->GetPlayerCard();
        return card != nullptr && card->IsVisible() != 0;
    }));
    EXPECT_TRUE(card->GetLeft() >= 0 && card->GetTop() >= 0 && card->GetRight() <= window.Width() &&
                card->GetBottom() <= window.Height());
    for (const double x : {card->GetLeft() + 4, card->GetRight() - 4}) {  // its bottom corners
        EXPECT_TRUE(
            WaitForColour(int(x), int(card->GetBottom()) - 4, PictureColour("bit_playerdetail")));
    }
}

TEST_P(SidePanelChatWindowTest, TheChatBoxTakesRealKeysAfterTheWaitBoxCameAndWent) {
    CCorvaneEdit* edit = dynamic_cast<CInputBar*>(Bar("InputBar"))->GetEditBox();
    ASSERT_EQ(FocusWindow(), "");  // the keys are the window's, as when it opened
    window.App().ShowWaitText("正在取银子，请您稍等......", 0);
    unsigned long box = 0;
    ASSERT_TRUE(window.RunUntil([&] {
        box = server->FindWindow(CWaitDialog::kTitle);
        return box != 0 && server->IsMapped(box);
    }));
    window.App().HideWaitText();
    ASSERT_TRUE(window.RunUntil([&] { return !server->IsMapped(box); }));
    // Typed where the X server sends the keys, as nobody gives them back.
    ASSERT_EQ(Click(edit), "");
    EXPECT_EQ(TypeCharacterByCharacter(*server, "abc", [&] { return EditBoxText(*edit); }), "");
}

INSTANTIATE_TEST_SUITE_P(ScreenSizes, SidePanelChatWindowTest,
                         ::testing::Values(std::pair{1024, 768}, std::pair{1366, 768}),
                         [](const auto& size) {
                             return std::to_string(size.param.first) + "x" +
                                    std::to_string(size.param.second);
                         });

}  // namespace
}  // namespace window_test
