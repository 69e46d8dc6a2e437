// The regional records built from named values land at the offsets the
// client reads them from.

#include "tools/regional_records/RegionalRecords.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

namespace rr = regional_records;

int32_t WordAt(const rr::Bytes& bytes, size_t offset) {
    int32_t value = 0;
    std::memcpy(&value, bytes.data() + offset, 4);  // the tests run little-endian
    return value;
}

TEST(RegionalRecords, HandStartWordsAndTileLists) {
    rr::HandStart start;
    start.banker = 3;
    start.wildTiles = {5, 41};
    start.panelWildTile = 5;
    start.ownTiles = {1, 2, 3};
    start.setAside[2] = {7, 8};
    const rr::Bytes bytes = rr::HandStartRecord(start);
    ASSERT_EQ(bytes.size(), 952u);
    EXPECT_EQ(WordAt(bytes, 11 * 4), 3);
    EXPECT_EQ(WordAt(bytes, 14 * 4), rr::kHandRunning | rr::kSwapPhase);
    EXPECT_EQ(WordAt(bytes, 34 * 4), 5);
    EXPECT_EQ(WordAt(bytes, 35 * 4), 41);
    EXPECT_EQ(WordAt(bytes, 36 * 4), 5);
    EXPECT_EQ(WordAt(bytes, 49 * 4), 14);
    EXPECT_EQ(WordAt(bytes, 212 + 8), 3);
    EXPECT_EQ(WordAt(bytes, 212 + 12), -1);
    EXPECT_EQ(WordAt(bytes, 212 + 124), -1);
    EXPECT_EQ(WordAt(bytes, 340 + 2 * 144 + 4), 8);
    EXPECT_EQ(WordAt(bytes, 916 + 8), 2);
}

TEST(RegionalRecords, HandStateMeldStoreByListAndChair) {
    rr::HandState state;
    state.start.banker = 1;
    rr::Meld gang;
    gang.tiles = {9, 18, 27, 0};
    gang.source = 2;
    state.melds[static_cast<size_t>(rr::MeldList::ExposedGang)][1] = {gang};
    state.swapDie = 4;
    const rr::Bytes bytes = rr::HandStateRecord(state);
    ASSERT_EQ(bytes.size(), 15156u);
    EXPECT_EQ(WordAt(bytes, 11 * 4), 1);
    const size_t list = rr::MeldListOffset(2);
    EXPECT_EQ(list, 952u + 688u * 2u);
    EXPECT_EQ(WordAt(bytes, list + 168 + 0), 9);
    EXPECT_EQ(WordAt(bytes, list + 168 + 12), 0);
    EXPECT_EQ(WordAt(bytes, list + 168 + 16), 2);
    EXPECT_EQ(WordAt(bytes, list + 672 + 4), 1);
    EXPECT_EQ(WordAt(bytes, list + 672), 0);
    // An empty entry: four -1 tiles and no source.
    EXPECT_EQ(WordAt(bytes, list + 28), -1);
    EXPECT_EQ(WordAt(bytes, list + 28 + 16), -1);
    EXPECT_EQ(WordAt(bytes, 6752), 4);
}

TEST(RegionalRecords, ResultNamesValuesAndColumns) {
    rr::GameResult result;
    result.winner = 1;
    result.discarder = 2;
    result.winFlags = {0, 1, 0, 0};
    result.silverChange = {0, 50, -50, 0};
    result.itemNames = {"平胡", "清一色"};
    result.itemValues[0] = 2;
    result.exposedGangColumn[1] = 3;
    result.concealedGangColumn[1] = 4;
    const rr::Bytes bytes = rr::GameResultRecord(result);
    ASSERT_EQ(bytes.size(), 2432u);
    EXPECT_EQ(WordAt(bytes, 536), 1);
    EXPECT_EQ(WordAt(bytes, 532), 2);
    EXPECT_EQ(WordAt(bytes, 520), 1);
    EXPECT_EQ(WordAt(bytes, 200), -50);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data() + 1216)), "平胡|清一色");
    EXPECT_EQ(WordAt(bytes, 2240), 2);
    EXPECT_EQ(WordAt(bytes, 2388), 3);
    EXPECT_EQ(WordAt(bytes, 2404), 4);
    EXPECT_EQ(WordAt(bytes, 704), -1);
}

TEST(RegionalRecords, SwapAndSmallNotices) {
    rr::SwapDice dice;
    dice.received[2] = {10, 11, 12};
    dice.die = 5;
    dice.firstTurnOptions[0] = 0x48;
    const rr::Bytes swap = rr::SwapDiceRecord(dice);
    ASSERT_EQ(swap.size(), 8472u);
    EXPECT_EQ(WordAt(swap, 48 + 24 + 8), 12);
    EXPECT_EQ(WordAt(swap, 96), 5);
    EXPECT_EQ(WordAt(swap, 120), 0x48);
    EXPECT_EQ(WordAt(swap, 136), -1);

    const rr::Bytes ready = rr::SwapReadyRecord(2, 3);
    ASSERT_EQ(ready.size(), 32u);
    EXPECT_EQ(WordAt(ready, 12), 2);
    EXPECT_EQ(WordAt(ready, 16), 19840338);
    EXPECT_EQ(WordAt(ready, 28), 3);

    EXPECT_EQ(WordAt(rr::SeatStartedRecord(3), 12), 3);
    const rr::Bytes left = rr::PlayerLeftRecord(1, true, -10, -200);
    EXPECT_EQ(WordAt(left, 4), 1);
    EXPECT_EQ(WordAt(left, 20), -10);
    EXPECT_EQ(WordAt(left, 24), -200);
    const rr::Bytes chat = rr::ChatLineRecord(9001, 8, "hi");
    EXPECT_EQ(chat.size(), 39u);
    EXPECT_EQ(WordAt(chat, 8), 8);
    EXPECT_EQ(chat[36], 'h');
    const rr::Bytes ting = rr::TingThrowRecord(2, 17);
    ASSERT_EQ(ting.size(), 88u);
    EXPECT_EQ(WordAt(ting, 4), 2);
    EXPECT_EQ(WordAt(ting, 84), 17);
    EXPECT_EQ(WordAt(rr::WelfareActRecord(77), 16), 77);
    EXPECT_EQ(rr::ChargeUrlRecord("ab").back(), 0);
}

}  // namespace
