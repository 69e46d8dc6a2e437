#pragma once
// The pps picture format: a 32-byte header, an optional palette block, then
// one or more frames, each a 20-byte frame header and one or two streams that
// are raw, run-length coded or zlib-compressed, optionally as the XOR of the
// frame with the one before. Integers are little-endian.
//
// Rules kept by the decoder (anything else refuses the picture whole):
//  - the header, the palette block, every frame header, its streams and the
//    trailing word lie inside the input; sizes are computed in 64 bits;
//  - modes 1, 3, 4, 5 and 6 decode; mode 2 and unknown modes are refused;
//  - a frame decodes to exactly width * height * (1, 2 or 4 by its flags)
//    bytes, every stream fills its plane exactly, the frames add up to the
//    header's decoded size, which covers frames * pixels * bytes per pixel
//    of the image flags; an XOR frame follows a frame of the same size;
//  - palettes have at most 256 entries.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "engine/ImageRecord.h"

constexpr size_t kPpsHeaderSize = 32;
constexpr size_t kPpsFrameHeaderSize = 20;
constexpr size_t kPpsBlockSize = 32;

// Image flags of the header (shared with the record's flags).
constexpr uint32_t kPpsImageTrailer = 0x20;  // trailing word of slice x and y

// Frame flags.
constexpr uint32_t kPpsFrameIndexed = 0x1;
constexpr uint32_t kPpsFramePlanes = 0x4;
constexpr uint32_t kPpsFrameRle = 0x10;
constexpr uint32_t kPpsFrameZlib = 0x20;
constexpr uint32_t kPpsFrameXor = 0x40;

// Fills the record (released first) from a pps file of `size` bytes and
// answers the decoded size, or 0 with the record released when the data is
// not a valid pps picture.
uint32_t DecodePpsImage(const uint8_t* data, size_t size, ImageRecord& record);

// Decodes stream A of a frame into exactly outputSize bytes: zlib with frame
// flag 0x20, else run-length code in 3-byte units for 4-byte frames (no flag
// 0x1) and 1-byte units otherwise. False on corrupt data or a wrong size.
bool DecodePpsStream(const uint8_t* stream, size_t length, uint8_t* output, size_t outputSize,
                     uint32_t frameFlags);

// Encodes every frame of a record stored frame under frame as a pps file in
// mode 1, 3, 4, 5 or 6; block is the 32-byte block written with image flag
// 0x2 (null writes zeros). Null, with fileSize 0, for another mode, a record
// without pixels, a frame grid, too few pixel bytes or a file past 4 GB.
std::unique_ptr<uint8_t[]> EncodePps(const ImageRecord& record, const uint8_t* block, int mode,
                                     size_t& fileSize);

// Writes the file held by buffer (size bytes) to path: the header's file
// size bytes. False when the magic is wrong, the stored size passes the
// buffer, or the file cannot be written.
bool SavePps(const uint8_t* buffer, size_t size, std::string_view path);

// Run-length code of length bytes in 1-byte units, or of length / 3 pixels
// in 3-byte units (length must be a multiple of 3). Null on failure.
std::unique_ptr<uint8_t[]> RleEncodeBytes(const uint8_t* source, size_t length, size_t& outLength);
std::unique_ptr<uint8_t[]> RleEncodePixels(const uint8_t* source, size_t length, size_t& outLength);
