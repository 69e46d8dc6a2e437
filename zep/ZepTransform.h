#pragma once
// The message transform: every serialised message passes a compression step
// (zlib) and a cipher step (AES) on its way out, and both backwards on its way
// in. Each step adds its own 20-byte header, also when it is switched off.

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>

#include "zep/ZepAes.h"
#include "zep/ZepByteBuffer.h"
#include "zep/ZepZlibCodec.h"

// The header in front of each step's data (little-endian u32 fields).
struct ZepStepHeader {
    static constexpr size_t kSize = 20;

    uint32_t flags = 0;        // 0: the step left the data unchanged
    uint32_t plainLength = 0;  // length of the data before the step
    uint32_t reserved1 = 0;
    uint32_t reserved2 = 0;
    uint32_t dataLength = 0;  // length of the step's data that follows

    // The header at the front of the bytes; empty when fewer than 20 bytes.
    static std::optional<ZepStepHeader> Read(std::span<const uint8_t> bytes);
    void Write(uint8_t (&out)[kSize]) const;
};

// Runs a message buffer through the two steps.
//
// Rules:
//  - Forwards: compression, then the cipher; backwards: the cipher, then
//    decompression. The buffer is changed in place; a step that fails leaves
//    it as the step found it.
//  - A step whose flags are 0 only adds (or removes) its header. A failed
//    deflate going out is not an error: the data goes uncompressed with step
//    flags 0.
//  - Going backwards a step is refused when it gets fewer than 20 bytes, when
//    its length field differs from the bytes that follow, when the cipher data
//    is not a non-zero number of whole blocks or is shorter than the plain
//    length, when inflating fails or gives other than the plain length, or
//    when the header names a step codec other than its own.
//  - The key is expanded once, when it is given, and the zlib streams are
//    kept and reset for each message; the transform may be used from several
//    threads at once once it is set up (Init is not thread-safe).
class ZepTransform {
public:
    static constexpr int kForward = 1;
    static constexpr int kBackward = 2;
    static constexpr uint32_t kCipherFlag = ZepAesCodec::kStepFlag;
    static constexpr uint32_t kCompressionFlag = ZepZlibCodec::kStepFlag;

    ZepTransform(const uint8_t* key = nullptr, uint32_t keyBits = 0, uint32_t cipherFlags = 0,
                 uint32_t compressionFlags = 0);
    virtual ~ZepTransform();
    ZepTransform(const ZepTransform&) = delete;
    ZepTransform& operator=(const ZepTransform&) = delete;

    // Direction 1 or 2; 0 for another direction or a failing step.
    virtual int Transform(ZepByteBuffer& buffer, int direction);
    // Takes a new key (keyBits / 8 bytes, at most 32 are kept) and flags; 1.
    virtual int Init(const uint8_t* key, uint32_t keyBits, uint32_t cipherFlags,
                     uint32_t compressionFlags);
    virtual int CompressStep(ZepByteBuffer& buffer, int direction);
    virtual int CipherStep(ZepByteBuffer& buffer, int direction);
    // Runs the cipher step over a file, chunk by chunk. Forwards the source is
    // cut into chunks of the given size and each result is written after its
    // length (u32); backwards those records are read and the plain chunks
    // written one after another. 1, or 0 when a file does not open or a chunk
    // fails (the target is then removed).
    virtual int TransformFile(const char* sourcePath, const char* targetPath, uint32_t chunkSize,
                              int direction);

    // Bounds of TransformFile's chunks.
    static constexpr uint32_t kMaxFileChunk = 16 * 1024 * 1024;

private:
    ZepAes cipher_;  // the key's schedule, expanded once per key
    // The zlib streams kept for the messages; a thread that finds them busy
    // sets up its own for the message.
    std::mutex streamsLock_;
    ZepZlibStreams streams_;
    uint32_t cipherFlags_ = 0;
    uint32_t compressionFlags_ = 0;
};
