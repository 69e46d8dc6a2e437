#pragma once
// The regional game's table data: what the server says about the table and
// the current hand. It keeps the table's status block (the eight seats'
// flag words among it), the whole hand area (the hand-start record at its
// front, the hand state behind it), the last hand's result record and the
// wild-marking flag, and answers the table's questions from them.
//
// Rules:
//  - Everything is zero until the server sends it; the object owns no heap
//    memory. The result record reads as empty until a result is stored.
//  - A record handed in shorter than its size is refused (false) and
//    nothing changes; bytes beyond its size are ignored and never copied.
//  - A hand start lays the record into the hand area by the copy map below
//    and nothing else of the hand area changes.
//  - Chairs are checked: seat flags take 0-7, the hand's per-seat values
//    and result tiles 0-3; any other chair changes nothing and answers 0.
//  - Tile lists end at the first -1 or after 32 entries; entries after the
//    first -1 are copied but not counted.
//  - A hand is in play while it runs and, when it opens with the swap of
//    three, once the swap's result has come: a hand start or hand state
//    stored opens the swap again when its start flags say so.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "mahjong_client/MahjongTableData.h"
#include "mahjong_client/TableProtocol.h"

class CRegionalTableData : public CMahjongTableData {
public:
    static constexpr size_t kStatusBlockBytes = 1096;
    static constexpr size_t kHandAreaBytes = table_protocol::kHandStateBytes;
    // The eight seat flag words of the status block (chair 0-7).
    static constexpr size_t kSeatFlagsAt = 20;
    static constexpr uint32_t kSeatStartedFlag = 0x2;
    // Where a hand start is laid into the hand area: its bytes [from, from +
    // count) go to hand-area byte `to`.
    struct CopyRange {
        size_t from;
        size_t count;
        size_t to;
    };
    static constexpr std::array<CopyRange, 4> kHandStartCopyMap = {{
        {0, kHandStartBytes, 0},
        {340, 576, 4984},
        {916, 16, 5560},
        {932, 4, 6768},
    }};
    // The swap record the re-entry snapshot holds (25 words, 3 tile ids).
    static constexpr size_t kSwapRecordAt = 6656;
    static constexpr size_t kSwapRecordBytes = 112;
    // The meld store: list n (1-4) at kMeldListsAt + kMeldListBytes * (n - 1).
    static constexpr size_t kMeldListsAt = 952;
    static constexpr size_t kMeldListBytes = 688;

    CRegionalTableData();

    // --- The table data's operations ---
    int IsSeatStarted(int chair) const override;
    void ClearHandArea() override;
    // The chair of the 201160 record (its word 3) is marked started.
    bool SetSeatStarted(std::span<const uint8_t> record) override;
    // Every seat's started mark off, then the counters the base clears.
    void ClearSeatsStarted() override;
    // A hand start of at least 952 bytes: the seats' marks cleared, the
    // record laid into the hand area by the copy map.
    bool StoreHandStart(std::span<const uint8_t> record) override;
    // A result of at least 2432 bytes: the hand stops running (dword 14 of
    // the hand start cleared) and the record is kept.
    bool StoreGameResult(std::span<const uint8_t> record) override;
    // The hand area, the hand-start record at its front.
    std::span<const uint8_t> GetHandStartRecord() const override;
    // The hand area from byte 952 on.
    std::span<const uint8_t> GetHandStateTail() const override;
    std::span<const uint8_t> GetGameResult() const override;
    // The own tiles of the hand start are the mahjong layer's reading of the
    // hand area (GetHandStartTiles). A chair outside 0-3 leaves the caller's
    // tiles as they were.
    int GetSeatResultTiles(int chair, std::span<int32_t> tiles) const override;
    int32_t GetHandStartSeatValue(int chair) const override;

    // --- The regional additions ---
    // A hand state of at least 15156 bytes replaces the whole hand area.
    bool StoreHandState(std::span<const uint8_t> record);
    // Whether the hand's play runs: a hand runs and its swap of three, if it
    // has one, is over. Throws, draws and gang notices belong to that time.
    bool IsHandInPlay() const;
    // The swap's result has come: the hand's play begins.
    void EndSwapPhase() { swapEnded_ = true; }
    // The hand has its swap of three and the swap's result has not come.
    bool IsSwapToCome() const { return IsSwapPhase() && !swapEnded_; }
    // The wild-marking flag: while it is 0 the tile sprites mark wild tiles.
    int IsMarking() const { return marking_; }
    void SetMarking(int on) { marking_ = on != 0 ? 1 : 0; }
    // The status block and the hand area as the application hands them out.
    std::span<uint8_t> GetStatusBlock() { return statusBlock_; }
    std::span<uint8_t> GetHandArea() { return handArea_; }
    std::span<const uint8_t> GetStatusBlock() const { return statusBlock_; }
    std::span<const uint8_t> GetHandArea() const { return handArea_; }
    // The seat flag word of the chair (0 outside 0-7).
    uint32_t GetSeatFlags(int chair) const;

private:
    std::array<uint8_t, kStatusBlockBytes> statusBlock_{};
    std::array<uint8_t, kHandAreaBytes> handArea_{};
    std::array<uint8_t, kGameResultBytes> result_{};
    bool hasResult_ = false;
    int marking_ = 0;
    bool swapEnded_ = false;  // the swap's result came after the last hand start or state
};
