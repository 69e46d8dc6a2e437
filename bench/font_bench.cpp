// Text drawing cost: a chat line of mixed Chinese and Latin text drawn into
// a canvas-sized buffer, the same line with markup that switches size and
// colour, and the measuring of a wrapped paragraph. Compare the draw with
// the measure to see what glyph rendering and blending add to the layout.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/CorvaneFont.h"

namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 120;

const char* const kChatLine = "[系统] 玩家Player001 胡了清一色，赢得 12000 银子！";
const char* const kMarkupLine =
    "<c=255>[系统]</color> 玩家<bold>Player001</bold> 胡了<size=20>清一色</size>，赢得 "
    "<rgb=0,128,255>12000</color> 银子！";

FontDesc ChatFont() {
    FontDesc desc;
    SetFontDescFace(desc, "宋体");
    desc.color = 0xFFFFFF;
    desc.height = 14;
    desc.weight = 400;
    desc.wrap = 1;
    desc.alpha = 255;
    return desc;
}

void BM_DrawChatLine(benchmark::State& state, const char* text) {
    CCorvaneFont font;
    const FontDesc desc = ChatFont();
    std::vector<uint8_t> pixels(size_t{kWidth} * kHeight * 4, 0);
    for (auto _ : state) {
        font.SetFontDesc(desc);
        font.DrawText(pixels.data(), kWidth, kHeight, 0, 0, text);
        benchmark::DoNotOptimize(pixels.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK_CAPTURE(BM_DrawChatLine, plain, kChatLine);
BENCHMARK_CAPTURE(BM_DrawChatLine, markup, kMarkupLine);

void BM_MeasureParagraph(benchmark::State& state) {
    CCorvaneFont font;
    const FontDesc desc = ChatFont();
    std::string paragraph;
    for (int i = 0; i < 8; ++i) {
        paragraph += kChatLine;
    }
    for (auto _ : state) {
        font.SetFontDesc(desc);
        benchmark::DoNotOptimize(font.MeasureHeight(kWidth, paragraph.c_str()));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MeasureParagraph);

}  // namespace
