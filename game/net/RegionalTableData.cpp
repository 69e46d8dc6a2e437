#include "game/net/RegionalTableData.h"

#include <algorithm>

#include "mahjong_client/TableProtocol.h"
#include "zep/ZepWire.h"

namespace tp = table_protocol;

namespace {

constexpr size_t kStartFlagsWord = 14;
constexpr size_t kSeatValuesWord = 49;
constexpr int kResultSeats = 4;
constexpr int kFlagChairs = 8;
// The 201160 record's chair (its word 3) and the record's size.
constexpr size_t kStartedChairWord = 3;
constexpr size_t kStartedRecordBytes = 16;

void PutWord(std::span<uint8_t> bytes, size_t index, uint32_t value) {
    ZepWireWriter writer(bytes.subspan(index * 4, 4));
    writer.WriteU32(value);
}

}  // namespace

CRegionalTableData::CRegionalTableData() = default;

uint32_t CRegionalTableData::GetSeatFlags(int chair) const {
    if (chair < 0 || chair >= kFlagChairs) {
        return 0;
    }
    return static_cast<uint32_t>(
        tp::WordAt(statusBlock_, kSeatFlagsAt / 4 + static_cast<size_t>(chair)));
}

int CRegionalTableData::IsSeatStarted(int chair) const {
    return (GetSeatFlags(chair) & kSeatStartedFlag) != 0 ? 1 : 0;
}

void CRegionalTableData::ClearHandArea() {
    handArea_.fill(0);
    swapEnded_ = false;
}

bool CRegionalTableData::SetSeatStarted(std::span<const uint8_t> record) {
    if (record.size() < kStartedRecordBytes) {
        return false;
    }
    const int32_t chair = tp::WordAt(record, kStartedChairWord);
    if (chair < 0 || chair >= kFlagChairs) {
        return false;
    }
    PutWord(statusBlock_, kSeatFlagsAt / 4 + static_cast<size_t>(chair),
            GetSeatFlags(chair) | kSeatStartedFlag);
    return true;
}

void CRegionalTableData::ClearSeatsStarted() {
    for (int chair = 0; chair < kFlagChairs; ++chair) {
        PutWord(statusBlock_, kSeatFlagsAt / 4 + static_cast<size_t>(chair),
                GetSeatFlags(chair) & ~kSeatStartedFlag);
    }
    CMahjongTableData::ClearSeatsStarted();
}

bool CRegionalTableData::StoreHandStart(std::span<const uint8_t> record) {
    if (record.size() < kHandStartBytes) {
        return false;
    }
    ClearSeatsStarted();
    swapEnded_ = false;
    for (const CopyRange& range : kHandStartCopyMap) {
        std::copy_n(record.begin() + static_cast<std::ptrdiff_t>(range.from), range.count,
                    handArea_.begin() + static_cast<std::ptrdiff_t>(range.to));
    }
    return true;
}

bool CRegionalTableData::StoreGameResult(std::span<const uint8_t> record) {
    if (record.size() < kGameResultBytes) {
        return false;
    }
    // The hand is over: the start flags no longer say it runs.
    PutWord(handArea_, kStartFlagsWord, 0);
    std::copy_n(record.begin(), kGameResultBytes, result_.begin());
    hasResult_ = true;
    return true;
}

bool CRegionalTableData::StoreHandState(std::span<const uint8_t> record) {
    if (record.size() < kHandAreaBytes) {
        return false;
    }
    std::copy_n(record.begin(), kHandAreaBytes, handArea_.begin());
    swapEnded_ = false;
    return true;
}

bool CRegionalTableData::IsHandInPlay() const {
    return IsHandRunning() != 0 && (!IsSwapPhase() || swapEnded_);
}

std::span<const uint8_t> CRegionalTableData::GetHandStartRecord() const {
    return handArea_;
}

std::span<const uint8_t> CRegionalTableData::GetHandStateTail() const {
    return std::span<const uint8_t>(handArea_).subspan(kHandStartBytes);
}

std::span<const uint8_t> CRegionalTableData::GetGameResult() const {
    if (!hasResult_) {
        return {};
    }
    return result_;
}

int CRegionalTableData::GetSeatResultTiles(int chair, std::span<int32_t> tiles) const {
    if (chair < 0 || chair >= kResultSeats) {
        return 0;  // the caller's tiles stay as they were
    }
    return CMahjongTableData::GetSeatResultTiles(chair, tiles);
}

int32_t CRegionalTableData::GetHandStartSeatValue(int chair) const {
    if (chair < 0 || chair >= kResultSeats) {
        return 0;
    }
    return tp::WordAt(handArea_, kSeatValuesWord + static_cast<size_t>(chair));
}
