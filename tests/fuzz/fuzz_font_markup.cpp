// Texts with font markup, as chat lines, names and notices bring them: each
// is drawn into a small pixel buffer with and without wrapping, measured, and
// fitted as a caption into a box.
//
// Input: the text up to its first zero byte; the byte after it, when there
// is one, sets the buffer's width (16 + byte) for the wrapped drawing.

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "engine/CorvaneFont.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {

constexpr int kHeight = 48;
constexpr uint8_t kGuard = 0xA5;

CCorvaneFont* g_font = nullptr;
FontDesc g_start;

// Draws the text into a buffer with guard bytes around it: nothing may
// touch them.
void DrawChecked(const std::string& text, int width, bool wrap) {
    FontDesc desc = g_start;
    desc.wrap = wrap ? 1 : 0;
    g_font->SetFontDesc(desc);
    const size_t bytes = static_cast<size_t>(width) * kHeight * 4;
    std::vector<uint8_t> buffer(bytes + 64, kGuard);
    std::fill_n(buffer.begin() + 32, bytes, 0);
    g_font->DrawText(buffer.data() + 32, width, kHeight, 2, 2, text.c_str());
    for (size_t i = 0; i < 32; ++i) {
        if (buffer[i] != kGuard || buffer[32 + bytes + i] != kGuard) {
            FuzzFail("drawing text wrote outside its pixel buffer");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_font = new CCorvaneFont;
    g_font->Create();
    SetFontDescFace(g_start, "宋体");
    g_start.height = 12;
    g_start.weight = 400;
    g_start.color = 0xFFFFFF;
    g_start.alpha = 255;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* chars = reinterpret_cast<const char*>(data);
    const size_t textLength = strnlen(chars, size);
    const std::string text(chars, textLength);
    const int width = textLength + 1 < size ? 16 + data[textLength + 1] : 120;

    DrawChecked(text, 120, false);
    DrawChecked(text, width, true);

    g_font->SetFontDesc(g_start);
    int measuredWidth = 0;
    int measuredHeight = 0;
    g_font->MeasureText(0, 0, text.c_str(), &measuredWidth, &measuredHeight);
    const int height = g_font->MeasureHeight(width, text.c_str());
    FuzzNote("measured", static_cast<uint64_t>(std::min(height / 16, 8)));
    FuzzNote("scripts", g_font->GetScripts().size() < 4 ? g_font->GetScripts().size() : 4);
    FontDesc after;
    g_font->GetFontDesc(&after);
    if (after.height < 0 || after.height > kMaxFontHeight || after.alpha < 0 || after.alpha > 255) {
        FuzzFail("markup left the font's height or alpha out of range");
    }

    std::string caption = text.substr(0, 64);
    FontDesc layout = g_start;
    DrawTextToPixels(100, 30, caption, layout, 0, 0, 0);
    return 0;
}
