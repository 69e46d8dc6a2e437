#include "tools/table_driver/RuleRobot.h"

#include <array>

#include "mahjong_logic/RegionalMahjongRules.h"

namespace {

constexpr int kSuits = 3;
constexpr int kRanks = 10;  // index / 10 is the suit

bool IsWin(SeatActionKind kind) {
    return kind == SeatActionKind::kSelfDrawnHu || kind == SeatActionKind::kDiscardHu ||
           kind == SeatActionKind::kRobKong;
}

std::array<int, kSuits> TilesPerSuit(const HandCounts& counts) {
    std::array<int, kSuits> perSuit{};
    for (int index = 1; index < kSuits * kRanks; ++index) {
        perSuit[static_cast<size_t>(index / kRanks)] += counts[static_cast<size_t>(index)];
    }
    return perSuit;
}

bool IsIsolated(const HandCounts& counts, int index) {
    if (counts[static_cast<size_t>(index)] != 1) {
        return false;
    }
    const int suit = index / kRanks;
    for (int other = index - 2; other <= index + 2; ++other) {
        if (other != index && other / kRanks == suit && other % kRanks != 0 && other > 0 &&
            other < kSuits * kRanks && counts[static_cast<size_t>(other)] > 0) {
            return false;
        }
    }
    return true;
}

}  // namespace

int RuleRobotDiscardIndex(const HandCounts& counts) {
    const std::array<int, kSuits> perSuit = TilesPerSuit(counts);
    int suit = -1;
    for (int s = 0; s < kSuits; ++s) {
        if (perSuit[static_cast<size_t>(s)] > 0 &&
            (suit < 0 || perSuit[static_cast<size_t>(s)] < perSuit[static_cast<size_t>(suit)])) {
            suit = s;
        }
    }
    if (suit < 0) {
        return -1;
    }
    int lowest = -1;
    for (int index = suit * kRanks + 1; index < (suit + 1) * kRanks; ++index) {
        if (counts[static_cast<size_t>(index)] == 0) {
            continue;
        }
        if (IsIsolated(counts, index)) {
            return index;
        }
        lowest = lowest < 0 ? index : lowest;
    }
    return lowest;
}

int32_t RuleRobotDiscard(const CRegionalMahjongRules& table, int seat) {
    const int index = RuleRobotDiscardIndex(table.Counts(seat));
    if (index < 0) {
        return -1;
    }
    for (const CardRecord& record : table.Wall()) {
        if (record.state == kCardInHand && record.owner == seat &&
            table.IndexOf(record.id) == index) {
            return record.id;
        }
    }
    return -1;
}

size_t RuleRobotDiscardOption(const CRegionalMahjongRules& table, const SeatDecision& decision) {
    const int32_t tile = RuleRobotDiscard(table, decision.seat);
    for (size_t k = 0; k < decision.options.size(); ++k) {
        const SeatAction& option = decision.options[k];
        if (option.kind == SeatActionKind::kDiscard &&
            table.IndexOf(option.tile) == table.IndexOf(tile)) {
            return k;
        }
    }
    return decision.options.size();
}

size_t AutomaticSwapOption(const CRegionalMahjongRules& table, const SeatDecision& decision) {
    const int suit = table.AutoSwapSuit(decision.seat);
    for (size_t k = 0; k < decision.options.size(); ++k) {
        const SeatAction& option = decision.options[k];
        if (option.kind == SeatActionKind::kSwapChoice &&
            table.IndexOf(option.handTiles[0]) / kRanks == suit) {
            return k;
        }
    }
    return decision.options.size();
}

size_t RuleRobot::Choose(const CRegionalMahjongRules& table, const SeatDecision& decision) {
    const auto& options = decision.options;
    for (size_t k = 0; k < options.size(); ++k) {
        if (IsWin(options[k].kind)) {
            return k;
        }
    }
    const size_t swap = AutomaticSwapOption(table, decision);
    if (swap < options.size()) {
        return swap;
    }
    const size_t discard = RuleRobotDiscardOption(table, decision);
    if (discard < options.size()) {
        return discard;
    }
    // A pass comes first where there is one; else the first discard.
    for (size_t k = 0; k < options.size(); ++k) {
        if (options[k].kind == SeatActionKind::kPass ||
            options[k].kind == SeatActionKind::kDiscard) {
            return k;
        }
    }
    return 0;
}
