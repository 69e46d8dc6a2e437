#include "tools/skin/SkinDrawing.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "tools/skin/SkinColours.h"
#include "tools/skin/SkinLettering.h"
#include "tools/skin/SkinTextGrounds.h"

namespace regional_skin {
namespace {

constexpr uint32_t kIvory = Rgb(0xf2, 0xea, 0xd2);
constexpr uint32_t kInk = Rgb(0x24, 0x20, 0x1c);
constexpr uint32_t kCharacterRed = Rgb(0xc0, 0x22, 0x22);
constexpr uint32_t kBambooGreen = Rgb(0x1e, 0x7e, 0x34);
constexpr uint32_t kDotBlue = Rgb(0x1c, 0x44, 0xb8);
constexpr uint32_t kFlowerRose = Rgb(0xc4, 0x3c, 0x8a);
constexpr uint32_t kCaption = Rgb(0xfa, 0xf2, 0xe0);
constexpr uint32_t kShadow = Rgb(0x18, 0x14, 0x10);
constexpr uint32_t kGold = Rgb(0xf0, 0xc4, 0x40);
constexpr uint32_t kFelt = Rgb(0x1e, 0x6a, 0x3c);  // the table's cloth

// A colour no tile key colour and not the colour key: what every pixel
// other than a face's frame and a back's fill is drawn in.
uint32_t Safe(uint32_t colour) {
    while (IsTileKeyColour(colour) || colour == kClear) {
        colour = (colour & 0x00ffff) | ((((colour >> 16) + 8) & 0xff) << 16);
    }
    return colour;
}

uint32_t Shade(uint32_t colour, int delta) {
    uint32_t out = 0;
    for (int shift : {0, 8, 16}) {
        const int c = std::clamp(static_cast<int>((colour >> shift) & 0xff) + delta, 0, 255);
        out |= static_cast<uint32_t>(c) << shift;
    }
    return out;
}

uint32_t NameHash(std::string_view name) {
    uint32_t hash = 2166136261u;
    for (char c : name) {
        hash = (hash ^ static_cast<uint8_t>(c)) * 16777619u;
    }
    return hash;
}

// 5 x 7 glyphs of the digits and the honours' letters, bit 4 the left column.
struct Glyph {
    char c;
    std::array<uint8_t, 7> rows;
};
constexpr Glyph kGlyphs[] = {
    {'0', {0x0e, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0e}},
    {'1', {0x04, 0x0c, 0x04, 0x04, 0x04, 0x04, 0x0e}},
    {'2', {0x0e, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1f}},
    {'3', {0x1f, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0e}},
    {'4', {0x02, 0x06, 0x0a, 0x12, 0x1f, 0x02, 0x02}},
    {'5', {0x1f, 0x10, 0x1e, 0x01, 0x01, 0x11, 0x0e}},
    {'6', {0x06, 0x08, 0x10, 0x1e, 0x11, 0x11, 0x0e}},
    {'7', {0x1f, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0e, 0x11, 0x11, 0x0e, 0x11, 0x11, 0x0e}},
    {'9', {0x0e, 0x11, 0x11, 0x0f, 0x01, 0x02, 0x0c}},
    {'C', {0x0e, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0e}},
    {'E', {0x1f, 0x10, 0x10, 0x1e, 0x10, 0x10, 0x1f}},
    {'F', {0x1f, 0x10, 0x10, 0x1e, 0x10, 0x10, 0x10}},
    {'N', {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}},
    {'P', {0x1e, 0x11, 0x11, 0x1e, 0x10, 0x10, 0x10}},
    {'S', {0x0f, 0x10, 0x10, 0x0e, 0x01, 0x01, 0x1e}},
    {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0a}},
};

// The characters' suit sign, 7 x 7, bit 6 the left column, and as narrow
// as a numeral, 5 x 7.
constexpr std::array<uint8_t, 7> kWanSign = {0x7f, 0x10, 0x1f, 0x11, 0x21, 0x21, 0x46};
constexpr std::array<uint8_t, 7> kNarrowWanSign = {0x1f, 0x08, 0x0f, 0x09, 0x09, 0x11, 0x13};
// The bamboo suit's sign: a stalk with its joints, 5 x 7.
constexpr std::array<uint8_t, 7> kBambooSign = {0x0e, 0x04, 0x0e, 0x04, 0x0e, 0x04, 0x0e};

const Glyph* FindGlyph(char c) {
    for (const Glyph& glyph : kGlyphs) {
        if (glyph.c == c) {
            return &glyph;
        }
    }
    return nullptr;
}

class Canvas {
public:
    Canvas(int width, int height, uint32_t fill)
        : image_{width, height,
                 std::vector<uint32_t>(static_cast<size_t>(width) * height, Safe(fill))} {}

    int Width() const { return image_.width; }
    int Height() const { return image_.height; }
    Image Take() { return std::move(image_); }

    // Sets a pixel as given: only tiles' key colours come here unchecked.
    void PutKey(int x, int y, uint32_t colour) {
        if (x >= 0 && y >= 0 && x < image_.width && y < image_.height) {
            image_.pixels[static_cast<size_t>(y) * image_.width + x] = colour;
        }
    }
    void Put(int x, int y, uint32_t colour) { PutKey(x, y, Safe(colour)); }

    void Fill(int x, int y, int w, int h, uint32_t colour) {
        const uint32_t c = Safe(colour);
        for (int yy = y; yy < y + h; ++yy) {
            for (int xx = x; xx < x + w; ++xx) {
                PutKey(xx, yy, c);
            }
        }
    }
    void Outline(int x, int y, int w, int h, uint32_t colour) {
        Fill(x, y, w, 1, colour);
        Fill(x, y + h - 1, w, 1, colour);
        Fill(x, y, 1, h, colour);
        Fill(x + w - 1, y, 1, h, colour);
    }
    // A raised panel edge: light top and left, dark bottom and right.
    void Bevel(uint32_t base, int depth) {
        const int w = Width();
        const int h = Height();
        Fill(0, 0, w, 1, Shade(base, depth));
        Fill(0, 0, 1, h, Shade(base, depth));
        Fill(0, h - 1, w, 1, Shade(base, -depth));
        Fill(w - 1, 0, 1, h, Shade(base, -depth));
    }
    void Disc(int cx, int cy, int r, uint32_t colour) {
        for (int y = -r; y <= r; ++y) {
            for (int x = -r; x <= r; ++x) {
                if (x * x + y * y <= r * r + r) {
                    Put(cx + x, cy + y, colour);
                }
            }
        }
    }
    void Ring(int cx, int cy, int r, int thickness, uint32_t colour) {
        const int inner = std::max(0, r - thickness);
        for (int y = -r; y <= r; ++y) {
            for (int x = -r; x <= r; ++x) {
                const int d = x * x + y * y;
                if (d <= r * r + r && d > inner * inner + inner) {
                    Put(cx + x, cy + y, colour);
                }
            }
        }
    }
    // A bitmap of rows (bit width-1 the left column) at a scale.
    void Bitmap(std::span<const uint8_t> rows, int bits, int x, int y, int scale, uint32_t colour) {
        Bitmap(rows, bits, x, y, scale, scale, colour);
    }
    // A bitmap whose cells are cellW x cellH pixels.
    void Bitmap(std::span<const uint8_t> rows, int bits, int x, int y, int cellW, int cellH,
                uint32_t colour) {
        for (size_t row = 0; row < rows.size(); ++row) {
            for (int col = 0; col < bits; ++col) {
                if ((rows[row] >> (bits - 1 - col)) & 1) {
                    Fill(x + col * cellW, y + static_cast<int>(row) * cellH, cellW, cellH, colour);
                }
            }
        }
    }
    // Mixes the colour into a pixel by alpha (0-255).
    void Blend(int x, int y, uint32_t colour, int alpha) {
        if (x < 0 || y < 0 || x >= image_.width || y >= image_.height || alpha <= 0) {
            return;
        }
        Put(x, y, Mix(image_.pixels[static_cast<size_t>(y) * image_.width + x], colour, alpha));
    }
    void Letters(const Lettering& lettering, int x, int y, uint32_t colour) {
        for (int row = 0; row < lettering.height; ++row) {
            for (int col = 0; col < lettering.width; ++col) {
                Blend(x + col, y + row, colour, lettering.At(col, row));
            }
        }
    }
    void Text(std::string_view text, int x, int y, int scale, uint32_t colour) {
        for (char c : text) {
            if (const Glyph* glyph = FindGlyph(c)) {
                Bitmap(glyph->rows, 5, x, y, scale, colour);
            }
            x += 6 * scale;
        }
    }

private:
    Image image_;
};

int TextWidth(std::string_view text, int scale) {
    return text.empty() ? 0 : (6 * static_cast<int>(text.size()) - 1) * scale;
}

// The largest scale (at most maxScale, at least 1) at which the text fits.
int FitScale(std::string_view text, int width, int height, int maxScale) {
    int scale = maxScale;
    while (scale > 1 && (TextWidth(text, scale) > width || 7 * scale > height)) {
        --scale;
    }
    return scale;
}

void CentredText(Canvas& canvas, std::string_view text, int scale, int dx, int dy, uint32_t colour,
                 bool shadow) {
    const int x = (canvas.Width() - TextWidth(text, scale)) / 2 + dx;
    const int y = (canvas.Height() - 7 * scale) / 2 + dy;
    if (shadow) {
        canvas.Text(text, x + 1, y + 1, scale, kShadow);
    }
    canvas.Text(text, x, y, scale, colour);
}

// --- Tiles ---

// A dots face: as many dots as its value, in the tiles' patterns on a three
// by three grid (turned a quarter on a lying tile), each dot clear of the
// next, so that no dot reads as a numeral's "0" beside the digits.
void DrawDots(Canvas& canvas, int value) {
    // Grid cells (column, row) of each value's dots.
    static constexpr int kDots[10][9][2] = {
        {},
        {{1, 1}},
        {{1, 0}, {1, 2}},
        {{0, 0}, {1, 1}, {2, 2}},
        {{0, 0}, {2, 0}, {0, 2}, {2, 2}},
        {{0, 0}, {2, 0}, {1, 1}, {0, 2}, {2, 2}},
        {{0, 0}, {2, 0}, {0, 1}, {2, 1}, {0, 2}, {2, 2}},
        {{0, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1}, {0, 2}, {2, 2}},
        {{0, 0}, {1, 0}, {2, 0}, {0, 1}, {2, 1}, {0, 2}, {1, 2}, {2, 2}},
        {{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1}, {0, 2}, {1, 2}, {2, 2}},
    };
    const int w = canvas.Width();
    const int h = canvas.Height();
    const bool lying = w > h;
    // Inside the frame, a pixel clear of it, and above the lower edge's shade.
    const int left = 2;
    const int top = 2;
    const int innerW = w - 4;
    const int innerH = h - (h >= 24 ? 5 : 4);
    const int cellW = std::max(1, innerW / 3);
    const int cellH = std::max(1, innerH / 3);
    const int r = std::max(1, (std::min(cellW, cellH) - 2) / 2);
    const int v = std::clamp(value, 1, 9);
    for (int i = 0; i < v; ++i) {
        const int col = lying ? kDots[v][i][1] : kDots[v][i][0];
        const int row = lying ? 2 - kDots[v][i][0] : kDots[v][i][1];
        const int cx = left + (innerW - 3 * cellW) / 2 + cellW * col + cellW / 2;
        const int cy = top + (innerH - 3 * cellH) / 2 + cellH * row + cellH / 2;
        const int radius = v == 1 ? std::max(r, std::min(innerW, innerH) / 3) : r;
        canvas.Disc(cx, cy, radius, kDotBlue);
        if (radius >= 4) {
            canvas.Disc(cx, cy, radius / 3, kCharacterRed);
        }
    }
}

// The scales of a face's numeral and of its suit sign (7 x 7), stacked on a
// standing face and side by side on a lying one: the numeral as large as the
// face allows, the sign as large or a step smaller, both a tenth of the
// width clear of either side, so that a numeral squeezed against the frame
// never reads as another one.
std::pair<int, int> FaceScales(int w, int h, bool portrait) {
    const int room = w - w / 5;
    for (int n = std::max(1, h / 7); n > 1; --n) {
        for (int s = n; s >= n - 1; --s) {
            const bool fits = portrait ? 5 * n <= room && 7 * s <= room && 7 * n + 8 * s <= h - 5
                                       : 5 * n + 8 * s <= room && 7 * n <= h - 4;
            if (fits) {
                return {n, s};
            }
        }
    }
    return {1, 1};
}

// The sheets of the melds, the discards and the face-up wall tiles
// ("_middle") are stretched into the table's places whatever their shape: a
// side seat's meld tile is as little as kLeastMeldSide pixels high, the top
// seat's as little across, and the engine squeezes a sheet's faces to that by
// nearest neighbour, dropping whole rows or columns. A suited face of those
// sheets sets its numeral and a narrow sign (5 x 7 each) side by side, a
// cell apart, in cells at least 1/kLeastMeldSide of the face's width and
// height, so that every cell, gap and margin keeps a line through the
// squeeze: lying or standing, the tile shows its whole numeral and sign.
constexpr int kLeastMeldSide = 16;

bool IsSqueezedSheet(std::string_view name) {
    return name.find("_middle") != std::string_view::npos;
}

void DrawSqueezableFace(Canvas& canvas, int frame) {
    const int w = canvas.Width();
    const int h = canvas.Height();
    // Eleven cells across inside margins of a tenth of the width; rows as
    // tall, or taller where the squeeze down to kLeastMeldSide needs it.
    const int cellW = std::max(1, (w - 2 * (w / 10)) / 11);
    const int cellH = std::clamp(std::max(cellW, (h + kLeastMeldSide - 1) / kLeastMeldSide), 1,
                                 std::max(1, (h - 4) / 7));
    const int x = (w - 11 * cellW) / 2;
    const int y = 1 + (h - 4 - 7 * cellH) / 2;  // above the lower edge's shade
    const bool characters = frame / 9 == 2;
    canvas.Bitmap(FindGlyph(static_cast<char>('1' + frame % 9))->rows, 5, x, y, cellW, cellH,
                  characters ? kInk : kBambooGreen);
    canvas.Bitmap(characters ? kNarrowWanSign : kBambooSign, 5, x + 6 * cellW, y, cellW, cellH,
                  characters ? kCharacterRed : kBambooGreen);
}

// The numeral or letter and the suit sign of a face frame.
void DrawFaceContent(Canvas& canvas, int frame, bool squeezed) {
    const int w = canvas.Width();
    const int h = canvas.Height();
    if (squeezed && frame < 27 && frame / 9 != 1) {
        DrawSqueezableFace(canvas, frame);
        return;
    }
    const bool portrait = h >= w;
    const auto [scale, signScale] = FaceScales(w, h, portrait);
    // The numeral's 5 x 7 cell, a gap of signScale, the sign's 7 x 7 cell.
    const int cell = 7 * signScale;
    int x0 = 0;
    int y0 = 0;
    int x1 = 0;
    int y1 = 0;
    if (portrait) {
        x0 = (w - 5 * scale) / 2;
        y0 = (h - 5 - (7 * scale + signScale + cell)) / 2 + 1;
        x1 = (w - cell) / 2;
        y1 = y0 + 7 * scale + signScale;
    } else {
        x0 = (w - (5 * scale + signScale + cell)) / 2;
        y0 = (h - 7 * scale) / 2;
        x1 = x0 + 5 * scale + signScale;
        y1 = (h - cell) / 2;
    }
    auto numeral = [&](char c, uint32_t colour) {
        if (const Glyph* glyph = FindGlyph(c)) {
            canvas.Bitmap(glyph->rows, 5, x0, y0, scale, colour);
        }
    };
    if (frame < 27) {
        const int suit = frame / 9;
        const char value = static_cast<char>('1' + frame % 9);
        // The suits in the order the project names them: bamboo, dots,
        // characters.
        if (suit == 2) {
            numeral(value, kInk);
            canvas.Bitmap(kWanSign, 7, x1, y1, signScale, kCharacterRed);
        } else if (suit == 0) {
            numeral(value, kBambooGreen);
            canvas.Bitmap(kBambooSign, 5, x1 + signScale, y1, signScale, kBambooGreen);
        } else {
            DrawDots(canvas, frame % 9 + 1);
        }
        return;
    }
    if (frame < 34) {
        // East, south, west, north, then the red, green and white dragons.
        static constexpr char kHonour[] = "ESWNCFP";
        static constexpr uint32_t kHonourInk[] = {kInk,          kInk,         kInk,    kInk,
                                                  kCharacterRed, kBambooGreen, kDotBlue};
        const int k = frame - 27;
        const Glyph* glyph = FindGlyph(kHonour[k]);
        const int x = (w - 5 * scale) / 2;
        const int y = (h - 7 * scale) / 2;
        canvas.Bitmap(glyph->rows, 5, x, y, scale, kHonourInk[k]);
        if (k == 6) {
            canvas.Outline(x - scale, y - scale, 7 * scale, 9 * scale, kDotBlue);
        }
        return;
    }
    // Flowers: their number and a four-petal flower.
    numeral(static_cast<char>('1' + std::min(frame - 34, 8)), kFlowerRose);
    const int cx = x1 + cell / 2;
    const int cy = y1 + cell / 2;
    const int r = std::max(1, cell / 5);
    canvas.Disc(cx - r, cy, r, kFlowerRose);
    canvas.Disc(cx + r, cy, r, kFlowerRose);
    canvas.Disc(cx, cy - r, r, kFlowerRose);
    canvas.Disc(cx, cy + r, r, kFlowerRose);
    canvas.Disc(cx, cy, std::max(0, r / 2), kGold);
}

Image DrawFace(const Picture& picture, int frame) {
    Canvas canvas(picture.width, picture.height, kIvory);
    // The tile's body: a shade at its lower edge when there is room.
    if (picture.height >= 24) {
        canvas.Fill(1, picture.height - 3, picture.width - 2, 2, Shade(kIvory, -28));
    }
    DrawFaceContent(canvas, frame, IsSqueezedSheet(picture.name));
    const uint32_t key = FaceColour(frame);
    for (int x = 0; x < picture.width; ++x) {
        canvas.PutKey(x, 0, key);
        canvas.PutKey(x, picture.height - 1, key);
    }
    for (int y = 0; y < picture.height; ++y) {
        canvas.PutKey(0, y, key);
        canvas.PutKey(picture.width - 1, y, key);
    }
    return canvas.Take();
}

Image DrawBack(const Picture& picture) {
    Canvas canvas(picture.width, picture.height, kIvory);
    const uint32_t fill = BackColour(picture.look);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            canvas.PutKey(x, y, fill);
        }
    }
    // A lighter inset line, where the back is big enough to carry it.
    if (picture.width >= 10 && picture.height >= 10) {
        canvas.Outline(3, 3, picture.width - 6, picture.height - 6, Shade(fill, 48));
    }
    return canvas.Take();
}

// --- Other pictures ---

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// The picture's caption lettered within its edges and centred, over a
// shadow one pixel down and right when one is given. On a tall picture the
// words take two thirds of its height, leaving it room around them.
void CentredCaption(Canvas& canvas, const Picture& picture, int margin, int push, uint32_t colour,
                    bool shadow) {
    const int h = canvas.Height();
    const Lettering lettering = LetterCaption(picture.caption, canvas.Width() - 2 * margin,
                                              h >= 36 ? h * 2 / 3 : h - 2 * margin);
    if (lettering.Empty()) {
        return;
    }
    const int x = (canvas.Width() - lettering.width) / 2 + push;
    const int y = (canvas.Height() - lettering.height) / 2 + push;
    if (shadow) {
        canvas.Letters(lettering, x + 1, y + 1, kShadow);
    }
    canvas.Letters(lettering, x, y, colour);
}

uint32_t PanelBase(std::string_view name) {
    static constexpr uint32_t kBases[] = {
        Rgb(0x5a, 0x3c, 0x24),  // walnut
        Rgb(0x2c, 0x3e, 0x58),  // slate
        Rgb(0x1f, 0x5a, 0x56),  // teal
        Rgb(0x5c, 0x2a, 0x38),  // wine
    };
    return kBases[NameHash(name) % std::size(kBases)];
}

// The arrow of a scroll bar's step button, pointing the way its name says.
void DrawScrollArrow(Canvas& canvas, std::string_view name, uint32_t colour) {
    static constexpr std::pair<std::string_view, int> kWays[] = {
        {"UpBtn", 0}, {"DownBtn", 1}, {"LeftBtn", 2}, {"RightBtn", 3}};
    for (const auto& [suffix, way] : kWays) {
        if (!name.ends_with(suffix)) {
            continue;
        }
        const int half = std::max(1, std::min(canvas.Width(), canvas.Height()) / 3);
        const int cx = canvas.Width() / 2;
        const int cy = canvas.Height() / 2;
        for (int i = 0; i < half; ++i) {
            // Row i of the triangle, from its tip.
            const int along = way == 0 || way == 2 ? -half / 2 + i : half / 2 - i;
            if (way < 2) {
                canvas.Fill(cx - i, cy + along, 2 * i + 1, 1, colour);
            } else {
                canvas.Fill(cx + along, cy - i, 1, 2 * i + 1, colour);
            }
        }
    }
}

// --- Scroll bars ---
//
// The toolkit's scroll bar: a track along the bar, a thumb on it with a grip
// on its middle, and an arrow button beyond each end of the track. Track
// and thumb are stretched along the bar but for a few pixels at each end
// (PictureSlices), so their pictures are alike all along but for those
// ends; the grip lies on the thumb's face between its long edges, so the
// bar shows one track, one thumb and two arrows, in two colours.

constexpr uint32_t kScrollGroove = Rgb(0x24, 0x30, 0x3e);
constexpr uint32_t kScrollFace = Rgb(0x74, 0x88, 0xa0);
constexpr int kScrollBevel = 30;
constexpr int kScrollEnd = 3;  // the fixed end pieces of track and thumb

// The bars' pictures and the corner between a list's two bars.
bool IsScrollPart(std::string_view name) {
    return StartsWith(name, "ScrollBar_") || name == "滚动角";
}

// The stretched pictures: the tracks ("...Back") and the thumbs (the bar's
// "...Btn", not its arrow buttons).
bool IsStretchedScrollPart(std::string_view name) {
    return name == "ScrollBar_VertBack" || name == "ScrollBar_VertBtn" ||
           name == "ScrollBar_HorzBack" || name == "ScrollBar_HorzBtn";
}

// The scroll bar's pictures. The thumb's and the arrows' looks (normal,
// pointed at, pressed, disabled) keep one face colour but for the disabled
// one, so the grip matches the thumb in every look.
Image DrawScrollPart(const Picture& picture, int frame) {
    const std::string_view name = picture.name;
    const int w = picture.width;
    const int h = picture.height;
    if (name.ends_with("Back") || name == "滚动角") {
        // The track: a groove sunk into the panel (the corner between two
        // bars alike).
        Canvas canvas(w, h, kScrollGroove);
        canvas.Bevel(kScrollGroove, -16);
        return canvas.Take();
    }
    if (name.ends_with("Pattern")) {
        // The grip: ridges across the thumb's face, between its long edges
        // (lit on the left or top, dark on the right or bottom).
        Canvas canvas(w, h, kScrollFace);
        const bool across = name.find("Horz") == std::string_view::npos;  // a vertical bar's
        const int length = across ? h : w;
        const int breadth = across ? w : h;
        for (int along = length / 2 - 3; along <= length / 2 + 1; along += 2) {
            for (int at = 3; at < breadth - 3; ++at) {
                const int x1 = across ? at : along;
                const int y1 = across ? along : at;
                canvas.Put(x1, y1, Shade(kScrollFace, 40));
                canvas.Put(across ? x1 : x1 + 1, across ? y1 + 1 : y1, Shade(kScrollFace, -40));
            }
        }
        if (across) {
            canvas.Fill(0, 0, 1, h, Shade(kScrollFace, kScrollBevel));
            canvas.Fill(w - 1, 0, 1, h, Shade(kScrollFace, -kScrollBevel));
        } else {
            canvas.Fill(0, 0, w, 1, Shade(kScrollFace, kScrollBevel));
            canvas.Fill(0, h - 1, w, 1, Shade(kScrollFace, -kScrollBevel));
        }
        return canvas.Take();
    }
    // The thumb and the arrow buttons: raised, sunk when pressed, an inner
    // light line when pointed at.
    const bool disabled = frame == 3;
    const uint32_t face = disabled ? Rgb(0x78, 0x78, 0x74) : kScrollFace;
    Canvas canvas(w, h, face);
    canvas.Bevel(face, frame == 2 ? -kScrollBevel : kScrollBevel);
    if (frame == 1 && w > 4 && h > 4) {
        canvas.Outline(1, 1, w - 2, h - 2, Shade(face, 18));
    }
    DrawScrollArrow(canvas, name, disabled ? Rgb(0xb4, 0xb4, 0xb0) : kCaption);
    return canvas.Take();
}

// A button of four looks: normal, pointed at, pressed, disabled.
Image DrawButton(const Picture& picture, int frame) {
    const uint32_t base = PanelBase(picture.name);
    static constexpr int kLift[] = {0, 28, -24, 0};
    const bool disabled = frame == 3;
    const uint32_t face = disabled ? Rgb(0x78, 0x78, 0x74) : Shade(base, kLift[frame % 4]);
    Canvas canvas(picture.width, picture.height, face);
    canvas.Bevel(face, frame == 2 ? -30 : 30);
    DrawScrollArrow(canvas, picture.name, disabled ? Rgb(0xb4, 0xb4, 0xb0) : kCaption);
    CentredCaption(canvas, picture, 3, frame == 2 ? 1 : 0,
                   disabled ? Rgb(0xb4, 0xb4, 0xb0) : kCaption, !disabled);
    return canvas.Take();
}

Image DrawDigit(const Picture& picture, int value) {
    Canvas canvas(picture.width, picture.height, Rgb(0x22, 0x1a, 0x12));
    const std::string text(1, static_cast<char>('0' + value % 10));
    const int scale = FitScale(text, picture.width - 2, picture.height - 2, 8);
    CentredText(canvas, text, scale, 0, 0, kGold, false);
    return canvas.Take();
}

// A die showing a value; roll frames turn the pips a quarter.
Image DrawDie(const Picture& picture, int value, int frame) {
    Canvas canvas(picture.width, picture.height, Rgb(0x30, 0x5a, 0x38));
    const int size = std::min(picture.width, picture.height) - 2;
    const int left = (picture.width - size) / 2;
    const int top = (picture.height - size) / 2;
    canvas.Fill(left, top, size, size, Rgb(0xf8, 0xf6, 0xee));
    canvas.Outline(left, top, size, size, Rgb(0x8c, 0x88, 0x80));
    static constexpr int kPips[7][6][2] = {
        {},
        {{1, 1}},
        {{0, 0}, {2, 2}},
        {{0, 0}, {1, 1}, {2, 2}},
        {{0, 0}, {2, 0}, {0, 2}, {2, 2}},
        {{0, 0}, {2, 0}, {1, 1}, {0, 2}, {2, 2}},
        {{0, 0}, {2, 0}, {0, 1}, {2, 1}, {0, 2}, {2, 2}},
    };
    const int v = std::clamp(value, 1, 6);
    const int r = std::max(1, size / 10);
    const uint32_t ink = v == 1 || v == 4 ? kCharacterRed : kInk;
    for (int i = 0; i < v; ++i) {
        int px = kPips[v][i][0];
        int py = kPips[v][i][1];
        if (frame % 2 == 1) {
            std::swap(px, py);
            px = 2 - px;
        }
        canvas.Disc(left + size * (1 + 2 * px) / 6, top + size * (1 + 2 * py) / 6, r, ink);
    }
    return canvas.Take();
}

// The table's cloth: green felt with a fine weave.
Image DrawCloth(const Picture& picture) {
    Canvas canvas(picture.width, picture.height, kFelt);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            if ((x + y) % 4 == 0) {
                canvas.Put(x, y, Shade(kFelt, 10));
            } else if ((x + 2 * y) % 7 == 0) {
                canvas.Put(x, y, Shade(kFelt, -8));
            }
        }
    }
    return canvas.Take();
}

// An emoticon: a round face whose mouth and eyes follow from its name. A
// chat emoticon ("kof") stands on a transparent ground, so that a chat line
// or a dark bubble shows round it their own ground, not a light square.
Image DrawEmoticon(const Picture& picture) {
    Canvas canvas(picture.width, picture.height, Rgb(0xee, 0xe6, 0xd6));
    const int size = std::min(picture.width, picture.height);
    const int cx = picture.width / 2;
    const int cy = picture.height / 2;
    const int r = size / 2 - 1;
    if (StartsWith(picture.name, "kof")) {
        for (int y = 0; y < picture.height; ++y) {
            for (int x = 0; x < picture.width; ++x) {
                canvas.PutKey(x, y, kClear);
            }
        }
    }
    canvas.Disc(cx, cy, r, Rgb(0xf4, 0xc6, 0x30));
    canvas.Ring(cx, cy, r, 1, Rgb(0xa0, 0x70, 0x10));
    const uint32_t hash = NameHash(picture.name);
    const int eye = std::max(1, r / 5);
    canvas.Disc(cx - r / 3, cy - r / 4, eye - (hash & 1), kInk);
    canvas.Disc(cx + r / 3, cy - r / 4, eye - (hash & 1), kInk);
    const int mouthY = cy + r / 3;
    const int half = r / 2;
    for (int x = -half; x <= half; ++x) {
        const int bend = (x * x * 2) / std::max(1, r);
        const int y = (hash >> 1) % 3 == 0   ? mouthY + bend - half / 2  // a frown
                      : (hash >> 1) % 3 == 1 ? mouthY                    // a flat mouth
                                             : mouthY - bend + half / 2;
        canvas.Put(cx + x, y, kInk);
    }
    return canvas.Take();
}

// An arrow bar: a panel with a triangle pointing the name's way.
Image DrawArrow(const Picture& picture, int frame, bool right) {
    const uint32_t base = Shade(Rgb(0x3a, 0x4a, 0x5e), frame * 18);
    Canvas canvas(picture.width, picture.height, base);
    const int half = std::max(1, picture.width / 2);
    const int cy = picture.height / 2;
    for (int i = 0; i < half; ++i) {
        const int x = right ? i : picture.width - 1 - i;
        canvas.Fill(x, cy - (half - i), 1, 2 * (half - i) + 1, kCaption);
    }
    return canvas.Take();
}

// A panel: its base colour lit a little more in each further frame, a raised
// edge, a darker band over big panels and a caption where the name has one.
Image DrawPanel(const Picture& picture, int frame) {
    const uint32_t base = Shade(PanelBase(picture.name), 14 * frame);
    Canvas canvas(picture.width, picture.height, base);
    if (picture.width >= 120 && picture.height >= 60) {
        canvas.Fill(1, 1, picture.width - 2, std::min(24, picture.height / 6), Shade(base, -22));
        canvas.Outline(3, 3, picture.width - 6, picture.height - 6, Shade(base, 22));
    }
    if (picture.width > 2 && picture.height > 2) {
        canvas.Bevel(base, 26);
    }
    // Small labels use their edge rows too.
    CentredCaption(canvas, picture, picture.height >= 20 ? 2 : 1, 0, kGold, true);
    return canvas.Take();
}

// The turn pointer: a dial with a lit arrow from its hub to its rim, its tip
// on the rim at the side of the table to play. Frame f points f eighths of a
// turn clockwise from the left, as the table view counts its directions
// (twice the screen position): 0 the left seat, 2 the seat across, 4 the
// right seat, 6 the own seat at the bottom; the odd frames lie between them
// while the pointer turns, so a step to the next frame always turns it by an
// eighth.
Image DrawTurnDial(const Picture& picture, int frame) {
    const uint32_t dial = Rgb(0x26, 0x30, 0x3c);
    const uint32_t rim = Rgb(0x8c, 0x96, 0xa0);
    Canvas canvas(picture.width, picture.height, kFelt);
    const double cx = picture.width / 2.0;
    const double cy = picture.height / 2.0;
    const double r = std::min(cx, cy) - 1.0;
    const double toward = std::numbers::pi - frame * std::numbers::pi / 4.0;
    // Along the arrow from the hub: the shaft, then the head that narrows
    // from its barbs to the tip on the rim.
    const double hub = r / 5.0;
    const double barbs = r * 0.42;
    const double tip = r;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const double dx = x + 0.5 - cx;
            const double dy = cy - (y + 0.5);  // up is positive
            const double d = std::hypot(dx, dy);
            if (d > r) {
                continue;
            }
            uint32_t colour = d > r - 2.0 ? rim : dial;
            const double along = dx * std::cos(toward) + dy * std::sin(toward);
            const double across = std::abs(dy * std::cos(toward) - dx * std::sin(toward));
            const bool shaft = along > hub && along <= barbs && across <= r * 0.11;
            const bool head =
                along > barbs && along < tip && across <= r * 0.36 * (tip - along) / (tip - barbs);
            if (d <= hub) {
                colour = rim;
            } else if (shaft || head) {
                colour = kGold;
            }
            canvas.Put(x, y, colour);
        }
    }
    return canvas.Take();
}

// The first (0) or second (1) half of a caption's characters, the first
// half taking the middle one.
std::string CaptionHalf(std::string_view caption, int which) {
    const std::vector<std::string_view> characters = GbkCharacters(caption);
    const size_t half = (characters.size() + 1) / 2;
    std::string words;
    for (size_t i = which == 0 ? 0 : half; i < (which == 0 ? half : characters.size()); ++i) {
        words += characters[i];
    }
    return words;
}

// The volume panel: the table stands the music slider's track on the
// panel's left quarter line and the sounds' on its right one, each track
// as high as kTrack and centred; the caption's first half labels the left
// track above it, its second half the right one, clear of the thumb at
// either end of its track.
Image DrawVolumePanel(const Picture& picture) {
    constexpr int kTrack = 100;     // "slider_bk"
    constexpr int kThumbReach = 5;  // half of "slider_bar"
    const int w = picture.width;
    const uint32_t base = PanelBase(picture.name);
    Canvas canvas(w, picture.height, base);
    canvas.Bevel(base, 26);
    const int room = (picture.height - kTrack) / 2 - kThumbReach - 3;  // with the shadow
    for (int which = 0; which < 2; ++which) {
        // Two pixels of ground between a label with its shadow and the edge.
        const Lettering label = LetterCaption(CaptionHalf(picture.caption, which), w / 2 - 6, room);
        if (label.Empty()) {
            continue;
        }
        const int x = std::clamp(w / 4 + which * (w / 2) - label.width / 2, 3, w - 4 - label.width);
        const int y = 2 + (room - label.height) / 2;
        canvas.Letters(label, x + 1, y + 1, kShadow);
        canvas.Letters(label, x, y, kGold);
    }
    return canvas.Take();
}

// The slogan: a red banner behind the start button, which stands on its
// middle (96 pixels wide in the name list), with the caption's first half
// lettered on the banner's left end and its second half on the right, so
// that with the button it reads "血战 开始 到底". The ends are cut as swallow
// tails into the table's cloth.
Image DrawSlogan(const Picture& picture) {
    constexpr int kCovered = 104;  // the start button and a margin
    constexpr uint32_t kBanner = Rgb(0xa8, 0x1e, 0x1e);
    const int w = picture.width;
    const int h = picture.height;
    Canvas canvas(w, h, kFelt);
    const int tail = std::max(1, h / 3);
    for (int y = 0; y < h; ++y) {
        // The notch is deepest at the middle row and closes at the edges.
        const int notch = tail - tail * std::abs(2 * y - (h - 1)) / std::max(1, h - 1);
        canvas.Fill(notch, y, w - 2 * notch, 1, kBanner);
    }
    canvas.Fill(tail, 2, w - 2 * tail, 1, kGold);
    canvas.Fill(tail, h - 3, w - 2 * tail, 1, kGold);
    const int endWidth = (w - kCovered) / 2 - tail;
    for (int end = 0; end < 2 && endWidth > 0; ++end) {
        const Lettering lettering =
            LetterCaption(CaptionHalf(picture.caption, end), endWidth, h - 8);
        if (lettering.Empty()) {
            continue;
        }
        const int x = (end == 0 ? tail : w - tail - endWidth) + (endWidth - lettering.width) / 2;
        const int y = (h - lettering.height) / 2;
        canvas.Letters(lettering, x + 1, y + 1, kShadow);
        canvas.Letters(lettering, x, y, kGold);
    }
    return canvas.Take();
}

// The character of a glyph strip's frame: frame f shows the caption's f-th
// character, gold on a dark plate like the digits beside it.
Image DrawGlyph(const Picture& picture, int frame) {
    Canvas canvas(picture.width, picture.height, Rgb(0x22, 0x1a, 0x12));
    const std::vector<std::string_view> characters = GbkCharacters(picture.caption);
    if (frame < static_cast<int>(characters.size())) {
        Picture one = picture;
        one.caption = std::string(characters[static_cast<size_t>(frame)]);
        CentredCaption(canvas, one, 1, 0, kGold, false);
    }
    return canvas.Take();
}

// A check box: a light well in a dark rim, frame 0 empty (off), frame 1
// (on) with a tick in dark ink across the well, so the two never read alike.
Image DrawCheckBox(const Picture& picture, int frame) {
    const uint32_t well = Rgb(0xf6, 0xf0, 0xe0);
    const int w = picture.width;
    const int h = picture.height;
    Canvas canvas(w, h, well);
    canvas.Outline(0, 0, w, h, Rgb(0x2a, 0x22, 0x1c));
    // The well's upper and left edges in shade, as if sunk into the rim.
    canvas.Fill(1, 1, w - 2, 1, Shade(well, -48));
    canvas.Fill(1, 1, 1, h - 2, Shade(well, -48));
    if (frame == 1) {
        // Two strokes of a pen two pixels wide: down to the lower third, then
        // up to the upper right.
        const auto stroke = [&](double x0, double y0, double x1, double y1) {
            const int steps =
                std::max(1, static_cast<int>(std::max(std::abs(x1 - x0), std::abs(y1 - y0)) * 2));
            for (int i = 0; i <= steps; ++i) {
                const double t = static_cast<double>(i) / steps;
                canvas.Fill(static_cast<int>(std::lround(x0 + (x1 - x0) * t)),
                            static_cast<int>(std::lround(y0 + (y1 - y0) * t)), 2, 2, kInk);
            }
        };
        stroke(w * 0.2, h * 0.48, w * 0.4, h * 0.68);
        stroke(w * 0.4, h * 0.68, w * 0.72, h * 0.2);
    }
    return canvas.Take();
}

// A sign on the table that the client shows over the cloth: a plate with
// rounded corners (the cloth's colour outside them) and a gold rim, lit a
// little in its second frame so that the sign's animation pulses. Its
// caption is its words; a caption in two parts ("heading，hint") letters the
// heading large and the hint below it, smaller.
Image DrawTableSign(const Picture& picture, int frame) {
    const int w = picture.width;
    const int h = picture.height;
    const uint32_t plate = Shade(Rgb(0x6a, 0x1c, 0x1c), 16 * (frame % 2));
    Canvas canvas(w, h, kFelt);
    const int r = std::max(1, std::min(w, h) / 4);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            // The distance past the nearest corner's centre, 0 off the corners.
            const int dx = std::max({r - x, x - (w - 1 - r), 0});
            const int dy = std::max({r - y, y - (h - 1 - r), 0});
            const int d = dx * dx + dy * dy;
            if (d <= r * r + r) {
                const bool rim =
                    d > (r - 2) * (r - 2) + r - 2 || x < 2 || y < 2 || x >= w - 2 || y >= h - 2;
                canvas.Put(x, y, rim ? kGold : plate);
            }
        }
    }
    static constexpr std::string_view kComma = "，";
    const std::string_view caption = picture.caption;
    const size_t comma = caption.find(kComma);
    const std::string_view heading = caption.substr(0, comma);
    const std::string_view hint =
        comma == std::string_view::npos ? std::string_view() : caption.substr(comma + 2);
    const int room = w - 2 * r;
    const Lettering top = LetterCaption(heading, room, hint.empty() ? h - 6 : (h - 6) * 3 / 5);
    const Lettering below = LetterCaption(hint, room, (h - 6) * 2 / 5);
    const int gap = below.Empty() ? 0 : 2;
    int y = (h - top.height - gap - below.height) / 2;
    for (const auto& [lettering, colour] :
         {std::pair{&top, kGold}, std::pair{&below, Rgb(0xf4, 0xe8, 0xc8)}}) {
        if (lettering->Empty()) {
            continue;
        }
        const int x = (w - lettering->width) / 2;
        canvas.Letters(*lettering, x + 1, y + 1, kShadow);
        canvas.Letters(*lettering, x, y, colour);
        y += lettering->height + gap;
    }
    return canvas.Take();
}

// The chat's inline icons: the system notice's, an orange disc with a white
// exclamation mark; the member badge, a blue diamond with a light facet.
Image DrawChatIcon(const Picture& picture, bool notice) {
    const int w = picture.width;
    const int h = picture.height;
    Canvas canvas(w, h, Rgb(0xff, 0xff, 0xfe));
    const int cx = w / 2;
    const int cy = h / 2;
    const int r = std::min(w, h) / 2 - 1;
    if (notice) {
        canvas.Disc(cx, cy, r, Rgb(0xe8, 0x70, 0x10));
        canvas.Ring(cx, cy, r, 1, Rgb(0xa0, 0x40, 0x08));
        const int stroke = std::max(2, w / 8);
        canvas.Fill(cx - stroke / 2, cy - r + 3, stroke, r - 2, Rgb(0xff, 0xff, 0xf4));
        canvas.Fill(cx - stroke / 2, cy + r - 3 - stroke + 1, stroke, stroke,
                    Rgb(0xff, 0xff, 0xf4));
        return canvas.Take();
    }
    for (int y = -r; y <= r; ++y) {
        const int half = r - std::abs(y);
        canvas.Fill(cx - half, cy + y, 2 * half + 1, 1, y < 0 ? Rgb(0x5a, 0x9c, 0xf0) : kDotBlue);
    }
    canvas.Fill(cx - r / 3, cy - r / 2, std::max(1, r / 3), std::max(1, r / 4),
                Rgb(0xdc, 0xec, 0xff));
    return canvas.Take();
}

// The window's rails (the title bar, the bottom and the side edges) are
// laid end to end along their length, so they are shaded across it only and
// meet without a seam; all four share the title bar's colour.
bool IsFrameRail(std::string_view name) {
    return name == "Frame_Top" || name == "Frame_Bottom" || name == "Frame_Left" ||
           name == "Frame_Right";
}

// Shades a rail laid left to right (across) row by row, else column by column.
void ShadeRail(Canvas& canvas, bool across) {
    const uint32_t base = PanelBase("Frame_Top");
    const int depth = across ? canvas.Height() : canvas.Width();
    for (int i = 0; i < depth; ++i) {
        const int delta = i == 0 ? 30 : i == depth - 1 ? -34 : 10 - 20 * i / std::max(1, depth - 1);
        if (across) {
            canvas.Fill(0, i, canvas.Width(), 1, Shade(base, delta));
        } else {
            canvas.Fill(i, 0, 1, canvas.Height(), Shade(base, delta));
        }
    }
}

Image DrawFrameRail(const Picture& picture) {
    Canvas canvas(picture.width, picture.height, kShadow);
    ShadeRail(canvas, picture.width >= picture.height);
    return canvas.Take();
}

// The title bar's ornaments. The middle one is a gold lozenge on the bar's
// own ground; the end pieces lie under the game's icon and the title
// buttons, so they are the bar's ground alone.
Image DrawTitleOrnament(const Picture& picture) {
    const int w = picture.width;
    const int h = picture.height;
    Canvas canvas(w, h, kShadow);
    ShadeRail(canvas, true);
    if (picture.name != "FramePatternMiddle") {
        return canvas.Take();
    }
    const int cx = (w - 1) / 2;
    const int cy = h / 2;
    const int r = std::max(2, std::min(w, h) / 2 - 4);
    for (int dy = -r; dy <= r; ++dy) {
        const int half = r - std::abs(dy);
        canvas.Fill(cx - half, cy + dy, 2 * half + 1, 1, kGold);
        if (half > 1) {
            canvas.Fill(cx - half + 2, cy + dy, 2 * half - 3, 1, Shade(kGold, -70));
        }
    }
    return canvas.Take();
}

// The game's icon in the title bar: a small tile, as large as the icon,
// bearing the red dragon's 中.
Image DrawGameIcon(const Picture& picture) {
    const int w = picture.width;
    const int h = picture.height;
    Canvas canvas(w, h, kIvory);
    canvas.Outline(0, 0, w, h, Rgb(0x8c, 0x88, 0x80));
    canvas.Fill(1, h - 3, w - 2, 2, kBambooGreen);
    canvas.Outline(w / 4, h / 4, w - 2 * (w / 4), h / 3, kCharacterRed);
    canvas.Fill(w / 2 - 1, 2, 2, h - 6, kCharacterRed);
    return canvas.Take();
}

Image DrawPlain(const Picture& picture, int frame) {
    const std::string_view name = picture.name;
    if (IsTextGround(name)) {
        return DrawTextGround(picture, frame);
    }
    if (StartsWith(name, "dice") && name.size() >= 5 && name[4] >= '1' && name[4] <= '6') {
        return DrawDie(picture, name[4] - '0', frame);
    }
    if (name == "banker_dice") {
        return DrawDie(picture, frame + 1, 0);
    }
    if (picture.frames == 10 && (StartsWith(name, "digit_") || name == "bit_Duan")) {
        return DrawDigit(picture, frame);
    }
    if (StartsWith(name, "Table")) {
        return DrawCloth(picture);
    }
    if (IsFrameRail(name)) {
        return DrawFrameRail(picture);
    }
    if (StartsWith(name, "FramePattern")) {
        return DrawTitleOrnament(picture);
    }
    if (name == "GameIcon") {
        return DrawGameIcon(picture);
    }
    if (name == "clock_hand_big") {
        return DrawTurnDial(picture, frame);
    }
    if (name == "bit_volumebk") {
        return DrawVolumePanel(picture);
    }
    if (name == "bit_slogan") {
        return DrawSlogan(picture);
    }
    if (StartsWith(name, "word_") || StartsWith(name, "char_")) {
        return DrawGlyph(picture, frame);
    }
    if (StartsWith(name, "kof") || StartsWith(name, "ruv")) {
        return DrawEmoticon(picture);
    }
    if (name == "animation_Ready" || name == "animation_autoplaying") {
        return DrawTableSign(picture, frame);
    }
    if (name == "qe系统通知" || name == "qe蓝钻") {
        return DrawChatIcon(picture, name == "qe系统通知");
    }
    if (name == "复选框") {
        return DrawCheckBox(picture, frame);
    }
    if (name == "箭头右" || name == "箭头左") {
        return DrawArrow(picture, frame, name == "箭头右");
    }
    if (IsScrollPart(name)) {
        return DrawScrollPart(picture, frame);
    }
    if (picture.frames == 4) {
        return DrawButton(picture, frame);
    }
    return DrawPanel(picture, frame);
}

Image Flat(const Picture& picture, int frame) {
    return Image{picture.width, picture.height,
                 std::vector<uint32_t>(static_cast<size_t>(picture.width) * picture.height,
                                       FrameColour(picture, frame))};
}

}  // namespace

Slices PictureSlices(const Picture& picture) {
    if (!IsStretchedScrollPart(picture.name)) {
        return {};
    }
    // The toolkit keeps (length + 1) / 2 + slice pixels at each end.
    if (picture.name.find("Horz") != std::string::npos) {
        return {kScrollEnd - (picture.width + 1) / 2, 0};
    }
    return {0, kScrollEnd - (picture.height + 1) / 2};
}

std::vector<Image> DrawPicture(const Picture& picture, Style style) {
    std::vector<Image> frames;
    frames.reserve(static_cast<size_t>(picture.frames));
    for (int f = 0; f < picture.frames; ++f) {
        if (style == Style::Flat) {
            frames.push_back(Flat(picture, f));
            continue;
        }
        switch (picture.look) {
            case Look::Faces:
                frames.push_back(DrawFace(picture, f));
                break;
            case Look::BackSides:
            case Look::BackEnds:
                frames.push_back(DrawBack(picture));
                break;
            case Look::Plain:
                frames.push_back(DrawPlain(picture, f));
                break;
        }
    }
    return frames;
}

}  // namespace regional_skin
