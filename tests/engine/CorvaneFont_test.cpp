#include "engine/CorvaneFont.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kRed = 0x0000FF;
constexpr uint32_t kBlue = 0xFF0000;

// A 32-bit pixel buffer (drawing past it is caught by the address sanitizer).
class Pixels {
public:
    Pixels(int width, int height, uint32_t fill = 0)
        : width_(width), height_(height), bytes_(static_cast<size_t>(width) * height * 4) {
        for (int i = 0; i < width * height; ++i) {
            std::memcpy(Data() + i * 4, &fill, 4);
        }
    }

    uint8_t* Data() { return bytes_.data(); }
    const uint8_t* At(int x, int y) const {
        return bytes_.data() + (static_cast<size_t>(y) * width_ + x) * 4;
    }
    bool HasInk(int left, int top, int right, int bottom) const {
        for (int y = top; y < bottom; ++y) {
            for (int x = left; x < right; ++x) {
                if (At(x, y)[3] != 0) {
                    return true;
                }
            }
        }
        return false;
    }
    bool Empty() const { return !HasInk(0, 0, width_, height_); }
    // The first and last rows and columns with ink: {left, top, right, bottom},
    // right and bottom exclusive.
    std::vector<int> InkBox() const {
        std::vector<int> box{width_, height_, 0, 0};
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) {
                if (At(x, y)[3] != 0) {
                    box = {std::min(box[0], x), std::min(box[1], y), std::max(box[2], x + 1),
                           std::max(box[3], y + 1)};
                }
            }
        }
        return box;
    }
    // The colour (0x00BBGGRR) of the most opaque pixel among the columns.
    uint32_t StrongestColor(int left, int right) const {
        const uint8_t* best = At(left, 0);
        for (int y = 0; y < height_; ++y) {
            for (int x = left; x < right; ++x) {
                best = At(x, y)[3] > best[3] ? At(x, y) : best;
            }
        }
        return best[2] | best[1] << 8 | best[0] << 16;
    }

private:
    int width_;
    int height_;
    std::vector<uint8_t> bytes_;
};

FontDesc Desc(int height, uint32_t color = kWhite) {
    FontDesc desc;
    SetFontDescFace(desc, "宋体");
    desc.color = color;
    desc.height = height;
    desc.weight = 400;
    desc.wrap = 1;
    desc.alpha = 255;
    return desc;
}

class CorvaneFontTest : public testing::Test {
protected:
    void SetUp() override { font.SetFontDesc(Desc(16)); }

    void Use(const FontDesc& desc) { font.SetFontDesc(desc); }
    int MeasuredWidth(const char* text) {
        int width = -1;
        font.MeasureText(0, 0, text, &width, nullptr);
        return width;
    }
    int MeasuredHeight(const char* text, int y = 0) {
        int height = -1;
        font.MeasureText(0, y, text, nullptr, &height);
        return height;
    }
    bool Parse(const char* tag) {
        return font.ParseMarkup(tag, static_cast<int>(std::strlen(tag))) != 0;
    }

    CCorvaneFont font;
};

// ---- Markup ----

TEST_F(CorvaneFontTest, ColourTagsPaintTheFollowingCharacters) {
    Pixels pixels(64, 16);
    font.DrawText(pixels.Data(), 64, 16, 0, 0, "<c=255>A</color>B<rgb=0,0,255>C");
    EXPECT_EQ(pixels.StrongestColor(0, 8), kRed);
    EXPECT_EQ(pixels.StrongestColor(8, 16), kWhite);
    EXPECT_EQ(pixels.StrongestColor(16, 24), kBlue);
    // The whole text was laid out: the font keeps what the tags left.
    EXPECT_EQ(font.GetFontDesc().color, kBlue);
}

TEST_F(CorvaneFontTest, TagsThatAreNotUnderstoodAreDrawnAsTextAndChangeNothing) {
    const int half = font.GetHalfWidth();
    for (const char* text :
         {"<rgb=0,255>A", "<b>A", "<c=255;size=30;b>A", "<>A", "< ; >A", "<c=255 A"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(MeasuredWidth(text), half * static_cast<int>(std::strlen(text)));
        EXPECT_EQ(font.GetFontDesc().color, kWhite);
        EXPECT_EQ(font.GetCellHeight(), 16);
    }
    // A '>' within 256 bytes of the '<' closes a tag; one further on does not.
    const std::string padded = "<" + std::string(250, ' ') + "c=255>";
    EXPECT_EQ(MeasuredWidth(padded.c_str()), 0);
    const std::string tooLong = "<" + std::string(251, ' ') + "c=255>";
    EXPECT_EQ(MeasuredWidth(tooLong.c_str()), half * static_cast<int>(tooLong.size()));
    // Asking whether a tag is understood applies nothing.
    EXPECT_TRUE(font.IsMarkup("c=1", 3));
    EXPECT_EQ(font.GetFontDesc().color, kRed);
    EXPECT_EQ(font.ParseMarkup(nullptr, 5), 0);
    EXPECT_EQ(font.ParseMarkup("c=1", -3), 0);
}

TEST_F(CorvaneFontTest, ParseMarkupAppliesEachKnownPair) {
    MeasuredWidth("");  // a call: what the closing tags go back to
    const FontDesc& desc = font.GetFontDesc();
    EXPECT_TRUE(Parse("SIZE=24; Bold"));
    EXPECT_EQ(
        std::vector<int>({desc.height, font.GetCellHeight(), font.GetHalfWidth(), desc.weight}),
        std::vector<int>({24, 24, 12, 700}));
    EXPECT_TRUE(Parse("bold=550;italic;underline"));
    EXPECT_EQ(std::vector<int>({desc.weight, desc.italic, desc.underline}),
              std::vector<int>({550, 1, 1}));
    EXPECT_TRUE(Parse("/italic"));
    EXPECT_EQ(std::vector<int>({desc.italic, desc.underline}), std::vector<int>({0, 1}));
    EXPECT_TRUE(Parse("/bold"));  // a new font: italic and underline off
    EXPECT_EQ(std::vector<int>({desc.weight, desc.underline}), std::vector<int>({400, 0}));
    EXPECT_TRUE(Parse("fontname=\"黑体\";rowspace=3;pitch=2;leftmargin=5;rightmargin=7"));
    EXPECT_EQ(GetFontDescFace(desc), "黑体");
    EXPECT_EQ(std::vector<int>({desc.rowSpace, desc.pitch, desc.leftMargin, desc.rightMargin}),
              std::vector<int>({3, 2, 5, 7}));
    EXPECT_TRUE(Parse("/size;/fontname;/rowspace;/pitch;/leftmargin;/rightmargin"));
    EXPECT_EQ(desc.height, 16);
    EXPECT_EQ(GetFontDescFace(desc), "宋体");
    EXPECT_EQ(std::vector<int>({desc.rowSpace, desc.pitch, desc.leftMargin, desc.rightMargin}),
              std::vector<int>({0, 0, 0, 0}));
    EXPECT_TRUE(Parse("// a comment"));
    EXPECT_TRUE(Parse("script:Go(1)"));
    EXPECT_EQ(font.GetScripts(), std::vector<std::string>({"script:Go(1)"}));
    EXPECT_EQ(font.GetScriptIndex(), 0);
}

TEST_F(CorvaneFontTest, ValuesOutOfRangeAreHeld) {
    EXPECT_TRUE(Parse("size=99999999999"));
    EXPECT_EQ(font.GetCellHeight(), kMaxFontHeight);
    EXPECT_TRUE(Parse("size=-40"));
    EXPECT_EQ(font.GetCellHeight(), 0);
    // A font of 300 or more draws nothing.
    Use(Desc(5000));
    EXPECT_EQ(font.GetCellHeight(), kMaxFontHeight);
    Pixels pixels(32, 32);
    font.DrawText(pixels.Data(), 32, 32, 0, 0, "A");
    EXPECT_TRUE(pixels.Empty());
    // Huge spacings lay out without overflowing.
    FontDesc desc = Desc(16);
    desc.rowSpace = INT_MAX;
    Use(desc);
    EXPECT_EQ(MeasuredHeight("A\nB\nC"), INT_MAX);
    desc.rowSpace = INT_MIN;
    Use(desc);
    EXPECT_EQ(MeasuredHeight("A\nB\nC"), INT_MIN);
    desc.pitch = INT_MAX;
    Use(desc);
    EXPECT_EQ(MeasuredWidth("AB"), 0);  // no character fits with such a pitch
    desc.pitch = INT_MIN;
    Use(desc);
    font.DrawText(pixels.Data(), 32, 32, 0, 0, "AB\nCD");
}

// ---- Layout ----

TEST_F(CorvaneFontTest, LinesWrapAtTheRightEdgeOrStop) {
    // Font 16: single-byte characters advance 8, so five fit in 40 pixels.
    EXPECT_EQ(font.MeasureHeight(40, "AAAAA"), 16);
    EXPECT_EQ(font.MeasureHeight(40, "AAAAAAAA"), 32);
    Pixels wrapped(40, 40);
    font.DrawText(wrapped.Data(), 40, 40, 0, 0, "AAAAAAAA");
    EXPECT_TRUE(wrapped.HasInk(0, 16, 24, 32));
    EXPECT_FALSE(wrapped.HasInk(24, 16, 40, 32));

    FontDesc noWrap = Desc(16);
    noWrap.wrap = 0;
    Use(noWrap);
    EXPECT_EQ(font.MeasureHeight(40, "AAAAAAAA"), 16);
    Pixels stopped(40, 40);
    font.DrawText(stopped.Data(), 40, 40, 0, 0, "AAAAAAAA");
    EXPECT_TRUE(stopped.HasInk(32, 0, 40, 16));  // the line is drawn up to the edge
    EXPECT_FALSE(stopped.HasInk(0, 16, 40, 40));
}

TEST_F(CorvaneFontTest, LineFeedsRowSpaceAndMarginsPlaceLines) {
    FontDesc desc = Desc(16);
    desc.rowSpace = 4;
    desc.leftMargin = 10;
    desc.rightMargin = 6;
    Use(desc);
    int width = 0;
    int height = 0;
    font.MeasureText(0, 5, "AB\nC", &width, &height);
    EXPECT_EQ(height, 5 + 16 + 4 + 16);
    EXPECT_EQ(width, 10 + 16 + 6);  // the right margin counts in the width
    Pixels pixels(60, 60);
    font.DrawText(pixels.Data(), 60, 60, 0, 5, "AB\nC");
    const std::vector<int> ink = pixels.InkBox();
    EXPECT_GE(ink[0], 10);
    EXPECT_GE(ink[1], 5);
    EXPECT_LE(ink[3], 5 + 36);
    EXPECT_TRUE(pixels.HasInk(10, 25, 18, 41));
}

TEST_F(CorvaneFontTest, DoubleByteCharactersNeverSplitAndTakeTwoPitches) {
    EXPECT_EQ(font.MeasureHeight(40, "AAA中"), 16);
    EXPECT_EQ(font.MeasureHeight(40, "AAA中国"), 32);
    EXPECT_EQ(font.MeasureHeight(39, "AAA中"), 32);
    FontDesc desc = Desc(16);
    desc.pitch = 3;
    Use(desc);
    EXPECT_EQ(MeasuredWidth("A中"), 8 + 2 * 3 + 16);
    EXPECT_EQ(MeasuredWidth("中A"), 16 + 3 + 8);
}

TEST_F(CorvaneFontTest, GlyphsSitOnTheLinesBottom) {
    Pixels pixels(80, 40);
    font.DrawText(pixels.Data(), 80, 40, 0, 0, "a<size=32>B");
    EXPECT_FALSE(pixels.HasInk(0, 0, 8, 16));
    EXPECT_TRUE(pixels.HasInk(0, 16, 8, 32));
    EXPECT_LE(pixels.InkBox()[3], 32);
}

TEST_F(CorvaneFontTest, MeasuringMatchesDrawing) {
    for (const char* text : {"Hello", "中文 text", "<size=24>大<size=12>小\n第二行",
                             "long line that wraps around the box edge", "<c=255>A<break>B"}) {
        SCOPED_TRACE(text);
        Use(Desc(16));
        int width = 0;
        font.MeasureText(0, 0, text, &width, nullptr);
        Use(Desc(16));
        const int height = font.MeasureHeight(120, text);
        Use(Desc(16));
        Pixels pixels(120, 200);
        font.DrawText(pixels.Data(), 120, 200, 0, 0, text);
        const std::vector<int> ink = pixels.InkBox();
        EXPECT_LE(ink[2], width);
        EXPECT_LE(ink[3], height);
        EXPECT_GT(ink[3], height - 16);
    }
    // An empty text is one row high at the start.
    Use(Desc(16));
    int width = -1;
    int height = -1;
    font.MeasureText(3, 7, "", &width, &height);
    EXPECT_EQ(std::vector<int>({width, height}), std::vector<int>({0, 8}));
    EXPECT_EQ(MeasuredHeight(nullptr, 7), 8);
}

TEST_F(CorvaneFontTest, ATagAtTheEndIsAppliedAndTheLastLineDrawn) {
    Pixels pixels(64, 16);
    font.DrawText(pixels.Data(), 64, 16, 0, 0, "AB<c=255>");
    EXPECT_EQ(pixels.StrongestColor(0, 16), kWhite);
    EXPECT_EQ(font.GetFontDesc().color, kRed);
    Use(Desc(16));
    EXPECT_EQ(MeasuredHeight("AB<c=255>"), MeasuredHeight("AB"));
}

TEST_F(CorvaneFontTest, StoppingAtAnEdgeRestoresTheDescription) {
    FontDesc desc = Desc(16);
    desc.wrap = 0;
    Use(desc);
    Pixels pixels(24, 16);
    font.DrawText(pixels.Data(), 24, 16, 0, 0, "A<c=255;size=20>BCDEFG");
    EXPECT_EQ(font.GetFontDesc().color, kWhite);
    EXPECT_EQ(font.GetCellHeight(), 16);
    // The buffer's bottom stops a wrapping text too, after its last whole line.
    Use(Desc(16));
    Pixels shallow(24, 20);
    font.DrawText(shallow.Data(), 24, 20, 0, 0, "<c=255>AAAAAAAA");
    EXPECT_EQ(font.GetFontDesc().color, kWhite);
    EXPECT_TRUE(shallow.HasInk(0, 0, 24, 16));
}

TEST_F(CorvaneFontTest, ACharacterThatFitsNoLineEndsTheCall) {
    EXPECT_EQ(font.MeasureHeight(10, "中中中"), 1);
    // The next line is begun (its bottom counts) before the call ends.
    EXPECT_EQ(font.MeasureHeight(12, "A中"), 17);
    // Pitch and right margin leave no room on any line.
    FontDesc desc = Desc(16);
    desc.pitch = 5;
    desc.rightMargin = 10;
    Use(desc);
    EXPECT_EQ(font.MeasureHeight(20, "AAAA"), 1);
    Pixels pixels(20, 300);
    font.DrawText(pixels.Data(), 20, 300, 0, 0, "AAAA");
    EXPECT_TRUE(pixels.Empty());
}

TEST_F(CorvaneFontTest, ALoneLeadByteEndsTheText) {
    EXPECT_EQ(MeasuredWidth("AB\xD6"), MeasuredWidth("AB"));
    EXPECT_EQ(MeasuredWidth("\xD6"), 0);
    Pixels pixels(64, 16);
    font.DrawText(pixels.Data(), 64, 16, 0, 0, "AB\xD6");
    EXPECT_FALSE(pixels.HasInk(16, 0, 64, 16));
}

// ---- Pixels ----

TEST_F(CorvaneFontTest, GlyphsBlendByTheShiftRule) {
    // An underlined space covers whole rows with coverage 255.
    FontDesc desc = Desc(16, kRed);
    desc.underline = 1;
    auto drawOn = [&](uint32_t fill, int alpha) {
        desc.alpha = alpha;
        Use(desc);
        auto pixels = std::make_unique<Pixels>(8, 16, fill);
        font.DrawText(pixels->Data(), 8, 16, 0, 0, " ");
        return pixels;
    };
    const int row = drawOn(0, 255)->InkBox()[1];
    auto bytes = [&](const Pixels& pixels) {
        const uint8_t* p = pixels.At(0, row);
        return std::vector<int>({p[0], p[1], p[2], p[3]});
    };
    // Onto a transparent pixel: the colour, alpha = coverage.
    EXPECT_EQ(bytes(*drawOn(0, 255)), std::vector<int>({0, 0, 255, 255}));
    EXPECT_EQ(bytes(*drawOn(0, 128)), std::vector<int>({0, 0, 255, 127}));  // 255 * 128 >> 8
    // Onto an opaque pixel: (colour * a + pixel * (255 - a)) >> 8.
    EXPECT_EQ(bytes(*drawOn(0xFF000000, 255)), std::vector<int>({0, 0, 254, 255}));
    EXPECT_EQ(
        bytes(*drawOn(0xFF646464, 128)),
        std::vector<int>({(100 * 128) >> 8, (100 * 128) >> 8, (255 * 127 + 100 * 128) >> 8, 255}));
    // Alpha 0 draws nothing; alpha beyond 255 is opaque.
    EXPECT_TRUE(drawOn(0, 0)->Empty());
    EXPECT_EQ(bytes(*drawOn(0, 1000))[3], 255);
}

TEST_F(CorvaneFontTest, NothingIsWrittenOutsideTheBuffer) {
    const char* text = "中文Wg<size=40>大<underline>__\n<italic;bold>斜体";
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{
             {-7, -9}, {25, 10}, {-1000, 0}, {INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}, {30, -20}}) {
        Use(Desc(16));  // any write outside is caught by the address sanitizer
        Pixels pixels(31, 17);
        font.DrawText(pixels.Data(), 31, 17, x, y, text);
    }
    // What lies inside is drawn.
    Use(Desc(16));
    Pixels pixels(31, 17);
    font.DrawText(pixels.Data(), 31, 17, -7, -9, "中文");
    EXPECT_EQ(pixels.InkBox()[0], 0);
    EXPECT_EQ(pixels.InkBox()[1], 0);
    font.DrawText(nullptr, 31, 17, 0, 0, "A");
}

// ---- Description and creation ----

TEST_F(CorvaneFontTest, TheDescriptionIsCopiedWholeWithTheMadeCellHeight) {
    FontDesc desc = Desc(20, 0x123456);
    desc.cellHeight = 3;  // stale: the font made decides
    desc.pitch = 1;
    desc.rightMargin = 4;
    desc.italic = 1;
    std::memset(desc.faceName, 'x', sizeof(desc.faceName));  // no terminator
    Use(desc);
    FontDesc out;
    font.GetFontDesc(&out);
    desc.cellHeight = 20;
    desc.faceName[31] = '\0';
    EXPECT_EQ(std::memcmp(&out, &desc, sizeof(FontDesc)), 0);

    // Face names are cut at whole characters.
    SetFontDescFace(desc, std::string(30, 'a') + "中");
    EXPECT_EQ(GetFontDescFace(desc), std::string(30, 'a'));
}

TEST_F(CorvaneFontTest, AFaceNameIsNeverLeftWithHalfACharacter) {
    FontDesc desc = Desc(16);
    std::memset(desc.faceName, 'a', 30);
    desc.faceName[30] = '\xD6';  // a double-byte character filling the last two bytes
    desc.faceName[31] = '\xD0';
    Use(desc);
    EXPECT_EQ(GetFontDescFace(font.GetFontDesc()), std::string(30, 'a'));
    EXPECT_EQ(font.GetFontDesc().faceName[30], '\0');
}

TEST_F(CorvaneFontTest, ScriptTagsAreKeptOnceEachAndBounded) {
    Pixels pixels(64, 16);
    for (int i = 0; i < 100; ++i) {
        font.DrawText(pixels.Data(), 64, 16, 0, 0, "<script:Go(1)>A<script:Go(2)>");
        MeasuredWidth("<script:Go(2)>B");
    }
    EXPECT_EQ(font.GetScripts(), std::vector<std::string>({"script:Go(1)", "script:Go(2)"}));
    EXPECT_EQ(font.GetScriptIndex(), 0);

    // Texts that never repeat (chat lines) keep only the latest ones.
    for (int i = 0; i < 3000; ++i) {
        const std::string text = "<script:Say(" + std::to_string(i) + ")>";
        MeasuredWidth(text.c_str());
    }
    ASSERT_EQ(font.GetScripts().size(), kMaxFontScripts);
    EXPECT_EQ(font.GetScripts().front(),
              "script:Say(" + std::to_string(3000 - kMaxFontScripts) + ")");
    EXPECT_EQ(font.GetScripts().back(), "script:Say(2999)");
}

TEST_F(CorvaneFontTest, CreateStartsAfresh) {
    Parse("script:x");
    EXPECT_EQ(font.Create(), 1);
    EXPECT_EQ(font.GetFontDesc().color, kFontCreateColor);
    EXPECT_EQ(font.GetFontDesc().height, 0);
    EXPECT_TRUE(font.GetScripts().empty());
    EXPECT_EQ(font.GetScriptIndex(), -1);
    // Released, the font still lays text out but draws no glyph.
    font.Release();
    Use(Desc(16));
    Pixels pixels(32, 16);
    font.DrawText(pixels.Data(), 32, 16, 0, 0, "AB");
    EXPECT_TRUE(pixels.Empty());
    EXPECT_EQ(MeasuredWidth("AB"), 16);
}

// ---- Fitting a caption ----

TEST(DrawTextToPixels, SpreadsACaptionOverTheBox) {
    FontDesc layout = Desc(12);
    std::string caption = "确定";
    const TextStart start = DrawTextToPixels(100, 30, caption, layout, 0, 0, 0);
    // Size 2 * 100 / (4 + 2) = 33, capped at two thirds of 30; margins of 10
    // and 40 pixels of glyphs leave 40 for the 2 gaps of the second character.
    EXPECT_EQ(std::vector<int>({layout.height, layout.pitch, layout.rowSpace, layout.leftMargin,
                                start.x, start.y}),
              std::vector<int>({20, 20, 0, 10, 10, 5}));
    EXPECT_EQ(caption, "确定");

    CCorvaneFont font;
    font.SetFontDesc(layout);
    Pixels pixels(100, 30);
    font.DrawText(pixels.Data(), 100, 30, start.x, start.y, caption.c_str());
    const std::vector<int> ink = pixels.InkBox();
    EXPECT_GE(ink[0], 10);
    EXPECT_GE(ink[1], 5);
    EXPECT_GT(ink[2], 70);
    EXPECT_LE(ink[2], 90);
    EXPECT_LE(ink[3], 25);
}

TEST(DrawTextToPixels, ShortensACaptionWithoutSplittingACharacter) {
    FontDesc layout = Desc(12);
    std::string caption = "中文字符测试";
    DrawTextToPixels(50, 30, caption, layout, 0, 0, 20);
    EXPECT_EQ(caption, "中..");
    EXPECT_EQ(layout.height, 20);
    std::string mixed = "ab中文";  // cutting three bytes would split 中
    DrawTextToPixels(60, 30, mixed, layout, 0, 0, 20);
    EXPECT_EQ(mixed, "ab..");
    std::string tiny = "ab";
    DrawTextToPixels(5, 30, tiny, layout, 0, 0, 20);
    EXPECT_EQ(tiny, "");
    std::string lone = "ab\xD6";
    DrawTextToPixels(200, 30, lone, layout, 0, 0, 0);
    EXPECT_EQ(lone, "ab");

    // Too small to read without a given size: shortened until it is not.
    std::string letters = "abcdefghijklmnopqrstuvwxyz";
    DrawTextToPixels(100, 100, letters, layout, 0, 0, 0);
    EXPECT_GE(layout.height, 20);
    EXPECT_EQ(letters, "abcdef..");
    // A huge box still gives a size the font draws.
    std::string big = "OK";
    DrawTextToPixels(5000, 5000, big, layout, 0, 0, 0);
    EXPECT_EQ(layout.height, kMaxFontHeight - 2);
}

TEST(DrawTextToPixels, TakesTwoLinesWhenThatAllowsALargerSize) {
    FontDesc layout = Desc(12);
    std::string caption = "一二三四五六七八";
    const TextStart start = DrawTextToPixels(100, 100, caption, layout, 0, 0, 0);
    EXPECT_EQ(layout.height, 20);  // one line would give 10
    EXPECT_GT(layout.rowSpace, 0);

    CCorvaneFont font;
    font.SetFontDesc(layout);
    Pixels pixels(100, 100);
    font.DrawText(pixels.Data(), 100, 100, start.x, start.y, caption.c_str());
    const int secondTop = start.y + 20 + layout.rowSpace;
    EXPECT_TRUE(pixels.HasInk(0, start.y, 100, start.y + 20));
    EXPECT_TRUE(pixels.HasInk(0, secondTop, 100, secondTop + 20));
    EXPECT_FALSE(pixels.HasInk(0, secondTop + 20, 100, 100));
    EXPECT_EQ(font.MeasureHeight(100, caption.c_str()), 2 * 20 + layout.rowSpace);
}

}  // namespace
