// The table view's requests and the server's answers to them, and the play
// notifications whose values are out of range.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "tests/mahjong_client/play/PlayTable.h"

namespace play_test {
namespace {

const std::vector<int32_t> kOwnTiles = {1, 2, 12, 13, 5, 40, 49, 72, 81, 108, 115, 120, 0, 33};
constexpr int kOwn = 3;

std::array<int32_t, 4> OwnOptions(int32_t options) {
    std::array<int32_t, 4> all{};
    all[kOwnChair] = options;
    return all;
}

class PlayRequestsTest : public PlayTableTest {
protected:
    void Deal(int32_t claimSkipRule = 0) {
        HandStart start;
        start.ownTiles = kOwnTiles;
        start.claimSkipRule = claimSkipRule;
        StartHand(start);
    }
    // The table as the tests compare it before and after a refused step.
    struct Snapshot {
        std::vector<int32_t> own;
        int wall = 0;
        int direction = 0;
        int state = 0;
        int ownDiscards = 0;
        const CCardSprite* ownThrown = nullptr;
        bool operator==(const Snapshot&) const = default;
    };
    Snapshot Take() {
        return {RowTiles(kOwn),        view->GetWallCount(), view->GetTurnDirection(),
                view->GetTableState(), DiscardCount(kOwn),   view->GetLastThrown(kOwn)};
    }
};

TEST_F(PlayRequestsTest, ARefusedOrUnansweredDiscardLeavesTheTable) {
    Deal();
    const Snapshot before = Take();
    app.connection.Script(tp::kDiscard, {1, tp::kResultNotCarriedOut, {}});
    app.connection.Script(tp::kDiscard, {1, tp::kResultDiscardRefused, {}});
    app.connection.Script(tp::kDiscard, {0, 1030, {}});
    for (int attempt = 0; attempt < 3; ++attempt) {
        EXPECT_EQ(view->ThrowHandTile(0), 0) << attempt;
        EXPECT_EQ(Take(), before) << attempt;
    }
    EXPECT_EQ(app.connection.SentOf(tp::kDiscard).size(), 3u);
    EXPECT_EQ(view->ThrowHandTile(40), 0) << "no tile at that index";
    EXPECT_EQ(app.connection.SentOf(tp::kDiscard).size(), 3u);
}

TEST_F(PlayRequestsTest, TheHuClaimIsHeldDoneOrRefused) {
    Deal();
    app.connection.Script(tp::kHuClaim, {1, tp::kResultNotCarriedOut, {}});
    app.connection.Script(tp::kHuClaim, {1, tp::kResultHeld, {}});
    app.connection.Script(tp::kHuClaim, {1, tp::kResultDone, {}});
    EXPECT_EQ(view->SendHuClaim(2, 30, tp::kHuOnDiscard, 0), 0);
    EXPECT_EQ(view->GetTableState(), 0);
    EXPECT_EQ(view->GetOperationHeld(), 0);
    EXPECT_EQ(view->SendHuClaim(2, 30, tp::kHuOnDiscard, 0), 1);
    EXPECT_EQ(view->GetTableState(), 4);
    EXPECT_EQ(view->GetOperationHeld(), 1);
    EXPECT_EQ(view->SendHuClaim(2, 30, tp::kHuOnDiscard, 0), 1);
    const auto claims = app.connection.SentOf(tp::kHuClaim);
    ASSERT_EQ(claims.size(), 3u);
    EXPECT_EQ(claims[0].body.size(), 64u);
    EXPECT_EQ(WordOf(claims[0].body, 0), kOwnId);
    EXPECT_EQ(WordOf(claims[0].body, 4), 2);
    EXPECT_EQ(WordOf(claims[0].body, 5), 30);
    EXPECT_EQ(WordOf(claims[0].body, 6), tp::kHuOnDiscard);
}

TEST_F(PlayRequestsTest, AHuOnARobbedGangNamesItsKind) {
    Deal();
    std::vector<int32_t> notice = {2, 2, 60, 2, 0, 0, 0, 0};
    notice[4 + kOwnChair] = tp::kOptionHu;
    ASSERT_TRUE(Notify(tp::kGangHuNotice, Words(notice)));
    EXPECT_TRUE(view->IsOperationButtonOn(kOpHu));
    EXPECT_EQ(view->GetClockSeconds(), kDiscardSeconds);
    EXPECT_EQ(view->OnHuButton(), 1);
    const auto claims = app.connection.SentOf(tp::kHuClaim);
    ASSERT_EQ(claims.size(), 1u);
    EXPECT_EQ(WordOf(claims[0].body, 4), 2);
    EXPECT_EQ(WordOf(claims[0].body, 5), 60);
    EXPECT_EQ(WordOf(claims[0].body, 6), tp::kHuRobbingKong);
    EXPECT_EQ(WordOf(claims[0].body, 7), 2);
}

TEST_F(PlayRequestsTest, ARefusedDrawChangesNothingAndATakenWallEntryKeepsTheTile) {
    Deal();
    ASSERT_EQ(view->ThrowHandTile(0), 1);
    // Back at the own turn without a drawn tile.
    view->MoveTurnIndicator(view->GetTurnDirection(), 6);
    const Snapshot before = Take();
    app.connection.Script(tp::kOwnDraw, {1, tp::kResultDrawRefused, {}});
    EXPECT_EQ(view->CatchCard(), 0);
    EXPECT_EQ(Take(), before);

    // Wall entry 0 went to a hand in the deal: the tile comes from the pool.
    app.connection.Script(tp::kOwnDraw, {1, tp::kResultDone, DrawReplyBytes(44, 0, 0)});
    EXPECT_EQ(view->CatchCard(), 1);
    EXPECT_NE(view->IsHandDrawn(kOwn), 0);
    EXPECT_GE(view->FindRowIndex(kOwn, 44), 0);
    EXPECT_EQ(view->GetWallCount(), before.wall);
    EXPECT_FALSE(view->IsOperationButtonOn(kOpHu));
}

TEST_F(PlayRequestsTest, NoticesWithValuesOutOfRangeAreDropped) {
    Deal();
    ASSERT_EQ(view->ThrowHandTile(0), 1);
    const std::vector<int32_t> before = RowTiles(2);
    const int wall = view->GetWallCount();
    // A wall index past the wall, one already taken, a tile past 143.
    EXPECT_TRUE(Notify(tp::kSeatDraw, SeatDraw(3, kHiddenTile, 108)));
    EXPECT_TRUE(Notify(tp::kSeatDraw, SeatDraw(3, kHiddenTile, -1)));
    EXPECT_TRUE(Notify(tp::kSeatDraw, SeatDraw(3, kHiddenTile, 0)));
    EXPECT_TRUE(Notify(tp::kSeatDraw, SeatDraw(3, 150, 60)));
    EXPECT_EQ(RowTiles(2), before);
    EXPECT_EQ(view->GetWallCount(), wall);
    EXPECT_EQ(DiscardCount(kOwn), 0);
    // A thrown tile that names no tile.
    EXPECT_TRUE(Notify(tp::kCardThrown, CardThrown(3, kHiddenTile)));
    EXPECT_TRUE(Notify(tp::kCardThrown, CardThrown(3, 144)));
    EXPECT_EQ(RowTiles(2), before);
    EXPECT_EQ(view->GetLastThrown(2), nullptr);
    // A meld from a chair outside the table.
    EXPECT_TRUE(Notify(tp::kPengNotice, MeldNotice(2, 9, 120, {kHiddenTile, kHiddenTile, -1})));
    EXPECT_EQ(view->GetMeldCount(1), 0);
    // Short records are refused and change nothing.
    std::vector<uint8_t> shortThrow = CardThrown(3, 30);
    shortThrow.resize(84);
    EXPECT_FALSE(view->OnCardThrown(shortThrow));
    std::vector<uint8_t> shortDraw = SeatDraw(3, kHiddenTile, 60);
    shortDraw.resize(27);
    EXPECT_FALSE(view->OnCardCaught(shortDraw));
    EXPECT_EQ(RowTiles(2), before);
}

TEST_F(PlayRequestsTest, TheClaimSkipRuleCutsTheClockWhenNobodyMayClaim) {
    Deal(1);
    ASSERT_EQ(view->ThrowHandTile(0), 1);
    ASSERT_TRUE(Notify(tp::kSeatDraw, SeatDraw(3, kHiddenTile, 53)));
    ASSERT_TRUE(Notify(tp::kCardThrown, CardThrown(3, 30)));
    EXPECT_EQ(view->GetThrowWait(), 0);
    EXPECT_EQ(view->GetClockSeconds(), kDiscardSeconds) << "not the own turn";
    ASSERT_TRUE(Notify(tp::kSeatDraw, SeatDraw(1, kHiddenTile, 54)));
    ASSERT_TRUE(Notify(tp::kCardThrown, CardThrown(1, 31)));
    EXPECT_EQ(view->GetTurnDirection(), 6);
    EXPECT_EQ(view->GetThrowWait(), 0);
    EXPECT_EQ(view->GetClockSeconds(), 1);
    EXPECT_EQ(view->GetOffer(kOpGuo).chair, -1) << "no offer is built";
}

TEST_F(PlayRequestsTest, GuoPassesTheOfferAndSwitchesTheButtonsOff) {
    Deal();
    ASSERT_EQ(view->ThrowHandTile(0), 1);
    ASSERT_TRUE(Notify(tp::kSeatDraw, SeatDraw(3, kHiddenTile, 53)));
    // 5p: the own hand holds two.
    ASSERT_TRUE(
        Notify(tp::kCardThrown, CardThrown(3, 58, OwnOptions(tp::kOptionPeng | tp::kOptionPass))));
    EXPECT_TRUE(view->IsOperationButtonOn(kOpPeng));
    EXPECT_TRUE(view->IsOperationButtonOn(kOpGuo));
    EXPECT_EQ(view->GetOffer(kOpPeng).count, 2);
    EXPECT_EQ(view->GetOffer(kOpPeng).tiles[0], 40);
    EXPECT_EQ(view->GetOffer(kOpPeng).tiles[1], 49);
    EXPECT_EQ(view->GetOffer(kOpChi).count, 0) << "chi only for the next seat";
    EXPECT_EQ(view->OnGuoButton(), 1);
    const auto passes = app.connection.SentOf(tp::kPass);
    ASSERT_EQ(passes.size(), 1u);
    EXPECT_EQ(passes[0].wait, 0);
    EXPECT_EQ(WordOf(passes[0].body, 4), 3);
    EXPECT_EQ(WordOf(passes[0].body, 5), 58);
    EXPECT_FALSE(view->IsOperationButtonOn(kOpPeng));
    EXPECT_FALSE(view->IsOperationButtonOn(kOpGuo));
}

TEST_F(PlayRequestsTest, TheGangQueryNamesTheOfferOrTheOwnFace) {
    HandStart start;
    start.ownTiles = kOwnTiles;
    start.ownTiles.back() = 99;  // a third 1s
    StartHand(start);
    ASSERT_EQ(view->ThrowHandTile(view->FindRowIndex(kOwn, 120)), 1);
    ASSERT_TRUE(Notify(tp::kSeatDraw, SeatDraw(3, kHiddenTile, 53)));
    ASSERT_TRUE(Notify(tp::kCardThrown, CardThrown(3, 90, OwnOptions(tp::kOptionGang))));
    EXPECT_EQ(view->GetOffer(kOpGang).count, 3);
    std::vector<int32_t> options(12, 0);
    options[4 + kOwnChair] = tp::kOptionGang;
    options[4 + 2] = tp::kOptionHu;
    app.connection.Script(tp::kGangQuery, {1, tp::kResultDone, Words(options)});
    app.connection.Script(tp::kGangQuery, {1, tp::kResultNotCarriedOut, {}});
    std::array<uint8_t, 48> reply{};
    EXPECT_EQ(view->SendGangQuery(tp::kGangOnThrownTile, 90, reply.data()), 1);
    EXPECT_EQ(WordOf(reply, 4 + 2), tp::kOptionHu);
    EXPECT_EQ(view->SendGangQuery(tp::kGangOwn, 72, reply.data()), 0);
    const auto queries = app.connection.SentOf(tp::kGangQuery);
    ASSERT_EQ(queries.size(), 2u);
    EXPECT_EQ(WordOf(queries[0].body, 4), 3);
    EXPECT_EQ(WordOf(queries[0].body, 5), 90);
    EXPECT_EQ(WordOf(queries[0].body, 6), 72);
    EXPECT_EQ(WordOf(queries[0].body, 7), 81);
    EXPECT_EQ(WordOf(queries[0].body, 8), 99);
    EXPECT_EQ(WordOf(queries[0].body, 9), tp::kGangOnThrownTile);
    EXPECT_EQ(WordOf(queries[1].body, 4), kOwnChair);
    EXPECT_EQ(WordOf(queries[1].body, 5), 72);
    EXPECT_EQ(WordOf(queries[1].body, 6), 81);
    EXPECT_EQ(WordOf(queries[1].body, 7), 99);
    EXPECT_EQ(WordOf(queries[1].body, 9), tp::kGangOwn);
}

TEST_F(PlayRequestsTest, ALookCardAskOpensABoxWhoseAnswersSetThePermission) {
    tp::LookCardAskRecord ask;
    ask.head = {9003, kRoomId, kTableNo, 3};
    ask.watchedChair = kOwnChair;
    ASSERT_TRUE(Notify(tp::kLookCardAsk, tp::WriteTableRecord(ask)));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, "玩家3 请求看牌");
    // The box's two answers reach the view as its own events.
    view->OnEvent(host.boxes[0].ok);
    view->OnEvent(host.boxes[0].cancel);
    const auto answers = app.connection.SentOf(tp::kLookOnPermission);
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers[0].body, Words({9003, 1}));
    EXPECT_EQ(answers[1].body, Words({9003, 0}));
    std::vector<uint8_t> cut = tp::WriteTableRecord(ask);
    cut.resize(19);
    EXPECT_FALSE(view->OnLookCardAsk(cut));
    EXPECT_EQ(host.boxes.size(), 1u);
    // The box shows rich text: the asker's name is never markup there.
    const std::string badge = "<z=qe系统通知>";
    std::vector<uint8_t> names(4 * 52, 0);
    std::copy(badge.begin(), badge.end(), names.begin() + 3 * 52);
    app.RenameSeatedPlayers(names);
    ASSERT_TRUE(Notify(tp::kLookCardAsk, tp::WriteTableRecord(ask)));
    EXPECT_EQ(host.boxes.back().text, "#" + badge + " 请求看牌");
}

TEST_F(PlayRequestsTest, AWaitedGameRequestHandsItsReplyToTheStatusHandlerOnce) {
    // A reply too short for a status record is refused and reported.
    app.connection.Script(19840400, {1, tp::kResultDone, Words({1, 2})});
    EXPECT_EQ(view->SendGameRequest(19840400, nullptr, 0, 1), 1);
    EXPECT_EQ(app.connection.failureReports, (std::vector<int32_t>{tp::kAutoPlayStatus}));
    // Sent without waiting: nothing comes back.
    EXPECT_EQ(view->SendGameRequest(19840325, nullptr, 0, 0), 1);
    EXPECT_EQ(app.connection.SentOf(19840325)[0].wait, 0);
    EXPECT_EQ(app.connection.failureReports.size(), 1u);
}

TEST_F(PlayRequestsTest, TheStatusCountMustFitTheRecord) {
    EXPECT_TRUE(view->OnAutoPlayStatus(Words({0, 0, 19840329, 0, 1, 2})));
    EXPECT_FALSE(view->OnAutoPlayStatus(Words({0, 0, 19840329, 0, 2, 2})));
    EXPECT_FALSE(view->OnAutoPlayStatus(Words({0, 0, 19840329, 0, -1})));
    EXPECT_FALSE(view->OnAutoPlayStatus(Words({0, 0, 19840329})));
}

}  // namespace
}  // namespace play_test
