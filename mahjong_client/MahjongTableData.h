#pragma once
// The mahjong layer's table data.
//
// CTableDataBase fixes the seat count and keeps the time of the last exit
// request (the count is the interface's).
//
// CMahjongTableData keeps the hand-start record of the running hand (952
// bytes, from the server's hand start) and the result record of the last
// hand (2432 bytes), and answers the table's questions from them through
// named getters. What it reads of the hand-start record is read through
// GetHandStartRecord, so a game that keeps the record inside a larger hand
// state answers with its own copy.
//
// Rules:
//  - The hand-start record is zero until stored; the result record is
//    empty until one is stored (no winner, -1). A record handed in shorter
//    than its size is refused and nothing changes.
//  - A getter of a word the stored record does not hold answers 0; a chair
//    outside 0-7 answers 0 (no tiles, not a winner).
//  - The seat "started" marks and the hand state behind the hand-start
//    record belong to the game's own layout and stay for it to answer.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "frame/TableDataInterface.h"

class CTableDataBase : public CTableDataInterface {
public:
    static constexpr int kSeatCount = 4;

    int GetSeatCount() const { return seatCount_; }
    uint32_t GetExitRequestTick() const override { return exitRequestTick_; }
    void SetExitRequestTick(uint32_t tick) override { exitRequestTick_ = tick; }

private:
    uint32_t exitRequestTick_ = 0;
    int seatCount_ = kSeatCount;
};

class CMahjongTableData : public CTableDataBase {
public:
    static constexpr size_t kHandStartBytes = 952;
    static constexpr size_t kGameResultBytes = 2432;
    static constexpr size_t kHandTileCount = 32;
    static constexpr int kMaxChairs = 8;
    // Start flag bits (dword 14 of the hand-start record).
    static constexpr int32_t kStartHandRunning = 0x1;
    static constexpr int32_t kStartSwapPhase = 0x10;
    static constexpr int32_t kStartFlag100 = 0x100;
    // Result flag bits (dword 0 of the result record).
    static constexpr uint32_t kResultFlag2 = 0x2;
    static constexpr uint32_t kResultFlag1000000 = 0x1000000;
    static constexpr uint32_t kResultFlag2000000 = 0x2000000;
    static constexpr uint32_t kResultFlag4000000 = 0x4000000;

    CMahjongTableData();

    // --- The interface ---
    int IsHandRunning() const override;
    void ClearHandArea() override;
    // The counters only: the seat marks are the game's.
    void ClearSeatsStarted() override;
    bool StoreHandStart(std::span<const uint8_t> record) override;
    bool StoreGameResult(std::span<const uint8_t> record) override;
    std::span<const uint8_t> GetHandStartRecord() const override;
    std::span<const uint8_t> GetGameResult() const override;
    int GetHandStartTiles(std::span<int32_t> tiles) const override;
    int GetSeatResultTiles(int chair, std::span<int32_t> tiles) const override;
    int32_t GetHandStartSeatValue(int chair) const override;
    int32_t GetBaseSilver() const override;

    // --- Hand-start record ---
    // Dword `index` of the stored hand-start record (0 when outside it).
    int32_t GetHandStartWord(size_t index) const;
    int32_t GetHandNumber() const;  // dword 8
    int32_t GetBaseScore() const;   // dword 10
    int32_t GetBanker() const;      // dword 11
    int32_t GetHandStartWord12() const;
    int32_t GetTurnChair() const;   // dword 13
    int32_t GetStartFlags() const;  // dword 14
    int32_t GetHandStartWord15() const;
    int32_t GetReactionTime() const;  // dword 18, seconds
    int32_t GetHandStartWord19() const;
    int32_t GetHandStartWord21() const;
    int32_t GetHandStartWord22() const;
    // Dice 0-3: dwords 23-26 (0 outside).
    int32_t GetDice(int index) const;
    int32_t GetClaimSkipRule() const;  // dword 27
    int32_t GetChiRule() const;        // dword 28
    int32_t GetHandStartWord29() const;
    int32_t GetHandStartWord30() const;
    int32_t GetHandStartWord31() const;
    int32_t GetWallStart() const;  // dword 32
    int32_t GetHandStartWord33() const;
    // Wild tiles 0-1: dwords 34-35 (-1 outside).
    int32_t GetWildTile(int index) const;
    int32_t GetWildIndicator() const;      // dword 36
    int32_t GetBackDrawCount() const;      // dword 37
    int32_t GetFrontDrawPosition() const;  // dword 38
    int32_t GetDiscardTime() const;        // dword 39, seconds
    int32_t GetHandStartWord40() const;
    // Tiles held by the chair at the hand start (dword 49 + chair).
    int32_t GetSeatTileCount(int chair) const { return GetHandStartSeatValue(chair); }
    bool IsSwapPhase() const;
    bool IsStartFlag100() const;

    // --- Result record ---
    uint32_t GetResultFlags() const;
    bool IsResultFlag2() const;
    bool IsResultFlag1000000() const;
    bool IsResultFlag2000000() const;
    bool IsResultFlag4000000() const;
    // The chair of the winner shown first; -1 when nobody won.
    int32_t GetWinnerChair() const;
    // The win flag of the chair.
    bool IsChairWinner(int chair) const;

private:
    std::array<uint8_t, kHandStartBytes> handStart_{};
    std::array<uint8_t, kGameResultBytes> gameResult_{};
    bool hasResult_ = false;
};
