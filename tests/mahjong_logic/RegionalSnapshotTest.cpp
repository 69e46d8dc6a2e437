#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/mahjong_logic/RegionalPlayTestSupport.h"

namespace {

using RegionalSnapshot = RegionalFixture;

void ExpectZero(const std::vector<uint8_t>& bytes, size_t from, size_t to) {
    for (size_t k = from; k < to; ++k) {
        ASSERT_EQ(bytes[k], 0) << "byte " << k;
    }
}

// A hand in play: seat 1 pengs seat 2's 5 and discards; seat 0 has a
// concealed kong and a won tile laid aside; seat 3 has declared; the swap
// is over.
struct PlayedHand {
    RegionalPlayTable table;
    std::vector<int> viewerHand;
    std::vector<int> kong;
    int pengTile = -1;
    int viewerDiscard = -1;
    int otherTile = -1;  // seat 2's one tile

    PlayedHand() {
        table.BuildIdentityWall();
        table.SetBankerSeat(0);
        viewerHand = table.Give(1, {5, 5, 11, 12, 13, 21});
        const auto other = table.Give(2, {5, 29});
        pengTile = other[0];
        otherTile = other[1];
        kong = table.Give(0, {7, 7, 7, 7, 28});
        table.Turn(0);
        EXPECT_EQ(table.ConcealedKong(MeldRequest(0, 0, kong[3], {kong[0], kong[1], kong[2]})), 1);
        table.Turn(2);
        EXPECT_EQ(table.DiscardOne(2, pengTile), 1);
        table.OpenClaims();
        TableRequest peng = MeldRequest(1, 2, pengTile, {viewerHand[0], viewerHand[1]});
        peng.words[11] = 1;
        EXPECT_EQ(table.Peng(peng), 1);
        viewerDiscard = viewerHand[5];
        EXPECT_EQ(table.DiscardOne(1, viewerDiscard), 1);
        viewerHand = {viewerHand[2], viewerHand[3], viewerHand[4]};
        table.SetDeclared(3, true);
        table.SetReadyGranted(1);
        table.SetSwapDone(4);
        table.SetSwapChoice(1, {60, 61, 62});
        table.SetCandidate(0, viewerHand[0], 29);
        table.SetLastDrawn(viewerHand[1]);
    }
};

TEST_F(RegionalSnapshot, NamedOffsetsOfTheGameState) {
    PlayedHand hand;
    RegionalPlayTable& table = hand.table;
    EXPECT_EQ(table.GetGameStateSize(), 15156);
    EXPECT_EQ(table.GetHeaderSize(), 952);
    EXPECT_EQ(table.GetResultSize(), 2432);

    std::vector<uint8_t> state(15156, 0xAB);
    ASSERT_TRUE(table.PackGameState(state, 1, false));
    // The header.
    EXPECT_EQ(WordAt(state, 44), 0);       // banker
    EXPECT_EQ(WordAt(state, 72), 15);      // operation time-out
    EXPECT_EQ(WordAt(state, 196 + 0), 1);  // seat 0: the 28 left beside its kong
    EXPECT_EQ(WordAt(state, 196 + 4), 3);
    EXPECT_EQ(WordAt(state, 196 + 8), 1);
    EXPECT_EQ(WordAt(state, 196 + 12), 0);
    for (size_t k = 0; k < 32; ++k) {
        EXPECT_EQ(WordAt(state, 212 + 4 * k), k < 3 ? hand.viewerHand[k] : -1) << k;
    }
    EXPECT_EQ(WordAt(state, 340), -1);  // no set-aside tiles yet
    EXPECT_EQ(WordAt(state, 916), 0);
    EXPECT_EQ(WordAt(state, 932), 1);
    ExpectZero(state, 168, 196);
    ExpectZero(state, 936, 952);
    // The meld block at 952, by word offset.
    auto block = [&](size_t word) { return WordAt(state, 952 + 4 * word); };
    EXPECT_EQ(block(168 + 1), 1);             // seat 1's pengs
    EXPECT_EQ(block(42 + 2), hand.pengTile);  // its claimed tile after the hand tiles
    EXPECT_EQ(block(42 + 4), 2);              // from seat 2
    EXPECT_EQ(block(516), hand.kong[0]);      // seat 0's concealed kong
    EXPECT_EQ(block(516 + 5), 1);             // made before the 4th discard
    EXPECT_EQ(block(684), 1);
    EXPECT_EQ(block(344), -1);                       // no exposed kong
    EXPECT_EQ(block(860 + 36), hand.viewerDiscard);  // seat 1's discards
    EXPECT_EQ(block(1004 + 1), 1);
    EXPECT_EQ(block(1004 + 2), 0);  // the 5 left seat 2's list
    EXPECT_EQ(block(1008), -1);
    ExpectZero(state, 952 + 4 * 1156, 5624);
    // The regional parts.
    EXPECT_EQ(WordAt(state, 6648), 0);
    EXPECT_EQ(WordAt(state, 6652), hand.viewerHand[1]);
    EXPECT_EQ(WordAt(state, 6656), 100);
    EXPECT_EQ(WordAt(state, 6704), 50);
    EXPECT_EQ(WordAt(state, 6752), 4);
    EXPECT_EQ(WordAt(state, 6756), 60);
    EXPECT_EQ(WordAt(state, 6764), 62);
    EXPECT_EQ(WordAt(state, 6768), 1);
    EXPECT_EQ(WordAt(state, 6772), hand.viewerHand[0]);
    EXPECT_EQ(WordAt(state, 6776), -1);
    EXPECT_EQ(WordAt(state, 6900 + 4 * 29), 1);
    EXPECT_EQ(WordAt(state, 15092 + 12), 1);
    EXPECT_EQ(WordAt(state, 15092 + 4), 0);
    EXPECT_EQ(WordAt(state, 15124 + 4), 1);
    EXPECT_EQ(WordAt(state, 15140), 0);
    // The header alone is the snapshot's first 952 bytes.
    std::vector<uint8_t> header(952, 0xAB);
    ASSERT_TRUE(table.PackHeader(header, 1, false));
    EXPECT_TRUE(std::equal(header.begin(), header.end(), state.begin()));

    // During the swap the exchange stays out; a short operation time-out is
    // marked.
    MahjongTableParameters quick = kRegionalTableParameters;
    quick.operationTimeout = 4;
    RegionalPlayTable swapping(quick);
    swapping.SetSwapDone(2);
    swapping.BeginPlay();
    ASSERT_TRUE(swapping.PackGameState(state, 0, false));
    ExpectZero(state, 6656, 6756);
    EXPECT_EQ(WordAt(state, 15140), 3);

    // Short buffers are refused untouched.
    std::vector<uint8_t> shortState(15155, 0xAB);
    std::vector<uint8_t> shortHeader(951, 0xAB);
    EXPECT_FALSE(table.PackGameState(shortState, 1, false));
    EXPECT_FALSE(table.PackHeader(shortHeader, 1, false));
    EXPECT_TRUE(
        std::all_of(shortState.begin(), shortState.end(), [](uint8_t b) { return b == 0xAB; }));
    EXPECT_TRUE(
        std::all_of(shortHeader.begin(), shortHeader.end(), [](uint8_t b) { return b == 0xAB; }));
}

TEST_F(RegionalSnapshot, TheHideFlagAndAStrangerLeaveNoHandId) {
    PlayedHand hand;
    for (const auto& [viewer, hide] :
         {std::pair{1, true}, std::pair{7, false}, std::pair{-1, false}}) {
        std::vector<uint8_t> state(15156, 0xAB);
        ASSERT_TRUE(hand.table.PackGameState(state, viewer, hide));
        for (size_t k = 0; k < 32; ++k) {
            EXPECT_EQ(WordAt(state, 212 + 4 * k), -1) << viewer;
        }
        EXPECT_EQ(WordAt(state, 6652), 0) << viewer;
        ExpectZero(state, 6756, 6768);
        for (size_t k = 0; k < 32; ++k) {
            EXPECT_EQ(WordAt(state, 6772 + 4 * k), -1) << viewer;
        }
        ExpectZero(state, 6900, 15092);
        EXPECT_EQ(WordAt(state, 6648), 0);
        // The public parts stay.
        EXPECT_EQ(WordAt(state, 196 + 4), 3);
        EXPECT_EQ(WordAt(state, 952 + 4 * 169), 1);
    }
    // Another seat sees neither the viewer's hand nor its last drawn tile.
    std::vector<uint8_t> state(15156, 0xAB);
    ASSERT_TRUE(hand.table.PackGameState(state, 2, false));
    EXPECT_EQ(WordAt(state, 212), hand.otherTile);
    EXPECT_EQ(WordAt(state, 216), -1);
    EXPECT_EQ(WordAt(state, 6652), 0);
    EXPECT_EQ(WordAt(state, 6772), -1);
}

TEST_F(RegionalSnapshot, TheResultRecordOfAWinOnADiscard) {
    RegionalPlayTable table;
    table.StartTestHand();
    // Seat 2 wins on seat 1's 5 with an all-triplets hand; seat 0 has a kong.
    const auto winner = table.Give(2, {11, 11, 11, 12, 12, 12, 13, 13, 13, 22, 22, 22, 5});
    const auto discard = table.Give(1, {5, 21});
    table.AddMeld(0, kMeldConcealedKong, 7);
    table.Turn(1);
    ASSERT_EQ(table.DiscardOne(1, discard[0]), 1);
    table.OpenClaims();
    TableRequest hu = HuRequest(2, 1, discard[0], kHuOnDiscard);
    ASSERT_EQ(table.ResolveHu(hu), 1);
    table.SetEndFlags();
    TableRequest aside;
    aside.words[3] = 2;
    aside.words[4] = discard[0];
    ASSERT_EQ(table.SetAsideTile(aside), 1);
    PerSeat<int32_t> scores{};
    table.SettleHand(scores);

    TableResult settled;
    settled.mode = 2;  // the base's mode word, which would read as "drawn"
    settled.playerCount = 4;
    std::vector<uint8_t> record(2432, 0xAB);
    ASSERT_TRUE(table.PackResult(record, settled));
    EXPECT_EQ(WordAt(record, 0), static_cast<int32_t>(kEndOnDiscard));
    EXPECT_EQ(WordAt(record, 8), 4);
    EXPECT_EQ(WordAt(record, 452), 1);       // seat 0's concealed kong
    EXPECT_EQ(WordAt(record, 484 + 8), 1);   // seat 2's set-aside tile
    EXPECT_EQ(WordAt(record, 500 + 8), 12);  // "大对子"
    EXPECT_EQ(WordAt(record, 516 + 8), 1);
    EXPECT_EQ(WordAt(record, 516 + 4), 0);
    EXPECT_EQ(WordAt(record, 532), 1);
    EXPECT_EQ(WordAt(record, 536), 2);
    EXPECT_EQ(WordAt(record, 540), discard[0]);
    EXPECT_EQ(WordAt(record, 548), 2);  // the winner is the next banker
    EXPECT_EQ(WordAt(record, 556), 1);
    EXPECT_EQ(WordAt(record, 688 + 8), 13);
    EXPECT_EQ(WordAt(record, 688 + 4), 1);
    EXPECT_EQ(WordAt(record, 704 + 128 * 2), winner[12]);  // wall order: the 5 first
    EXPECT_EQ(WordAt(record, 704 + 128 * 2 + 4 * 13), -1);
    EXPECT_EQ(WordAt(record, 704 + 128 + 4), -1);
    std::string names;
    for (int t = 0; t < kRegionalHuTypeCount; ++t) {
        names += (t > 0 ? "|" : "") + std::string(CRegionalMahjongRules::HuType(t).name);
    }
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(record.data() + 1216)), names);
    EXPECT_EQ(std::count(names.begin(), names.end(), '|'), 13);
    // "大对子" is main (base 12); "屁胡" keeps no base or multiplier.
    EXPECT_EQ(WordAt(record, 2240 + 4 * kTypeAllTriplets), 12);
    EXPECT_EQ(WordAt(record, 2240 + 4 * kTypePlain), 0);
    EXPECT_EQ(WordAt(record, 2296 + 4 * kTypeAllTriplets), 0);
    EXPECT_EQ(WordAt(record, 2296 + 4 * kTypeOneSuit), 0);
    EXPECT_EQ(WordAt(record, 2352 + 8), 0);
    EXPECT_EQ(WordAt(record, 2368 + 8), 1);  // seat 2's wins
    EXPECT_EQ(WordAt(record, 2368 + 4), 0);
    EXPECT_EQ(WordAt(record, 2400), 6);  // seat 0's concealed kong
    EXPECT_EQ(WordAt(record, 2384), 0);
    ExpectZero(record, 2416, 2432);

    std::vector<uint8_t> shortRecord(2431, 0xAB);
    EXPECT_FALSE(table.PackResult(shortRecord, settled));
    EXPECT_EQ(shortRecord[0], 0xAB);
}

TEST_F(RegionalSnapshot, TheResultRecordOfADrawnHand) {
    RegionalPlayTable table;
    table.StartTestHand();
    table.SetBankerSeat(3);
    // Seat 1 waits on the 5 with a one-suit hand; nobody else waits.
    table.Give(1, {1, 2, 3, 4, 4, 4, 6, 7, 8, 9, 9, 5, 5});
    table.Give(0, {1, 11, 21, 3, 13, 23, 6, 16, 26, 9, 19, 29, 15});
    table.DrawnHand();
    ASSERT_GT(table.ReadyValue(1), 0);
    TableResult settled;
    settled.mode = 2;
    std::vector<uint8_t> record(2432, 0xAB);
    ASSERT_TRUE(table.PackResult(record, settled));
    EXPECT_EQ(WordAt(record, 0), static_cast<int32_t>(kEndDrawn));
    EXPECT_EQ(WordAt(record, 536), -1);  // a standoff
    EXPECT_EQ(WordAt(record, 548), 3);   // the banker stays
    EXPECT_EQ(WordAt(record, 556), 0);
    EXPECT_EQ(WordAt(record, 2352 + 4), table.ReadyValue(1));
    EXPECT_EQ(WordAt(record, 2352), 0);
    ExpectZero(record, 2240, 2352);
}

}  // namespace
