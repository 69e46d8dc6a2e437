// A whole hand played from real server frames through the whole client: the
// hand start and the result reach the table through the tests' stand-in for
// the game's handler, every other step through the mahjong layer's. After
// each step the table is read: table state, turn direction, clock, every
// row (tile ids, hand indices, faces), the wall, the discards, the
// last-thrown tiles, the offer table and the operation buttons. Played once
// as the player of the own chair and once as a looker-on watching it.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "tests/mahjong_client/support/HandRecords.h"
#include "tests/mahjong_client/support/TableSession.h"

namespace table_test {
namespace {

namespace tp = table_protocol;

constexpr int kOwn = 3;  // the own screen position
constexpr int32_t kReaction = 8;
constexpr int32_t kDiscardTime = 15;

// What the whole table must show after a step. A clock of -1 is only
// checked to run.
struct Expected {
    int state = 0;
    int direction = 6;
    int clock = -1;
    int wall = 0;
    std::array<int, 4> concealed{};  // concealed tiles by position
    std::vector<int32_t> ownTiles;   // the own concealed tiles, sorted (a player)
    bool ownDrawn = false;           // the own row has its drawn tile
    std::array<int, 4> melds{};
    std::array<std::vector<int32_t>, 4> discards;
    std::array<int32_t, 4> lastThrown{-1, -1, -1, -1};
    std::vector<int> offered;
    std::vector<int> buttons;

    void Remove(int32_t tile) { ownTiles.erase(std::find(ownTiles.begin(), ownTiles.end(), tile)); }
    void Add(int32_t tile) {
        ownTiles.insert(std::lower_bound(ownTiles.begin(), ownTiles.end(), tile), tile);
    }
};

// What the table shows of one seat.
struct SeatView {
    std::vector<int32_t> row;  // tile ids in row order (200 hidden)
    int melds = 0;
    std::vector<int32_t> discards;
    int32_t lastThrown = -1;  // -1 none
};

class ScriptedHandTest : public ::testing::Test {
protected:
    void Open(bool lookOn) {
        SessionOptions options;
        options.lookOn = lookOn;
        ASSERT_TRUE(session.Open(options)) << session.Error();
        for (int position = 0; position < 4; ++position) {
            chairAt[static_cast<size_t>(position)] = Table().PositionToChair(position);
        }
        ASSERT_EQ(chairAt[kOwn], kOwnChair);
    }
    CMahjongTableView& Table() { return session.Table(); }
    TableServer& Server() { return session.Server(); }
    int Chair(int position) const { return chairAt[static_cast<size_t>(position)]; }

    SeatView Seat(int position) {
        SeatView seat;
        for (int index = 0; index < CMahjongTableView::kRowSize; ++index) {
            CCardSprite* sprite = Table().GetHandSprite(position, index);
            if (sprite == nullptr || sprite->active == 0) {
                continue;
            }
            EXPECT_EQ(sprite->handIndex, index) << "position " << position;
            EXPECT_EQ(sprite->position, position);
            EXPECT_EQ(sprite->kind, CCardSprite::kKindHand);
            // A hidden tile is face down; a known concealed tile face up.
            if (sprite->tile == kHiddenTile) {
                EXPECT_TRUE(sprite->IsFaceDown()) << "position " << position << " " << index;
            } else if (sprite->meldKind == CCardSprite::kMeldNone) {
                EXPECT_FALSE(sprite->IsFaceDown()) << "position " << position << " " << index;
            }
            seat.row.push_back(sprite->tile);
        }
        seat.melds = Table().GetMeldCount(position);
        for (int slot = 0; slot < CMahjongTableView::kDiscardPlaces; ++slot) {
            if (CCardSprite* discard = Table().GetDiscard(position, slot)) {
                EXPECT_FALSE(discard->IsFaceDown());
                seat.discards.push_back(discard->tile);
            }
        }
        if (CCardSprite* thrown = Table().GetLastThrown(position)) {
            seat.lastThrown = thrown->tile;
        }
        return seat;
    }
    // The concealed own tiles, sorted, for comparing with what they should be.
    std::vector<int32_t> SortedRow(int position) {
        std::vector<int32_t> row = Seat(position).row;
        std::sort(row.begin(), row.end());
        return row;
    }
    // The concealed tiles of a row that are hidden (melds not counted).
    int HiddenCount(int position) {
        int hidden = 0;
        for (int index = 0; index < CMahjongTableView::kRowSize; ++index) {
            CCardSprite* sprite = Table().GetHandSprite(position, index);
            hidden += sprite != nullptr && sprite->active != 0 &&
                              sprite->meldKind == CCardSprite::kMeldNone &&
                              sprite->tile == kHiddenTile
                          ? 1
                          : 0;
        }
        return hidden;
    }
    std::vector<int> ButtonsOn() {
        std::vector<int> on;
        for (int kind = kOpPeng; kind <= kOpGuo; ++kind) {
            if (Table().IsOperationButtonOn(kind)) {
                on.push_back(kind);
            }
        }
        return on;
    }
    std::vector<int> Offered() {
        std::vector<int> offered;
        for (int kind = kOpPeng; kind <= kOpGuo; ++kind) {
            if (Table().GetOffer(kind).offered != 0) {
                offered.push_back(kind);
            }
        }
        return offered;
    }
    void ExpectClock(int seconds) {
        EXPECT_GE(Table().GetClockSeconds(), seconds - 1);
        EXPECT_LE(Table().GetClockSeconds(), seconds);
    }
    bool Deliver(int32_t id, const std::vector<uint8_t>& record) {
        const bool done = session.Deliver(id, record);
        session.Run(50);
        return done;
    }

    // The own concealed tiles, sorted.
    std::vector<int32_t> OwnConcealed() {
        std::vector<int32_t> tiles;
        for (int index = 0; index < CMahjongTableView::kRowSize; ++index) {
            CCardSprite* sprite = Table().GetHandSprite(kOwn, index);
            if (sprite != nullptr && sprite->active != 0 &&
                sprite->meldKind == CCardSprite::kMeldNone) {
                tiles.push_back(sprite->tile);
            }
        }
        std::sort(tiles.begin(), tiles.end());
        return tiles;
    }
    // The whole table against what the step must leave.
    void ExpectTable(const std::string& step, const Expected& e) {
        SCOPED_TRACE(step);
        EXPECT_EQ(Table().GetTableState(), e.state);
        EXPECT_EQ(Table().GetTurnDirection(), e.direction);
        if (e.clock >= 0) {
            ExpectClock(e.clock);
        } else {
            EXPECT_GT(Table().GetClockSeconds(), 0);
        }
        EXPECT_EQ(Table().GetWallCount(), e.wall);
        for (int p = 0; p < 4; ++p) {
            SCOPED_TRACE("position " + std::to_string(p));
            const SeatView seat = Seat(p);
            if (p == kOwn && !session.App().IsLookOn()) {
                EXPECT_EQ(OwnConcealed(), e.ownTiles);
                EXPECT_EQ(Table().IsHandDrawn(kOwn) != 0, e.ownDrawn);
            } else {
                EXPECT_EQ(HiddenCount(p), e.concealed[static_cast<size_t>(p)]);
            }
            EXPECT_EQ(seat.melds, e.melds[static_cast<size_t>(p)]);
            EXPECT_EQ(seat.discards, e.discards[static_cast<size_t>(p)]);
            EXPECT_EQ(seat.lastThrown, e.lastThrown[static_cast<size_t>(p)]);
        }
        EXPECT_EQ(Offered(), e.offered);
        EXPECT_EQ(ButtonsOn(), e.buttons);
    }

    // After the own seat's throw: position 2 draws (229160, the throw goes
    // to the discards) and throws; position 1 pengs it (229185) and throws;
    // position 0 gangs that (229195) and draws its replacement from the
    // wall's end. The table is read after each step.
    void OthersPengAndGang(Expected& e, int32_t ownThrow) {
        // Position 2 draws (229160): the own throw goes to the discards.
        ASSERT_TRUE(Deliver(tp::kSeatDraw, SeatDraw(Chair(2), kHiddenTile, 53)));
        EXPECT_NE(Table().IsHandDrawn(2), 0);
        e.discards[kOwn] = {ownThrow};
        e.lastThrown[kOwn] = -1;
        e.concealed[2] = 14;
        e.wall -= 1;
        ExpectTable("position 2 draws", e);

        // Position 2 throws; position 1 pengs it (229185) and throws; position
        // 0 gangs that (229195) and draws its replacement from the wall's end.
        const int32_t pengTile = TileOf(21, 1);
        ASSERT_TRUE(Deliver(tp::kCardThrown, CardThrown(Chair(2), pengTile)));
        e.lastThrown[2] = pengTile;
        e.concealed[2] = 13;
        e.direction = 2;
        ExpectTable("position 2 throws", e);
        ASSERT_TRUE(Deliver(tp::kPengNotice, MeldNotice(Chair(1), Chair(2), pengTile,
                                                        {kHiddenTile, kHiddenTile, -1})));
        EXPECT_EQ(Seat(1).row.size(), 14u);
        e.lastThrown[2] = -1;
        e.melds[1] = 1;
        e.concealed[1] = 11;
        ExpectTable("position 1 pengs", e);
        const int32_t gangTile = TileOf(23, 2);
        ASSERT_TRUE(Deliver(tp::kCardThrown, CardThrown(Chair(1), gangTile)));
        e.lastThrown[1] = gangTile;
        e.concealed[1] = 10;
        e.direction = 0;
        ExpectTable("position 1 throws", e);
        ASSERT_TRUE(Deliver(tp::kGangNotice, MeldNotice(Chair(0), Chair(1), gangTile,
                                                        {kHiddenTile, kHiddenTile, kHiddenTile})));
        EXPECT_EQ(Seat(0).row.size(), 14u);
        e.lastThrown[1] = -1;
        e.melds[0] = 1;
        e.concealed[0] = 10;
        ExpectTable("position 0 gangs", e);
        ASSERT_TRUE(Deliver(tp::kSeatDraw, SeatDraw(Chair(0), kHiddenTile, 107)));
        EXPECT_EQ(Table().GetWallSprite(107), nullptr);
        e.concealed[0] = 11;
        e.wall -= 1;
        ExpectTable("the gang's replacement", e);
    }

    TableSession session;
    std::array<int, 4> chairAt{};
};

// The own tiles: the banker's 14, sorted as they are dealt.
std::vector<int32_t> OwnTiles() {
    return {TileOf(0, 0),  TileOf(1, 0),  TileOf(2, 0),  TileOf(3, 0),  TileOf(4, 0),
            TileOf(6, 0),  TileOf(7, 0),  TileOf(9, 0),  TileOf(10, 0), TileOf(12, 0),
            TileOf(13, 0), TileOf(15, 0), TileOf(17, 0), TileOf(19, 0)};
}

HandStart TheHand() {
    HandStart start;
    start.banker = kOwnChair;
    start.turnChair = kOwnChair;
    start.dice = {3, 4, 0, 0};
    start.wallStart = 0;
    start.reactionTime = kReaction;
    start.discardTime = kDiscardTime;
    start.tilesHeld = {13, 13, 14, 13};
    start.ownTiles = OwnTiles();
    return start;
}

TEST_F(ScriptedHandTest, AHandAsThePlayer) {
    Open(false);
    Expected e;
    // Hand start, dice, deal: the own row 14 face up, the others 13 hidden,
    // 53 tiles left the wall; the own turn with nothing offered.
    ASSERT_TRUE(session.StartHand(TheHand()));
    EXPECT_EQ(session.App().handler.seen.front(), kHandStartId);
    e.wall = 108 - 53;
    e.concealed = {13, 13, 13, 14};
    e.ownTiles = OwnTiles();
    std::sort(e.ownTiles.begin(), e.ownTiles.end());
    e.ownDrawn = true;
    ExpectTable("hand start", e);

    // Own throw: 222080; the tile is the own last-thrown one, the turn
    // passes to position 2 with the discard time.
    const int32_t ownThrow = TileOf(19, 0);
    ASSERT_EQ(Table().ThrowHandTile(Table().FindRowIndex(kOwn, ownThrow)), 1);
    const auto discard = Server().Last<tp::OperationRecord>(tp::kDiscard);
    ASSERT_TRUE(discard.has_value());
    EXPECT_EQ(discard->tile, ownThrow);
    e.Remove(ownThrow);
    e.ownDrawn = false;
    e.lastThrown[kOwn] = ownThrow;
    e.direction = 4;
    e.clock = kDiscardTime;
    ExpectTable("own throw", e);

    // The others play on: draws, a peng, a gang and its replacement.
    ASSERT_NO_FATAL_FAILURE(OthersPengAndGang(e, ownThrow));

    // Position 0 throws a tile the own seat may chi and hu.
    const int32_t chiTile = TileOf(5, 2);
    std::array<int32_t, 4> options{};
    options[kOwnChair] = tp::kOptionChi | tp::kOptionHu | tp::kOptionPass;
    ASSERT_TRUE(Deliver(tp::kCardThrown, CardThrown(Chair(0), chiTile, options)));
    e.lastThrown[0] = chiTile;
    e.concealed[0] = 10;
    e.direction = 6;
    e.offered = {kOpChi, kOpHu, kOpGuo};
    e.buttons = {kOpChi, kOpHu, kOpGuo};
    ExpectTable("a throw offering chi and hu", e);
    EXPECT_EQ(Table().GetOffer(kOpChi).chair, Chair(0));
    EXPECT_EQ(Table().GetOffer(kOpChi).tile, chiTile);
    EXPECT_GT(Table().GetOffer(kOpChi).count, 0);
    EXPECT_EQ(Table().GetOffer(kOpHu).chair, Chair(0));

    // Chi with two raised own tiles: held first (state 3), then accepted:
    // the meld lies in the own row, its last concealed tile is the drawn one
    // and the own seat throws next with the reaction time.
    std::array<int32_t, 2> raised = {TileOf(4, 0), TileOf(6, 0)};
    if (Table().FindRowIndex(kOwn, raised[0]) > Table().FindRowIndex(kOwn, raised[1])) {
        std::swap(raised[0], raised[1]);
    }
    for (const int32_t tile : raised) {
        CCardSprite* sprite = Table().GetHandSprite(kOwn, Table().FindRowIndex(kOwn, tile));
        ASSERT_NE(sprite, nullptr);
        sprite->raised = 1;
    }
    Server().SetResult(tp::kChiClaim, tp::kResultHeld);
    Table().OnChiButton();
    EXPECT_EQ(Server().LastBody(tp::kChiClaim),
              WordsRecord({UserOf(kOwnChair), kRoomId, kTableNo, kOwnChair, Chair(0), chiTile,
                           raised[0], raised[1], -1, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Table().GetTableState(), 3);
    EXPECT_EQ(Seat(0).lastThrown, chiTile);
    Server().ClearAnswer(tp::kChiClaim);
    Table().OnChiButton();
    EXPECT_EQ(Server().Count(tp::kChiClaim), 2u);
    e.Remove(raised[0]);
    e.Remove(raised[1]);
    e.ownDrawn = true;
    e.melds[kOwn] = 1;
    e.lastThrown[0] = -1;
    e.clock = kReaction;
    e.buttons = {};  // the offers stand until the next throw of another seat
    ExpectTable("chi accepted", e);
    EXPECT_EQ(Seat(kOwn).row.size(), 14u);

    // The own seat throws; the others draw and throw around to position 0.
    const int32_t secondThrow = TileOf(17, 0);
    ASSERT_EQ(Table().ThrowHandTile(Table().FindRowIndex(kOwn, secondThrow)), 1);
    e.Remove(secondThrow);
    e.ownDrawn = false;
    e.lastThrown[kOwn] = secondThrow;
    e.direction = 4;
    e.clock = kDiscardTime;
    ExpectTable("second own throw", e);
    int wallIndex = 54;
    int before = kOwn;
    for (int p : {2, 1, 0}) {
        ASSERT_TRUE(Deliver(tp::kSeatDraw, SeatDraw(Chair(p), kHiddenTile, wallIndex++)));
        e.discards[static_cast<size_t>(before)].push_back(
            e.lastThrown[static_cast<size_t>(before)]);
        e.lastThrown[static_cast<size_t>(before)] = -1;
        e.concealed[static_cast<size_t>(p)] += 1;
        e.wall -= 1;
        e.direction = 2 * p;
        ExpectTable("position " + std::to_string(p) + " draws", e);
        const int32_t thrown = TileOf(24 + p, 3);
        ASSERT_TRUE(Deliver(tp::kCardThrown, CardThrown(Chair(p), thrown)));
        e.concealed[static_cast<size_t>(p)] -= 1;
        e.lastThrown[static_cast<size_t>(p)] = thrown;
        e.offered = {};  // made afresh: nothing for the own seat
        e.direction = 2 * Table().GetNextTurnPosition(p);
        ExpectTable("position " + std::to_string(p) + " throws", e);
        before = p;
    }

    // The own draw (229000) of a tile that completes the hand: the Hu
    // button comes on.
    const int32_t winning = TileOf(18, 1);
    Server().SetNextDraw(winning, wallIndex, tp::kOptionHu);
    ASSERT_EQ(Table().CatchCard(), 1);
    EXPECT_EQ(Seat(kOwn).row.front(), winning);
    EXPECT_EQ(Table().GetWallSprite(wallIndex), nullptr);
    e.discards[0].push_back(e.lastThrown[0]);
    e.lastThrown[0] = -1;
    e.Add(winning);
    e.ownDrawn = true;
    e.wall -= 1;
    e.offered = {kOpHu};
    e.buttons = {kOpHu};
    ExpectTable("own draw", e);

    // The self-drawn hu claim, then the hand's result: the clock stops and
    // every button goes off.
    Table().OnHuButton();
    EXPECT_EQ(Server().LastBody(tp::kHuClaim),
              WordsRecord({UserOf(kOwnChair), kRoomId, kTableNo, kOwnChair, kOwnChair, winning,
                           tp::kHuSelfDrawn, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    std::array<int32_t, 4> wins{};
    wins[kOwnChair] = 1;
    session.Table().TakeCalls();
    ASSERT_TRUE(Deliver(kGameResultId, GameResultRecord(kOwnChair, wins)));
    EXPECT_EQ(session.Table().TakeCalls(),
              std::vector<std::string>{"OnRoundEnd " + std::to_string(2432)});
    EXPECT_EQ(session.App().tableData.GetWinnerChair(), kOwnChair);
    EXPECT_TRUE(ButtonsOn().empty());
    const int clock = Table().GetClockSeconds();
    session.Run(1500);
    EXPECT_EQ(Table().GetClockSeconds(), clock) << "the clock stopped";
    EXPECT_EQ(Server().FrameRequests().Count(201162), 0u);
}

TEST_F(ScriptedHandTest, TheSameHandAsALookerOn) {
    Open(true);
    Expected e;
    // A looker-on sees the watched row face down.
    ASSERT_TRUE(session.StartHand(TheHand()));
    e.wall = 108 - 53;
    e.concealed = {13, 13, 13, 14};
    ExpectTable("hand start", e);

    // The watched player throws (222170 from the own chair).
    const int32_t ownThrow = TileOf(19, 0);
    ASSERT_TRUE(Deliver(tp::kCardThrown, CardThrown(kOwnChair, ownThrow)));
    e.concealed[kOwn] = 13;
    e.lastThrown[kOwn] = ownThrow;
    e.direction = 4;
    e.clock = kDiscardTime;
    ExpectTable("the watched player throws", e);

    // The others play on: draws, a peng, a gang and its replacement.
    ASSERT_NO_FATAL_FAILURE(OthersPengAndGang(e, ownThrow));

    // Offers are a player's: a looker-on gets none.
    std::array<int32_t, 4> options{};
    options[kOwnChair] = tp::kOptionChi | tp::kOptionHu | tp::kOptionPass;
    ASSERT_TRUE(Deliver(tp::kCardThrown, CardThrown(Chair(0), TileOf(5, 2), options)));
    e.concealed[0] = 10;
    e.lastThrown[0] = TileOf(5, 2);
    e.direction = 6;
    ExpectTable("a throw the watched player may claim", e);

    // The watched player draws (229160 for its chair).
    ASSERT_TRUE(Deliver(tp::kSeatDraw, SeatDraw(kOwnChair, kHiddenTile, 54)));
    EXPECT_NE(Table().IsHandDrawn(kOwn), 0);
    e.concealed[kOwn] = 14;
    e.discards[0] = {TileOf(5, 2)};
    e.lastThrown[0] = -1;
    e.wall -= 1;
    ExpectTable("the watched player draws", e);

    std::array<int32_t, 4> wins{};
    wins[kOwnChair] = 1;
    ASSERT_TRUE(Deliver(kGameResultId, GameResultRecord(kOwnChair, wins)));
    EXPECT_EQ(session.App().tableData.GetWinnerChair(), kOwnChair);
    // A looker-on sends nothing of the table's.
    EXPECT_TRUE(Server().Requests().empty());
    EXPECT_EQ(Server().FrameRequests().Count(201162), 0u);
}

}  // namespace
}  // namespace table_test
