// The regional table's turn time-out: the ladder from the swap choice to
// the draw, and the fullest-suit search the swap choice uses.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "tests/game/play/RegionalPlayScene.h"

namespace play_test {
namespace {

// Suit 0 is 0..35, suit 1 36..71, suit 2 72..107 (four runs of 1..9).
constexpr int32_t kBamboo1 = 0;
constexpr int32_t kBamboo2 = 1;
constexpr int32_t kBamboo3 = 2;
constexpr int32_t kDots1 = 36;
constexpr int32_t kDots2 = 37;
constexpr int32_t kDots3 = 38;
constexpr int32_t kDots4 = 39;
constexpr int32_t kChar1 = 72;
constexpr int32_t kChar2 = 73;

// The base view's protected fields the ladder reads, reached through
// pointers to members.
struct ViewFields : CRegionalTableView {
    static int& Held(CMahjongTableView& view) { return view.*(&ViewFields::operationHeld_); }
    static int& TimedOut(CMahjongTableView& view) { return view.*(&ViewFields::timedOut_); }
    static int& State(CMahjongTableView& view) { return view.*(&ViewFields::tableState_); }
    static int& Turn(CMahjongTableView& view) { return view.*(&ViewFields::turnDirection_); }
};

class TurnTimeOutTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scene.Open());
        HandStart start;
        start.ownTiles = {kBamboo1, kBamboo2};
        ASSERT_TRUE(scene.StoreHandStart(start));
    }

    CRegionalTableView& View() { return *scene.view; }
    CCardSprite* Own(int32_t tile) {
        const int index = View().FindRowIndex(3, tile);
        return index >= 0 ? View().GetHandSprite(3, index) : nullptr;
    }

    RegionalPlayScene scene;
};

TEST_F(TurnTimeOutTest, FullestSuitCountsVisibleActiveTilesAndTakesTheLowerSuitOnATie) {
    scene.FillOwnRow({kChar1, kChar2, kDots1, kDots2, 200, 200, 200});
    EXPECT_EQ(View().FindFullestSuit(), 1);
    // A hidden tile has no suit: three of them neither count nor reach an
    // index below the counters.
    Own(kChar1)->visible = 0;
    EXPECT_EQ(View().FindFullestSuit(), 1);
    Own(kChar1)->visible = 1;
    scene.view->PutHandTile(3, 8, kDots3);
    scene.view->PutHandTile(3, 9, kChar1 + 2);
    EXPECT_EQ(View().FindFullestSuit(), 1);  // three dots, three characters
}

TEST_F(TurnTimeOutTest, AnEmptyHandGivesSuitZero) {
    EXPECT_EQ(View().FindFullestSuit(), 0);
}

TEST_F(TurnTimeOutTest, TheSwapChoiceIsCompletedFromTheRaisedSuitOrTheFullestSuit) {
    struct Case {
        std::vector<int32_t> raised;
        std::vector<int32_t> chosen;
    };
    const std::vector<Case> cases = {
        {{}, {kDots1, kDots2, kDots3}},
        {{kBamboo2}, {kBamboo1, kBamboo2, kBamboo3}},
        {{kChar1, kChar2}, {kChar1, kChar2, 100}},  // the drawn tile completes them
        {{200}, {kDots1, kDots2, kDots3}},          // a hidden tile has no suit: fullest suit
        {{kDots4, kDots2}, {kDots1, kDots2, kDots4}},
    };
    for (const Case& c : cases) {
        RegionalPlayScene local;
        ASSERT_TRUE(local.Open());
        HandStart start;
        start.flags = 0x1 | 0x10;
        ASSERT_TRUE(local.StoreHandStart(start));
        local.FillOwnRow(
            {kBamboo1, kBamboo2, kBamboo3, kDots1, kDots2, kDots3, kDots4, kChar1, kChar2, 200},
            100);
        local.view->StartPlay();
        ASSERT_EQ(local.view->GetTableState(), CRegionalTableView::kStateSwapChoice);
        for (int32_t tile : c.raised) {
            const int index = local.view->FindRowIndex(3, tile);
            local.view->GetHandSprite(3, index)->raised = 1;
        }
        local.view->OnTurnTimeOut();
        std::vector<int32_t> greyed;
        for (int i = 0; i < CMahjongTableView::kRowSize; ++i) {
            const CCardSprite* sprite = local.view->GetHandSprite(3, i);
            if (sprite != nullptr && sprite->greyed != 0) {
                greyed.push_back(sprite->tile);
            }
        }
        std::ranges::sort(greyed);
        EXPECT_EQ(greyed, c.chosen) << c.raised.size() << " raised";
        EXPECT_EQ(local.view->GetTableState(), CRegionalTableView::kStateSwapSent);
    }
}

TEST_F(TurnTimeOutTest, ALookerOnAndAnOpenSwapWaitChangeNothing) {
    RegionalPlayScene looker(0, true);
    ASSERT_TRUE(looker.Open());
    looker.view->MoveTurnIndicator(looker.view->GetTurnDirection(), 6);
    looker.view->OnTurnTimeOut();
    EXPECT_TRUE(looker.view->discards.empty());

    scene.FillOwnRow({kBamboo1, kBamboo2}, kDots1);
    View().m_bSwapChoosing = 1;
    ViewFields::Turn(View()) = 6;
    View().OnTurnTimeOut();
    EXPECT_TRUE(scene.view->discards.empty());
    EXPECT_EQ(View().IsAutoPlay(), 0);
}

// One row per rung: the view's state before the time-out, and what it did.
struct Rung {
    const char* name;
    int state;
    int held;
    int turn;
    bool drawn;
    bool declared;
    bool autoPlay;
    bool huOffered;
    std::vector<std::pair<std::string, int32_t>> submits;
    std::vector<int> discards;
    int autoPlayAfter;
    int timedOutAfter;
    int heldAfter;
};

TEST_F(TurnTimeOutTest, TheLadderTakesTheFirstRungThatApplies) {
    const std::vector<Rung> rungs = {
        {"held peng", 1, 1, 0, false, false, false, false, {{"peng", -1}}, {}, 0, 0, 1},
        {"held discard gang",
         2,
         1,
         0,
         false,
         false,
         false,
         false,
         {{"discard gang", -1}},
         {},
         0,
         0,
         0},
        {"held hu", 4, 1, 6, true, false, false, false, {}, {}, 0, 0, 0},
        {"hu in a ready hand", 0, 0, 6, true, true, false, true, {}, {}, 0, 0, 0},
        {"own turn, drawn", 0, 0, 6, true, false, false, false, {}, {kDots1}, 1, 0, 0},
        {"own turn, auto-play on", 0, 0, 6, true, false, true, false, {}, {kDots1}, 1, 0, 0},
        {"own turn, ready hand", 0, 0, 6, true, true, false, false, {}, {kDots1}, 0, 0, 0},
        {"own gang choice, drawn", 2, 0, 6, true, false, false, false, {}, {kDots1}, 1, 0, 0},
        {"own turn, nothing drawn", 0, 0, 6, false, false, false, false, {}, {}, 0, 1, 0},
        {"another seat's turn", 0, 0, 2, false, false, false, false, {}, {}, 0, 0, 0},
    };
    for (const Rung& rung : rungs) {
        RegionalPlayScene local;
        ASSERT_TRUE(local.Open());
        HandStart start;
        ASSERT_TRUE(local.StoreHandStart(start));
        CRegionalTableView& view = *local.view;
        view.BuildWall();
        local.FillOwnRow({kBamboo1, kBamboo2, kBamboo3}, rung.drawn ? kDots1 : -1);
        ViewFields::State(view) = rung.state;
        ViewFields::Held(view) = rung.held;
        ViewFields::Turn(view) = rung.turn;
        g_bBaoJiao[0] = rung.declared ? 1 : 0;
        view.GetOffer(kOpHu).offered = rung.huOffered ? 1 : 0;
        if (rung.autoPlay) {
            view.ToggleAutoPlay();
        }
        view.OnTurnTimeOut();
        EXPECT_EQ(local.view->submits, rung.submits) << rung.name;
        EXPECT_EQ(local.view->discards, rung.discards) << rung.name;
        EXPECT_EQ(view.IsAutoPlay(), rung.autoPlayAfter) << rung.name;
        EXPECT_EQ(ViewFields::TimedOut(view), rung.timedOutAfter) << rung.name;
        EXPECT_EQ(ViewFields::Held(view), rung.heldAfter) << rung.name;
        for (int kind = kOpPeng; kind <= kOpGuo; ++kind) {
            EXPECT_FALSE(view.IsOperationButtonOn(kind)) << rung.name << " kind " << kind;
        }
        if (rung.timedOutAfter != 0) {
            EXPECT_EQ(view.GetTableState(), 0) << rung.name;
            EXPECT_EQ(view.GetClockSeconds(), kReactionSeconds) << rung.name;
        }
    }
}

TEST_F(TurnTimeOutTest, AHeldAddedGangIsSentOnlyOverAnExposedPeng) {
    // The four tiles of the face "dots 1".
    constexpr std::array<int32_t, 4> kFour = {36, 45, 54, 63};
    ViewFields::Turn(View()) = 6;
    scene.FillOwnRow({kBamboo1, kBamboo2, kBamboo3, kFour[1], kFour[2], kFour[3]}, kFour[0]);
    ViewFields::State(View()) = 2;
    ViewFields::Held(View()) = 1;
    Own(kFour[0])->raised = 1;
    // The other three stand in the hand: no peng, nothing sent, the hold
    // dropped.
    View().OnTurnTimeOut();
    EXPECT_TRUE(scene.view->submits.empty());
    EXPECT_EQ(ViewFields::Held(View()), 0);

    for (int32_t tile : {kFour[1], kFour[2], kFour[3]}) {
        Own(tile)->meldKind = CCardSprite::kMeldPeng;
    }
    ViewFields::State(View()) = 2;
    ViewFields::Held(View()) = 1;
    View().OnTurnTimeOut();
    const std::vector<std::pair<std::string, int32_t>> sent = {{"added gang", kFour[0]}};
    EXPECT_EQ(scene.view->submits, sent);
}

TEST_F(TurnTimeOutTest, AnUnfinishedChiChoiceIsClearedBeforeTheOwnTurnGoesOn) {
    ViewFields::Turn(View()) = 6;
    scene.FillOwnRow({kBamboo1, kBamboo2, kBamboo3}, kDots1);
    Own(kBamboo2)->raised = 1;
    ViewFields::State(View()) = 3;
    View().OnTurnTimeOut();
    EXPECT_EQ(scene.view->discards, std::vector<int>{kDots1});
}

TEST_F(TurnTimeOutTest, AFlowerAtIndexZeroIsLaidAsideNotThrown) {
    // A rule word with the wild bit makes the wild tile a flower.
    scene.view->ruleFlags = CRegionalTableView::kRuleFlags | 0x1;
    HandStart start;
    start.wild = {kDots1, -1};
    ASSERT_TRUE(scene.StoreHandStart(start));
    ViewFields::Turn(View()) = 6;
    scene.FillOwnRow({kBamboo1, kBamboo2, kBamboo3}, kDots1);
    View().OnTurnTimeOut();
    EXPECT_EQ(scene.view->huas, std::vector<int>{kDots1});
    EXPECT_TRUE(scene.view->discards.empty());
}

}  // namespace
}  // namespace play_test
