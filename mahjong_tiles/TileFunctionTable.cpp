#include "mahjong_tiles/TileFunctionTable.h"

namespace {

constinit TileFunctionTable g_table = kDefaultTileFunctions;

template <typename Function>
void Store(Function& slot, Function function, Function fallback) {
    slot = function != nullptr ? function : fallback;
}

}  // namespace

const TileFunctionTable& TileFunctions() {
    return g_table;
}

void SetFlowerTestFunction(TileClassTest function) {
    Store(g_table.flowerTest, function, kDefaultTileFunctions.flowerTest);
}

void SetHonourTestFunction(TileClassTest function) {
    Store(g_table.honourTest, function, kDefaultTileFunctions.honourTest);
}

void SetWildTestFunction(TileClassTest function) {
    if (function == &RegionalIsFlowerIndex) {
        function = nullptr;  // it would call itself
    }
    Store(g_table.wildTest, function, kDefaultTileFunctions.wildTest);
}

void SetSubstituteIndexFunction(SubstituteIndexFunction function) {
    Store(g_table.substituteIndex, function, kDefaultTileFunctions.substituteIndex);
}

void SetSuitFunction(TileAttributeFunction function) {
    Store(g_table.suit, function, kDefaultTileFunctions.suit);
}

void SetValueFunction(TileAttributeFunction function) {
    Store(g_table.value, function, kDefaultTileFunctions.value);
}

void InstallTileFunctions(const TileFunctionTable& table) {
    SetFlowerTestFunction(table.flowerTest);
    SetHonourTestFunction(table.honourTest);
    SetWildTestFunction(table.wildTest);
    SetSubstituteIndexFunction(table.substituteIndex);
    SetSuitFunction(table.suit);
    SetValueFunction(table.value);
}

void RestoreDefaultTileFunctions() {
    g_table = kDefaultTileFunctions;
}

int RegionalIsFlowerIndex(int index, int wild1, int wild2, RuleFlags rule) {
    return g_table.wildTest(index, wild1, wild2, rule);
}
