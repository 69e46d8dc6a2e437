#include <gtest/gtest.h>

#include <vector>

#include "tests/mahjong_logic/MahjongPlayTestSupport.h"

namespace {

using MahjongSnapshot = MahjongFixture;

int32_t Word(const std::vector<uint8_t>& bytes, size_t index) {
    return WordAt(bytes, index * 4);
}

// Seat 1 holds a hand; seat 2 has discarded a 5 and seat 3 made a peng of it.
void PlayAPeng(PlayTable& table) {
    table.Give(1, {TileId(0, 1, 0), TileId(0, 2, 0)});
    table.Give(3, {TileId(0, 5, 0), TileId(0, 5, 1), TileId(2, 1, 0), TileId(2, 9, 0)});
    table.Give(2, {TileId(0, 5, 2), TileId(1, 1, 0)});
    table.Turn(2);
    ASSERT_EQ(table.DiscardOne(2, TileId(0, 5, 2)), 1);
    table.OpenClaims();
    ASSERT_EQ(table.Peng(MeldRequest(3, 2, TileId(0, 5, 2), {TileId(0, 5, 0), TileId(0, 5, 1)})),
              1);
    table.Turn(3);
    ASSERT_EQ(table.DiscardOne(3, TileId(2, 9, 0)), 1);
}

TEST_F(MahjongSnapshot, SizesAndTheTableHeader) {
    PlayTable table;
    EXPECT_EQ(table.GetGameStateSize(), 9436);
    EXPECT_EQ(table.GetHeaderSize(), 196);
    EXPECT_EQ(table.GetPlayerStateSize(), 1096);
    EXPECT_EQ(table.GetResultSize(), 688);

    std::vector<uint8_t> header(196, 0xAB);
    ASSERT_TRUE(table.PackHeader(header, 0, false));
    EXPECT_EQ(WordAt(header, 0), -1);   // table number
    EXPECT_EQ(WordAt(header, 12), 4);   // players
    EXPECT_EQ(WordAt(header, 44), 0);   // banker
    EXPECT_EQ(WordAt(header, 48), 1);   // streak
    EXPECT_EQ(WordAt(header, 72), 15);  // operation time-out
    EXPECT_EQ(WordAt(header, 76), 0x7FFFFFFF);
    EXPECT_EQ(WordAt(header, 80), 2);
    EXPECT_EQ(WordAt(header, 92), 3);
    EXPECT_EQ(WordAt(header, 96), 4);
    EXPECT_EQ(WordAt(header, 112), 0);  // no chi
    EXPECT_EQ(WordAt(header, 116), 1);  // rule flag 0x20000000
    EXPECT_EQ(WordAt(header, 120), 0);
    EXPECT_EQ(WordAt(header, 124), 1);
    EXPECT_EQ(WordAt(header, 128), 41);  // wall start
    EXPECT_EQ(WordAt(header, 132), -1);
    EXPECT_EQ(WordAt(header, 144), -1);  // no wild indicator
    EXPECT_EQ(WordAt(header, 152), 94);  // front draw position
    EXPECT_EQ(WordAt(header, 156), 10);
    EXPECT_EQ(WordAt(header, 160), 2);
    for (size_t k = 168; k < 196; ++k) {
        EXPECT_EQ(header[k], 0) << k;
    }
}

TEST_F(MahjongSnapshot, SecondsSinceThePhaseTick) {
    PlayTable table;
    table.Turn(0);
    TestClock::Advance(4200);
    std::vector<uint8_t> header(196);
    ASSERT_TRUE(table.PackHeader(header, 0, false));
    EXPECT_EQ(WordAt(header, 164), 4);
    std::vector<uint8_t> state(9436);
    ASSERT_TRUE(table.PackGameState(state, 0, false));
    EXPECT_EQ(Word(state, 81), 4200);
}

TEST_F(MahjongSnapshot, NamedOffsetsOfTheGameState) {
    PlayTable table;
    PlayAPeng(table);
    std::vector<uint8_t> state(9436, 0xAB);
    ASSERT_TRUE(table.PackGameState(state, 1, false));
    EXPECT_EQ(Word(state, 0), -1);
    EXPECT_EQ(Word(state, 1), 1);
    EXPECT_EQ(Word(state, 2), 4);
    EXPECT_EQ(static_cast<uint32_t>(Word(state, 3)), 0xA0003100u);
    EXPECT_EQ(Word(state, 31), 0);  // banker
    EXPECT_EQ(Word(state, 40), 3);  // dice
    EXPECT_EQ(static_cast<uint32_t>(Word(state, 44)), table.TableState());
    EXPECT_EQ(Word(state, 84), 108);
    EXPECT_EQ(Word(state, 88), 49);
    EXPECT_EQ(Word(state, 92), 0x7FFFFFFF);
    EXPECT_EQ(Word(state, 93), 2);
    EXPECT_EQ(Word(state, 95), 0);    // winning low bid
    EXPECT_EQ(Word(state, 96), 100);  // default stake
    EXPECT_EQ(Word(state, 874), 100);
    EXPECT_EQ(Word(state, 98), -1);    // acting seat
    EXPECT_EQ(Word(state, 99), -1);    // the viewer is not the banker
    EXPECT_EQ(Word(state, 868), 100);  // stake
    EXPECT_EQ(Word(state, 869), 41);
    EXPECT_EQ(Word(state, 873), 10);
    EXPECT_EQ(static_cast<uint32_t>(Word(state, 875)), 0x000B0007u);
    EXPECT_EQ(Word(state, 884), 94);
    // Seat 1's hand in its own block, every other block empty.
    EXPECT_EQ(Word(state, 131 + 64), TileId(0, 1, 0));
    EXPECT_EQ(Word(state, 131 + 65), TileId(0, 2, 0));
    EXPECT_EQ(Word(state, 131 + 66), -1);
    EXPECT_EQ(Word(state, 131 + 3 * 64), -1);
    // The peng fed by seat 2.
    EXPECT_EQ(Word(state, 903 + 2 * 4 + 3), 1);
    // The meld block: seat 3's peng, the discards and their lengths.
    const size_t melds = 951;
    const size_t seat3Peng = melds + 3 * 6 * 7;
    EXPECT_EQ(Word(state, seat3Peng), TileId(0, 5, 0));
    EXPECT_EQ(Word(state, seat3Peng + 2), TileId(0, 5, 2));
    EXPECT_EQ(Word(state, seat3Peng + 3), -1);
    EXPECT_EQ(Word(state, seat3Peng + 4), 2);   // source
    EXPECT_EQ(Word(state, seat3Peng + 7), -1);  // the next entry is empty
    EXPECT_EQ(Word(state, seat3Peng + 7 + 4), -1);
    EXPECT_EQ(Word(state, melds + 168 + 3), 1);
    EXPECT_EQ(Word(state, melds + 172), -1);  // chi list
    EXPECT_EQ(Word(state, melds + 860 + 3 * 36), TileId(2, 9, 0));
    EXPECT_EQ(Word(state, melds + 860 + 2 * 36), -1);  // the claimed 5 left seat 2's list
    EXPECT_EQ(Word(state, melds + 1004 + 3), 1);
    EXPECT_EQ(Word(state, melds + 1004 + 2), 0);
    EXPECT_EQ(Word(state, melds + 1008), -1);
    EXPECT_EQ(Word(state, melds + 1152), 0);
    for (size_t w = 2355; w < 9436 / 4; ++w) {
        EXPECT_EQ(Word(state, w), 0) << w;
    }
}

TEST_F(MahjongSnapshot, TheHideFlagAndAStrangerLeaveNoHandId) {
    PlayTable table;
    table.Give(0, {TileId(0, 1, 0), TileId(0, 2, 0)});
    table.Give(1, {TileId(1, 1, 0)});
    auto expectNoHand = [&](int viewer, bool hide) {
        std::vector<uint8_t> state(9436);
        ASSERT_TRUE(table.PackGameState(state, viewer, hide));
        for (size_t w = 99; w < 643; ++w) {
            ASSERT_EQ(Word(state, w), -1) << "viewer " << viewer << " word " << w;
        }
    };
    expectNoHand(0, true);
    expectNoHand(1, true);
    expectNoHand(-1, false);
    expectNoHand(7, false);
    expectNoHand(4, false);
    // The banker sees its own hand and the hidden block.
    std::vector<uint8_t> state(9436);
    ASSERT_TRUE(table.PackGameState(state, 0, false));
    EXPECT_EQ(Word(state, 131), TileId(0, 1, 0));
    EXPECT_EQ(Word(state, 99), 0);
}

TEST_F(MahjongSnapshot, SevenMeldsGiveSixWrittenWithLengthSeven) {
    PlayTable table;
    for (int k = 0; k < 7; ++k) {
        MeldEntry meld;
        meld.tiles = {k, k + 9, k + 18, -1};
        meld.source = k % 4;
        table.AddMeld(2, kMeldPeng, meld);
    }
    for (int k = 0; k < 40; ++k) {
        table.AddSetAside(1, 40 + k);
    }
    std::vector<uint8_t> block(1156 * 4);
    ASSERT_TRUE(table.PackMelds(block));
    const size_t seat2 = 2 * 6 * 7;
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(Word(block, seat2 + static_cast<size_t>(k) * 7), k);
    }
    // The seventh is not written: the next seat's first entry is empty.
    EXPECT_EQ(Word(block, seat2 + 6 * 7), -1);
    EXPECT_EQ(Word(block, 168 + 2), 7);
    EXPECT_EQ(Word(block, 1008 + 36 + 35), 40 + 35);
    EXPECT_EQ(Word(block, 1008 + 72), -1);
    EXPECT_EQ(Word(block, 1152 + 1), 40);
}

TEST_F(MahjongSnapshot, ShortBuffersAreRefusedUntouched) {
    PlayTable table;
    table.Give(0, {TileId(0, 1, 0)});
    auto untouched = [](const std::vector<uint8_t>& bytes) {
        for (const uint8_t b : bytes) {
            if (b != 0xAB) {
                return false;
            }
        }
        return true;
    };
    std::vector<uint8_t> state(9435, 0xAB);
    EXPECT_FALSE(table.PackGameState(state, 0, false));
    EXPECT_TRUE(untouched(state));
    std::vector<uint8_t> header(195, 0xAB);
    EXPECT_FALSE(table.PackHeader(header, 0, false));
    EXPECT_TRUE(untouched(header));
    std::vector<uint8_t> tableHeader(167, 0xAB);
    EXPECT_FALSE(table.PackTableHeader(tableHeader));
    EXPECT_TRUE(untouched(tableHeader));
    std::vector<uint8_t> melds(1156 * 4 - 1, 0xAB);
    EXPECT_FALSE(table.PackMelds(melds));
    EXPECT_TRUE(untouched(melds));
    std::vector<uint8_t> player(1095, 0xAB);
    EXPECT_FALSE(table.PackPlayerState(player, 0));
    EXPECT_TRUE(untouched(player));
    std::vector<uint8_t> result(687, 0xAB);
    EXPECT_FALSE(table.PackResult(result, TableResult{}));
    EXPECT_TRUE(untouched(result));
    std::vector<uint8_t> noChair(1096, 0xAB);
    EXPECT_FALSE(table.PackPlayerState(noChair, 8));
    EXPECT_TRUE(untouched(noChair));
}

TEST_F(MahjongSnapshot, ThePlayerRecordCarriesTheScoreHistory) {
    PlayTable table;
    auto player = MakePlayer(77, 2, 500, 900);
    ASSERT_GE(table.AddPlayer(std::move(player)), 1);
    std::vector<uint8_t> record(1096, 0xAB);
    ASSERT_TRUE(table.PackPlayerState(record, 2));
    EXPECT_EQ(Word(record, 0), 77);
    EXPECT_EQ(Word(record, 2), 2);
    EXPECT_EQ(Word(record, 5), 500);
    EXPECT_EQ(Word(record, 6), 900);
    EXPECT_EQ(Word(record, 22), 0);
    EXPECT_EQ(Word(record, 273), 0);
}

TEST_F(MahjongSnapshot, TheResultRecordOffsets) {
    PlayTable table;
    // Seat 3 wins on seat 2's discard; seat 1 has a concealed kong.
    table.Give(3,
               {TileId(0, 3, 0), TileId(0, 4, 0), TileId(1, 1, 0), TileId(1, 1, 1), TileId(1, 1, 2),
                TileId(1, 2, 0), TileId(1, 2, 1), TileId(1, 2, 2), TileId(1, 3, 0), TileId(1, 3, 1),
                TileId(1, 3, 2), TileId(2, 9, 0), TileId(2, 9, 1)});
    table.Give(2, {TileId(0, 5, 2)});
    MeldEntry kong;
    kong.tiles = {TileId(2, 6, 0), TileId(2, 6, 1), TileId(2, 6, 2), TileId(2, 6, 3)};
    kong.source = 1;
    table.AddMeld(1, kMeldConcealedKong, kong);
    table.Turn(2);
    ASSERT_EQ(table.DiscardOne(2, TileId(0, 5, 2)), 1);
    table.OpenClaims();
    TableRequest hu = HuRequest(3, 2, TileId(0, 5, 2), kHuOnDiscard);
    ASSERT_EQ(table.ResolveHu(hu), 1);
    table.SetEndFlags();

    TableResult settled;
    settled.mode = 2;
    settled.playerCount = 4;
    settled.scoreChange[3] = 24;
    std::vector<uint8_t> record(688, 0xAB);
    ASSERT_TRUE(table.PackResult(record, settled));
    EXPECT_EQ(WordAt(record, 0), 2);
    EXPECT_EQ(WordAt(record, 8), 4);
    EXPECT_EQ(WordAt(record, 160 + 12), 24);
    EXPECT_EQ(WordAt(record, 452 + 4), 1);  // seat 1's concealed kong
    EXPECT_EQ(WordAt(record, 436 + 4), 0);
    EXPECT_GT(WordAt(record, 500 + 12), 0);  // seat 3's points
    EXPECT_EQ(WordAt(record, 500 + 4), 0);
    EXPECT_EQ(WordAt(record, 516 + 12), 1);
    EXPECT_EQ(WordAt(record, 516), 0);
    EXPECT_EQ(WordAt(record, 532), 2);
    EXPECT_EQ(WordAt(record, 536), 3);
    EXPECT_EQ(WordAt(record, 540), TileId(0, 5, 2));
    EXPECT_EQ(WordAt(record, 544), 1);
    EXPECT_EQ(WordAt(record, 548), 3);  // the banker did not win: the next seat
    EXPECT_EQ(WordAt(record, 556), 1);
    for (size_t k = 560; k < 688; ++k) {
        EXPECT_EQ(record[k], 0) << k;
    }
}

TEST_F(MahjongSnapshot, TheNextBanker) {
    PlayTable table;
    EXPECT_EQ(table.NextBanker(), 0);  // nobody won
    table.Give(0,
               {TileId(0, 3, 0), TileId(0, 4, 0), TileId(0, 5, 0), TileId(1, 1, 0), TileId(1, 1, 1),
                TileId(1, 1, 2), TileId(1, 2, 0), TileId(1, 2, 1), TileId(1, 2, 2), TileId(1, 3, 0),
                TileId(1, 3, 1), TileId(1, 3, 2), TileId(2, 9, 0), TileId(2, 9, 1)});
    table.Turn(0);
    TableRequest hu = HuRequest(0, 0, TileId(0, 5, 0), kHuSelfDrawn);
    ASSERT_EQ(table.ResolveHu(hu), 1);
    EXPECT_EQ(table.NextBanker(), 0);  // the banker won: it stays
}

}  // namespace
