#pragma once
// Tile ids and tile indices, and the classification functions over them.
//
// A tile id names one physical tile: 0..35, 36..71 and 72..107 are the three
// suits (four runs of 1..9 each), 108..135 the honours (four runs of the
// seven kinds), 136..151 the flowers; any other id is no tile (suit -1,
// value 0, index -10). A tile index names a kind: suit x 10 + value.
//
// Suit and value are fixed range tests; everything else asks the
// TileFunctionTable, so a rule set that replaces a slot changes every
// algorithm consistently.

#include <cstdint>
#include <span>

#include "mahjong_tiles/TileTypes.h"

inline constexpr int kInvalidTileIndex = -10;
inline constexpr int kDefaultSubstituteIndex = 37;

// Default slot functions (the rule word is accepted and not read).
int GetCardShape(int id, RuleFlags rule = 0);
int GetCardValue(int id, RuleFlags rule = 0);
int IsFlowerIndex(int index, int wild1 = kNoTile, int wild2 = kNoTile, RuleFlags rule = 0);
int IsHonourIndex(int index, int wild1 = kNoTile, int wild2 = kNoTile, RuleFlags rule = 0);
int IsWildCardIndex(int index, int wild1, int wild2, RuleFlags rule);
int GetSubstituteIndex(int wildIndex1, int wildIndex2, RuleFlags rule);

// Index through the suit and value slots; no validity check (-10 for an
// invalid id with the defaults).
int GetCardIndex(int id, RuleFlags rule = 0);
// 0 when suit < 0 or value < 1, else suit x 10 + value.
int MakeCardIndex(int suit, int value);
int IsSameCardIndex(int a, int b, RuleFlags rule = 0);
// The first id 0..167 whose index equals the given one; -1 when none.
int FindCardIdByIndex(int index, RuleFlags rule = 0);

// The index itself when it is a wind (31..34) / dragon (35..37), else 0.
int IsWindIndex(int index);
int IsDragonIndex(int index);
// 1 for the suit indices whose value is 2, 5 or 8.
int IsTwoFiveEight(int index);

// Slot-based tests on tile ids.
int IsWildCard(int id, int wild1, int wild2, RuleFlags rule);
int IsFlowerCard(int id, int wild1, int wild2, RuleFlags rule);

// Stores the index of each wild id that is set (0 for one that is not) and
// returns how many are set.
int GetWildIndices(int wild1, int wild2, RuleFlags rule, int& index1, int& index2);
// The index of the kind that plays the wild tiles' face (substitute slot).
int GetWildFaceIndex(int wild1, int wild2, RuleFlags rule);
int IsWildFaceIndex(int index, int wild1, int wild2, RuleFlags rule);
int IsWildFaceCard(int id, int wild1, int wild2, RuleFlags rule);

// The number of distinct suits (0..9) among the ids; other ids are skipped.
int CountCardSuits(std::span<const int32_t> ids);
