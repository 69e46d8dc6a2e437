#include "zep/ZepFrame.h"

#include <cstring>
#include <utility>

#include "zep/ZepCrc32.h"
#include "zep/ZepLog.h"
#include "zep/ZepWire.h"

namespace {

constexpr size_t kLengthFieldSize = 4;
constexpr size_t kMessagePrefixSize = ZepMessage::kHeaderSize + 4;

bool AppendU32(ZepByteBuffer& out, uint32_t value) {
    uint8_t bytes[4];
    ZepWireWriter writer(bytes);
    writer.WriteU32(value);
    return out.Append(bytes, sizeof(bytes)) == sizeof(bytes);
}

bool AppendBytes(ZepByteBuffer& out, std::span<const uint8_t> bytes) {
    return bytes.empty() || out.Append(bytes.data(), bytes.size()) == bytes.size();
}

// The CRC-32 of a frame as it was sent: the length field and the frame bytes,
// with the CRC flag and CRC fields taken as zero.
uint32_t FrameCrc(uint32_t frameLength, std::span<const uint8_t> frame) {
    uint8_t lengthField[kLengthFieldSize];
    ZepWireWriter writer(lengthField);
    writer.WriteU32(frameLength);
    const uint8_t zeros[8] = {};
    const uint32_t* table = ZepCrc32::StandardTable();
    uint32_t crc = 0xFFFFFFFFu;
    crc = ZepCrc32::Update(table, lengthField, sizeof(lengthField), crc);
    crc = ZepCrc32::Update(table, frame.data(), ZepFrameHeader::kCrcFlagOffset, crc);
    crc = ZepCrc32::Update(table, zeros, sizeof(zeros), crc);
    const size_t afterCrc = ZepFrameHeader::kCrcOffset + 4;
    crc = ZepCrc32::Update(table, frame.data() + afterCrc, frame.size() - afterCrc, crc);
    return ~crc;
}

}  // namespace

std::span<const uint8_t> ZepBufferBytes(const ZepByteBuffer& buffer) {
    const uint8_t* data = buffer.GetData(0);
    return data == nullptr ? std::span<const uint8_t>() : std::span(data, buffer.GetSize());
}

std::optional<ZepFrameHeader> ZepFrameHeader::Read(std::span<const uint8_t> bytes) {
    ZepWireReader reader(bytes);
    ZepFrameHeader h;
    for (uint32_t* field : {&h.type, &h.frameSequence, &h.crcFlag, &h.crc, &h.reserved1,
                            &h.reserved2, &h.messageSequence, &h.pieceIndex, &h.lastPiece,
                            &h.reserved3, &h.callerWord, &h.reserved4, &h.reserved5}) {
        reader.ReadU32(*field);
    }
    if (!reader.Ok()) {
        return std::nullopt;
    }
    return h;
}

void ZepFrameHeader::Write(uint8_t (&out)[kSize]) const {
    ZepWireWriter writer(out);
    for (uint32_t field : {type, frameSequence, crcFlag, crc, reserved1, reserved2, messageSequence,
                           pieceIndex, lastPiece, reserved3, callerWord, reserved4, reserved5}) {
        writer.WriteU32(field);
    }
}

bool ZepIsFrameLengthValid(uint32_t frameLength, uint32_t maxPieceSize) {
    if (frameLength == kZepHeaderOnlyFrameLength) {
        return true;
    }
    return frameLength > kZepFrameLengthBase &&
           uint64_t{frameLength} <= uint64_t{maxPieceSize} + kZepFrameLengthBase;
}

bool ZepValidateFrame(std::span<const uint8_t> frame, uint32_t maxPieceSize) {
    if (frame.size() > UINT32_MAX ||
        !ZepIsFrameLengthValid(static_cast<uint32_t>(frame.size()), maxPieceSize)) {
        return false;
    }
    ZepWireReader reader(frame.subspan(ZepFrameHeader::kCrcFlagOffset));
    uint32_t crcFlag = 0;
    uint32_t crc = 0;
    reader.ReadU32(crcFlag);
    reader.ReadU32(crc);
    if (!reader.Ok()) {
        return false;
    }
    if (crcFlag == 0) {
        return true;
    }
    return FrameCrc(static_cast<uint32_t>(frame.size()), frame) == crc;
}

std::optional<ZepFrameView> ZepParseFrame(std::span<const uint8_t> frame) {
    if (frame.size() <= kZepFrameLengthBase) {
        return std::nullopt;
    }
    std::optional<ZepFrameHeader> header = ZepFrameHeader::Read(frame);
    if (!header) {
        return std::nullopt;
    }
    ZepWireReader reader(frame.subspan(ZepFrameHeader::kSize));
    uint32_t pieceLength = 0;
    if (!reader.ReadU32(pieceLength) || pieceLength != frame.size() - kZepFrameLengthBase) {
        return std::nullopt;
    }
    return ZepFrameView{*header, reader.Rest()};
}

bool ZepBuildFrame(const ZepFrameHeader& header, std::span<const uint8_t> piece, bool withCrc,
                   ZepByteBuffer& out) {
    out.Clear();
    if (piece.empty() || piece.size() > kZepMaxPieceSize) {
        return false;
    }
    const auto pieceLength = static_cast<uint32_t>(piece.size());
    ZepFrameHeader sent = header;
    if (withCrc) {
        sent.crcFlag = 0;
        sent.crc = 0;
    }
    uint8_t headerBytes[ZepFrameHeader::kSize];
    sent.Write(headerBytes);
    if (!out.Reserve(kZepFrameOverhead + piece.size()) ||
        !AppendU32(out, pieceLength + kZepFrameLengthBase) || !AppendBytes(out, headerBytes) ||
        !AppendU32(out, pieceLength) || !AppendBytes(out, piece)) {
        out.Clear();
        return false;
    }
    if (withCrc) {
        const uint32_t crc = ZepCrc32::Compute(nullptr, out.GetData(0), out.GetSize());
        ZepWireWriter patch(
            std::span(out.GetData(kLengthFieldSize + ZepFrameHeader::kCrcFlagOffset), size_t{8}));
        patch.WriteU32(1);
        patch.WriteU32(crc);
    }
    return true;
}

bool ZepBuildRawBlock(std::span<const uint8_t> data, ZepByteBuffer& out) {
    out.Clear();
    if (data.size() > UINT32_MAX - kLengthFieldSize) {
        return false;
    }
    if (!out.Reserve(kLengthFieldSize + data.size()) ||
        !AppendU32(out, static_cast<uint32_t>(data.size())) || !AppendBytes(out, data)) {
        out.Clear();
        return false;
    }
    return true;
}

size_t ZepSplitPackets(std::span<const uint8_t> input, ZepByteBuffer& output,
                       uint32_t maxPieceSize) {
    output.Clear();
    if (input.empty() || maxPieceSize == 0) {
        return 0;
    }
    const size_t records = (input.size() + maxPieceSize - 1) / maxPieceSize;
    if (!output.Reserve(input.size() + records * kLengthFieldSize)) {
        return 0;
    }
    size_t count = 0;
    while (!input.empty()) {
        const size_t take = input.size() > maxPieceSize ? maxPieceSize : input.size();
        if (!AppendU32(output, static_cast<uint32_t>(take)) ||
            !AppendBytes(output, input.first(take))) {
            output.Clear();
            return 0;
        }
        input = input.subspan(take);
        ++count;
    }
    return count;
}

size_t ZepJoinPackets(std::span<const uint8_t> input, ZepByteBuffer& output,
                      uint32_t maxPieceSize) {
    output.Clear();
    if (!output.Reserve(input.size())) {
        return 0;
    }
    ZepWireReader reader(input);
    size_t count = 0;
    while (reader.Remaining() > kLengthFieldSize) {
        int32_t length = 0;
        reader.ReadI32(length);
        if (length < 0 || static_cast<uint32_t>(length) > maxPieceSize) {
            ZepLog("packet length error! len = %ld", static_cast<long>(length));
            output.Clear();
            return 0;
        }
        const auto n = static_cast<size_t>(length);
        if (n > reader.Remaining() || !AppendBytes(output, reader.Rest().first(n))) {
            ZepLog("packet decompose error! len = %ld", static_cast<long>(length));
            output.Clear();
            return 0;
        }
        reader.Skip(n);
        ++count;
    }
    return count;
}

bool ZepSerializeMessage(const ZepMessage& message, ZepByteBuffer& out) {
    out.Clear();
    uint8_t prefix[kMessagePrefixSize];
    ZepWireWriter writer(prefix);
    for (uint32_t word : message.header) {
        writer.WriteU32(word);
    }
    const uint32_t length = message.data == nullptr ? 0 : message.length;
    writer.WriteU32(length);
    if (!out.Reserve(sizeof(prefix) + length) || !AppendBytes(out, prefix) ||
        !AppendBytes(out, std::span<const uint8_t>(message.data, length))) {
        out.Clear();
        return false;
    }
    return true;
}

bool ZepParseMessage(std::span<const uint8_t> bytes, ZepMessage& out) {
    ZepWireReader reader(bytes);
    ZepMessage message;
    for (uint32_t& word : message.header) {
        reader.ReadU32(word);
    }
    int32_t length = 0;
    reader.ReadI32(length);
    if (!reader.Ok() || length < 0 || static_cast<size_t>(length) > reader.Remaining()) {
        return false;
    }
    if (!message.SetData(reader.Rest().data(), static_cast<uint32_t>(length))) {
        return false;
    }
    out = std::move(message);
    return true;
}
