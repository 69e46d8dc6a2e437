// Bad notifications from the server over the real connection to the
// program's client at a dealt table: each one cut at every field is refused
// (one failure report) and changes nothing the player sees; a chair off the
// table is dropped; a negative die swaps as its remainder says; and after
// each the connection carries the next good notification, which is shown.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/CorvanePicture.h"
#include "frame/view/GameFrameView.h"
#include "game/app/RegionalMahjongApp.h"
#include "game/table/RegionalTableView.h"
#include "mahjong_client/MahjongTableData.h"
#include "tests/game/badinput/BadInputTable.h"
#include "zep/ZepWire.h"

namespace {

namespace tp = table_protocol;
using badinput_test::BadInputTable;
using badinput_test::FieldCuts;
using badinput_test::Outcome;
using badinput_test::Throw;

std::vector<uint8_t> GangHu(int32_t ganger, int32_t offerChair, int32_t tile, int32_t ownOptions) {
    tp::GangHuNotice notice;
    notice.ganger = ganger;
    notice.offerChair = offerChair;
    notice.tile = tile;
    notice.gangKind = 1;
    notice.chairOptions[badinput_test::kOwnChair] = ownOptions;
    return tp::WriteTableRecord(notice);
}

class BadNoticesTest : public BadInputTable {};

TEST_F(BadNoticesTest, ThrowsCutOrFromNoChairChangeNothingAndTheNextThrowIsShown) {
    ASSERT_NO_FATAL_FAILURE(DealAndPlay());
    const std::string dealt = Describe();
    for (const int32_t id : {tp::kCardThrown, tp::kTingThrowNotice}) {
        SCOPED_TRACE(id);
        const std::vector<uint8_t> whole = Throw(1, 19, tp::kOptionPeng | tp::kOptionPass);
        ASSERT_NO_FATAL_FAILURE(SendCuts(id, whole, FieldCuts<tp::CardThrownNotice>()));
        for (const int32_t chair : {-1, 4, 8, 0x7fffffff}) {
            SCOPED_TRACE("chair " + std::to_string(chair));
            ASSERT_NO_FATAL_FAILURE(Send(id, Throw(chair, 19, tp::kOptionPeng), Outcome::kDropped));
            EXPECT_EQ(Describe(), dealt);
        }
    }
    // A good throw after all that: chair 1's tile lies on the table and the
    // peng is offered with the own pair.
    const int thrower = PositionOf(1);
    const int rowBefore = View().GetRowCount(thrower);
    ASSERT_NO_FATAL_FAILURE(
        Send(tp::kCardThrown, Throw(1, 19, tp::kOptionPeng | tp::kOptionPass), Outcome::kApplied));
    ASSERT_NE(View().GetLastThrown(thrower), nullptr);
    EXPECT_EQ(View().GetLastThrown(thrower)->tile, 19);
    EXPECT_EQ(View().GetRowCount(thrower), rowBefore - 1);
    EXPECT_EQ(View().GetOffer(kOpPeng).offered, 1);
    EXPECT_EQ(View().GetOffer(kOpPeng).chair, 1);
    EXPECT_EQ(View().GetOffer(kOpPeng).tiles[0], 1);
    EXPECT_EQ(View().GetOffer(kOpPeng).tiles[1], 10);
    EXPECT_EQ(View().GetTurnDirection(), 2 * View().GetNextTurnPosition(thrower));
    // A good ready-hand throw by chair 2: its tile and its badge.
    const int declarer = PositionOf(2);
    ASSERT_NO_FATAL_FAILURE(Send(tp::kTingThrowNotice, Throw(2, 20, 0), Outcome::kApplied));
    ASSERT_NE(View().GetLastThrown(declarer), nullptr);
    EXPECT_EQ(View().GetLastThrown(declarer)->tile, 20);
    EXPECT_EQ(g_bBaoJiao[2], 1);
    ASSERT_NE(View().GetBaoJiaoBadge(declarer), nullptr);
    EXPECT_NE(View().GetBaoJiaoBadge(declarer)->IsVisible(), 0);
    EXPECT_EQ(g_bBaoJiao[0] + g_bBaoJiao[1] + g_bBaoJiao[3], 0);
    EXPECT_EQ(server.ProtocolErrors(), 0u);
}

TEST_F(BadNoticesTest, GangHuNoticesAndLookCardAnswersCutOrFromNoChair) {
    ASSERT_NO_FATAL_FAILURE(DealAndPlay());
    const std::string dealt = Describe();
    ASSERT_NO_FATAL_FAILURE(SendCuts(tp::kGangHuNotice, GangHu(2, 1, 27, tp::kOptionHu),
                                     FieldCuts<tp::GangHuNotice>()));
    for (const int32_t chair : {-1, 4}) {
        ASSERT_NO_FATAL_FAILURE(
            Send(tp::kGangHuNotice, GangHu(chair, 1, 27, tp::kOptionHu), Outcome::kDropped));
        EXPECT_EQ(Describe(), dealt);
    }
    // The chair kept with the hu offer is taken only from the table; any
    // other stays with the ganger.
    for (const int32_t offerChair : {-1, 4}) {
        ASSERT_NO_FATAL_FAILURE(
            Send(tp::kGangHuNotice, GangHu(2, offerChair, 27, tp::kOptionHu), Outcome::kApplied));
        EXPECT_EQ(View().GetOffer(kOpHu).offered, 1);
        EXPECT_EQ(View().GetOffer(kOpHu).chair, 2) << "offer chair " << offerChair;
        EXPECT_EQ(View().GetOffer(kOpHu).tile, 27);
    }
    ASSERT_NO_FATAL_FAILURE(
        Send(tp::kGangHuNotice, GangHu(2, 1, 27, tp::kOptionHu), Outcome::kApplied));
    EXPECT_EQ(View().GetOffer(kOpHu).chair, 1);
    EXPECT_EQ(View().GetOffer(kOpHu).huGangKind, 1);

    // A looker-on's answer: cut, or from no chair, it writes no line.
    tp::LookCardAnswerRecord answer;
    answer.answeringUser = game_test::WindowUserOf(1);
    answer.answeringChair = 1;
    answer.lookerOn = game_test::WindowUserOf(9);
    answer.allowed = 1;
    const std::string chat = window.ChatText();
    ASSERT_NO_FATAL_FAILURE(SendCuts(tp::kLookCardAnswer, tp::WriteTableRecord(answer),
                                     FieldCuts<tp::LookCardAnswerRecord>()));
    for (const int32_t chair : {-1, 4}) {
        answer.answeringChair = chair;
        ASSERT_NO_FATAL_FAILURE(
            Send(tp::kLookCardAnswer, tp::WriteTableRecord(answer), Outcome::kDropped));
    }
    EXPECT_EQ(window.ChatText(), chat);
    answer.answeringChair = 1;
    ASSERT_NO_FATAL_FAILURE(
        Send(tp::kLookCardAnswer, tp::WriteTableRecord(answer), Outcome::kApplied));
    const std::string added = window.ChatText().substr(chat.size());
    EXPECT_NE(added.find("允许"), std::string::npos) << added;
    EXPECT_NE(added.find("看牌"), std::string::npos) << added;
    EXPECT_EQ(server.ProtocolErrors(), 0u);
}

TEST_F(BadNoticesTest, SwapDiceCutAreRefusedAndANegativeDieSwapsAcross) {
    ASSERT_NO_FATAL_FAILURE(Deal(HandStart(tp::kStartHandRunning | tp::kStartSwapPhase)));
    tp::SwapDiceNotice swap;
    swap.die = -1;  // its remainder is 2: the chair across gives
    swap.tingList.fill(tp::kNoTile);
    const std::array<int32_t, 3> given = {5, 14, 6};
    const std::array<int32_t, 3> received = {40, 41, 42};
    for (size_t i = 0; i < 3; ++i) {
        swap.given[i] = given[i];
        swap.received[i] = received[i];
    }
    const std::vector<uint8_t> whole = tp::WriteTableRecord(swap);
    ASSERT_NO_FATAL_FAILURE(SendCuts(tp::kSwapDice, whole, FieldCuts<tp::SwapDiceNotice>()));

    const std::string chat = window.ChatText();
    ASSERT_NO_FATAL_FAILURE(Send(tp::kSwapDice, whole, Outcome::kApplied));
    std::vector<int32_t> expected = badinput_test::kOwnTiles;
    for (int32_t tile : given) {
        expected.erase(std::find(expected.begin(), expected.end(), tile));
    }
    expected.insert(expected.end(), received.begin(), received.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_TRUE(window.RunUntil([&] { return OwnTilesShown() == expected; }))
        << "the own row never took the swap";
    // The own line names the chair across (chair 2) as the giver.
    ASSERT_TRUE(window.RunUntil([&] { return window.ChatText().size() > chat.size(); }));
    const std::string added = window.ChatText().substr(chat.size());
    const std::string ownLine = added.substr(0, added.find('\n'));
    const std::string across = window.App().GetChairUserName(2);
    ASSERT_FALSE(across.empty());
    EXPECT_NE(ownLine.find(across), std::string::npos) << ownLine;
    EXPECT_EQ(ownLine.find(window.App().GetChairUserName(1)), std::string::npos) << ownLine;
    EXPECT_EQ(ownLine.find(window.App().GetChairUserName(3)), std::string::npos) << ownLine;
    // The connection carries the next throw.
    ASSERT_NO_FATAL_FAILURE(Send(tp::kCardThrown, Throw(3, 27, 0), Outcome::kApplied));
    ASSERT_NE(View().GetLastThrown(PositionOf(3)), nullptr);
    EXPECT_EQ(View().GetLastThrown(PositionOf(3))->tile, 27);
    EXPECT_EQ(server.ProtocolErrors(), 0u);
}

TEST_F(BadNoticesTest, SwapDiceWithNoChoiceOpenStillEndTheSwapOfAHandEnteredByItsState) {
    // Entering a table during its swap: the hand's state opens no choice.
    std::vector<uint8_t> state(tp::kHandStateBytes, 0);
    ZepWireWriter(std::span(state).subspan(14 * 4))
        .WriteI32(tp::kStartHandRunning | tp::kStartSwapPhase);
    ASSERT_NO_FATAL_FAILURE(Send(tp::kHandState, state, Outcome::kApplied));
    tp::SwapDiceNotice swap;
    swap.die = 4;
    swap.tingList.fill(tp::kNoTile);
    ASSERT_NO_FATAL_FAILURE(Send(tp::kSwapDice, tp::WriteTableRecord(swap), Outcome::kDropped));
    // The frame's "entered a running game" after the swap opens no choice.
    window.App().GetFrameView()->OnEnterResult210210();
    ASSERT_NO_FATAL_FAILURE(Send(tp::kCardThrown, Throw(3, 27, 0), Outcome::kApplied));
    ASSERT_NE(View().GetLastThrown(PositionOf(3)), nullptr)
        << "the throw after the swap was dropped";
    EXPECT_EQ(View().GetLastThrown(PositionOf(3))->tile, 27);
    EXPECT_EQ(View().GetSwapChoiceButton()->IsVisible(), 0);
}

TEST_F(BadNoticesTest, AThrowFromAnEmptyRowStillShowsTheTile) {
    ASSERT_NO_FATAL_FAILURE(DealAndPlay());
    // Chair 1 throws more tiles than its row holds.
    const int thrower = PositionOf(1);
    const int held = View().GetRowCount(thrower);
    ASSERT_GT(held, 0);
    for (int i = 0; i <= held; ++i) {
        const int32_t tile = 36 + i;
        ASSERT_NO_FATAL_FAILURE(Send(tp::kCardThrown, Throw(1, tile, 0), Outcome::kApplied));
        ASSERT_NE(View().GetLastThrown(thrower), nullptr) << "throw " << i;
        EXPECT_EQ(View().GetLastThrown(thrower)->tile, tile);
    }
    EXPECT_EQ(View().GetRowCount(thrower), 0);
    EXPECT_EQ(server.ProtocolErrors(), 0u);
}

TEST_F(BadNoticesTest, HandStartsWithSeatsOffTheTableOrTooManyTiles) {
    // A banker off the table: nothing is dealt, and the table still takes
    // the next notifications.
    tp::HandStartRecord start = HandStart(tp::kStartHandRunning | CMahjongTableData::kStartFlag100);
    start.banker = 5;
    ASSERT_NO_FATAL_FAILURE(Send(tp::kHandStart, tp::WriteTableRecord(start), Outcome::kApplied));
    window.Run(3000);
    EXPECT_TRUE(OwnTilesShown().empty());
    ASSERT_NO_FATAL_FAILURE(Send(tp::kCardThrown, Throw(2, 40, 0), Outcome::kApplied));
    ASSERT_NE(View().GetLastThrown(PositionOf(2)), nullptr);
    EXPECT_EQ(View().GetLastThrown(PositionOf(2))->tile, 40);

    // A wall start off the wall: refused with one line, nothing dealt.
    start.banker = badinput_test::kOwnChair;
    for (const int32_t wallStart : {INT32_MAX, -1}) {
        start.wallStart = wallStart;
        ASSERT_NO_FATAL_FAILURE(
            Send(tp::kHandStart, tp::WriteTableRecord(start), Outcome::kApplied));
        window.Run(3000);
        EXPECT_TRUE(OwnTilesShown().empty()) << wallStart;
        const std::string line = "wall start " + std::to_string(wallStart) + ": nothing dealt";
        EXPECT_EQ(window.Folder().LogLinesWith(line).size(), 1u) << line;
    }
    start.wallStart = 0;

    // The seat to act off the table (no placeholder tile) and more own
    // tiles than a row holds, entered as a running hand (the table cleared,
    // then the frame's "entered a running game"): the row takes what fits
    // of the 32 listed.
    start.banker = 3;
    start.turnChair = -1;
    start.seatTileCounts[badinput_test::kOwnChair] = 40;
    for (size_t i = 0; i < start.ownTiles.size(); ++i) {
        start.ownTiles[i] = static_cast<int32_t>(i);
    }
    ASSERT_NO_FATAL_FAILURE(Send(tp::kHandStart, tp::WriteTableRecord(start), Outcome::kApplied));
    window.Run(3000);
    View().ClearTable();
    ASSERT_NE(window.App().GetFrameView(), nullptr);
    window.App().GetFrameView()->OnEnterResult210210();
    window.Run(200);
    // 40 leaves no drawn tile: the tiles start at index 1, 31 of them.
    std::vector<int32_t> expected;
    for (int32_t tile = 0; tile < 31; ++tile) {
        expected.push_back(tile);
    }
    EXPECT_EQ(OwnTilesShown(), expected);
    EXPECT_EQ(Row(3).size(), 32u);
    ASSERT_NO_FATAL_FAILURE(Send(tp::kCardThrown, Throw(1, 41, 0), Outcome::kApplied));
    ASSERT_NE(View().GetLastThrown(PositionOf(1)), nullptr);
    EXPECT_EQ(View().GetLastThrown(PositionOf(1))->tile, 41);
    EXPECT_EQ(server.ProtocolErrors(), 0u);
}

}  // namespace
