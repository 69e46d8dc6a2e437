#include "tools/table_driver/RobotPlayer.h"

#include <limits>

#include "mahjong_logic/RegionalMahjongRules.h"
#include "tools/table_driver/SplitMix64.h"

namespace {

bool IsWin(SeatActionKind kind) {
    return kind == SeatActionKind::kSelfDrawnHu || kind == SeatActionKind::kDiscardHu ||
           kind == SeatActionKind::kRobKong;
}

bool IsKong(SeatActionKind kind) {
    return kind == SeatActionKind::kConcealedKong || kind == SeatActionKind::kAddedKong ||
           kind == SeatActionKind::kExposedKong;
}

}  // namespace

uint32_t RobotPlayer::Below(uint32_t bound) {
    const uint64_t z = NextSplitMix64(state_);
    return bound == 0 ? 0 : static_cast<uint32_t>(z % bound);
}

size_t RobotPlayer::Choose(const CRegionalMahjongRules& table, const SeatDecision& decision) {
    const auto& options = decision.options;
    if (options.empty()) {
        return 0;
    }
    // Now and then any option at all, passes and lower claims included.
    if (Percent(10)) {
        return Below(static_cast<uint32_t>(options.size()));
    }
    auto pickWhere = [&](auto wanted) -> size_t {
        std::vector<size_t> found;
        for (size_t k = 0; k < options.size(); ++k) {
            if (wanted(options[k].kind)) {
                found.push_back(k);
            }
        }
        return found.empty() ? options.size() : found[Below(static_cast<uint32_t>(found.size()))];
    };
    auto tryPick = [&](int percent, auto wanted) -> size_t {
        const size_t k = pickWhere(wanted);
        return k < options.size() && Percent(percent) ? k : options.size();
    };
    size_t k = tryPick(bias_.huPercent, IsWin);
    if (k == options.size()) {
        k = tryPick(bias_.kongPercent, IsKong);
    }
    if (k == options.size()) {
        k = tryPick(bias_.pengPercent,
                    [](SeatActionKind kind) { return kind == SeatActionKind::kPeng; });
    }
    if (k == options.size()) {
        k = tryPick(bias_.swapPercent,
                    [](SeatActionKind kind) { return kind == SeatActionKind::kSwapChoice; });
    }
    if (k == options.size()) {
        k = tryPick(bias_.declarePercent,
                    [](SeatActionKind kind) { return kind == SeatActionKind::kDeclareReady; });
    }
    if (k < options.size()) {
        return k;
    }
    if (pickWhere([](SeatActionKind kind) { return kind == SeatActionKind::kDiscard; }) <
        options.size()) {
        return ChooseDiscard(table, decision);
    }
    // What is left: passing, or the exchange by time-out.
    k = pickWhere([](SeatActionKind kind) {
        return kind == SeatActionKind::kPass || kind == SeatActionKind::kSwapByTimeOut;
    });
    return k < options.size() ? k : Below(static_cast<uint32_t>(options.size()));
}

size_t RobotPlayer::ChooseDiscard(const CRegionalMahjongRules& table,
                                  const SeatDecision& decision) {
    const auto& options = decision.options;
    std::vector<size_t> discards;
    for (size_t k = 0; k < options.size(); ++k) {
        if (options[k].kind == SeatActionKind::kDiscard) {
            discards.push_back(k);
        }
    }
    if (!Percent(bias_.keepShapePercent)) {
        return discards[Below(static_cast<uint32_t>(discards.size()))];
    }
    // The tile with the fewest neighbours of its suit goes; ties at random.
    const HandCounts& counts = table.Counts(decision.seat);
    auto countAt = [&](int index) {
        return index >= 0 && index < kHandKinds && index % 10 != 0 ? counts[index] : 0;
    };
    int best = std::numeric_limits<int>::max();
    std::vector<size_t> lowest;
    for (const size_t k : discards) {
        const int index = table.IndexOf(options[k].tile);
        const int score = 4 * (countAt(index) - 1) + 2 * (countAt(index - 1) + countAt(index + 1)) +
                          countAt(index - 2) + countAt(index + 2);
        if (score < best) {
            best = score;
            lowest.clear();
        }
        if (score == best) {
            lowest.push_back(k);
        }
    }
    return lowest[Below(static_cast<uint32_t>(lowest.size()))];
}
