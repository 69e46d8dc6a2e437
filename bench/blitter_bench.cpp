// The blitter against memcpy on one 1024 x 768 32-bit picture: an opaque
// row copy, a colour-keyed copy and a per-pixel alpha blend, each drawing
// the whole picture onto a target of the same size. Compare each time with
// the memcpy of the same bytes.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/Blitter.h"
#include "engine/ImageRecord.h"

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr size_t kBytes = size_t{kWidth} * kHeight * 4;

// A picture with a few transparent pixels and varying alpha, like a skin.
struct Picture {
    std::vector<uint8_t> pixels = std::vector<uint8_t>(kBytes);
    ImageRecord record;

    explicit Picture(uint32_t flags) {
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                uint8_t* p = &pixels[(static_cast<size_t>(y) * kWidth + x) * 4];
                p[0] = static_cast<uint8_t>(x);
                p[1] = static_cast<uint8_t>(y);
                p[2] = static_cast<uint8_t>(x ^ y);
                p[3] = (x % 64 < 8) ? 0 : static_cast<uint8_t>(128 + (x + y) % 128);
            }
        }
        record.width = kWidth;
        record.height = kHeight;
        record.pixels = pixels.data();
        record.byteSize = kBytes;
        record.frameCount = 1;
        record.framesPerRow = 1;
        record.flags = flags;
        record.colorKey = kDefaultColorKey;
    }
};

struct Target {
    std::vector<uint8_t> pixels = std::vector<uint8_t>(kBytes, 0x40);
    TargetSurface Surface() { return TargetSurface{pixels.data(), kWidth, kHeight, 32, 0xFF00FF}; }
};

void Blit(benchmark::State& state, uint32_t pictureFlags) {
    Picture picture(pictureFlags);
    Target target;
    const TargetSurface surface = target.Surface();
    for (auto _ : state) {
        SpriteParams params;
        params.centreX = kWidth / 2;
        params.centreY = kHeight / 2;
        params.width = kWidth;
        params.height = kHeight;
        DrawSprite(surface, params, picture.record, 0, 0, kWidth, kHeight, 1.0, kNoTint);
        benchmark::DoNotOptimize(target.pixels.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(kBytes));
}

void BM_Memcpy(benchmark::State& state) {
    Picture picture(0);
    Target target;
    for (auto _ : state) {
        std::memcpy(target.pixels.data(), picture.pixels.data(), kBytes);
        benchmark::DoNotOptimize(target.pixels.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(kBytes));
}

void BM_OpaqueBlit(benchmark::State& state) {
    Blit(state, 0);
}

void BM_KeyedBlit(benchmark::State& state) {
    Blit(state, kImageHasKey);
}

void BM_AlphaBlit(benchmark::State& state) {
    Blit(state, kImageAlpha | kImageHasKey);
}

}  // namespace

BENCHMARK(BM_Memcpy);
BENCHMARK(BM_OpaqueBlit);
BENCHMARK(BM_KeyedBlit);
BENCHMARK(BM_AlphaBlit);
