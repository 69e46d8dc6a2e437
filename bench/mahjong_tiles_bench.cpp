// Speed of the standard hu test on a fixed set of random hands, and on a
// million dealt hands side by side with a bare verdict-table lookup.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <random>
#include <vector>

#include "bench/BenchRatios.h"
#include "mahjong_tiles/HuTest.h"
#include "mahjong_tiles/SuitMeldTable.h"

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

// ---- A million dealt hands --------------------------------------------------

constexpr int kDealtHands = 1000000;
using DealtHand = std::array<int8_t, 14>;  // tile indices

// Tile kinds: three suits of nine and seven honours.
constexpr int kKinds = 34;
int KindIndex(int kind) {
    return kind < 27 ? kind / 9 * 10 + kind % 9 + 1 : 31 + (kind - 27);
}

// A third of the hands are built from a pair and four groups (so hu), a third
// are such hands with one tile swapped for a random one, a third are dealt
// straight from a shuffled wall of 136.
const std::vector<DealtHand>& DealtHands() {
    static const std::vector<DealtHand> hands = [] {
        std::mt19937 rng(1776);
        std::vector<DealtHand> out;
        out.reserve(kDealtHands);
        std::vector<int> wall(136);
        for (int t = 0; t < 136; ++t) {
            wall[t] = t % kKinds;
        }
        std::uniform_int_distribution<int> anyKind(0, kKinds - 1);
        while (static_cast<int>(out.size()) < kDealtHands) {
            DealtHand hand{};
            const int shape = static_cast<int>(out.size() % 3);
            if (shape == 2) {
                std::shuffle(wall.begin(), wall.end(), rng);
                for (int t = 0; t < 14; ++t) {
                    hand[t] = static_cast<int8_t>(KindIndex(wall[t]));
                }
            } else {
                std::array<int, kKinds> used{};
                int n = 0;
                bool ok = true;
                auto take = [&](int kind) {
                    ok = ok && ++used[kind] <= 4;
                    hand[n++] = static_cast<int8_t>(KindIndex(kind));
                };
                const int pair = anyKind(rng);
                take(pair);
                take(pair);
                for (int g = 0; g < 4; ++g) {
                    const int k = anyKind(rng);
                    if (k < 27 && k % 9 <= 6 && rng() % 2 == 0) {
                        take(k), take(k + 1), take(k + 2);
                    } else {
                        take(k), take(k), take(k);
                    }
                }
                if (!ok) {
                    continue;
                }
                if (shape == 1) {
                    const int k = anyKind(rng);
                    if (used[k] == 4) {
                        continue;
                    }
                    hand[rng() % 14] = static_cast<int8_t>(KindIndex(k));
                }
            }
            out.push_back(hand);
        }
        return out;
    }();
    return hands;
}

void Deal(const DealtHand& hand, HandCounts& counts) {
    counts.fill(0);
    for (const int8_t index : hand) {
        ++counts[index];
    }
}

// Dealing the counts alone: what every measurement below also pays.
void BM_DealtHandsDealOnly(benchmark::State& state) {
    const std::vector<DealtHand>& hands = DealtHands();
    HandCounts counts{};
    for (auto _ : state) {
        for (const DealtHand& hand : hands) {
            Deal(hand, counts);
            benchmark::DoNotOptimize(counts.data());
            benchmark::ClobberMemory();
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(hands.size()));
}
BENCHMARK(BM_DealtHandsDealOnly)->Unit(benchmark::kMillisecond);

void BM_DealtHandsStandardHu(benchmark::State& state) {
    const std::vector<DealtHand>& hands = DealtHands();
    HandCounts counts{};
    HuResult result;
    int64_t hu = 0;
    for (auto _ : state) {
        hu = 0;
        for (const DealtHand& hand : hands) {
            Deal(hand, counts);
            hu += CheckStandardHu(counts, 0, 0, kNoTile, kNoTile, 0, kRegionalRuleFlags,
                                  kRegionalHuPatterns, result, 0) != 0;
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(hands.size()));
    state.counters["hu share"] = static_cast<double>(hu) / static_cast<double>(hands.size());
}
BENCHMARK(BM_DealtHandsStandardHu)->Unit(benchmark::kMillisecond);

// The floor: the per-suit verdict table alone (no groups recorded).
void BM_DealtHandsSuitTable(benchmark::State& state) {
    const std::vector<DealtHand>& hands = DealtHands();
    const SuitMeldTable& table = SuitMeldTable::Get();
    HandCounts counts{};
    int64_t maybe = 0;
    for (auto _ : state) {
        maybe = 0;
        for (const DealtHand& hand : hands) {
            Deal(hand, counts);
            maybe += table.MayDecompose(counts, 0, 0, kRegionalRuleFlags) ? 1 : 0;
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(hands.size()));
    state.counters["maybe share"] = static_cast<double>(maybe) / static_cast<double>(hands.size());
}
BENCHMARK(BM_DealtHandsSuitTable)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return bench::RunWithRatios(argc, argv,
                                {{"BM_DealtHandsStandardHu", "BM_DealtHandsSuitTable"},
                                 {"BM_DealtHandsSuitTable", "BM_DealtHandsDealOnly"}});
}
