#pragma once
// CRegionalMahjongRules: the regional variant's rule set over the mahjong
// table logic: the fourteen named hu and score types and their points, the
// best-hu search over sequences, triplets and one pair, the start and the
// settlement of a hand, the swap-three phase, the ready declaration and the
// per-seat pass counts.
//
// Rules kept:
//  - A winning hand's points are the base of its main type (the largest base
//    set) times the multipliers of the types without a base; the kong bonus
//    is added to a hand's score but not to the points a settlement moves.
//  - Settled points always sum to zero; a settlement that would not is
//    logged and cancelled.
//  - The swap moves tiles only when all four choices are three distinct
//    held tiles of one suit; otherwise nothing moves.
//  - Everything that lives for a hand is cleared by both forms of Reset;
//    the score history survives a hand.

#include <array>
#include <span>

#include "mahjong_logic/MahjongTableLogic.h"

// The named hu and score types of the variant.
enum RegionalHuType : int {
    kTypePlain = 0,          // "屁胡"
    kTypeAllTriplets,        // "大对子"
    kTypeGoldenHook,         // "金钩钓"
    kTypeSevenPairs,         // "暗七对"
    kTypeDragonSevenPairs,   // "龙七对"
    kTypeOneSuit,            // "清一色"
    kTypeOneSuitThreeMelds,  // "清三搭"
    kTypeFlowerOnKong,       // "杠上花"
    kTypeShotAfterKong,      // "杠上炮"
    kTypeRobbedKong,         // "抢杠"
    kTypeEarlyFour,          // "前四"
    kTypeLateFour,           // "后四"
    kTypeEarlyDeclaration,   // "前四报叫"
    kTypeDrawnHandReady,     // "荒庄查叫"
    kRegionalHuTypeCount
};

struct HuTypeEntry {
    const char* name;  // GBK, at most 15 bytes
    int32_t base;
    int32_t multiplier;
};

// The hu-type flags the regional game start sets.
inline constexpr uint32_t kRegionalHuTypeFlags = 0xFE103317u;
inline constexpr uint32_t kHuTypeGoldenHook = 0x8000000;
inline constexpr uint32_t kHuTypeOneSuitThreeMelds = 0x10000000;
inline constexpr uint32_t kHuTypeEarlyFour = 0x2000000;
inline constexpr uint32_t kHuTypeLateFour = 0x4000000;
inline constexpr uint32_t kHuTypeEarlyDeclaration = 0x80000000;

// Where a hu result keeps the base and the multiplier of type t.
inline constexpr int kHuTypeBaseWord = 4;
inline constexpr int kHuTypeMultiplierWord = 36;

class CRegionalMahjongRules : public CMahjongTableLogic {
public:
    explicit CRegionalMahjongRules(
        const MahjongTableParameters& parameters = kRegionalTableParameters);
    ~CRegionalMahjongRules() override;

    void Reset(bool full) override;

    // --- Hu and score types ---
    static const HuTypeEntry& HuType(int type);
    // Sets the type values of a winning result (its groups and word 0's
    // mode) and answers its points plus the kong bonus.
    int ClassifyHu(int seat, int tile, HuResult& result, int mode) override;
    // Base of the main type times the multipliers of the types without one.
    static int32_t HuPoints(const HuResult& result);
    int KongBonus(int seat, const HuResult& result) const;
    int CountDiscards() const;
    int TilesLeft() const;
    bool IsGoldenHook(int seat, int mode) const;
    bool IsCleanThreeMelds(int seat) const;
    int CountQuadsInSevenPairs(int seat, int tile, int mode) const;
    // The best score of the seat's hand with the tile (seven pairs or the
    // standard search), its result copied out when above 0.
    virtual int ScoreHu(int seat, int tile, HuResult& result, int mode);
    // 8 when the seat's hand with the tile wins (seven pairs, else the
    // standard search), else 0.
    virtual int TestHu(int seat, int tile, HuResult& result, int mode);
    // The best-scoring standard decomposition of the counts plus the tile
    // (four groups and a pair, wild tiles filling gaps): its score, with the
    // groups (type values cleared) in best; 0 when there is none.
    int SearchHu(const HandCounts& counts, int tile, int mode, int seat, HuResult& best);
    int WildSuccessor(int id) const override;

    // --- Reading the hand ---
    bool KongDiscardFlag() const { return kongDiscardFlag_; }
    bool HasDeclaredReady(int seat) const { return IsValidSeat(seat) && readyDeclared_[seat]; }

protected:
    struct HuSearch;
    int SearchHuStep(HuSearch& search, const HuResult& work, bool pairTaken);
    int SearchHuGroups(HuSearch& search, const HuResult& work, bool pairTaken);

    // Hu and score types.
    bool kongDiscardFlag_ = false;
    PerSeat<bool> readyDeclared_{};
    int32_t searchTarget_ = 10000;
    int32_t constructedWord_ = 1;

private:
    void ClearRegionalHand();
};
