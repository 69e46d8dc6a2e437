// The hu and score types of CRegionalMahjongRules: the type table, the
// classification of a winning result and its points.

#include <algorithm>

#include "mahjong_logic/LogicMath.h"
#include "mahjong_logic/RegionalMahjongRules.h"
#include "mahjong_tiles/TileSearch.h"

namespace {

constexpr HuTypeEntry kHuTypes[kRegionalHuTypeCount] = {
    {"屁胡", 2, 0},      {"大对子", 12, 2},  {"金钩钓", 24, 2}, {"暗七对", 12, 2},
    {"龙七对", 12, 2},   {"清一色", 12, 2},  {"清三搭", 24, 2}, {"杠上花", 12, 2},
    {"杠上炮", 12, 2},   {"抢杠", 12, 2},    {"前四", 0, 2},    {"后四", 0, 2},
    {"前四报叫", 12, 2}, {"荒庄查叫", 0, 0},
};

constexpr int kEarlyFourDiscards = 5;
constexpr int kLateFourTiles = 4;

int32_t& BaseOf(HuResult& result, int type) {
    return result.words[kHuTypeBaseWord + type];
}
int32_t& MultiplierOf(HuResult& result, int type) {
    return result.words[kHuTypeMultiplierWord + type];
}

// Sets types on a result, keeping a base only on the main type: the one
// whose base is the largest so far (the earlier one on a tie).
class TypeSetter {
public:
    explicit TypeSetter(HuResult& result) : result_(result) {
        for (int t = 0; t < kRegionalHuTypeCount; ++t) {
            BaseOf(result_, t) = 0;
            MultiplierOf(result_, t) = 0;
        }
        BaseOf(result_, kTypePlain) = kHuTypes[kTypePlain].base;
        MultiplierOf(result_, kTypePlain) = kHuTypes[kTypePlain].multiplier;
    }

    void Set(int type) { Set(type, kHuTypes[type].base, kHuTypes[type].multiplier); }
    void Set(int type, int32_t base, int32_t multiplier) {
        BaseOf(result_, type) = base;
        MultiplierOf(result_, type) = multiplier;
        if (BaseOf(result_, main_) < base) {
            BaseOf(result_, main_) = 0;
            main_ = type;
        } else {
            BaseOf(result_, type) = 0;
        }
    }

private:
    HuResult& result_;
    int main_ = kTypePlain;
};

}  // namespace

const HuTypeEntry& CRegionalMahjongRules::HuType(int type) {
    return kHuTypes[std::clamp(type, 0, kRegionalHuTypeCount - 1)];
}

int CRegionalMahjongRules::ClassifyHu(int seat, int tile, HuResult& result, int mode) {
    if (!IsValidSeat(seat)) {
        return 0;
    }
    const uint32_t flags = huTypeFlags_;
    TypeSetter types(result);
    if ((flags & kHuTypeSevenPairs) != 0 &&
        (result.words[HuResult::kPatternWord] & kHuSevenPairs) != 0) {
        const int k = CountQuadsInSevenPairs(seat, tile, mode);
        if (k < 1) {
            types.Set(kTypeSevenPairs);
        } else {
            types.Set(kTypeDragonSevenPairs, 12 * (k + 1), 2 * (k + 1));
        }
    } else if ((flags & kHuTypeAllTriplets) != 0 &&
               TestAllTriplets(seat, tile, result, mode) != 0) {
        const bool hook = (flags & kHuTypeGoldenHook) != 0 && IsGoldenHook(seat, mode);
        types.Set(hook ? kTypeGoldenHook : kTypeAllTriplets);
    }
    if ((flags & kHuTypeOneSuit) != 0 && TestOneSuit(seat, tile, result, mode) != 0) {
        const bool threeMelds = (flags & kHuTypeOneSuitThreeMelds) != 0 && IsCleanThreeMelds(seat);
        types.Set(threeMelds ? kTypeOneSuitThreeMelds : kTypeOneSuit);
    }
    if ((flags & kHuTypeAfterKong) != 0 && TestWinAfterKong(seat, tile, result, mode) != 0 &&
        (mode & kHuSelfDrawn) != 0) {
        types.Set(kTypeFlowerOnKong);
    }
    if (kongDiscardFlag_ && (mode & kHuOnDiscard) != 0) {
        types.Set(kTypeShotAfterKong);
    } else if ((mode & kHuRobbing) != 0) {
        types.Set(kTypeRobbedKong);
    }
    if ((flags & kHuTypeEarlyFour) != 0 && !IsDrawnHand() && CountDiscards() < kEarlyFourDiscards) {
        types.Set(kTypeEarlyFour);
    }
    if ((flags & kHuTypeLateFour) != 0 && !IsDrawnHand() && TilesLeft() < kLateFourTiles) {
        types.Set(kTypeLateFour);
    }
    if ((flags & kHuTypeEarlyDeclaration) != 0 && readyDeclared_[seat]) {
        types.Set(kTypeEarlyDeclaration);
    }
    return Clamp32(int64_t{HuPoints(result)} + KongBonus(seat, result));
}

int32_t CRegionalMahjongRules::HuPoints(const HuResult& result) {
    int mainType = -1;
    for (int t = 0; t < kRegionalHuTypeCount; ++t) {
        if (result.words[kHuTypeBaseWord + t] >= 1) {
            mainType = t;
        }
    }
    if (mainType < 0) {
        return 0;
    }
    int64_t points = result.words[kHuTypeBaseWord + mainType];
    for (int t = 0; t < kRegionalHuTypeCount; ++t) {
        const int32_t multiplier = result.words[kHuTypeMultiplierWord + t];
        if (t != mainType && result.words[kHuTypeBaseWord + t] < 1 && multiplier > 0) {
            points = std::min<int64_t>(points * multiplier, INT32_MAX);
        }
    }
    return Clamp32(points);
}

int CRegionalMahjongRules::KongBonus(int seat, const HuResult& result) const {
    if (!IsValidSeat(seat)) {
        return 0;
    }
    const auto& lists = melds_[seat];
    int bonus = static_cast<int>(lists[kMeldExposedKong].size() + lists[kMeldAddedKong].size() +
                                 2 * lists[kMeldConcealedKong].size());
    if (result.words[kHuTypeBaseWord + kTypeEarlyFour] >= 1 ||
        result.words[kHuTypeBaseWord + kTypeLateFour] >= 1) {
        bonus *= 2;
    }
    return bonus;
}

int CRegionalMahjongRules::CountDiscards() const {
    int total = 0;
    for (int s = 0; s < PlayerCount(); ++s) {
        total += static_cast<int>(discards_[s].size());
    }
    return total;
}

int CRegionalMahjongRules::TilesLeft() const {
    return tileCount_ - drawnFront_ - drawnBack_;
}

bool CRegionalMahjongRules::IsGoldenHook(int seat, int mode) const {
    const int besides = SeatTileCount(seat) - ((mode & kHuSelfDrawn) != 0 ? 1 : 0);
    return IsValidSeat(seat) && besides == 1;
}

bool CRegionalMahjongRules::IsCleanThreeMelds(int seat) const {
    if (!IsValidSeat(seat)) {
        return false;
    }
    const auto& lists = melds_[seat];
    return lists[kMeldPeng].size() + lists[kMeldExposedKong].size() +
               lists[kMeldConcealedKong].size() ==
           3;
}

int CRegionalMahjongRules::CountQuadsInSevenPairs(int seat, int tile, int mode) const {
    HandCounts counts = Counts(seat);
    int tileIndex = 0;
    int wild2Count = 0;
    TakeOutWildCards(counts, (mode & kHuSelfDrawn) != 0 ? -1 : tile, wildTile1_, wildTile2_,
                     tileIndex, RuleFlags(), 0, wild2Count);
    return static_cast<int>(std::count(counts.begin(), counts.end(), 4));
}

int CRegionalMahjongRules::WildSuccessor(int id) const {
    constexpr int kSuitedIds = 108;
    if (id >= 0 && id < kSuitedIds && id % 9 == 8) {
        return id / 36 * 36;  // a 9 is followed by its suit's 1
    }
    return id >= 0 && id < kMaxWallTiles - 1 ? id + 1 : -1;
}
