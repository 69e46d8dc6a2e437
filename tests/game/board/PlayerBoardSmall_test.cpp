// The regional seat board in a headless table scene: the chat bubble (text,
// emoticon pictures, wrap, height limit, life time), the board's placement
// and its ready mark from the table's tile metrics.

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "game/table/PlayerBoardSmall.h"
#include "tests/game/show/ShowScene.h"
#include "tests/game/support/RegionalSkin.h"

namespace {

using show_test::ShowScene;

constexpr char kWhiteEye[] = "#白眼";

class PlayerBoardTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(scene.Open()) << scene.error; }

    CPlayerBoardSmall& Board(int position) {
        CPlayerBoardSmall* board = scene.view->GetPlayerBoard(position);
        EXPECT_NE(board, nullptr) << position;
        return *board;
    }
    // The main game rectangle's height becomes h; the boards are laid out.
    void SetHeight(int h) {
        scene.view->SetViewRect(IntRect{0, 0, 1024, h});
        for (int position = 0; position < 4; ++position) {
            Board(position).Layout();
        }
    }
    bool BubbleShown(int position) {
        CCorvaneCanvas* bubble = Board(position).GetBubbleCanvas();
        return bubble != nullptr && bubble->IsVisible() != 0;
    }
    // The x of each emoticon shown, relative to the text canvas's left.
    std::vector<int> PictureXs(int position) {
        std::vector<int> xs;
        CPlayerBoardSmall& board = Board(position);
        CCorvaneCanvas* text = board.GetBubbleTextCanvas();
        for (int id : board.GetBubblePictureIds()) {
            CCorvanePicture* picture = board.FindPictureById(id);
            if (picture != nullptr && text != nullptr) {
                xs.push_back(static_cast<int>(picture->GetX() - text->GetLeft()) - 24);
            }
        }
        return xs;
    }
    static uint32_t BackgroundColour(int frame) {
        const regional_skin::Picture* picture =
            regional_skin::FindPicture(CPlayerBoardSmall::kBubbleBackground);
        return picture != nullptr ? regional_skin::FrameColour(*picture, frame) : 0;
    }

    ShowScene scene;
};

TEST_F(PlayerBoardTest, ALineWithoutACodeIsDrawnInOnePieceOnItsSeatsBackground) {
    const int frames[4] = {3, 1, 4, 0};
    for (int position = 0; position < 4; ++position) {
        CPlayerBoardSmall& board = Board(position);
        board.ShowChatBubble("大家好 hello");
        ASSERT_TRUE(BubbleShown(position)) << position;
        ASSERT_EQ(board.GetTextPieces().size(), 1u);
        EXPECT_EQ(board.GetTextPieces()[0].text, "大家好 hello");
        EXPECT_EQ(board.GetTextPieces()[0].x, 0);
        EXPECT_EQ(board.GetTextPieces()[0].y, position == 1 || position == 2 ? 15 : 0) << position;
        EXPECT_TRUE(board.GetBubblePictureIds().empty());
        // The seat's background frame lies in the middle of the bubble.
        EXPECT_EQ(board.GetBubbleCanvas()->GetPixel(93, 70), BackgroundColour(frames[position]))
            << position;
    }
}

TEST_F(PlayerBoardTest, FourCodesShowThreePicturesOnTheFirstRowAndDropTheFourth) {
    const std::string line = std::string(kWhiteEye) + kWhiteEye + kWhiteEye + kWhiteEye;
    CPlayerBoardSmall& board = Board(3);
    board.ShowChatBubble(line);
    EXPECT_EQ(PictureXs(3), (std::vector<int>{0, 48, 96}));
    EXPECT_TRUE(board.GetTextPieces().empty());
    for (int id : board.GetBubblePictureIds()) {
        CCorvanePicture* picture = board.FindPictureById(id);
        ASSERT_NE(picture, nullptr);
        // The first row: 34 below the text canvas's top, lifted by 10.
        EXPECT_EQ(picture->GetY() - board.GetBubbleTextCanvas()->GetTop(), 24.0);
    }
}

TEST_F(PlayerBoardTest, ShortOrUnknownCodesAreText) {
    EXPECT_EQ(CPlayerBoardSmall::HasEmoticonCode("#白"), 0);
    EXPECT_EQ(CPlayerBoardSmall::HasEmoticonCode("#你好"), 0);
    EXPECT_EQ(CPlayerBoardSmall::HasEmoticonCode("白眼"), 0);
    EXPECT_EQ(CPlayerBoardSmall::HasEmoticonCode("看#白眼"), 1);

    // With a real code in the line the others are drawn as text around it.
    CPlayerBoardSmall& board = Board(0);
    board.ShowChatBubble(std::string("#你好") + kWhiteEye + "#白");
    int wide = 0;
    int narrow = 0;
    board.GetBubbleTextCanvas()->MeasureText("我", &wide, nullptr);
    board.GetBubbleTextCanvas()->MeasureText("w", &narrow, nullptr);
    EXPECT_EQ(PictureXs(0), std::vector<int>{narrow + 2 * wide});
    std::vector<std::string> texts;
    for (const CPlayerBoardSmall::TextPiece& piece : board.GetTextPieces()) {
        texts.push_back(piece.text);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"#", "你", "好", "#", "白"}));
}

TEST_F(PlayerBoardTest, TokensAreCodesOrRunsUpToTheNextMark) {
    char buffer[32];
    char token[32];
    std::strcpy(buffer, "ab#白眼#你好#");
    EXPECT_EQ(CPlayerBoardSmall::NextBubbleToken(buffer, token, sizeof buffer), 0);
    EXPECT_STREQ(token, "ab");
    EXPECT_EQ(CPlayerBoardSmall::NextBubbleToken(buffer, token, sizeof buffer), 1);
    EXPECT_STREQ(token, kWhiteEye);
    // A "#" that starts no code is taken as the first byte of a run.
    EXPECT_EQ(CPlayerBoardSmall::NextBubbleToken(buffer, token, sizeof buffer), 0);
    EXPECT_STREQ(token, "#你好");
    EXPECT_EQ(CPlayerBoardSmall::NextBubbleToken(buffer, token, sizeof buffer), 0);
    EXPECT_STREQ(token, "#");
    EXPECT_EQ(CPlayerBoardSmall::NextBubbleToken(buffer, token, sizeof buffer), 0);
    EXPECT_STREQ(token, "");
    EXPECT_EQ(CPlayerBoardSmall::NextBubbleToken(nullptr, token, sizeof buffer), 0);
}

TEST_F(PlayerBoardTest, AFinalLeadByteIsNeverPairedWithTheTerminator) {
    // Exactly as long as the text: nothing past its terminator is read.
    const std::string text = std::string("ab") + "我"[0];
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    std::vector<char> token(buffer.size());
    EXPECT_EQ(CPlayerBoardSmall::NextBubbleToken(buffer.data(), token.data(), buffer.size()), 0);
    EXPECT_EQ(std::string(token.data()), text);
    EXPECT_EQ(buffer[0], '\0');

    // A line longer than the bubble's 127 bytes whose 127th byte starts a
    // double-byte character: the character is dropped whole, no piece holds
    // half of one.
    std::string line = std::string(kWhiteEye) + std::string(121, 'a') + "我我";
    ASSERT_GT(line.size(), CPlayerBoardSmall::kBubbleTextBytes);
    CPlayerBoardSmall& board = Board(3);
    board.ShowChatBubble(line);
    std::string drawn;
    for (const CPlayerBoardSmall::TextPiece& piece : board.GetTextPieces()) {
        const auto first = static_cast<unsigned char>(piece.text[0]);
        EXPECT_EQ(piece.text.size(), first > 0x80 ? 2u : 1u) << piece.text;
        drawn += piece.text;
    }
    EXPECT_EQ(drawn, std::string(121, 'a'));
}

TEST_F(PlayerBoardTest, TextWrapsBefore160WithoutSplittingACharacter) {
    CPlayerBoardSmall& board = Board(3);
    std::string line = kWhiteEye;
    for (int i = 0; i < 20; ++i) {
        line += i % 3 == 0 ? "x" : "中";
    }
    board.ShowChatBubble(line);
    int wide = 0;
    int narrow = 0;
    board.GetBubbleTextCanvas()->MeasureText("我", &wide, nullptr);
    board.GetBubbleTextCanvas()->MeasureText("w", &narrow, nullptr);
    ASSERT_GT(wide, 0);
    const auto& pieces = board.GetTextPieces();
    ASSERT_FALSE(pieces.empty());
    EXPECT_EQ(pieces[0].x, 48);  // after the picture
    EXPECT_EQ(pieces[0].y, 34);
    int rows = 1;
    for (size_t i = 0; i < pieces.size(); ++i) {
        const int width = pieces[i].text.size() == 2 ? wide : narrow;
        EXPECT_LE(pieces[i].x + width, CPlayerBoardSmall::kBubbleWrapX) << i;
        if (i > 0 && pieces[i].y != pieces[i - 1].y) {
            ++rows;
            EXPECT_EQ(pieces[i].x, 0);
            EXPECT_EQ(pieces[i].y, pieces[i - 1].y + 48);
            // It wrapped because the character did not fit.
            const int previous = pieces[i - 1].text.size() == 2 ? wide : narrow;
            EXPECT_GT(pieces[i - 1].x + previous + width, CPlayerBoardSmall::kBubbleWrapX);
        }
    }
    EXPECT_GE(rows, 2);
}

TEST_F(PlayerBoardTest, BelowSixHundredPixelsNoBubbleShowsAndLayoutHidesOne) {
    SetHeight(600);
    Board(1).ShowChatBubble("...");
    EXPECT_TRUE(BubbleShown(1));
    SetHeight(599);
    EXPECT_FALSE(BubbleShown(1));
    Board(2).ShowChatBubble("...");
    EXPECT_FALSE(BubbleShown(2));
    EXPECT_EQ(Board(2).GetBubbleTimer(), 0u);
}

TEST_F(PlayerBoardTest, TheBubbleLivesFiveSecondsFromTheLastLine) {
    CPlayerBoardSmall& board = Board(0);
    board.ShowChatBubble(std::string("一") + kWhiteEye);
    scene.Frames(4000);
    ASSERT_TRUE(BubbleShown(0));
    const std::vector<int> first = board.GetBubblePictureIds();
    ASSERT_EQ(first.size(), 1u);
    board.ShowChatBubble(std::string("二") + kWhiteEye);
    // The first line's picture went with it.
    scene.Frames(100);
    EXPECT_FALSE(scene.Exists(first[0]));
    scene.Frames(4800);
    EXPECT_TRUE(BubbleShown(0)) << "the second line ends five seconds after it came";
    scene.Frames(300);
    EXPECT_FALSE(BubbleShown(0));
    EXPECT_TRUE(board.GetBubblePictureIds().empty());
}

TEST_F(PlayerBoardTest,
       TheBoardAndTheBubbleArePlacedFromTheTileMetricsAndTheReadyMarkBesideTheBoard) {
    SetHeight(768);
    // Each drawn bubble off every discard block and seat board.
    const auto meets = [](const IntRect& a, const IntRect& b) {
        return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
    };
    const int h = scene.view->GetSkinFrame("PlayerBoardSmall", 0).height;
    const int length = scene.view->GetSkinFrame("PlayerBoardSmall", 0).width;
    ASSERT_GT(h, 0);
    struct Point {
        double x;
        double y;
    };
    const Point boards[4] = {{h / 2 + 1.0, 384 - 35.0},
                             {512, h / 2 + 1.0},
                             {1024 - h / 2 - 1.0, 384 - 35.0},
                             {512, 768 - h / 2 - 1.0}};
    for (int position = 0; position < 4; ++position) {
        CPlayerBoardSmall& board = Board(position);
        board.SetPlayer(position);
        board.ShowReady();
        CCorvanePicture* mark = board.GetReadyMark();
        ASSERT_NE(mark, nullptr);
        const double w = mark->GetWidth();
        const double mh = mark->GetHeight();
        // Beside the board, 8 pixels past its end: above the side boards,
        // right of the opposite seat's, left of the own seat's.
        const double beside = length / 2 + 8;
        const Point marks[4] = {{boards[0].x, boards[0].y - beside - mh / 2},
                                {512 + beside + w / 2, boards[1].y},
                                {boards[2].x, boards[2].y - beside - mh / 2},
                                {512 - beside - w / 2, boards[3].y}};
        board.Layout();
        EXPECT_EQ(board.GetX(), boards[position].x) << position;
        EXPECT_EQ(board.GetY(), boards[position].y) << position;
        EXPECT_EQ(mark->GetX(), marks[position].x) << position;
        EXPECT_EQ(mark->GetY(), marks[position].y) << position;
        const IntRect at = board.GetBubbleFrameRect();
        const int left = static_cast<int>(board.GetBubbleCanvas()->GetLeft());
        const int top = static_cast<int>(board.GetBubbleCanvas()->GetTop());
        const IntRect drawn{left + at.left, top + at.top, left + at.right, top + at.bottom};
        for (int p = 0; p < 4; ++p) {
            EXPECT_FALSE(meets(drawn, scene.view->GetDiscardBlock(p))) << position << p;
            EXPECT_FALSE(meets(drawn, CMahjongTableView::ObjectBox(&Board(p)))) << position << p;
        }
    }
    EXPECT_EQ(Board(0).GetAngle(), 270.0);
    EXPECT_EQ(Board(2).GetAngle(), 90.0);
}

TEST_F(PlayerBoardTest, ResetFlowersHidesTheReadyMarkAndHighlightShowsTheNormalFrame) {
    CPlayerBoardSmall& board = Board(1);
    board.SetPlayer(1);
    board.ShowReady();
    ASSERT_TRUE(board.GetReadyMark()->IsVisible());
    board.ResetFlowers();
    EXPECT_FALSE(board.GetReadyMark()->IsVisible());

    const regional_skin::Picture* picture = regional_skin::FindPicture("PlayerBoardSmall");
    ASSERT_NE(picture, nullptr);
    board.SetHighlighted(1);
    EXPECT_EQ(board.GetBoardCanvas()->GetPixel(2, 2), regional_skin::FrameColour(*picture, 0));
    EXPECT_EQ(board.IsHighlighted(), 1);
}

}  // namespace

namespace {

TEST_F(PlayerBoardTest, TheAutoPlayAndOfflineIconsBlinkThreeTimesAndStop) {
    for (int offline = 0; offline < 2; ++offline) {
        CPlayerBoardSmall& board = Board(offline != 0 ? 2 : 0);
        board.SetPlayer(offline != 0 ? 2 : 0);
        if (offline != 0) {
            board.SetOffline(1);
            EXPECT_EQ(board.IsOffline(), 1);
        } else {
            board.SetAutoPlay(1);
        }
        CCorvanePicture* icon = board.GetStatusIcon();
        ASSERT_NE(icon, nullptr);
        EXPECT_TRUE(icon->IsVisible());
        // Blinking at first, then still at full alpha.
        bool blinked = false;
        for (int i = 0; i < 40; ++i) {
            scene.Frames(50);
            blinked = blinked || icon->GetAlpha() < 1.0;
        }
        EXPECT_TRUE(blinked) << offline;
        scene.Frames(10000);
        for (int i = 0; i < 20; ++i) {
            scene.Frames(50);
            EXPECT_DOUBLE_EQ(icon->GetAlpha(), 1.0) << offline << " frame " << i;
        }
    }
}

}  // namespace
