#pragma once
// Amounts of silver the player types or a file holds, and the checks every
// transfer of silver makes before anything is sent.
//
// Rules:
//  - An amount is its leading decimal digits: no sign, no spaces; text
//    without a leading digit holds no amount.
//  - Values are kept in 64 bits; digits beyond what 64 bits hold saturate.
//  - A transfer carries a 32-bit amount: it is above 0 and at most
//    2147483647; anything else is refused with kAskForSilverAmount.

#include <cstdint>
#include <optional>
#include <string_view>

inline constexpr char kAskForSilverAmount[] = "请输入银子数额。";

// The leading digits of the text; none when it starts with anything else.
std::optional<int64_t> ParseSilverAmount(std::string_view text);

// True when the amount can travel in a transfer's 32-bit field.
bool IsTransferAmount(int64_t amount);
