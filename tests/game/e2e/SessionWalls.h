#pragma once
// Fixed walls for the engine hand of the test server ("test.ini"), with the
// engine's sources seeded 1 (ScopedDriverSources): the banker is chair 3.

#include <cstdint>
#include <map>
#include <vector>

namespace game_test {

// Tile ids: suit = id / 36, value = id % 9 + 1, four copies 9 apart.
// The engine deals from wall position 46 for the banker (chair 3), four by
// four in the order 3, 2, 1, 0, then one each (two for the banker), and
// draws from position 99 on. Positions not named take the ids left, in
// order.
inline std::vector<int32_t> WallOf(const std::map<int, std::vector<int32_t>>& at) {
    std::vector<int32_t> wall(108, -1);
    std::vector<bool> used(108, false);
    for (const auto& [position, ids] : at) {
        for (size_t i = 0; i < ids.size(); ++i) {
            wall[static_cast<size_t>(position) + i] = ids[i];
            used[static_cast<size_t>(ids[i])] = true;
        }
    }
    size_t next = 0;
    for (int32_t& entry : wall) {
        if (entry < 0) {
            while (used[next]) {
                ++next;
            }
            entry = static_cast<int32_t>(next);
            used[next] = true;
        }
    }
    return wall;
}

// The first hand: the banker gives its three tiles of suit 0 and receives
// a triplet (whoever gives it), which completes 123 456 789 and 55.
inline const std::vector<int32_t> kFirstWall = WallOf({
    {46, {0, 1, 2, 36}},
    {62, {37, 38, 39, 40}},
    {78, {41, 42, 43, 44}},
    {94, {76, 85}},
    {50, {45, 54, 63, 83}},
    {66, {84, 86, 87, 88}},
    {82, {89, 90, 91, 92}},
    {96, {93}},
    {54, {52, 61, 70, 72}},
    {70, {73, 74, 75, 77}},
    {86, {78, 79, 80, 81}},
    {97, {82}},
    {58, {53, 62, 71, 94}},
    {74, {95, 96, 97, 98}},
    {90, {99, 100, 101, 102}},
    {98, {103}},
});
// The own chair's three tiles of suit 1 for the first exchange.
inline const std::vector<int32_t> kFirstChoice = {53, 62, 71};

}  // namespace game_test
