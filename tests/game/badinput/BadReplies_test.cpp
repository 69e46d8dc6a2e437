// Bad and refused replies to the client's play requests over the real
// connection: a refused or unanswered draw changes nothing; a short draw
// reply is read as far as it came (the rest zero); a ting flag on a 32-byte
// reply brings no data past those bytes; a wall index off the wall still
// brings the server's tile into the hand. Held (210050) and failed claims
// keep the table as the claim says and each sends its request once. After
// each, the connection carries the next notification.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "game/app/RegionalMahjongApp.h"
#include "game/table/RegionalTableView.h"
#include "tests/game/badinput/BadInputTable.h"
#include "tools/test_server/FrameScript.h"
#include "zep/ZepWire.h"

namespace {

namespace tp = table_protocol;
using badinput_test::BadInputTable;
using badinput_test::Outcome;
using badinput_test::Throw;
using testserver::FrameScript;

std::vector<uint8_t> Words(std::initializer_list<int32_t> words) {
    std::vector<uint8_t> bytes(4 * words.size());
    ZepWireWriter writer(bytes);
    for (int32_t word : words) {
        writer.WriteI32(word);
    }
    return bytes;
}

class BadRepliesTest : public BadInputTable {
protected:
    void SetUp() override {
        BadInputTable::SetUp();
        if (!HasFatalFailure()) {
            DealAndPlay();
        }
    }

    bool OwnHolds(int32_t tile) {
        const std::vector<int32_t> row = OwnTilesShown();
        return std::find(row.begin(), row.end(), tile) != row.end();
    }
    // The server throws the own drawn tile for the player: the row as dealt
    // again, and proof that the connection still carries notifications.
    void ThrowOwnTile(int32_t tile) {
        Send(tp::kCardThrown, Throw(badinput_test::kOwnChair, tile, 0), Outcome::kApplied);
        std::vector<int32_t> dealt = badinput_test::kOwnTiles;
        std::sort(dealt.begin(), dealt.end());
        EXPECT_EQ(OwnTilesShown(), dealt);
    }
};

TEST_F(BadRepliesTest, RefusedFailedOrUnansweredDrawsChangeNothing) {
    const std::string dealt = Describe();
    const size_t drawsBefore = script.Frame().Count(tp::kOwnDraw);
    script.Frame().QueueAnswer(tp::kOwnDraw, {tp::kResultDrawRefused, Words({0, 50, 60, 0})});
    script.Frame().QueueAnswer(tp::kOwnDraw, {tp::kResultNotCarriedOut, Words({0, 50, 60, 0})});
    script.Frame().QueueAnswer(tp::kOwnDraw, {0, {}, true});  // never answered
    for (const char* answer : {"229101", "10100", "time-out"}) {
        SCOPED_TRACE(answer);
        EXPECT_EQ(View().CatchCard(), 0);
        window.Run(50);
        EXPECT_EQ(Describe(), dealt);
    }
    EXPECT_EQ(script.Frame().Count(tp::kOwnDraw), drawsBefore + 3);
    // A throw the server sends while the draw goes unanswered is shown once
    // the wait is over: the connection stays through the time-out.
    OnRequest([&](const FrameScript::Recorded& request) {
        if (request.id == tp::kOwnDraw) {
            script.Frame().Notify(static_cast<uint32_t>(tp::kCardThrown), Throw(1, 19, 0));
        }
    });
    script.Frame().QueueAnswer(tp::kOwnDraw, {0, {}, true});
    EXPECT_EQ(View().CatchCard(), 0);
    OnRequest({});
    EXPECT_TRUE(window.RunUntil([&] {
        CCardSprite* thrown = View().GetLastThrown(PositionOf(1));
        return thrown != nullptr && thrown->tile == 19;
    })) << "the throw sent during the wait was lost";
    EXPECT_TRUE(Connected());
    EXPECT_EQ(Reports(), 0u);
}

TEST_F(BadRepliesTest, ShortFlaggedAndOffTheWallDrawRepliesBringTheServersTile) {
    const int wallBefore = View().GetWallCount();
    // 8 bytes: the tile, no wall index (read as 0) and no options.
    script.Frame().QueueAnswer(tp::kOwnDraw, {tp::kResultDone, Words({0, 50})});
    ASSERT_EQ(View().CatchCard(), 1);
    EXPECT_TRUE(OwnHolds(50));
    EXPECT_EQ(View().GetDrawnTile(), 50);
    // Wall entry 0 went at the deal: the tile comes from the pool and the
    // wall keeps its count.
    EXPECT_EQ(View().GetWallCount(), wallBefore);
    EXPECT_EQ(View().GetOffer(kOpHu).offered, 0);
    ASSERT_NO_FATAL_FAILURE(ThrowOwnTile(50));

    // 32 bytes flagged with ting data: the tile is drawn and the ting is
    // offered, but nothing past the 32 bytes came: every candidate reads 0.
    std::fill(std::begin(g_TingCandidates), std::end(g_TingCandidates), -1);
    script.Frame().QueueAnswer(
        tp::kOwnDraw,
        {tp::kResultDone, Words({0, 51, 70, tp::kOptionTing | tp::kOptionHu, 0, 0, 0, 0})});
    ASSERT_EQ(View().CatchCard(), 1);
    EXPECT_TRUE(OwnHolds(51));
    EXPECT_EQ(View().GetOffer(kOpHu).offered, 1);
    EXPECT_TRUE(std::all_of(std::begin(g_TingCandidates), std::end(g_TingCandidates),
                            [](int32_t tile) { return tile == 0; }));
    ASSERT_NO_FATAL_FAILURE(ThrowOwnTile(51));

    // Longer than its form: read as the form, the candidates the reply's.
    tp::OperationReply longer;
    longer.tile = 54;
    longer.wallIndex = 72;
    longer.options = tp::kOptionTing;
    longer.tingCandidates.fill(tp::kNoTile);
    longer.tingCandidates[0] = 7;
    std::vector<uint8_t> longerBytes = tp::WriteTableRecord(longer);
    longerBytes.resize(longerBytes.size() + 648, 0x5A);
    script.Frame().QueueAnswer(tp::kOwnDraw, {tp::kResultDone, longerBytes});
    ASSERT_EQ(View().CatchCard(), 1);
    EXPECT_TRUE(OwnHolds(54));
    EXPECT_EQ(g_TingCandidates[0], 7);
    EXPECT_EQ(g_TingCandidates[1], tp::kNoTile);
    ASSERT_NO_FATAL_FAILURE(ThrowOwnTile(54));

    // A wall index off the wall: the tile still reaches the hand.
    for (const int32_t wallIndex : {200, -5, 108}) {
        SCOPED_TRACE(wallIndex);
        script.Frame().QueueAnswer(tp::kOwnDraw,
                                   {tp::kResultDone, Words({0, 52, wallIndex, 0, 0, 0, 0, 0})});
        ASSERT_EQ(View().CatchCard(), 1);
        EXPECT_TRUE(OwnHolds(52));
        ASSERT_NO_FATAL_FAILURE(ThrowOwnTile(52));
    }
    // A tile the table does not know is logged, not drawn.
    const std::vector<int32_t> row = Row(3);
    script.Frame().QueueAnswer(tp::kOwnDraw, {tp::kResultDone, Words({0, 400, 71, 0})});
    EXPECT_EQ(View().CatchCard(), 0);
    EXPECT_EQ(Row(3), row);
    EXPECT_EQ(server.ProtocolErrors(), 0u);
}

TEST_F(BadRepliesTest, HeldAndFailedClaimsKeepTheTableAndSendOnce) {
    // Chair 1 throws a tile of which the player holds three: peng and gang.
    ASSERT_NO_FATAL_FAILURE(Send(tp::kCardThrown,
                                 Throw(1, 27, tp::kOptionPeng | tp::kOptionGang | tp::kOptionPass),
                                 Outcome::kApplied));
    ASSERT_EQ(View().GetOffer(kOpGang).offered, 1);
    const std::string offered = Describe();
    const std::vector<int32_t> row = Row(3);

    // The peng refused as not carried out, or never answered: nothing
    // changes.
    script.Frame().QueueAnswer(tp::kPengClaim, {tp::kResultNotCarriedOut, {}});
    script.Frame().QueueAnswer(tp::kPengClaim, {0, {}, true});
    for (const char* answer : {"10100", "time-out"}) {
        SCOPED_TRACE(answer);
        EXPECT_EQ(View().SubmitPeng(), 0);
        EXPECT_EQ(Describe(), offered);
    }
    // Held: the player stays in the peng (held flag, table state 1).
    script.Frame().QueueAnswer(tp::kPengClaim, {tp::kResultHeld, {}});
    EXPECT_EQ(View().SubmitPeng(), 0);
    EXPECT_EQ(View().GetOperationHeld(), 1);
    EXPECT_EQ(View().GetTableState(), 1);
    EXPECT_EQ(Row(3), row);
    EXPECT_EQ(script.Frame().Count(tp::kPengClaim), 3u);

    // The gang on the thrown tile: not carried out changes nothing more;
    // held keeps the gang choice (table state 2).
    script.Frame().QueueAnswer(tp::kDiscardGang, {tp::kResultNotCarriedOut, {}});
    EXPECT_EQ(View().SubmitDiscardGang(), 0);
    EXPECT_EQ(View().GetTableState(), 1);
    script.Frame().QueueAnswer(tp::kDiscardGang, {tp::kResultHeld, {}});
    EXPECT_EQ(View().SubmitDiscardGang(), 0);
    EXPECT_EQ(View().GetOperationHeld(), 1);
    EXPECT_EQ(View().GetTableState(), 2);
    EXPECT_EQ(Row(3), row);
    EXPECT_EQ(View().GetMeldCount(3), 0);
    EXPECT_EQ(script.Frame().Count(tp::kDiscardGang), 2u);

    // A concealed gang the server keeps refusing: each attempt sends once
    // and only offers the choice again.
    for (const uint32_t result : {tp::kResultNotCarriedOut, tp::kResultHeld, uint32_t{60001}}) {
        SCOPED_TRACE(result);
        const size_t sent = script.Frame().Count(tp::kConcealedGang);
        script.Frame().QueueAnswer(tp::kConcealedGang, {result, {}});
        EXPECT_EQ(View().SubmitConcealedGang(0), 0);
        window.Run(50);
        EXPECT_EQ(script.Frame().Count(tp::kConcealedGang), sent + 1);
        EXPECT_EQ(View().GetMeldCount(3), 0);
    }

    // Granted at last with a reply cut to its tile: the gang is laid, and
    // 200 ms later the replacement from wall index 0 reaches the hand.
    script.Frame().QueueAnswer(tp::kDiscardGang, {tp::kResultDone, Words({0, 53})});
    EXPECT_EQ(View().SubmitDiscardGang(), 1);
    EXPECT_EQ(View().GetOperationHeld(), 0);
    EXPECT_EQ(View().GetTableState(), 0);
    EXPECT_EQ(View().GetMeldCount(3), 1);
    EXPECT_TRUE(window.RunUntil([&] { return OwnHolds(53); }))
        << "the replacement never reached the hand";
    // The connection carries the next throw.
    ASSERT_NO_FATAL_FAILURE(Send(tp::kCardThrown, Throw(3, 28, 0), Outcome::kApplied));
    ASSERT_NE(View().GetLastThrown(PositionOf(3)), nullptr);
    EXPECT_EQ(View().GetLastThrown(PositionOf(3))->tile, 28);
    EXPECT_EQ(server.ProtocolErrors(), 0u);
}

TEST_F(BadRepliesTest, GangQueryRepliesAreReadAsFarAsTheyCame) {
    // Chair 1 throws a tile of which the player holds three.
    ASSERT_NO_FATAL_FAILURE(
        Send(tp::kCardThrown, Throw(1, 27, tp::kOptionGang | tp::kOptionPass), Outcome::kApplied));
    ASSERT_EQ(View().GetOffer(kOpGang).offered, 1);
    // The query's reply stops before chair 1's option word, which would
    // say that chair may win: read as 0, the gang goes out at once.
    std::vector<uint8_t> cut = Words({0, 0, 0, 0, 0, tp::kOptionHu});
    cut.resize(20);
    script.Frame().QueueAnswer(tp::kGangQuery, {tp::kResultDone, cut});
    script.Frame().QueueAnswer(tp::kDiscardGang, {tp::kResultNotCarriedOut, {}});
    View().OnGangButton();
    EXPECT_EQ(script.Frame().Count(tp::kGangQuery), 1u);
    EXPECT_EQ(script.Frame().Count(tp::kDiscardGang), 1u);
    EXPECT_EQ(View().GetOperationHeld(), 0);
    // With that word there: the gang waits for the other chair.
    script.Frame().QueueAnswer(tp::kGangQuery,
                               {tp::kResultDone, Words({0, 0, 0, 0, 0, tp::kOptionHu})});
    View().OnGangButton();
    EXPECT_EQ(script.Frame().Count(tp::kGangQuery), 2u);
    EXPECT_EQ(script.Frame().Count(tp::kDiscardGang), 1u);
    EXPECT_EQ(View().GetOperationHeld(), 1);
    EXPECT_EQ(View().GetTableState(), 2);
    // A refused query sends nothing more.
    script.Frame().QueueAnswer(tp::kGangQuery, {tp::kResultNotCarriedOut, {}});
    View().OnGangButton();
    EXPECT_EQ(script.Frame().Count(tp::kDiscardGang), 1u);
    ASSERT_NO_FATAL_FAILURE(Send(tp::kCardThrown, Throw(2, 28, 0), Outcome::kApplied));
    EXPECT_EQ(View().GetLastThrown(PositionOf(2))->tile, 28);
}

TEST_F(BadRepliesTest, AddedGangHeldRefusedThenGrantedWithAFlaggedShortReplyOffTheWall) {
    // A peng of chair 1's tile, granted with a ting information cut to its
    // option word: the peng is laid, no ting offered.
    ASSERT_NO_FATAL_FAILURE(
        Send(tp::kCardThrown, Throw(1, 27, tp::kOptionPeng | tp::kOptionPass), Outcome::kApplied));
    script.Frame().QueueAnswer(tp::kPengClaim, {tp::kResultDone, Words({0})});
    ASSERT_EQ(View().SubmitPeng(), 1);
    EXPECT_EQ(View().GetMeldCount(3), 1);
    EXPECT_EQ(View().GetOffer(kOpTing).offered, 0);
    ASSERT_TRUE(OwnHolds(18));

    // The added gang with the fourth tile: the query first, then held.
    script.Frame().QueueAnswer(tp::kGangQuery, {tp::kResultDone, Words({0, 0, 0, 0})});
    script.Frame().QueueAnswer(tp::kAddedGang, {tp::kResultHeld, {}});
    EXPECT_EQ(View().SubmitAddedGang(18), 0);
    EXPECT_EQ(script.Frame().Count(tp::kGangQuery), 1u);
    EXPECT_EQ(script.Frame().Count(tp::kAddedGang), 1u);
    EXPECT_EQ(View().GetOperationHeld(), 1);
    EXPECT_EQ(View().GetTableState(), 2);
    EXPECT_EQ(View().GetOperationButtonOfKind(kOpHu)->IsInputEnabled(), 0);
    // Held: the next attempt skips the query; not carried out, it changes
    // nothing.
    const std::string held = Describe();
    script.Frame().QueueAnswer(tp::kAddedGang, {tp::kResultNotCarriedOut, {}});
    EXPECT_EQ(View().SubmitAddedGang(18), 0);
    EXPECT_EQ(script.Frame().Count(tp::kGangQuery), 1u);
    EXPECT_EQ(script.Frame().Count(tp::kAddedGang), 2u);
    EXPECT_EQ(Describe(), held);
    // Granted with 32 bytes that claim ting data and a wall index off the
    // wall: the gang is laid, the replacement comes from the pool, and the
    // ting is offered with what came (every candidate reads 0).
    std::fill(std::begin(g_TingCandidates), std::end(g_TingCandidates), -1);
    script.Frame().QueueAnswer(tp::kAddedGang,
                               {tp::kResultDone, Words({0, 60, 200, tp::kOptionTing, 0, 0, 0, 0})});
    EXPECT_EQ(View().SubmitAddedGang(18), 1);
    EXPECT_EQ(View().GetOperationHeld(), 0);
    EXPECT_EQ(View().GetTableState(), 0);
    EXPECT_TRUE(window.RunUntil([&] { return OwnHolds(60); }))
        << "the replacement never reached the hand";
    EXPECT_EQ(View().GetOffer(kOpTing).offered, 1);
    EXPECT_TRUE(std::all_of(std::begin(g_TingCandidates), std::end(g_TingCandidates),
                            [](int32_t tile) { return tile == 0; }));
    EXPECT_EQ(script.Frame().Count(tp::kAddedGang), 3u);
}

TEST_F(BadRepliesTest, ARefusedDeclarationChangesNothing) {
    script.Frame().QueueAnswer(tp::kTingThrow, {tp::kResultNotCarriedOut, {}});
    script.Frame().QueueAnswer(tp::kTingThrow, {0, {}, true});  // never answered
    const std::string before = Describe();
    const std::vector<int32_t> row = Row(3);
    for (const char* answer : {"10100", "time-out"}) {
        SCOPED_TRACE(answer);
        EXPECT_EQ(View().ThrowForTing(1), 0);
        EXPECT_EQ(Describe(), before);
    }
    EXPECT_EQ(script.Frame().Count(tp::kTingThrow), 2u);
    EXPECT_EQ(g_bBaoJiao[badinput_test::kOwnChair], 0);
    EXPECT_EQ(View().m_bBaoJiao, 0);
    ASSERT_NO_FATAL_FAILURE(Send(tp::kCardThrown, Throw(1, 28, 0), Outcome::kApplied));
    EXPECT_EQ(View().GetLastThrown(PositionOf(1))->tile, 28);
}

}  // namespace
