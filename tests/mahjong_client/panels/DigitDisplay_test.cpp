#include "mahjong_client/panels/DigitDisplay.h"

#include <gtest/gtest.h>

#include "tests/engine_ui/TextDisplayTestSupport.h"

namespace {

class DigitDisplayTest : public UiSceneTest {
protected:
    void SetUp() override {
        UiSceneTest::SetUp();
        AddStrip("digit_t", 20, 10, 10);
    }

    CDigitDisplay* MakeDisplay(int padding, uint32_t style = 2) {
        auto* display = Register<CDigitDisplay>();
        EXPECT_EQ(display->Create("digit_t", style), 1);
        EXPECT_EQ(display->SetZeroPadding(padding), padding);
        display->SetPos(300, 200);
        display->Show();
        return display;
    }

    std::string Shown(CDigitDisplay* display, int value) {
        display->SetValue(value);
        return display->GetText();
    }
};

TEST_F(DigitDisplayTest, ZeroPaddingGivesSingleDigitsALeadingZeroOnly) {
    CDigitDisplay* clock = MakeDisplay(1);
    EXPECT_EQ(Shown(clock, 7), "07");
    EXPECT_EQ(Runs(*clock->GetCanvas(), 5), (Ids{0, 20, 7, 20}));
    EXPECT_EQ(Shown(clock, 0), "00");
    EXPECT_EQ(Shown(clock, 9), "09");
    EXPECT_EQ(Shown(clock, 10), "10");
    EXPECT_EQ(Shown(clock, 12), "12");
    EXPECT_EQ(Shown(clock, -5), "-5");
    EXPECT_EQ(Shown(clock, -1), "-1");

    CDigitDisplay* plain = MakeDisplay(0, 16);
    EXPECT_EQ(plain->GetZeroPadding(), 0);
    EXPECT_EQ(Shown(plain, 7), "7");
    EXPECT_EQ(Shown(plain, 0), "0");

    // With the suffix shown the text is the value and the suffix.
    clock->SetSuffix("s");
    EXPECT_EQ(Shown(clock, 7), "7s");
    clock->ClearSuffix();
    EXPECT_EQ(clock->GetText(), "07");
}

TEST_F(DigitDisplayTest, LoadingDigitsReplacesEveryDigitAndTheSize) {
    AddStrip("digit_u", 8, 12, 10);
    AddStrip("digit_three", 6, 6, 3);
    CDigitDisplay* display = MakeDisplay(1);
    display->SetValue(3);

    display->LoadDigitImages("digit_u");
    EXPECT_EQ(display->GetGlyphCount(), 10u);
    EXPECT_EQ(display->GetCellWidth(), 16);
    EXPECT_EQ(display->GetLineHeight(), 12);
    EXPECT_EQ(display->GetWidth(), 16);
    EXPECT_EQ(display->GetHeight(), 12);
    // Refreshed with the new digits: two digits of 8 pixels.
    EXPECT_EQ(display->GetText(), "03");
    CCorvaneCanvas& canvas = *display->GetCanvas();
    EXPECT_EQ(canvas.GetCanvasHeight(), 12);
    EXPECT_EQ(Runs(canvas, 6), (Ids{0, 8, 3, 8}));

    // An image of three frames leaves only "0".."2": the map was emptied.
    display->LoadDigitImages("digit_three");
    EXPECT_EQ(display->GetGlyphCount(), 3u);
    EXPECT_EQ(display->FindGlyph('3'), nullptr);
    ASSERT_NE(display->FindGlyph('2'), nullptr);
    EXPECT_EQ(display->FindGlyph('2')->frame, 2);

    // An image the skin lacks leaves no digits and no size.
    display->LoadDigitImages("digit_missing");
    EXPECT_EQ(display->GetGlyphCount(), 0u);
    display->LoadDigitImages(nullptr);
    EXPECT_EQ(display->GetGlyphCount(), 0u);
    display->SetValue(12);
    EXPECT_EQ(display->GetText(), "12");
}

}  // namespace
