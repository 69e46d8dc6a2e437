// The swap-three phase on the regional table: the choice, its
// confirmation, the ready notices, the swap dice and the exchange; and the
// deal's dice.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/CorvanePicture.h"
#include "engine/ui/CorvaneButton.h"
#include "tests/game/play/RegionalPlayScene.h"

namespace play_test {
namespace {

// Tile ids: suit 0 is 0..35 (four runs of 1..9), suit 1 is 36..71.
constexpr int32_t kBamboo1 = 0;
constexpr int32_t kBamboo2 = 1;
constexpr int32_t kBamboo3 = 2;
constexpr int32_t kBamboo4 = 3;
constexpr int32_t kDots1 = 36;

// A swap result: chair c receives `received[c]`, the die as given.
std::vector<uint8_t> SwapResult(int32_t die, const std::array<std::array<int32_t, 3>, 4>& received,
                                int32_t bankerOptions = 0, int32_t banker = 0) {
    tp::SwapDiceNotice notice;
    for (size_t c = 0; c < 4; ++c) {
        for (size_t k = 0; k < 3; ++k) {
            notice.received[3 * c + k] = received[c][k];
        }
    }
    notice.die = die;
    notice.firstTurnOptions[static_cast<size_t>(banker)] = bankerOptions;
    notice.tingList.fill(-1);
    notice.tingList[0] = 5;
    notice.tingTable[0] = 77;
    return tp::WriteTableRecord(notice);
}

constexpr std::array<std::array<int32_t, 3>, 4> kReceived = {{
    {{40, 41, 42}},
    {{50, 51, 52}},
    {{60, 61, 62}},
    {{70, 71, 72}},
}};

class SwapThreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scene.Open());
        HandStart start;
        start.banker = 0;
        start.flags = 0x1 | 0x10;
        ASSERT_TRUE(scene.StoreHandStart(start));
    }

    // An own row of thirteen tiles (three bamboos to give first) and the
    // drawn tile, with the choice open.
    void OpenChoice() {
        scene.FillOwnRow(
            {kBamboo1, kBamboo2, kBamboo3, kBamboo4, kDots1, 37, 38, 39, 80, 81, 82, 83, 84}, 100);
        scene.view->StartPlay();
    }

    CCardSprite* Own(int32_t tile) {
        const int index = scene.view->FindRowIndex(3, tile);
        return index >= 0 ? scene.view->GetHandSprite(3, index) : nullptr;
    }

    int Click(int32_t tile) { return scene.view->OnSwapTileClick(Own(tile)); }

    std::vector<std::string>& Chat() { return scene.host.chat.lines; }

    RegionalPlayScene scene;
};

TEST_F(SwapThreeTest, StartPlayOpensTheChoiceWithThirtySecondsAndTheOwnPointer) {
    OpenChoice();
    CRegionalTableView& view = *scene.view;
    EXPECT_EQ(view.GetTableState(), CRegionalTableView::kStateSwapChoice);
    EXPECT_EQ(view.m_bSwapChoosing, 1);
    EXPECT_EQ(view.GetTurnDirection(), 6);
    EXPECT_EQ(view.GetClockSeconds(), 30);
    if (CCorvaneButton* confirm = view.GetSwapChoiceButton()) {
        EXPECT_NE(confirm->IsVisible(), 0);
        EXPECT_EQ(confirm->IsInputEnabled(), 0);
    }
}

TEST_F(SwapThreeTest, AHandWithoutTheSwapStartsPlayOnTheBankersTurn) {
    HandStart start;
    start.banker = 1;
    start.turnChair = 1;
    ASSERT_TRUE(scene.StoreHandStart(start));
    scene.FillOwnRow(
        {kBamboo1, kBamboo2, kBamboo3, kBamboo4, kDots1, 37, 38, 39, 80, 81, 82, 83, 84});
    scene.view->StartPlay();
    CRegionalTableView& view = *scene.view;
    EXPECT_EQ(view.GetTableState(), CRegionalTableView::kStateNormal);
    EXPECT_EQ(view.m_bSwapChoosing, 0);
    EXPECT_EQ(view.GetTurnDirection(), 2 * view.ChairToPosition(1));
    EXPECT_EQ(view.GetClockSeconds(), kReactionSeconds);
    ASSERT_NE(view.GetSwapChoiceButton(), nullptr);
    EXPECT_EQ(view.GetSwapChoiceButton()->IsVisible(), 0);
    // Play moved on to chair 2: a swap record now is out of its phase and
    // leaves the turn and the clock alone.
    const int chairTwo = 2 * view.ChairToPosition(2);
    view.MoveTurnIndicator(view.GetTurnDirection(), chairTwo);
    EXPECT_TRUE(view.OnSwapDice(SwapResult(4, kReceived)));
    EXPECT_TRUE(view.IsClockRunning());
    scene.Frames(200);
    EXPECT_EQ(view.GetTurnDirection(), chairTwo);
    EXPECT_EQ(view.GetPendingRecordCount(), 0u);
}

TEST_F(SwapThreeTest, TheChoiceShowsTheRowSortedBeforeTheFirstClick) {
    OpenChoice();
    // The drawn 100 sorted into the row, the largest (80) set apart.
    const std::vector<int32_t> sorted = {80, 0, 1, 2, 3, 36, 37, 38, 39, 81, 82, 100, 83, 84};
    ASSERT_EQ(scene.RowTiles(3), sorted);
    std::vector<std::pair<double, double>> shown;
    for (int32_t tile : sorted) {
        shown.emplace_back(Own(tile)->GetX(), Own(tile)->GetY());
    }
    // Laid out again, no tile moves: each already stood in its sorted place.
    scene.view->RefreshHandSprites(3);
    for (size_t i = 0; i < sorted.size(); ++i) {
        EXPECT_EQ(Own(sorted[i])->GetX(), shown[i].first) << sorted[i];
        EXPECT_EQ(Own(sorted[i])->GetY(), shown[i].second) << sorted[i];
    }
}

TEST_F(SwapThreeTest, TheConfirmTakesThreeTilesOfOneSuitOnly) {
    OpenChoice();
    CCorvaneButton* confirm = scene.view->GetSwapChoiceButton();
    EXPECT_EQ(Click(kBamboo1), 1);
    EXPECT_EQ(Click(kBamboo2), 1);
    if (confirm != nullptr) {
        EXPECT_NE(confirm->IsVisible(), 0);
        EXPECT_EQ(confirm->IsInputEnabled(), 0);  // two of one suit: shown, disabled
    }
    // A tile of another suit is put back at once.
    EXPECT_EQ(Click(kDots1), 1);
    EXPECT_EQ(Own(kDots1)->raised, 0);
    EXPECT_EQ(Click(kBamboo3), 1);
    if (confirm != nullptr) {
        EXPECT_NE(confirm->IsInputEnabled(), 0);
    }
    // A fourth is refused, the three stay.
    EXPECT_EQ(Click(kBamboo4), 1);
    EXPECT_EQ(Own(kBamboo4)->raised, 0);
    std::array<int32_t, 32> raised{};
    EXPECT_EQ(scene.view->GetRaisedTiles(raised.data()), 3);
    // A second click lowers a chosen tile again.
    EXPECT_EQ(Click(kBamboo3), 1);
    EXPECT_EQ(Own(kBamboo3)->raised, 0);
}

TEST_F(SwapThreeTest, ConfirmGreysTheThreeAndWaitsForTheOthers) {
    OpenChoice();
    scene.view->ConfirmSwapChoice();  // nothing chosen: nothing happens
    EXPECT_EQ(scene.view->GetTableState(), CRegionalTableView::kStateSwapChoice);
    Click(kBamboo1);
    Click(kBamboo2);
    Click(kBamboo3);
    scene.view->ConfirmSwapChoice();
    EXPECT_EQ(scene.view->GetTableState(), CRegionalTableView::kStateSwapSent);
    for (int32_t tile : {kBamboo1, kBamboo2, kBamboo3}) {
        EXPECT_EQ(Own(tile)->greyed, 1) << tile;
        EXPECT_EQ(Own(tile)->raised, 0) << tile;
    }
    EXPECT_EQ(Own(kBamboo4)->greyed, 0);
    if (CCorvaneButton* confirm = scene.view->GetSwapChoiceButton()) {
        EXPECT_EQ(confirm->IsVisible(), 0);
    }
}

TEST_F(SwapThreeTest, ReadyNoticeWritesTheLineAndPointsOnceTheChoiceIsSent) {
    OpenChoice();
    tp::SwapReadyNotice ready;
    ready.chair = 2;
    ready.kind = tp::kSwapReadyKind;
    ready.pointerChair = 1;
    // Before the own choice is sent the pointer stays on the own seat.
    EXPECT_TRUE(scene.view->OnSwapReady(tp::WriteTableRecord(ready)));
    ASSERT_EQ(Chat().size(), 1u);
    EXPECT_NE(Chat()[0].find("玩家2"), std::string::npos);
    EXPECT_NE(Chat()[0].find("已准备好换三张!"), std::string::npos);
    EXPECT_EQ(scene.view->GetTurnDirection(), 6);
    Click(kBamboo1);
    Click(kBamboo2);
    Click(kBamboo3);
    scene.view->ConfirmSwapChoice();
    EXPECT_TRUE(scene.view->OnSwapReady(tp::WriteTableRecord(ready)));
    EXPECT_EQ(scene.view->GetTurnDirection(), 2 * scene.view->ChairToPosition(1));
    // Another kind, a short record and a chair off the table change nothing.
    ready.kind = 1;
    EXPECT_TRUE(scene.view->OnSwapReady(tp::WriteTableRecord(ready)));
    std::vector<uint8_t> shortRecord = tp::WriteTableRecord(ready);
    shortRecord.pop_back();
    EXPECT_FALSE(scene.view->OnSwapReady(shortRecord));
    ready.kind = tp::kSwapReadyKind;
    ready.chair = 9;
    EXPECT_TRUE(scene.view->OnSwapReady(tp::WriteTableRecord(ready)));
    EXPECT_EQ(Chat().size(), 2u);
}

TEST(SwapSourceChair, FollowsTheDieAlsoWhenItIsNegative) {
    // 4 mod 3 = 1: each chair gets the tiles of the chair below it.
    EXPECT_EQ(CRegionalTableView::SwapSourceChair(0, 4), 3);
    EXPECT_EQ(CRegionalTableView::SwapSourceChair(1, 4), 0);
    EXPECT_EQ(CRegionalTableView::SwapSourceChair(0, 3), 1);
    EXPECT_EQ(CRegionalTableView::SwapSourceChair(0, 5), 2);
    EXPECT_EQ(CRegionalTableView::SwapSourceChair(3, 6), 0);
    // A negative die counts as its non-negative remainder.
    EXPECT_EQ(CRegionalTableView::SwapSourceChair(0, -1), 2);
    EXPECT_EQ(CRegionalTableView::SwapSourceChair(0, -2), 3);
    EXPECT_EQ(CRegionalTableView::SwapSourceChair(2, -3), 3);
}

class SwapExchangeTest : public SwapThreeTest {
protected:
    void ChooseAndSend() {
        OpenChoice();
        Click(kBamboo1);
        Click(kBamboo2);
        Click(kBamboo3);
        scene.view->ConfirmSwapChoice();
        Chat().clear();
    }
};

TEST_F(SwapExchangeTest, DieFourGivesEachChairTheTilesOfTheChairBelow) {
    ChooseAndSend();
    const std::vector<uint8_t> result = SwapResult(4, kReceived);
    EXPECT_TRUE(scene.view->OnSwapDice(result));
    EXPECT_FALSE(scene.view->IsClockRunning());
    // The exchange waits for the dice; the same record again adds none.
    EXPECT_EQ(Own(kBamboo1) != nullptr, true);
    EXPECT_TRUE(scene.view->OnSwapDice(result));
    EXPECT_EQ(scene.view->GetPendingRecordCount(), 1u);
    scene.Frames(1200);
    EXPECT_EQ(scene.view->GetPendingRecordCount(), 0u);
    // The own chair 0 received 40, 41, 42 in place of the three bamboos.
    for (int32_t tile : {40, 41, 42}) {
        ASSERT_NE(Own(tile), nullptr) << tile;
        EXPECT_EQ(Own(tile)->greyed, 0) << tile;  // the marks are cleared again
    }
    for (int32_t tile : {kBamboo1, kBamboo2, kBamboo3}) {
        EXPECT_EQ(Own(tile), nullptr) << tile;
    }
    ASSERT_EQ(Chat().size(), 4u);
    EXPECT_EQ(Chat()[0],
              "<c=16711680>玩家0<c=4953725>得到了<c=16711680>玩家3<c=4953725>的三张!\r\n");
    EXPECT_NE(Chat()[1].find("玩家1<c=4953725>得到了<c=16711680>玩家0"), std::string::npos);
    EXPECT_NE(Chat()[3].find("玩家3<c=4953725>得到了<c=16711680>玩家2"), std::string::npos);
    // Play starts with the banker (the own chair) on turn.
    EXPECT_EQ(scene.view->GetTableState(), CRegionalTableView::kStateNormal);
    EXPECT_EQ(scene.view->m_bSwapChoosing, 0);
    EXPECT_EQ(scene.view->GetTurnDirection(), 6);
    EXPECT_EQ(scene.view->GetClockSeconds(), kReactionSeconds);
    ASSERT_EQ(scene.view->swapInfos.size(), 1u);
    EXPECT_EQ(scene.view->swapInfos[0], result);
    EXPECT_EQ(scene.view->bankerDice, std::vector<int>{4});
    EXPECT_EQ(scene.view->offeredOptions, std::vector<int>{0});
    // The refreshed buttons check the turn chair's own gangs, and the
    // banker's first turn checks them again.
    EXPECT_EQ(scene.view->gangChecks, 2);
}

TEST_F(SwapExchangeTest, WithoutAChoiceTheServersChoiceIsGivenAway) {
    OpenChoice();
    std::vector<uint8_t> result = SwapResult(4, kReceived);
    tp::SwapDiceNotice notice;
    ASSERT_TRUE(tp::ReadTableRecord(result, notice));
    notice.given[0] = kBamboo2;
    notice.given[1] = kBamboo4;
    notice.given[2] = 39;
    ASSERT_TRUE(scene.view->OnSwapDice(tp::WriteTableRecord(notice)));
    scene.Frames(1200);
    for (int32_t tile : {kBamboo2, kBamboo4, 39}) {
        EXPECT_EQ(Own(tile), nullptr) << tile;
    }
    for (int32_t tile : {40, 41, 42, kBamboo1, kBamboo3}) {
        EXPECT_NE(Own(tile), nullptr) << tile;
    }
    if (CCorvaneButton* confirm = scene.view->GetSwapChoiceButton()) {
        EXPECT_EQ(confirm->IsVisible(), 0);
    }
    // A swap result once play runs takes nothing from the hand.
    const std::vector<int32_t> row = scene.RowTiles(3);
    scene.view->ApplySwapResult(tp::WriteTableRecord(notice));
    EXPECT_EQ(scene.RowTiles(3), row);
}

TEST_F(SwapExchangeTest, ANegativeDieStillNamesASourceForEveryChair) {
    ChooseAndSend();
    ASSERT_TRUE(scene.view->OnSwapDice(SwapResult(-1, kReceived)));
    scene.Frames(1200);
    ASSERT_EQ(Chat().size(), 4u);
    // -1 counts as 2: the opposite chair.
    EXPECT_EQ(Chat()[0],
              "<c=16711680>玩家0<c=4953725>得到了<c=16711680>玩家2<c=4953725>的三张!\r\n");
    EXPECT_NE(Chat()[1].find("得到了<c=16711680>玩家3"), std::string::npos);
    ASSERT_NE(Own(40), nullptr);
}

TEST_F(SwapExchangeTest, TwoDicePairsStillExchangeTheTiles) {
    HandStart start;
    start.flags = 0x1 | 0x10;
    start.dice = {3, 4, 5, 6};
    ASSERT_TRUE(scene.StoreHandStart(start));
    ChooseAndSend();
    ASSERT_TRUE(scene.view->OnSwapDice(SwapResult(2, kReceived)));
    scene.Frames(1100);
    EXPECT_EQ(Own(40), nullptr);  // the second pair is still showing
    scene.Frames(1100);
    EXPECT_NE(Own(40), nullptr);
    EXPECT_EQ(scene.view->GetTableState(), CRegionalTableView::kStateNormal);
    EXPECT_EQ(scene.view->GetPendingRecordCount(), 0u);
    // The swap's dice never restart the deal.
    EXPECT_TRUE(scene.view->diceDone.empty());
}

TEST_F(SwapExchangeTest, TheBankersFirstTurnTakesItsOptionsAndTingCandidates) {
    ChooseAndSend();
    ASSERT_TRUE(scene.view->OnSwapDice(SwapResult(3, kReceived, 0x40 | 0x08)));
    scene.Frames(1200);
    EXPECT_EQ(scene.view->offeredOptions, std::vector<int>{0x48});
    EXPECT_EQ(g_TingCandidates[0], 5);
    EXPECT_EQ(g_TingCandidates[1], -1);
    ASSERT_EQ(scene.view->tingInfos.size(), 1u);
    const std::vector<uint8_t>& ting = scene.view->tingInfos[0];
    ASSERT_EQ(ting.size(), tp::kTingInfoBytes);
    EXPECT_EQ(tp::WordAt(ting, 0), 0x48);
    EXPECT_EQ(tp::WordAt(ting, 1), 5);
    EXPECT_EQ(tp::WordAt(ting, 33), 77);
}

TEST_F(SwapExchangeTest, AReceivedTileOffTheSetIsNotPlacedAndABadBankerLeavesThePointer) {
    HandStart start;
    start.banker = 7;
    start.flags = 0x1 | 0x10;
    ASSERT_TRUE(scene.StoreHandStart(start));
    ChooseAndSend();
    const int pointer = scene.view->GetTurnDirection();
    std::array<std::array<int32_t, 3>, 4> received = kReceived;
    received[0] = {200, 41, 108};
    ASSERT_TRUE(scene.view->OnSwapDice(SwapResult(3, received)));
    scene.Frames(1200);
    EXPECT_NE(Own(41), nullptr);
    EXPECT_EQ(Own(200), nullptr);
    EXPECT_EQ(Own(108), nullptr);
    // The two places keep the tiles given away.
    EXPECT_NE(Own(kBamboo1), nullptr);
    EXPECT_NE(Own(kBamboo3), nullptr);
    EXPECT_EQ(scene.view->GetTurnDirection(), pointer);
    EXPECT_TRUE(scene.view->offeredOptions.empty());  // the own chair is no banker
}

TEST_F(SwapExchangeTest, AShortSwapResultIsRefusedAndNothingWaits) {
    ChooseAndSend();
    std::vector<uint8_t> result = SwapResult(4, kReceived);
    result.resize(result.size() - 1);
    EXPECT_FALSE(scene.view->OnSwapDice(result));
    EXPECT_EQ(scene.view->GetPendingRecordCount(), 0u);
    EXPECT_EQ(scene.view->GetTableState(), CRegionalTableView::kStateSwapSent);
    // A longer one acts as a whole one.
    result.resize(result.size() + 1 + 64, 0xee);
    EXPECT_TRUE(scene.view->OnSwapDice(result));
    scene.Frames(1200);
    EXPECT_NE(Own(40), nullptr);
    ASSERT_EQ(scene.view->swapInfos.size(), 1u);
    EXPECT_EQ(scene.view->swapInfos[0].size(), tp::SwapDiceNotice::kSize);
}

TEST_F(SwapThreeTest, AnOwnChairOffTheTableExchangesNothing) {
    OpenChoice();
    Click(kBamboo1);
    Click(kBamboo2);
    Click(kBamboo3);
    scene.view->ConfirmSwapChoice();
    // The own chair as a broken launch line would leave it.
    LaunchFields fields = scene.App().GetLaunchFields();
    fields.chairNo = 5;
    scene.App().SetLaunchFields(fields);
    scene.view->ApplySwapResult(SwapResult(4, kReceived));
    EXPECT_TRUE(Chat().empty());
    EXPECT_NE(Own(kBamboo1), nullptr);
    EXPECT_EQ(scene.view->GetTableState(), CRegionalTableView::kStateSwapSent);
}

TEST_F(SwapThreeTest, DealDiceOfOnePairEndAfterASecondWithTheTablesSerial) {
    HandStart start;
    start.dice = {2, 5, 0, 0};
    ASSERT_TRUE(scene.StoreHandStart(start));
    scene.view->ThrowDice();
    scene.Frames(900);
    EXPECT_TRUE(scene.view->diceDone.empty());
    scene.Frames(200);
    ASSERT_EQ(scene.view->diceDone.size(), 1u);
}

TEST_F(SwapThreeTest, DealDiceOfTwoPairsEndAfterTheSecondPair) {
    HandStart start;
    start.dice = {2, 5, 1, 6};
    ASSERT_TRUE(scene.StoreHandStart(start));
    scene.view->ThrowDice();
    scene.Frames(1100);
    EXPECT_TRUE(scene.view->diceDone.empty());
    scene.Frames(1100);
    EXPECT_EQ(scene.view->diceDone.size(), 1u);
    // A table cleared meanwhile ignores a step of the old hand.
    scene.view->ThrowDice();
    scene.view->ClearTable();
    scene.Frames(2200);
    EXPECT_EQ(scene.view->diceDone.size(), 1u);
}

}  // namespace
}  // namespace play_test
