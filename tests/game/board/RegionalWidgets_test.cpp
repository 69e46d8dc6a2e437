// The regional widget kinds: the voice box's phrase list (in a headless
// table scene) and the side panel whose emoticon picker ignores the right
// button (in the program's main window).

#include <gtest/gtest.h>

#include <string>

#include "engine/CorvaneCanvas.h"
#include "engine/ui/CorvaneEdit.h"
#include "frame/panels/InputBar.h"
#include "game/app/RegionalWidgets.h"
#include "game/widgets/RegionalChatWidgets.h"
#include "game/widgets/VoicePhraseList.h"
#include "mahjong_client/panels/TableSystemBar.h"
#include "platform/SdlEvents.h"
#include "tests/game/show/ShowScene.h"
#include "tests/game/support/GameWindow.h"

namespace {

constexpr int kItemWidth = 170;
constexpr int kItemHeight = 22;

class VoicePhraseListTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scene.Open()) << scene.error;
        CCorvaneTextList* made = MakeVoicePhraseList();
        list = dynamic_cast<CVoicePhraseList*>(made);
        ASSERT_NE(list, nullptr);
        scene.view->Register(list);
        ASSERT_EQ(list->Create(kItemWidth, kItemHeight, 13, 0xFFFFFF), 1);
        list->SetPos(300, 300);
    }
    void Add(int count) {
        for (int i = 0; i < count; ++i) {
            const std::string caption = std::to_string(i + 1) + ".快点吧";
            ASSERT_NE(list->AddItem(caption.c_str(), nullptr, 0, 0), nullptr);
        }
    }

    show_test::ShowScene scene;
    CVoicePhraseList* list = nullptr;
};

TEST_F(VoicePhraseListTest, TheCanvasHoldsTheRowsAndTwiceThePaddingAndTheRowsStackFromItsCorner) {
    const int padding = list->GetMargin();
    Add(1);
    CCorvaneCanvas* canvas = list->GetCanvas();
    ASSERT_NE(canvas, nullptr);
    EXPECT_EQ(canvas->GetCanvasWidth(), kItemWidth + 2 * padding);
    EXPECT_EQ(canvas->GetCanvasHeight(), kItemHeight + 2 * padding);
    Add(8);
    EXPECT_EQ(list->GetItemCount(), 9);
    EXPECT_EQ(canvas->GetCanvasHeight(), 9 * kItemHeight + 2 * padding);
    EXPECT_EQ(canvas->GetHeight(), 9.0 * kItemHeight + 2 * padding);
    for (int k = 0; k < 9; ++k) {
        CCorvaneTextItem* row = list->GetItem(k);
        ASSERT_NE(row, nullptr);
        EXPECT_NE(dynamic_cast<CVoicePhraseItem*>(row), nullptr);
        EXPECT_EQ(row->GetLeft(), canvas->GetLeft()) << k;
        EXPECT_EQ(row->GetTop(), canvas->GetTop() + k * kItemHeight) << k;
        EXPECT_EQ(row->GetColourKey(), CVoicePhraseList::kRowColourKey);
    }
}

TEST_F(VoicePhraseListTest, AListWithoutRowsHides) {
    list->Show();
    list->Relayout();
    EXPECT_FALSE(list->IsVisible());
}

TEST_F(VoicePhraseListTest, ARowIsDrawnFromItsLeftAtEightTenthsAndBoldUnderTheMouse) {
    Add(1);
    CCorvaneTextItem* row = list->GetItem(0);
    ASSERT_NE(row, nullptr);
    CCorvaneCanvas* canvas = row->GetCanvas();
    ASSERT_NE(canvas, nullptr);
    EXPECT_DOUBLE_EQ(canvas->GetAlpha(), CVoicePhraseList::kRowAlpha);
    EXPECT_EQ(canvas->GetFontDesc().weight, 500);
    // The caption starts two pixels in, not centred: the row's right part
    // is bare.
    bool inkLeft = false;
    bool inkRight = false;
    for (int y = 0; y < kItemHeight; ++y) {
        for (int x = 0; x < kItemWidth; ++x) {
            if (canvas->GetPixel(x, y) != CVoicePhraseList::kRowColourKey) {
                if (x < 20) {
                    inkLeft = true;
                } else if (x >= 100) {
                    inkRight = true;
                }
            }
        }
    }
    EXPECT_TRUE(inkLeft);
    EXPECT_FALSE(inkRight);

    row->Draw(1);
    EXPECT_DOUBLE_EQ(canvas->GetAlpha(), 1.0);
    EXPECT_EQ(canvas->GetFontDesc().weight, 700);
    EXPECT_EQ(canvas->GetPixel(0, 0), 0xBB5B6Cu);  // the border
}

// ---- the side panel's emoticon picker ----

class RegionalSidePanelTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(window.Open()) << window.Error(); }

    CRegionalSystemBar* Side() {
        return dynamic_cast<CRegionalSystemBar*>(window.App().GetSubSystemView());
    }
    CRegionalChatBox* Chat() {
        CRegionalSystemBar* side = Side();
        return side != nullptr ? dynamic_cast<CRegionalChatBox*>(
                                     side->FindObjectByName(CSystemBars::kChatBoxName))
                               : nullptr;
    }
    std::string InputText() {
        CRegionalSystemBar* side = Side();
        auto* input = side != nullptr ? dynamic_cast<CInputBar*>(side->FindObjectByName("InputBar"))
                                      : nullptr;
        CCorvaneEdit* edit = input != nullptr ? input->GetEditBox() : nullptr;
        if (edit == nullptr) {
            return "<no input box>";
        }
        char* text = edit->GetText();
        std::string copy = text != nullptr ? text : "";
        FreeEventBlock(text);
        return copy;
    }

    game_test::GameWindow window;
};

TEST_F(RegionalSidePanelTest, TheEmoticonButtonOpensAndClosesOneRegionalPicker) {
    ASSERT_NE(Side(), nullptr);
    CRegionalChatBox* chat = Chat();
    ASSERT_NE(chat, nullptr);
    EXPECT_EQ(chat->GetEmoticonPanel(), nullptr);
    Side()->ShowEmoticonPanel();
    auto* panel = dynamic_cast<CRegionalEmoticonPanel*>(chat->GetEmoticonPanel());
    ASSERT_NE(panel, nullptr);
    const int id = panel->GetId();
    EXPECT_TRUE(panel->IsVisible());
    Side()->ShowEmoticonPanel();
    EXPECT_FALSE(panel->IsVisible());
    Side()->ShowEmoticonPanel();
    EXPECT_TRUE(panel->IsVisible());
    EXPECT_EQ(chat->GetEmoticonPanel()->GetId(), id);
}

TEST_F(RegionalSidePanelTest, ARightPressOnAnEmoticonSendsNothingAndALeftPressStillPicks) {
    ASSERT_NE(Chat(), nullptr);
    Side()->ShowEmoticonPanel();
    CEmoticonPanel* panel = Chat()->GetEmoticonPanel();
    ASSERT_NE(panel, nullptr);
    window.Run(50);
    // A point on a cell that shows an emoticon.
    int cx = -1;
    int cy = -1;
    for (int y = 0; y < static_cast<int>(panel->GetHeight()) && cx < 0; ++y) {
        for (int x = 0; x < static_cast<int>(panel->GetWidth()); ++x) {
            if (!panel->CodeAt(x, y).empty() && !panel->CodeAt(x + 4, y + 4).empty()) {
                cx = x + 2;
                cy = y + 2;
                break;
            }
        }
    }
    ASSERT_GE(cx, 0) << "no emoticon cell";
    const int x = static_cast<int>(panel->GetLeft()) + cx;
    const int y = static_cast<int>(panel->GetTop()) + cy;
    const platform::WindowId wnd = window.App().GetMainWindow();
    const std::string before = InputText();

    ASSERT_TRUE(platform::SynthesizeMouseMove(wnd, x, y));
    ASSERT_TRUE(platform::SynthesizeMouseButton(wnd, platform::MouseButton::Right, true, x, y));
    ASSERT_TRUE(platform::SynthesizeMouseButton(wnd, platform::MouseButton::Right, false, x, y));
    window.Run(200);
    EXPECT_TRUE(panel->IsVisible());
    EXPECT_EQ(InputText(), before);

    ASSERT_TRUE(platform::SynthesizeMouseButton(wnd, platform::MouseButton::Left, true, x, y));
    ASSERT_TRUE(platform::SynthesizeMouseButton(wnd, platform::MouseButton::Left, false, x, y));
    EXPECT_TRUE(window.RunUntil([&] { return panel->IsVisible() == 0; }, 2000));
}

}  // namespace
