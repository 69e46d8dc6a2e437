#pragma once
// Small arithmetic and text helpers of the table-logic engine.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <span>

// A 64-bit intermediate brought back into the 32-bit range, saturating.
inline int32_t Clamp32(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

inline int64_t CeilToInt64(double value) {
    return static_cast<int64_t>(std::ceil(value));
}

// Copies a zero-terminated text, cut to fit and zero-filled behind; nothing
// for an empty destination.
inline void CopyText(std::span<char> destination, const char* text) {
    if (destination.empty()) {
        return;
    }
    const size_t length = std::min(std::strlen(text), destination.size() - 1);
    std::memcpy(destination.data(), text, length);
    std::fill(destination.begin() + static_cast<ptrdiff_t>(length), destination.end(), '\0');
}
