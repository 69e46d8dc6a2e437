// The regional table's play events: the own throw and flower, another
// seat's flower, the meld notices and buttons with their animation, the
// melds of a running hand and the wild-tile marks.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/CorvanePicture.h"
#include "tests/game/play/RegionalPlayScene.h"

namespace play_test {
namespace {

constexpr int kPengAnimation = 80001171;
constexpr int kGangAnimation = 80001172;

std::vector<uint8_t> DrawReply(int32_t tile, int32_t wallIndex) {
    tp::DrawReply reply;
    reply.tile = tile;
    reply.wallIndex = wallIndex;
    return tp::WriteTableRecord(reply);
}

std::vector<uint8_t> HuaNotice(int32_t chair, int32_t laidAside, int32_t tile, int32_t wallIndex) {
    tp::SeatDrawNotice notice;
    notice.chair = chair;
    notice.laidAside = laidAside;
    notice.tile = tile;
    notice.wallIndex = wallIndex;
    return tp::WriteTableRecord(notice);
}

std::vector<uint8_t> MeldNotice(int32_t chair, int32_t from, int32_t tile, bool gang = false) {
    tp::OperationRecord notice;
    notice.head.chair = chair;
    notice.offerChair = from;
    notice.tile = tile;
    notice.handTiles = {tile + 9, tile + 18, gang ? tile + 27 : -1};
    return tp::WriteTableRecord(notice);
}

class PlayEventsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scene.Open());
        ASSERT_TRUE(scene.StoreHandStart(start));
        scene.view->BuildWall();
    }

    CCardSprite* At(int index) { return scene.view->GetHandSprite(3, index); }
    CRegionalTableView& View() { return *scene.view; }

    HandStart start;
    RegionalPlayScene scene;
};

TEST_F(PlayEventsTest, TheOwnThrowLeavesTheHandAndSpeaksTheTile) {
    scene.FillOwnRow({40, 41, 42}, 43);
    View().MoveTurnIndicator(View().GetTurnDirection(), 6);
    ASSERT_EQ(View().ThrowHandTile(2), 1);
    EXPECT_EQ(scene.view->discards, std::vector<int>{41});
    ASSERT_NE(View().GetLastThrown(3), nullptr);
    EXPECT_EQ(View().GetLastThrown(3)->tile, 41);
    EXPECT_EQ(View().GetLastThrown(3)->state, CCardSprite::kStateJustThrown);
    EXPECT_EQ(View().GetLastThrown(3)->lifeTime, 3000u);
    EXPECT_EQ(scene.RowTiles(3), (std::vector<int32_t>{-1, 40, 42, 43}));
    EXPECT_EQ(View().GetTurnDirection(), 4);
    EXPECT_EQ(View().GetTableState(), 0);
    EXPECT_EQ(View().GetClockSeconds(), kDiscardSeconds);
    EXPECT_NE(std::ranges::find(scene.view->voices, "tile 3 41"), scene.view->voices.end());
}

TEST_F(PlayEventsTest, ARefusedThrowChangesNothing) {
    scene.FillOwnRow({40, 41, 42}, 43);
    View().MoveTurnIndicator(View().GetTurnDirection(), 6);
    for (int refusal : {10100, 229450}) {
        scene.view->discardResults.push_back(refusal);
        EXPECT_EQ(View().ThrowHandTile(1), 0);
    }
    EXPECT_EQ(scene.RowTiles(3), (std::vector<int32_t>{43, 40, 41, 42}));
    EXPECT_EQ(View().GetLastThrown(3), nullptr);
    EXPECT_EQ(View().GetTurnDirection(), 6);
    EXPECT_TRUE(scene.view->voices.empty());
    // No drawn tile, no throw: the request is not even sent.
    scene.view->discards.clear();
    RegionalPlayScene& s = scene;
    s.view->RemoveHandTile(3, 43);
    EXPECT_EQ(View().ThrowHandTile(1), 0);
    EXPECT_TRUE(scene.view->discards.empty());
}

TEST_F(PlayEventsTest, AnOwnFlowerWithoutReplacementPassesTheTurn) {
    scene.FillOwnRow({40, 41, 42}, 43);
    scene.view->huaReplies.push_back(DrawReply(-1, 0));
    EXPECT_EQ(View().DeclareOwnHua(1), 0);
    // The flower was spoken before the request went.
    ASSERT_FALSE(scene.view->voices.empty());
    EXPECT_EQ(scene.view->voices[0].rfind("name 3", 0), 0u);
    EXPECT_EQ(scene.view->huas, std::vector<int>{40});
    EXPECT_EQ(View().GetDiscardCount(3), 1);
    EXPECT_EQ(View().GetSeatBoard(3)->GetFlowerCount(), 1);
    EXPECT_EQ(View().GetTurnDirection(), 4);
    EXPECT_EQ(View().GetClockSeconds(), kDiscardSeconds);
}

TEST_F(PlayEventsTest, AnOwnFlowerWithReplacementDrawsItAMomentLater) {
    scene.FillOwnRow({40, 41, 42}, 43);
    scene.view->huaReplies.push_back(DrawReply(50, 30));
    EXPECT_EQ(View().DeclareOwnHua(2), 1);
    EXPECT_EQ(View().GetTurnDirection(), 6);
    EXPECT_EQ(View().GetClockSeconds(), kReactionSeconds);
    scene.Frames(300);
    const std::vector<int32_t> row = scene.RowTiles(3);
    EXPECT_NE(std::ranges::find(row, 50), row.end());
    EXPECT_EQ(std::ranges::find(row, 41), row.end());
}

TEST_F(PlayEventsTest, ARefusedOwnFlowerChangesNothing) {
    scene.FillOwnRow({40, 41, 42}, 43);
    scene.view->huaReplies.push_back({});
    EXPECT_EQ(View().DeclareOwnHua(1), 0);
    EXPECT_EQ(scene.RowTiles(3), (std::vector<int32_t>{43, 40, 41, 42}));
    EXPECT_EQ(View().GetDiscardCount(3), 0);
    EXPECT_EQ(View().DeclareOwnHua(20), 0);  // no tile there: nothing is sent
    EXPECT_EQ(scene.view->huas.size(), 1u);
}

TEST_F(PlayEventsTest, AnotherSeatsFlowerReusesItsHiddenTileAndDrawsTheReplacement) {
    const int position = View().ChairToPosition(1);
    for (int i = 1; i <= 13; ++i) {
        View().PutHandTile(position, i, 200);
    }
    EXPECT_TRUE(View().OnCardsHua(HuaNotice(1, 60, 200, 20)));
    EXPECT_EQ(View().GetDiscardCount(position), 1);
    EXPECT_EQ(View().GetDiscard(position, 0)->tile, 60);
    EXPECT_EQ(View().GetSeatBoard(position)->GetFlowerCount(), 1);
    EXPECT_EQ(View().GetRowCount(position), 13);  // twelve and the replacement
    EXPECT_NE(View().GetHandSprite(position, 0), nullptr);
    EXPECT_EQ(View().GetTurnDirection(), 2 * position);
    // Without a replacement the turn goes on and the discard time runs.
    EXPECT_TRUE(View().OnCardsHua(HuaNotice(1, 61, -1, 0)));
    EXPECT_EQ(View().GetTurnDirection(), 2 * View().GetNextTurnPosition(position));
    EXPECT_EQ(View().GetClockSeconds(), kDiscardSeconds);
}

TEST_F(PlayEventsTest, AFlowerOfAChairOffTheTableOrTooShortIsRefused) {
    const int direction = View().GetTurnDirection();
    for (int32_t chair : {-1, 4, 9}) {
        EXPECT_TRUE(View().OnCardsHua(HuaNotice(chair, 60, 200, 20))) << chair;
    }
    std::vector<uint8_t> shortNotice = HuaNotice(1, 60, 200, 20);
    shortNotice.pop_back();
    EXPECT_FALSE(View().OnCardsHua(shortNotice));
    for (int p = 0; p < 4; ++p) {
        EXPECT_EQ(View().GetDiscardCount(p), 0) << p;
        EXPECT_EQ(View().GetSeatBoard(p)->GetFlowerCount(), 0) << p;
    }
    EXPECT_EQ(View().GetTurnDirection(), direction);
    EXPECT_TRUE(scene.view->voices.empty());
}

TEST_F(PlayEventsTest, AnotherSeatsDrawIsDroppedOnlyWhileThatSeatHoldsATileOver) {
    // A hand without the swap dealt by chair 3; chairs 2, 1 and the own
    // chair 0 play after it. The own tiles come unsorted.
    start.banker = 3;
    start.turnChair = 3;
    start.ownTiles = {39, 38, 37, 36, 8, 7, 6, 5, 4, 3, 2, 1, 0};
    ASSERT_TRUE(scene.StoreHandStart(start));
    const auto held = [&](int32_t chair) {
        return View().GetRowCount(View().ChairToPosition(chair));
    };
    const auto draw = [&](int32_t chair, int32_t wall) {
        EXPECT_TRUE(View().OnCardCaught(HuaNotice(chair, tp::kNoTile, tp::kHiddenTile, wall)));
        return held(chair);
    };
    // The banker throws at once: the deal ends first (every row whole, the
    // own row sorted), and the next seat draws 1.5 s into the deal.
    View().DealCards();
    scene.Frames(200);
    tp::CardThrownNotice thrown;
    thrown.thrower = 3;
    thrown.tile = 30;
    EXPECT_TRUE(View().OnCardThrown(tp::WriteTableRecord(thrown)));
    EXPECT_EQ(scene.RowTiles(3),
              (std::vector<int32_t>{-1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 36, 37, 38, 39}));
    EXPECT_EQ(held(3), 13);
    scene.Frames(1300);
    EXPECT_EQ(draw(2, 60), 14);
    // The steps and the end posted for later change nothing.
    scene.Frames(2000);
    EXPECT_EQ(held(2), 14);
    EXPECT_EQ(held(1), 13);
    EXPECT_EQ(View().GetTurnDirection(), 2 * View().ChairToPosition(2));
    EXPECT_EQ(View().GetWallCount(), 108 - 53 - 1);
    // Chair 2 holds 14 (no throw seen): the next seat draws all the same,
    // and so does the seat after the own one once the own seat has drawn
    // (the draw reply) and thrown. Of three draws in a row for chair 3 the
    // first is taken and the two after it dropped.
    EXPECT_EQ(draw(1, 61), 14);
    scene.view->catchReplies.push_back(DrawReply(40, 62));
    ASSERT_EQ(View().CatchCard(), 1);
    ASSERT_EQ(View().ThrowHandTile(0), 1);
    EXPECT_EQ(draw(3, 63), 14);
    EXPECT_EQ(draw(3, 64), 14);
    EXPECT_EQ(draw(3, 65), 14);
    EXPECT_EQ(View().GetWallCount(), 108 - 53 - 4);
}

TEST_F(PlayEventsTest, AnotherSeatsMeldNoticePlaysItsAnimationFirst) {
    const int position = View().ChairToPosition(1);
    for (int i = 1; i <= 13; ++i) {
        View().PutHandTile(position, i, 200);
    }
    View().PutHandTile(View().ChairToPosition(2), 1, 200);
    EXPECT_TRUE(View().OnGameMsg229185(MeldNotice(1, 2, 3)));
    EXPECT_TRUE(View().OnCardsGang(MeldNotice(1, 2, 4, true), tp::kGangNotice));
    EXPECT_EQ(scene.view->meldAnimations, (std::vector<int>{kPengAnimation, kGangAnimation}));
    EXPECT_EQ(View().GetMeldCount(position), 2);
    // The own claim's notice, a chair off the table and a short notice play
    // nothing.
    EXPECT_TRUE(View().OnGameMsg229185(MeldNotice(0, 2, 5)));
    EXPECT_TRUE(View().OnCardsGang(MeldNotice(6, 2, 5), tp::kGangNotice));
    std::vector<uint8_t> shortNotice = MeldNotice(1, 2, 5);
    shortNotice.pop_back();
    EXPECT_FALSE(View().OnGameMsg229185(shortNotice));
    EXPECT_EQ(scene.view->meldAnimations.size(), 2u);
}

TEST_F(PlayEventsTest, MeldButtonsAnimateOnlyWhatTheServerTook) {
    EXPECT_EQ(View().OnPengButton(), 1);
    EXPECT_EQ(View().OnGangOnDiscardButton(), 1);
    EXPECT_EQ(View().OnAddGangButton(12), 1);
    scene.view->submitResult = 0;
    EXPECT_EQ(View().OnPengButton(), 0);
    EXPECT_EQ(View().OnConcealedGangButton(13), 0);
    EXPECT_EQ(scene.view->meldAnimations,
              (std::vector<int>{kPengAnimation, kGangAnimation, kGangAnimation}));
    ASSERT_EQ(scene.view->submits.size(), 5u);
    EXPECT_EQ(scene.view->submits[2], (std::pair<std::string, int32_t>{"added gang", 12}));
    EXPECT_EQ(scene.view->submits[4], (std::pair<std::string, int32_t>{"concealed gang", 13}));
}

TEST_F(PlayEventsTest, AConcealedGangAfterAReadyDeclarationGreysTheHand) {
    scene.FillOwnRow({40, 41, 42}, 43);
    CCorvanePicture* badge = View().GetBaoJiaoBadge(3);
    ASSERT_NE(badge, nullptr);
    EXPECT_EQ(View().OnConcealedGangButton(40), 1);
    EXPECT_EQ(At(1)->greyed, 0);  // no badge shown: the hand stays
    badge->Show();
    EXPECT_EQ(View().OnConcealedGangButton(40), 1);
    EXPECT_EQ(At(0)->greyed, 0);
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(At(i)->greyed, 1) << i;
    }
    badge->Hide();
}

TEST_F(PlayEventsTest, TheHuButtonEndsAutoPlayFirst) {
    View().ToggleAutoPlay();
    ASSERT_NE(View().IsAutoPlay(), 0);
    View().OnHuButton();
    EXPECT_EQ(View().IsAutoPlay(), 0);
}

// A hand state whose meld store gives chair 0 `ownCount` pengs and chair 1
// `otherCount`.
std::vector<uint8_t> MeldStore(const HandStart& start, int32_t ownCount, int32_t otherCount) {
    std::vector<uint8_t> state = start.Build();
    state.resize(tp::kHandStateBytes);
    constexpr size_t kStore = 952 / 4;
    for (size_t chair = 0; chair < 2; ++chair) {
        for (size_t k = 0; k < 6; ++k) {
            const size_t entry = kStore + 42 * chair + 7 * k;
            const int32_t face = static_cast<int32_t>(k + 6 * chair) % 9;
            PutWord(state, entry + 0, face + 36 * static_cast<int32_t>(chair));  // hand tiles
            PutWord(state, entry + 1, face + 9 + 36 * static_cast<int32_t>(chair));
            PutWord(state, entry + 2, face + 18 + 36 * static_cast<int32_t>(chair));  // claimed
            PutWord(state, entry + 4, 2);  // from chair 2
        }
    }
    PutWord(state, kStore + 168, ownCount);
    PutWord(state, kStore + 169, otherCount);
    return state;
}

TEST_F(PlayEventsTest, RestoredMeldCountsAreKeptWithinSixPerChair) {
    ASSERT_TRUE(scene.Data()->StoreHandState(MeldStore(start, 7, -1)));
    View().RestoreMelds();
    EXPECT_EQ(View().GetMeldCount(3), 6);
    EXPECT_EQ(View().GetMeldCount(View().ChairToPosition(1)), 0);
    ASSERT_TRUE(scene.Data()->StoreHandState(MeldStore(start, 2, 1)));
    View().ClearTable();
    View().RestoreMelds();
    EXPECT_EQ(View().GetMeldCount(3), 2);
    EXPECT_EQ(View().GetMeldCount(View().ChairToPosition(1)), 1);
}

TEST_F(PlayEventsTest, WildTilesAreMarkedOnlyUnderAWildRuleAndWithinTheRow) {
    start.wild = {40, -1};
    start.ownTiles.assign(32, 40);
    ASSERT_TRUE(scene.StoreHandStart(start));
    std::vector<int32_t> row(31, 40);
    scene.FillOwnRow(row);
    scene.Data()->SetMarking(1);
    View().MarkWildTilesInHand();
    EXPECT_EQ(scene.Data()->IsMarking(), 0);
    for (int i = 1; i < 32; ++i) {
        EXPECT_EQ(At(i)->wildMark, 0) << i;  // the game's rule word: nothing is wild
    }
    scene.view->ruleFlags = CRegionalTableView::kRuleFlags | 0x1;
    View().MarkWildTilesInHand();
    for (int i = 1; i < 32; ++i) {
        EXPECT_EQ(At(i)->wildMark, 1) << i;
    }
}

TEST_F(PlayEventsTest, WildTilesFollowTheDrawnTileAndTheTileFaces) {
    start.wild = {40, -1};
    start.ownTiles = {41, 40, 42, 49};  // 49 has the wild tile's face
    ASSERT_TRUE(scene.StoreHandStart(start));
    scene.view->ruleFlags = CRegionalTableView::kRuleFlags | 0x1;
    scene.FillOwnRow({40, 42, 49}, 41);
    View().MarkWildTilesInHand();
    EXPECT_EQ(At(0)->wildMark, 0);
    EXPECT_EQ(At(1)->wildMark, 1);
    EXPECT_EQ(At(2)->wildMark, 0);
    EXPECT_EQ(At(3)->wildMark, 1);
}

}  // namespace
}  // namespace play_test
