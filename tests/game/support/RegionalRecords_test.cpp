// The records built from named values land at the offsets the client reads
// them from.

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

TEST(RegionalRecords, HandStateHeadMeldStoreDiscardsAndSwapBlock) {
    rr::HandState state;
    state.start.banker = 1;
    state.start.ownTiles.fill(-1);
    state.start.ownTiles[0] = 7;
    rr::Meld gang;
    gang.tiles = {9, 18, 27, 0};
    gang.source = 2;
    state.melds[static_cast<size_t>(rr::MeldList::ExposedGang)][1] = {gang};
    state.discards[3] = {5, 6};
    state.swapReceived[0] = {10, 11, 12};
    state.swapDie = 4;
    const rr::Bytes bytes = rr::HandStateRecord(state);
    ASSERT_EQ(bytes.size(), 15156u);
    EXPECT_EQ(WordAt(bytes, 11 * 4), 1);
    EXPECT_EQ(WordAt(bytes, 212), 7);
    EXPECT_EQ(WordAt(bytes, 216), -1);
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
    const size_t discards = 952 + 860 * 4;
    EXPECT_EQ(WordAt(bytes, discards + 3 * 144 + 4), 6);
    EXPECT_EQ(WordAt(bytes, discards + 3 * 144 + 8), -1);
    EXPECT_EQ(WordAt(bytes, discards + 576 + 12), 2);
    EXPECT_EQ(WordAt(bytes, 6704 + 8), 12);
    EXPECT_EQ(WordAt(bytes, 6752), 4);
}

TEST(RegionalRecords, ChatLineAndTopUpAddress) {
    const rr::Bytes chat = rr::ChatLineRecord(9001, 8, "hi");
    ASSERT_EQ(chat.size(), 39u);
    EXPECT_EQ(WordAt(chat, 0), 9001);
    EXPECT_EQ(WordAt(chat, 8), 8);
    EXPECT_EQ(chat[36], 'h');
    EXPECT_EQ(chat.back(), 0);
    const rr::Bytes url = rr::ChargeUrlRecord("ab");
    EXPECT_EQ(url, (rr::Bytes{'a', 'b', 0}));
    EXPECT_EQ(rr::TileOf(10, 2), 36 + 18 + 1);
}

}  // namespace
