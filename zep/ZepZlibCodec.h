#pragma once
// The compression step of the message transform: zlib streams that end at a
// sync-flush point (no end block, no Adler-32 trailer), and the sequential
// streams they are read from and written to.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

// A one-way sequential byte stream. A stream refuses the direction it does
// not serve (the call returns false and moves nothing).
class ZepSequentialStream {
public:
    virtual ~ZepSequentialStream() = default;
    // Copies up to `size` bytes into out and sets `done` to the count (0 at
    // the end of the stream).
    virtual bool Read(void* out, size_t size, size_t& done) = 0;
    // Takes all `size` bytes.
    virtual bool Write(const void* data, size_t size) = 0;
};

// Reads a block of memory from front to back; cannot be written.
class ZepMemoryStream : public ZepSequentialStream {
public:
    explicit ZepMemoryStream(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    bool Read(void* out, size_t size, size_t& done) override;
    bool Write(const void*, size_t) override { return false; }

private:
    std::span<const uint8_t> bytes_;
    size_t position_ = 0;
};

// Collects what is written in a growing array; cannot be read.
class ZepByteArrayStream : public ZepSequentialStream {
public:
    bool Read(void*, size_t, size_t&) override { return false; }
    bool Write(const void* data, size_t size) override;

    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    std::vector<uint8_t> TakeBytes() { return std::move(bytes_); }

private:
    std::vector<uint8_t> bytes_;
};

// Deflate and inflate between two streams in fixed chunks, flushing with
// Z_SYNC_FLUSH and never finishing the stream.
//
// Rules:
//  - Deflate reads 32768-byte input chunks at the library's default level and
//    writes 4096-byte output chunks; each chunk ends at a sync-flush point.
//  - Inflate reads 4096-byte input chunks; it takes streams that end at a
//    sync-flush point and streams that end with an end block. Corrupt data,
//    bytes after an end block, or output beyond the limit fail it.
//  - Each succeeds only when it wrote something.
class ZepZlibCompress {
public:
    static constexpr size_t kDeflateInputChunk = 32768;
    static constexpr size_t kDeflateOutputChunk = 4096;
    static constexpr size_t kInflateInputChunk = 4096;
    static constexpr size_t kInflateOutputChunk = 32768;

    static bool Deflate(ZepSequentialStream& in, ZepSequentialStream& out);
    static bool Inflate(ZepSequentialStream& in, ZepSequentialStream& out, size_t outputLimit);
};

class ZepZlibSession;

// One deflate and one inflate stream kept across messages and reset for each,
// so a message pays no stream set-up, with the output room kept too.
//
// Rules:
//  - Deflate gives the bytes ZepZlibCompress::Deflate gives for the same data:
//    input taken 32768 bytes at a time, each piece ending at a sync-flush
//    point. Its result is valid until the next call; empty when the data is
//    empty or deflate fails.
//  - Inflate fills exactly the plain bytes it is given room for, straight
//    from the data. It fails as ZepZlibCompress::Inflate does (corrupt data,
//    bytes after an end block, a stream it cannot read to its end) and also
//    when the data gives fewer or more bytes than that.
//  - Each stream is set up on its first use. One thread at a time.
class ZepZlibStreams {
public:
    ZepZlibStreams();
    ~ZepZlibStreams();
    ZepZlibStreams(const ZepZlibStreams&) = delete;
    ZepZlibStreams& operator=(const ZepZlibStreams&) = delete;

    std::span<const uint8_t> Deflate(std::span<const uint8_t> data);
    bool Inflate(std::span<const uint8_t> data, std::span<uint8_t> plain);

private:
    // Room for `needed` output bytes with the `kept` first ones kept.
    bool MakeRoom(size_t needed, size_t kept);

    std::unique_ptr<ZepZlibSession> deflater_;
    std::unique_ptr<ZepZlibSession> inflater_;
    std::unique_ptr<uint8_t[]> output_;
    size_t outputSize_ = 0;
};

// The compression step's codec.
//
// Rules:
//  - The flags must hold 0x400; bit 1 deflates, bit 2 inflates (exactly one).
//  - Inflated output is bounded by kMaxInflated (16 MiB).
class ZepZlibCodec {
public:
    static constexpr uint32_t kStepFlag = 0x400;
    static constexpr uint32_t kForward = 1;
    static constexpr uint32_t kBackward = 2;
    static constexpr size_t kMaxInflated = size_t{16} * 1024 * 1024;

    virtual ~ZepZlibCodec() = default;

    // Returns 1 with the result in `out`, or 0 (out left empty).
    static int Process(std::span<const uint8_t> data, std::vector<uint8_t>& out, uint32_t flags);
};
