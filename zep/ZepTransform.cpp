#include "zep/ZepTransform.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "zep/ZepWire.h"

// ---- ZepStepHeader ---------------------------------------------------------

std::optional<ZepStepHeader> ZepStepHeader::Read(std::span<const uint8_t> bytes) {
    ZepWireReader reader(bytes);
    ZepStepHeader header;
    reader.ReadU32(header.flags);
    reader.ReadU32(header.plainLength);
    reader.ReadU32(header.reserved1);
    reader.ReadU32(header.reserved2);
    reader.ReadU32(header.dataLength);
    if (!reader.Ok()) {
        return std::nullopt;
    }
    return header;
}

void ZepStepHeader::Write(uint8_t (&out)[kSize]) const {
    ZepWireWriter writer(out);
    writer.WriteU32(flags);
    writer.WriteU32(plainLength);
    writer.WriteU32(reserved1);
    writer.WriteU32(reserved2);
    writer.WriteU32(dataLength);
}

namespace {

constexpr uint32_t kDirectionBits = 3;

// The largest message a step takes going out: its length and the header's
// must fit the header's u32 fields.
constexpr size_t kMaxStepInput = UINT32_MAX - ZepStepHeader::kSize - 16;

std::span<const uint8_t> Contents(const ZepByteBuffer& buffer) {
    const uint8_t* data = buffer.GetData(0);
    return data == nullptr ? std::span<const uint8_t>() : std::span(data, buffer.GetSize());
}

// Puts a header for unchanged data in front of the buffer.
int PrependUnchangedHeader(ZepByteBuffer& buffer) {
    const size_t n = buffer.GetSize();
    if (n > kMaxStepInput) {
        return 0;
    }
    ZepStepHeader header;
    header.plainLength = static_cast<uint32_t>(n);
    header.dataLength = static_cast<uint32_t>(n);
    uint8_t bytes[ZepStepHeader::kSize];
    header.Write(bytes);
    return buffer.Prepend(bytes, sizeof(bytes)) == sizeof(bytes) ? 1 : 0;
}

// Replaces the buffer by a header and the data; the buffer stays as it was
// when the new contents cannot be had.
int ReplaceWithStep(ZepByteBuffer& buffer, const ZepStepHeader& header,
                    std::span<const uint8_t> data) {
    ZepByteBuffer replacement;
    uint8_t bytes[ZepStepHeader::kSize];
    header.Write(bytes);
    if (!replacement.Reserve(sizeof(bytes) + data.size()) ||
        replacement.Append(bytes, sizeof(bytes)) != sizeof(bytes) ||
        (!data.empty() && replacement.Append(data.data(), data.size()) != data.size())) {
        return 0;
    }
    buffer = std::move(replacement);
    return 1;
}

// The header at the front of a received step, when its length field matches
// the bytes that follow it.
std::optional<ZepStepHeader> ReadReceivedHeader(const ZepByteBuffer& buffer) {
    const std::optional<ZepStepHeader> header = ZepStepHeader::Read(Contents(buffer));
    if (!header || header->dataLength != buffer.GetSize() - ZepStepHeader::kSize) {
        return std::nullopt;
    }
    return header;
}

int DropHeader(ZepByteBuffer& buffer) {
    return buffer.Consume(ZepStepHeader::kSize) == ZepStepHeader::kSize ? 1 : 0;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool WriteBytes(std::FILE* file, const void* data, size_t size) {
    return size == 0 || std::fwrite(data, 1, size, file) == size;
}

}  // namespace

// ---- ZepTransform ----------------------------------------------------------

ZepTransform::ZepTransform(const uint8_t* key, uint32_t keyBits, uint32_t cipherFlags,
                           uint32_t compressionFlags) {
    Init(key, keyBits, cipherFlags, compressionFlags);
}

ZepTransform::~ZepTransform() = default;

int ZepTransform::Init(const uint8_t* key, uint32_t keyBits, uint32_t cipherFlags,
                       uint32_t compressionFlags) {
    cipher_.SetKey(key, keyBits);  // without a key for a null key or another length
    cipherFlags_ = cipherFlags;
    compressionFlags_ = compressionFlags;
    return 1;
}

int ZepTransform::Transform(ZepByteBuffer& buffer, int direction) {
    if (direction == kForward) {
        return CompressStep(buffer, kForward) && CipherStep(buffer, kForward) ? 1 : 0;
    }
    if (direction == kBackward) {
        return CipherStep(buffer, kBackward) && CompressStep(buffer, kBackward) ? 1 : 0;
    }
    return 0;
}

int ZepTransform::CompressStep(ZepByteBuffer& buffer, int direction) {
    std::unique_lock<std::mutex> lock(streamsLock_, std::try_to_lock);
    std::optional<ZepZlibStreams> ownStreams;
    ZepZlibStreams& streams = lock.owns_lock() ? streams_ : ownStreams.emplace();
    if (direction == kForward) {
        const size_t n = buffer.GetSize();
        if (compressionFlags_ == 0 || n > kMaxStepInput) {
            return PrependUnchangedHeader(buffer);
        }
        const uint32_t flags = compressionFlags_ & ~kDirectionBits;
        if ((flags & ZepZlibCodec::kStepFlag) == 0) {
            return PrependUnchangedHeader(buffer);  // not this step's codec: sent as it is
        }
        const std::span<const uint8_t> compressed = streams.Deflate(Contents(buffer));
        if (compressed.empty() || compressed.size() > kMaxStepInput) {
            return PrependUnchangedHeader(buffer);
        }
        ZepStepHeader header;
        header.flags = flags;
        header.plainLength = static_cast<uint32_t>(n);
        header.dataLength = static_cast<uint32_t>(compressed.size());
        return ReplaceWithStep(buffer, header, compressed);
    }
    if (direction == kBackward) {
        const std::optional<ZepStepHeader> header = ReadReceivedHeader(buffer);
        if (!header) {
            return 0;
        }
        if (header->flags == 0) {
            return DropHeader(buffer);
        }
        // Only this step's codec, and no more than it would ever inflate.
        const uint32_t flags = (header->flags & ~kDirectionBits) | ZepZlibCodec::kBackward;
        if ((flags & ZepZlibCodec::kStepFlag) == 0 || header->plainLength == 0 ||
            header->plainLength > ZepZlibCodec::kMaxInflated) {
            return 0;
        }
        ZepByteBuffer replacement;
        uint8_t* plain = replacement.Extend(header->plainLength);
        if (plain == nullptr || !streams.Inflate(Contents(buffer).subspan(ZepStepHeader::kSize),
                                                 std::span(plain, header->plainLength))) {
            return 0;
        }
        buffer = std::move(replacement);
        return 1;
    }
    return 0;
}

int ZepTransform::CipherStep(ZepByteBuffer& buffer, int direction) {
    if (direction == kForward) {
        const size_t n = buffer.GetSize();
        if (cipherFlags_ == 0) {
            return PrependUnchangedHeader(buffer);
        }
        if (!cipher_.HasKey() || n > kMaxStepInput) {
            return 0;
        }
        const uint32_t flags = cipherFlags_ & ~kDirectionBits;
        const auto length = static_cast<uint32_t>(n);
        const uint32_t size = ZepAesCodec::OutputLength(length, flags | ZepAesCodec::kForward);
        if (size == 0) {
            return 0;
        }
        // The header, the plain bytes and their zero padding, then every
        // block enciphered where it lies.
        ZepStepHeader header;
        header.flags = flags;
        header.plainLength = length;
        header.dataLength = size;
        uint8_t headerBytes[ZepStepHeader::kSize];
        header.Write(headerBytes);
        const uint8_t padding[ZepAes::kBlockSize] = {};
        ZepByteBuffer replacement;
        if (!replacement.Reserve(sizeof(headerBytes) + size) ||
            replacement.Append(headerBytes, sizeof(headerBytes)) != sizeof(headerBytes) ||
            (n != 0 && replacement.Append(buffer.GetData(0), n) != n) ||
            replacement.Append(padding, size - n) != size - n) {
            return 0;
        }
        uint8_t* blocks = replacement.GetData(ZepStepHeader::kSize);
        cipher_.EncryptBlocks(blocks, blocks, size / ZepAes::kBlockSize);
        buffer = std::move(replacement);
        return 1;
    }
    if (direction == kBackward) {
        const std::optional<ZepStepHeader> header = ReadReceivedHeader(buffer);
        if (!header) {
            return 0;
        }
        if (header->flags == 0) {
            return DropHeader(buffer);
        }
        if (!cipher_.HasKey() || header->plainLength > header->dataLength) {
            return 0;
        }
        const uint32_t flags = (header->flags & ~kDirectionBits) | ZepAesCodec::kBackward;
        if (ZepAesCodec::OutputLength(header->dataLength, flags) == 0) {
            return 0;
        }
        // Room for the plain bytes first, so that nothing below can fail
        // once the blocks are deciphered where they lie.
        ZepByteBuffer replacement;
        if (!replacement.Reserve(header->plainLength)) {
            return 0;
        }
        uint8_t* blocks = buffer.GetData(ZepStepHeader::kSize);
        cipher_.DecryptBlocks(blocks, blocks, header->dataLength / ZepAes::kBlockSize);
        if (header->plainLength != 0) {
            replacement.Append(blocks, header->plainLength);
        }
        buffer = std::move(replacement);
        return 1;
    }
    return 0;
}

int ZepTransform::TransformFile(const char* sourcePath, const char* targetPath, uint32_t chunkSize,
                                int direction) {
    if (sourcePath == nullptr || targetPath == nullptr ||
        (direction != kForward && direction != kBackward) ||
        (direction == kForward && (chunkSize == 0 || chunkSize > kMaxFileChunk))) {
        return 0;
    }
    File source(std::fopen(platform::ResolvePath(sourcePath).c_str(), "rb"));
    if (!source) {
        return 0;
    }
    const std::string target = platform::ResolvePath(targetPath);
    File output(std::fopen(target.c_str(), "wb"));
    if (!output) {
        return 0;
    }

    // Forwards a chunk is what the source gives; backwards it is one record
    // {u32 length, transformed bytes}.
    const auto readChunk = [&](std::vector<uint8_t>& chunk) -> int {  // 1 read, 0 end, -1 bad
        if (direction == kForward) {
            chunk.resize(chunkSize);
            chunk.resize(std::fread(chunk.data(), 1, chunkSize, source.get()));
            return chunk.empty() ? (std::ferror(source.get()) ? -1 : 0) : 1;
        }
        uint8_t mark[4];
        const size_t got = std::fread(mark, 1, sizeof(mark), source.get());
        if (got == 0 && !std::ferror(source.get())) {
            return 0;
        }
        uint32_t length = 0;
        if (got != sizeof(mark) || !ZepWireReader(mark).ReadU32(length) ||
            length < ZepStepHeader::kSize ||
            length > kMaxFileChunk + ZepStepHeader::kSize + ZepAes::kBlockSize) {
            return -1;
        }
        chunk.resize(length);
        return std::fread(chunk.data(), 1, length, source.get()) == length ? 1 : -1;
    };

    bool ok = true;
    std::vector<uint8_t> chunk;
    for (int state = readChunk(chunk); ok && state != 0; state = readChunk(chunk)) {
        ZepByteBuffer buffer;
        ok = state == 1 && buffer.Append(chunk.data(), chunk.size()) == chunk.size() &&
             CipherStep(buffer, direction) == 1;
        if (ok && direction == kForward) {
            uint8_t mark[4];
            ZepWireWriter(mark).WriteU32(static_cast<uint32_t>(buffer.GetSize()));
            ok = WriteBytes(output.get(), mark, sizeof(mark));
        }
        ok = ok && WriteBytes(output.get(), buffer.GetData(0), buffer.GetSize());
    }
    ok = (std::fclose(output.release()) == 0) && ok;
    if (!ok) {
        std::remove(target.c_str());
        return 0;
    }
    return 1;
}
