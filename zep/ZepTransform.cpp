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

int ReplaceWithData(ZepByteBuffer& buffer, std::span<const uint8_t> data) {
    ZepByteBuffer replacement;
    if (!replacement.Reserve(data.size()) ||
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

ZepTransform::~ZepTransform() {
    volatile uint8_t* key = key_;
    for (size_t i = 0; i < kMaxKeyBytes; ++i) {
        key[i] = 0;
    }
}

int ZepTransform::Init(const uint8_t* key, uint32_t keyBits, uint32_t cipherFlags,
                       uint32_t compressionFlags) {
    std::memset(key_, 0, sizeof(key_));
    hasKey_ = key != nullptr && (keyBits == 128 || keyBits == 192 || keyBits == 256);
    keyBits_ = keyBits;
    if (hasKey_) {
        std::memcpy(key_, key, keyBits / 8);
    }
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
    if (direction == kForward) {
        const size_t n = buffer.GetSize();
        if (compressionFlags_ == 0 || n > kMaxStepInput) {
            return PrependUnchangedHeader(buffer);
        }
        const uint32_t flags = compressionFlags_ & ~kDirectionBits;
        std::vector<uint8_t> compressed;
        if (!ZepZlibCodec::Process(Contents(buffer), compressed, flags | ZepZlibCodec::kForward) ||
            compressed.size() > kMaxStepInput) {
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
        const uint32_t flags = (header->flags & ~kDirectionBits) | ZepZlibCodec::kBackward;
        std::vector<uint8_t> inflated;
        if (!ZepZlibCodec::Process(Contents(buffer).subspan(ZepStepHeader::kSize), inflated,
                                   flags) ||
            inflated.size() != header->plainLength) {
            return 0;
        }
        return ReplaceWithData(buffer, inflated);
    }
    return 0;
}

int ZepTransform::CipherStep(ZepByteBuffer& buffer, int direction) {
    if (direction == kForward) {
        const size_t n = buffer.GetSize();
        if (cipherFlags_ == 0) {
            return PrependUnchangedHeader(buffer);
        }
        if (!hasKey_ || n > kMaxStepInput) {
            return 0;
        }
        const uint32_t flags = cipherFlags_ & ~kDirectionBits;
        const std::span<const uint8_t> plain = Contents(buffer);
        const auto length = static_cast<uint32_t>(n);
        uint32_t size = 0;
        if (!ZepAesCodec::Process(key_, keyBits_, plain.data(), length, nullptr, &size,
                                  flags | ZepAesCodec::kForward)) {
            return 0;
        }
        std::vector<uint8_t> cipher(size);
        if (!ZepAesCodec::Process(key_, keyBits_, plain.data(), length, cipher.data(), &size,
                                  flags | ZepAesCodec::kForward)) {
            return 0;
        }
        ZepStepHeader header;
        header.flags = flags;
        header.plainLength = length;
        header.dataLength = size;
        return ReplaceWithStep(buffer, header, cipher);
    }
    if (direction == kBackward) {
        const std::optional<ZepStepHeader> header = ReadReceivedHeader(buffer);
        if (!header) {
            return 0;
        }
        if (header->flags == 0) {
            return DropHeader(buffer);
        }
        if (!hasKey_ || header->plainLength > header->dataLength) {
            return 0;
        }
        const uint32_t flags = (header->flags & ~kDirectionBits) | ZepAesCodec::kBackward;
        const std::span<const uint8_t> cipher = Contents(buffer).subspan(ZepStepHeader::kSize);
        uint32_t size = 0;
        if (!ZepAesCodec::Process(key_, keyBits_, cipher.data(), header->dataLength, nullptr, &size,
                                  flags)) {
            return 0;
        }
        std::vector<uint8_t> plain(size);
        if (!ZepAesCodec::Process(key_, keyBits_, cipher.data(), header->dataLength, plain.data(),
                                  &size, flags)) {
            return 0;
        }
        return ReplaceWithData(buffer, std::span<const uint8_t>(plain).first(header->plainLength));
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
