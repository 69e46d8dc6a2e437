#include "mahjong_client/MahjongTableData.h"

#include <gtest/gtest.h>

#include <array>
#include <type_traits>
#include <vector>

#include "zep/ZepWire.h"

namespace {

// The game's part of the table data: seat marks and no hand state.
class GameTableData : public CMahjongTableData {
public:
    int IsSeatStarted(int chair) const override {
        return chair >= 0 && chair < 8 ? started_[static_cast<size_t>(chair)] : 0;
    }
    bool SetSeatStarted(std::span<const uint8_t> record) override {
        if (record.size() < 16) {
            return false;
        }
        started_[record[12] & 7] = 1;
        return true;
    }
    std::span<const uint8_t> GetHandStateTail() const override { return {}; }

private:
    std::array<int, 8> started_{};
};

// A record whose word i holds 1000 + i, so every getter shows which word it
// read.
std::vector<uint8_t> MarkedRecord(size_t bytes) {
    std::vector<uint8_t> record(bytes);
    ZepWireWriter writer(record);
    for (size_t i = 0; i < bytes / 4; ++i) {
        writer.WriteI32(static_cast<int32_t>(1000 + i));
    }
    return record;
}

void PutWord(std::vector<uint8_t>& record, size_t word, int32_t value) {
    ZepWireWriter writer(std::span<uint8_t>(record).subspan(word * 4, 4));
    writer.WriteI32(value);
}

TEST(MahjongTableData, TheInterfaceCannotStandAlone) {
    static_assert(std::is_abstract_v<CTableDataInterface>);
    static_assert(std::is_abstract_v<CMahjongTableData>);
    static_assert(!std::is_abstract_v<GameTableData>);
    static_assert(std::is_same_v<CGameTableData, CTableDataInterface>);
}

TEST(MahjongTableData, HandStartGettersReadTheirWords) {
    GameTableData data;
    ASSERT_TRUE(data.StoreHandStart(MarkedRecord(952)));
    EXPECT_EQ(data.GetHandNumber(), 1008);
    EXPECT_EQ(data.GetBaseSilver(), 1009);
    EXPECT_EQ(data.GetBaseScore(), 1010);
    EXPECT_EQ(data.GetBanker(), 1011);
    EXPECT_EQ(data.GetHandStartWord12(), 1012);
    EXPECT_EQ(data.GetTurnChair(), 1013);
    EXPECT_EQ(data.GetStartFlags(), 1014);
    EXPECT_EQ(data.GetHandStartWord15(), 1015);
    EXPECT_EQ(data.GetReactionTime(), 1018);
    EXPECT_EQ(data.GetHandStartWord19(), 1019);
    EXPECT_EQ(data.GetHandStartWord21(), 1021);
    EXPECT_EQ(data.GetHandStartWord22(), 1022);
    EXPECT_EQ(data.GetDice(0), 1023);
    EXPECT_EQ(data.GetDice(3), 1026);
    EXPECT_EQ(data.GetDice(4), 0);
    EXPECT_EQ(data.GetDice(-1), 0);
    EXPECT_EQ(data.GetClaimSkipRule(), 1027);
    EXPECT_EQ(data.GetChiRule(), 1028);
    EXPECT_EQ(data.GetHandStartWord29(), 1029);
    EXPECT_EQ(data.GetHandStartWord30(), 1030);
    EXPECT_EQ(data.GetHandStartWord31(), 1031);
    EXPECT_EQ(data.GetWallStart(), 1032);
    EXPECT_EQ(data.GetHandStartWord33(), 1033);
    EXPECT_EQ(data.GetWildTile(0), 1034);
    EXPECT_EQ(data.GetWildTile(1), 1035);
    EXPECT_EQ(data.GetWildTile(2), -1);
    EXPECT_EQ(data.GetWildIndicator(), 1036);
    EXPECT_EQ(data.GetBackDrawCount(), 1037);
    EXPECT_EQ(data.GetFrontDrawPosition(), 1038);
    EXPECT_EQ(data.GetDiscardTime(), 1039);
    EXPECT_EQ(data.GetHandStartWord40(), 1040);
    EXPECT_EQ(data.GetSeatTileCount(0), 1049);
    EXPECT_EQ(data.GetHandStartSeatValue(3), 1052);
    EXPECT_EQ(data.GetHandStartSeatValue(7), 1056);
    EXPECT_EQ(data.GetHandStartSeatValue(8), 0);
    EXPECT_EQ(data.GetHandStartSeatValue(-1), 0);
    EXPECT_EQ(data.GetHandStartWord(237), 1237);
    EXPECT_EQ(data.GetHandStartWord(238), 0);  // past the record
}

TEST(MahjongTableData, StartFlagsTellTheRunningHandAndThePhases) {
    GameTableData data;
    EXPECT_EQ(data.IsHandRunning(), 0);
    std::vector<uint8_t> record(952);
    PutWord(record, 14, 0x111);
    ASSERT_TRUE(data.StoreHandStart(record));
    EXPECT_EQ(data.IsHandRunning(), 1);
    EXPECT_EQ(data.IsGameInProgress(), 1);
    EXPECT_TRUE(data.IsSwapPhase());
    EXPECT_TRUE(data.IsStartFlag100());
    PutWord(record, 14, 0x10);
    ASSERT_TRUE(data.StoreHandStart(record));
    EXPECT_EQ(data.IsHandRunning(), 0);

    // A result ends the running hand.
    PutWord(record, 14, 1);
    ASSERT_TRUE(data.StoreHandStart(record));
    ASSERT_TRUE(data.StoreGameResult(std::vector<uint8_t>(2432)));
    EXPECT_EQ(data.IsHandRunning(), 0);
    EXPECT_EQ(data.GetStartFlags(), 0);
}

TEST(MahjongTableData, ShortRecordsAreRefusedAndChangeNothing) {
    GameTableData data;
    ASSERT_TRUE(data.StoreHandStart(MarkedRecord(952)));
    data.SetExitRequestCount(1);
    EXPECT_FALSE(data.StoreHandStart(std::vector<uint8_t>(951)));
    EXPECT_EQ(data.GetBanker(), 1011);
    EXPECT_EQ(data.GetExitRequestCount(), 1);  // no reset either
    EXPECT_FALSE(data.StoreGameResult(std::vector<uint8_t>(2431)));
    EXPECT_TRUE(data.GetGameResult().empty());
    EXPECT_EQ(data.GetStartFlags(), 1014);
}

TEST(MahjongTableData, OwnTilesCountUpToTheFirstEnd) {
    GameTableData data;
    std::vector<uint8_t> record(952);
    for (size_t i = 0; i < 32; ++i) {
        PutWord(record, 53 + i, static_cast<int32_t>(i + 100));
    }
    ASSERT_TRUE(data.StoreHandStart(record));
    std::array<int32_t, 32> tiles{};
    EXPECT_EQ(data.GetHandStartTiles(tiles), 32);
    EXPECT_EQ(tiles[31], 131);

    PutWord(record, 53 + 13, -1);
    ASSERT_TRUE(data.StoreHandStart(record));
    EXPECT_EQ(data.GetHandStartTiles(tiles), 13);
    EXPECT_EQ(tiles[14], 114);  // copied behind the end, not counted

    PutWord(record, 53, -1);
    ASSERT_TRUE(data.StoreHandStart(record));
    EXPECT_EQ(data.GetHandStartTiles(tiles), 0);

    // A smaller destination takes only what fits.
    std::array<int32_t, 4> few{};
    PutWord(record, 53, 7);
    ASSERT_TRUE(data.StoreHandStart(record));
    EXPECT_EQ(data.GetHandStartTiles(few), 4);
}

TEST(MahjongTableData, ResultGettersReadFlagsWinnerAndTiles) {
    GameTableData data;
    EXPECT_EQ(data.GetWinnerChair(), -1);  // no result yet
    std::vector<uint8_t> result(2432);
    PutWord(result, 0, 0x2 | 0x2000000);
    PutWord(result, 134, 2);
    PutWord(result, 516 / 4 + 2, 1);
    for (size_t i = 0; i < 32; ++i) {
        PutWord(result, (704 + 3 * 128) / 4 + i, i < 5 ? static_cast<int32_t>(i + 20) : -1);
    }
    ASSERT_TRUE(data.StoreGameResult(result));
    EXPECT_TRUE(data.IsResultFlag2());
    EXPECT_FALSE(data.IsResultFlag1000000());
    EXPECT_TRUE(data.IsResultFlag2000000());
    EXPECT_FALSE(data.IsResultFlag4000000());
    EXPECT_EQ(data.GetWinnerChair(), 2);
    EXPECT_TRUE(data.IsChairWinner(2));
    EXPECT_FALSE(data.IsChairWinner(1));
    EXPECT_FALSE(data.IsChairWinner(4));
    std::array<int32_t, 32> tiles{};
    EXPECT_EQ(data.GetSeatResultTiles(3, tiles), 5);
    EXPECT_EQ(tiles[4], 24);
    EXPECT_EQ(data.GetSeatResultTiles(4, tiles), 0);
    EXPECT_EQ(tiles[0], -1);

    PutWord(result, 134, -1);
    ASSERT_TRUE(data.StoreGameResult(result));
    EXPECT_EQ(data.GetWinnerChair(), -1);
}

TEST(MahjongTableData, ResetCountersClearsCountAndTime) {
    GameTableData data;
    data.SetExitRequestCount(2);
    data.SetExitRequestTick(12345);
    CTableDataInterface& root = data;
    EXPECT_EQ(root.ResetCounters(), 0);
    EXPECT_EQ(data.GetExitRequestCount(), 0);
    EXPECT_EQ(data.GetExitRequestTick(), 0u);

    // A new hand clears them as well (the seat marks are the game's).
    data.SetExitRequestCount(1);
    data.SetExitRequestTick(9);
    ASSERT_TRUE(data.StoreHandStart(std::vector<uint8_t>(952)));
    EXPECT_EQ(data.GetExitRequestCount(), 0);
    EXPECT_EQ(data.GetExitRequestTick(), 0u);
    EXPECT_EQ(data.GetSeatCount(), 4);
}

TEST(MahjongTableData, ClearHandAreaEmptiesTheHandStart) {
    GameTableData data;
    ASSERT_TRUE(data.StoreHandStart(MarkedRecord(952)));
    data.ClearHandArea();
    EXPECT_EQ(data.GetBanker(), 0);
    EXPECT_EQ(data.GetHandStartRecord().size(), 952u);
}

}  // namespace
