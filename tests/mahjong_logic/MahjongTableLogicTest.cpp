#include <gtest/gtest.h>

#include <filesystem>

#include "tests/mahjong_logic/MahjongTestSupport.h"

namespace {

using MahjongTableLogic = MahjongFixture;

int SuitOne(int, RuleFlags) {
    return 1;
}
int ValueTwo(int, RuleFlags) {
    return 2;
}
int FlowerNever(int, int, int, RuleFlags) {
    return 0;
}
int HonourNever(int, int, int, RuleFlags) {
    return 0;
}
int WildNever(int, int, int, RuleFlags) {
    return 0;
}
int SubstituteFive(int, int, RuleFlags) {
    return 5;
}

TEST_F(MahjongTableLogic, BuildingARegionalInstanceInstallsItsTileFunctions) {
    // Another rule set ran before: every slot holds something else.
    InstallTileFunctions(
        {&FlowerNever, &HonourNever, &WildNever, &SubstituteFive, &SuitOne, &ValueTwo});
    TestMahjongTable table;
    const TileFunctionTable& slots = TileFunctions();
    EXPECT_EQ(slots.flowerTest, &RegionalIsFlowerIndex);
    EXPECT_EQ(slots.honourTest, kDefaultTileFunctions.honourTest);
    EXPECT_EQ(slots.wildTest, kDefaultTileFunctions.wildTest);
    EXPECT_EQ(slots.substituteIndex, kDefaultTileFunctions.substituteIndex);
    EXPECT_EQ(slots.suit, kDefaultTileFunctions.suit);
    EXPECT_EQ(slots.value, kDefaultTileFunctions.value);
    // The regional flower test answers as the wild test does.
    EXPECT_EQ(IsFlowerCard(5, 5, -1, kRuleWildTiles), 1);
    EXPECT_EQ(IsFlowerCard(6, 5, -1, kRuleWildTiles), 0);
    EXPECT_EQ(IsFlowerCard(140, -1, -1, 0), 0);  // a real flower is no flower here
}

TEST_F(MahjongTableLogic, EachTileFunctionArgumentGoesToItsOwnSlot) {
    MahjongTableParameters parameters = kRegionalTableParameters;
    parameters.suitFunction = &SuitOne;
    parameters.valueFunction = &ValueTwo;
    parameters.flowerTest = &FlowerNever;
    parameters.honourTest = &HonourNever;
    parameters.wildTest = &WildNever;
    parameters.substituteIndex = &SubstituteFive;
    TestMahjongTable table(parameters);
    const TileFunctionTable& slots = TileFunctions();
    EXPECT_EQ(slots.flowerTest, &FlowerNever);
    EXPECT_EQ(slots.honourTest, &HonourNever);
    EXPECT_EQ(slots.wildTest, &WildNever);
    EXPECT_EQ(slots.substituteIndex, &SubstituteFive);
    EXPECT_EQ(slots.suit, &SuitOne);
    EXPECT_EQ(slots.value, &ValueTwo);
}

TEST_F(MahjongTableLogic, ConstructionValuesAndAFreshHand) {
    // A settings file and a recorded deal are present; building reads neither
    // and writes nothing.
    folder.Write("pvbnsvr.ini", "[SoloAlone]\r\nKickTime=7\r\n");
    folder.Write("test.ini", "[Card]\r\nMade=1\r\nTotal=1|2|\r\n");
    const auto before = std::filesystem::last_write_time(folder / "test.ini");
    TestMahjongTable table;
    EXPECT_EQ(std::filesystem::last_write_time(folder / "test.ini"), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()),
                            std::filesystem::directory_iterator()),
              2);

    EXPECT_EQ(table.PlayerCount(), 4);
    EXPECT_EQ(table.RuleFlags(), 0xA0003100u);
    EXPECT_EQ(table.TableNumber(), -1);
    EXPECT_EQ(table.TileCount(), 108);
    EXPECT_EQ(table.IndexBound(), 49);
    EXPECT_EQ(table.HuTypeFlags(), 0x000B0007u);
    EXPECT_EQ(table.Stake(), 100);
    EXPECT_EQ(table.BankerStreak(), 1);
    EXPECT_EQ(table.CurrentSeat(), -1);
    EXPECT_EQ(table.ActingSeat(), -1);
    EXPECT_TRUE(table.Wall().empty());
    EXPECT_EQ(table.WildPosition(), -1);
    EXPECT_EQ(table.WildTile1(), -1);
    EXPECT_EQ(table.WildTile2(), -1);
    EXPECT_EQ(table.TableState(), 0u);
}

TEST_F(MahjongTableLogic, ATableHasAtMostFourSeats) {
    MahjongTableParameters parameters = kRegionalTableParameters;
    parameters.playerCount = 8;
    TestMahjongTable table(parameters);
    EXPECT_EQ(table.PlayerCount(), 4);
    EXPECT_EQ(table.SeatTileCount(5), 0);
    EXPECT_EQ(table.Counts(7), HandCounts{});
}

}  // namespace
