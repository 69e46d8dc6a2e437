#include "zep/ZepConnectionRecord.h"

#include <algorithm>
#include <utility>

#include "zep/ZepWire.h"

namespace {

constexpr size_t kLengthFieldSize = 4;

// Appends with a capacity that at least doubles, so that a long assembly
// does not copy itself over for every piece.
bool AppendGrowing(ZepByteBuffer& out, const void* bytes, size_t n) {
    const size_t needed = out.GetSize() + n;
    if (needed > out.GetCapacity() && !out.Reserve(std::max(needed, out.GetCapacity() * 2))) {
        return false;
    }
    return out.Append(bytes, n) == n;
}

bool AppendWords(ZepByteBuffer& out, std::initializer_list<uint32_t> words) {
    for (uint32_t word : words) {
        uint8_t bytes[4];
        ZepWireWriter writer(bytes);
        writer.WriteU32(word);
        if (!AppendGrowing(out, bytes, sizeof(bytes))) {
            return false;
        }
    }
    return true;
}

}  // namespace

ZepConnectionRecord::ZepConnectionRecord(uint32_t maxPieceSize) : maxPieceSize_(maxPieceSize) {}

bool ZepConnectionRecord::TakeReceived(std::span<const uint8_t> bytes) {
    ReleaseCutFrames();
    bytes = bytes.subspan(Skip(bytes.size()));
    return bytes.empty() || receive_.Append(bytes.data(), bytes.size()) == bytes.size();
}

void ZepConnectionRecord::ClearReceived() {
    receive_.Clear();
    cutOffset_ = 0;
    skip_ = 0;
}

size_t ZepConnectionRecord::KeptBytes() const {
    return receive_.GetSize() - cutOffset_;
}

ZepCutResult ZepConnectionRecord::NextFrame(std::span<const uint8_t>& frame) {
    const std::span<const uint8_t> bytes = ZepBufferBytes(receive_).subspan(cutOffset_);
    ZepWireReader reader(bytes);
    uint32_t frameLength = 0;
    if (bytes.size() <= kLengthFieldSize || !reader.ReadU32(frameLength)) {
        ReleaseCutFrames();
        return ZepCutResult::NeedMore;
    }
    // The length rule is applied at once, so a hostile length never makes the
    // buffer wait for (or hold) more than one admissible frame.
    if (!ZepIsFrameLengthValid(frameLength, maxPieceSize_)) {
        skip_ = uint64_t{frameLength} + kLengthFieldSize;
        cutOffset_ += Skip(bytes.size());
        return ZepCutResult::BadLength;
    }
    if (reader.Remaining() < frameLength) {
        ReleaseCutFrames();
        return ZepCutResult::NeedMore;
    }
    frame = reader.Rest().first(frameLength);
    cutOffset_ += kLengthFieldSize + frameLength;
    return ZepCutResult::Frame;
}

size_t ZepConnectionRecord::Skip(size_t available) {
    const auto skipped = static_cast<size_t>(std::min<uint64_t>(skip_, available));
    skip_ -= skipped;
    return skipped;
}

void ZepConnectionRecord::ReleaseCutFrames() {
    receive_.Consume(cutOffset_);
    cutOffset_ = 0;
}

bool ZepConnectionRecord::AssembleMessage(ZepByteBuffer& assembly, size_t& pieceBytes,
                                          const ZepFrameView& frame, const ZepDeliveryInfo& stamp) {
    if (frame.header.pieceIndex == 1) {
        assembly.Clear();
        pieceBytes = 0;
        if (!AppendWords(assembly, {stamp.socket, frame.header.messageSequence,
                                    frame.header.callerWord, stamp.connectionId, 0, 0})) {
            return false;
        }
    }
    if (pieceBytes + frame.piece.size() > kZepMaxAssembledSize) {
        return false;
    }
    if (!AppendWords(assembly, {static_cast<uint32_t>(frame.piece.size())}) ||
        !AppendGrowing(assembly, frame.piece.data(), frame.piece.size())) {
        return false;
    }
    pieceBytes += frame.piece.size();
    return true;
}

void ZepConnectionRecord::ResetMessageAssembly() {
    messageSequence_ = 0;
    messageLastPiece_ = 0;
    messagePieceBytes_ = 0;
    messageAssembly_.Clear();
}

ZepFrameOutcome ZepConnectionRecord::TakePiece(const ZepFrameView& frame,
                                               const ZepDeliveryInfo& stamp,
                                               ZepByteBuffer& completed) {
    const ZepFrameHeader& h = frame.header;
    if (h.messageSequence == 0 || h.pieceIndex == 0) {
        return ZepFrameOutcome::Fault;
    }
    if (h.type == kZepFrameTypeMessage) {
        return TakeMessagePiece(frame, stamp, completed);
    }
    if (h.type == kZepFrameTypeReply) {
        return TakeReplyPiece(frame, stamp, completed);
    }
    return ZepFrameOutcome::Fault;
}

ZepFrameOutcome ZepConnectionRecord::TakeMessagePiece(const ZepFrameView& frame,
                                                      const ZepDeliveryInfo& stamp,
                                                      ZepByteBuffer& completed) {
    const ZepFrameHeader& h = frame.header;
    if (messageSequence_ == 0) {
        if (h.pieceIndex != 1) {
            return ZepFrameOutcome::Dropped;
        }
        messageSequence_ = h.messageSequence;
    } else if (h.messageSequence != messageSequence_ || h.pieceIndex != messageLastPiece_ + 1) {
        ResetMessageAssembly();
        return ZepFrameOutcome::Dropped;
    }
    messageLastPiece_ = h.pieceIndex;
    if (!AssembleMessage(messageAssembly_, messagePieceBytes_, frame, stamp)) {
        ResetMessageAssembly();
        return ZepFrameOutcome::Fault;
    }
    if (h.lastPiece == 0) {
        return ZepFrameOutcome::Taken;
    }
    completed = std::move(messageAssembly_);
    ResetMessageAssembly();
    return ZepFrameOutcome::Completed;
}

ZepFrameOutcome ZepConnectionRecord::TakeReplyPiece(const ZepFrameView& frame,
                                                    const ZepDeliveryInfo& stamp,
                                                    ZepByteBuffer& completed) {
    const ZepFrameHeader& h = frame.header;
    std::lock_guard lock(assemblyLock_);
    if (awaited_ == 0) {
        return ZepFrameOutcome::Fault;  // a reply nobody waits for
    }
    if (h.messageSequence < awaited_) {
        return ZepFrameOutcome::Dropped;  // a late reply to an older request
    }
    if (h.messageSequence > awaited_) {
        ResetReplyAssemblyLocked(0);
        return ZepFrameOutcome::Fault;
    }
    if (h.pieceIndex < replyLastPiece_ + 1) {
        return ZepFrameOutcome::Dropped;
    }
    if (h.pieceIndex > replyLastPiece_ + 1) {
        ResetReplyAssemblyLocked(0);
        return ZepFrameOutcome::Fault;
    }
    replyLastPiece_ = h.pieceIndex;
    if (!AssembleMessage(replyAssembly_, replyPieceBytes_, frame, stamp)) {
        ResetReplyAssemblyLocked(0);
        return ZepFrameOutcome::Fault;
    }
    if (h.lastPiece == 0) {
        return ZepFrameOutcome::Taken;
    }
    completed = std::move(replyAssembly_);
    replyAssembly_.Clear();
    replyPieceBytes_ = 0;
    return ZepFrameOutcome::Completed;
}

void ZepConnectionRecord::ResetReplyAssemblyLocked(uint32_t awaited) {
    replyAssembly_.Clear();
    replyPieceBytes_ = 0;
    awaited_ = awaited;
    replyLastPiece_ = 0;
}

void ZepConnectionRecord::SetAwaitedRequest(uint32_t sequence) {
    std::lock_guard lock(assemblyLock_);
    ResetReplyAssemblyLocked(sequence);
}

void ZepConnectionRecord::GetAwaitedRequest(uint32_t& sequence, uint32_t& lastPiece) {
    std::lock_guard lock(assemblyLock_);
    sequence = awaited_;
    lastPiece = replyLastPiece_;
}

void ZepConnectionRecord::AbandonRequest(uint32_t sequence) {
    std::lock_guard lock(assemblyLock_);
    if (awaited_ == sequence) {
        ResetReplyAssemblyLocked(0);
    }
    responseEvent_.Reset();
    std::lock_guard responseLock(responseLock_);
    ZepFreeMessageData(&response_);
    hasResponse_ = false;
}

bool ZepConnectionRecord::DeliverResponse(uint32_t sequence, ZepMessage&& reply) {
    std::lock_guard lock(assemblyLock_);
    if (sequence == 0 || awaited_ != sequence) {
        return false;
    }
    {
        std::lock_guard responseLock(responseLock_);
        response_ = std::move(reply);
        hasResponse_ = true;
    }
    ResetReplyAssemblyLocked(0);
    responseEvent_.Set();
    return true;
}

bool ZepConnectionRecord::TakeResponse(ZepMessage& out) {
    std::lock_guard lock(responseLock_);
    if (!hasResponse_) {
        return false;
    }
    out = std::move(response_);
    hasResponse_ = false;
    return true;
}
