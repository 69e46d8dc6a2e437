// The regional table data: the hand start laid into the hand area by its
// copy map and nothing else, seat flags, checked chairs and short records.

#include "game/net/RegionalTableData.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "mahjong_client/TableProtocol.h"

namespace {

namespace tp = table_protocol;

// Bytes whose every value says where it came from.
std::vector<uint8_t> Marked(size_t size, uint8_t salt) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<uint8_t>((i * 7 + salt) | 1);  // never 0
    }
    return bytes;
}

std::vector<uint8_t> StartedRecord(int32_t chair) {
    tp::SeatStartedNotice notice;
    notice.head.chair = chair;
    return tp::WriteTableRecord(notice);
}

std::vector<uint8_t> Copy(std::span<const uint8_t> bytes) {
    return {bytes.begin(), bytes.end()};
}

TEST(RegionalTableData, AHandStartChangesOnlyTheBytesOfItsCopyMap) {
    CRegionalTableData data;
    // A hand state first, so untouched bytes are visible as its marks.
    const std::vector<uint8_t> state = Marked(CRegionalTableData::kHandAreaBytes, 3);
    ASSERT_TRUE(data.StoreHandState(state));
    // 64 KiB more than the record: nothing past 952 is read.
    std::vector<uint8_t> start = Marked(tp::kHandStartBytes + 65536, 101);
    ASSERT_TRUE(data.StoreHandStart(start));

    std::vector<uint8_t> expected = state;
    std::copy_n(start.begin(), 952, expected.begin());
    std::copy_n(start.begin() + 340, 576, expected.begin() + 4984);
    std::copy_n(start.begin() + 916, 16, expected.begin() + 5560);
    std::copy_n(start.begin() + 932, 4, expected.begin() + 6768);
    EXPECT_EQ(Copy(data.GetHandArea()), expected);
    EXPECT_EQ(data.GetHandStartRecord().size(), CRegionalTableData::kHandAreaBytes);
    EXPECT_EQ(Copy(data.GetHandStateTail()),
              std::vector<uint8_t>(expected.begin() + 952, expected.end()));
}

TEST(RegionalTableData, TheMahjongGettersReadTheHandStartInTheHandArea) {
    CRegionalTableData data;
    tp::HandStartRecord start;
    start.banker = 3;
    start.startFlags = tp::kStartHandRunning | tp::kStartSwapPhase;
    start.wallStart = 17;
    start.wildTiles = {4, 13};
    start.seatTileCounts = {13, 13, 13, 14};
    start.ownTiles.fill(-1);
    start.ownTiles[0] = 5;
    start.ownTiles[1] = 9;
    ASSERT_TRUE(data.StoreHandStart(tp::WriteTableRecord(start)));
    EXPECT_EQ(data.GetBanker(), 3);
    EXPECT_EQ(data.IsHandRunning(), 1);
    EXPECT_TRUE(data.IsSwapPhase());
    EXPECT_EQ(data.GetWallStart(), 17);
    EXPECT_EQ(data.GetWildTile(1), 13);
    EXPECT_EQ(data.GetHandStartSeatValue(3), 14);
    std::array<int32_t, 32> tiles{};
    EXPECT_EQ(data.GetHandStartTiles(tiles), 2);
    EXPECT_EQ(tiles[1], 9);
    EXPECT_EQ(tiles[2], -1);
}

TEST(RegionalTableData, TileListsCountUpToTheFirstEndMark) {
    CRegionalTableData data;
    tp::HandStartRecord start;
    start.ownTiles.fill(-1);
    ASSERT_TRUE(data.StoreHandStart(tp::WriteTableRecord(start)));
    std::array<int32_t, 32> tiles{};
    EXPECT_EQ(data.GetHandStartTiles(tiles), 0);

    std::iota(start.ownTiles.begin(), start.ownTiles.end(), 40);
    ASSERT_TRUE(data.StoreHandStart(tp::WriteTableRecord(start)));
    EXPECT_EQ(data.GetHandStartTiles(tiles), 32);
    EXPECT_EQ(tiles[31], 71);

    // Entries after the first -1 are copied, not counted.
    start.ownTiles[3] = -1;
    ASSERT_TRUE(data.StoreHandStart(tp::WriteTableRecord(start)));
    EXPECT_EQ(data.GetHandStartTiles(tiles), 3);
    EXPECT_EQ(tiles[4], 44);
    // A short destination takes what fits.
    std::array<int32_t, 2> two{};
    EXPECT_EQ(data.GetHandStartTiles(two), 2);
}

TEST(RegionalTableData, SeatFlagsAreTheStatusBlockWordsOfChairsZeroToSeven) {
    CRegionalTableData data;
    for (int32_t chair = 0; chair < 8; ++chair) {
        EXPECT_TRUE(data.SetSeatStarted(StartedRecord(chair)));
    }
    for (int32_t chair = 0; chair < 8; ++chair) {
        EXPECT_EQ(data.IsSeatStarted(chair), 1);
        EXPECT_EQ(tp::WordAt(data.GetStatusBlock(), 5 + static_cast<size_t>(chair)), 2);
    }
    // Other bits of a flag word stay through the clearing of a hand start.
    data.GetStatusBlock()[20 + 4 * 6] |= 0x08;
    ASSERT_TRUE(data.StoreHandStart(std::vector<uint8_t>(952)));
    for (int32_t chair = 0; chair < 8; ++chair) {
        EXPECT_EQ(data.IsSeatStarted(chair), 0) << chair;
    }
    EXPECT_EQ(data.GetSeatFlags(6), 0x08u);
}

TEST(RegionalTableData, ChairsOutsideTheirRangeChangeNothingAndAnswerZero) {
    CRegionalTableData data;
    const std::vector<uint8_t> before = Copy(data.GetStatusBlock());
    for (int32_t chair : {-1, 8, 9, INT32_MIN, INT32_MAX}) {
        EXPECT_FALSE(data.SetSeatStarted(StartedRecord(chair))) << chair;
        EXPECT_EQ(data.IsSeatStarted(chair), 0) << chair;
    }
    EXPECT_EQ(Copy(data.GetStatusBlock()), before);

    tp::HandStartRecord start;
    start.seatTileCounts = {13, 13, 13, 14};
    start.words40[8] = 77;  // word 48, just before chair 0's value
    ASSERT_TRUE(data.StoreHandStart(tp::WriteTableRecord(start)));
    // Word 53 (chair 4's place in a table of eight) holds a tile.
    tp::GameResultRecord result;
    result.seatTiles.fill(21);
    ASSERT_TRUE(data.StoreGameResult(tp::WriteTableRecord(result)));
    for (int chair : {-1, 4, 7, INT32_MIN}) {
        EXPECT_EQ(data.GetHandStartSeatValue(chair), 0) << chair;
        std::array<int32_t, 32> tiles;
        tiles.fill(55);
        EXPECT_EQ(data.GetSeatResultTiles(chair, tiles), 0) << chair;
        EXPECT_EQ(tiles[0], 55) << "untouched";
    }
    EXPECT_EQ(data.GetHandStartSeatValue(3), 14);
    std::array<int32_t, 32> tiles{};
    EXPECT_EQ(data.GetSeatResultTiles(3, tiles), 32);
}

TEST(RegionalTableData, ShortRecordsAreRefusedAndChangeNothing) {
    CRegionalTableData data;
    ASSERT_TRUE(data.StoreHandState(Marked(15156, 5)));
    ASSERT_TRUE(data.SetSeatStarted(StartedRecord(2)));
    const std::vector<uint8_t> area = Copy(data.GetHandArea());
    const std::vector<uint8_t> status = Copy(data.GetStatusBlock());

    EXPECT_FALSE(data.StoreHandStart(Marked(951, 9)));
    EXPECT_FALSE(data.StoreGameResult(Marked(2431, 9)));
    EXPECT_FALSE(data.StoreHandState(Marked(15155, 9)));
    EXPECT_FALSE(data.SetSeatStarted(std::vector<uint8_t>(15)));
    EXPECT_EQ(Copy(data.GetHandArea()), area);
    EXPECT_EQ(Copy(data.GetStatusBlock()), status);
    EXPECT_TRUE(data.GetGameResult().empty());
    EXPECT_EQ(data.GetWinnerChair(), -1);
}

TEST(RegionalTableData, AResultEndsTheHandAndIsKeptWhole) {
    CRegionalTableData data;
    tp::HandStartRecord start;
    start.startFlags = tp::kStartHandRunning | tp::kStartSwapPhase;
    start.handNumber = 6;
    ASSERT_TRUE(data.StoreHandStart(tp::WriteTableRecord(start)));
    tp::GameResultRecord result;
    result.winner = -1;  // a standoff
    result.seatTiles.fill(-1);
    result.seatTiles[32] = 8;
    std::vector<uint8_t> bytes = tp::WriteTableRecord(result);
    bytes.resize(bytes.size() + 100, 0xEE);
    ASSERT_TRUE(data.StoreGameResult(bytes));
    EXPECT_EQ(data.IsHandRunning(), 0);
    EXPECT_EQ(data.GetStartFlags(), 0);
    EXPECT_EQ(data.GetHandNumber(), 6);
    EXPECT_EQ(data.GetWinnerChair(), -1);
    ASSERT_EQ(data.GetGameResult().size(), tp::kHandResultBytes);
    EXPECT_TRUE(
        std::equal(data.GetGameResult().begin(), data.GetGameResult().end(), bytes.begin()));
    std::array<int32_t, 32> tiles{};
    EXPECT_EQ(data.GetSeatResultTiles(1, tiles), 1);
    EXPECT_EQ(tiles[0], 8);

    // A hand state leaves the result as it was.
    ASSERT_TRUE(data.StoreHandState(Marked(15156, 1)));
    EXPECT_EQ(data.GetGameResult().size(), tp::kHandResultBytes);
}

TEST(RegionalTableData, TheWildMarkingFlagIsOneOrZero) {
    CRegionalTableData data;
    EXPECT_EQ(data.IsMarking(), 0);
    data.SetMarking(5);
    EXPECT_EQ(data.IsMarking(), 1);
    data.SetMarking(0);
    EXPECT_EQ(data.IsMarking(), 0);
}

}  // namespace
