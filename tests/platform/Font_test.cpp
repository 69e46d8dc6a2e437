#include "platform/Font.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

using platform::FontRequest;
using platform::GlyphBitmap;
using platform::OpenFont;

const std::string kZhong = "中";  // GBK D6 D0
const std::string kGuo = "国";

FontRequest Request(const std::string& face, int height, int weight = 400, bool italic = false,
                    bool underline = false) {
    return FontRequest{face, height, weight, italic, underline};
}

std::unique_ptr<GlyphBitmap> Bitmap() {
    return GlyphBitmap::Create(platform::kMaxFontHeight, platform::kMaxFontHeight);
}

// Coverage summed over a rectangle of the bitmap.
int64_t Ink(const GlyphBitmap& bitmap, int left, int top, int right, int bottom) {
    int64_t sum = 0;
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            sum += bitmap.At(x, y);
        }
    }
    return sum;
}

int64_t InkOutside(const GlyphBitmap& bitmap, int width, int height) {
    return Ink(bitmap, 0, 0, bitmap.Width(), bitmap.Height()) - Ink(bitmap, 0, 0, width, height);
}

int64_t DrawnInk(const FontRequest& want, const std::string& character) {
    auto bitmap = Bitmap();
    const int width = OpenFont(want)->DrawChar(character, *bitmap);
    return Ink(*bitmap, 0, 0, width, want.height);
}

TEST(Font, ChineseFaceNamesResolveToAFaceThatDrawsChinese) {
    for (const char* face : {"宋体", "黑体", "幼圆", "SimSun", "DejaVu Sans", ""}) {
        SCOPED_TRACE(face);
        const auto font = OpenFont(Request(face, 16));
        EXPECT_FALSE(font->FamilyName().empty());
        EXPECT_GT(DrawnInk(Request(face, 16), kZhong), 255 * 10);
        EXPECT_GT(DrawnInk(Request(face, 16), "A"), 255 * 5);
    }
}

TEST(Font, NothingIsDrawnOutsideTheCell) {
    for (int height : {1, 2, 7, 12, 16, 33, 300}) {
        for (const FontRequest& want :
             {Request("宋体", height), Request("宋体", height, 700, true, true),
              Request("黑体", height, 400, true, false)}) {
            for (const std::string& character : {std::string("W"), std::string("g"), kZhong,
                                                 std::string("主"), std::string("@")}) {
                SCOPED_TRACE(testing::Message() << height << " " << want.weight << " "
                                                << want.italic << " " << character);
                auto bitmap = Bitmap();
                const int width = OpenFont(want)->DrawChar(character, *bitmap);
                EXPECT_EQ(InkOutside(*bitmap, width, height), 0);
            }
        }
    }
}

TEST(Font, IdeographsAndDescendersFitTheCell) {
    const FontRequest want = Request("宋体", 32);
    const auto font = OpenFont(want);
    // An ideograph keeps clear of the cell's edges.
    auto ideograph = Bitmap();
    font->DrawChar(kZhong, *ideograph);
    const int64_t total = Ink(*ideograph, 0, 0, 32, 32);
    ASSERT_GT(total, 0);
    EXPECT_LT(Ink(*ideograph, 0, 0, 32, 1) + Ink(*ideograph, 0, 31, 32, 32), total / 20);
    EXPECT_LT(Ink(*ideograph, 0, 0, 1, 32) + Ink(*ideograph, 31, 0, 32, 32), total / 20);
    // A descender is not cut off: a good share of a 'g' lies below the
    // baseline, and a wide letter keeps both its sides.
    auto letter = Bitmap();
    font->DrawChar("g", *letter);
    EXPECT_GT(Ink(*letter, 0, font->Baseline(), 16, 32), Ink(*letter, 0, 0, 16, 32) / 5);
    auto wide = Bitmap();
    font->DrawChar("W", *wide);
    EXPECT_GT(Ink(*wide, 0, 0, 4, 32), 0);
    EXPECT_GT(Ink(*wide, 12, 0, 16, 32), 0);
}

TEST(Font, BlanksAndUnknownBytesDrawNoGlyph) {
    const FontRequest want = Request("宋体", 16);
    for (const std::string& character :
         {std::string(" "), std::string("\r"), std::string("\t"), std::string("\x7F"),
          std::string("\xA1\xA1"), std::string("\xD6"), std::string("\x81\x20"),
          std::string("\xFF\x41")}) {
        SCOPED_TRACE(testing::PrintToString(character));
        EXPECT_EQ(DrawnInk(want, character), 0);
    }
}

TEST(Font, UnderlineFillsTheCellWidthEvenUnderASpace) {
    const FontRequest want = Request("宋体", 16, 400, false, true);
    auto bitmap = Bitmap();
    const auto font = OpenFont(want);
    EXPECT_EQ(font->DrawChar(" ", *bitmap), 8);
    int fullRows = 0;
    for (int y = 0; y < 16; ++y) {
        if (Ink(*bitmap, 0, y, 8, y + 1) == 8 * 255) {
            ++fullRows;
            EXPECT_GT(y, font->Baseline() - 1);
        }
    }
    EXPECT_GE(fullRows, 1);
    EXPECT_EQ(InkOutside(*bitmap, 8, 16), 0);
}

TEST(Font, BoldAndItalicChangeTheGlyph) {
    const int64_t regular = DrawnInk(Request("宋体", 24), kGuo);
    EXPECT_GT(DrawnInk(Request("宋体", 24, 700), kGuo), regular * 11 / 10);
    EXPECT_EQ(DrawnInk(Request("宋体", 24, 500), kGuo), regular);

    // Slanted: the top half of an 'l' stands further right than its bottom.
    auto centre = [](const FontRequest& want, int top, int bottom) {
        auto bitmap = Bitmap();
        const int width = OpenFont(want)->DrawChar("l", *bitmap);
        int64_t weighted = 0;
        int64_t sum = 0;
        for (int y = top; y < bottom; ++y) {
            for (int x = 0; x < width; ++x) {
                weighted += int64_t{x} * bitmap->At(x, y);
                sum += bitmap->At(x, y);
            }
        }
        return sum == 0 ? 0.0 : static_cast<double>(weighted) / static_cast<double>(sum);
    };
    const FontRequest upright = Request("宋体", 32);
    const FontRequest italic = Request("宋体", 32, 400, true);
    const int baseline = OpenFont(upright)->Baseline();
    const double uprightLean =
        centre(upright, 0, baseline / 2) - centre(upright, baseline / 2, baseline);
    const double italicLean =
        centre(italic, 0, baseline / 2) - centre(italic, baseline / 2, baseline);
    EXPECT_GT(italicLean, uprightLean + 1.5);
}

TEST(Font, CellsAndHeights) {
    // Half-width and full-width cells; a lone lead byte takes a half cell.
    const auto font = OpenFont(Request("宋体", 15));
    EXPECT_EQ(std::vector<int>({font->CellWidth("A"), font->CellWidth(kZhong),
                                font->CellWidth("\xD6"), font->CellWidth("")}),
              std::vector<int>({8, 15, 8, 0}));
    EXPECT_EQ(OpenFont(Request("宋体", -5))->Height(), 0);
    EXPECT_EQ(OpenFont(Request("宋体", 1000)), OpenFont(Request("宋体", platform::kMaxFontHeight)));
    const auto empty = OpenFont(Request("宋体", 0));
    auto bitmap = Bitmap();
    EXPECT_EQ(empty->DrawChar(kZhong, *bitmap), 0);
    EXPECT_EQ(Ink(*bitmap, 0, 0, bitmap->Width(), bitmap->Height()), 0);

    // A bitmap smaller than the cell is drawn to its edge and no further.
    auto small = GlyphBitmap::Create(5, 3);
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(OpenFont(Request("宋体", 40, 700, true, true))->DrawChar(kZhong, *small), 40);
}

TEST(Font, GbkCharactersBecomeCodePoints) {
    EXPECT_EQ(platform::GbkCharToCodePoint("A"), 0x41u);
    EXPECT_EQ(platform::GbkCharToCodePoint(kZhong), 0x4E2Du);
    EXPECT_EQ(platform::GbkCharToCodePoint(kZhong + "A"), 0x4E2Du);
    EXPECT_EQ(platform::GbkCharToCodePoint("\x80"), 0x20ACu);
    EXPECT_EQ(platform::GbkCharToCodePoint("\xA1\xA1"), 0x3000u);
    EXPECT_EQ(platform::GbkCharToCodePoint(""), 0u);
    EXPECT_EQ(platform::GbkCharToCodePoint("\xD6"), 0u);
    EXPECT_EQ(platform::GbkCharToCodePoint("\x81\x7F"), 0u);
    EXPECT_EQ(platform::GbkCharToCodePoint("\xFF\x41"), 0u);
}

TEST(Font, ThreadsDrawTheSameGlyphsAsOneThread) {
    const std::vector<FontRequest> wants = {Request("宋体", 14), Request("黑体", 22, 700),
                                            Request("宋体", 17, 400, true, true)};
    const std::vector<std::string> characters = {kZhong, kGuo, "A", "g", "W"};
    std::vector<int64_t> expected;
    for (const auto& want : wants) {
        for (const auto& character : characters) {
            expected.push_back(DrawnInk(want, character));
        }
    }
    std::vector<std::vector<int64_t>> results(4);
    std::vector<std::thread> threads;
    for (auto& result : results) {
        threads.emplace_back([&] {
            for (int round = 0; round < 5; ++round) {
                result.clear();
                for (const auto& want : wants) {
                    for (const auto& character : characters) {
                        result.push_back(DrawnInk(want, character));
                    }
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    for (const auto& result : results) {
        EXPECT_EQ(result, expected);
    }
}

}  // namespace
