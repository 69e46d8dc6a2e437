// The seat board in an engine window: its parts, what its canvas shows, the
// chairs it refuses, the dice, the status icon, the flower counter, its
// places around the table and its ready mark, the name cut, and the mouse on
// the board reaching the frame view's player card.

#include "mahjong_client/table/SeatBoard.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "engine/EngineEvents.h"
#include "engine/ui/CorvaneNumberDisplay.h"
#include "frame/RecordFields.h"
#include "tests/mahjong_client/MahjongFrameWindow.h"

namespace {

using namespace mahjong_frame_test;

constexpr uint32_t kBoardColor = 0x102030;
constexpr uint32_t kHighlightColor = 0x405060;
constexpr uint32_t kHoverColor = 0x708090;
constexpr uint32_t kCharacterColor = 0xabcdef;
constexpr int kBoardWidth = 240;
constexpr int kBoardHeight = 40;

// A board whose chair the test may set to anything.
class OpenBoard : public CSeatBoard {
public:
    void ForceChair(int chair) { chair_ = chair; }
};

// A fixed tile sprite for the ready-mark anchors.
class Sprite : public CCorvaneObject {};

class SeatBoardTest : public MahjongFrameWindowTest {
protected:
    IntRect Table() { return view->table.GetViewRect(); }
    // Pixels of the board canvas that are not the colour key.
    static int PaintedPixels(CCorvaneCanvas& canvas) {
        int painted = 0;
        for (int y = 0; y < canvas.GetCanvasHeight(); ++y) {
            for (int x = 0; x < canvas.GetCanvasWidth(); ++x) {
                painted += canvas.GetAlpha(x, y) != 0 ? 1 : 0;
            }
        }
        return painted;
    }
};

TEST_F(SeatBoardTest, TheBoardIsBuiltOnItsPictureWithItsPartsJustAboveIt) {
    Open();
    CSeatBoard* board = MakeBoard(2);
    EXPECT_STREQ(board->GetName(), "玩家姓名板2");
    EXPECT_EQ(board->GetPosition(), 2);
    EXPECT_EQ(board->GetChair(), -1);
    CCorvaneCanvas* canvas = board->GetBoardCanvas();
    ASSERT_NE(canvas, nullptr);
    EXPECT_EQ(canvas->GetCanvasWidth(), kBoardWidth);
    EXPECT_EQ(canvas->GetCanvasHeight(), kBoardHeight);
    EXPECT_DOUBLE_EQ(canvas->GetZ(), 1000.0);
    EXPECT_EQ(board->GetPeer(), canvas);
    ASSERT_NE(board->GetDiceCanvas(), nullptr);
    EXPECT_EQ(board->GetDiceCanvas()->GetCanvasWidth(), 50);
    EXPECT_EQ(board->GetDiceCanvas()->GetCanvasHeight(), 30);
    ASSERT_NE(board->GetStatusIcon(), nullptr);
    ASSERT_NE(board->GetFlowerNumber(), nullptr);
    for (CCorvaneObject* part : std::initializer_list<CCorvaneObject*>{
             board->GetDiceCanvas(), board->GetStatusIcon(), board->GetFlowerNumber()}) {
        EXPECT_DOUBLE_EQ(part->GetZ(), 1000.1);
        EXPECT_EQ(canvas->HasChild(part->GetId()), 1);
    }
    EXPECT_EQ(board->GetReadyMark(), nullptr);  // made on first use

    // Built once: a second call keeps the parts and takes the position.
    const size_t children = canvas->GetChildCount();
    board->CreateObjects(1);
    EXPECT_EQ(board->GetBoardCanvas(), canvas);
    EXPECT_EQ(canvas->GetChildCount(), children);
    EXPECT_EQ(board->GetPosition(), 1);
}

TEST_F(SeatBoardTest, AChairOutsideZeroToSevenChangesNothing) {
    Open();
    CSeatBoard* board = MakeBoard(3);
    CCorvaneCanvas* canvas = board->GetBoardCanvas();
    ASSERT_NE(canvas, nullptr);
    for (int chair : {-1, -2, 8, 1000}) {
        board->SetPlayer(chair);
        EXPECT_EQ(board->GetChair(), -1) << chair;
        EXPECT_EQ(board->IsVisible(), 0) << chair;
        EXPECT_EQ(canvas->GetBindingCount(), 0u) << chair;
        EXPECT_EQ(PaintedPixels(*canvas), 0) << chair;
    }
    board->SetPlayer(1);
    EXPECT_EQ(board->GetChair(), 1);
    EXPECT_EQ(board->IsVisible(), 1);
    EXPECT_EQ(canvas->GetBindingCount(), 4u);
    board->SetPlayer(8);
    EXPECT_EQ(board->GetChair(), 1);
    EXPECT_EQ(canvas->GetBindingCount(), 4u);  // made again only for a real chair
}

TEST_F(SeatBoardTest, RedrawPaintsNothingForAChairOutsideTheTable) {
    Open();
    auto* board = new OpenBoard;
    MakeBoard(1, board);
    CCorvaneCanvas* canvas = board->GetBoardCanvas();
    for (int chair : {-1, 8, 64}) {
        board->ForceChair(chair);
        board->Redraw();
        EXPECT_EQ(PaintedPixels(*canvas), 0) << chair;
    }
    board->ForceChair(2);
    board->Redraw();
    EXPECT_GT(PaintedPixels(*canvas), 0);
}

TEST_F(SeatBoardTest, TheBoardFrameFollowsHighlightThenHover) {
    Open();
    CSeatBoard* board = MakeBoard(3);
    board->SetPlayer(0);
    CCorvaneCanvas* canvas = board->GetBoardCanvas();
    EXPECT_EQ(canvas->GetPixel(1, 1), kBoardColor);
    // The character picture at x 50, 33 pixels above the bottom.
    EXPECT_EQ(canvas->GetPixel(51, kBoardHeight - 33 + 1), kCharacterColor);
    EXPECT_EQ(board->GetNameX(), kBoardWidth / 2 + 56);

    auto send = [&](int event) { board->OnEvent(MakeEventRecord(board->GetId(), event, 0, 0)); };
    send(kEventSeatBoardHoverOn);
    EXPECT_EQ(board->IsHovered(), 1);
    EXPECT_EQ(canvas->GetPixel(1, 1), kHoverColor);
    board->SetHighlighted(1);
    EXPECT_EQ(canvas->GetPixel(1, 1), kHighlightColor);  // highlighted wins
    board->SetHighlighted(0);
    EXPECT_EQ(canvas->GetPixel(1, 1), kHoverColor);
    send(kEventSeatBoardHoverOff);
    EXPECT_EQ(board->IsHovered(), 0);
    EXPECT_EQ(canvas->GetPixel(1, 1), kBoardColor);
}

TEST_F(SeatBoardTest, TheNameIsWrittenOverTheBoardCentre) {
    Open();
    CSeatBoard* board = MakeBoard(3);
    board->SetPlayer(2);
    CCorvaneCanvas* canvas = board->GetBoardCanvas();
    int written = 0;
    for (int y = kBoardHeight / 2; y < kBoardHeight; ++y) {
        for (int x = kBoardWidth / 2; x < kBoardWidth; ++x) {
            written += canvas->GetPixel(x, y) != kBoardColor ? 1 : 0;
        }
    }
    EXPECT_GT(written, 0);
    // Nothing left of the centre but the board and the character.
    EXPECT_EQ(canvas->GetPixel(kBoardWidth / 2 - 2, kBoardHeight / 2 + 2), kBoardColor);
}

TEST_F(SeatBoardTest, AZeroDieClearsTheDiceWithoutHidingThem) {
    Open();
    CSeatBoard* board = MakeBoard(0);
    CCorvaneCanvas* dice = board->GetDiceCanvas();
    board->ShowBankerDice({2, 5});
    EXPECT_EQ(dice->IsVisible(), 1);
    EXPECT_EQ(dice->GetPixel(5 + 1, 3 + 1), 0x000022u);   // frame 1 at (5, 3)
    EXPECT_EQ(dice->GetPixel(12 + 1, 6 + 1), 0x000055u);  // frame 4 at (die width, 6)

    board->ShowBankerDice({3, 0});
    EXPECT_EQ(dice->IsVisible(), 1);
    EXPECT_EQ(dice->GetAlpha(5 + 1, 3 + 1), 0);
    EXPECT_EQ(dice->GetAlpha(12 + 1, 6 + 1), 0);

    board->HideBankerDice();
    EXPECT_EQ(dice->IsVisible(), 0);
    board->ShowBankerDice({0, 4});
    EXPECT_EQ(dice->IsVisible(), 0);  // its visibility unchanged
    board->ShowBankerDice({6, 1});
    EXPECT_EQ(dice->IsVisible(), 1);
    EXPECT_EQ(dice->GetPixel(5 + 1, 3 + 1), 0x000066u);
}

TEST_F(SeatBoardTest, FourSeatBoardsSitOnTheTableEdgesTheSideOnesTurned) {
    Open();
    const IntRect r = Table();
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    struct Expected {
        int x, y;
        double angle;
    };
    const Expected expected[4] = {{r.left + kBoardHeight / 2 + 1, r.top + h / 2, 270.0},
                                  {r.left + w / 2, r.top + kBoardHeight / 2 + 1, 0.0},
                                  {r.left + w - kBoardHeight / 2 - 1, r.top + h / 2, 90.0},
                                  {r.left + w / 2, r.top + h - kBoardHeight / 2 - 1, 0.0}};
    for (int position = 0; position < 4; ++position) {
        CSeatBoard* board = MakeBoard(position);
        board->Layout();
        EXPECT_EQ(board->GetX(), expected[position].x) << position;
        EXPECT_EQ(board->GetY(), expected[position].y) << position;
        EXPECT_EQ(board->GetAngle(), expected[position].angle) << position;
    }
}

TEST_F(SeatBoardTest, AtAThreeSeatTableTheFirstBoardKeepsTheTableCorner) {
    app.playerCount = 3;
    Open();
    const IntRect r = Table();
    CSeatBoard* first = MakeBoard(0);
    first->Layout();
    EXPECT_EQ(first->GetX(), r.left);
    EXPECT_EQ(first->GetY(), r.top);
    EXPECT_EQ(first->GetAngle(), 0.0);
    CSeatBoard* third = MakeBoard(2);
    third->Layout();
    EXPECT_EQ(third->GetX(), r.right - kBoardHeight / 2 - 1);
    EXPECT_EQ(third->GetAngle(), 90.0);
}

TEST_F(SeatBoardTest, ClearingHidesTheBoardAndEveryPart) {
    Open();
    CSeatBoard* board = MakeBoard(1);
    board->SetPlayer(1);
    board->ShowReady();
    board->ShowBankerDice({1, 2});
    board->AddFlower();
    board->SetHighlighted(1);
    board->SetAutoPlay(1);
    ASSERT_NE(board->GetReadyMark(), nullptr);
    for (CCorvaneObject* part : std::initializer_list<CCorvaneObject*>{
             board, board->GetReadyMark(), board->GetDiceCanvas(), board->GetFlowerNumber(),
             board->GetStatusIcon()}) {
        EXPECT_EQ(part->IsVisible(), 1);
    }

    board->Clear();
    for (CCorvaneObject* part : std::initializer_list<CCorvaneObject*>{
             board, board->GetReadyMark(), board->GetDiceCanvas(), board->GetFlowerNumber(),
             board->GetStatusIcon()}) {
        EXPECT_EQ(part->IsVisible(), 0);
    }
    EXPECT_EQ(board->GetChair(), -1);
    EXPECT_EQ(board->GetFlowerCount(), 0);
    EXPECT_EQ(board->IsHighlighted(), 0);
    EXPECT_EQ(board->GetBoardCanvas()->FindEventBinding(kEventMouseEnter), nullptr);
}

TEST_F(SeatBoardTest, TheStatusIconShowsTheLastFlagOnOrFallsBackToNothing) {
    Open();
    CSeatBoard* board = MakeBoard(3);
    board->SetPlayer(0);
    CCorvanePicture* icon = board->GetStatusIcon();
    EXPECT_EQ(icon->IsVisible(), 0);  // no match badge outside a match

    board->SetAutoPlay(1);
    EXPECT_EQ(icon->IsVisible(), 1);
    EXPECT_EQ(icon->GetFrameInfo().record, board->GetResourceFrame("animation_AutoPlay", 0).record);
    board->SetOffline(1);
    EXPECT_EQ(board->IsOffline(), 1);
    EXPECT_EQ(icon->GetFrameInfo().record, board->GetResourceFrame("animation_Offline", 0).record);
    RunMs(500);  // the blink runs
    board->SetAutoPlay(0);
    EXPECT_EQ(icon->IsVisible(), 0);
    EXPECT_DOUBLE_EQ(icon->GetAlpha(), 1.0);
    EXPECT_EQ(board->IsOffline(), 1);  // the flag stays; the icon is shared
    RunMs(500);
    EXPECT_DOUBLE_EQ(icon->GetAlpha(), 1.0);  // the blink was stopped
    board->SetOffline(0);
    EXPECT_EQ(board->IsOffline(), 0);
}

TEST_F(SeatBoardTest, InAMatchTheIconFallsBackToTheSeatBadge) {
    app.match = true;
    Open();
    MatchTableHeader header;
    header.playerCount = 2;
    std::vector<uint8_t> block(MatchTableHeader::kSize);
    WriteRecord(header, block);
    for (int chair = 0; chair < 2; ++chair) {
        MatchPlayerRecord player;
        player.userId = kFirstUserId + chair;
        player.seatTaken = chair == 0 ? 1 : 0;
        player.rankLevel = 2;
        std::vector<uint8_t> bytes(MatchPlayerRecord::kSize);
        WriteRecord(player, bytes);
        block.insert(block.end(), bytes.begin(), bytes.end());
    }
    ASSERT_EQ(app.SetMatchTable(block), 1);

    CSeatBoard* ranked = MakeBoard(3);
    ranked->SetPlayer(0);
    CCorvanePicture* badge = ranked->GetStatusIcon();
    EXPECT_EQ(badge->IsVisible(), 1);
    EXPECT_EQ(badge->GetFrameInfo().record, ranked->GetResourceFrame("bit_Duan", 2).record);
    ranked->SetAutoPlay(1);
    ranked->SetAutoPlay(0);
    EXPECT_EQ(badge->IsVisible(), 1);
    EXPECT_EQ(badge->GetFrameInfo().record, ranked->GetResourceFrame("bit_Duan", 2).record);

    CSeatBoard* unranked = MakeBoard(1);
    unranked->SetPlayer(1);
    EXPECT_EQ(unranked->GetStatusIcon()->IsVisible(), 0);
}

TEST_F(SeatBoardTest, FlowersShowTheirFlagAndCounterUntilReset) {
    Open();
    CSeatBoard* board = MakeBoard(3);
    board->SetPlayer(0);
    CCorvaneNumberDisplay* counter = board->GetFlowerNumber();
    board->DrawFlowerFlag();
    EXPECT_EQ(counter->IsVisible(), 0);
    board->AddFlower();
    board->AddFlower();
    EXPECT_EQ(board->GetFlowerCount(), 2);
    EXPECT_EQ(counter->IsVisible(), 1);
    EXPECT_EQ(counter->GetValue(), 2);
    EXPECT_EQ(board->GetBoardCanvas()->GetPixel(200 + 1, 1 + 1), 0x00ffffu);
    board->SetHighlighted(1);
    board->ResetFlowers();
    EXPECT_EQ(board->GetFlowerCount(), 0);
    EXPECT_EQ(board->IsHighlighted(), 0);
    EXPECT_EQ(counter->IsVisible(), 0);
    EXPECT_EQ(board->GetBoardCanvas()->GetPixel(200 + 1, 1 + 1), kBoardColor);
}

TEST_F(SeatBoardTest, TheReadyMarkGoesTowardsTheCentreOrBesideTheSeatsFirstTile) {
    Open();
    const IntRect r = Table();
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    std::vector<CSeatBoard*> boards;
    for (int position = 0; position < 4; ++position) {
        boards.push_back(MakeBoard(position));
        boards.back()->ShowReady();
    }
    auto at = [&](int position) {
        CCorvanePicture* mark = boards[size_t(position)]->GetReadyMark();
        return std::make_pair(int(mark->GetX()), int(mark->GetY()));
    };
    EXPECT_EQ(at(0), std::make_pair(r.left + 160, r.top + h / 2 - 35));
    EXPECT_EQ(at(1), std::make_pair(r.left + w / 2, r.top + 100));
    EXPECT_EQ(at(2), std::make_pair(r.right - 160, r.top + h / 2 - 35));
    EXPECT_EQ(at(3), std::make_pair(r.left + w / 2, r.bottom - 150));
    EXPECT_EQ(boards[0]->GetReadyMark()->IsVisible(), 1);
    EXPECT_DOUBLE_EQ(boards[0]->GetReadyMark()->GetZ(), 10000.0);

    // Beside the first tile sprite of the seat when the view asks for it.
    Sprite sprites[4];
    for (int i = 0; i < 4; ++i) {
        sprites[i].SetPos(300 + 10 * i, 200 + 10 * i);
        view->table.sprites[i] = &sprites[i];
    }
    view->table.placement = 1;
    for (CSeatBoard* board : boards) {
        board->UpdateReadyMark();
    }
    EXPECT_EQ(at(0), std::make_pair(300 + 100, r.top + h / 2 - 35));
    EXPECT_EQ(at(1), std::make_pair(r.left + w / 2, 210 + 80));
    EXPECT_EQ(at(2), std::make_pair(320 - 100, r.top + h / 2 - 35));
    EXPECT_EQ(at(3), std::make_pair(r.left + w / 2, 230 - 80));

    // A seat without a sprite keeps the fixed place; a hidden mark stays put.
    view->table.sprites[1] = nullptr;
    boards[1]->PlaceReadyMark();
    EXPECT_EQ(at(1), std::make_pair(r.left + w / 2, r.top + 100));
    boards[3]->HideReadyMark2();
    view->table.placement = 0;
    boards[3]->UpdateReadyMark();
    EXPECT_EQ(at(3), std::make_pair(r.left + w / 2, 230 - 80));
    boards[3]->ShowMarkAnimation("animation_Other");
    EXPECT_EQ(boards[3]->GetReadyMark()->GetFrameInfo().record,
              boards[3]->GetResourceFrame("animation_Other", 0).record);
    EXPECT_EQ(at(3), std::make_pair(r.left + w / 2, r.bottom - 150));
}

TEST_F(SeatBoardTest, AtAThreeSeatTableTheReadyMarksHaveTheirOwnPlaces) {
    app.playerCount = 3;
    Open();
    const IntRect r = Table();
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    const std::pair<int, int> expected[3] = {{r.left + w / 2, r.bottom - 200},
                                             {r.left + 200, r.top + h / 2},
                                             {r.left + w - 200, r.top + h / 2}};
    for (int position = 0; position < 3; ++position) {
        CSeatBoard* board = MakeBoard(position);
        board->ShowReady();
        CCorvanePicture* mark = board->GetReadyMark();
        EXPECT_EQ(std::make_pair(int(mark->GetX()), int(mark->GetY())), expected[position]);
    }
    CSeatBoard* own = MakeBoard(3);
    own->ShowReady();
    const double x = own->GetReadyMark()->GetX();
    const double y = own->GetReadyMark()->GetY();
    own->Layout();
    EXPECT_EQ(own->GetReadyMark()->GetX(), x);  // not moved
    EXPECT_EQ(own->GetReadyMark()->GetY(), y);
}

TEST(SeatBoardNameTest, LongNamesAreCutOnBytesWithinBothFields) {
    CSeatBoard board;
    char target[32];
    auto cut = [&](std::span<const char> source, size_t targetSize = sizeof target) {
        std::memset(target, '#', sizeof target);
        board.TruncateName(source, std::span<char>(target, targetSize));
        return std::string(target);
    };
    EXPECT_EQ(cut(std::string_view("abcdefghi\0", 10)), "abcdefghi");
    EXPECT_EQ(cut(std::string_view("abcdefghij\0", 11)), "abcdefgh..");
    EXPECT_EQ(cut(std::string_view("a-very-long-player-name\0", 24)), "a-very-l..");
    // Only 11 bytes are written, terminator included.
    EXPECT_EQ(target[11], '#');
    // A source without a terminator is read within its field only.
    std::vector<char> unterminated(5, 'x');
    EXPECT_EQ(cut(unterminated), "xxxxx");
    std::vector<char> longUnterminated(12, 'y');
    EXPECT_EQ(cut(longUnterminated), "yyyyyyyy..");
    // A small target keeps its own size.
    EXPECT_EQ(cut(std::string_view("abcdefghij\0", 11), 4), "abc");
    board.TruncateName(std::string_view("abc"), std::span<char>());
    // Bytes, not characters: a two-byte character may be split.
    const char gbk[] = "\xb6\xab\xb7\xbd\xb2\xbb\xb0\xdc\xca\xa4\xb0\xdc";
    EXPECT_EQ(cut(std::span<const char>(gbk, sizeof gbk)), std::string(gbk, 8) + "..");
}

TEST_F(SeatBoardTest, PressesOnTheBoardReachTheFrameViewsPlayerCard) {
    app.SetOfflineMode(true);  // the card is filled here, not by the hall
    Open();
    CSeatBoard* board = MakeBoard(3);
    board->SetPlayer(1);
    board->Layout();
    Frame();
    const int x = static_cast<int>(board->GetX()) - 60;
    const int y = static_cast<int>(board->GetY());

    MoveTo(x, y);
    RunMs(50);
    EXPECT_EQ(board->IsHovered(), 1);
    Press(platform::MouseButton::Left, x, y);
    EXPECT_EQ(view->Count("ShowPlayerCard " + std::to_string(kFirstUserId + 1) + " " +
                          std::to_string(x) + " " + std::to_string(y)),
              1);
    EXPECT_EQ(view->Count("FillPlayerDetail"), 1);
    Press(platform::MouseButton::Right, x, y);
    EXPECT_EQ(view->Count("FadeOutPlayerCard " + std::to_string(kFirstUserId + 1)), 1);

    MoveTo(5, 40);
    RunMs(50);
    EXPECT_EQ(board->IsHovered(), 0);

    // A board shown anew binds its presses to the new chair once.
    board->SetPlayer(2);
    Press(platform::MouseButton::Left, x, y);
    EXPECT_EQ(view->Count("ShowPlayerCard " + std::to_string(kFirstUserId + 2)), 1);
    EXPECT_EQ(view->Count("ShowPlayerCard"), 2);
}

TEST_F(SeatBoardTest, ABoardDestroyedWithItsPartsLeavesTheEngineWhole) {
    Open();
    CSeatBoard* board = MakeBoard(3);
    board->SetPlayer(0);
    board->ShowReady();
    const int markId = board->GetReadyMark()->GetId();
    view->DestroyObject(board, 0);
    Frame();
    // The ready mark is the board's own object, hidden with it.
    CCorvaneObject* mark = view->FindObjectById(markId);
    if (mark != nullptr) {
        EXPECT_EQ(mark->IsVisible(), 0);
    }
}

}  // namespace
