// The wire seat's own view of the table, fed records by hand: what it holds
// after the deal, the exchange, draws, melds and discards, and what it
// answers at each point.

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/WireSeat.h"

namespace {

namespace tp = table_protocol;
using servertest::SeatMix;
using servertest::SeatRequest;
using servertest::WireSeat;

constexpr int32_t kChair = 1;

// Ids of one kind are 9 apart: four of a kind (0, 9, 18, 27), a pair (36,
// 45) and singles of two suits.
std::vector<int32_t> Dealt() {
    return {0, 9, 18, 27, 1, 2, 3, 36, 45, 37, 38, 40, 41};
}

template <class R>
std::vector<uint8_t> Bytes(const R& record) {
    return tp::WriteTableRecord(record);
}

class WireSeatTest : public ::testing::Test {
protected:
    static SeatMix Eager() {
        SeatMix mix;
        mix.huPercent = 100;
        mix.pengPercent = 100;
        mix.gangPercent = 100;
        mix.declarePercent = 0;
        mix.silentPassPercent = 0;
        mix.randomDiscardPercent = 0;
        return mix;
    }

    void Deal(int32_t banker) {
        tp::HandStartRecord start;
        start.turnChair = banker;
        start.startFlags = tp::kStartHandRunning | tp::kStartSwapPhase;
        start.claimSkipRule = 1;
        start.wildIndicator = tp::kNoTile;
        start.dice[0] = 3;
        start.ownTiles.fill(-1);
        const std::vector<int32_t> dealt = Dealt();
        std::copy(dealt.begin(), dealt.end(), start.ownTiles.begin());
        seat_.OnNotification(static_cast<uint32_t>(tp::kHandStart), Bytes(start));
    }

    // The exchange: the seat gives its three and gets 100-102 from chair 3.
    void Exchange(const std::array<int32_t, 3>& given) {
        tp::SwapDiceNotice swap;
        for (size_t k = 0; k < 3; ++k) {
            swap.given[3 * kChair + k] = given[k];
            swap.given[3 * 3 + k] = 100 + static_cast<int32_t>(k);
            swap.received[3 * kChair + k] = 100 + static_cast<int32_t>(k);
        }
        seat_.OnNotification(static_cast<uint32_t>(tp::kSwapDice), Bytes(swap));
    }

    void Thrown(int32_t thrower, int32_t tile, int32_t options) {
        tp::CardThrownNotice thrown;
        thrown.thrower = thrower;
        thrown.tile = tile;
        thrown.chairOptions[kChair] = options;
        seat_.OnNotification(static_cast<uint32_t>(tp::kCardThrown), Bytes(thrown));
    }

    void Answer(const SeatRequest& request, std::vector<uint8_t> data = {}) {
        seat_.OnAnswer(request, tp::kResultDone, data);
    }

    WireSeat seat_{tp::RequestHead{5, 6, 7, kChair}, 1, Eager()};
};

TEST_F(WireSeatTest, ExchangesThreeOfOneSuitThenDrawsAfterTheChairBeforeIt) {
    Deal(0);
    std::optional<SeatRequest> swap = seat_.Next();
    ASSERT_TRUE(swap);
    ASSERT_EQ(swap->id, static_cast<uint32_t>(tp::kSwapThree));
    tp::SwapThreeRequest choice;
    ASSERT_TRUE(tp::ReadTableRecord(swap->body, choice));
    EXPECT_EQ(choice.chair, kChair);
    const std::array<int32_t, 3> given{choice.chairTiles[3], choice.chairTiles[4],
                                       choice.chairTiles[5]};
    for (const int32_t tile : given) {
        EXPECT_EQ(WireSeat::SuitOf(tile), WireSeat::SuitOf(given[0]));
    }
    Answer(*swap);
    EXPECT_FALSE(seat_.Next());
    Exchange(given);
    EXPECT_EQ(seat_.OwnTiles().size(), 13u);
    EXPECT_EQ(seat_.Events().at("exchange from the chair 2 after"), 1);

    // The chair before in play throws; nothing offered: the seat draws.
    Thrown(2, 60, 0);
    std::optional<SeatRequest> draw = seat_.Next();
    ASSERT_TRUE(draw);
    EXPECT_EQ(draw->id, tp::kOwnDraw);
    tp::OperationReply reply;
    reply.tile = 61;
    reply.wallIndex = 50;
    std::vector<uint8_t> replyBytes = Bytes(reply);
    replyBytes.resize(tp::kOperationReplyShortBytes);
    Answer(*draw, replyBytes);
    EXPECT_TRUE(seat_.OwnTurn());
    EXPECT_EQ(seat_.OwnTiles().size(), 14u);
    std::optional<SeatRequest> discard = seat_.Next();
    ASSERT_TRUE(discard);
    ASSERT_EQ(discard->id, tp::kDiscard);
    tp::OperationRecord thrown;
    ASSERT_TRUE(tp::ReadTableRecord(discard->body, thrown));
    Answer(*discard);
    EXPECT_EQ(seat_.OwnTiles().size(), 13u);
    const std::vector<int32_t> held = seat_.OwnTiles();
    EXPECT_EQ(std::count(held.begin(), held.end(), thrown.tile), 0);
    EXPECT_TRUE(seat_.Faults().empty()) << seat_.Faults().front();
}

TEST_F(WireSeatTest, PengsAnOfferThenAddsTheFourthAfterItsQuery) {
    Deal(2);
    const std::optional<SeatRequest> swap = seat_.Next();
    ASSERT_TRUE(swap);
    Answer(*swap);
    Exchange({1, 2, 3});
    // Chair 0 throws the third of the pair's kind: the seat pengs.
    Thrown(0, 54, tp::kOptionPeng | tp::kOptionPass);
    std::optional<SeatRequest> peng = seat_.Next();
    ASSERT_TRUE(peng);
    ASSERT_EQ(peng->id, tp::kPengClaim);
    Answer(*peng, std::vector<uint8_t>(tp::kTingInfoBytes));
    EXPECT_EQ(seat_.Events().at("human peng"), 1);
    std::optional<SeatRequest> discard = seat_.Next();
    ASSERT_TRUE(discard);
    ASSERT_EQ(discard->id, tp::kDiscard);
    Answer(*discard);
    EXPECT_EQ(seat_.OwnTiles().size(), 10u);

    // Its draw of the peng's fourth offers a gang: the concealed four
    // first, then the added one after its query.
    Thrown(2, 70, 0);
    const std::optional<SeatRequest> draw = seat_.Next();
    ASSERT_TRUE(draw);
    tp::OperationReply reply;
    reply.tile = 63;
    reply.wallIndex = 51;
    reply.options = tp::kOptionGang;
    std::vector<uint8_t> replyBytes = Bytes(reply);
    replyBytes.resize(tp::kOperationReplyShortBytes);
    Answer(*draw, replyBytes);
    std::optional<SeatRequest> query = seat_.Next();
    ASSERT_TRUE(query);
    ASSERT_EQ(query->id, tp::kConcealedGang);
    tp::OperationRecord concealed;
    ASSERT_TRUE(tp::ReadTableRecord(query->body, concealed));
    reply.tile = 80;
    reply.options = tp::kOptionGang;
    replyBytes = Bytes(reply);
    replyBytes.resize(tp::kOperationReplyShortBytes);
    Answer(*query, replyBytes);
    EXPECT_EQ(seat_.OwnTiles().size(), 8u);
    query = seat_.Next();
    ASSERT_TRUE(query);
    EXPECT_EQ(query->id, tp::kGangQuery);
    Answer(*query, std::vector<uint8_t>(tp::GangQueryReply::kSize));
    std::optional<SeatRequest> added = seat_.Next();
    ASSERT_TRUE(added);
    EXPECT_EQ(added->id, tp::kAddedGang);
    reply.tile = 81;
    reply.options = 0;
    replyBytes = Bytes(reply);
    replyBytes.resize(tp::kOperationReplyShortBytes);
    Answer(*added, replyBytes);
    EXPECT_EQ(seat_.OwnTiles().size(), 8u);
    EXPECT_EQ(seat_.Events().at("human concealed gang"), 1);
    EXPECT_EQ(seat_.Events().at("human added gang"), 1);
    EXPECT_TRUE(seat_.OwnTurn());
    EXPECT_TRUE(seat_.Faults().empty()) << seat_.Faults().front();
}

TEST_F(WireSeatTest, AnAnswerItDidNotExpectIsAFault) {
    Deal(0);
    const std::optional<SeatRequest> swap = seat_.Next();
    ASSERT_TRUE(swap);
    seat_.OnAnswer(*swap, tp::kResultNotCarriedOut, {});
    ASSERT_EQ(seat_.Faults().size(), 1u);
    EXPECT_EQ(seat_.Faults()[0], "222070 answered 10100");
}

}  // namespace
