#include "engine/ui/CorvaneImageSequence.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/engine_ui/TextDisplayTestSupport.h"

namespace {

// "第" and "名" in GBK.
const std::string kDi = "\xB5\xDA";
const std::string kMing = "\xC3\xFB";

class ImageSequenceTest : public UiSceneTest {
protected:
    void SetUp() override {
        UiSceneTest::SetUp();
        AddStrip("glyphs", 20, 10, 4);
    }
    CCorvaneImageSequence* MakeLine(int cell, int height, uint32_t style) {
        auto* line = Register<CCorvaneImageSequence>();
        EXPECT_EQ(line->Create(cell, height, style), 1);
        return line;
    }
};

TEST_F(ImageSequenceTest, AStripMapsCharactersToFramesUntilEitherRunsOut) {
    CCorvaneImageSequence* line = MakeLine(20, 10, 0);
    line->AddGlyphStrip((kDi + "a" + kMing + "bc").c_str(), "glyphs");
    ASSERT_EQ(line->GetGlyphCount(), 4u);
    EXPECT_EQ(line->FindGlyph(0xB5DA)->frame, 0);
    EXPECT_EQ(line->FindGlyph('a')->frame, 1);
    EXPECT_EQ(line->FindGlyph(0xC3FB)->frame, 2);
    EXPECT_EQ(line->FindGlyph('c'), nullptr);
    // In fixed cells a single-byte glyph is half a frame wide.
    EXPECT_EQ(line->FindGlyph(0xB5DA)->width, 20);
    EXPECT_EQ(line->FindGlyph('a')->width, 10);
    line->AddGlyphStrip("xyz", "no_such_image");
    line->AddGlyph(nullptr, *line->FindGlyph('a'));
    EXPECT_EQ(line->GetGlyphCount(), 4u);
}

TEST_F(ImageSequenceTest, FixedCellsGiveEveryCharacterItsAdvanceWithOrWithoutGlyph) {
    CCorvaneImageSequence* line = MakeLine(20, 10, 0);
    line->AddGlyphStrip((kDi + "a").c_str(), "glyphs");
    line->SetSpacing(6);
    // 第 (20 + 6), a (10 + 3), 名 without glyph (20 + 6), z without glyph (10).
    line->SetText((kDi + "a" + kMing + "z").c_str());
    CCorvaneCanvas& canvas = *line->GetCanvas();
    EXPECT_EQ(Runs(canvas, 5), (Ids{0, 20, -1, 6, 1, 10, -1, 39}));

    // A lead byte that ends the text counts as one byte: nothing is read past
    // the end.
    line->SetText("a\xB5");
    EXPECT_EQ(canvas.GetCanvasWidth(), 10 + 3 + 10);
    line->SetSpacing(-100);
    EXPECT_EQ(line->MeasureWidth("aaaa"), 0);
}

TEST_F(ImageSequenceTest, ProportionalGlyphsSitMidLineAndSizelessGlyphsDrawNothing) {
    CCorvaneImageSequence* line = MakeLine(16, 20, kSequenceProportional);
    line->AddGlyphStrip("ab", "glyphs");
    FrameRecord flat = *line->FindGlyph('a');
    flat.width = 0;
    line->AddGlyph("z", flat);
    line->SetSpacing(2);
    line->SetText("azb");  // a (20 + 2), z (0 + 2), b (20)
    CCorvaneCanvas& canvas = *line->GetCanvas();
    EXPECT_EQ(Runs(canvas, 5), (Ids{0, 20, -1, 4, 1, 20}));
    EXPECT_EQ(Runs(canvas, 4), (Ids{-1, 44}));  // 10-pixel glyphs in rows 5..14
    EXPECT_EQ(Runs(canvas, 15), (Ids{-1, 44}));

    // A cell too narrow for half a cell draws nothing either (a width of 0
    // would mean the whole canvas to the canvas).
    CCorvaneImageSequence* tiny = MakeLine(1, 10, 0);
    tiny->AddGlyphStrip("a", "glyphs");
    tiny->SetText("aaaa");
    EXPECT_FALSE(HasInk(*tiny->GetCanvas()));

    // Drawn elsewhere, the pen starts left of x by half or a quarter of the
    // cells: (2 + 16) * 2 bytes.
    CCorvaneCanvas* target = visual->CreateCanvas(100, 20, kDefaultColorKey);
    line->DrawGlyphs(target, 50.0, 0.0, "a", 0);
    EXPECT_EQ(Runs(*target, 10), (Ids{-1, 41, 0, 20, -1, 39}));
    target->Clear();
    line->DrawGlyphs(target, 50.0, 0.0, "ab", kGlyphsQuarterShift);
    EXPECT_EQ(Runs(*target, 10), (Ids{-1, 41, 0, 20, -1, 2, 1, 20, -1, 17}));
}

TEST_F(ImageSequenceTest, ClearedGlyphsAreReplacedAndTheTextRedrawnWithTheNewOnes) {
    AddStrip("other", 20, 10, 4);
    CCorvaneImageSequence* line = MakeLine(20, 10, kSequenceProportional);
    line->AddGlyphStrip("ab", "glyphs");
    line->SetText("ab");
    CCorvaneCanvas& canvas = *line->GetCanvas();
    EXPECT_EQ(Runs(canvas, 5), (Ids{0, 20, 1, 20}));

    line->ClearGlyphs();
    EXPECT_EQ(line->GetGlyphCount(), 0u);
    EXPECT_EQ(line->FindGlyph('a'), nullptr);
    EXPECT_EQ(Runs(canvas, 5), (Ids{0, 20, 1, 20})) << "shown until the next refresh";

    // "b" now takes frame 0 and "a" frame 1, drawn again from the same text.
    line->AddGlyphStrip("ba", "other");
    line->RefreshText();
    EXPECT_EQ(line->GetText(), "ab");
    EXPECT_EQ(Runs(canvas, 5), (Ids{1, 20, 0, 20}));
    line->ClearGlyphs();
    line->RefreshText();
    EXPECT_EQ(Runs(canvas, 5), (Ids{-1, 20})) << "without glyphs: half-cell gaps";
}

}  // namespace
