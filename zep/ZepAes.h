#pragma once
// The block cipher of the message transform: AES (128, 192 and 256-bit keys)
// and its buffer codec.

#include <cstddef>
#include <cstdint>

// One AES key schedule and block encryption and decryption.
//
// Rules:
//  - Only keys of 128, 192 or 256 bits are taken; any other length leaves the
//    object without a key and the block operations do nothing.
//  - The rounds run on the processor's AES instructions when it has them
//    (asked once per process), else on compile-time round tables; both give
//    the same bytes. An engine may be asked for by name; the instructions
//    fall back to the tables where the processor lacks them.
//  - Nothing is written after SetKey, so any number of threads may use one
//    object at once.
class ZepAes {
public:
    static constexpr size_t kBlockSize = 16;

    enum class Engine { Best, Table, Instructions };

    // True when the processor has the AES instructions.
    static bool HasInstructions();

    explicit ZepAes(Engine engine = Engine::Best);
    ~ZepAes();  // wipes the key schedules
    ZepAes(const ZepAes&) = delete;
    ZepAes& operator=(const ZepAes&) = delete;

    // Expands the key (bits / 8 bytes). False for another length or a null key.
    bool SetKey(const uint8_t* key, uint32_t bits);
    bool HasKey() const { return rounds_ != 0; }
    bool UsesInstructions() const { return instructions_; }

    // One 16-byte block; in and out may be the same block.
    void EncryptBlock(const uint8_t* in, uint8_t* out) const;
    void DecryptBlock(const uint8_t* in, uint8_t* out) const;
    // `blocks` blocks one after another (ECB); in and out are the same bytes
    // or do not overlap.
    void EncryptBlocks(const uint8_t* in, uint8_t* out, size_t blocks) const;
    void DecryptBlocks(const uint8_t* in, uint8_t* out, size_t blocks) const;

private:
    static constexpr int kMaxRounds = 14;
    void TableEncrypt(const uint8_t* in, uint8_t* out) const;
    void TableDecrypt(const uint8_t* in, uint8_t* out) const;

    uint32_t encryptKeys_[4 * (kMaxRounds + 1)] = {};
    uint32_t decryptKeys_[4 * (kMaxRounds + 1)] = {};
    // The same schedules as the instructions take them: round keys as bytes,
    // the decryption keys for the equivalent inverse cipher.
    alignas(16) uint8_t instructionEncryptKeys_[kMaxRounds + 1][kBlockSize] = {};
    alignas(16) uint8_t instructionDecryptKeys_[kMaxRounds + 1][kBlockSize] = {};
    int rounds_ = 0;
    bool instructions_ = false;
    bool expanded_ = false;  // a key was ever written into the schedules
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
    // The same with a key already expanded.
    static int Process(const ZepAes& aes, const uint8_t* data, uint32_t length, uint8_t* output,
                       uint32_t* outputLength, uint32_t flags);
    // The output length for the input length, or 0 when the flags or the
    // length are refused.
    static uint32_t OutputLength(uint32_t length, uint32_t flags);
};
