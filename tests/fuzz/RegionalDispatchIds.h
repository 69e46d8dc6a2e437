#pragma once
// The notifications the regional dispatch target feeds the regional
// handler: the first byte of an input picks one (modulo their count). The
// corpus generator writes its seeds with the same order.

#include <array>
#include <cstdint>

inline constexpr std::array<int32_t, 15> kRegionalDispatchIds = {
    211040, 211080, 211160, 222168, 229480, 229805, 400002, 400010,
    211000, 211200, 201160, 211028, 222170, 229180, 229570,
};
