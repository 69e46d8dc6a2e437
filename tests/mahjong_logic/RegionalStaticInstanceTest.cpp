#include <gtest/gtest.h>

#include "mahjong_logic/RegionalMahjongRules.h"
#include "mahjong_tiles/TileFunctionTable.h"

namespace {

// Built during static initialisation, as the client builds its instances;
// the slots are read right after, still before main.
CRegionalMahjongRules gRules;
const TileFunctionTable gSlotsAfterStaticInit = TileFunctions();

TEST(RegionalStaticInstance, HasSetTheFlowerSlotAndKeptTheOtherFiveBeforeMain) {
    EXPECT_EQ(gSlotsAfterStaticInit.flowerTest, &RegionalIsFlowerIndex);
    EXPECT_EQ(gSlotsAfterStaticInit.honourTest, kDefaultTileFunctions.honourTest);
    EXPECT_EQ(gSlotsAfterStaticInit.wildTest, kDefaultTileFunctions.wildTest);
    EXPECT_EQ(gSlotsAfterStaticInit.substituteIndex, kDefaultTileFunctions.substituteIndex);
    EXPECT_EQ(gSlotsAfterStaticInit.suit, kDefaultTileFunctions.suit);
    EXPECT_EQ(gSlotsAfterStaticInit.value, kDefaultTileFunctions.value);
    EXPECT_EQ(gRules.HuTypeFlags(), 0x000B0007u);
    EXPECT_EQ(gRules.PlayerCount(), 4);
    EXPECT_TRUE(gRules.Wall().empty());
}

}  // namespace
