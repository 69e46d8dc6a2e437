#pragma once
// What the result dialog and the score lines show of a hand's 2432-byte
// result record (the table protocol's GameResultRecord, read through its
// checked reader).
//
// Rules:
//  - A record shorter than kRecordSize is refused whole: nothing is read.
//  - The score-item names are one zero-ended text of at most 1024 bytes,
//    fields separated by '|'; the scan steps over double-byte characters
//    (whose second byte may be '|') and never reads past the field.
//  - A name is cut to kItemNameBytes at a whole character; an index without
//    a field has an empty name.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "mahjong_client/TableProtocol.h"

struct ResultSheet {
    static constexpr size_t kRecordSize = table_protocol::GameResultRecord::kSize;
    static constexpr int kSeats = 4;
    static constexpr int kItems = 14;
    static constexpr size_t kNamesBytes = 1024;
    static constexpr size_t kItemNameBytes = 15;

    std::array<int32_t, kSeats> scoreChange{};
    std::array<int32_t, kSeats> silverChange{};
    int32_t nextBaseSilver = 0;
    std::array<int32_t, kSeats> winFlag{};
    int32_t discarder = -1;  // -1: self-drawn
    int32_t winner = -1;     // -1: nobody won
    std::array<char, kNamesBytes> itemNames{};
    std::array<int32_t, kItems> itemValue{};
    std::array<int32_t, kItems> itemMultiplier{};
    std::array<int32_t, kSeats> finalMultiple{};
    std::array<int32_t, kSeats> furtherValue{};
    std::array<int32_t, kSeats> exposedKong{};    // shown in the "明杠" column
    std::array<int32_t, kSeats> concealedKong{};  // shown in the "暗杠" column

    // False (sheet unchanged) when the record is shorter than kRecordSize.
    bool Read(std::span<const uint8_t> record);

    // The chair's win flag; 0 for a chair outside 0..3.
    bool HasWon(int chair) const;
    // The score item's name, or "" for an index without a field.
    std::string ItemName(int index) const;
};

// The index-th '|'-separated field of a GBK text (up to its first zero),
// stepping over double-byte characters; "" when there is no such field.
std::string_view NthGbkField(std::string_view text, int index);
// The front of the GBK text within max bytes that ends at a whole
// character.
std::string_view CutGbk(std::string_view text, size_t max);
