#include "game/result/ResultSheet.h"

#include "frame/RecordFields.h"
#include "zep/ZepWire.h"

namespace {

// Reads the words at `offset` into `out`; the reader is positioned
// absolutely for each field so the field list follows the record's map.
template <size_t N>
void ReadWords(std::span<const uint8_t> record, size_t offset, std::array<int32_t, N>& out) {
    ZepWireReader reader(record.subspan(offset));
    for (int32_t& word : out) {
        reader.ReadI32(word);
    }
}

void ReadWord(std::span<const uint8_t> record, size_t offset, int32_t& out) {
    ZepWireReader reader(record.subspan(offset));
    reader.ReadI32(out);
}

bool IsLeadByte(char c) {
    return static_cast<unsigned char>(c) > 0x80;
}

}  // namespace

bool ResultSheet::Read(std::span<const uint8_t> record) {
    if (record.size() < kRecordSize) {
        return false;
    }
    record = record.first(kRecordSize);
    ReadWords(record, kScoreChangeAt, scoreChange);
    ReadWords(record, kSilverChangeAt, silverChange);
    ReadWord(record, kNextBaseSilverAt, nextBaseSilver);
    ReadWords(record, kWinFlagAt, winFlag);
    ReadWord(record, kDiscarderAt, discarder);
    ReadWord(record, kWinnerAt, winner);
    {
        ZepWireReader reader(record.subspan(kItemNamesAt));
        reader.ReadBytes(
            std::span<uint8_t>(reinterpret_cast<uint8_t*>(itemNames.data()), itemNames.size()));
    }
    ReadWords(record, kItemValueAt, itemValue);
    ReadWords(record, kItemMultiplierAt, itemMultiplier);
    ReadWords(record, kFinalMultipleAt, finalMultiple);
    ReadWords(record, kFurtherValueAt, furtherValue);
    ReadWords(record, kExposedKongAt, exposedKong);
    ReadWords(record, kConcealedKongAt, concealedKong);
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
