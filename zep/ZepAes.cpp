#include "zep/ZepAes.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <immintrin.h>
#define ZEP_AES_HAS_X86_INSTRUCTIONS 1
#else
#define ZEP_AES_HAS_X86_INSTRUCTIONS 0
#endif

#include <array>
#include <bit>
#include <cstring>

namespace {

// ---- Tables, computed by the compiler from the field arithmetic ----------

constexpr uint8_t Times2(uint8_t a) {
    return static_cast<uint8_t>((a << 1) ^ ((a & 0x80) ? 0x1B : 0x00));
}

constexpr uint8_t Multiply(uint8_t a, uint8_t b) {
    uint8_t product = 0;
    while (b != 0) {
        if (b & 1) {
            product ^= a;
        }
        a = Times2(a);
        b >>= 1;
    }
    return product;
}

constexpr uint8_t Inverse(uint8_t a) {
    // a^254 is the multiplicative inverse in GF(2^8); 0 maps to 0.
    uint8_t result = 1;
    uint8_t power = a;
    for (int exponent = 254; exponent != 0; exponent >>= 1) {
        if (exponent & 1) {
            result = Multiply(result, power);
        }
        power = Multiply(power, power);
    }
    return a == 0 ? 0 : result;
}

constexpr std::array<uint8_t, 256> MakeSBox() {
    std::array<uint8_t, 256> box{};
    for (int x = 0; x < 256; ++x) {
        const uint8_t b = Inverse(static_cast<uint8_t>(x));
        box[x] = static_cast<uint8_t>(b ^ std::rotl(b, 1) ^ std::rotl(b, 2) ^ std::rotl(b, 3) ^
                                      std::rotl(b, 4) ^ 0x63);
    }
    return box;
}

constexpr std::array<uint8_t, 256> kSBox = MakeSBox();

constexpr std::array<uint8_t, 256> MakeInverseSBox() {
    std::array<uint8_t, 256> box{};
    for (int x = 0; x < 256; ++x) {
        box[kSBox[x]] = static_cast<uint8_t>(x);
    }
    return box;
}

constexpr std::array<uint8_t, 256> kInverseSBox = MakeInverseSBox();

constexpr uint32_t Word(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3) {
    return (uint32_t{b0} << 24) | (uint32_t{b1} << 16) | (uint32_t{b2} << 8) | uint32_t{b3};
}

// Round tables: SubBytes and MixColumns (or their inverses) for one byte,
// rotated by 0, 8, 16 and 24 bits for the four rows.
using RoundTable = std::array<uint32_t, 256>;

constexpr RoundTable MakeEncryptTable(int rotation) {
    RoundTable table{};
    for (int x = 0; x < 256; ++x) {
        const uint8_t s = kSBox[x];
        table[x] = std::rotr(Word(Multiply(s, 2), s, s, Multiply(s, 3)), rotation);
    }
    return table;
}

constexpr RoundTable MakeDecryptTable(int rotation) {
    RoundTable table{};
    for (int x = 0; x < 256; ++x) {
        const uint8_t s = kInverseSBox[x];
        table[x] = std::rotr(
            Word(Multiply(s, 14), Multiply(s, 9), Multiply(s, 13), Multiply(s, 11)), rotation);
    }
    return table;
}

constexpr RoundTable kTe0 = MakeEncryptTable(0);
constexpr RoundTable kTe1 = MakeEncryptTable(8);
constexpr RoundTable kTe2 = MakeEncryptTable(16);
constexpr RoundTable kTe3 = MakeEncryptTable(24);
constexpr RoundTable kTd0 = MakeDecryptTable(0);
constexpr RoundTable kTd1 = MakeDecryptTable(8);
constexpr RoundTable kTd2 = MakeDecryptTable(16);
constexpr RoundTable kTd3 = MakeDecryptTable(24);

static_assert(kSBox[0x00] == 0x63 && kSBox[0x53] == 0xED && kSBox[0xFF] == 0x16);
static_assert(kInverseSBox[0x63] == 0x00);

// ---- Helpers ---------------------------------------------------------------

inline uint32_t LoadWord(const uint8_t* p) {
    return Word(p[0], p[1], p[2], p[3]);
}

inline void StoreWord(uint32_t w, uint8_t* p) {
    p[0] = static_cast<uint8_t>(w >> 24);
    p[1] = static_cast<uint8_t>(w >> 16);
    p[2] = static_cast<uint8_t>(w >> 8);
    p[3] = static_cast<uint8_t>(w);
}

inline uint8_t Byte(uint32_t w, int index) {  // index 0 = most significant
    return static_cast<uint8_t>(w >> (24 - 8 * index));
}

inline uint32_t SubWord(uint32_t w) {
    return Word(kSBox[Byte(w, 0)], kSBox[Byte(w, 1)], kSBox[Byte(w, 2)], kSBox[Byte(w, 3)]);
}

// InvMixColumns of one round-key word, for the equivalent inverse cipher.
inline uint32_t InverseMixWord(uint32_t w) {
    return kTd0[kSBox[Byte(w, 0)]] ^ kTd1[kSBox[Byte(w, 1)]] ^ kTd2[kSBox[Byte(w, 2)]] ^
           kTd3[kSBox[Byte(w, 3)]];
}

bool IsDirectionValid(uint32_t flags) {
    const uint32_t direction = flags & (ZepAesCodec::kForward | ZepAesCodec::kBackward);
    return direction == ZepAesCodec::kForward || direction == ZepAesCodec::kBackward;
}

// ---- The processor's AES instructions ---------------------------------------

#if ZEP_AES_HAS_X86_INSTRUCTIONS

bool DetectInstructions() {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    return __get_cpuid(1, &eax, &ebx, &ecx, &edx) != 0 && (ecx & bit_AES) != 0 &&
           (edx & bit_SSE2) != 0;
}

// Blocks go through the rounds this many at a time, so that one block's
// round need not wait for the one before it to leave the unit.
constexpr size_t kInterleave = 8;

using RoundKeys = const uint8_t (*)[ZepAes::kBlockSize];

__attribute__((target("aes,sse2"))) inline __m128i LoadKey(RoundKeys keys, int round) {
    return _mm_load_si128(reinterpret_cast<const __m128i*>(keys[round]));
}

// One round of either direction; the last round leaves out the column mix.
template <bool kDecrypt>
__attribute__((target("aes,sse2"))) inline __m128i Round(__m128i state, __m128i key) {
    return kDecrypt ? _mm_aesdec_si128(state, key) : _mm_aesenc_si128(state, key);
}

template <bool kDecrypt>
__attribute__((target("aes,sse2"))) inline __m128i LastRound(__m128i state, __m128i key) {
    return kDecrypt ? _mm_aesdeclast_si128(state, key) : _mm_aesenclast_si128(state, key);
}

// The blocks through every round: the decryption keys make the inverse
// cipher the same sequence of steps.
template <bool kDecrypt>
__attribute__((target("aes,sse2"))) void InstructionRounds(RoundKeys keys, int rounds,
                                                           const uint8_t* in, uint8_t* out,
                                                           size_t blocks) {
    size_t b = 0;
    for (; b + kInterleave <= blocks; b += kInterleave) {
        __m128i s[kInterleave];
        const __m128i first = LoadKey(keys, 0);
        for (size_t j = 0; j < kInterleave; ++j) {
            s[j] = _mm_xor_si128(
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16 * (b + j))), first);
        }
        for (int r = 1; r < rounds; ++r) {
            const __m128i key = LoadKey(keys, r);
            for (size_t j = 0; j < kInterleave; ++j) {
                s[j] = Round<kDecrypt>(s[j], key);
            }
        }
        const __m128i last = LoadKey(keys, rounds);
        for (size_t j = 0; j < kInterleave; ++j) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16 * (b + j)),
                             LastRound<kDecrypt>(s[j], last));
        }
    }
    for (; b < blocks; ++b) {
        __m128i s = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16 * b)),
                                  LoadKey(keys, 0));
        for (int r = 1; r < rounds; ++r) {
            s = Round<kDecrypt>(s, LoadKey(keys, r));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16 * b),
                         LastRound<kDecrypt>(s, LoadKey(keys, rounds)));
    }
}

// InvMixColumns of a round key, as the equivalent inverse cipher takes it.
__attribute__((target("aes,sse2"))) void InverseMixKey(const uint8_t* in, uint8_t* out) {
    _mm_store_si128(reinterpret_cast<__m128i*>(out),
                    _mm_aesimc_si128(_mm_load_si128(reinterpret_cast<const __m128i*>(in))));
}

#else

bool DetectInstructions() {
    return false;
}

#endif

}  // namespace

// ---- ZepAes ----------------------------------------------------------------

bool ZepAes::HasInstructions() {
    static const bool present = DetectInstructions();
    return present;
}

ZepAes::ZepAes(Engine engine) : instructions_(engine != Engine::Table && HasInstructions()) {}

ZepAes::~ZepAes() {
    if (!expanded_) {
        return;  // the schedules hold nothing but the zeros they were made with
    }
    volatile uint32_t* e = encryptKeys_;
    volatile uint32_t* d = decryptKeys_;
    for (size_t i = 0; i < std::size(encryptKeys_); ++i) {
        e[i] = 0;
        d[i] = 0;
    }
    volatile uint8_t* ie = &instructionEncryptKeys_[0][0];
    volatile uint8_t* id = &instructionDecryptKeys_[0][0];
    for (size_t i = 0; i < sizeof(instructionEncryptKeys_); ++i) {
        ie[i] = 0;
        id[i] = 0;
    }
}

bool ZepAes::SetKey(const uint8_t* key, uint32_t bits) {
    rounds_ = 0;
    if (key == nullptr || (bits != 128 && bits != 192 && bits != 256)) {
        return false;
    }
    expanded_ = true;
    const int keyWords = static_cast<int>(bits / 32);
    const int rounds = keyWords + 6;
    const int totalWords = 4 * (rounds + 1);

    uint32_t* w = encryptKeys_;
    for (int i = 0; i < keyWords; ++i) {
        w[i] = LoadWord(key + 4 * i);
    }
    uint8_t roundConstant = 1;
    for (int i = keyWords; i < totalWords; ++i) {
        uint32_t temp = w[i - 1];
        if (i % keyWords == 0) {
            temp = SubWord(std::rotl(temp, 8)) ^ (uint32_t{roundConstant} << 24);
            roundConstant = Times2(roundConstant);
        } else if (keyWords > 6 && i % keyWords == 4) {
            temp = SubWord(temp);
        }
        w[i] = w[i - keyWords] ^ temp;
    }

    // Decryption keys: the round keys in reverse order, the inner ones passed
    // through InvMixColumns.
    for (int round = 0; round <= rounds; ++round) {
        for (int column = 0; column < 4; ++column) {
            const uint32_t k = w[4 * (rounds - round) + column];
            decryptKeys_[4 * round + column] =
                (round == 0 || round == rounds) ? k : InverseMixWord(k);
        }
    }
#if ZEP_AES_HAS_X86_INSTRUCTIONS
    if (instructions_) {
        for (int round = 0; round <= rounds; ++round) {
            for (int column = 0; column < 4; ++column) {
                StoreWord(w[4 * round + column], &instructionEncryptKeys_[round][4 * column]);
            }
        }
        std::memcpy(instructionDecryptKeys_[0], instructionEncryptKeys_[rounds], kBlockSize);
        for (int round = 1; round < rounds; ++round) {
            InverseMixKey(instructionEncryptKeys_[rounds - round], instructionDecryptKeys_[round]);
        }
        std::memcpy(instructionDecryptKeys_[rounds], instructionEncryptKeys_[0], kBlockSize);
    }
#endif
    rounds_ = rounds;
    return true;
}

void ZepAes::EncryptBlock(const uint8_t* in, uint8_t* out) const {
    EncryptBlocks(in, out, 1);
}

void ZepAes::DecryptBlock(const uint8_t* in, uint8_t* out) const {
    DecryptBlocks(in, out, 1);
}

void ZepAes::EncryptBlocks(const uint8_t* in, uint8_t* out, size_t blocks) const {
    if (rounds_ == 0) {
        return;
    }
#if ZEP_AES_HAS_X86_INSTRUCTIONS
    if (instructions_) {
        InstructionRounds<false>(instructionEncryptKeys_, rounds_, in, out, blocks);
        return;
    }
#endif
    for (size_t b = 0; b < blocks; ++b) {
        TableEncrypt(in + kBlockSize * b, out + kBlockSize * b);
    }
}

void ZepAes::DecryptBlocks(const uint8_t* in, uint8_t* out, size_t blocks) const {
    if (rounds_ == 0) {
        return;
    }
#if ZEP_AES_HAS_X86_INSTRUCTIONS
    if (instructions_) {
        InstructionRounds<true>(instructionDecryptKeys_, rounds_, in, out, blocks);
        return;
    }
#endif
    for (size_t b = 0; b < blocks; ++b) {
        TableDecrypt(in + kBlockSize * b, out + kBlockSize * b);
    }
}

void ZepAes::TableEncrypt(const uint8_t* in, uint8_t* out) const {
    const uint32_t* rk = encryptKeys_;
    uint32_t s0 = LoadWord(in) ^ rk[0];
    uint32_t s1 = LoadWord(in + 4) ^ rk[1];
    uint32_t s2 = LoadWord(in + 8) ^ rk[2];
    uint32_t s3 = LoadWord(in + 12) ^ rk[3];
    for (int round = 1; round < rounds_; ++round) {
        rk += 4;
        const uint32_t t0 =
            kTe0[Byte(s0, 0)] ^ kTe1[Byte(s1, 1)] ^ kTe2[Byte(s2, 2)] ^ kTe3[Byte(s3, 3)] ^ rk[0];
        const uint32_t t1 =
            kTe0[Byte(s1, 0)] ^ kTe1[Byte(s2, 1)] ^ kTe2[Byte(s3, 2)] ^ kTe3[Byte(s0, 3)] ^ rk[1];
        const uint32_t t2 =
            kTe0[Byte(s2, 0)] ^ kTe1[Byte(s3, 1)] ^ kTe2[Byte(s0, 2)] ^ kTe3[Byte(s1, 3)] ^ rk[2];
        const uint32_t t3 =
            kTe0[Byte(s3, 0)] ^ kTe1[Byte(s0, 1)] ^ kTe2[Byte(s1, 2)] ^ kTe3[Byte(s2, 3)] ^ rk[3];
        s0 = t0;
        s1 = t1;
        s2 = t2;
        s3 = t3;
    }
    rk += 4;
    const auto last = [](uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t key) {
        return Word(kSBox[Byte(a, 0)], kSBox[Byte(b, 1)], kSBox[Byte(c, 2)], kSBox[Byte(d, 3)]) ^
               key;
    };
    StoreWord(last(s0, s1, s2, s3, rk[0]), out);
    StoreWord(last(s1, s2, s3, s0, rk[1]), out + 4);
    StoreWord(last(s2, s3, s0, s1, rk[2]), out + 8);
    StoreWord(last(s3, s0, s1, s2, rk[3]), out + 12);
}

void ZepAes::TableDecrypt(const uint8_t* in, uint8_t* out) const {
    const uint32_t* rk = decryptKeys_;
    uint32_t s0 = LoadWord(in) ^ rk[0];
    uint32_t s1 = LoadWord(in + 4) ^ rk[1];
    uint32_t s2 = LoadWord(in + 8) ^ rk[2];
    uint32_t s3 = LoadWord(in + 12) ^ rk[3];
    for (int round = 1; round < rounds_; ++round) {
        rk += 4;
        const uint32_t t0 =
            kTd0[Byte(s0, 0)] ^ kTd1[Byte(s3, 1)] ^ kTd2[Byte(s2, 2)] ^ kTd3[Byte(s1, 3)] ^ rk[0];
        const uint32_t t1 =
            kTd0[Byte(s1, 0)] ^ kTd1[Byte(s0, 1)] ^ kTd2[Byte(s3, 2)] ^ kTd3[Byte(s2, 3)] ^ rk[1];
        const uint32_t t2 =
            kTd0[Byte(s2, 0)] ^ kTd1[Byte(s1, 1)] ^ kTd2[Byte(s0, 2)] ^ kTd3[Byte(s3, 3)] ^ rk[2];
        const uint32_t t3 =
            kTd0[Byte(s3, 0)] ^ kTd1[Byte(s2, 1)] ^ kTd2[Byte(s1, 2)] ^ kTd3[Byte(s0, 3)] ^ rk[3];
        s0 = t0;
        s1 = t1;
        s2 = t2;
        s3 = t3;
    }
    rk += 4;
    const auto last = [](uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t key) {
        return Word(kInverseSBox[Byte(a, 0)], kInverseSBox[Byte(b, 1)], kInverseSBox[Byte(c, 2)],
                    kInverseSBox[Byte(d, 3)]) ^
               key;
    };
    StoreWord(last(s0, s3, s2, s1, rk[0]), out);
    StoreWord(last(s1, s0, s3, s2, rk[1]), out + 4);
    StoreWord(last(s2, s1, s0, s3, rk[2]), out + 8);
    StoreWord(last(s3, s2, s1, s0, rk[3]), out + 12);
}

// ---- ZepAesCodec -----------------------------------------------------------

uint32_t ZepAesCodec::OutputLength(uint32_t length, uint32_t flags) {
    if ((flags & kStepFlag) == 0 || !IsDirectionValid(flags)) {
        return 0;
    }
    const uint32_t block = ZepAes::kBlockSize;
    if ((flags & kForward) != 0) {
        return length > UINT32_MAX - block ? 0 : length - length % block + block;
    }
    return length == 0 || length % block != 0 ? 0 : length;
}

int ZepAesCodec::Process(const uint8_t* key, uint32_t keyBits, const uint8_t* data, uint32_t length,
                         uint8_t* output, uint32_t* outputLength, uint32_t flags) {
    if (key == nullptr || (keyBits != 128 && keyBits != 192 && keyBits != 256)) {
        return 0;
    }
    if (output == nullptr) {  // only the length: no key schedule needed
        const uint32_t produced = OutputLength(length, flags);
        if (produced == 0 || outputLength == nullptr || (length != 0 && data == nullptr)) {
            return 0;
        }
        *outputLength = produced;
        return 1;
    }
    ZepAes aes;
    if (!aes.SetKey(key, keyBits)) {
        return 0;
    }
    return Process(aes, data, length, output, outputLength, flags);
}

int ZepAesCodec::Process(const ZepAes& aes, const uint8_t* data, uint32_t length, uint8_t* output,
                         uint32_t* outputLength, uint32_t flags) {
    const uint32_t produced = OutputLength(length, flags);
    if (produced == 0 || outputLength == nullptr || (length != 0 && data == nullptr) ||
        !aes.HasKey()) {
        return 0;
    }
    if (output == nullptr) {
        *outputLength = produced;
        return 1;
    }
    const uint32_t block = ZepAes::kBlockSize;
    const uint32_t wholeBytes = length - length % block;
    if ((flags & kForward) != 0) {
        aes.EncryptBlocks(data, output, wholeBytes / block);
        uint8_t last[ZepAes::kBlockSize] = {};
        if (length > wholeBytes) {
            std::memcpy(last, data + wholeBytes, length - wholeBytes);
        }
        aes.EncryptBlock(last, output + wholeBytes);
    } else {
        aes.DecryptBlocks(data, output, wholeBytes / block);
    }
    *outputLength = produced;
    return 1;
}
