// Throughput of the message transform and its steps, each side by side with
// what the machine does without it: the CRC-32 against zlib's, the AES codec
// against OpenSSL's EVP, and the zlib step against zlib on reused streams.

#include <benchmark/benchmark.h>
#include <openssl/evp.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "bench/BenchRatios.h"
#include "zep/ZepAes.h"
#include "zep/ZepByteBuffer.h"
#include "zep/ZepCrc32.h"
#include "zep/ZepTransform.h"

namespace {

constexpr int64_t kKilo = 1024;
constexpr int64_t kMega = 1024 * 1024;

std::vector<uint8_t> Message(size_t n) {
    std::vector<uint8_t> bytes(n);
    for (size_t i = 0; i < n; ++i) {
        bytes[i] = static_cast<uint8_t>("seat 3 discards 5 bamboo; "[i % 26] + (i / 509) % 5);
    }
    return bytes;
}

const uint8_t kKey[32] = {0x2b, 0x7e, 0x15, 0x16, 0x28, 0xae, 0xd2, 0xa6, 0xab, 0xf7, 0x15,
                          0x88, 0x09, 0xcf, 0x4f, 0x3c, 0x10, 0x11, 0x12, 0x13, 0x14, 0x15,
                          0x16, 0x17, 0x18, 0x19, 0x1a, 0x1b, 0x1c, 0x1d, 0x1e, 0x1f};

void CountBytes(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

// ---- Whole transform -------------------------------------------------------

// Out and back again, as a request and its reply would go.
void RoundTrip(benchmark::State& state, uint32_t compressionFlags) {
    const std::vector<uint8_t> message = Message(static_cast<size_t>(state.range(0)));
    ZepTransform transform(kKey, 128, 0x100, compressionFlags);
    for (auto _ : state) {
        ZepByteBuffer buffer;
        buffer.Append(message.data(), message.size());
        if (!transform.Transform(buffer, ZepTransform::kForward) ||
            !transform.Transform(buffer, ZepTransform::kBackward)) {
            state.SkipWithError("transform failed");
            break;
        }
        benchmark::DoNotOptimize(buffer.GetData(0));
    }
    CountBytes(state);
}

void BM_TransformCipherOnly(benchmark::State& state) {
    RoundTrip(state, 0);
}
void BM_TransformCompressAndCipher(benchmark::State& state) {
    RoundTrip(state, 0x400);
}
BENCHMARK(BM_TransformCipherOnly)->Arg(kKilo)->Arg(64 * kKilo);
BENCHMARK(BM_TransformCompressAndCipher)->Arg(kKilo)->Arg(64 * kKilo);

// ---- CRC-32 ----------------------------------------------------------------

void BM_Crc32(benchmark::State& state) {
    const std::vector<uint8_t> data = Message(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(ZepCrc32::Compute(nullptr, data.data(), data.size()));
    }
    CountBytes(state);
}

void BM_ZlibCrc32(benchmark::State& state) {
    const std::vector<uint8_t> data = Message(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(crc32_z(0, data.data(), data.size()));
    }
    CountBytes(state);
}
BENCHMARK(BM_Crc32)->Arg(kKilo)->Arg(kMega);
BENCHMARK(BM_ZlibCrc32)->Arg(kKilo)->Arg(kMega);

// ---- AES-128 ECB -----------------------------------------------------------

// The codec as the cipher step and the record files call it: a whole
// buffer, key given, per call.
void AesCodec(benchmark::State& state, uint32_t direction) {
    const std::vector<uint8_t> data = Message(static_cast<size_t>(state.range(0)));
    std::vector<uint8_t> out(data.size() + ZepAes::kBlockSize);
    uint32_t size = 0;
    for (auto _ : state) {
        if (!ZepAesCodec::Process(kKey, 128, data.data(), static_cast<uint32_t>(data.size()),
                                  out.data(), &size, ZepAesCodec::kStepFlag | direction)) {
            state.SkipWithError("codec failed");
            break;
        }
        benchmark::DoNotOptimize(out.data());
    }
    CountBytes(state);
}

void BM_AesEcbEncrypt(benchmark::State& state) {
    AesCodec(state, ZepAesCodec::kForward);
}
void BM_AesEcbDecrypt(benchmark::State& state) {
    AesCodec(state, ZepAesCodec::kBackward);
}

// OpenSSL's EVP, its context set up once, no padding.
void OpenSslEcb(benchmark::State& state, bool encrypt) {
    const std::vector<uint8_t> data = Message(static_cast<size_t>(state.range(0)));
    std::vector<uint8_t> out(data.size() + ZepAes::kBlockSize);
    EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
    EVP_CipherInit_ex(context, EVP_aes_128_ecb(), nullptr, kKey, nullptr, encrypt ? 1 : 0);
    EVP_CIPHER_CTX_set_padding(context, 0);
    int produced = 0;
    for (auto _ : state) {
        if (EVP_CipherUpdate(context, out.data(), &produced, data.data(),
                             static_cast<int>(data.size())) != 1) {
            state.SkipWithError("EVP failed");
            break;
        }
        benchmark::DoNotOptimize(out.data());
    }
    EVP_CIPHER_CTX_free(context);
    CountBytes(state);
}

void BM_OpenSslEcbEncrypt(benchmark::State& state) {
    OpenSslEcb(state, true);
}
void BM_OpenSslEcbDecrypt(benchmark::State& state) {
    OpenSslEcb(state, false);
}
BENCHMARK(BM_AesEcbEncrypt)->Arg(16 * kKilo)->Arg(kMega);
BENCHMARK(BM_AesEcbDecrypt)->Arg(16 * kKilo)->Arg(kMega);
BENCHMARK(BM_OpenSslEcbEncrypt)->Arg(16 * kKilo)->Arg(kMega);
BENCHMARK(BM_OpenSslEcbDecrypt)->Arg(16 * kKilo)->Arg(kMega);

// ---- zlib step -------------------------------------------------------------

// The compression step out and back on one message.
void BM_ZlibStepRoundTrip(benchmark::State& state) {
    const std::vector<uint8_t> message = Message(static_cast<size_t>(state.range(0)));
    ZepTransform transform(nullptr, 0, 0, ZepZlibCodec::kStepFlag);
    for (auto _ : state) {
        ZepByteBuffer buffer;
        buffer.Append(message.data(), message.size());
        if (!transform.CompressStep(buffer, ZepTransform::kForward) ||
            !transform.CompressStep(buffer, ZepTransform::kBackward)) {
            state.SkipWithError("step failed");
            break;
        }
        benchmark::DoNotOptimize(buffer.GetData(0));
    }
    CountBytes(state);
}

// zlib itself: one deflate and one inflate stream, reset per message, into
// buffers that are already there.
void BM_ZlibReusedStreamsRoundTrip(benchmark::State& state) {
    const std::vector<uint8_t> message = Message(static_cast<size_t>(state.range(0)));
    std::vector<uint8_t> packed(deflateBound(nullptr, message.size()) + 64);
    std::vector<uint8_t> plain(message.size());
    z_stream deflater{};
    z_stream inflater{};
    deflateInit(&deflater, Z_DEFAULT_COMPRESSION);
    inflateInit(&inflater);
    for (auto _ : state) {
        deflateReset(&deflater);
        deflater.next_in = const_cast<uint8_t*>(message.data());
        deflater.avail_in = static_cast<uInt>(message.size());
        deflater.next_out = packed.data();
        deflater.avail_out = static_cast<uInt>(packed.size());
        deflate(&deflater, Z_SYNC_FLUSH);
        inflateReset(&inflater);
        inflater.next_in = packed.data();
        inflater.avail_in = static_cast<uInt>(packed.size() - deflater.avail_out);
        inflater.next_out = plain.data();
        inflater.avail_out = static_cast<uInt>(plain.size());
        inflate(&inflater, Z_SYNC_FLUSH);
        benchmark::DoNotOptimize(plain.data());
    }
    deflateEnd(&deflater);
    inflateEnd(&inflater);
    CountBytes(state);
}
BENCHMARK(BM_ZlibStepRoundTrip)->Arg(kKilo);
BENCHMARK(BM_ZlibReusedStreamsRoundTrip)->Arg(kKilo);

// A message as the compression step sends it: header and deflated data.
std::vector<uint8_t> CompressedMessage(size_t n) {
    const std::vector<uint8_t> message = Message(n);
    ZepTransform transform(nullptr, 0, 0, ZepZlibCodec::kStepFlag);
    ZepByteBuffer buffer;
    buffer.Append(message.data(), message.size());
    transform.CompressStep(buffer, ZepTransform::kForward);
    return std::vector<uint8_t>(buffer.GetData(0), buffer.GetData(0) + buffer.GetSize());
}

void BM_ZlibStepInflate(benchmark::State& state) {
    const std::vector<uint8_t> sent = CompressedMessage(static_cast<size_t>(state.range(0)));
    ZepTransform transform(nullptr, 0, 0, ZepZlibCodec::kStepFlag);
    for (auto _ : state) {
        state.PauseTiming();
        ZepByteBuffer buffer;
        buffer.Append(sent.data(), sent.size());
        state.ResumeTiming();
        if (!transform.CompressStep(buffer, ZepTransform::kBackward)) {
            state.SkipWithError("step failed");
            break;
        }
        benchmark::DoNotOptimize(buffer.GetData(0));
    }
    CountBytes(state);
}

void BM_ZlibInflate(benchmark::State& state) {
    const std::vector<uint8_t> sent = CompressedMessage(static_cast<size_t>(state.range(0)));
    std::vector<uint8_t> plain(static_cast<size_t>(state.range(0)));
    z_stream inflater{};
    inflateInit(&inflater);
    for (auto _ : state) {
        inflateReset(&inflater);
        inflater.next_in = const_cast<uint8_t*>(sent.data() + ZepStepHeader::kSize);
        inflater.avail_in = static_cast<uInt>(sent.size() - ZepStepHeader::kSize);
        inflater.next_out = plain.data();
        inflater.avail_out = static_cast<uInt>(plain.size());
        inflate(&inflater, Z_SYNC_FLUSH);
        benchmark::DoNotOptimize(plain.data());
    }
    inflateEnd(&inflater);
    CountBytes(state);
}
BENCHMARK(BM_ZlibStepInflate)->Arg(kMega);
BENCHMARK(BM_ZlibInflate)->Arg(kMega);

}  // namespace

int main(int argc, char** argv) {
    return bench::RunWithRatios(
        argc, argv,
        {
            {"BM_Crc32/1024", "BM_ZlibCrc32/1024", 1.5},
            {"BM_Crc32/1048576", "BM_ZlibCrc32/1048576", 1.5},
            {"BM_AesEcbEncrypt/16384", "BM_OpenSslEcbEncrypt/16384", 2.0},
            {"BM_AesEcbEncrypt/1048576", "BM_OpenSslEcbEncrypt/1048576", 2.0},
            {"BM_AesEcbDecrypt/16384", "BM_OpenSslEcbDecrypt/16384", 2.0},
            {"BM_AesEcbDecrypt/1048576", "BM_OpenSslEcbDecrypt/1048576", 2.0},
            {"BM_ZlibStepRoundTrip/1024", "BM_ZlibReusedStreamsRoundTrip/1024", 1.5},
            {"BM_ZlibStepInflate/1048576", "BM_ZlibInflate/1048576", 1.2},
        });
}
