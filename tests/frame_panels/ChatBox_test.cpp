// The chat box and its emoticon panel driven as a user drives them.

#include "frame/panels/ChatBox.h"

#include <gtest/gtest.h>

#include "engine/ui/RichText.h"
#include "frame/panels/EmoticonPanel.h"
#include "tests/frame_panels/BarWindow.h"

namespace bars_test {
namespace {

class ChatBoxTest : public BarWindowTest {
protected:
    void SetUp() override {
        BarWindowTest::SetUp();
        RegisterEmoticonCodes({"#白眼", "#大笑", "#再见"});
    }
    void TearDown() override {
        RegisterEmoticonCodes({});
        BarWindowTest::TearDown();
    }
    void OpenBox() {
        Open();
        box = AddBar<CChatBox>(400, 250, 380, 400);
        input = AddBar<CInputBar>(400, 560, 400, 60);
        faceButton = AddSystemButton(*input, "btnFace", "系统栏表情按钮", 19840396);
        input->Layout();
        Frame();
    }
    // The centre of the panel's cell (column, row).
    void ClickCell(CEmoticonPanel& panel, int column, int row, bool right = false) {
        const int x = static_cast<int>(panel.GetLeft()) + 2 + column * 34 + 16;
        const int y = static_cast<int>(panel.GetTop()) + 2 + row * 34 + 16;
        if (right) {
            RightClick(x, y);
        } else {
            Click(x, y);
        }
    }
    CChatBox* box = nullptr;
    CInputBar* input = nullptr;
    CCorvaneButton* faceButton = nullptr;
};

TEST_F(ChatBoxTest, TheViewKeeps300ElementsAndOnlyItsOwnAppendsGetLiveLinks) {
    OpenBox();
    CCorvaneRichText* view = box->GetView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->GetSizeLimit(), CChatBox::kViewCapacity);
    EXPECT_EQ(view->GetStyle() & kRichLiveLinks, 0u);
    box->AddLine("<url=http://example.com/>看看</url>");
    EXPECT_EQ(view->GetStyle() & kRichLiveLinks, 0u);
    box->AppendLong("公告");
    EXPECT_EQ(view->GetSizeLimit(), CChatBox::kViewCapacity);
    EXPECT_EQ(view->GetStyle() & kRichLiveLinks, 0u);
    EXPECT_GT(view->GetElementCount(), 0);
    box->Clear();
    EXPECT_EQ(view->GetElementCount(), 0);
}

TEST_F(ChatBoxTest, ALongChatKeepsItsPaneAndShowsItsLastLine) {
    OpenBox();
    CCorvaneRichText* view = box->GetView();
    ASSERT_NE(view, nullptr);
    const int height = view->GetViewHeight();
    for (int i = 0; i < 60; ++i) {
        box->AddLine(" <c=255>机器人甲<c=0> 已准备好换三张！\r\n");
        Frame();
    }
    EXPECT_EQ(view->GetViewHeight(), height);
    EXPECT_GT(view->GetViewWidth(), 300);
    EXPECT_LT(view->GetContentHeight(), 60 * 20) << "a line each, not a character each";
    EXPECT_EQ(view->GetScrollY(), view->GetContentHeight() - height);
}

TEST_F(ChatBoxTest, TheBackgroundHookRunsBeforeTheBackgroundIsPainted) {
    struct HookedBox : CChatBox {
        void BeforeDrawBackground() override { order.push_back("hook"); }
        void DrawBackground() override {
            CChatBox::DrawBackground();
            order.push_back("painted");
        }
        std::vector<std::string> order;
    };
    Open();
    auto* hooked = AddBar<HookedBox>(400, 250, 380, 400, new HookedBox);
    hooked->order.clear();
    hooked->Relayout();
    EXPECT_EQ(hooked->order, (std::vector<std::string>{"hook", "painted"}));
}

TEST_F(ChatBoxTest, TheEmoticonButtonTwiceOpensAndClosesOnePanel) {
    OpenBox();
    ClickOn(*faceButton);
    CEmoticonPanel* panel = box->GetEmoticonPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->IsVisible());
    EXPECT_TRUE(faceButton->IsLatched());
    EXPECT_EQ(static_cast<int>(panel->GetWidth()), 10 * 34 + 2);
    EXPECT_EQ(static_cast<int>(panel->GetHeight()), 8 * 34 + 2);
    // Centred on the button, its bottom 2 above the button's top.
    EXPECT_NEAR(panel->GetBottom(), faceButton->GetTop() - 2, 1.0);

    ClickOn(*faceButton);
    EXPECT_EQ(box->GetEmoticonPanel(), panel);
    EXPECT_FALSE(panel->IsVisible());
    EXPECT_FALSE(faceButton->IsLatched());

    ClickOn(*faceButton);
    EXPECT_EQ(box->GetEmoticonPanel(), panel);
    EXPECT_TRUE(panel->IsVisible());
}

TEST_F(ChatBoxTest, ALeftChoiceGoesToTheChatAndARightChoiceToTheInputBox) {
    OpenBox();
    ClickOn(*faceButton);
    CEmoticonPanel* panel = box->GetEmoticonPanel();
    ClickCell(*panel, 0, 0);
    auto chosen = side->Of(kEventEmoticonChosen);
    ASSERT_EQ(chosen.size(), 1u);
    EXPECT_EQ(chosen[0].text, "#白眼");
    EXPECT_FALSE(panel->IsVisible());
    EXPECT_FALSE(faceButton->IsLatched());
    // With the input box empty the side panel sends it as the player's line.
    EXPECT_EQ(app.transfers.chat, std::vector<std::string>{"#白眼"});
    EXPECT_EQ(input->HasInputText(), 0);

    ClickOn(*faceButton);
    ASSERT_TRUE(panel->IsVisible());
    ClickCell(*panel, 1, 0, true);
    const auto toInput = side->Of(kEventEmoticonToInput);
    ASSERT_EQ(toInput.size(), 1u);
    EXPECT_EQ(toInput[0].text, "#大笑");
    EXPECT_FALSE(panel->IsVisible());
    // The side panel put it into the input box instead of sending it.
    EXPECT_GT(input->HasInputText(), 0);
    EXPECT_EQ(app.transfers.chat.size(), 1u);

    // An empty cell delivers nothing and leaves the panel open.
    ClickOn(*faceButton);
    ClickCell(*panel, 5, 5);
    EXPECT_EQ(side->Of(kEventEmoticonChosen).size(), 1u);
    EXPECT_TRUE(panel->IsVisible());
}

TEST_F(ChatBoxTest, LosingTheFocusClosesThePanelAndUnpressesTheButton) {
    OpenBox();
    ClickOn(*faceButton);
    MoveTo(20, 20);
    box->OnEvent(MakeEventRecord(box->GetId(), kEventEmoticonPanelLostFocus, 0, 0));
    EXPECT_FALSE(box->GetEmoticonPanel()->IsVisible());
    EXPECT_FALSE(faceButton->IsLatched());
}

TEST(EmoticonPanel, CellsOutsideTheGridOrInItsGapsHoldNoCode) {
    RegisterEmoticonCodes({"#a", "#b"});
    CEmoticonPanel panel;
    panel.Create(10, 8, 32, 2);  // unregistered: geometry only
    EXPECT_EQ(panel.CodeAt(2, 2), "#a");
    EXPECT_EQ(panel.CodeAt(36, 2), "#b");
    EXPECT_EQ(panel.CodeAt(34, 2), "");  // the gap between the cells
    EXPECT_EQ(panel.CodeAt(1, 1), "");
    EXPECT_EQ(panel.CodeAt(70, 2), "");  // no third code
    EXPECT_EQ(panel.CodeAt(-5, 2), "");
    EXPECT_EQ(panel.GetPageCount(), 1);
    panel.ShowPage(3);
    EXPECT_EQ(panel.GetPage(), 0);
    RegisterEmoticonCodes({});
}

}  // namespace
}  // namespace bars_test
