// The byte stream from the game server, as the socket thread takes it: cut
// into frames, each checked, its piece added to the assembly of its message
// or of the awaited reply, and a completed message joined, transformed back
// and read. The stream arrives in reads of kReadSize bytes.

#include <algorithm>
#include <span>

#include "tests/fuzz/FuzzWire.h"
#include "zep/ZepConnectionRecord.h"
#include "zep/ZepWire.h"

namespace {

constexpr size_t kReadSize = 1460;
constexpr uint32_t kAwaitedSequence = 1;

void Deliver(const ZepByteBuffer& completed) {
    ZepWireReader reader(ZepBufferBytes(completed));
    ZepDeliveryInfo info;
    for (uint32_t* word : {&info.socket, &info.messageSequence, &info.callerWord,
                           &info.connectionId, &info.reserved1, &info.reserved2}) {
        reader.ReadU32(*word);
    }
    if (!reader.Ok()) {
        FuzzFail("a completed assembly lacks its delivery info");
    }
    ZepByteBuffer joined;
    if (ZepJoinPackets(reader.Rest(), joined, kZepMaxPieceSize) == 0) {
        FuzzNote("join refused");
        return;
    }
    DecodeReceivedMessage(joined);
}

// Handles the whole frames at the front of the buffer; false when the stream
// cannot be cut any more.
bool ProcessFrames(ZepConnectionRecord& record) {
    size_t offset = 0;
    for (;;) {
        std::span<const uint8_t> frame;
        const ZepCutResult cut = record.CutFrame(offset, frame);
        if (cut == ZepCutResult::NeedMore) {
            break;
        }
        if (cut == ZepCutResult::BadLength) {
            FuzzNote("bad length");
            return false;
        }
        if (!ZepValidateFrame(frame, kZepMaxPieceSize)) {
            FuzzNote("frame refused");
            continue;
        }
        if (frame.size() == kZepHeaderOnlyFrameLength) {
            FuzzNote("header-only frame");
            continue;
        }
        const std::optional<ZepFrameView> view = ZepParseFrame(frame);
        if (!view) {
            FuzzNote("frame malformed");
            continue;
        }
        ZepDeliveryInfo stamp;
        ZepByteBuffer completed;
        const ZepFrameOutcome outcome = record.TakePiece(*view, stamp, completed);
        FuzzNote("piece", static_cast<uint64_t>(outcome) * 4 + view->header.type % 4);
        if (outcome == ZepFrameOutcome::Completed) {
            Deliver(completed);
            if (view->header.type == kZepFrameTypeReply) {
                record.DeliverResponse(view->header.messageSequence, ZepMessage());
            }
        }
    }
    record.ReceiveBuffer().Consume(offset);
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ZepConnectionRecord record(kZepMaxPieceSize);
    record.SetAwaitedRequest(kAwaitedSequence);
    for (size_t at = 0; at < size; at += kReadSize) {
        const size_t n = std::min(kReadSize, size - at);
        if (record.ReceiveBuffer().Append(data + at, n) != n) {
            FuzzFail("the receive buffer refused a read");
        }
        if (!ProcessFrames(record)) {
            break;
        }
    }
    return 0;
}
