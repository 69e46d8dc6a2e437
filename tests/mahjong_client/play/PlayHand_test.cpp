// A hand played on the table view from the server's notifications and the
// player's clicks, step by step, as a player and as a looker-on: the table
// state, the turn, the clock, the rows, the wall, the discards, the offer
// table, the enabled buttons and the requests sent.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "engine/ui/CorvaneButton.h"
#include "tests/mahjong_client/play/PlayTable.h"

namespace play_test {
namespace {

// The own hand (the banker's 14): 2m 3m 4m 5m 6m / 5p 5p / 1s 1s / E E / a
// dragon / 1m 7m. Ids: suits 0..35, 36..71, 72..107 (value = id % 9 + 1),
// honours from 108.
const std::vector<int32_t> kOwnTiles = {1, 2, 12, 13, 5, 40, 49, 72, 81, 108, 115, 120, 0, 33};

constexpr int kOwn = 3;
constexpr int32_t kChairNext = 1;      // screen position 0, plays before the own seat
constexpr int32_t kChairOpposite = 2;  // position 1
constexpr int32_t kChairPrevious = 3;  // position 2, plays after the own seat

std::array<int32_t, 4> OwnOptions(int32_t options) {
    std::array<int32_t, 4> all{};
    all[kOwnChair] = options;
    return all;
}

class PlayHandTest : public PlayTableTest {
protected:
    void Deal() {
        HandStart start;
        start.ownTiles = kOwnTiles;
        StartHand(start);
    }
    // Sends the click event of the own tile with that id.
    void ClickOwnTile(int event, int32_t tile) {
        const int index = view->FindRowIndex(kOwn, tile);
        ASSERT_GE(index, 0) << tile;
        const CCardSprite* sprite = view->GetHandSprite(kOwn, index);
        ASSERT_NE(sprite, nullptr);
        view->OnCardSpriteEvent(MakeEventRecord(view->GetId(), event, sprite->poolIndex, 0));
    }
    std::vector<int> EnabledButtons() {
        std::vector<int> on;
        for (int kind = kOpPeng; kind <= kOpGuo; ++kind) {
            if (view->IsOperationButtonOn(kind)) {
                on.push_back(kind);
            }
        }
        return on;
    }
    int ThrowOwn(int32_t tile) {
        const int index = view->FindRowIndex(kOwn, tile);
        return view->ThrowHandTile(index);
    }
};

TEST_F(PlayHandTest, TheDealLeavesTheTableReadyForTheBankersFirstThrow) {
    Deal();
    EXPECT_EQ(view->GetTableState(), 0);
    EXPECT_EQ(view->GetTurnDirection(), 6);
    EXPECT_EQ(view->GetWallCount(), 108 - 53);
    EXPECT_EQ(RowSize(kOwn), 14);
    for (int position = 0; position < 3; ++position) {
        EXPECT_EQ(RowSize(position), 13) << position;
        for (int32_t tile : RowTiles(position)) {
            EXPECT_TRUE(tile == kHiddenTile || tile == -1) << position;
        }
    }
    std::vector<int32_t> own = RowTiles(kOwn);
    std::ranges::sort(own);
    std::vector<int32_t> dealt = kOwnTiles;
    std::ranges::sort(dealt);
    EXPECT_EQ(own, dealt);
    EXPECT_TRUE(EnabledButtons().empty());
    EXPECT_TRUE(view->GetOperationButton(kOpGuo)->IsVisible());
    EXPECT_EQ(view->GetOffer(kOpPeng).chair, -1);
}

TEST_F(PlayHandTest, AScriptedHandAsAPlayer) {
    Deal();

    // Own throw: the server takes it.
    ASSERT_EQ(ThrowOwn(120), 1);
    const auto discards = app.connection.SentOf(tp::kDiscard);
    ASSERT_EQ(discards.size(), 1u);
    EXPECT_EQ(WordOf(discards[0].body, 3), kOwnChair);
    EXPECT_EQ(WordOf(discards[0].body, 4), kOwnChair);
    EXPECT_EQ(WordOf(discards[0].body, 5), 120);
    EXPECT_EQ(view->GetTurnDirection(), 4);
    EXPECT_EQ(view->GetClockSeconds(), kDiscardSeconds);
    EXPECT_EQ(RowSize(kOwn), 13);
    ASSERT_NE(view->GetLastThrown(kOwn), nullptr);
    EXPECT_EQ(view->GetLastThrown(kOwn)->tile, 120);

    // The previous seat draws: the own thrown tile joins the own discards.
    ASSERT_TRUE(Notify(tp::kSeatDraw, SeatDraw(kChairPrevious, kHiddenTile, 53)));
    EXPECT_EQ(view->GetLastThrown(kOwn), nullptr);
    EXPECT_EQ(DiscardCount(kOwn), 1);
    EXPECT_EQ(view->GetDiscard(kOwn, 0)->tile, 120);
    EXPECT_EQ(RowSize(2), 14);
    EXPECT_EQ(view->GetWallSprite(53), nullptr);
    EXPECT_EQ(view->GetTurnDirection(), 4);

    // It throws a tile nobody may take.
    ASSERT_TRUE(Notify(tp::kCardThrown, CardThrown(kChairPrevious, 14)));
    EXPECT_EQ(RowSize(2), 13);
    EXPECT_EQ(view->GetLastThrown(2)->tile, 14);
    EXPECT_EQ(view->GetTurnDirection(), 2);
    EXPECT_TRUE(EnabledButtons().empty());
    EXPECT_EQ(view->GetThrowWait(), 1);

    ASSERT_TRUE(Notify(tp::kSeatDraw, SeatDraw(kChairOpposite, kHiddenTile, 54)));
    EXPECT_EQ(DiscardCount(2), 1);
    ASSERT_TRUE(Notify(tp::kCardThrown, CardThrown(kChairOpposite, 50)));
    ASSERT_TRUE(Notify(tp::kSeatDraw, SeatDraw(kChairNext, kHiddenTile, 55)));
    EXPECT_EQ(view->GetTurnDirection(), 0);

    // The next chair throws 4m: the own seat may chi or hu, or pass.
    ASSERT_TRUE(Notify(
        tp::kCardThrown,
        CardThrown(kChairNext, 3, OwnOptions(tp::kOptionChi | tp::kOptionHu | tp::kOptionPass))));
    EXPECT_EQ(view->GetTurnDirection(), 6);
    EXPECT_EQ(EnabledButtons(), (std::vector<int>{kOpChi, kOpHu, kOpGuo}));
    const OperationOffer& chi = view->GetOffer(kOpChi);
    EXPECT_EQ(chi.chair, kChairNext);
    EXPECT_EQ(chi.tile, 3);
    EXPECT_EQ(chi.count, 6);  // 2m3m, 3m5m, 5m6m
    EXPECT_EQ(view->GetOffer(kOpPeng).count, 0);
    EXPECT_EQ(view->GetOffer(kOpPeng).offered, 0);
    EXPECT_EQ(view->GetOffer(kOpHu).offered, 1);
    EXPECT_EQ(view->GetOffer(kOpGuo).offered, 1);

    // Chi without two raised tiles opens the choice.
    EXPECT_EQ(view->OnChiButton(), 0);
    EXPECT_EQ(view->GetTableState(), 3);
    EXPECT_TRUE(app.connection.SentOf(tp::kChiClaim).empty());
    ClickOwnTile(kEventCardTwoSelect, 1);
    ClickOwnTile(kEventCardTwoSelect, 2);
    ClickOwnTile(kEventCardTwoSelect, 13);  // a third is not raised
    std::array<int32_t, 32> raised{};
    ASSERT_EQ(view->GetRaisedTiles(raised.data()), 2);

    // The server holds the chi first, then grants it.
    app.connection.Script(tp::kChiClaim, {1, tp::kResultHeld, {}});
    app.connection.Script(tp::kChiClaim, {1, tp::kResultDone, {}});
    EXPECT_EQ(view->OnChiButton(), 0);
    EXPECT_EQ(view->GetOperationHeld(), 1);
    EXPECT_EQ(view->GetTableState(), 3);
    EXPECT_EQ(RowSize(kOwn), 13);
    EXPECT_EQ(view->OnChiButton(), 1);
    const auto chis = app.connection.SentOf(tp::kChiClaim);
    ASSERT_EQ(chis.size(), 2u);
    EXPECT_EQ(chis[1].body, chis[0].body);
    EXPECT_EQ(WordOf(chis[1].body, 4), kChairNext);
    EXPECT_EQ(WordOf(chis[1].body, 5), 3);
    EXPECT_EQ(WordOf(chis[1].body, 6), 1);
    EXPECT_EQ(WordOf(chis[1].body, 7), 2);
    EXPECT_EQ(WordOf(chis[1].body, 8), -1);
    EXPECT_EQ(view->GetOperationHeld(), 0);
    EXPECT_EQ(view->GetTableState(), 0);
    EXPECT_EQ(view->GetTurnDirection(), 6);
    EXPECT_EQ(view->GetClockSeconds(), kReactionSeconds);
    EXPECT_EQ(view->GetLastThrown(0), nullptr);
    EXPECT_EQ(view->GetMeldCount(kOwn), 1);
    EXPECT_TRUE(EnabledButtons().empty());
    EXPECT_NE(view->IsHandDrawn(kOwn), 0) << "the claimant throws next";

    // The own throw after the chi; the opposite chair pengs it.
    const int32_t thrown = view->GetHandSprite(kOwn, 0)->tile;
    ASSERT_EQ(view->ThrowHandTile(0), 1);
    ASSERT_TRUE(Notify(tp::kPengNotice, MeldNotice(kChairOpposite, kOwnChair, thrown,
                                                   {kHiddenTile, kHiddenTile, -1})));
    EXPECT_EQ(view->GetLastThrown(kOwn), nullptr);
    EXPECT_EQ(view->GetMeldCount(1), 1);
    EXPECT_EQ(view->GetTurnDirection(), 2);
    EXPECT_EQ(view->GetClockSeconds(), kDiscardSeconds);

    // The opposite chair throws; the previous chair gangs it and draws the
    // replacement.
    ASSERT_TRUE(Notify(tp::kCardThrown, CardThrown(kChairOpposite, 87)));
    const int wallBefore = view->GetWallCount();
    ASSERT_TRUE(Notify(tp::kGangNotice, MeldNotice(kChairPrevious, kChairOpposite, 87,
                                                   {kHiddenTile, kHiddenTile, kHiddenTile})));
    EXPECT_EQ(view->GetLastThrown(1), nullptr);
    EXPECT_EQ(view->GetMeldCount(2), 1);
    EXPECT_EQ(view->GetTurnDirection(), 4);
    ASSERT_TRUE(Notify(tp::kSeatDraw, SeatDraw(kChairPrevious, kHiddenTile, 107)));
    EXPECT_EQ(view->GetWallCount(), wallBefore - 1);
    EXPECT_NE(view->IsHandDrawn(2), 0);

    // The previous chair throws, the next two seats draw and throw; then
    // the own draw offers a self-drawn hu.
    ASSERT_TRUE(Notify(tp::kCardThrown, CardThrown(kChairPrevious, 89)));
    ASSERT_TRUE(Notify(tp::kSeatDraw, SeatDraw(kChairOpposite, kHiddenTile, 56)));
    ASSERT_TRUE(Notify(tp::kCardThrown, CardThrown(kChairOpposite, 90)));
    ASSERT_TRUE(Notify(tp::kSeatDraw, SeatDraw(kChairNext, kHiddenTile, 57)));
    ASSERT_TRUE(Notify(tp::kCardThrown, CardThrown(kChairNext, 91, OwnOptions(0))));
    EXPECT_TRUE(EnabledButtons().empty());
    EXPECT_EQ(view->GetTurnDirection(), 6);
    app.connection.Script(tp::kOwnDraw,
                          {1, tp::kResultDone, DrawReplyBytes(41, 58, tp::kOptionHu)});
    const int discardsBefore = DiscardCount(0);
    ASSERT_EQ(view->CatchCard(), 1);
    const auto draws = app.connection.SentOf(tp::kOwnDraw);
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].body.size(), 96u);
    EXPECT_GE(view->FindRowIndex(kOwn, 41), 0);
    EXPECT_EQ(view->GetDrawnTile(), 41);
    EXPECT_EQ(view->GetWallSprite(58), nullptr);
    EXPECT_EQ(DiscardCount(0), discardsBefore + 1);
    EXPECT_EQ(view->GetLastThrown(0), nullptr);
    EXPECT_EQ(EnabledButtons(), (std::vector<int>{kOpHu}));

    // The self-drawn hu claim.
    EXPECT_EQ(view->OnHuButton(), 1);
    const auto claims = app.connection.SentOf(tp::kHuClaim);
    ASSERT_EQ(claims.size(), 1u);
    EXPECT_EQ(WordOf(claims[0].body, 4), kOwnChair);
    EXPECT_EQ(WordOf(claims[0].body, 5), 41);
    EXPECT_EQ(WordOf(claims[0].body, 6), tp::kHuSelfDrawn);
    EXPECT_TRUE(EnabledButtons().empty());

    // Round end: the winner's hu, the result time-out after 15 s.
    const std::vector<uint8_t> result = GameResultRecord(kOwnChair, {1, 0, 0, 0});
    app.ClearGamePlaying();
    ASSERT_TRUE(app.tableData.StoreGameResult(result));
    view->OnRoundEnd(result);
    EXPECT_EQ(view->huAnimations, (std::vector<int>{kOwn}));
    EXPECT_TRUE(EnabledButtons().empty());
    Frames(14000, 200);
    EXPECT_EQ(view->resultTimeouts, 0);
    Frames(1400, 200);
    EXPECT_EQ(view->resultTimeouts, 1);
}

TEST_F(PlayHandTest, ALookerOnSeesTheHandAndSendsNothing) {
    Launch(true);
    Deal();
    EXPECT_EQ(RowSize(kOwn), 14);
    for (int32_t tile : RowTiles(kOwn)) {
        EXPECT_TRUE(tile == kHiddenTile || tile == -1);
    }
    EXPECT_FALSE(view->GetOperationButton(kOpGuo)->IsVisible());
    EXPECT_TRUE(view->GetAskCardViewButton()->IsVisible());

    // The watched player throws from a hidden row.
    ASSERT_TRUE(Notify(tp::kCardThrown, CardThrown(kOwnChair, 120)));
    EXPECT_EQ(RowSize(kOwn), 13);
    ASSERT_NE(view->GetLastThrown(kOwn), nullptr);
    EXPECT_EQ(view->GetLastThrown(kOwn)->tile, 120);
    EXPECT_EQ(view->GetTurnDirection(), 4);

    ASSERT_TRUE(Notify(tp::kSeatDraw, SeatDraw(kChairPrevious, kHiddenTile, 53)));
    EXPECT_EQ(DiscardCount(kOwn), 1);
    ASSERT_TRUE(Notify(tp::kCardThrown, CardThrown(kChairPrevious, 14)));
    ASSERT_TRUE(Notify(tp::kSeatDraw, SeatDraw(kChairOpposite, kHiddenTile, 54)));
    ASSERT_TRUE(Notify(tp::kCardThrown, CardThrown(kChairOpposite, 50)));
    ASSERT_TRUE(Notify(tp::kSeatDraw, SeatDraw(kChairNext, kHiddenTile, 55)));
    // Options for the watched chair build no offer for a looker-on.
    ASSERT_TRUE(Notify(tp::kCardThrown,
                       CardThrown(kChairNext, 3, OwnOptions(tp::kOptionChi | tp::kOptionHu))));
    EXPECT_EQ(view->GetOffer(kOpChi).offered, 0);
    EXPECT_TRUE(EnabledButtons().empty());

    // The watched player's draw comes as a notice.
    ASSERT_TRUE(Notify(tp::kSeatDraw, SeatDraw(kOwnChair, kHiddenTile, 56)));
    EXPECT_EQ(RowSize(kOwn), 14);
    EXPECT_NE(view->IsHandDrawn(kOwn), 0);
    EXPECT_EQ(view->GetTurnDirection(), 6);

    // A peng by the watched player is placed from the notice.
    ASSERT_TRUE(Notify(tp::kCardThrown, CardThrown(kOwnChair, 121)));
    ASSERT_TRUE(Notify(tp::kPengNotice,
                       MeldNotice(kChairOpposite, kOwnChair, 121, {kHiddenTile, kHiddenTile, -1})));
    EXPECT_EQ(view->GetMeldCount(1), 1);
    EXPECT_EQ(view->GetTurnDirection(), 2);

    // A gang by the previous chair on the opposite one's throw, and its
    // replacement.
    ASSERT_TRUE(Notify(tp::kCardThrown, CardThrown(kChairOpposite, 87)));
    ASSERT_TRUE(Notify(tp::kGangNotice, MeldNotice(kChairPrevious, kChairOpposite, 87,
                                                   {kHiddenTile, kHiddenTile, kHiddenTile})));
    EXPECT_EQ(view->GetMeldCount(2), 1);
    EXPECT_EQ(view->GetTurnDirection(), 4);
    ASSERT_TRUE(Notify(tp::kSeatDraw, SeatDraw(kChairPrevious, kHiddenTile, 107)));
    EXPECT_NE(view->IsHandDrawn(2), 0);
    EXPECT_EQ(view->GetWallSprite(107), nullptr);

    // The next hand starts while the last one still lies on the table.
    Deal();
    EXPECT_EQ(RowSize(kOwn), 14);
    EXPECT_EQ(RowSize(1), 13);
    EXPECT_EQ(view->GetMeldCount(1), 0);
    EXPECT_EQ(DiscardCount(kOwn), 0);
    EXPECT_EQ(view->GetWallCount(), 108 - 53);

    // Clicks and the own draw send nothing.
    EXPECT_EQ(view->CatchCard(), 0);
    EXPECT_EQ(view->ThrowHandTile(0), 0);
    EXPECT_EQ(view->OnHuButton(), 0);
    EXPECT_EQ(view->OnGuoButton(), 0);
    EXPECT_TRUE(app.connection.sent.empty());

    // Round end: the winner's hu is shown; the time-out clears the table
    // and shows no start button to a looker-on.
    const std::vector<uint8_t> result = GameResultRecord(kChairPrevious, {0, 0, 0, 1});
    app.ClearGamePlaying();
    ASSERT_TRUE(app.tableData.StoreGameResult(result));
    view->OnRoundEnd(result);
    EXPECT_EQ(view->huAnimations, (std::vector<int>{2}));
    Frames(15400, 200);
    EXPECT_EQ(view->resultTimeouts, 1);
    EXPECT_EQ(RowSize(kOwn), 0);
    EXPECT_FALSE(view->GetStartButton()->IsVisible());
}

}  // namespace
}  // namespace play_test
