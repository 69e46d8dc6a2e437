// The table-logic engine: whole robot hands per second, and the slowest
// single request, the options after a draw before the 4th discard.

#include <benchmark/benchmark.h>

#include <climits>

#include "mahjong_logic/RegionalMahjongRules.h"
#include "tools/table_driver/RobotPlayer.h"
#include "tools/table_driver/TableDriver.h"

namespace {

TableDriverOptions ScoreTable() {
    TableDriverOptions options;
    options.round.scoreBase = 1;
    options.round.minScore = INT_MIN;
    options.round.maxScore = INT_MAX;
    options.round.maxGames = INT_MAX;
    options.round.maxPlayerGames = INT_MAX;
    return options;
}

// One chained hand per iteration, from the deal to the packed result and
// the reset, the robots' choices included.
void BM_WholeHands(benchmark::State& state) {
    ScopedDriverSources sources(42);
    CRegionalMahjongRules table;
    RobotPlayer r0(1), r1(2), r2(3), r3(4);
    TableDriver driver(table, {&r0, &r1, &r2, &r3}, ScoreTable());
    if (!driver.SeatPlayers()) {
        state.SkipWithError("the table refused its players");
        return;
    }
    uint64_t hand = 0;
    for (auto _ : state) {
        ScopedDriverSources::SetSalt(++hand);
        const HandOutcome outcome = driver.PlayHand();
        benchmark::DoNotOptimize(outcome.endFlags);
        if (!outcome.played) {
            state.SkipWithError("a hand did not finish");
            break;
        }
    }
    state.counters["hands/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_WholeHands)->Unit(benchmark::kMicrosecond);

// SelfOptions for the banker's 14 tiles right after the exchange: the hu
// test and, with no discard made yet, the ready options (every held tile
// taken out in turn and every suited kind scored as a wait).
void BM_SelfOptionsBeforeTheFourthDiscard(benchmark::State& state) {
    ScopedDriverSources sources(7);
    CRegionalMahjongRules table;
    TableDriverOptions options = ScoreTable();
    RobotPlayer r0(1), r1(2), r2(3), r3(4);
    TableDriver driver(table, {&r0, &r1, &r2, &r3}, options);
    int chair = -1;
    SwapRecord record;
    if (!driver.SeatPlayers() || table.StartGame(options.round, chair) != 1 ||
        table.AutoSwapChoice(record) != 1) {
        state.SkipWithError("no hand");
        return;
    }
    table.StartPlayAfterSwap();
    const int banker = table.GetActiveChair();
    const int tile = table.FirstHeldTile(banker);
    if (table.SeatTileCount(banker) != 14 || table.CountDiscards() != 0) {
        state.SkipWithError("the banker does not hold 14 tiles before any discard");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(table.SelfOptions(banker, tile));
    }
}
BENCHMARK(BM_SelfOptionsBeforeTheFourthDiscard)->Unit(benchmark::kMicrosecond);

}  // namespace
