// Throughput of the message transform and of the AES codec.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "zep/ZepAes.h"
#include "zep/ZepByteBuffer.h"
#include "zep/ZepTransform.h"

namespace {

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
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

void BM_TransformCipherOnly(benchmark::State& state) {
    RoundTrip(state, 0);
}
void BM_TransformCompressAndCipher(benchmark::State& state) {
    RoundTrip(state, 0x400);
}

void BM_AesEncipher(benchmark::State& state) {
    const std::vector<uint8_t> data = Message(static_cast<size_t>(state.range(0)));
    std::vector<uint8_t> out(data.size() + 16);
    uint32_t size = 0;
    for (auto _ : state) {
        ZepAesCodec::Process(kKey, static_cast<uint32_t>(state.range(1)), data.data(),
                             static_cast<uint32_t>(data.size()), out.data(), &size, 0x101);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

void BM_AesDecipher(benchmark::State& state) {
    const std::vector<uint8_t> data = Message(static_cast<size_t>(state.range(0)));
    std::vector<uint8_t> out(data.size());
    uint32_t size = 0;
    for (auto _ : state) {
        ZepAesCodec::Process(kKey, 128, data.data(), static_cast<uint32_t>(data.size()), out.data(),
                             &size, 0x102);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

}  // namespace

BENCHMARK(BM_TransformCipherOnly)->Arg(1024)->Arg(64 * 1024);
BENCHMARK(BM_TransformCompressAndCipher)->Arg(1024)->Arg(64 * 1024);
BENCHMARK(BM_AesEncipher)->Args({64 * 1024, 128})->Args({64 * 1024, 256});
BENCHMARK(BM_AesDecipher)->Arg(64 * 1024);
