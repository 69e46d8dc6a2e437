#pragma once
// Letters a caption in the game's own font: the face the game's texts ask
// for ("宋体"), as the platform's font layer resolves it (Font.h), so the
// skin's words look like the words the game draws beside them.
//
// Rules:
//  - The caption is fitted: the largest character height, at most the
//    height asked, at which its inked part fits the box; bold from 16
//    pixels up, where a bold stroke stays open.
//  - Coverage is kept in five steps (0, 64, 128, 191, 255), so a caption
//    over a few flat colours adds few colours to a picture (a GIF holds 256).
//  - The same caption, box and installed font give the same coverage.

#include <cstdint>
#include <string_view>
#include <vector>

namespace regional_skin {

// The inked box of a lettered caption: width x height coverage bytes, top
// row first.
struct Lettering {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> coverage;

    bool Empty() const { return width == 0 || height == 0; }
    uint8_t At(int x, int y) const { return coverage[static_cast<size_t>(y) * width + x]; }
};

// The characters of a GBK text: a lead byte (0x81 up) with its trail, or a
// single byte.
std::vector<std::string_view> GbkCharacters(std::string_view gbk);

// The caption (GBK) fitted to maxWidth x maxHeight; empty when it does not
// fit at the smallest legible height (9 pixels) or draws nothing.
Lettering LetterCaption(std::string_view gbk, int maxWidth, int maxHeight);

}  // namespace regional_skin
