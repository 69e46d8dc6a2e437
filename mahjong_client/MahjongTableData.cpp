#include "mahjong_client/MahjongTableData.h"

#include <algorithm>

#include "mahjong_client/TableProtocol.h"

namespace {

constexpr size_t kHandRunningWord = 14;
constexpr size_t kBaseSilverWord = 9;
constexpr size_t kFirstDiceWord = 23;
constexpr size_t kFirstWildWord = 34;
constexpr size_t kFirstSeatValueWord = 49;
constexpr size_t kHandTilesAt = 212;
constexpr size_t kWinFlagsAt = 516;
constexpr size_t kWinnerWord = 134;
constexpr size_t kSeatTilesAt = 704;
constexpr int kResultSeats = 4;

// Copies up to `tiles.size()` words of the list at `offset` into tiles; the
// count before the first -1 (the words copied when there is none).
int CopyTileList(std::span<const uint8_t> record, size_t offset, std::span<int32_t> tiles) {
    const size_t n = std::min(tiles.size(), CMahjongTableData::kHandTileCount);
    int count = 0;
    bool ended = false;
    for (size_t i = 0; i < n; ++i) {
        const size_t word = offset / 4 + i;
        tiles[i] = table_protocol::WordAt(record, word, -1);
        if (tiles[i] == -1) {
            ended = true;
        }
        if (!ended) {
            ++count;
        }
    }
    return count;
}

}  // namespace

CMahjongTableData::CMahjongTableData() = default;

int CMahjongTableData::IsHandRunning() const {
    return (GetStartFlags() & kStartHandRunning) != 0 ? 1 : 0;
}

void CMahjongTableData::ClearHandArea() {
    handStart_.fill(0);
}

void CMahjongTableData::ClearSeatsStarted() {
    ResetCounters();
}

bool CMahjongTableData::StoreHandStart(std::span<const uint8_t> record) {
    if (record.size() < kHandStartBytes) {
        return false;
    }
    ClearSeatsStarted();
    std::copy_n(record.begin(), kHandStartBytes, handStart_.begin());
    return true;
}

bool CMahjongTableData::StoreGameResult(std::span<const uint8_t> record) {
    if (record.size() < kGameResultBytes) {
        return false;
    }
    // The hand is over: its start flags no longer say it runs.
    std::fill_n(handStart_.begin() + kHandRunningWord * 4, 4, uint8_t{0});
    std::copy_n(record.begin(), kGameResultBytes, gameResult_.begin());
    hasResult_ = true;
    return true;
}

std::span<const uint8_t> CMahjongTableData::GetHandStartRecord() const {
    return handStart_;
}

std::span<const uint8_t> CMahjongTableData::GetGameResult() const {
    if (!hasResult_) {
        return {};
    }
    return gameResult_;
}

int CMahjongTableData::GetHandStartTiles(std::span<int32_t> tiles) const {
    return CopyTileList(GetHandStartRecord(), kHandTilesAt, tiles);
}

int CMahjongTableData::GetSeatResultTiles(int chair, std::span<int32_t> tiles) const {
    if (chair < 0 || chair >= kResultSeats) {
        std::fill(tiles.begin(), tiles.end(), -1);
        return 0;
    }
    return CopyTileList(GetGameResult(), kSeatTilesAt + static_cast<size_t>(chair) * 128, tiles);
}

int32_t CMahjongTableData::GetHandStartSeatValue(int chair) const {
    if (chair < 0 || chair >= kMaxChairs) {
        return 0;
    }
    return GetHandStartWord(kFirstSeatValueWord + static_cast<size_t>(chair));
}

int32_t CMahjongTableData::GetBaseSilver() const {
    return GetHandStartWord(kBaseSilverWord);
}

int32_t CMahjongTableData::GetHandStartWord(size_t index) const {
    return table_protocol::WordAt(GetHandStartRecord(), index);
}

int32_t CMahjongTableData::GetHandNumber() const {
    return GetHandStartWord(8);
}
int32_t CMahjongTableData::GetBaseScore() const {
    return GetHandStartWord(10);
}
int32_t CMahjongTableData::GetBanker() const {
    return GetHandStartWord(11);
}
int32_t CMahjongTableData::GetHandStartWord12() const {
    return GetHandStartWord(12);
}
int32_t CMahjongTableData::GetTurnChair() const {
    return GetHandStartWord(13);
}
int32_t CMahjongTableData::GetStartFlags() const {
    return GetHandStartWord(kHandRunningWord);
}
int32_t CMahjongTableData::GetHandStartWord15() const {
    return GetHandStartWord(15);
}
int32_t CMahjongTableData::GetReactionTime() const {
    return GetHandStartWord(18);
}
int32_t CMahjongTableData::GetHandStartWord19() const {
    return GetHandStartWord(19);
}
int32_t CMahjongTableData::GetHandStartWord21() const {
    return GetHandStartWord(21);
}
int32_t CMahjongTableData::GetHandStartWord22() const {
    return GetHandStartWord(22);
}

int32_t CMahjongTableData::GetDice(int index) const {
    if (index < 0 || index > 3) {
        return 0;
    }
    return GetHandStartWord(kFirstDiceWord + static_cast<size_t>(index));
}

int32_t CMahjongTableData::GetClaimSkipRule() const {
    return GetHandStartWord(27);
}
int32_t CMahjongTableData::GetChiRule() const {
    return GetHandStartWord(28);
}
int32_t CMahjongTableData::GetHandStartWord29() const {
    return GetHandStartWord(29);
}
int32_t CMahjongTableData::GetHandStartWord30() const {
    return GetHandStartWord(30);
}
int32_t CMahjongTableData::GetHandStartWord31() const {
    return GetHandStartWord(31);
}
int32_t CMahjongTableData::GetWallStart() const {
    return GetHandStartWord(32);
}
int32_t CMahjongTableData::GetHandStartWord33() const {
    return GetHandStartWord(33);
}

int32_t CMahjongTableData::GetWildTile(int index) const {
    if (index < 0 || index > 1) {
        return -1;
    }
    return GetHandStartWord(kFirstWildWord + static_cast<size_t>(index));
}

int32_t CMahjongTableData::GetWildIndicator() const {
    return GetHandStartWord(36);
}
int32_t CMahjongTableData::GetBackDrawCount() const {
    return GetHandStartWord(37);
}
int32_t CMahjongTableData::GetFrontDrawPosition() const {
    return GetHandStartWord(38);
}
int32_t CMahjongTableData::GetDiscardTime() const {
    return GetHandStartWord(39);
}
int32_t CMahjongTableData::GetHandStartWord40() const {
    return GetHandStartWord(40);
}

bool CMahjongTableData::IsSwapPhase() const {
    return (GetStartFlags() & kStartSwapPhase) != 0;
}
bool CMahjongTableData::IsStartFlag100() const {
    return (GetStartFlags() & kStartFlag100) != 0;
}

uint32_t CMahjongTableData::GetResultFlags() const {
    return static_cast<uint32_t>(table_protocol::WordAt(GetGameResult(), 0));
}

bool CMahjongTableData::IsResultFlag2() const {
    return (GetResultFlags() & kResultFlag2) != 0;
}
bool CMahjongTableData::IsResultFlag1000000() const {
    return (GetResultFlags() & kResultFlag1000000) != 0;
}
bool CMahjongTableData::IsResultFlag2000000() const {
    return (GetResultFlags() & kResultFlag2000000) != 0;
}
bool CMahjongTableData::IsResultFlag4000000() const {
    return (GetResultFlags() & kResultFlag4000000) != 0;
}

int32_t CMahjongTableData::GetWinnerChair() const {
    return table_protocol::WordAt(GetGameResult(), kWinnerWord, -1);
}

bool CMahjongTableData::IsChairWinner(int chair) const {
    if (chair < 0 || chair >= kResultSeats) {
        return false;
    }
    return table_protocol::WordAt(GetGameResult(), kWinFlagsAt / 4 + static_cast<size_t>(chair)) !=
           0;
}
