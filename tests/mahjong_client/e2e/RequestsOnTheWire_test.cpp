// The table's requests over the real wire: each body as the loopback server
// receives it equals its vector in the table-play protocol document, written
// here by hand word by word; and the results the server answers with leave
// the table as the play rules say.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/EventRecord.h"
#include "frame/net/FrameRequests.h"
#include "tests/mahjong_client/support/HandRecords.h"
#include "tests/mahjong_client/support/TableSession.h"

namespace table_test {
namespace {

namespace tp = table_protocol;

constexpr int32_t kOwnUser = UserOf(kOwnChair);

// The words of a body: the head of the own seat, then the given words, then
// zeros up to `size` bytes.
std::vector<uint8_t> Body(int32_t user, std::initializer_list<int32_t> after, size_t size = 64) {
    std::vector<int32_t> words = {user, kRoomId, kTableNo, kOwnChair};
    words.insert(words.end(), after.begin(), after.end());
    words.resize(size / 4, 0);
    std::vector<uint8_t> bytes;
    for (int32_t w : words) {
        const std::vector<uint8_t> one = WordsRecord({w});
        bytes.insert(bytes.end(), one.begin(), one.end());
    }
    return bytes;
}

// The own hand of these tests: four of face 10, three of face 11 and seven
// single tiles; the own chair is banker (14 tiles, its turn to throw).
HandStart OwnBankerHand() {
    HandStart start;
    start.banker = kOwnChair;
    start.turnChair = kOwnChair;
    start.tilesHeld = {13, 13, 14, 13};
    start.ownTiles = {TileOf(10, 0), TileOf(10, 1), TileOf(10, 2), TileOf(10, 3), TileOf(11, 0),
                      TileOf(11, 1), TileOf(11, 2), TileOf(0, 0),  TileOf(2, 0),  TileOf(4, 0),
                      TileOf(14, 0), TileOf(16, 0), TileOf(20, 0), TileOf(24, 0)};
    return start;
}

class RequestsTest : public ::testing::Test {
protected:
    void Open(bool lookOn = false) {
        SessionOptions options;
        options.lookOn = lookOn;
        ASSERT_TRUE(session.Open(options)) << session.Error();
    }
    CMahjongTableView& Table() { return session.Table(); }
    TableServer& Server() { return session.Server(); }
    // Waits for the n-th request of the id and answers its body.
    std::vector<uint8_t> Sent(uint32_t id, size_t n = 1) {
        EXPECT_TRUE(Server().WaitForCount(id, n, kWaitMs)) << id << " never came";
        return Server().LastBody(id);
    }
    // Row ids of a position, in row order.
    std::vector<int32_t> Row(int position) {
        std::vector<int32_t> tiles(32, -1);
        tiles.resize(static_cast<size_t>(Table().CollectRowTiles(position, tiles.data())));
        return tiles;
    }
    int IndexOf(int position, int32_t tile) { return Table().FindRowIndex(position, tile); }
    // Whether the latest request the table server took was waited for.
    bool LastWaited() {
        const std::vector<TableServer::Received> requests = Server().Requests();
        EXPECT_FALSE(requests.empty());
        return !requests.empty() && requests.back().waited;
    }

    TableSession session;
};

TEST_F(RequestsTest, EveryPlayRequestIsItsDocumentVector) {
    Open();
    // The start button sends the frame's start request: head, zeros to 32.
    Table().OnEvent(MakeEventRecord(Table().GetId(), kEventStartButton, 0, 0));
    ASSERT_TRUE(Server().FrameRequests().WaitForCount(frame_requests::kStartGame, 1, kWaitMs));
    EXPECT_EQ(Server().FrameRequests().LastBody(frame_requests::kStartGame),
              Body(kOwnUser, {}, 32));

    ASSERT_TRUE(session.StartHand(OwnBankerHand()));

    // Discard: 4 own chair, 5 tile.
    EXPECT_EQ(Table().SendDiscard(TileOf(0, 0)), static_cast<int>(tp::kResultDone));
    EXPECT_EQ(Sent(tp::kDiscard), Body(kOwnUser, {kOwnChair, TileOf(0, 0)}));

    // Hua: 4 own chair, 5 the flower; the reply carries the replacement.
    Server().SetNextDraw(TileOf(5, 3), 77, 0);
    uint8_t hua[32] = {};
    EXPECT_NE(Table().SendHua(TileOf(2, 0), hua), 0);
    EXPECT_EQ(Sent(tp::kHua), Body(kOwnUser, {kOwnChair, TileOf(2, 0)}));

    // Hu claim: 4 chair of the offer, 5 tile, 6 kind, 7 robbed kong's kind.
    EXPECT_NE(Table().SendHuClaim(1, TileOf(3, 2), tp::kHuOnDiscard, 0), 0);
    EXPECT_EQ(Sent(tp::kHuClaim), Body(kOwnUser, {1, TileOf(3, 2), 1, 0}));
    EXPECT_NE(Table().SendHuClaim(kOwnChair, TileOf(3, 3), tp::kHuSelfDrawn, 0), 0);
    EXPECT_EQ(Sent(tp::kHuClaim, 2), Body(kOwnUser, {kOwnChair, TileOf(3, 3), 2, 0}));
    EXPECT_NE(Table().SendHuClaim(3, TileOf(6, 1), tp::kHuRobbingKong, 2), 0);
    EXPECT_EQ(Sent(tp::kHuClaim, 3), Body(kOwnUser, {3, TileOf(6, 1), 4, 2}));

    // Chi claim: 4 thrower, 5 tile, 6-7 the two own tiles, 8 -1.
    EXPECT_NE(Table().SendChiClaim(3, TileOf(1, 1), TileOf(0, 0), TileOf(2, 0)), 0);
    EXPECT_EQ(Sent(tp::kChiClaim),
              Body(kOwnUser, {3, TileOf(1, 1), TileOf(0, 0), TileOf(2, 0), -1}));

    // Pass, unwaited: 4 chair of the offer, 5 tile.
    EXPECT_NE(Table().SendPass(1, TileOf(9, 1)), 0);
    EXPECT_EQ(Sent(tp::kPass), Body(kOwnUser, {1, TileOf(9, 1)}));
    EXPECT_FALSE(LastWaited());

    // Any game request sent unwaited counts as sent and goes as given.
    const std::vector<uint8_t> any = WordsRecord({7, 8, 9});
    EXPECT_EQ(Table().SendGameRequest(19840325, any.data(), any.size(), 0), 1);
    EXPECT_EQ(Sent(19840325), any);
    EXPECT_FALSE(LastWaited());
}

TEST_F(RequestsTest, TheGangQueryNamesTheOwnTilesOfTheFace) {
    Open();
    ASSERT_TRUE(session.StartHand(OwnBankerHand()));
    // Gang query, kind 2 (an own gang): 4 own chair, 5 tile, 6-8 the other
    // three tiles of its face in hand order, 9 kind.
    uint8_t gangReply[48] = {};
    EXPECT_NE(Table().SendGangQuery(tp::kGangOwn, TileOf(10, 0), gangReply), 0);
    EXPECT_EQ(Sent(tp::kGangQuery), Body(kOwnUser, {kOwnChair, TileOf(10, 0), TileOf(10, 1),
                                                    TileOf(10, 2), TileOf(10, 3), 2}));
    // Kind 1 (a gang on a thrown tile): the thrower's chair and tile from
    // the offer a throw made, the three own tiles of its face.
    const int thrower = Table().PositionToChair(1);
    ASSERT_TRUE(session.Deliver(
        tp::kCardThrown,
        CardThrown(thrower, TileOf(11, 3),
                   {tp::kOptionGang | tp::kOptionPass, tp::kOptionGang | tp::kOptionPass,
                    tp::kOptionGang | tp::kOptionPass, tp::kOptionGang | tp::kOptionPass})));
    EXPECT_NE(Table().SendGangQuery(tp::kGangOnThrownTile, TileOf(11, 3), gangReply), 0);
    EXPECT_EQ(Sent(tp::kGangQuery, 2), Body(kOwnUser, {thrower, TileOf(11, 3), TileOf(11, 0),
                                                       TileOf(11, 1), TileOf(11, 2), 1}));
}

TEST_F(RequestsTest, TheOwnDrawIsItsVectorAndARefusedDrawChangesNothing) {
    Open();
    HandStart start = OwnBankerHand();
    start.banker = 3;
    start.turnChair = kOwnChair;
    start.tilesHeld = {13, 13, 13, 14};
    start.ownTiles.pop_back();
    ASSERT_TRUE(session.StartHand(start));
    ASSERT_EQ(Table().GetRowCount(3), 13);
    const int wallBefore = Table().GetWallCount();

    // Refused: 229101, nothing drawn.
    Server().SetResult(tp::kOwnDraw, tp::kResultDrawRefused);
    EXPECT_EQ(Table().CatchCard(), 0);
    EXPECT_EQ(Sent(tp::kOwnDraw), Body(kOwnUser, {0, kTableNo, kOwnChair, kOwnUser}, 96));
    EXPECT_EQ(Table().GetRowCount(3), 13);
    EXPECT_EQ(Table().IsHandDrawn(3), 0);
    EXPECT_EQ(Table().GetWallCount(), wallBefore);

    // Done: the drawn tile comes from the wall entry the reply names.
    Server().ClearAnswer(tp::kOwnDraw);
    Server().SetNextDraw(TileOf(24, 1), 60, 0);
    ASSERT_NE(Table().GetWallSprite(60), nullptr);
    EXPECT_EQ(Table().CatchCard(), 1);
    EXPECT_EQ(Sent(tp::kOwnDraw, 2), Body(kOwnUser, {0, kTableNo, kOwnChair, kOwnUser}, 96));
    EXPECT_EQ(Table().GetRowCount(3), 14);
    EXPECT_NE(Table().IsHandDrawn(3), 0);
    EXPECT_EQ(Table().GetWallSprite(60), nullptr);
    EXPECT_EQ(Table().GetWallCount(), wallBefore - 1);
    EXPECT_GE(IndexOf(3, TileOf(24, 1)), 0);
}

TEST_F(RequestsTest, AWaitedGameRequestsReplyReachesTheStatusHandler) {
    Open();
    ASSERT_TRUE(session.StartHand(OwnBankerHand()));
    const int chair = Table().PositionToChair(0);
    tp::AutoPlayStatusHead status;
    status.code = tp::kAutoPlayFirst;
    status.count = 1;
    std::vector<uint8_t> reply = tp::WriteTableRecord(status);
    const std::vector<uint8_t> data = WordsRecord({chair});
    reply.insert(reply.end(), data.begin(), data.end());
    constexpr uint32_t kAsked = 229900;
    Server().SetAnswer(kAsked, {tp::kResultDone, reply, false});
    session.Table().TakeCalls();
    const std::vector<uint8_t> body = WordsRecord({1, 2});
    EXPECT_EQ(Table().SendGameRequest(kAsked, body.data(), body.size(), 1), 1);
    EXPECT_EQ(Sent(kAsked), body);
    EXPECT_TRUE(LastWaited());
    session.Run(100);
    const std::vector<std::string> calls = session.Table().TakeCalls();
    EXPECT_NE(
        std::find(calls.begin(), calls.end(), "OnAutoPlayStatus " + std::to_string(reply.size())),
        calls.end());
}

TEST_F(RequestsTest, ALookerOnAsksToSeeTheWatchedHand) {
    Open(true);
    Table().OnAskCardView();
    EXPECT_EQ(Sent(tp::kLookCardAsk), Body(UserOf(9), {kOwnChair}));
    EXPECT_FALSE(LastWaited());
}

TEST_F(RequestsTest, ThrowResultsLeaveTheTableAsTheRulesSay) {
    Open();
    ASSERT_TRUE(session.StartHand(OwnBankerHand()));
    ASSERT_EQ(Table().GetRowCount(3), 14);
    const std::vector<int32_t> row = Row(3);
    const int index = IndexOf(3, TileOf(20, 0));
    ASSERT_GE(index, 0);

    // Refused (229450, 10100) or never answered: the tile stays.
    for (const uint32_t refusal : {tp::kResultDiscardRefused, tp::kResultNotCarriedOut}) {
        SCOPED_TRACE(refusal);
        Server().SetResult(tp::kDiscard, refusal);
        EXPECT_EQ(Table().ThrowHandTile(index), 0);
        EXPECT_EQ(Row(3), row);
        EXPECT_EQ(Table().GetLastThrown(3), nullptr);
    }
    Server().SetSilent(tp::kDiscard);
    EXPECT_EQ(Table().ThrowHandTile(index), 0);  // after the 5 s time-out
    EXPECT_EQ(Row(3), row);
    EXPECT_EQ(Table().GetLastThrown(3), nullptr);
    EXPECT_EQ(Server().Count(tp::kDiscard), 3u);

    // Done: the tile is the own last-thrown one, the turn passes on.
    Server().ClearAnswer(tp::kDiscard);
    EXPECT_EQ(Table().ThrowHandTile(index), 1);
    EXPECT_EQ(Table().GetRowCount(3), 13);
    ASSERT_NE(Table().GetLastThrown(3), nullptr);
    EXPECT_EQ(Table().GetLastThrown(3)->tile, TileOf(20, 0));
    EXPECT_EQ(IndexOf(3, TileOf(20, 0)), -1);
    EXPECT_EQ(Table().GetTurnDirection(), 4);
    EXPECT_EQ(Table().GetTableState(), 0);
}

TEST_F(RequestsTest, ClaimResultsLeaveTheTableAsTheRulesSay) {
    Open();
    ASSERT_TRUE(session.StartHand(OwnBankerHand()));
    // Hu held: table state 4; refused: nothing changes.
    Server().SetResult(tp::kHuClaim, tp::kResultNotCarriedOut);
    EXPECT_EQ(Table().SendHuClaim(1, TileOf(3, 2), tp::kHuOnDiscard, 0), 0);
    EXPECT_EQ(Table().GetTableState(), 0);
    Server().SetResult(tp::kHuClaim, tp::kResultHeld);
    EXPECT_NE(Table().SendHuClaim(1, TileOf(3, 2), tp::kHuOnDiscard, 0), 0);
    EXPECT_EQ(Table().GetTableState(), 4);
}

}  // namespace
}  // namespace table_test
