#pragma once
// A hand's 2432-byte result record built from named fields, for the result
// tests.

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "mahjong_client/TableProtocol.h"

class ResultRecordBytes {
public:
    using R = table_protocol::GameResultRecord;

    template <size_t N>
    ResultRecordBytes& Set(table_protocol::Words<N> R::*field, int index, int32_t value) {
        (record_.*field).at(static_cast<size_t>(index)) = value;
        return Written();
    }
    ResultRecordBytes& Set(int32_t R::*field, int32_t value) {
        record_.*field = value;
        return Written();
    }
    // The winner with its win flag, and the chair that threw the tile (-1
    // self-drawn).
    ResultRecordBytes& Winner(int chair, int discarder) {
        record_.winner = chair;
        record_.discarder = discarder;
        if (chair >= 0 && chair < 4) {
            record_.winFlags[static_cast<size_t>(chair)] = 1;
        }
        return Written();
    }
    // The names text, cut to its 1024 bytes (no terminator when it fills
    // them).
    ResultRecordBytes& Names(const std::string& text) {
        record_.itemNames.fill(0);
        std::copy_n(text.begin(), std::min(text.size(), record_.itemNames.size()),
                    record_.itemNames.begin());
        return Written();
    }

    std::span<const uint8_t> Span() const { return bytes_; }
    std::vector<uint8_t>& Bytes() { return bytes_; }

private:
    ResultRecordBytes& Written() {
        bytes_ = table_protocol::WriteTableRecord(record_);
        return *this;
    }

    R record_{};
    std::vector<uint8_t> bytes_ = table_protocol::WriteTableRecord(R{});
};
