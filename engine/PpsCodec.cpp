#include "engine/PpsCodec.h"

#include <zlib.h>

#include <cassert>
#include <climits>
#include <cstring>
#include <new>
#include <span>
#include <vector>

#include "engine/Compression.h"
#include "engine/EngineUtils.h"
#include "zep/ZepWire.h"

namespace {

constexpr uint32_t kIndexedImage = kImagePpsBlock | kImagePalette;
constexpr size_t kMaxRleCount = 16383;
// No coding here turns one stored byte into more than this many bytes (a
// long run: 3 bytes for 16383 bytes, 5 bytes for 16383 pixels; zlib stays
// near 1032), so larger claims are refused before anything is allocated.
constexpr uint64_t kMaxExpansion = kMaxRleCount;
constexpr size_t kMaxShortCount = 63;

enum RleOp : uint8_t { kShortRun = 0, kShortLiteral = 1, kLongRun = 2, kLongLiteral = 3 };

struct PpsHeader {
    uint8_t mode = 0;
    uint32_t imageFlags = 0;
    uint16_t frameCount = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    uint32_t colorKey = 0;
    uint32_t decodedSize = 0;
    uint32_t fileSize = 0;
    uint16_t paletteCount = 0;
};

struct PpsFrameHeader {
    uint32_t flags = 0;
    uint32_t delay = 0;
    uint32_t lengthA = 0;
    uint32_t lengthB = 0;
    uint32_t decodedSize = 0;
};

// One frame as it lies in the file: its header and where its streams start.
struct PpsFrameLocation {
    PpsFrameHeader header;
    size_t streamOffset = 0;
};

bool ReadHeader(std::span<const uint8_t> bytes, PpsHeader& header) {
    ZepWireReader reader(bytes);
    uint8_t magic[3] = {};
    uint16_t unused = 0;
    reader.ReadBytes(magic);
    reader.ReadU8(header.mode);
    reader.ReadU32(header.imageFlags);
    reader.ReadU16(header.frameCount);
    reader.ReadU16(header.width);
    reader.ReadU16(header.height);
    reader.ReadU16(unused);
    reader.ReadU32(header.colorKey);
    reader.ReadU32(header.decodedSize);
    reader.ReadU32(header.fileSize);
    reader.ReadU16(header.paletteCount);
    reader.ReadU16(unused);
    assert(!reader.Ok() || reader.Position() == kPpsHeaderSize);
    return reader.Ok() && magic[0] == 'p' && magic[1] == 'p' && magic[2] == 's';
}

void WriteHeader(std::span<uint8_t> bytes, const PpsHeader& header) {
    ZepWireWriter writer(bytes);
    const uint8_t magic[3] = {'p', 'p', 's'};
    writer.WriteBytes(magic);
    writer.WriteU8(header.mode);
    writer.WriteU32(header.imageFlags);
    writer.WriteU16(header.frameCount);
    writer.WriteU16(header.width);
    writer.WriteU16(header.height);
    writer.WriteU16(0);
    writer.WriteU32(header.colorKey);
    writer.WriteU32(header.decodedSize);
    writer.WriteU32(header.fileSize);
    writer.WriteU16(header.paletteCount);
    writer.WriteU16(0);
    assert(writer.Ok() && writer.Position() == kPpsHeaderSize);
}

bool ReadFrameHeader(std::span<const uint8_t> bytes, PpsFrameHeader& header) {
    ZepWireReader reader(bytes);
    reader.ReadU32(header.flags);
    reader.ReadU32(header.delay);
    reader.ReadU32(header.lengthA);
    reader.ReadU32(header.lengthB);
    reader.ReadU32(header.decodedSize);
    assert(!reader.Ok() || reader.Position() == kPpsFrameHeaderSize);
    return reader.Ok();
}

void WriteFrameHeader(std::span<uint8_t> bytes, const PpsFrameHeader& header) {
    ZepWireWriter writer(bytes);
    writer.WriteU32(header.flags);
    writer.WriteU32(header.delay);
    writer.WriteU32(header.lengthA);
    writer.WriteU32(header.lengthB);
    writer.WriteU32(header.decodedSize);
    assert(writer.Ok() && writer.Position() == kPpsFrameHeaderSize);
}

bool IsKnownMode(int mode) {
    return mode == 1 || (mode >= 3 && mode <= 6);
}

// Bytes per pixel that a frame's flags describe.
uint64_t FrameBytesPerPixel(uint32_t frameFlags) {
    if ((frameFlags & kPpsFrameIndexed) == 0) {
        return 4;
    }
    return (frameFlags & kPpsFramePlanes) != 0 ? 2 : 1;
}

size_t PaletteBlockSize(const PpsHeader& header) {
    if ((header.imageFlags & kImagePpsBlock) != 0) {
        return kPpsBlockSize;
    }
    if ((header.imageFlags & kImagePalette) != 0) {
        return static_cast<size_t>(header.paletteCount) * 3;
    }
    return 0;
}

// ---------------------------------------------------------------------------
// Run-length code

// Decodes into exactly outputSize bytes; unit is 1 or 3 bytes.
bool RleDecode(const uint8_t* source, size_t length, size_t unit, uint8_t* output,
               size_t outputSize) {
    size_t in = 0;
    size_t out = 0;
    while (in < length && out < outputSize) {
        const uint8_t control = source[in++];
        const uint8_t op = control & 3;
        size_t count = control >> 2;
        if (op == kLongRun || op == kLongLiteral) {
            if (in >= length) {
                return false;
            }
            count |= static_cast<size_t>(source[in++]) << 6;
        }
        const size_t bytes = count * unit;
        if (bytes > outputSize - out) {
            return false;
        }
        if (op == kShortRun || op == kLongRun) {
            if (unit > length - in) {
                return false;
            }
            for (size_t i = 0; i < count; ++i) {
                std::memcpy(output + out + i * unit, source + in, unit);
            }
            in += unit;
        } else {
            if (bytes > length - in) {
                return false;
            }
            if (bytes > 0) {
                std::memcpy(output + out, source + in, bytes);
            }
            in += bytes;
        }
        out += bytes;
    }
    return out == outputSize;
}

void AppendSegment(std::vector<uint8_t>& code, bool run, size_t count, const uint8_t* units,
                   size_t unit) {
    const uint8_t op = run ? (count > kMaxShortCount ? kLongRun : kShortRun)
                           : (count > kMaxShortCount ? kLongLiteral : kShortLiteral);
    code.push_back(static_cast<uint8_t>(((count & 63) << 2) | op));
    if (count > kMaxShortCount) {
        code.push_back(static_cast<uint8_t>(count >> 6));
    }
    const size_t bytes = run ? unit : count * unit;
    code.insert(code.end(), units, units + bytes);
}

std::unique_ptr<uint8_t[]> ToBuffer(const std::vector<uint8_t>& bytes, size_t& outLength) {
    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[bytes.empty() ? 1 : bytes.size()]);
    if (!buffer) {
        outLength = 0;
        return nullptr;
    }
    if (!bytes.empty()) {
        std::memcpy(buffer.get(), bytes.data(), bytes.size());
    }
    outLength = bytes.size();
    return buffer;
}

// Every unit equal to a neighbour belongs to a run of equal units (the rest
// of a run cut at 16383 units stays a run); the other units form literal
// stretches, also cut at 16383 units.
bool RleEncode(const uint8_t* source, size_t units, size_t unit, std::vector<uint8_t>& code) {
    try {
        code.clear();
        code.reserve(units * unit + units / kMaxShortCount * 2 + 16);
        auto same = [&](size_t a, size_t b) {
            return std::memcmp(source + a * unit, source + b * unit, unit) == 0;
        };
        size_t i = 0;
        while (i < units) {
            size_t end = i + 1;
            while (end < units && end - i < kMaxRleCount && same(i, end)) {
                ++end;
            }
            if (end - i >= 2 || (i > 0 && same(i - 1, i))) {
                AppendSegment(code, true, end - i, source + i * unit, unit);
            } else {
                // A literal stretch ends where a run of two starts.
                while (end < units && end - i < kMaxRleCount &&
                       !(end + 1 < units && same(end, end + 1))) {
                    ++end;
                }
                AppendSegment(code, false, end - i, source + i * unit, unit);
            }
            i = end;
        }
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

std::unique_ptr<uint8_t[]> RleEncodeUnits(const uint8_t* source, size_t length, size_t unit,
                                          size_t& outLength) {
    outLength = 0;
    if ((source == nullptr && length > 0) || length % unit != 0) {
        return nullptr;
    }
    std::vector<uint8_t> code;
    if (!RleEncode(source, length / unit, unit, code)) {
        return nullptr;
    }
    return ToBuffer(code, outLength);
}

// ---------------------------------------------------------------------------
// zlib

// Inflates into exactly outputSize bytes.
bool ZlibDecode(const uint8_t* source, size_t length, uint8_t* output, size_t outputSize) {
    if (length == 0 || length > ULONG_MAX || outputSize > ULONG_MAX) {
        return false;
    }
    uLongf produced = outputSize;
    return uncompress(output, &produced, source, length) == Z_OK && produced == outputSize;
}

// ---------------------------------------------------------------------------
// Planes

// Splits pixels of 2 bytes (bytesPerPixel 2) into two 1-byte planes, or of
// 4 bytes into a 3-byte plane A and a 1-byte plane B.
void SplitPlanes(uint8_t* planeA, uint8_t* planeB, const uint8_t* pixels, size_t count,
                 size_t bytesPerPixel) {
    const size_t unitA = bytesPerPixel - 1;
    for (size_t i = 0; i < count; ++i) {
        std::memcpy(planeA + i * unitA, pixels + i * bytesPerPixel, unitA);
        planeB[i] = pixels[i * bytesPerPixel + unitA];
    }
}

void MergePlanes(const uint8_t* planeA, const uint8_t* planeB, uint8_t* pixels, size_t count,
                 size_t bytesPerPixel) {
    const size_t unitA = bytesPerPixel - 1;
    for (size_t i = 0; i < count; ++i) {
        std::memcpy(pixels + i * bytesPerPixel, planeA + i * unitA, unitA);
        pixels[i * bytesPerPixel + unitA] = planeB != nullptr ? planeB[i] : 0xFF;
    }
}

// ---------------------------------------------------------------------------
// Decoding

enum class StreamCoding { kRaw, kRle, kZlib };

StreamCoding CodingOfStreamA(int mode, uint32_t frameFlags) {
    switch (mode) {
        case 1:
            return StreamCoding::kRaw;
        case 5:
            return StreamCoding::kZlib;
        case 6:
            return (frameFlags & kPpsFrameZlib) != 0 ? StreamCoding::kZlib : StreamCoding::kRle;
        default:
            return StreamCoding::kRle;
    }
}

StreamCoding CodingOfStreamB(int mode) {
    return mode == 3 ? StreamCoding::kRle : StreamCoding::kZlib;
}

bool DecodeStream(StreamCoding coding, const uint8_t* stream, size_t length, size_t unit,
                  uint8_t* output, size_t outputSize) {
    switch (coding) {
        case StreamCoding::kRaw:
            if (length < outputSize) {
                return false;
            }
            std::memcpy(output, stream, outputSize);
            return true;
        case StreamCoding::kRle:
            return RleDecode(stream, length, unit, output, outputSize);
        case StreamCoding::kZlib:
            return ZlibDecode(stream, length, output, outputSize);
    }
    return false;
}

// Decodes one frame (already checked to lie inside the data and to decode to
// header.decodedSize bytes) into output; previous is the frame before, of
// the same size, or null.
bool DecodePpsFrame(const uint8_t* streams, const uint8_t* previous, uint8_t* output,
                    size_t pixelCount, const PpsFrameHeader& header, int mode) {
    const uint8_t* streamA = streams;
    const uint8_t* streamB = streams + header.lengthA;
    const size_t bytesPerPixel = static_cast<size_t>(FrameBytesPerPixel(header.flags));
    const bool planeB = (header.flags & kPpsFramePlanes) != 0;
    const StreamCoding codingA = CodingOfStreamA(mode, header.flags);

    if (codingA == StreamCoding::kRaw || bytesPerPixel == 1) {
        if (!DecodeStream(codingA, streamA, header.lengthA, 1, output, header.decodedSize)) {
            return false;
        }
    } else {
        const size_t unitA = bytesPerPixel - 1;
        std::unique_ptr<uint8_t[]> planes(new (std::nothrow) uint8_t[pixelCount * bytesPerPixel]);
        if (!planes) {
            return false;
        }
        uint8_t* planeA = planes.get();
        uint8_t* planeBBytes = planes.get() + pixelCount * unitA;
        if (!DecodeStream(codingA, streamA, header.lengthA, unitA, planeA, pixelCount * unitA)) {
            return false;
        }
        if (planeB && !DecodeStream(CodingOfStreamB(mode), streamB, header.lengthB, 1, planeBBytes,
                                    pixelCount)) {
            return false;
        }
        MergePlanes(planeA, planeB ? planeBBytes : nullptr, output, pixelCount, bytesPerPixel);
    }
    if (previous != nullptr && (header.flags & kPpsFrameXor) != 0) {
        for (size_t i = 0; i < header.decodedSize; ++i) {
            output[i] ^= previous[i];
        }
    }
    return true;
}

// Reads and checks the palette block and every frame header against the
// data's size and the header, before anything is allocated.
bool LocateFrames(std::span<const uint8_t> bytes, const PpsHeader& header,
                  std::vector<PpsFrameLocation>& frames) {
    if (!IsKnownMode(header.mode) || header.frameCount == 0 || header.width == 0 ||
        header.height == 0 || header.paletteCount > kPaletteEntries) {
        return false;
    }
    const uint64_t pixelCount = static_cast<uint64_t>(header.width) * header.height;
    if (header.decodedSize <
        header.frameCount * pixelCount *
            static_cast<uint64_t>(GetBytesPerPixelOfFlags(header.imageFlags))) {
        return false;
    }
    uint64_t offset = kPpsHeaderSize + PaletteBlockSize(header);
    uint64_t decodedTotal = 0;
    frames.clear();
    frames.reserve(header.frameCount);
    for (int f = 0; f < header.frameCount; ++f) {
        PpsFrameLocation frame;
        if (offset + kPpsFrameHeaderSize > bytes.size() ||
            !ReadFrameHeader(bytes.subspan(offset), frame.header)) {
            return false;
        }
        const PpsFrameHeader& h = frame.header;
        frame.streamOffset = offset + kPpsFrameHeaderSize;
        const uint64_t end = frame.streamOffset + static_cast<uint64_t>(h.lengthA) + h.lengthB;
        if (end > bytes.size() || h.decodedSize != pixelCount * FrameBytesPerPixel(h.flags) ||
            h.decodedSize > (static_cast<uint64_t>(h.lengthA) + h.lengthB) * kMaxExpansion) {
            return false;
        }
        if (f > 0 && (h.flags & kPpsFrameXor) != 0 &&
            frames.back().header.decodedSize != h.decodedSize) {
            return false;
        }
        decodedTotal += h.decodedSize;
        if (decodedTotal > header.decodedSize) {
            return false;
        }
        offset = end;
        frames.push_back(frame);
    }
    if (decodedTotal != header.decodedSize) {
        return false;
    }
    return (header.imageFlags & kPpsImageTrailer) == 0 || offset + 4 <= bytes.size();
}

// ---------------------------------------------------------------------------
// Encoding

struct EncodedFrame {
    PpsFrameHeader header;
    std::unique_ptr<uint8_t[]> streamA;
    std::unique_ptr<uint8_t[]> streamB;
};

std::unique_ptr<uint8_t[]> ZlibCompressBuffer(const uint8_t* source, size_t length,
                                              size_t& outLength) {
    return CompressBuffer(outLength, source, length);
}

// The shorter of the run-length and the zlib code (the former when not
// longer); ORs 0x10 or 0x20 into the frame flags.
std::unique_ptr<uint8_t[]> CompressBest(const uint8_t* source, size_t length, size_t unit,
                                        size_t& outLength, uint32_t& frameFlags) {
    size_t rleLength = 0;
    size_t zlibLength = 0;
    std::unique_ptr<uint8_t[]> rle = RleEncodeUnits(source, length, unit, rleLength);
    std::unique_ptr<uint8_t[]> zlib = ZlibCompressBuffer(source, length, zlibLength);
    if (rle && (!zlib || rleLength <= zlibLength)) {
        frameFlags |= kPpsFrameRle;
        outLength = rleLength;
        return rle;
    }
    if (zlib) {
        frameFlags |= kPpsFrameZlib;
    }
    outLength = zlibLength;
    return zlib;
}

std::unique_ptr<uint8_t[]> EncodeStream(StreamCoding coding, const uint8_t* source, size_t length,
                                        size_t unit, size_t& outLength) {
    switch (coding) {
        case StreamCoding::kRle:
            return RleEncodeUnits(source, length, unit, outLength);
        case StreamCoding::kZlib:
            return ZlibCompressBuffer(source, length, outLength);
        case StreamCoding::kRaw:
            break;
    }
    std::unique_ptr<uint8_t[]> copy(new (std::nothrow) uint8_t[length > 0 ? length : 1]);
    outLength = copy ? length : 0;
    if (copy && length > 0) {
        std::memcpy(copy.get(), source, length);
    }
    return copy;
}

// Encodes the frame bytes (decodedSize bytes of the pixels) with the frame
// flags given; false when memory runs out.
bool EncodeFrameStreams(const uint8_t* bytes, size_t pixelCount, uint32_t flags, int mode,
                        EncodedFrame& frame) {
    frame.header.flags = flags;
    const size_t bytesPerPixel = static_cast<size_t>(FrameBytesPerPixel(flags));
    size_t lengthA = 0;
    size_t lengthB = 0;
    if (mode == 1 || bytesPerPixel == 1) {
        const size_t size = pixelCount * bytesPerPixel;
        if (mode == 6) {
            frame.streamA = CompressBest(bytes, size, 1, lengthA, frame.header.flags);
        } else {
            frame.streamA = EncodeStream(CodingOfStreamA(mode, flags), bytes, size, 1, lengthA);
        }
    } else {
        const size_t unitA = bytesPerPixel - 1;
        std::unique_ptr<uint8_t[]> planes(new (std::nothrow) uint8_t[pixelCount * bytesPerPixel]);
        if (!planes) {
            return false;
        }
        uint8_t* planeA = planes.get();
        uint8_t* planeB = planes.get() + pixelCount * unitA;
        SplitPlanes(planeA, planeB, bytes, pixelCount, bytesPerPixel);
        if (mode == 6) {
            frame.streamA =
                CompressBest(planeA, pixelCount * unitA, unitA, lengthA, frame.header.flags);
        } else {
            frame.streamA = EncodeStream(CodingOfStreamA(mode, flags), planeA, pixelCount * unitA,
                                         unitA, lengthA);
        }
        if ((flags & kPpsFramePlanes) != 0) {
            frame.streamB = EncodeStream(CodingOfStreamB(mode), planeB, pixelCount, 1, lengthB);
            if (!frame.streamB) {
                return false;
            }
        }
    }
    if (!frame.streamA || lengthA > UINT32_MAX || lengthB > UINT32_MAX) {
        return false;
    }
    frame.header.lengthA = static_cast<uint32_t>(lengthA);
    frame.header.lengthB = static_cast<uint32_t>(lengthB);
    frame.header.decodedSize = static_cast<uint32_t>(pixelCount * bytesPerPixel);
    return true;
}

// Encodes a frame plainly and, when there is a previous frame, as its XOR
// with it; the XOR form wins only when strictly shorter.
bool EncodePpsFrame(const uint8_t* bytes, const uint8_t* previous, size_t pixelCount,
                    uint32_t flags, int mode, EncodedFrame& frame) {
    if (!EncodeFrameStreams(bytes, pixelCount, flags, mode, frame)) {
        return false;
    }
    if (previous == nullptr) {
        return true;
    }
    const size_t size = pixelCount * static_cast<size_t>(FrameBytesPerPixel(flags));
    std::unique_ptr<uint8_t[]> difference(new (std::nothrow) uint8_t[size]);
    if (!difference) {
        return false;
    }
    for (size_t i = 0; i < size; ++i) {
        difference[i] = bytes[i] ^ previous[i];
    }
    EncodedFrame xorFrame;
    if (!EncodeFrameStreams(difference.get(), pixelCount, flags | kPpsFrameXor, mode, xorFrame)) {
        return false;
    }
    const uint64_t plain = static_cast<uint64_t>(frame.header.lengthA) + frame.header.lengthB;
    const uint64_t xored = static_cast<uint64_t>(xorFrame.header.lengthA) + xorFrame.header.lengthB;
    if (xored < plain) {
        frame = std::move(xorFrame);
    }
    return true;
}

}  // namespace

// ---------------------------------------------------------------------------

bool DecodePpsStream(const uint8_t* stream, size_t length, uint8_t* output, size_t outputSize,
                     uint32_t frameFlags) {
    if ((stream == nullptr && length > 0) || (output == nullptr && outputSize > 0)) {
        return false;
    }
    if ((frameFlags & kPpsFrameZlib) != 0) {
        return ZlibDecode(stream, length, output, outputSize);
    }
    const size_t unit = (frameFlags & kPpsFrameIndexed) != 0 ? 1 : 3;
    return RleDecode(stream, length, unit, output, outputSize);
}

uint32_t DecodePpsImage(const uint8_t* data, size_t size, ImageRecord& record) {
    ReleaseImageRecord(record);
    if (data == nullptr) {
        return 0;
    }
    const std::span<const uint8_t> bytes(data, size);
    PpsHeader header;
    std::vector<PpsFrameLocation> frames;
    try {
        if (!ReadHeader(bytes, header) || !LocateFrames(bytes, header, frames)) {
            return 0;
        }
    } catch (const std::bad_alloc&) {
        return 0;
    }

    ImageRecord decoded;
    decoded.width = header.width;
    decoded.height = header.height;
    decoded.frameCount = header.frameCount;
    decoded.flags = header.imageFlags;
    decoded.colorKey = header.colorKey;
    if ((header.imageFlags & kImagePpsBlock) != 0 && (header.imageFlags & kImageHasKey) == 0) {
        decoded.colorKey = kNoColorKeyIndex;
    }
    decoded.framesPerRow = 1;
    const size_t blockSize = PaletteBlockSize(header);
    if ((header.imageFlags & kIndexedImage) != 0) {
        if (!SetImagePalette(decoded, nullptr, 0)) {
            return 0;
        }
        std::memcpy(decoded.palette, data + kPpsHeaderSize, blockSize);
        decoded.paletteCount = header.paletteCount;
    }
    decoded.pixels = new (std::nothrow) uint8_t[header.decodedSize];
    decoded.ownsPixels = true;
    decoded.byteSize = header.decodedSize;
    if ((header.imageFlags & kImageDelays) != 0) {
        decoded.delays = new (std::nothrow) int32_t[header.frameCount]();
    }
    if (decoded.pixels == nullptr ||
        ((header.imageFlags & kImageDelays) != 0 && decoded.delays == nullptr)) {
        ReleaseImageRecord(decoded);
        return 0;
    }

    const size_t pixelCount = static_cast<size_t>(header.width) * header.height;
    size_t outputOffset = 0;
    const uint8_t* previous = nullptr;
    for (size_t f = 0; f < frames.size(); ++f) {
        const PpsFrameHeader& h = frames[f].header;
        uint8_t* output = decoded.pixels + outputOffset;
        if (!DecodePpsFrame(data + frames[f].streamOffset, previous, output, pixelCount, h,
                            header.mode)) {
            ReleaseImageRecord(decoded);
            return 0;
        }
        if (decoded.delays != nullptr) {
            decoded.delays[f] = static_cast<int32_t>(h.delay);
        }
        previous = output;
        outputOffset += h.decodedSize;
    }
    if ((header.imageFlags & kPpsImageTrailer) != 0) {
        const PpsFrameLocation& last = frames.back();
        const size_t trailer =
            last.streamOffset + size_t{last.header.lengthA} + last.header.lengthB;
        ZepWireReader reader(bytes.subspan(trailer));
        uint32_t word = 0;
        reader.ReadU32(word);
        decoded.sliceX = static_cast<int16_t>(word >> 16);
        decoded.sliceY = static_cast<int16_t>(word & 0xFFFF);
    }
    record = decoded;
    return header.decodedSize;
}

std::unique_ptr<uint8_t[]> EncodePps(const ImageRecord& record, const uint8_t* block, int mode,
                                     size_t& fileSize) {
    fileSize = 0;
    if (!IsKnownMode(mode) || !HasPicture(record) || record.width == 0 || record.height == 0 ||
        record.frameCount > UINT16_MAX || record.framesPerRow > 1 || record.paletteCount < 0 ||
        record.paletteCount > kPaletteEntries) {
        return nullptr;
    }
    PpsHeader header;
    header.mode = static_cast<uint8_t>(mode);
    header.imageFlags = record.flags;
    header.frameCount = static_cast<uint16_t>(record.frameCount);
    header.width = record.width;
    header.height = record.height;
    header.colorKey = record.colorKey;
    header.paletteCount = static_cast<uint16_t>(record.paletteCount);

    const bool indexed = (record.flags & kIndexedImage) != 0;
    const bool hasBlock = (record.flags & kImagePpsBlock) != 0;
    if (indexed && !hasBlock && record.paletteCount > 0 && record.palette == nullptr) {
        return nullptr;
    }
    // Indexed frames keep their second byte in plane B; 32-bit frames keep
    // their alpha there when it carries anything (per-pixel alpha or a key).
    uint32_t frameFlags = indexed ? kPpsFrameIndexed : 0;
    if ((record.flags & kImageAlpha) != 0 || (!indexed && (record.flags & kImageHasKey) != 0)) {
        frameFlags |= kPpsFramePlanes;
    }
    const size_t pixelCount = static_cast<size_t>(record.width) * record.height;
    const size_t frameSize = pixelCount * static_cast<size_t>(FrameBytesPerPixel(frameFlags));
    const uint64_t decodedTotal = static_cast<uint64_t>(frameSize) * record.frameCount;
    if (decodedTotal > record.byteSize || decodedTotal > UINT32_MAX) {
        return nullptr;
    }

    std::vector<EncodedFrame> frames;
    try {
        frames.resize(static_cast<size_t>(record.frameCount));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    const size_t blockSize = PaletteBlockSize(header);
    uint64_t total = kPpsHeaderSize + blockSize;
    for (int f = 0; f < record.frameCount; ++f) {
        const uint8_t* bytes = record.pixels + frameSize * f;
        const uint8_t* previous = f > 0 ? bytes - frameSize : nullptr;
        if (!EncodePpsFrame(bytes, previous, pixelCount, frameFlags, mode, frames[f])) {
            return nullptr;
        }
        if (record.frameCount > 1 && record.delays != nullptr) {
            frames[f].header.delay = static_cast<uint32_t>(record.delays[f]);
        }
        total +=
            kPpsFrameHeaderSize + uint64_t{frames[f].header.lengthA} + frames[f].header.lengthB;
    }
    if ((record.flags & kPpsImageTrailer) != 0) {
        total += 4;
    }
    if (total > UINT32_MAX) {
        return nullptr;
    }
    header.decodedSize = static_cast<uint32_t>(decodedTotal);
    header.fileSize = static_cast<uint32_t>(total);

    std::unique_ptr<uint8_t[]> file(new (std::nothrow) uint8_t[total]());
    if (!file) {
        return nullptr;
    }
    const std::span<uint8_t> out(file.get(), static_cast<size_t>(total));
    WriteHeader(out, header);
    size_t offset = kPpsHeaderSize;
    if (hasBlock) {
        if (block != nullptr) {
            std::memcpy(file.get() + offset, block, kPpsBlockSize);
        }
    } else if (blockSize > 0) {
        std::memcpy(file.get() + offset, record.palette, blockSize);
    }
    offset += blockSize;
    for (const EncodedFrame& frame : frames) {
        WriteFrameHeader(out.subspan(offset), frame.header);
        offset += kPpsFrameHeaderSize;
        std::memcpy(file.get() + offset, frame.streamA.get(), frame.header.lengthA);
        offset += frame.header.lengthA;
        if (frame.header.lengthB > 0) {
            std::memcpy(file.get() + offset, frame.streamB.get(), frame.header.lengthB);
            offset += frame.header.lengthB;
        }
    }
    if ((record.flags & kPpsImageTrailer) != 0) {
        ZepWireWriter writer(out.subspan(offset));
        writer.WriteU32(static_cast<uint32_t>(static_cast<uint16_t>(record.sliceX)) << 16 |
                        static_cast<uint16_t>(record.sliceY));
    }
    fileSize = static_cast<size_t>(total);
    return file;
}

bool SavePps(const uint8_t* buffer, size_t size, std::string_view path) {
    if (buffer == nullptr) {
        return false;
    }
    PpsHeader header;
    if (!ReadHeader(std::span<const uint8_t>(buffer, size), header) || header.fileSize > size ||
        header.fileSize < kPpsHeaderSize) {
        return false;
    }
    return SaveFile(path, buffer, header.fileSize);
}

std::unique_ptr<uint8_t[]> RleEncodeBytes(const uint8_t* source, size_t length, size_t& outLength) {
    return RleEncodeUnits(source, length, 1, outLength);
}

std::unique_ptr<uint8_t[]> RleEncodePixels(const uint8_t* source, size_t length,
                                           size_t& outLength) {
    return RleEncodeUnits(source, length, 3, outLength);
}
