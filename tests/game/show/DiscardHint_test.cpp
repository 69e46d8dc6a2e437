// The automatic discard of auto-play: the hand score under the five
// weights, the suggestion over the own row, and the auto-play step that
// throws it.

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "game/table/RegionalTableView.h"
#include "tests/game/show/ShowScene.h"
#include "tests/game/support/ProgramFolder.h"

namespace {

using show_test::ShowScene;
using Hand = std::array<int32_t, CRegionalTableView::kRowSize>;
using Remaining = std::array<int, CRegionalTableView::kTileIndexCount>;
using MeldSuits = std::array<int, CRegionalTableView::kSuitCount>;

// Tile ids of the first suit: value v (1-9), copy c (0-3).
constexpr int32_t Dot(int value, int copy = 0) {
    return copy * 9 + value - 1;
}
// Tile ids of the second and third suits.
constexpr int32_t Bam(int value, int copy = 0) {
    return 36 + copy * 9 + value - 1;
}
constexpr int32_t Crak(int value, int copy = 0) {
    return 72 + copy * 9 + value - 1;
}
// An honour tile: kind 1-7, copy 0-3.
constexpr int32_t Honour(int kind, int copy = 0) {
    return 108 + copy * 7 + kind - 1;
}

Hand MakeHand(const std::vector<int32_t>& tiles) {
    Hand hand;
    hand.fill(-1);
    for (size_t i = 0; i < tiles.size(); ++i) {
        hand[i] = tiles[i];
    }
    return hand;
}

Remaining AllLive(int count = 2) {
    Remaining remaining;
    remaining.fill(count);
    return remaining;
}

class DiscardHintTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.Ok()) << folder.Error();
        ASSERT_TRUE(scene.Open()) << scene.error;
        view = scene.view;
    }
    // The own row: tiles at 1.., the drawn tile at 0.
    void Deal(const std::vector<int32_t>& tiles, int32_t drawn) {
        scene.FillOwnRow(tiles, drawn);
        ASSERT_NE(view->IsHandDrawn(3), 0);
    }
    void Tick(int times) {
        for (int i = 0; i < times; ++i) {
            view->OnTimerTick();
        }
    }

    game_test::ProgramFolder folder{show_test::FolderWithoutSkin()};
    ShowScene scene;
    show_test::ShowView* view = nullptr;
};

TEST_F(DiscardHintTest, ARunAndALivePairScoreAsTheWeightsSay) {
    // 1, 2, 3 and a pair of 5 of one suit; index 5 (a third 3) is skipped.
    const Hand hand = MakeHand({Dot(1), Dot(2), Dot(3), Dot(5), Dot(5, 1), Dot(3, 2)});
    // Run 2 x 50, pair 100 (the only live pair is the eye), shape 5 x 5.
    EXPECT_EQ(view->ScoreHandWithout(hand, AllLive(), MeldSuits{}, 5), 100 + 100 + 25);
    // The eye scores whether its tile is live or not.
    EXPECT_EQ(view->ScoreHandWithout(hand, AllLive(0), MeldSuits{}, 5), 100 + 100 + 25);
    // A second live pair adds the eye's weight and the live weight.
    const Hand twoPairs = MakeHand({Dot(1), Dot(2), Dot(3), Dot(5), Dot(5, 1), Dot(7), Dot(7, 1)});
    EXPECT_EQ(view->ScoreHandWithout(twoPairs, AllLive(), MeldSuits{}, 31),
              100 + (100 + 5) + 100 + 7 * 7);
}

TEST_F(DiscardHintTest, ATripletCountsWhateverIsStillOut) {
    const Hand hand = MakeHand({Dot(1), Dot(1, 1), Dot(1, 2)});
    Remaining remaining = AllLive();
    remaining[1] = 0;
    EXPECT_EQ(view->ScoreHandWithout(hand, remaining, MeldSuits{}, 31), 200 + 9);
    remaining[1] = 1;
    EXPECT_EQ(view->ScoreHandWithout(hand, remaining, MeldSuits{}, 31), 200 + 5 + 9);
}

TEST_F(DiscardHintTest, ShapeFollowsTheOneSuitShownInMelds) {
    const Hand hand = MakeHand({Dot(1), Dot(4), Honour(1)});
    MeldSuits melds{};
    // No meld: every tile adds its suit's count.
    EXPECT_EQ(view->ScoreHandWithout(hand, AllLive(), melds, 31), 2 + 2 + 1);
    // One meld suit: only that suit's tiles add.
    melds[0] = 3;
    EXPECT_EQ(view->ScoreHandWithout(hand, AllLive(), melds, 31), 2 + 2);
    // Two meld suits: no shape at all.
    melds[3] = 3;
    EXPECT_EQ(view->ScoreHandWithout(hand, AllLive(), melds, 31), 0);
}

TEST_F(DiscardHintTest, TilesWithoutAFaceAreNeverCounted) {
    // Hidden tiles (index -10) and ids past the flowers count for nothing
    // and index nothing; a flower (suit 4) counts.
    const Hand hand = MakeHand({200, 200, 200, -5, 100000, 136, Dot(2)});
    const int score = view->ScoreHandWithout(hand, AllLive(), MeldSuits{}, 31);
    EXPECT_EQ(score, 1 + 1);

    // In the own row they are not seen either.
    Deal({200, 200, Dot(1), Dot(2), Dot(3), Honour(5), Honour(5, 1), Honour(5, 2)}, 200);
    const int index = view->SuggestDiscard();
    EXPECT_GE(index, 0);
    EXPECT_LT(index, CRegionalTableView::kRowSize);
}

TEST_F(DiscardHintTest, AutoPlayThrowsTheLoneTileOnTheSecondTick) {
    // Three runs and a pair leave two lone honours; the first is thrown.
    Deal({Dot(1), Dot(2), Dot(3), Dot(4), Dot(5), Dot(6), Dot(7), Dot(8), Dot(9), Dot(9, 1),
          Dot(2, 1), Dot(3, 1), Honour(1)},
         Honour(5));
    Tick(1);
    EXPECT_TRUE(view->moves.empty()) << "the first tick only counts";
    Tick(1);
    ASSERT_EQ(view->moves.size(), 1u);
    const int index = view->SuggestDiscard();
    ASSERT_NE(view->GetHandSprite(3, index), nullptr);
    EXPECT_GE(view->GetHandSprite(3, index)->tile, 108) << "an honour goes";
    EXPECT_EQ(view->moves[0], "throw " + std::to_string(index));
}

TEST_F(DiscardHintTest, AfterTheReadyDeclarationTheDrawnTileGoes) {
    Deal({Dot(1), Dot(2), Dot(3)}, Honour(2));
    view->m_bBaoJiao = 1;
    Tick(2);
    EXPECT_EQ(view->moves, std::vector<std::string>{"throw 0"});
}

TEST_F(DiscardHintTest, NothingIsThrownOffTurn) {
    Deal({Dot(1), Dot(2), Dot(3)}, Honour(2));
    view->MoveTurnIndicator(6, 4);
    Tick(4);
    EXPECT_TRUE(view->moves.empty());
}

TEST_F(DiscardHintTest, ASuggestionOnAPlaceWithoutATileThrowsNothing) {
    // Weights that make every tile's score negative: the empty entries (0)
    // win, and the first of them is a place without a sprite.
    view->m_nWeightShape = -1;
    Deal({Dot(1), Dot(4), Dot(7), Bam(1), Bam(4), Bam(7), Crak(1), Crak(4), Crak(7), Honour(1),
          Honour(3), Honour(5), Honour(7)},
         Dot(9));
    const int index = view->SuggestDiscard();
    EXPECT_EQ(view->GetHandSprite(3, index), nullptr) << "index " << index;
    Tick(2);
    EXPECT_TRUE(view->moves.empty());
}

TEST_F(DiscardHintTest, AWildTileAtTheFrontIsDeclaredWhenEveryScoreIsZero) {
    // A rule word with the wild bit, and the drawn tile one of the wild
    // tiles: it is left out of the hand, every score is 0, so index 0 wins;
    // a wild tile is this game's flower.
    view->ruleFlags = CRegionalTableView::kRuleFlags | 0x1;
    std::vector<uint8_t> start(952, 0);
    const int32_t wild = Dot(5);
    std::memcpy(start.data() + 34 * 4, &wild, 4);
    const int32_t none = -1;
    std::memcpy(start.data() + 35 * 4, &none, 4);
    ASSERT_TRUE(scene.Data()->StoreHandStart(start));
    view->m_nWeightShape = 0;
    view->m_nWeightShun = 0;
    view->m_nWeightJiang = 0;
    view->m_nWeightPnPn = 0;
    view->m_nWeightUse = 0;
    Deal({Dot(1), Dot(2), Dot(3)}, wild);
    EXPECT_EQ(view->SuggestDiscard(), 0);
    Tick(2);
    EXPECT_EQ(view->moves, std::vector<std::string>{"hua 0"});
}

TEST_F(DiscardHintTest, WeightsComeFromTheAiSectionWithTheirDefaults) {
    view->LoadAiSettings();
    EXPECT_EQ(view->m_nWeightShape, 1);
    EXPECT_EQ(view->m_nWeightShun, 50);
    EXPECT_EQ(view->m_nWeightJiang, 100);
    EXPECT_EQ(view->m_nWeightPnPn, 200);
    EXPECT_EQ(view->m_nWeightUse, 5);
    ASSERT_TRUE(folder.Write("pvbn.ini", "[AI]\r\nweight_shape=3\r\nweight_use=-2\r\n"));
    view->LoadAiSettings();
    EXPECT_EQ(view->m_nWeightShape, 3);
    EXPECT_EQ(view->m_nWeightShun, 50);
    EXPECT_EQ(view->m_nWeightUse, -2);
}

TEST(FindMaxIndex, TheFirstOfEqualMaximaWins) {
    const int values[] = {3, 7, 7, 1};
    EXPECT_EQ(CRegionalTableView::FindMaxIndex(values, 0, 4), 1);
    EXPECT_EQ(CRegionalTableView::FindMaxIndex(values, 2, 3), 2);
}

}  // namespace
