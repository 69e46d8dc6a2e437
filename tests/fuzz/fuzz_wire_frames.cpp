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

// Handles every whole frame kept so far; a frame of a bad length is skipped
// by its own bytes and cutting goes on behind it.
void ProcessFrames(ZepConnectionRecord& record) {
    std::span<const uint8_t> frame;
    for (ZepCutResult cut = record.NextFrame(frame); cut != ZepCutResult::NeedMore;
         cut = record.NextFrame(frame)) {
        if (cut == ZepCutResult::BadLength) {
            FuzzNote("bad length");
            continue;
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
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ZepConnectionRecord record(kZepMaxPieceSize);
    record.SetAwaitedRequest(kAwaitedSequence);
    for (size_t at = 0; at < size; at += kReadSize) {
        const size_t n = std::min(kReadSize, size - at);
        if (!record.TakeReceived(std::span(data + at, n))) {
            FuzzFail("the receive buffer refused a read");
        }
        ProcessFrames(record);
        // Whatever is kept is less than one frame of the largest length taken.
        if (record.KeptBytes() > kZepMaxPieceSize + kReadSize + 64) {
            FuzzFail("more bytes are kept than one frame can hold");
        }
    }
    return 0;
}
