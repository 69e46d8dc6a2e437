#pragma once
// The six tile functions through which every tile algorithm classifies tiles.
//
// Rules kept:
//  - The table is constant-initialised with the defaults, so objects built
//    during static initialisation always find a complete table.
//  - A rule set replaces slots with the setters; a null function restores
//    that slot's default, so a slot is never empty.
//  - RegionalIsFlowerIndex forwards to the wild slot and therefore cannot be
//    installed as the wild slot itself (that slot keeps its default then).
//  - The table is written at start-up only; readers take no lock.

#include "mahjong_tiles/TileEncoding.h"
#include "mahjong_tiles/TileTypes.h"

using TileClassTest = int (*)(int index, int wild1, int wild2, RuleFlags rule);
using SubstituteIndexFunction = int (*)(int wildIndex1, int wildIndex2, RuleFlags rule);
using TileAttributeFunction = int (*)(int id, RuleFlags rule);

struct TileFunctionTable {
    TileClassTest flowerTest;                 // slot 0
    TileClassTest honourTest;                 // slot 1
    TileClassTest wildTest;                   // slot 2
    SubstituteIndexFunction substituteIndex;  // slot 3
    TileAttributeFunction suit;               // slot 4
    TileAttributeFunction value;              // slot 5
};

inline constexpr TileFunctionTable kDefaultTileFunctions{
    &IsFlowerIndex,      &IsHonourIndex, &IsWildCardIndex,
    &GetSubstituteIndex, &GetCardShape,  &GetCardValue,
};

const TileFunctionTable& TileFunctions();

void SetFlowerTestFunction(TileClassTest function);
void SetHonourTestFunction(TileClassTest function);
void SetWildTestFunction(TileClassTest function);
void SetSubstituteIndexFunction(SubstituteIndexFunction function);
void SetSuitFunction(TileAttributeFunction function);
void SetValueFunction(TileAttributeFunction function);
void InstallTileFunctions(const TileFunctionTable& table);
void RestoreDefaultTileFunctions();

// The regional flower test: the wild slot's answer for the same arguments,
// so a tile counts as a flower exactly when it is a wild kind.
int RegionalIsFlowerIndex(int index, int wild1, int wild2, RuleFlags rule);
