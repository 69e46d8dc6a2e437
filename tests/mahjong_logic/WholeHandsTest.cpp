#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "tests/mahjong_logic/MahjongPlayTestSupport.h"
#include "tests/mahjong_logic/TableDriverChecks.h"
#include "tools/table_driver/RobotPlayer.h"

namespace {

using WholeHands = MahjongFixture;

struct TableSetup {
    bool silver = false;
    int feeMode = 0;
    int32_t purse = 200000;  // each chair's silver at the start
    int32_t silverMultiple = 1;
};

TableDriverOptions OptionsFor(const TableSetup& setup) {
    TableDriverOptions options;
    options.settings[1] = setup.silver ? 1 : 0;
    options.settings[12] = 17;
    options.settings[13] = 5;
    options.round.scoreBase = 1;
    options.round.minScore = INT_MIN;
    options.round.maxScore = INT_MAX;
    options.round.maxPlayerGames = INT_MAX;
    options.round.maxGames = INT_MAX;
    options.startScore = 0;
    if (setup.silver) {
        options.round.silverMultiple = setup.silverMultiple;
        options.round.feeMode = setup.feeMode;
        options.round.feeRate = 1;
        options.round.depositRate = 100;  // 1 %
        options.round.depositThreshold = 10;
        options.round.fixedFee = 10;
        options.startSilver = setup.purse;
        options.playerFlags = 4;  // every chair plays for silver
    }
    return options;
}

// The line the settlement logs when it had to floor a chair's silver at 0.
constexpr const char* kSilverFloorLine = "结算后银子为负";

// The kong money of every seat recomputed from its melds: +3 an exposed or
// added kong, +6 a concealed one, doubled for a flagged meld.
PerSeat<int32_t> KongMoneyFromMelds(const CRegionalMahjongRules& table, bool concealed) {
    PerSeat<int32_t> money{};
    for (int seat = 0; seat < 4; ++seat) {
        for (const MeldList list : {kMeldExposedKong, kMeldAddedKong, kMeldConcealedKong}) {
            if ((list == kMeldConcealedKong) != concealed) {
                continue;
            }
            for (const MeldEntry& meld : table.Melds(seat, list)) {
                const int32_t each = concealed ? 6 : 3;
                money[static_cast<size_t>(seat)] += (meld.flags & 0x3) != 0 ? 2 * each : each;
            }
        }
    }
    return money;
}

// Whether any log file of the program folder holds the text.
bool LogMentions(const std::string& folder, const std::string& text) {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string content((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
        if (content.find(text) != std::string::npos) {
            return true;
        }
    }
    return false;
}

// Plays the hands with four robots and checks every invariant after every
// operation; the run must see every kind of ending and meld.
void PlayCheckedHands(const TableSetup& setup, uint64_t seed, int hands,
                      const std::string& folder) {
    ScopedDriverSources sources(seed);
    CRegionalMahjongRules table;
    RobotPlayer r0(seed * 4 + 1), r1(seed * 4 + 2), r2(seed * 4 + 3), r3(seed * 4 + 4);
    const TableDriverOptions options = OptionsFor(setup);
    TableDriver driver(table, {&r0, &r1, &r2, &r3}, options);
    ASSERT_TRUE(driver.SeatPlayers());

    IllegalRequests illegal(static_cast<uint32_t>(seed));
    std::string fault;
    std::vector<uint8_t> before;
    std::vector<uint8_t> after;
    PerSeat<int32_t> kongNet{};  // each seat's kong money in the hand
    driver.afterOperation = [&](std::string_view operation) {
        if (!fault.empty()) {
            return;
        }
        fault = ConservationFault(table);
        if (fault.empty() && operation == "StartPlayAfterSwap") {
            for (int seat = 0; seat < 4; ++seat) {
                if (table.SeatTileCount(seat) != (seat == table.Banker() ? 14 : 13)) {
                    fault = "seat " + std::to_string(seat) + " holds " +
                            std::to_string(table.SeatTileCount(seat)) + " after the exchange";
                }
            }
        }
        if (fault.empty() && operation == "FinishGame") {
            if (KongMoneyFromMelds(table, false) !=
                    PerSeat<int32_t>{table.ExposedKongScore(0), table.ExposedKongScore(1),
                                     table.ExposedKongScore(2), table.ExposedKongScore(3)} ||
                KongMoneyFromMelds(table, true) !=
                    PerSeat<int32_t>{table.ConcealedKongScore(0), table.ConcealedKongScore(1),
                                     table.ConcealedKongScore(2), table.ConcealedKongScore(3)}) {
                fault = "kong money differs from the melds";
            }
            kongNet = {};
            for (int seat = 0; seat < 4; ++seat) {
                const int32_t owned = table.ExposedKongScore(seat) + table.ConcealedKongScore(seat);
                for (int other = 0; other < 4; ++other) {
                    kongNet[static_cast<size_t>(other)] += other == seat ? owned : -owned / 3;
                }
            }
        }
        if (fault.empty() && !table.Wall().empty()) {
            TableImage(table, before);
            const std::string accepted = illegal.TryAll(table, options.round, 2);
            TableImage(table, after);
            if (!accepted.empty()) {
                fault = "accepted: " + accepted;
            } else if (after != before) {
                fault = "a refused request changed the table";
            }
        }
        if (!fault.empty()) {
            fault += " (after " + std::string(operation) + ")";
        }
    };
    int priorityFaults = 0;
    driver.afterClaims = [&](const TableDriver::ClaimRound& round) {
        for (const auto& [seat, rank] : round.claims) {
            priorityFaults += rank > round.carriedRank ? 1 : 0;
        }
    };

    for (int hand = 0; hand < hands && fault.empty(); ++hand) {
        ScopedDriverSources::SetSalt(seed * 7919 + static_cast<uint64_t>(hand));
        const HandOutcome outcome = driver.PlayHand();
        ASSERT_TRUE(outcome.played) << "hand " << hand;
        const TableResult& result = outcome.result;
        int64_t points = 0;
        int64_t scores = 0;
        int64_t silver = 0;
        for (int c = 0; c < 4; ++c) {
            points += result.chairValues[c];
            scores += result.scoreChange[c];
            silver += int64_t{result.silverChange[c]} + result.fee[c];
            if (setup.silver) {
                ASSERT_GE(int64_t{result.silverBefore[c]} + result.silverChange[c], 0)
                    << "hand " << hand;
            }
        }
        ASSERT_EQ(points, 0) << "hand " << hand;
        ASSERT_EQ(scores, 0) << "hand " << hand;
        ASSERT_LE(silver, 0) << "hand " << hand;
        if (outcome.winner >= 0) {
            // The winner gains, kong money aside.
            ASSERT_GT(
                result.chairValues[outcome.winner] - kongNet[static_cast<size_t>(outcome.winner)],
                0)
                << "hand " << hand;
        }
        if (setup.silver && result.silverBase != 0) {
            // The zero-sum check never cancels: points that moved move silver.
            bool pointsMoved = false;
            bool silverMoved = false;
            for (int c = 0; c < 4; ++c) {
                pointsMoved = pointsMoved || result.chairValues[c] != 0;
                silverMoved = silverMoved || result.silverChange[c] != 0 || result.fee[c] != 0;
            }
            ASSERT_TRUE(!pointsMoved || silverMoved) << "hand " << hand;
        }
        ASSERT_EQ(WordAt(outcome.record, 0), static_cast<int32_t>(outcome.endFlags));
    }
    EXPECT_EQ(fault, "");
    EXPECT_EQ(priorityFaults, 0);
    EXPECT_FALSE(LogMentions(folder, "记分总和不为0"));

    const TableDriverStats& stats = driver.Stats();
    EXPECT_EQ(stats.refusedOffers, 0);
    for (size_t kind = 0; kind < stats.refusedByKind.size(); ++kind) {
        EXPECT_EQ(stats.refusedByKind[kind], 0) << "offered action " << kind << " refused";
    }
    EXPECT_EQ(stats.hands, hands);
    EXPECT_GT(stats.selfDrawnWins, 0);
    EXPECT_GT(stats.discardWins, 0);
    EXPECT_GT(stats.robbingWins, 0);
    EXPECT_GT(stats.drawnHands, 0);
    EXPECT_GT(stats.pengs, 0);
    EXPECT_GT(stats.exposedKongs, 0);
    EXPECT_GT(stats.concealedKongs, 0);
    EXPECT_GT(stats.addedKongs, 0);
    EXPECT_GT(stats.declarations, 0);
    EXPECT_GT(stats.heldClaims, 0);
    for (int die = 1; die <= 6; ++die) {
        EXPECT_GT(stats.dice[static_cast<size_t>(die)], 0) << "die " << die;
    }
    ::testing::Test::RecordProperty("self_drawn", stats.selfDrawnWins);
    ::testing::Test::RecordProperty("on_discard", stats.discardWins);
    ::testing::Test::RecordProperty("robbing", stats.robbingWins);
    ::testing::Test::RecordProperty("drawn", stats.drawnHands);
    std::printf("wins %d/%d/%d drawn %d peng %d kongs %d/%d/%d declared %d held %d windows %d\n",
                stats.selfDrawnWins, stats.discardWins, stats.robbingWins, stats.drawnHands,
                stats.pengs, stats.exposedKongs, stats.concealedKongs, stats.addedKongs,
                stats.declarations, stats.heldClaims, stats.robbingWindows);
}

// What a run of silver hands saw.
struct PurseFigures {
    int hands = 0;
    int shortLosers = 0;    // losers whose points asked for more than they held
    int limitedLosers = 0;  // losers who lost less than their points asked
    int emptyPurses = 0;    // chairs that ended a hand at 0
    int64_t fees = 0;
    int64_t rounding = 0;  // kept by the table when winners gave up a shortfall
    int64_t paidIn = 0;    // top-ups between hands
};

// Plays chained hands on a silver table whose purses are small enough that
// players run dry (0 is enough to play), topping every chair up between hands
// once half the table's silver has gone. After every hand each unit of the
// silver brought to the table is held by a chair, taken as a fee, or kept by
// the table from rounding up the winners' share of what a limited loser could
// not pay (at most one unit per winner); nobody is below 0.
void PlaySilverHands(int feeMode, uint64_t seed, int hands, const std::string& folder) {
    ScopedDriverSources sources(seed);
    CRegionalMahjongRules table;
    RobotPlayer r0(seed * 4 + 1), r1(seed * 4 + 2), r2(seed * 4 + 3), r3(seed * 4 + 4);
    constexpr int32_t kPurse = 300;
    constexpr int32_t kMultiple = 10;
    TableDriver driver(table, {&r0, &r1, &r2, &r3}, OptionsFor({true, feeMode, kPurse, kMultiple}));
    ASSERT_TRUE(driver.SeatPlayers());

    PurseFigures figures;
    auto held = [&] {
        int64_t sum = 0;
        for (int c = 0; c < 4; ++c) {
            sum += table.SeatedPlayer(c)->silver;
        }
        return sum;
    };
    for (int hand = 0; hand < hands; ++hand) {
        if (2 * held() < 4 * kPurse) {
            for (int c = 0; c < 4; ++c) {
                table.SeatedPlayer(c)->silver += kPurse;
            }
            figures.paidIn += 4 * kPurse;
        }
        ScopedDriverSources::SetSalt(seed * 7919 + static_cast<uint64_t>(hand));
        const HandOutcome outcome = driver.PlayHand();
        ASSERT_TRUE(outcome.played) << "hand " << hand;
        const TableResult& result = outcome.result;
        ASSERT_NE(result.silverBase, 0) << "hand " << hand;
        int limited = 0;
        int winners = 0;
        int64_t rounding = 0;
        for (int c = 0; c < 4; ++c) {
            const int64_t asked = int64_t{result.chairValues[c]} * result.silverBase;
            figures.shortLosers += asked + result.silverBefore[c] < 0 ? 1 : 0;
            limited += asked < 0 && result.silverChange[c] + result.fee[c] != asked ? 1 : 0;
            winners += asked > 0 ? 1 : 0;
            figures.fees += result.fee[c];
            rounding -= int64_t{result.silverChange[c]} + result.fee[c];
            const int32_t silver = table.SeatedPlayer(c)->silver;
            ASSERT_EQ(silver, int64_t{result.silverBefore[c]} + result.silverChange[c])
                << "hand " << hand << " chair " << c;
            ASSERT_GE(silver, 0) << "hand " << hand << " chair " << c;
            figures.emptyPurses += silver == 0 ? 1 : 0;
        }
        ASSERT_GE(rounding, 0) << "hand " << hand;
        ASSERT_LE(rounding, limited * winners) << "hand " << hand;
        figures.limitedLosers += limited;
        figures.rounding += rounding;
        ASSERT_EQ(held() + figures.fees + figures.rounding, 4 * kPurse + figures.paidIn)
            << "hand " << hand;
        ++figures.hands;
    }
    EXPECT_FALSE(LogMentions(folder, kSilverFloorLine));
    // The run met what it is about: losers who could not pay.
    EXPECT_GT(figures.shortLosers, 0);
    EXPECT_GT(figures.emptyPurses, 0);
    std::printf(
        "fee mode %d: hands %d, losers short %d, limited %d, purses emptied %d, fees %lld, "
        "rounding kept %lld, paid in %lld, held %lld\n",
        feeMode, figures.hands, figures.shortLosers, figures.limitedLosers, figures.emptyPurses,
        static_cast<long long>(figures.fees), static_cast<long long>(figures.rounding),
        static_cast<long long>(figures.paidIn), static_cast<long long>(held()));
}

int HandsToPlay(const char* variable, int byDefault) {
    const char* hands = std::getenv(variable);
    return hands != nullptr ? std::atoi(hands) : byDefault;
}
const int kHands = HandsToPlay("WHOLE_HANDS", 1000);
// A few seconds in CI; SILVER_HANDS=1000 for a long run.
const int kSilverHands = HandsToPlay("SILVER_HANDS", 100);

TEST_F(WholeHands, AScoreTablePlaysAThousandChainedHands) {
    PlayCheckedHands({false, 0}, 11, kHands, folder.Path());
}

TEST_F(WholeHands, ASilverTableWithFeeModeSixPlaysAThousandChainedHands) {
    PlayCheckedHands({true, 6}, 23, kHands, folder.Path());
}

TEST_F(WholeHands, ASilverTableWithFeeModeEightPlaysAThousandChainedHands) {
    PlayCheckedHands({true, 8}, 37, kHands, folder.Path());
}

class SilverHands : public MahjongFixture, public ::testing::WithParamInterface<int> {};

TEST_P(SilverHands, SmallPursesKeepEverySilverUnitAndNobodyGoesBelowZero) {
    PlaySilverHands(GetParam(), 41 + static_cast<uint64_t>(GetParam()), kSilverHands,
                    folder.Path());
}

INSTANTIATE_TEST_SUITE_P(FeeModes, SilverHands, ::testing::Values(0, 1, 6, 7, 8, 9));

}  // namespace
