#pragma once
// The block cipher of the message transform: AES (128, 192 and 256-bit keys)
// and its buffer codec.

#include <cstddef>
#include <cstdint>

// One AES key schedule and single-block encryption and decryption.
//
// Rules:
//  - Only keys of 128, 192 or 256 bits are taken; any other length leaves the
//    object without a key and the block operations do nothing.
//  - The round tables are compile-time constants, so any number of objects
//    may work at once on different threads.
class ZepAes {
public:
    static constexpr size_t kBlockSize = 16;

    ZepAes() = default;
    ~ZepAes();  // wipes the key schedule
    ZepAes(const ZepAes&) = delete;
    ZepAes& operator=(const ZepAes&) = delete;

    // Expands the key (bits / 8 bytes). False for another length or a null key.
    bool SetKey(const uint8_t* key, uint32_t bits);
    bool HasKey() const { return rounds_ != 0; }

    // One 16-byte block; in and out may be the same block.
    void EncryptBlock(const uint8_t* in, uint8_t* out) const;
    void DecryptBlock(const uint8_t* in, uint8_t* out) const;

private:
    static constexpr int kMaxRounds = 14;
    uint32_t encryptKeys_[4 * (kMaxRounds + 1)] = {};
    uint32_t decryptKeys_[4 * (kMaxRounds + 1)] = {};
    int rounds_ = 0;
};

// The cipher step's buffer codec: ECB over whole 16-byte blocks.
//
// Rules:
//  - The flags must hold 0x100 and exactly one direction bit: 1 enciphers,
//    2 deciphers.
//  - Enciphering n bytes gives n - n % 16 + 16 bytes: every whole block, then
//    the remaining bytes (none, when n is a multiple of 16) padded with zeros
//    to one more block.
//  - Deciphering takes a non-empty whole number of blocks only and gives as
//    many bytes as it was given.
//  - With a null output only the output length is reported, so a caller asks
//    for the size first and then calls again into a block of that size.
class ZepAesCodec {
public:
    static constexpr uint32_t kStepFlag = 0x100;
    static constexpr uint32_t kForward = 1;
    static constexpr uint32_t kBackward = 2;

    virtual ~ZepAesCodec() = default;

    // Returns 1 on success, 0 on failure (flags, key, length or a null
    // length pointer); *outputLength is set on success.
    static int Process(const uint8_t* key, uint32_t keyBits, const uint8_t* data, uint32_t length,
                       uint8_t* output, uint32_t* outputLength, uint32_t flags);
};
