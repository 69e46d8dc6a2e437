#include "tools/skin/SkinLettering.h"

#include <algorithm>
#include <memory>
#include <string>

#include "platform/Font.h"

namespace regional_skin {
namespace {

constexpr char kGameFace[] = "宋体";
constexpr int kSmallestHeight = 9;
constexpr int kBoldFrom = 16;
constexpr int kSteps = 4;

// The caption drawn in cells at one height, cropped to its ink.
Lettering LetterAt(std::string_view gbk, int height) {
    platform::FontRequest request;
    request.face = kGameFace;
    request.height = height;
    request.weight = height >= kBoldFrom ? 700 : 400;
    const std::shared_ptr<const platform::Font> font = platform::OpenFont(request);
    const std::vector<std::string_view> characters = GbkCharacters(gbk);
    int width = 0;
    for (std::string_view character : characters) {
        width += font->CellWidth(character);
    }
    std::unique_ptr<platform::GlyphBitmap> line = platform::GlyphBitmap::Create(width, height);
    if (line == nullptr) {
        return {};
    }
    int x = 0;
    for (std::string_view character : characters) {
        const int cell = font->CellWidth(character);
        std::unique_ptr<platform::GlyphBitmap> glyph = platform::GlyphBitmap::Create(cell, height);
        if (glyph == nullptr) {
            return {};
        }
        font->DrawChar(character, *glyph);
        for (int y = 0; y < height; ++y) {
            for (int c = 0; c < cell; ++c) {
                line->Row(y)[x + c] = std::max(line->Row(y)[x + c], glyph->At(c, y));
            }
        }
        x += cell;
    }
    int left = width;
    int right = -1;
    int top = height;
    int bottom = -1;
    for (int y = 0; y < height; ++y) {
        for (int c = 0; c < width; ++c) {
            if (line->At(c, y) >= 255 / (2 * kSteps)) {
                left = std::min(left, c);
                right = std::max(right, c);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    if (right < left) {
        return {};
    }
    Lettering out{right - left + 1, bottom - top + 1, {}};
    out.coverage.reserve(static_cast<size_t>(out.width) * out.height);
    for (int y = top; y <= bottom; ++y) {
        for (int c = left; c <= right; ++c) {
            const int step = (line->At(c, y) * kSteps + 127) / 255;
            out.coverage.push_back(static_cast<uint8_t>(step * 255 / kSteps));
        }
    }
    return out;
}

}  // namespace

std::vector<std::string_view> GbkCharacters(std::string_view gbk) {
    std::vector<std::string_view> characters;
    while (!gbk.empty()) {
        const size_t length = static_cast<uint8_t>(gbk[0]) >= 0x81 && gbk.size() >= 2 ? 2 : 1;
        characters.push_back(gbk.substr(0, length));
        gbk.remove_prefix(length);
    }
    return characters;
}

Lettering LetterCaption(std::string_view gbk, int maxWidth, int maxHeight) {
    if (gbk.empty() || maxWidth <= 0 || maxHeight < kSmallestHeight) {
        return {};
    }
    // A character's ink is a little shorter than its cell: start a fifth
    // above the box and come down until the ink fits.
    const int from = std::min(maxHeight + maxHeight / 5 + 1, platform::kMaxFontHeight);
    for (int height = from; height >= kSmallestHeight; --height) {
        Lettering lettering = LetterAt(gbk, height);
        if (!lettering.Empty() && lettering.width <= maxWidth && lettering.height <= maxHeight) {
            return lettering;
        }
    }
    return {};
}

}  // namespace regional_skin
