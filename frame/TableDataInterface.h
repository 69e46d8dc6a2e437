#pragma once
// The root of the game's table data: what the frame reads and writes (the
// exit-request bookkeeping, the base silver, whether a hand runs) and the
// operations every game's table data answers over the hand-start record,
// the seat "started" flags, the hand state and the hand's result record.
//
// Rules:
//  - The interface keeps the exit-request count; the time of the last exit
//    request is kept by the class below it. ResetCounters clears both and is
//    never replaced.
//  - Records handed in are checked against their length by the receiver; a
//    short one is refused (false) and nothing changes.
//  - The record getters return the stored bytes; an empty span means the
//    record is not kept.

#include <cstddef>
#include <cstdint>
#include <span>

class CTableDataInterface {
public:
    CTableDataInterface() = default;
    virtual ~CTableDataInterface() = default;
    CTableDataInterface(const CTableDataInterface&) = delete;
    CTableDataInterface& operator=(const CTableDataInterface&) = delete;

    // 1 while a hand is being played at the table.
    virtual int IsHandRunning() const = 0;
    // 1 when the chair has signalled "started" for the coming hand.
    virtual int IsSeatStarted(int chair) const = 0;
    // Empties the stored hand state (the hand-start record with it).
    virtual void ClearHandArea() = 0;
    // Marks the chair of a "started" notification record; false (nothing
    // changed) when the record is short or its chair is out of range.
    virtual bool SetSeatStarted(std::span<const uint8_t> record) = 0;
    // Clears every seat's "started" mark and the counters.
    virtual void ClearSeatsStarted() = 0;
    // Keeps a hand-start record; false (nothing changed) when it is short.
    virtual bool StoreHandStart(std::span<const uint8_t> record) = 0;
    // Keeps a hand's result record and ends the running hand; false (nothing
    // changed) when it is short.
    virtual bool StoreGameResult(std::span<const uint8_t> record) = 0;
    virtual std::span<const uint8_t> GetHandStartRecord() const = 0;
    // The hand state behind the hand-start record.
    virtual std::span<const uint8_t> GetHandStateTail() const = 0;
    virtual std::span<const uint8_t> GetGameResult() const = 0;
    // Copies the own tiles of the hand start into `tiles`; the count before
    // the first -1, at most the span's size.
    virtual int GetHandStartTiles(std::span<int32_t> tiles) const = 0;
    // Copies the chair's tiles of the result into `tiles`; the count before
    // the first -1 (0 for a chair outside the record).
    virtual int GetSeatResultTiles(int chair, std::span<int32_t> tiles) const = 0;
    // The hand start's value of the chair (its tiles held); 0 for a chair
    // outside the record.
    virtual int32_t GetHandStartSeatValue(int chair) const = 0;

    // Sets the exit-request count and time to 0; returns 0.
    int ResetCounters() {
        exitRequestCount_ = 0;
        SetExitRequestTick(0);
        return 0;
    }

    // The table's current base silver (0 when no hand was announced).
    virtual int32_t GetBaseSilver() const { return 0; }
    // The frame's name of IsHandRunning.
    int IsGameInProgress() const { return IsHandRunning(); }

    // Exit requests the player sent in the current game.
    int32_t GetExitRequestCount() const { return exitRequestCount_; }
    void SetExitRequestCount(int32_t count) { exitRequestCount_ = count; }
    // Tick count (ms) of the last exit request; 0 when none.
    virtual uint32_t GetExitRequestTick() const = 0;
    virtual void SetExitRequestTick(uint32_t tick) = 0;

private:
    int32_t exitRequestCount_ = 0;
};

// The name the frame's callers use.
using CGameTableData = CTableDataInterface;
