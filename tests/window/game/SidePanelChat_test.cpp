// The side panel's chat input in the program's main window at the sizes of a
// player's screen: the edit box is shown with room for a line, a real click
// gives it the keyboard, real typed Chinese and ASCII text lands in it, and
// Enter sends the line, which the server's echo brings into the chat; and a
// player's row's 查看详细, chosen with real clicks, shows the card the hall's
// answer fills, wholly inside the window.

#include <string>
#include <utility>

#include "engine/CorvaneCanvas.h"
#include "engine/ui/CorvaneButton.h"
#include "engine/ui/CorvaneEdit.h"
#include "frame/net/FrameRequests.h"
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
};

TEST_P(SidePanelChatWindowTest, TypedChineseAndAsciiAndEnterSendTheLineIntoTheChat) {
    auto* input =
        dynamic_cast<CInputBar*>(window.App().GetSubSystemView()->FindObjectByName("InputBar"));
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
    const std::string line = "你好abc123";
    ASSERT_EQ(TypeInto(line, [&] { return EditBoxText(*edit); }), "");
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
    CCorvaneView* side = window.App().GetSubSystemView();
    side->OnEnterRoom();  // the rows, as the launch record lists the players
    CUserListCtrl* rows =
        dynamic_cast<CUserListBar*>(side->FindObjectByName("UserListBar"))->GetRowsControl();
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

INSTANTIATE_TEST_SUITE_P(ScreenSizes, SidePanelChatWindowTest,
                         ::testing::Values(std::pair{1024, 768}, std::pair{1366, 768}),
                         [](const auto& size) {
                             return std::to_string(size.param.first) + "x" +
                                    std::to_string(size.param.second);
                         });

}  // namespace
}  // namespace window_test
