#pragma once
// The byte layout of a connection: the serialised application message, the
// piece list a transformed message is cut into, the frame that carries one
// piece, its CRC-32, and the raw greeting block. All integers on the wire are
// little-endian u32.
//
// A frame is u32 L (the bytes that follow, = P + 56), the 52-byte header
// below, u32 P and the P piece bytes. A receiver takes L = 24 (a header-only
// frame) or 57 up to the maximum piece size + 56.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "zep/ZepByteBuffer.h"
#include "zep/ZepMessage.h"

inline constexpr uint32_t kZepFrameTypeMessage = 1;  // a request, or a message sent unasked
inline constexpr uint32_t kZepFrameTypeReply = 2;

// The largest piece the cutting and joining take, and the game channel's size.
inline constexpr uint32_t kZepMaxPieceSize = 4000;
// The length field, the header and the piece length around every piece.
inline constexpr size_t kZepFrameOverhead = 60;
// L of a header-only frame, and the L of a frame around a piece of P bytes.
inline constexpr uint32_t kZepHeaderOnlyFrameLength = 24;
inline constexpr uint32_t kZepFrameLengthBase = 56;
// The largest message joined from pieces.
inline constexpr size_t kZepMaxAssembledSize = size_t{16} * 1024 * 1024;

// The 52 bytes behind a frame's length field.
struct ZepFrameHeader {
    static constexpr size_t kSize = 52;
    static constexpr size_t kCrcFlagOffset = 8;  // from the start of the header
    static constexpr size_t kCrcOffset = 12;

    uint32_t type = 0;
    uint32_t frameSequence = 0;
    uint32_t crcFlag = 0;
    uint32_t crc = 0;
    uint32_t reserved1 = 0;
    uint32_t reserved2 = 0;
    uint32_t messageSequence = 0;
    uint32_t pieceIndex = 0;  // 1 for the first piece
    uint32_t lastPiece = 0;
    uint32_t reserved3 = 0;
    uint32_t callerWord = 0;
    uint32_t reserved4 = 0;
    uint32_t reserved5 = 0;

    // The header at the front of the bytes; empty when fewer than 52 bytes.
    static std::optional<ZepFrameHeader> Read(std::span<const uint8_t> bytes);
    void Write(uint8_t (&out)[kSize]) const;
};

// A received frame cut apart: its header and its piece (which lies inside the
// frame's bytes).
struct ZepFrameView {
    ZepFrameHeader header;
    std::span<const uint8_t> piece;
};

// The length rule: L = 24, or 57 up to maxPieceSize + 56.
bool ZepIsFrameLengthValid(uint32_t frameLength, uint32_t maxPieceSize);

// Accepts the L bytes behind a frame's length field: the length rule, then,
// when the CRC flag is 1, the CRC-32 over the whole frame (length field
// included) with the flag and CRC fields taken as 0.
bool ZepValidateFrame(std::span<const uint8_t> frame, uint32_t maxPieceSize);

// Cuts a validated frame (the bytes behind the length field) into header and
// piece. Empty for a header-only frame and for a frame whose piece length is
// not L - 56 (a malformed frame).
std::optional<ZepFrameView> ZepParseFrame(std::span<const uint8_t> frame);

// Builds the whole frame around a piece: u32 (P + 56), the header, u32 P, the
// piece. With withCrc the CRC flag is 1 and the CRC field holds the CRC-32 of
// the built frame (computed with both fields 0); else the header's own flag
// and CRC go out as they are. False when the piece is empty or larger than
// kZepMaxPieceSize, or the block cannot be had.
bool ZepBuildFrame(const ZepFrameHeader& header, std::span<const uint8_t> piece, bool withCrc,
                   ZepByteBuffer& out);

// The raw block that carries a greeting: u32 n, then the n bytes.
bool ZepBuildRawBlock(std::span<const uint8_t> data, ZepByteBuffer& out);

// Cuts the input into records {u32 length, bytes} of maxPieceSize bytes each
// but the last, which holds the rest. Returns the number of records (0 for an
// empty input or a maxPieceSize of 0); the output is cleared first.
size_t ZepSplitPackets(std::span<const uint8_t> input, ZepByteBuffer& output,
                       uint32_t maxPieceSize);

// Joins a piece list back into one block. Returns the number of records
// joined, 0 for an empty input or a bad record (a length above maxPieceSize or
// past the end; logged); the output is cleared first.
size_t ZepJoinPackets(std::span<const uint8_t> input, ZepByteBuffer& output, uint32_t maxPieceSize);

// The serialised message: its 24-byte header, u32 length, the data.
bool ZepSerializeMessage(const ZepMessage& message, ZepByteBuffer& out);
// Reads a serialised message. False when fewer than 28 bytes are there, the
// length is negative as a signed value, or the data would run past the end.
bool ZepParseMessage(std::span<const uint8_t> bytes, ZepMessage& out);

// The bytes of a buffer as a span (empty when it has no block).
std::span<const uint8_t> ZepBufferBytes(const ZepByteBuffer& buffer);
