#include "frame/panels/SilverAmounts.h"

#include <limits>

std::optional<int64_t> ParseSilverAmount(std::string_view text) {
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    if (text.empty() || text.front() < '0' || text.front() > '9') {
        return std::nullopt;
    }
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            break;
        }
        const int digit = c - '0';
        value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
    }
    return value;
}

bool IsTransferAmount(int64_t amount) {
    return amount > 0 && amount <= std::numeric_limits<int32_t>::max();
}
