#pragma once
// A hand's 2432-byte result record written field by field at the offsets
// the client reads, for the result tests.

#include <array>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "game/result/ResultSheet.h"

class ResultRecordBytes {
public:
    ResultRecordBytes() : bytes_(ResultSheet::kRecordSize, 0) {
        Word(ResultSheet::kDiscarderAt, -1);
        Word(ResultSheet::kWinnerAt, -1);
    }

    ResultRecordBytes& Word(size_t offset, int32_t value) {
        const uint32_t raw = static_cast<uint32_t>(value);
        for (size_t i = 0; i < 4; ++i) {
            bytes_.at(offset + i) = static_cast<uint8_t>(raw >> (8 * i));
        }
        return *this;
    }
    // The seat's or item's word of a per-seat or per-item table.
    ResultRecordBytes& At(size_t table, int index, int32_t value) {
        return Word(table + 4 * static_cast<size_t>(index), value);
    }
    ResultRecordBytes& Winner(int chair, int discarder) {
        Word(ResultSheet::kWinnerAt, chair);
        Word(ResultSheet::kDiscarderAt, discarder);
        if (chair >= 0 && chair < 4) {
            At(ResultSheet::kWinFlagAt, chair, 1);
        }
        return *this;
    }
    // The names text, cut to its 1024 bytes (no terminator when it fills
    // them).
    ResultRecordBytes& Names(const std::string& text) {
        std::memset(bytes_.data() + ResultSheet::kItemNamesAt, 0, ResultSheet::kNamesBytes);
        std::memcpy(bytes_.data() + ResultSheet::kItemNamesAt, text.data(),
                    std::min(text.size(), ResultSheet::kNamesBytes));
        return *this;
    }

    std::span<const uint8_t> Span() const { return bytes_; }
    std::vector<uint8_t>& Bytes() { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};
