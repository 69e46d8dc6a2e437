#pragma once
// Reading and checking the silver amounts the safe-box dialogs, the presets
// and the input bar's quick set move.
//
// Rules:
//  - A typed amount is its leading decimal digits, no sign ("12ab" is 12,
//    "-5" and "" are 0); the value is kept in 64 bits, so a long run of
//    digits is never wrapped (it saturates above the 32-bit field).
//  - Differences and sums are computed in 64 bits. An amount that is to go
//    on the wire must lie in 1 .. INT32_MAX; anything else is refused with
//    kEnterAmountText and nothing is sent.

#include <cstdint>
#include <optional>
#include <string_view>

inline constexpr char kEnterAmountText[] = "请输入银子数额。";

// The leading decimal digits of the text as a value, saturated at
// INT64_MAX / 10; 0 for none.
int64_t ReadAmountText(std::string_view text);
// As ReadAmountText for a zero-terminated text; 0 for null.
int64_t ReadAmountText(const char* text);

// The amount as the 32-bit field a transfer carries, when it is at least 1
// and fits; nothing otherwise.
std::optional<int32_t> TransferableAmount(int64_t amount);

// What setting the carried silver to a target asks for.
struct SilverChange {
    enum Kind { kEqual, kSave, kTake, kRefused };
    Kind kind = kRefused;
    int32_t amount = 0;  // the difference to move, when kSave or kTake
};
// carried and target as the game and a preset hold them: a negative target
// or a difference beyond the 32-bit field is refused.
SilverChange PlanSilverChange(int64_t carried, int64_t target);
