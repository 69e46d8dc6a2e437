#include "frame/panels/safebox/SilverAmounts.h"

#include <cstdint>
#include <limits>

namespace {

constexpr int64_t kAmountCeiling = std::numeric_limits<int64_t>::max() / 10;

}  // namespace

int64_t ReadAmountText(std::string_view text) {
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            break;
        }
        value = value >= kAmountCeiling ? kAmountCeiling : value * 10 + (c - '0');
    }
    return value;
}

int64_t ReadAmountText(const char* text) {
    return text != nullptr ? ReadAmountText(std::string_view(text)) : 0;
}

std::optional<int32_t> TransferableAmount(int64_t amount) {
    if (amount < 1 || amount > std::numeric_limits<int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<int32_t>(amount);
}

SilverChange PlanSilverChange(int64_t carried, int64_t target) {
    if (target < 0) {
        return {};
    }
    if (carried == target) {
        return {SilverChange::kEqual, 0};
    }
    const bool save = carried > target;
    const std::optional<int32_t> amount =
        TransferableAmount(save ? carried - target : target - carried);
    if (!amount) {
        return {};
    }
    return {save ? SilverChange::kSave : SilverChange::kTake, *amount};
}
