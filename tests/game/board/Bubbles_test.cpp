// Chat bubbles on the program's main window, seen in its back buffer: the
// "/ShowChat" command typed into the input bar, a spoken line with emoticon
// codes, and a main game area too low for bubbles.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "engine/ui/CorvaneButton.h"
#include "engine/ui/CorvaneEdit.h"
#include "frame/panels/InputBar.h"
#include "frame/view/GameFrameView.h"
#include "game/app/RegionalMahjongApp.h"
#include "game/table/PlayerBoardSmall.h"
#include "game/table/RegionalTableView.h"
#include "mahjong_client/TableProtocol.h"
#include "platform/Input.h"
#include "platform/SdlEvents.h"
#include "tests/engine_ui/EditBoxText.h"
#include "tests/game/support/GameWindow.h"
#include "tests/game/support/RegionalSkin.h"
#include "tools/regional_records/RegionalRecords.h"

namespace {

constexpr int32_t kPhraseKind = 8;

uint32_t PictureColour(const char* name, int frame) {
    const regional_skin::Picture* picture = regional_skin::FindPicture(name);
    return picture != nullptr ? regional_skin::FrameColour(*picture, frame) : 0xffffffffu;
}

uint32_t BubbleColour(int position) {
    const int frames[4] = {3, 1, 4, 0};
    return PictureColour(CPlayerBoardSmall::kBubbleBackground, frames[position]);
}

class BubblesTest : public ::testing::Test {
protected:
    bool Open(int height) {
        window = std::make_unique<game_test::GameWindow>();
        game_test::GameWindowOptions options;
        options.height = height;
        if (!window->Open(options)) {
            ADD_FAILURE() << window->Error();
            return false;
        }
        return true;
    }
    CPlayerBoardSmall* Board(int position) {
        return window->View() != nullptr ? window->View()->GetPlayerBoard(position) : nullptr;
    }
    // The back buffer shows the bubble's background at the point of the
    // bubble that no text covers (its right part, low).
    bool BubbleSeen(int position) {
        CPlayerBoardSmall* board = Board(position);
        CCorvaneCanvas* bubble = board != nullptr ? board->GetBubbleCanvas() : nullptr;
        if (bubble == nullptr) {
            return false;
        }
        const int x = static_cast<int>(bubble->GetRight()) - 20;
        const int y = static_cast<int>(bubble->GetBottom()) - 30;
        return regional_skin::ColourNear(window->BackBufferColour(x, y), BubbleColour(position));
    }
    // Types the text into the input bar's edit box and sends it with the
    // bar's send button.
    void TypeIntoInputBar(const std::string& text) {
        CCorvaneView* side = window->App().GetSubSystemView();
        auto* input = side != nullptr ? dynamic_cast<CInputBar*>(side->FindObjectByName("InputBar"))
                                      : nullptr;
        ASSERT_NE(input, nullptr);
        CCorvaneEdit* edit = input->GetEditBox();
        CCorvaneButton* send = input->GetSendButton();
        ASSERT_NE(edit, nullptr);
        ASSERT_NE(send, nullptr);
        // At this window size the side panel's layout leaves the edit box
        // hidden, so a click cannot reach it: the focus is given directly.
        edit->SetFocus(edit->GetId());
        window->Run(50);
        const platform::WindowId wnd = window->App().GetMainWindow();
        ASSERT_TRUE(platform::SynthesizeText(wnd, text));
        window->Run(100);
        ASSERT_EQ(EditBoxText(*edit), text);
        const int x = static_cast<int>(send->GetX());
        const int y = static_cast<int>(send->GetY());
        ASSERT_TRUE(platform::SynthesizeMouseMove(wnd, x, y));
        ASSERT_TRUE(platform::SynthesizeMouseButton(wnd, platform::MouseButton::Left, true, x, y));
        ASSERT_TRUE(platform::SynthesizeMouseButton(wnd, platform::MouseButton::Left, false, x, y));
        window->Run(100);
        EXPECT_EQ(EditBoxText(*edit), "");
    }
    std::unique_ptr<game_test::GameWindow> window;
};

TEST_F(BubblesTest, ShowChatTypedInTheInputBarShowsDotsOnTheFourBoards) {
    ASSERT_TRUE(Open(768));
    const IntRect game = GetMainGameRect();
    ASSERT_GE(game.bottom - game.top, CPlayerBoardSmall::kBubbleMinHeight);
    for (int position = 0; position < 4; ++position) {
        EXPECT_FALSE(BubbleSeen(position)) << position;
    }
    TypeIntoInputBar("/ShowChat");
    EXPECT_TRUE(window->RunUntil([&] {
        return BubbleSeen(0) && BubbleSeen(1) && BubbleSeen(2) && BubbleSeen(3);
    })) << "bubbles not seen";
    for (int position = 0; position < 4; ++position) {
        ASSERT_NE(Board(position), nullptr);
        EXPECT_EQ(Board(position)->GetBubbleText(), "...") << position;
    }
}

TEST_F(BubblesTest, ASpokenLineShowsItsEmoticonsAndLowerThan600NoBubbleShows) {
    ASSERT_TRUE(Open(768));
    const IntRect game = GetMainGameRect();
    const int chrome = 768 - (game.bottom - game.top);
    const int speakerChair = 2;
    const int position = window->View()->ChairToPosition(speakerChair);
    ASSERT_GE(position, 0);
    const std::string line = "<c=255>#白眼说#坏笑\r\n";
    window->Deliver(
        table_protocol::kTableChat,
        regional_records::ChatLineRecord(game_test::WindowUserOf(speakerChair), kPhraseKind, line));
    CPlayerBoardSmall* board = Board(position);
    ASSERT_NE(board, nullptr);
    EXPECT_EQ(board->GetBubbleText(), "#白眼说#坏笑");
    ASSERT_EQ(board->GetBubblePictureIds().size(), 2u);
    const char* names[2] = {"kof白眼", "kof坏笑"};
    for (size_t i = 0; i < 2; ++i) {
        CCorvanePicture* picture = board->FindPictureById(board->GetBubblePictureIds()[i]);
        ASSERT_NE(picture, nullptr);
        const int x = static_cast<int>(picture->GetX());
        const int y = static_cast<int>(picture->GetY());
        EXPECT_TRUE(window->RunUntil([&] {
            return regional_skin::ColourNear(window->BackBufferColour(x, y),
                                             PictureColour(names[i], 0));
        })) << names[i];
    }
    EXPECT_TRUE(BubbleSeen(position));

    // The same table in a window whose game area is 599 pixels high.
    window.reset();
    ASSERT_TRUE(Open(599 + chrome));
    const IntRect low = GetMainGameRect();
    ASSERT_EQ(low.bottom - low.top, 599);
    window->Deliver(
        table_protocol::kTableChat,
        regional_records::ChatLineRecord(game_test::WindowUserOf(speakerChair), kPhraseKind, line));
    EXPECT_EQ(window->App().HandleDebugCommand("/ShowChat"), 1);
    window->Run(300);
    for (int p = 0; p < 4; ++p) {
        ASSERT_NE(Board(p), nullptr);
        EXPECT_FALSE(Board(p)->GetBubbleCanvas()->IsVisible()) << p;
        EXPECT_TRUE(Board(p)->GetBubblePictureIds().empty()) << p;
        EXPECT_FALSE(BubbleSeen(p)) << p;
    }
}

}  // namespace
