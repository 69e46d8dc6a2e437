// Speed of the standard hu test on a fixed set of random hands.

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "mahjong_tiles/TileEncoding.h"
#include "mahjong_tiles/TileSearch.h"
#include "mahjong_tiles/WaitTests.h"
#include "mahjong_tiles/WildHuTest.h"

namespace {

struct BenchHand {
    HandCounts counts{};  // 13 tiles
    int tile = -1;        // the 14th
};

// 1024 hands from one seed: half dealt straight from a shuffled wall, half
// built from four groups and a pair, so both the quick refusals and the full
// decompositions are measured.
std::vector<BenchHand> MakeHands() {
    std::mt19937 rng(5150);
    std::vector<BenchHand> hands;
    std::vector<int32_t> wall(108);
    for (int id = 0; id < 108; ++id) {
        wall[id] = id;
    }
    while (hands.size() < 1024) {
        BenchHand hand;
        std::vector<int32_t> ids;
        if (hands.size() % 2 == 0) {
            std::shuffle(wall.begin(), wall.end(), rng);
            ids.assign(wall.begin(), wall.begin() + 14);
        } else {
            std::uniform_int_distribution<int> kind(0, 26);
            std::vector<int> used(108, 0);
            auto take = [&](int k) {  // k = suit * 9 + value - 1
                const int copy = used[k]++;
                ids.push_back(k / 9 * 36 + k % 9 + 9 * (copy % 4));
            };
            const int pair = kind(rng);
            take(pair);
            take(pair);
            for (int g = 0; g < 4; ++g) {
                const int k = kind(rng);
                if (k % 9 <= 6 && rng() % 2 == 0) {
                    take(k), take(k + 1), take(k + 2);
                } else {
                    take(k), take(k), take(k);
                }
            }
        }
        hand.tile = ids.back();
        ids.pop_back();
        CountHandCards(ids, 0, hand.counts);
        hands.push_back(hand);
    }
    return hands;
}

void BM_CheckHuWithWild(benchmark::State& state) {
    const std::vector<BenchHand> hands = MakeHands();
    HuResult result;
    for (auto _ : state) {
        for (const BenchHand& hand : hands) {
            benchmark::DoNotOptimize(CheckHuWithWild(hand.counts, hand.tile, -1, -1,
                                                     kRegionalRuleFlags, kRegionalHuPatterns,
                                                     result, 0));
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(hands.size()));
    state.counters["hands/s"] = benchmark::Counter(
        static_cast<double>(state.iterations() * hands.size()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CheckHuWithWild);

void BM_CheckHuClassified(benchmark::State& state) {
    const std::vector<BenchHand> hands = MakeHands();
    HuResult result;
    for (auto _ : state) {
        for (const BenchHand& hand : hands) {
            benchmark::DoNotOptimize(CheckHu(hand.counts, hand.tile, -1, -1, kRegionalRuleFlags,
                                             0xFE103317, result, 0, 0));
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(hands.size()));
    state.counters["hands/s"] = benchmark::Counter(
        static_cast<double>(state.iterations() * hands.size()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CheckHuClassified);

}  // namespace
