#include "game/result/ResultSheet.h"

#include <algorithm>

#include "frame/RecordFields.h"

namespace {

bool IsLeadByte(char c) {
    return static_cast<unsigned char>(c) > 0x80;
}

}  // namespace

bool ResultSheet::Read(std::span<const uint8_t> bytes) {
    table_protocol::GameResultRecord record;
    if (bytes.size() < kRecordSize || !table_protocol::ReadTableRecord(bytes, record)) {
        return false;
    }
    scoreChange = record.scoreChange;
    silverChange = record.silverChange;
    nextBaseSilver = record.nextBaseSilver;
    winFlag = record.winFlags;
    discarder = record.discarder;
    winner = record.winner;
    std::copy(record.itemNames.begin(), record.itemNames.end(), itemNames.begin());
    itemValue = record.itemValues;
    itemMultiplier = record.itemMultipliers;
    finalMultiple = record.finalMultiples;
    furtherValue = record.value2368;
    exposedKong = record.exposedKongColumn;
    concealedKong = record.concealedKongColumn;
    return true;
}

bool ResultSheet::HasWon(int chair) const {
    return chair >= 0 && chair < kSeats && winFlag[static_cast<size_t>(chair)] != 0;
}

std::string ResultSheet::ItemName(int index) const {
    const std::string_view names(itemNames.data(),
                                 FieldText(itemNames).size());  // up to the first zero
    return std::string(CutGbk(NthGbkField(names, index), kItemNameBytes));
}

std::string_view NthGbkField(std::string_view text, int index) {
    if (index < 0) {
        return {};
    }
    const size_t zero = text.find('\0');
    if (zero != std::string_view::npos) {
        text = text.substr(0, zero);
    }
    size_t start = 0;
    int field = 0;
    size_t i = 0;
    while (i < text.size()) {
        if (IsLeadByte(text[i])) {
            i += 2;  // a double-byte character: its second byte is never a separator
            continue;
        }
        if (text[i] == '|') {
            if (field == index) {
                return text.substr(start, i - start);
            }
            ++field;
            start = i + 1;
        }
        ++i;
    }
    if (field == index) {
        return text.substr(start, std::min(i, text.size()) - start);
    }
    return {};
}

std::string_view CutGbk(std::string_view text, size_t max) {
    return text.substr(0, WholeGbkLength(text, max));
}
