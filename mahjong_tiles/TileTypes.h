#pragma once
// Shared vocabulary of the tile algorithms: the 64-count hand table, the rule,
// pattern and situation words, and the operation values the tests answer.
//
// A hand table is indexed by tile index (suit x 10 + value). Every read or
// write through a computed index goes through CountAt, IsHandIndex or
// IsTileIndex, so an invalid tile (index -10) or a stray index never touches
// memory outside the 64 counts.

#include <array>
#include <cstdint>

inline constexpr int kHandKinds = 64;
using HandCounts = std::array<int32_t, kHandKinds>;

inline constexpr bool IsHandIndex(int index) {
    return index >= 0 && index < kHandKinds;
}

// Indices a real tile can occupy; index 0 is never used.
inline constexpr bool IsTileIndex(int index) {
    return index >= 1 && index < kHandKinds;
}

// The count held at an index; 0 for an index outside the table.
inline int32_t CountAt(const HandCounts& counts, int index) {
    return IsHandIndex(index) ? counts[index] : 0;
}

inline bool IsHeld(const HandCounts& counts, int index) {
    return CountAt(counts, index) > 0;
}

// The rule word passed to every tile function.
using RuleFlags = uint32_t;
inline constexpr RuleFlags kRuleWildTiles = 0x1;  // wild tiles are in play
inline constexpr RuleFlags kRuleWildFaceSubstitute =
    0x4;                                              // the substitute kind plays the wild's face
inline constexpr RuleFlags kRuleWildAsOwnFace = 0x8;  // wilds may also be plain tiles of their face
inline constexpr RuleFlags kRuleHonourRuns = 0x20;    // three distinct winds or the dragons run
inline constexpr RuleFlags kRuleNoChi = 0x100;
inline constexpr RuleFlags kRuleNoHuInSituation1 = 0x200;
inline constexpr RuleFlags kRuleNoHuInSituation4 = 0x400;
inline constexpr RuleFlags kRuleNoJokerPairInSituation4 = 0x4000;
inline constexpr RuleFlags kRuleSevenHonoursWithoutWild = 0x400000;
inline constexpr RuleFlags kRuleJokerPairOwnDrawOnly = 0x1000000;
inline constexpr RuleFlags kRuleTwoJokerTripletOwnDrawOnly = 0x2000000;
inline constexpr RuleFlags kRuleJokerMiddleOwnDrawOnly = 0x4000000;
inline constexpr RuleFlags kRegionalRuleFlags = 0xa0003100;

// The special hands a rule set allows; the same bits force one pattern test
// when they appear in the situation word.
using HuPatternFlags = uint32_t;
inline constexpr HuPatternFlags kPatternSevenPairs = 0x10;
inline constexpr HuPatternFlags kPatternThirteenApart = 0x20;
inline constexpr HuPatternFlags kPatternSevenHonours = 0x40;
inline constexpr HuPatternFlags kPatternAllHonours = 0x80;
inline constexpr HuPatternFlags kPatternAllTwoFiveEight = 0x1000000;
inline constexpr HuPatternFlags kRegionalHuPatterns = 0xb0007;

// The situation of a hu test.
using HuSituationFlags = uint32_t;
inline constexpr HuSituationFlags kSituationRule200Applies = 0x1;  // rule 0x200 forbids the win
inline constexpr HuSituationFlags kSituationOwnDraw = 0x2;         // the tile is the player's draw
inline constexpr HuSituationFlags kSituationRule400Applies = 0x4;  // rule 0x400 forbids the win

// Operation values; distinct bits so that callers can OR them.
inline constexpr int kOperationNone = 0;
inline constexpr int kOperationPeng = 1;
inline constexpr int kOperationGang = 2;
inline constexpr int kOperationChi = 4;
inline constexpr int kOperationHu = 8;
inline constexpr int kOperationFlower = 16;

inline constexpr int kNoTile = -1;
