#include <gtest/gtest.h>

#include <climits>
#include <numeric>
#include <vector>

#include "platform/Profile.h"
#include "tests/mahjong_logic/MahjongTestSupport.h"

namespace {

using MahjongWall = MahjongFixture;

// The scripted generator draws 0 once its script is used up, so the shuffle
// places 0 and then the rest in order: the wall holds id k at position k.
void DealIdentityWall(TestMahjongTable& table, int banker, int die1, int die2) {
    table.PlaceBankerAndDice(banker, die1, die2);
    ASSERT_TRUE(table.StartHand());
    table.SetDrawPosition();
}

void ExpectSameRecords(const std::vector<CardRecord>& before, const CMahjongTableLogic& table) {
    ASSERT_EQ(table.Wall().size(), before.size());
    for (size_t k = 0; k < before.size(); ++k) {
        EXPECT_EQ(table.Wall()[k].state, before[k].state) << k;
        EXPECT_EQ(table.Wall()[k].owner, before[k].owner) << k;
    }
}

std::vector<int32_t> Reversed(int n) {
    std::vector<int32_t> list(n);
    for (int k = 0; k < n; ++k) {
        list[k] = n - 1 - k;
    }
    return list;
}

TEST_F(MahjongWall, TheWallStartCountsTheDiceFromTheBanker) {
    TestMahjongTable table;
    table.PlaceBankerAndDice(0, 3, 4);
    EXPECT_EQ(table.GetWallStart(), 41);
    EXPECT_EQ(table.GetWildPosition(), -1);  // no wild tiles in this variant
    EXPECT_EQ(table.GetHandSize(), 13);
    table.PlaceBankerAndDice(2, 6, 6);
    EXPECT_EQ(table.GetWallStart(), (6 * 27 + 24) % 108);
    table.PlaceBankerAndDice(3, 1, 1);
    EXPECT_EQ(table.GetWallStart(), (5 * 27 + 4) % 108);

    TestMahjongTable noBanker;
    EXPECT_EQ(noBanker.GetWallStart(), -1);
    EXPECT_FALSE(noBanker.StartHand());
    EXPECT_TRUE(noBanker.Wall().empty());
}

TEST_F(MahjongWall, DiceComeFromTheGeneratorSeededFromTheClock) {
    TestClock::now = 50000;
    TestMahjongTable table;
    ScriptedRandom::draws = {2, 9};
    table.RollTableDice();
    EXPECT_EQ(table.Die(0), 3);
    EXPECT_EQ(table.Die(1), 4);
    EXPECT_EQ(table.Die(2), 0);
    EXPECT_EQ(ScriptedRandom::lastSeed, 50u);

    MahjongTableParameters parameters = kRegionalTableParameters;
    parameters.ruleFlags |= kMahjongRuleSecondDice;
    TestMahjongTable twoPairs(parameters);
    ScriptedRandom::draws = {0, 1, 4, 5};
    twoPairs.RollTableDice();
    EXPECT_EQ(twoPairs.Die(2), 5);
    EXPECT_EQ(twoPairs.Die(3), 6);
    EXPECT_EQ(ScriptedRandom::lastSeed, 50u + 1000u);
}

TEST_F(MahjongWall, TheDealGivesTheBankerFourteenAndTheOthersThirteen) {
    TestMahjongTable table;
    table.PlaceBankerAndDice(0, 3, 4);
    ASSERT_TRUE(table.StartHand());
    ASSERT_EQ(table.Wall().size(), 108u);
    for (int k = 0; k < 108; ++k) {
        ASSERT_EQ(table.Wall()[k].id, k);
    }
    int held = 0;
    for (const CardRecord& record : table.Wall()) {
        held += record.state == kCardInHand ? 1 : 0;
        EXPECT_EQ(record.mark, -1);
        EXPECT_EQ(record.spare, 0);
    }
    EXPECT_EQ(held, 53);
    EXPECT_EQ(table.SeatTileCount(0), 14);
    for (const int seat : {1, 2, 3}) {
        EXPECT_EQ(table.SeatTileCount(seat), 13) << seat;
    }
    ExpectConservation(table);
    EXPECT_EQ(table.CurrentSeat(), 0);
    EXPECT_EQ(table.ActingSeat(), 0);
    EXPECT_EQ(table.WildTile1(), -1);

    // Four at a time from the start, by descending seat, then 2 and 1 each.
    const auto& wall = table.Wall();
    for (const int position : {41, 42, 43, 44, 89, 90}) {
        EXPECT_EQ(wall[position].owner, 0) << position;
    }
    for (const int position : {45, 48, 91}) {
        EXPECT_EQ(wall[position].owner, 3) << position;
    }
    EXPECT_EQ(wall[92].owner, 2);
    EXPECT_EQ(wall[93].owner, 1);
    EXPECT_EQ(wall[94].state, kCardInWall);
    EXPECT_EQ(wall[40].state, kCardInWall);

    table.SetDrawPosition();
    EXPECT_EQ(table.DrawnFront(), 53);
    EXPECT_EQ(table.FrontPosition(), 94);
}

TEST_F(MahjongWall, SixteenTileHandsGiveTheBankerSeventeen) {
    MahjongTableParameters parameters = kRegionalTableParameters;
    parameters.ruleFlags |= kMahjongRuleSixteenTiles;
    TestMahjongTable table(parameters);
    table.PlaceBankerAndDice(1, 3, 4);
    EXPECT_EQ(table.GetHandSize(), 16);
    ASSERT_TRUE(table.StartHand());
    EXPECT_EQ(table.SeatTileCount(1), 17);
    EXPECT_EQ(table.SeatTileCount(0), 16);
    ExpectConservation(table);
}

TEST_F(MahjongWall, ADealOverTilesAlreadyGivenIsRefused) {
    TestMahjongTable table;
    DealIdentityWall(table, 0, 3, 4);
    const std::vector<CardRecord> before(table.Wall().begin(), table.Wall().end());
    EXPECT_EQ(table.DealCards(), -1);
    EXPECT_EQ(table.SeatTileCount(0), 14);
    EXPECT_EQ(table.SeatTileCount(1), 13);
    ExpectSameRecords(before, table);
    // No second wall is laid on the first either.
    EXPECT_FALSE(table.BuildWall(Reversed(108)));
    EXPECT_FALSE(table.StartHand());
    EXPECT_EQ(table.Wall().size(), 108u);
    ExpectConservation(table);
}

TEST_F(MahjongWall, BuildWallTakesOnlyAFullPermutation) {
    TestMahjongTable table;
    std::vector<int32_t> ids(108);
    std::iota(ids.begin(), ids.end(), 0);
    std::vector<int32_t> duplicate = ids;
    duplicate[5] = 6;
    std::vector<int32_t> outside = ids;
    outside[0] = 108;
    std::vector<int32_t> negative = ids;
    negative[0] = -1;
    for (const auto* bad : {&duplicate, &outside, &negative}) {
        EXPECT_FALSE(table.BuildWall(*bad));
    }
    EXPECT_FALSE(table.BuildWall(std::span(ids).first(107)));
    EXPECT_TRUE(table.Wall().empty());
    EXPECT_TRUE(table.BuildWall(ids));
    EXPECT_EQ(table.Wall()[0].suit, 0);
    EXPECT_EQ(table.Wall()[107].suit, 2);
    EXPECT_EQ(table.Wall()[107].value, 9);
}

TEST_F(MahjongWall, BackDrawsRunStartMinusTwoMinusOneMinusFourMinusThree) {
    TestMahjongTable table;
    DealIdentityWall(table, 0, 3, 4);
    EXPECT_EQ(table.DrawBack(2), 39);
    EXPECT_EQ(table.DrawBack(2), 40);
    EXPECT_EQ(table.DrawBack(1), 37);
    EXPECT_EQ(table.DrawBack(3), 38);
    EXPECT_EQ(table.DrawnBack(), 4);
    EXPECT_EQ(table.SeatTileCount(2), 15);
    EXPECT_EQ(table.DrawCount(2), 2);
    ExpectConservation(table);
}

TEST_F(MahjongWall, ABackDrawTakesOnlyATileStillInTheWall) {
    TestMahjongTable table;
    DealIdentityWall(table, 0, 3, 4);
    ASSERT_EQ(table.SetTileState(39, kCardDiscarded), kCardInWall);
    // Start - 2 is gone: the next one toward the start is drawn.
    EXPECT_EQ(table.DrawBack(1), 40);
    // Start - 1 is gone now and the start itself is the banker's: nothing.
    const std::vector<CardRecord> before(table.Wall().begin(), table.Wall().end());
    EXPECT_EQ(table.DrawBack(1), -1);
    EXPECT_EQ(table.DrawnBack(), 1);
    EXPECT_EQ(table.SeatTileCount(1), 14);
    EXPECT_EQ(table.SeatTileCount(0), 14);
    ExpectSameRecords(before, table);
    ExpectConservation(table);
}

TEST_F(MahjongWall, FrontDrawsFollowTheDealAndEndAtAnEmptyWall) {
    TestMahjongTable table;
    DealIdentityWall(table, 0, 3, 4);
    EXPECT_EQ(table.DrawFront(3), 94);
    EXPECT_EQ(table.SeatTileCount(3), 14);
    EXPECT_EQ(table.DrawnFront(), 54);
    EXPECT_EQ(table.FrontPosition(), 95);
    int draws = 1;
    while (table.DrawFront(draws % 4) >= 0) {
        ASSERT_LT(++draws, 200);
    }
    EXPECT_EQ(draws, 55);
    EXPECT_TRUE(table.IsWallEmpty());
    EXPECT_EQ(table.DrawBack(0), -1);
    for (const CardRecord& record : table.Wall()) {
        EXPECT_EQ(record.state, kCardInHand) << record.id;
    }
    ExpectConservation(table);
}

TEST_F(MahjongWall, FrontAndBackDrawsMeetWithoutGivingATileTwice) {
    TestMahjongTable table;
    DealIdentityWall(table, 2, 5, 6);
    int given = 0;
    for (int step = 0; step < 200 && !table.IsWallEmpty(); ++step) {
        const bool front = step % 3 != 0;
        const int got = front ? table.DrawFront(step % 4) : table.DrawBack(step % 4);
        given += got >= 0 ? 1 : 0;
        if (got < 0 && front) {
            break;
        }
    }
    EXPECT_LE(given, 55);
    int held = 0;
    for (const CardRecord& record : table.Wall()) {
        held += record.state == kCardInHand ? 1 : 0;
    }
    EXPECT_EQ(held, 53 + given);
    ExpectConservation(table);
}

TEST_F(MahjongWall, DrawsForSeatsOutsideTheTableAreRefused) {
    TestMahjongTable table;
    DealIdentityWall(table, 0, 3, 4);
    for (const int seat : {-1, 4, 8, INT_MIN}) {
        EXPECT_EQ(table.DrawFront(seat), -1);
        EXPECT_EQ(table.DrawBack(seat), -1);
    }
    EXPECT_EQ(table.DrawnFront(), 53);
    EXPECT_EQ(table.DrawnBack(), 0);
    EXPECT_EQ(table.FrontPosition(), 94);
    ExpectConservation(table);

    TestMahjongTable empty;
    EXPECT_EQ(empty.DrawFront(0), -1);
    EXPECT_EQ(empty.DrawBack(0), -1);
    EXPECT_FALSE(empty.BurnFront());
    EXPECT_EQ(empty.DealCards(), -1);
}

TEST_F(MahjongWall, BurningTheFrontTileLaysItAside) {
    TestMahjongTable table;
    DealIdentityWall(table, 0, 3, 4);
    EXPECT_TRUE(table.BurnFront());
    EXPECT_EQ(table.TileState(94), kCardDiscarded);
    EXPECT_EQ(table.DrawFront(1), 95);
}

TEST_F(MahjongWall, TheWallCheckCountsEveryKindItsCopies) {
    TestMahjongTable suited;
    DealIdentityWall(suited, 0, 3, 4);
    EXPECT_EQ(suited.CheckWall(), 0);  // the honours are missing from 108 tiles

    MahjongTableParameters parameters = kRegionalTableParameters;
    parameters.tileCount = 136;
    parameters.indexBound = 38;
    TestMahjongTable full(parameters);
    std::vector<int32_t> ids(136);
    std::iota(ids.begin(), ids.end(), 0);
    ASSERT_TRUE(full.BuildWall(ids));
    EXPECT_EQ(full.CheckWall(), 1);
}

TEST_F(MahjongWall, TheShuffleSeedHoldsLargeSettingsWords) {
    TestClock::now = 7000;
    TestMahjongTable table;
    std::vector<int32_t> settings(kSettingsWords, 0);
    settings[12] = INT_MAX;
    settings[13] = INT_MAX;
    ASSERT_TRUE(table.SetTableSettings(settings));
    EXPECT_TRUE(table.ShuffleWall());
    const uint32_t seed = static_cast<uint32_t>(int64_t{INT_MAX} * 11);
    EXPECT_EQ(ScriptedRandom::lastSeed, 7u + seed * 1000u);
    EXPECT_EQ(table.Wall().size(), 108u);
}

TEST_F(MahjongWall, HandTileIdsStopsAtTheListsEnd) {
    TestMahjongTable table;
    DealIdentityWall(table, 0, 3, 4);
    std::vector<int32_t> five(5, 0);
    EXPECT_EQ(table.HandTileIds(0, five), 5);
    EXPECT_EQ(five, (std::vector<int32_t>{41, 42, 43, 44, 57}));
    std::vector<int32_t> all(32, 0);
    EXPECT_EQ(table.HandTileIds(0, all), 14);
    EXPECT_EQ(all[13], 90);
    EXPECT_EQ(all[14], -1);
    EXPECT_EQ(table.HandTileIds(7, all), 0);
    EXPECT_EQ(all[0], -1);
}

TEST_F(MahjongWall, RecordQueriesAndMoves) {
    TestMahjongTable table;
    DealIdentityWall(table, 0, 3, 4);
    EXPECT_EQ(table.FindRecord(44), 44);
    EXPECT_EQ(table.FindRecord(200), -1);
    EXPECT_EQ(table.TileState(500), kCardAbsent);
    EXPECT_EQ(table.TileOwner(45), 3);
    EXPECT_TRUE(table.SeatHoldsTile(0, 41));
    EXPECT_FALSE(table.SeatHoldsTile(1, 41));
    EXPECT_EQ(table.FirstHeldTile(3), 45);
    EXPECT_EQ(table.FirstIdOfIndex(1), 0);
    EXPECT_EQ(table.FirstIdOfIndex(0), -1);

    // A held tile moves with its count; a wall tile or a bad seat does not.
    EXPECT_TRUE(table.MoveTile(41, 2));
    EXPECT_EQ(table.SeatTileCount(0), 13);
    EXPECT_EQ(table.SeatTileCount(2), 14);
    EXPECT_FALSE(table.MoveTile(41, 2));
    EXPECT_FALSE(table.MoveTile(0, 1));
    EXPECT_FALSE(table.MoveTile(42, 4));
    ExpectConservation(table);

    EXPECT_EQ(table.SetTileState(42, 77), kCardAbsent);
    EXPECT_EQ(table.SetTileOwner(42, 6), kCardAbsent);
    EXPECT_EQ(table.TileState(42), kCardInHand);

    // A meld search marks the record it takes.
    EXPECT_EQ(table.TakeRecordFor(0, 1, 1), -1);  // seat 0 holds no 1 of suit 1
    EXPECT_EQ(table.TakeRecordFor(3, 1, 1), 45);
    EXPECT_EQ(table.TileState(45), kCardTakenBySearch);

    // Counts and ids.
    HandCounts counts{};
    const std::vector<int32_t> ids = {0, 9, -1, 300, 107};
    EXPECT_EQ(table.CountsFromIds(ids, counts), 3);
    EXPECT_EQ(counts[1], 2);
    EXPECT_EQ(counts[29], 1);
    HandCounts wanted{};
    wanted[table.IndexOf(43)] = 1;
    wanted[table.IndexOf(57)] = 1;
    std::array<int32_t, 64> found{};
    EXPECT_EQ(table.IdsFromCounts(wanted, 0, found), 2);
    EXPECT_EQ(found[2], -1);
    EXPECT_TRUE(found[0] == 43 || found[1] == 43);

    // Records set directly, then the counts rebuilt from them.
    table.SetTileState(45, kCardInHand);
    table.SetTileOwner(0, 1);
    table.SetTileState(0, kCardInHand);
    table.RebuildCounts();
    EXPECT_EQ(table.SeatTileCount(1), 14);
    ExpectConservation(table);

    const std::array<int32_t, 10> flags = {0, 0, 3, 0, 5, 0, 0, 0, 0, 0};
    EXPECT_EQ(CMahjongTableLogic::CountNonZero(flags), 2);
    EXPECT_EQ(CMahjongTableLogic::FirstNonZero(flags), 2);
    EXPECT_EQ(CMahjongTableLogic::FirstNonZero(std::span<const int32_t>()), -1);
}

TEST_F(MahjongWall, WildSuccessorWrapsEachRun) {
    TestMahjongTable table;
    EXPECT_EQ(table.WildSuccessor(8), 9);
    EXPECT_EQ(table.WildSuccessor(35), 0);
    EXPECT_EQ(table.WildSuccessor(71), 36);
    EXPECT_EQ(table.WildSuccessor(118), 108);
    EXPECT_EQ(table.WildSuccessor(121), 112);
    EXPECT_EQ(table.WildSuccessor(-3), -1);
}

// --- The recorded test deal ---

TEST_F(MahjongWall, ATestDealIsRecordedAndReplayed) {
    {
        TestMahjongTable recorder;
        std::vector<int32_t> deal = Reversed(108);
        ASSERT_TRUE(recorder.LoadTestDeal(deal));
        EXPECT_EQ(deal, Reversed(108));
        int32_t value = 5;
        EXPECT_EQ(recorder.TestDealValue("Dice", value), 5);
    }
    const std::string text = folder.Read("test.ini");
    EXPECT_NE(text.find("Total=107|106|105|"), std::string::npos) << text;
    EXPECT_NE(text.find("|1|0|\r\n"), std::string::npos);
    EXPECT_NE(text.find("Dice=5"), std::string::npos);

    ASSERT_TRUE(
        platform::WritePrivateProfileString("Card", "Made", "1", (folder / "test.ini").c_str()));
    TestMahjongTable player;
    player.SetTestDealReplay(true);
    player.PlaceBankerAndDice(0, 3, 4);
    ASSERT_TRUE(player.StartHand());
    for (int k = 0; k < 108; ++k) {
        ASSERT_EQ(player.Wall()[k].id, 107 - k);
    }
    int32_t value = 0;
    EXPECT_EQ(player.TestDealValue("Dice", value), 5);
    EXPECT_EQ(value, 5);
    ExpectConservation(player);
}

TEST_F(MahjongWall, AMalformedRecordedDealIsRefusedAndTheShuffleKept) {
    std::string full;
    for (int k = 0; k < 108; ++k) {
        full += std::to_string(k) + "|";
    }
    const std::string duplicate = "1|" + full.substr(2);
    const std::string outside = full + "108|";
    const std::string outsideInPlace = "108|" + full.substr(2);
    const std::string junk = "0x|" + full.substr(2);
    const std::string gap = "|" + full.substr(2);
    for (const std::string& total :
         {std::string("1|2|3|"), duplicate, outsideInPlace, junk, gap, std::string()}) {
        folder.Write("test.ini", "[Card]\r\nMade=1\r\nTotal=" + total + "\r\n");
        TestMahjongTable table;
        std::vector<int32_t> deal = Reversed(108);
        EXPECT_FALSE(table.LoadTestDeal(deal)) << total.substr(0, 20);
        EXPECT_EQ(deal, Reversed(108));
    }
    // Pieces after the last tile are not read.
    folder.Write("test.ini", "[Card]\r\nMade=1\r\nTotal=" + outside + "\r\n");
    TestMahjongTable table;
    std::vector<int32_t> deal = Reversed(108);
    EXPECT_TRUE(table.LoadTestDeal(deal));
    EXPECT_EQ(deal[0], 0);

    // A replaying table with a bad record deals the shuffle.
    folder.Write("test.ini", "[Card]\r\nMade=1\r\nTotal=1|2|3|\r\n");
    TestMahjongTable replaying;
    replaying.SetTestDealReplay(true);
    replaying.PlaceBankerAndDice(0, 3, 4);
    ASSERT_TRUE(replaying.StartHand());
    EXPECT_EQ(replaying.Wall()[0].id, 0);
    ExpectConservation(replaying);
}

TEST_F(MahjongWall, TestDealValuesKeepOffTheDealsOwnKeys) {
    TestMahjongTable table;
    int32_t value = 9;
    EXPECT_EQ(table.TestDealValue("Made", value), 0);
    EXPECT_EQ(table.TestDealValue("TOTAL", value), 0);
    EXPECT_EQ(table.TestDealValue("", value), 0);
    EXPECT_EQ(table.TestDealValue(nullptr, value), 0);
    EXPECT_EQ(value, 9);
    EXPECT_EQ(folder.Read("test.ini"), "");
    // Recording refuses a list that is not a deal.
    std::vector<int32_t> shortList = {0, 1, 2};
    EXPECT_FALSE(table.LoadTestDeal(shortList));
    EXPECT_EQ(folder.Read("test.ini"), "");
}

// --- Bids ---

TableRequest BidRequest(int seat, int flag, int value) {
    TableRequest request;
    request.words[3] = seat;
    request.words[6] = flag;
    request.words[7] = value;
    return request;
}

TEST_F(MahjongWall, TheBidListHoldsThirtyTwoBids) {
    TestMahjongTable table;
    int done = 0;
    for (int k = 0; k < kMaxBids; ++k) {
        ASSERT_EQ(table.Bid(BidRequest(k % 4, 0, 100), done), 1) << k;
    }
    EXPECT_EQ(table.Bid(BidRequest(1, 0, 100), done), 0);
    EXPECT_EQ(table.Bids().size(), 32u);
    EXPECT_EQ(table.Bid(BidRequest(4, 0, 100), done), 0);
    EXPECT_EQ(table.Bid(BidRequest(-1, 0, 100), done), 0);
}

TEST_F(MahjongWall, ABidRoundDecidesBankerAndStake) {
    {
        TestMahjongTable table;  // no bid round: only a winning bid counts
        int done = 0;
        EXPECT_EQ(table.Bid(BidRequest(1, 0, 399), done), 1);
        EXPECT_EQ(done, 0);
        EXPECT_EQ(table.Bid(BidRequest(2, 0, 400), done), 1);
        EXPECT_EQ(done, 1);
        EXPECT_EQ(table.Stake(), 400);
        EXPECT_EQ(table.Banker(), 2);
    }
    MahjongTableParameters parameters = kRegionalTableParameters;
    parameters.ruleFlags |= kMahjongRuleBidRound;
    {
        TestMahjongTable table(parameters);
        int done = 0;
        table.Bid(BidRequest(0, 0, 150), done);
        table.Bid(BidRequest(1, 1, 390), done);  // flagged bids do not count
        table.Bid(BidRequest(2, 0, 250), done);
        EXPECT_EQ(done, 0);
        table.Bid(BidRequest(3, 0, 120), done);
        EXPECT_EQ(done, 1);
        EXPECT_EQ(table.Stake(), 250);
        EXPECT_EQ(table.Banker(), 2);
    }
    {
        TestMahjongTable table(parameters);
        int done = 0;
        for (int seat = 0; seat < 4; ++seat) {
            table.Bid(BidRequest(seat, 1, 300), done);
        }
        EXPECT_EQ(done, 1);
        EXPECT_EQ(table.Stake(), 100);
    }
    parameters.ruleFlags |= kMahjongRuleLowestBidWins;
    parameters.winningLowBid = 10;
    {
        TestMahjongTable table(parameters);
        int done = 0;
        for (const int value : {90, 40, 60, 70}) {
            table.Bid(BidRequest(static_cast<int>(table.Bids().size()), 0, value), done);
        }
        EXPECT_EQ(table.Stake(), 40);
        EXPECT_EQ(table.Banker(), 1);
        TestMahjongTable atOnce(parameters);
        atOnce.Bid(BidRequest(3, 0, 10), done);
        EXPECT_EQ(done, 1);
        EXPECT_EQ(atOnce.Banker(), 3);
    }
}

TEST_F(MahjongWall, TheUnusedArgumentsChangeNothing) {
    MahjongTableParameters other = kRegionalTableParameters;
    other.unusedBaseArgument = 77;
    other.unusedArgument15 = -5;
    for (const MahjongTableParameters& parameters : {kRegionalTableParameters, other}) {
        ScriptedRandom::draws = {2, 3};
        TestMahjongTable table(parameters);
        table.PlaceBankerAndDice(1, 0, 0);
        table.RollTableDice();
        ASSERT_TRUE(table.StartHand());
        table.SetDrawPosition();
        EXPECT_EQ(table.WallStart(), 14 + 27 * 2) << parameters.unusedBaseArgument;
        EXPECT_EQ(table.FrontPosition(), (68 + 53) % 108);
        EXPECT_EQ(table.SeatTileCount(1), 14);
    }
}

TEST_F(MahjongWall, AFullResetClearsTheHandAndTheRoundButAPlainOneKeepsTheStreak) {
    TestMahjongTable table;
    table.PlaceBankerAndDice(0, 3, 4);
    ASSERT_TRUE(table.StartHand());
    int done = 0;
    TableRequest bid;
    bid.words[3] = 2;
    bid.words[7] = 500;
    ASSERT_EQ(table.Bid(bid, done), 1);
    ASSERT_EQ(table.Stake(), 500);

    table.Reset(false);
    EXPECT_TRUE(table.Wall().empty());
    EXPECT_EQ(table.SeatTileCount(0), 0);
    EXPECT_EQ(table.Stake(), 100);
    EXPECT_TRUE(table.Bids().empty());
    EXPECT_EQ(table.WallStart(), 0);
    EXPECT_EQ(table.Die(0), 0);
    EXPECT_EQ(table.CurrentSeat(), 0);  // kept until the full reset
    EXPECT_EQ(table.Banker(), 2);       // the base keeps its banker too

    table.Reset(true);
    EXPECT_EQ(table.CurrentSeat(), -1);
    EXPECT_EQ(table.ActingSeat(), -1);
    EXPECT_EQ(table.Banker(), -1);
}

// --- A whole game start ---

TEST_F(MahjongWall, AGameStartDealsOneWallOnce) {
    TestMahjongTable table;
    for (int chair = 0; chair < 4; ++chair) {
        ASSERT_GT(table.AddPlayer(MakePlayer(100 + chair, chair)), 0);
        table.MarkReady(chair);
    }
    RoundParameters round;
    round.maxScore = 1000;
    round.maxPlayerGames = 10;
    round.maxGames = 10;
    ScriptedRandom::draws = {2, 3, 1};  // banker 2, then the dice 4 and 2
    int chair = -1;
    ASSERT_EQ(table.StartGame(round, chair), 1);
    EXPECT_EQ(table.Banker(), 2);
    EXPECT_EQ(table.Die(0), 4);
    EXPECT_EQ(table.Die(1), 2);
    EXPECT_EQ(table.WallStart(), (4 * 27 + 12) % 108);
    EXPECT_EQ(table.SeatTileCount(2), 14);
    EXPECT_EQ(table.DrawnFront(), 53);
    EXPECT_TRUE(table.IsPlayingNow());
    ExpectConservation(table);

    EXPECT_EQ(table.StartGame(round, chair), kStartAlreadyPlaying);
    EXPECT_EQ(table.Wall().size(), 108u);
    ExpectConservation(table);
}

}  // namespace
