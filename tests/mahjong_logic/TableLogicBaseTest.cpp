#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "mahjong_logic/TableLogicBase.h"
#include "platform/Profile.h"
#include "tests/mahjong_logic/LogicTestSupport.h"

namespace {

class BaseTable : public CTableLogicBase {
public:
    explicit BaseTable(int players = 4, uint32_t rules = 0)
        : CTableLogicBase(7, -1, 1, players, rules, 0, 3) {}
};

using TableLogicBase = LogicFixture;

TEST_F(TableLogicBase, AddPlayerRefusesChairsOutsideTheTable) {
    BaseTable table;
    for (const int chair : {-1, 4, 9, INT_MAX}) {
        EXPECT_EQ(table.AddPlayer(MakePlayer(10, chair)), -1) << chair;
    }
    EXPECT_EQ(table.GetUserCount(), 0);
    EXPECT_EQ(CountedPlayer::live, 0);  // refused objects are not kept
    EXPECT_EQ(table.AddPlayer(nullptr), -1);
}

TEST_F(TableLogicBase, AddPlayerRefusesAFullTableAndATakenChair) {
    BaseTable table(2);
    EXPECT_EQ(table.AddPlayer(MakePlayer(1, 0)), 1);
    EXPECT_EQ(table.AddPlayer(MakePlayer(2, 0)), -1);  // taken
    EXPECT_EQ(table.AddPlayer(MakePlayer(2, 1)), 2);
    EXPECT_TRUE(table.IsTableFull());
    EXPECT_EQ(table.AddPlayer(MakePlayer(3, 1)), -1);  // full
    EXPECT_TRUE(table.IsSeatUser(1, 0));
    EXPECT_TRUE(table.IsSeatUser(2, 1));
    EXPECT_EQ(CountedPlayer::live, 2);
}

TEST_F(TableLogicBase, ReplacingAUserFreesTheOldObjectAndItsSeat) {
    {
        BaseTable table;
        table.MarkReady(2);
        ASSERT_EQ(table.AddPlayer(MakePlayer(7, 0)), 1);
        EXPECT_EQ(table.AddPlayer(MakePlayer(7, 2, 55)), 1);
        EXPECT_EQ(CountedPlayer::live, 1);
        EXPECT_EQ(table.SeatedPlayer(0), nullptr);
        ASSERT_NE(table.SeatedPlayer(2), nullptr);
        EXPECT_EQ(table.SeatedPlayer(2)->score, 55);
        EXPECT_EQ(table.ChairFlags(2) & kChairReady, 0u);  // seating clears the ready bit
        // The same user again on the same chair is a replacement, not "taken".
        EXPECT_EQ(table.AddPlayer(MakePlayer(7, 2, 66)), 1);
        EXPECT_EQ(table.GetPlayer(7)->score, 66);
    }
    EXPECT_EQ(CountedPlayer::live, 0);
}

TEST_F(TableLogicBase, RemovingAUserLeavesNoSeatPointingAtIt) {
    BaseTable table;
    table.AddPlayer(MakePlayer(5, 1));
    table.AddPlayer(MakePlayer(6, 3));
    ASSERT_TRUE(table.AddChairWatcher(6, 1));

    table.RemoveUserFromChair(5, 1);
    EXPECT_EQ(table.SeatedPlayer(1), nullptr);
    EXPECT_FALSE(table.IsSeatUser(5, 1));
    // The user comes back on another chair: it is not seated twice.
    ASSERT_EQ(table.AddPlayer(MakePlayer(5, 2)), 2);
    EXPECT_EQ(table.SeatedPlayer(1), nullptr);
    EXPECT_EQ(table.RemovePlayer(5, true), 2);
    EXPECT_EQ(table.CountInfoPlayers(), 1);
    EXPECT_EQ(table.CountConnectedPlayers(), 1);
    table.RemoveUserFromChair(6, 9);  // a bad chair still removes the user
    EXPECT_EQ(table.SeatedPlayer(3), nullptr);
    EXPECT_EQ(CountedPlayer::live, 0);

    table.AddPlayer(MakePlayer(8, 2));
    std::unique_ptr<TablePlayer> kept;
    EXPECT_EQ(table.RemovePlayer(8, false, &kept), 2);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->userId, 8);
    EXPECT_EQ(table.Side(2), -1);
    EXPECT_EQ(table.RemovePlayer(8, true), -1);
}

TEST_F(TableLogicBase, LookersOnAndConnections) {
    BaseTable table;
    auto looker = MakePlayer(20, 0);
    looker->isLooker = 1;
    table.AddPlayer(std::move(looker));
    auto offline = MakePlayer(21, 1);
    offline->connected = false;
    table.AddPlayer(std::move(offline));
    EXPECT_TRUE(table.IsLooker(20));
    EXPECT_FALSE(table.IsPlayer(20));
    EXPECT_EQ(table.GetLooker(21), nullptr);
    EXPECT_EQ(table.GetPlayer(99), nullptr);
    EXPECT_FALSE(table.IsChairConnected(1));
    EXPECT_TRUE(table.IsChairConnected(0));
    EXPECT_FALSE(table.IsChairConnected(-3));
}

TEST_F(TableLogicBase, WalksFromChairsOutsideTheTableEnd) {
    BaseTable table;
    table.AssignSides();
    EXPECT_EQ(table.GetPrevSeat(0), 3);
    EXPECT_EQ(table.GetNextSeat(3), 0);
    for (const int chair : {-1, 9, INT_MIN}) {
        EXPECT_EQ(table.GetPrevSeat(chair), -1);
        EXPECT_EQ(table.GetNextSeat(chair), -1);
        EXPECT_EQ(table.FindPrevChairOfSide(chair, 1), -1);
        EXPECT_EQ(table.FindPrevChairNotOfSide(chair, 1), -1);
        EXPECT_EQ(table.ShareOfPayment(1, chair, 10), 0);
        int visits = 0;
        table.ForEachChairBetween(chair, 2, [&](int) { ++visits; });
        table.ForEachChairBetween(2, chair, [&](int) { ++visits; });
        EXPECT_EQ(visits, 0);
    }
    EXPECT_EQ(table.FindPrevChairOfSide(2, 0), 0);
    EXPECT_EQ(table.FindPrevChairNotOfSide(2, 2), 1);
    EXPECT_EQ(table.FindPrevChairOfSide(2, 2), -1);  // only itself
    std::vector<int> visited;
    table.ForEachChairBetween(3, 0, [&](int c) { visited.push_back(c); });
    EXPECT_EQ(visited, (std::vector<int>{2, 1}));
}

TEST_F(TableLogicBase, SidesAndAllies) {
    BaseTable table;
    EXPECT_EQ(table.CountSides(), 0);
    table.AssignSides();
    EXPECT_EQ(table.CountSides(), 4);
    table.SetSide(3, 1);
    EXPECT_EQ(table.CountSideMembers(1), 2);
    EXPECT_EQ(table.CountSideMembers(8), 0);
    EXPECT_EQ(table.CountOtherSideMembers(1), 2);
    EXPECT_EQ(table.IsOpponent(1, 3, 5), 0);
    EXPECT_EQ(table.IsOpponent(0, 3, 5), 1);
    EXPECT_EQ(table.IsOpponent(2, 2, 5), -5);
}

TEST_F(TableLogicBase, StateFlagsAddClearAndTouch) {
    BaseTable table;
    table.SetTableSettings(std::vector<int32_t>(kSettingsWords, 0));
    EXPECT_EQ(table.TableState(), kTableWaiting);
    table.SetFlag4096();
    EXPECT_EQ(table.TableState(), kTableWaiting | kTableFlag4096);
    TestClock::Advance(500);
    table.TouchState();  // adds nothing, stamps the tick
    EXPECT_EQ(table.TableState(), kTableWaiting | kTableFlag4096);
    EXPECT_EQ(table.PhaseTick(), TestClock::now);
    table.SetPlaying();  // playing ends waiting
    EXPECT_EQ(table.TableState(), kTablePlaying | kTableFlag4096);
    EXPECT_TRUE(table.IsPlayingNow());
    EXPECT_FALSE(table.IsPaused());
    table.ClearFlag4096();
    table.AddStateFlags(0x400);
    EXPECT_EQ(table.TableState(), kTablePlaying | 0x400u);
    table.SetState(kTableWaiting);
    EXPECT_TRUE(table.IsPaused());
    EXPECT_TRUE(table.IsNotPlaying());
}

TEST_F(TableLogicBase, TimersLimitsAndThinkingTime) {
    BaseTable table;
    EXPECT_EQ(table.StartPhaseTimer(1, 15), 1);
    EXPECT_EQ(table.TimeLimitMs(), 16000);
    EXPECT_EQ(table.StartPhaseTimer(7, 15), -1);
    EXPECT_EQ(table.GetActiveChair(), 1);

    TestClock::Advance(16000);
    EXPECT_FALSE(table.IsPhaseTimedOut(1));
    EXPECT_TRUE(table.IsTurnTimedOut());
    TestClock::Advance(1);
    EXPECT_TRUE(table.IsPhaseTimedOut(1));
    EXPECT_FALSE(table.IsPhaseTimedOut(-1));

    table.SetActiveChair(2);  // chair 1's time is counted
    EXPECT_EQ(table.ThinkingTime(1), 16001);
    EXPECT_EQ(table.GetActiveChair(), 2);

    table.StartPhaseTimer(0, 15);
    table.SetChairFlags(0, kChairTimedOutAtOnce);
    EXPECT_TRUE(table.IsPhaseTimedOut(0));  // at once
    EXPECT_TRUE(table.IsChairOut(0));
    table.SetChairFlags(3, kChairOut | kChairFlag16);
    EXPECT_TRUE(table.IsChairOut(3));
    EXPECT_TRUE(table.IsChairFlag16(3));
    EXPECT_FALSE(table.IsChairOut(11));

    EXPECT_EQ(table.CheckTurnTimeout(0, 5), 0);  // the active chair
    EXPECT_EQ(table.CheckTurnTimeout(2, 5), 2);
    TestClock::Advance(5001);
    EXPECT_EQ(table.CheckTurnTimeout(2, 5), 0);
    EXPECT_EQ(table.IncrementTurnCount(2), 1);
    EXPECT_EQ(table.IncrementTurnCount(-2), 0);
}

TEST_F(TableLogicBase, TimersSurviveTheWrapOfTheTickCount) {
    BaseTable table;
    TestClock::now = 0xFFFFF000u;
    table.StartPhaseTimer(2, 1);   // 2000 ms
    TestClock::now = 0x00000100u;  // 0x1100 ms later, past the wrap
    EXPECT_TRUE(table.IsPhaseTimedOut(2));
    EXPECT_TRUE(table.IsTurnTimedOut());
    TestClock::now = 0xFFFFF000u + 1500;
    EXPECT_FALSE(table.IsPhaseTimedOut(2));
    EXPECT_FALSE(table.IsTurnTimedOut());
}

TEST_F(TableLogicBase, StuckAndIdleTables) {
    BaseTable table;  // fresh, not playing
    std::vector<int32_t> settings(kSettingsWords, 0);
    settings[34] = 1;
    table.SetTableSettings(settings);
    TestClock::Advance(60000);
    EXPECT_FALSE(table.IsIdleTooLong());
    TestClock::Advance(1);
    EXPECT_TRUE(table.IsIdleTooLong());
    TestClock::Advance(59999);
    EXPECT_FALSE(table.IsTableStuck());
    TestClock::Advance(1);
    EXPECT_TRUE(table.IsTableStuck());  // 120 s without a state change

    table.SetPlaying();
    table.StartPhaseTimer(0, 4);  // limit 5000: stuck after 20000
    TestClock::Advance(19999);
    EXPECT_FALSE(table.IsTableStuck());
    TestClock::Advance(1);
    EXPECT_TRUE(table.IsTableStuck());
}

TEST_F(TableLogicBase, ReadyPauseAndWithinSeconds) {
    class PausingTable : public BaseTable {
    public:
        bool IsPauseAllowed() const override { return true; }
    };
    PausingTable table;
    table.SetOptionWord(0, 1);
    EXPECT_FALSE(table.MarkReady(4));
    EXPECT_TRUE(table.MarkReady(1));
    TestClock::Advance(2999);
    EXPECT_TRUE(table.IsReadyRecently(1, 3));
    TestClock::Advance(1);
    EXPECT_FALSE(table.IsReadyRecently(1, 3));
    EXPECT_FALSE(table.IsReadyRecently(0, 3));

    table.SetPauseSeconds(true, 10);
    EXPECT_TRUE(table.IsPauseActive());
    EXPECT_EQ(table.GetPauseSeconds(), 10);
    EXPECT_EQ(table.GetPauseLeft(TestClock::now), 9);  // elapsed counts as at least 1
    EXPECT_EQ(table.GetPauseLeft(TestClock::now + 4000), 6);
    EXPECT_EQ(table.GetPauseLeft(TestClock::now + 60000), 2);
    table.SetPauseSeconds(false, 0);
    EXPECT_FALSE(table.IsPauseActive());

    BaseTable plain;
    plain.SetPauseSeconds(true, 10);  // the base allows no pause
    EXPECT_FALSE(plain.IsPauseActive());
    EXPECT_FALSE(plain.WithinSeconds(0));
}

TEST_F(TableLogicBase, KickTimeFileNameAndDefault) {
    BaseTable table;
    EXPECT_EQ(table.GetServerIniPath(), folder.Path() + "pvbnsvr.ini");
    EXPECT_EQ(table.GetKickTime(), 120);
    folder.Write("pvbnsvr.ini", "[SoloAlone]\r\nKickTime=45\r\n");
    EXPECT_EQ(table.GetKickTime(), 45);

    platform::SetProgramFileNameForTesting("abc.exe");
    EXPECT_EQ(table.GetServerIniPath(), folder.Path() + "abc.svr.ini");
    EXPECT_EQ(table.GetKickTime(), 120);
    platform::SetProgramFileNameForTesting("ab");
    EXPECT_EQ(table.GetServerIniPath(), folder.Path() + "absvr.ini");
}

TEST_F(TableLogicBase, DefaultPlayerNames) {
    BaseTable table;
    EXPECT_EQ(table.GetDefaultPlayerName(0), "游戏玩家【甲】");
    EXPECT_EQ(table.GetDefaultPlayerName(7), "游戏玩家【辛】");
    EXPECT_EQ(table.GetDefaultPlayerName(8), "游戏玩家");
    EXPECT_EQ(table.GetDefaultPlayerName(-1), "游戏玩家");
}

TEST_F(TableLogicBase, HooksAnswerTheirFixedValues) {
    BaseTable table;
    TableResult result;
    std::vector<uint8_t> buffer(16, 0xAB);
    int chance = 0;
    std::vector<int32_t> weights(4), percents(4);
    struct Row {
        const char* name;
        int value;
        int expected;
    };
    const Row rows[] = {
        {"DealHook", table.DealHook(), 1},
        {"GetTableStatusSize", table.GetTableStatusSize(), 88},
        {"GetGameStateSize", table.GetGameStateSize(), 0},
        {"PackGameState", table.PackGameState(buffer, 0, false), 0},
        {"GetPlayerStateSize", table.GetPlayerStateSize(), 0},
        {"PackPlayerState", table.PackPlayerState(buffer, 0), 0},
        {"GetGameResultSize", table.GetGameResultSize(), 432},
        {"GetResultFlags1", table.GetResultFlags1(), 0},
        {"GetResultFlags2", table.GetResultFlags2(), 0},
        {"GameStartHook", table.GameStartHook(), 0},
        {"ComputeScores", table.ComputeScores(result, 2), 0},
        {"ResultHook1", table.ResultHook1(result), 1},
        {"ResultHook2", table.ResultHook2(result), 1},
        {"AdjustScores", table.AdjustScores(result, 1, 2, 3), 0},
        {"GetFeeCapPer100", table.GetFeeCapPer100(), 5},
        {"CanStart", table.CanStart(), 1},
        {"IsPauseAllowed", table.IsPauseAllowed(), 0},
        {"SnapshotHook", table.SnapshotHook(), 1},
        {"IsReliefAllowed", table.IsReliefAllowed(), 0},
        {"GetReliefParameters", table.GetReliefParameters(chance, weights, percents), 55},
        {"ClearTableSettings", table.ClearTableSettings(), 0},
        {"GetFirstWord", table.GetFirstWord(4, 9), 4},
        {"GetSecondWord", table.GetSecondWord(4, 9), 9},
        {"Negate", table.Negate(12), -12},
        {"IsSameChair", table.IsSameChair(3, 3), 1},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.value, row.expected) << row.name;
    }
    EXPECT_EQ(buffer, std::vector<uint8_t>(16, 0));  // the packers zero the buffer
    EXPECT_EQ(weights, (std::vector<int32_t>{84, 12, 4, 0}));
    EXPECT_EQ(percents, (std::vector<int32_t>{10, 50, 100, 0}));

    std::vector<int32_t> shortWeights(3, -1), shortPercents(3, -1);
    EXPECT_EQ(table.GetReliefParameters(chance, shortWeights, shortPercents), 55);
    EXPECT_EQ(shortWeights, std::vector<int32_t>(3, -1));
    EXPECT_EQ(shortPercents, std::vector<int32_t>(3, -1));
}

TEST_F(TableLogicBase, SettingsBlockIsCheckedAndCopied) {
    BaseTable table;
    EXPECT_FALSE(table.SetTableSettings(std::vector<int32_t>(60, 1)));
    EXPECT_EQ(table.TableState(), 0u);
    std::vector<int32_t> settings(kSettingsWords, 0);
    settings[1] = 1;
    settings[30] = 12;
    settings[31] = 77;
    EXPECT_TRUE(table.SetTableSettings(settings));
    EXPECT_EQ(table.GameCounter(), 12);
    EXPECT_TRUE(table.HasFixedBase());
    EXPECT_EQ(table.GetSettingsWord1(), 1);
    EXPECT_EQ(table.GetScoreBase(0), 77);
    EXPECT_EQ(table.GetScoreBase(5), 5);
    EXPECT_EQ(table.SettingsWord(61), 0);
}

TEST_F(TableLogicBase, FullResetEmptiesTheTableAndRoundResetKeepsPlayers) {
    BaseTable table;
    table.AddPlayer(MakePlayer(1, 0));
    table.AddPlayer(MakePlayer(2, 1));
    table.AssignSides();
    table.MarkReady(0);
    table.SetPlaying();
    table.StartPhaseTimer(0, 3);
    table.ResetRound();
    EXPECT_EQ(table.GetUserCount(), 2);
    EXPECT_EQ(table.Side(1), 1);
    EXPECT_EQ(table.ChairFlags(0) & kChairReady, kChairReady);  // kept by the round reset
    EXPECT_EQ(table.GetActiveChair(), -1);
    EXPECT_FALSE(table.IsPlayingNow());
    table.Reset(false);
    EXPECT_EQ(table.ChairFlags(0), 0u);
    EXPECT_EQ(table.GetUserCount(), 2);
    table.ResetFull();
    EXPECT_EQ(table.GetUserCount(), 0);
    EXPECT_EQ(table.Side(1), -1);
    EXPECT_EQ(CountedPlayer::live, 0);
}

TEST_F(TableLogicBase, NameAndPairTablesAreBoundedByThePlayerCount) {
    BaseTable table(2);
    std::vector<ListedPlayer> listed(6);
    for (int i = 0; i < 6; ++i) {
        listed[i].present = true;
        listed[i].chair = i;
        listed[i].name = std::string(80, static_cast<char>('a' + i));  // longer than a slot
    }
    table.StoreNames(listed);
    ASSERT_EQ(table.NameTable().size(), 2u * 52u);
    EXPECT_EQ(std::string(table.NameTable().data()), std::string(51, 'a'));
    EXPECT_EQ(std::string(table.NameTable().data() + 52), std::string(51, 'b'));

    table.MakeProfiles(0, listed);
    ASSERT_EQ(table.PairTable().size(), 2u * 2u * 8u);
    EXPECT_EQ(table.PairTable()[8], listed[1].profile.value107);  // (0, 1)
    table.MakeProfiles(5, listed);                                // a bad chair: nothing
    const PlayerProfile profile = table.GetProfile(0, 1, nullptr);
    EXPECT_EQ(profile.pairEntry[0], listed[1].profile.value107);
    EXPECT_EQ(profile.constant1000, 1000);
    EXPECT_EQ(profile.name, "游戏玩家【甲】");
}

TEST_F(TableLogicBase, RandomProfileFromTheScriptedGenerator) {
    BaseTable table;
    auto player = MakePlayer(3, 1);
    player->profileSeedLow = 4;
    player->profileSeedHigh = 2;
    ScriptedRandom::draws = {9, 1, 200, 95, 0};
    const PlayerProfile profile = table.MakeRandomProfile(1, player.get());
    EXPECT_EQ(ScriptedRandom::lastSeed, TestClock::now + 24);
    EXPECT_EQ(profile.flag, 1);
    EXPECT_EQ(profile.sign, 1);
    EXPECT_EQ(profile.value107, 200 % 107);
    EXPECT_EQ(profile.value91, 95 % 91 + 10);
    EXPECT_EQ(profile.value187, 1);  // 0 with the sign bit set becomes 1
}

TEST_F(TableLogicBase, CollectReadyPlayersNeedsEveryChairRequiredAndSeated) {
    BaseTable table(2);
    std::vector<ReadyPlayer> ready;
    table.AddPlayer(MakePlayer(1, 0, 10, 20));
    table.SetChairFlags(0, kChairRequired);
    EXPECT_EQ(table.CollectReadyPlayers(ready), 0);
    table.SetChairFlags(1, kChairRequired);
    EXPECT_EQ(table.CollectReadyPlayers(ready), 0);  // chair 1 empty
    EXPECT_TRUE(ready.empty());
    table.AddPlayer(MakePlayer(2, 1, 30, 40));
    table.SetChairFlags(1, kChairRequired);
    ASSERT_EQ(table.CollectReadyPlayers(ready), 2);
    EXPECT_EQ(ready[1].userId, 2);
    EXPECT_EQ(ready[1].silver, 40);
}

TEST_F(TableLogicBase, TableStatusIsCheckedAndLaidOut) {
    BaseTable table;
    std::vector<uint8_t> small(87, 0xEE);
    EXPECT_FALSE(table.FillTableStatus(small));
    EXPECT_EQ(small, std::vector<uint8_t>(87, 0xEE));
    std::vector<uint8_t> status(88, 0xEE);
    table.SetChairFlags(1, kChairReady);
    ASSERT_TRUE(table.FillTableStatus(status));
    EXPECT_EQ(status[0], 7);     // table number
    EXPECT_EQ(status[8], 4);     // player count
    EXPECT_EQ(status[24], 2);    // chair 1's flags
    EXPECT_EQ(status[52], 0);    // game counter
    EXPECT_EQ(status[56], 120);  // kick time
    EXPECT_EQ(status[87], 0);
}

TEST_F(TableLogicBase, GamePhaseUnderTheLock) {
    BaseTable table;
    table.SetGamePhase(3);
    EXPECT_EQ(table.GetGamePhase(), 3);
    table.Reset(false);
    EXPECT_EQ(table.GetGamePhase(), 0);
}

}  // namespace
