#include "tools/test_server/FaultPlan.h"

#include <array>
#include <utility>
#include <vector>

#include "frame/net/FrameRequests.h"
#include "mahjong_client/TableProtocol.h"
#include "zep/ZepWire.h"

namespace testserver {

namespace tp = table_protocol;

namespace {

struct Named {
    FaultPlan::Kind kind;
    std::string_view name;
};
constexpr std::array<Named, 6> kNames = {{
    {FaultPlan::Kind::kClose, "close"},
    {FaultPlan::Kind::kWithholdDiscardReply, "withhold-discard-reply"},
    {FaultPlan::Kind::kLateDiscardReply, "late-discard-reply"},
    {FaultPlan::Kind::kBadCrc, "bad-crc"},
    {FaultPlan::Kind::kBadLength, "bad-length"},
    {FaultPlan::Kind::kTruncatedDrawCopy, "truncated-draw-copy"},
}};

// Where the first frame's length field and CRC sit in the frames' bytes.
constexpr size_t kLengthOffset = 0;
constexpr size_t kCrcOffset = 4 + ZepFrameHeader::kCrcOffset;

void OverwriteU32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
    ZepWireWriter(std::span<uint8_t>(bytes).subspan(offset, 4)).WriteU32(value);
}

uint32_t U32At(const std::vector<uint8_t>& bytes, size_t offset) {
    uint32_t value = 0;
    ZepWireReader(std::span<const uint8_t>(bytes).subspan(offset, 4)).ReadU32(value);
    return value;
}

}  // namespace

std::optional<FaultPlan::Kind> FaultPlan::Parse(std::string_view name) {
    for (const Named& named : kNames) {
        if (named.name == name) {
            return named.kind;
        }
    }
    return std::nullopt;
}

std::string_view FaultPlan::NameOf(Kind kind) {
    for (const Named& named : kNames) {
        if (named.kind == kind) {
            return named.name;
        }
    }
    return "none";
}

std::string FaultPlan::Names() {
    std::string names;
    for (const Named& named : kNames) {
        names += names.empty() ? "" : "|";
        names += named.name;
    }
    return names;
}

FaultPlan::FaultPlan(Kind kind, TestGameServer& server, Hooks hooks)
    : kind_(kind), server_(server), hooks_(std::move(hooks)) {
    if (kind_ == Kind::kNone) {
        stage_ = Stage::kDone;
    }
}

void FaultPlan::OnRequest(const ServerRequest& request) {
    if (stage_ == Stage::kWaitingForDiscard && request.callerWord != 0 &&
        request.message.Code() == tp::kDiscard) {
        stage_ = Stage::kDiscardAsked;
        discardSequence_ = request.messageSequence;
    }
}

bool FaultPlan::IsDiscardReply(uint32_t messageSequence, const ZepMessage& reply) const {
    return stage_ == Stage::kDiscardAsked && messageSequence == discardSequence_ &&
           reply.Code() == frame_requests::kResultOk;
}

bool FaultPlan::Reply(uint32_t messageSequence, const ZepMessage& reply) {
    if (stage_ == Stage::kDiscardAsked && messageSequence == discardSequence_ &&
        !IsDiscardReply(messageSequence, reply)) {
        stage_ = Stage::kWaitingForDiscard;  // refused: the next discard counts
    }
    if (IsDiscardReply(messageSequence, reply)) {
        return ActOnDiscardReply(messageSequence, reply);
    }
    return server_.Reply(messageSequence, reply);
}

bool FaultPlan::ActOnDiscardReply(uint32_t messageSequence, const ZepMessage& reply) {
    stage_ = Stage::kDone;
    switch (kind_) {
        case Kind::kClose: {
            const bool sent = server_.Reply(messageSequence, reply);
            Log("close: the connection closed after the discard's reply");
            server_.DropClient();
            return sent;
        }
        case Kind::kWithholdDiscardReply:
            Log("withhold-discard-reply: the discard's reply withheld");
            return true;
        case Kind::kLateDiscardReply: {
            Log("late-discard-reply: the discard's reply held back " +
                std::to_string(kLateReplyMs) + " ms");
            hooks_.after(kLateReplyMs, [this, messageSequence, late = reply] {
                Log("late-discard-reply: the discard's reply sent");
                server_.Reply(messageSequence, late);
            });
            return true;
        }
        case Kind::kBadCrc:
        case Kind::kBadLength:
            return SendSpoiled(messageSequence, reply);
        case Kind::kTruncatedDrawCopy:
            stage_ = Stage::kDrawAwaited;
            return server_.Reply(messageSequence, reply);
        case Kind::kNone:
            break;
    }
    return server_.Reply(messageSequence, reply);
}

bool FaultPlan::SendSpoiled(uint32_t messageSequence, const ZepMessage& reply) {
    std::vector<uint8_t> frames;
    if (!server_.BuildFrames(kZepFrameTypeReply, messageSequence, reply, 0, frames) ||
        frames.size() < 4 + ZepFrameHeader::kSize) {
        Log(std::string(NameOf(kind_)) + ": the reply's frames could not be built");
        return false;
    }
    if (kind_ == Kind::kBadCrc) {
        OverwriteU32(frames, kCrcOffset, ~U32At(frames, kCrcOffset));
        Log("bad-crc: the discard's reply sent with a wrong CRC");
    } else {
        // One past the largest frame a piece may make.
        OverwriteU32(frames, kLengthOffset, kZepMaxPieceSize + kZepFrameLengthBase + 1);
        Log("bad-length: the discard's reply sent with a bad length field");
    }
    return server_.SendRawBytes(frames);
}

bool FaultPlan::Notify(const ZepMessage& message) {
    const bool sent = server_.Notify(message);
    if (stage_ == Stage::kDrawAwaited && message.Code() == static_cast<uint32_t>(tp::kSeatDraw)) {
        stage_ = Stage::kDone;
        const ZepMessage copy = MakeMessage(message.Code(), {message.data, message.length / 2});
        Log("truncated-draw-copy: a copy of the draw notice sent with " +
            std::to_string(copy.length) + " of its " + std::to_string(message.length) + " bytes");
        server_.Notify(copy);
    }
    return sent;
}

void FaultPlan::OnReset() {
    if (stage_ != Stage::kDone) {
        stage_ = Stage::kWaitingForDiscard;
    }
}

void FaultPlan::Log(const std::string& what) const {
    if (hooks_.log) {
        hooks_.log("fault " + what);
    }
}

}  // namespace testserver
