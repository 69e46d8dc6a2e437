// The hu-type tests of CMahjongTableLogic: one test per hu-type flag, run in
// a fixed order, each ORing its flag into the result's word 0.

#include <algorithm>

#include "mahjong_logic/MahjongTableLogic.h"
#include "mahjong_tiles/TileEncoding.h"
#include "mahjong_tiles/TileSearch.h"
#include "mahjong_tiles/WaitTests.h"
#include "mahjong_tiles/WildHuTest.h"

namespace {

constexpr int kSuitKinds = 3;
constexpr int kHonourKind = 3;
constexpr int kFlowerKind = 4;

int Mark(HuResult& result, uint32_t flag) {
    result.words[HuResult::kPatternWord] |= static_cast<int32_t>(flag);
    return static_cast<int>(flag);
}

bool IsSpecialHand(const HuResult& result) {
    return result.GroupCount() > 0 && result.GetGroup(1).kind >= kGroupThirteenApart;
}

// The kind (0-2 suits, 3 honours, 4 flowers) of a tile index; -1 for none.
int KindOfIndex(int index) {
    if (!IsTileIndex(index)) {
        return -1;
    }
    const int suit = index / 10;
    if (suit < kSuitKinds) {
        return suit;
    }
    return suit == kHonourKind ? kHonourKind : kFlowerKind;
}

}  // namespace

int CMahjongTableLogic::ClassifyHu(int seat, int tile, HuResult& result, int mode) {
    return ClassifyHuBase(seat, tile, result, mode);
}

int CMahjongTableLogic::ClassifyHuBase(int seat, int tile, HuResult& result, int mode) {
    if (!IsValidSeat(seat)) {
        return 0;
    }
    const uint32_t flags = huTypeFlags_;
    if ((flags & kHuTypeSevenPairs) != 0 &&
        (result.words[HuResult::kPatternWord] & kHuSevenPairs) != 0) {
        const HandCounts counts = CountsWithoutWonTile(seat, tile, mode);
        HuResult pairs;
        if (ScoreSevenPairsWithWild(counts, tile, wildTile1_, wildTile2_, RuleFlags(), pairs) !=
            0) {
            // The pairs as the tile algorithms record them; the mode and the
            // bits already found stay.
            const int32_t kept = result.words[HuResult::kPatternWord];
            result = pairs;
            result.words[HuResult::kPatternWord] |= kept;
        }
    }
    struct Step {
        uint32_t flag;
        int (CMahjongTableLogic::*test)(int, int, HuResult&, int);
    };
    static const Step kOrder[] = {
        {kHuTypeBankerFirst, &CMahjongTableLogic::TestBankerFirstHu},
        {kHuTypeFirstTurn, &CMahjongTableLogic::TestFirstTurnHu},
        {kHuTypeBanker, &CMahjongTableLogic::TestBankerHu},
        {kHuTypeAllTriplets, &CMahjongTableLogic::TestAllTriplets},
        {kHuTypeOneSuit, &CMahjongTableLogic::TestOneSuit},
        {kHuTypeOneSuitHonours, &CMahjongTableLogic::TestOneSuitWithHonours},
        {kHuTypeAllHonours, &CMahjongTableLogic::TestAllHonours},
        {kHuTypeNoWild, &CMahjongTableLogic::TestNoWildTiles},
        {kHuTypeWildsAsThemselves, &CMahjongTableLogic::TestWildsAsThemselves},
        {kHuTypeThreeWilds, &CMahjongTableLogic::TestThreeWildTiles},
        {kHuTypeFourWilds, &CMahjongTableLogic::TestFourWildTiles},
        {kHuTypeAfterKong, &CMahjongTableLogic::TestWinAfterKong},
        {kHuTypeSingleTile, &CMahjongTableLogic::TestSingleTileLeft},
        {kHuTypeLastTile, &CMahjongTableLogic::TestLastTileSelfDrawn},
        {kHuTypeConcealed, &CMahjongTableLogic::TestConcealedHand},
        {kHuTypeSingleWaitOnDiscard, &CMahjongTableLogic::TestSingleWaitOnDiscard},
    };
    for (const auto& step : kOrder) {
        if ((flags & step.flag) != 0) {
            (this->*step.test)(seat, tile, result, mode);
        }
    }
    if ((extraHuFlags_ & 0x1) != 0) {
        TestWildDiscardRecord(seat, tile, result, mode);
    }
    return 0;
}

// --- Helpers ---

HandCounts CMahjongTableLogic::CountsWithoutWonTile(int seat, int tile, int mode) const {
    HandCounts counts = Counts(seat);
    const int index = IndexOf(tile);
    if ((mode & kHuSelfDrawn) != 0 && index >= 0 && counts[index] > 0) {
        --counts[index];
    }
    return counts;
}

int CMahjongTableLogic::TilesBesidesWon(int seat, int tile, int mode) const {
    const HandCounts counts = CountsWithoutWonTile(seat, tile, mode);
    int held = 0;
    for (const int32_t n : counts) {
        held += n;
    }
    return held;
}

bool CMahjongTableLogic::HasAnyMeld(int seat) const {
    if (!IsValidSeat(seat)) {
        return false;
    }
    return std::any_of(melds_[seat].begin(), melds_[seat].end(),
                       [](const std::vector<MeldEntry>& list) { return !list.empty(); });
}

int CMahjongTableLogic::MeldTilesOfIndex(int seat, int index) const {
    if (!IsValidSeat(seat) || index < 0) {
        return 0;
    }
    int tiles = 0;
    for (const auto& list : melds_[seat]) {
        for (const MeldEntry& meld : list) {
            tiles += static_cast<int>(
                std::count_if(meld.tiles.begin(), meld.tiles.end(),
                              [&](int32_t id) { return id >= 0 && IndexOf(id) == index; }));
        }
    }
    return tiles;
}

bool CMahjongTableLogic::AllMeldTilesTwoFiveEight(int seat) const {
    if (!IsValidSeat(seat)) {
        return false;
    }
    for (const auto& list : melds_[seat]) {
        for (const MeldEntry& meld : list) {
            for (const int32_t id : meld.tiles) {
                if (id >= 0 && IsTwoFiveEight(IndexOf(id)) == 0) {
                    return false;
                }
            }
        }
    }
    return true;
}

int CMahjongTableLogic::CountGroupKinds(int seat, const HuResult& result,
                                        std::array<int, 5>& kinds) const {
    kinds.fill(0);
    int faceIndex = -1;
    if ((RuleFlags() & kRuleWildFaceSubstitute) != 0) {
        faceIndex = GetWildFaceIndex(wildTile1_, wildTile2_, RuleFlags());
    }
    auto count = [&](int index) {
        const int kind = KindOfIndex(index);
        if (kind >= 0) {
            ++kinds[kind];
        }
    };
    for (int g = 1; g <= result.GroupCount(); ++g) {
        for (const int32_t entry : result.GetGroup(g).entries) {
            if (entry > 0) {
                count(entry);
            } else if (entry < 0 && faceIndex > 0) {
                count(faceIndex);  // a wild tile counts in the suit it stands for
            }
        }
    }
    if (IsValidSeat(seat)) {
        for (const auto& list : melds_[seat]) {
            for (const MeldEntry& meld : list) {
                for (const int32_t id : meld.tiles) {
                    count(IndexOf(id));
                }
            }
        }
    }
    return static_cast<int>(std::count_if(kinds.begin(), kinds.end(), [](int n) { return n > 0; }));
}

int CMahjongTableLogic::CountWildInHand(int seat) const {
    return CountWildInCounts(Counts(seat), wildTile1_, wildTile2_, RuleFlags());
}

// --- The tests ---

int CMahjongTableLogic::TestBankerFirstHu(int seat, int, HuResult& result, int) {
    for (int s = 0; s < PlayerCount(); ++s) {
        if (HasAnyMeld(s) || !setAside_[s].empty()) {
            return 0;
        }
    }
    return seat == Banker() ? Mark(result, kHuTypeBankerFirst) : 0;
}

int CMahjongTableLogic::TestFirstTurnHu(int seat, int, HuResult& result, int mode) {
    if (seat == Banker() || HasAnyMeld(seat) || !setAside_[seat].empty()) {
        return 0;
    }
    const bool first = (drawCount_[seat] == 0 && (mode & kHuOnDiscard) != 0) ||
                       (drawCount_[seat] == 1 && (mode & kHuSelfDrawn) != 0);
    return first ? Mark(result, kHuTypeFirstTurn) : 0;
}

int CMahjongTableLogic::TestBankerHu(int seat, int, HuResult& result, int) {
    return seat == Banker() ? Mark(result, kHuTypeBanker) : 0;
}

int CMahjongTableLogic::TestAllTriplets(int seat, int, HuResult& result, int) {
    if (!melds_[seat][kMeldChi].empty()) {
        return 0;
    }
    int pairs = 0;
    for (int g = 1; g <= result.GroupCount(); ++g) {
        const int32_t kind = result.GetGroup(g).kind;
        if (kind == kGroupPair) {
            ++pairs;
        } else if (kind != kGroupTriplet && kind != kGroupFour) {
            return 0;
        }
    }
    return pairs <= 1 ? Mark(result, kHuTypeAllTriplets) : 0;
}

int CMahjongTableLogic::TestOneSuit(int seat, int, HuResult& result, int) {
    if (IsSpecialHand(result)) {
        return 0;
    }
    std::array<int, 5> kinds{};
    const int present = CountGroupKinds(seat, result, kinds);
    const bool suited = kinds[0] + kinds[1] + kinds[2] > 0;
    return present == 1 && suited ? Mark(result, kHuTypeOneSuit) : 0;
}

int CMahjongTableLogic::TestOneSuitWithHonours(int seat, int, HuResult& result, int) {
    std::array<int, 5> kinds{};
    const int present = CountGroupKinds(seat, result, kinds);
    return present == 2 && kinds[kHonourKind] > 0 && kinds[kFlowerKind] == 0
               ? Mark(result, kHuTypeOneSuitHonours)
               : 0;
}

int CMahjongTableLogic::TestAllHonours(int seat, int, HuResult& result, int) {
    std::array<int, 5> kinds{};
    const int present = CountGroupKinds(seat, result, kinds);
    return present == 1 && kinds[kHonourKind] > 0 ? Mark(result, kHuTypeAllHonours) : 0;
}

int CMahjongTableLogic::TestNoWildTiles(int seat, int tile, HuResult& result, int mode) {
    if ((RuleFlags() & kMahjongRuleWildTiles) == 0) {
        return 0;
    }
    const HandCounts counts = CountsWithoutWonTile(seat, tile, mode);
    const bool none = CountWildInCounts(counts, wildTile1_, wildTile2_, RuleFlags()) == 0 &&
                      IsWildCard(tile, wildTile1_, wildTile2_, RuleFlags()) == 0;
    return none ? Mark(result, kHuTypeNoWild) : 0;
}

int CMahjongTableLogic::TestWildsAsThemselves(int seat, int tile, HuResult& result, int mode) {
    if ((RuleFlags() & kMahjongRuleWildTiles) == 0) {
        return 0;
    }
    const HandCounts counts = CountsWithoutWonTile(seat, tile, mode);
    if (CountWildInCounts(counts, wildTile1_, wildTile2_, RuleFlags()) == 0) {
        return 0;
    }
    HuResult plain;
    const uint32_t rule = RuleFlags() & ~kMahjongRuleWildTiles;
    return CheckHuWithWild(counts, tile, -1, -1, rule, huTypeFlags_, plain,
                           static_cast<HuSituationFlags>(mode)) != 0
               ? Mark(result, kHuTypeWildsAsThemselves)
               : 0;
}

namespace {

// The wild tiles of a hand with the won tile counted.
int WildsWithTile(const HandCounts& counts, int index, int wild1, int wild2, RuleFlags rule) {
    HandCounts all = counts;
    if (index >= 0) {
        ++all[index];
    }
    return CountWildInCounts(all, wild1, wild2, rule);
}

}  // namespace

int CMahjongTableLogic::TestWildCount(int seat, int tile, HuResult& result, int mode, int n,
                                      uint32_t flag) {
    if ((RuleFlags() & kMahjongRuleWildTiles) == 0) {
        return 0;
    }
    const int held = WildsWithTile(CountsWithoutWonTile(seat, tile, mode), IndexOf(tile),
                                   wildTile1_, wildTile2_, RuleFlags());
    return held == n ? Mark(result, flag) : 0;
}

int CMahjongTableLogic::TestThreeWildTiles(int seat, int tile, HuResult& result, int mode) {
    return TestWildCount(seat, tile, result, mode, 3, kHuTypeThreeWilds);
}

int CMahjongTableLogic::TestFourWildTiles(int seat, int tile, HuResult& result, int mode) {
    return TestWildCount(seat, tile, result, mode, 4, kHuTypeFourWilds);
}

int CMahjongTableLogic::TestWinAfterKong(int seat, int, HuResult& result, int) {
    const auto& lists = melds_[seat];
    const bool hasKong = !lists[kMeldExposedKong].empty() || !lists[kMeldConcealedKong].empty() ||
                         !lists[kMeldAddedKong].empty();
    return (hasKong || !setAside_[seat].empty()) && kongDrawWord_ != 0
               ? Mark(result, kHuTypeAfterKong)
               : 0;
}

int CMahjongTableLogic::TestSingleTileLeft(int seat, int tile, HuResult& result, int mode) {
    return TilesBesidesWon(seat, tile, mode) == 1 ? Mark(result, kHuTypeSingleTile) : 0;
}

int CMahjongTableLogic::TestLastTileSelfDrawn(int, int, HuResult& result, int mode) {
    return (mode & kHuSelfDrawn) != 0 && IsWallEmpty() ? Mark(result, kHuTypeLastTile) : 0;
}

int CMahjongTableLogic::TestConcealedHand(int seat, int, HuResult& result, int) {
    const auto& lists = melds_[seat];
    const bool open =
        !lists[kMeldPeng].empty() || !lists[kMeldChi].empty() || !lists[kMeldExposedKong].empty();
    return open ? 0 : Mark(result, kHuTypeConcealed);
}

int CMahjongTableLogic::TestSingleWaitOnDiscard(int seat, int tile, HuResult& result, int mode) {
    return (mode & kHuOnDiscard) != 0 && TilesBesidesWon(seat, tile, mode) == 1 &&
                   melds_[seat][kMeldConcealedKong].empty()
               ? Mark(result, kHuTypeSingleWaitOnDiscard)
               : 0;
}

int CMahjongTableLogic::TestWildDiscardRecord(int seat, int, HuResult& result, int) {
    const int32_t waitWord = result.words[HuResult::kWaitWord];
    if ((extraHuFlags_ & 0x1) == 0 || (extraHuFlags_ & 0x2) == 0 ||
        static_cast<uint32_t>(waitWord & 0x1) != (extraHuFlags_ & 0x1)) {
        return 0;
    }
    if ((RuleFlags() & kMahjongRuleWildDiscardRecord) == 0 || wildDiscardSeat_ != seat) {
        return 0;
    }
    result.words[HuResult::kWaitWord] |= 0x4;
    return 0x4;
}
