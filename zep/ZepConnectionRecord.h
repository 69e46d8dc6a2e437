#pragma once
// The state of one connection of a socket manager: the bytes received but
// not yet cut into frames, the assembly of a message the server sends unasked,
// the assembly of the reply to the awaited request, the reply handed to the
// waiting sender, and the sequence counters of what is sent.
//
// Rules:
//  - The received bytes and the message assembly belong to the socket thread.
//  - A frame whose length breaks the length rule is skipped whole (its L + 4
//    bytes), counting down as the bytes arrive, so a hostile length costs
//    neither memory nor a wait; the frames behind it are cut as usual.
//  - The awaited sequence, the last reply piece and the reply assembly change
//    only under the assembly lock; the stored reply only under the response
//    lock. A reply is stored only while its sequence is still awaited, and
//    giving up a wait clears the sequence under the same lock, so a reply that
//    comes after its sender gave up never reaches the next request.
//  - Pieces must come in order (index 1, 2, ...) within one message sequence.
//    An assembly whose pieces pass kZepMaxAssembledSize bytes is a fault.
//  - Sequences for sending start at 1 and are taken atomically.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>

#include "platform/Sync.h"
#include "zep/ZepByteBuffer.h"
#include "zep/ZepFrame.h"
#include "zep/ZepMessage.h"

// What a frame did to an assembly.
enum class ZepFrameOutcome {
    Dropped,    // ignored without fault (out of order, late, header-only)
    Taken,      // appended; more pieces follow
    Completed,  // the last piece: the assembled buffer was handed out
    Fault,      // breaks the rules: the caller reports a socket error
};

// What the next cut of the received bytes gave.
enum class ZepCutResult {
    NeedMore,   // no whole frame is kept
    Frame,      // a whole frame of an admissible length
    BadLength,  // a length the receiver never takes: that frame is being skipped
};

class ZepConnectionRecord {
public:
    explicit ZepConnectionRecord(uint32_t maxPieceSize);
    ZepConnectionRecord(const ZepConnectionRecord&) = delete;
    ZepConnectionRecord& operator=(const ZepConnectionRecord&) = delete;

    // The closed mark: above 0 once the manager is closing.
    void MarkClosed() { ++closedMark_; }
    bool IsClosed() const { return closedMark_.load() > 0; }

    uint32_t NextMessageSequence() { return ++messageCounter_; }
    uint32_t NextFrameSequence() { return ++frameCounter_; }

    // --- receiving (socket thread) ---

    // Keeps received bytes for cutting. The bytes of a frame that is being
    // skipped are dropped as they come, never kept. False when the bytes
    // could not be kept (they are lost).
    bool TakeReceived(std::span<const uint8_t> bytes);
    // Drops every kept byte and ends any skip (the server's greeting).
    void ClearReceived();
    // Cuts the next frame from the kept bytes. On Frame, `frame` holds the L
    // bytes behind the length field, valid until the next call of a receiving
    // operation. On BadLength the frame's L + 4 bytes are skipped: those kept
    // are dropped at once, the rest as they arrive, and cutting goes on after
    // them. On NeedMore the bytes of the frames handled so far are released.
    ZepCutResult NextFrame(std::span<const uint8_t>& frame);
    // Bytes kept and not yet cut; bytes of a bad frame still to come.
    size_t KeptBytes() const;
    uint64_t BytesToSkip() const { return skip_; }

    // Checks the frame header (type 1 or 2, message sequence and piece index
    // from 1; else a fault) and hands the piece to the assembly of its type.
    ZepFrameOutcome TakePiece(const ZepFrameView& frame, const ZepDeliveryInfo& stamp,
                              ZepByteBuffer& completed);
    // A piece of a message the server sends unasked (type 1). On Completed
    // `completed` holds the delivery info and the piece list.
    ZepFrameOutcome TakeMessagePiece(const ZepFrameView& frame, const ZepDeliveryInfo& stamp,
                                     ZepByteBuffer& completed);
    // A piece of a reply (type 2); Completed as above. The sequence stays
    // awaited until DeliverResponse or AbandonRequest.
    ZepFrameOutcome TakeReplyPiece(const ZepFrameView& frame, const ZepDeliveryInfo& stamp,
                                   ZepByteBuffer& completed);

    // --- the awaited request ---

    // Clears the reply assembly and awaits the sequence (0: none).
    void SetAwaitedRequest(uint32_t sequence);
    void GetAwaitedRequest(uint32_t& sequence, uint32_t& lastPiece);
    // The sender stops waiting: the sequence is no longer awaited and the
    // response event is reset, atomically with respect to DeliverResponse.
    void AbandonRequest(uint32_t sequence);
    // Stores the reply of the awaited sequence, ends the wait and sets the
    // response event. False (nothing stored) when the sequence is no longer
    // awaited.
    bool DeliverResponse(uint32_t sequence, ZepMessage&& reply);
    // Moves the stored reply out; false when none is stored.
    bool TakeResponse(ZepMessage& out);
    platform::Event& ResponseEvent() { return responseEvent_; }

private:
    // Appends a piece to an assembly (starting it on piece 1). False when the
    // assembly would pass its bound or the block cannot be had.
    static bool AssembleMessage(ZepByteBuffer& assembly, size_t& pieceBytes,
                                const ZepFrameView& frame, const ZepDeliveryInfo& stamp);
    void ResetMessageAssembly();
    // Counts down the skip by what it takes of `available` bytes; the number
    // taken.
    size_t Skip(size_t available);
    // Removes the bytes of the frames already cut.
    void ReleaseCutFrames();
    void ResetReplyAssemblyLocked(uint32_t awaited);

    const uint32_t maxPieceSize_;
    std::atomic<int32_t> closedMark_{0};
    std::atomic<uint32_t> messageCounter_{0};
    std::atomic<uint32_t> frameCounter_{0};

    // Received bytes; those before cutOffset_ belong to frames already cut.
    // While skip_ is above 0 nothing lies behind cutOffset_.
    ZepByteBuffer receive_;
    size_t cutOffset_ = 0;
    uint64_t skip_ = 0;  // L + 4 of a bad frame passes 32 bits

    ZepByteBuffer messageAssembly_;
    uint32_t messageSequence_ = 0;  // 0: none being assembled
    uint32_t messageLastPiece_ = 0;
    size_t messagePieceBytes_ = 0;

    std::mutex assemblyLock_;
    ZepByteBuffer replyAssembly_;  // guarded by assemblyLock_
    uint32_t awaited_ = 0;         // guarded by assemblyLock_
    uint32_t replyLastPiece_ = 0;  // guarded by assemblyLock_
    size_t replyPieceBytes_ = 0;   // guarded by assemblyLock_

    std::mutex responseLock_;
    ZepMessage response_;       // guarded by responseLock_
    bool hasResponse_ = false;  // guarded by responseLock_
    platform::Event responseEvent_{platform::Event::Mode::ManualReset};
};
