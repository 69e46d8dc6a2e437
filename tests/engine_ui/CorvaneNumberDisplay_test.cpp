#include "engine/ui/CorvaneNumberDisplay.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <vector>

#include "tests/engine_ui/TextDisplayTestSupport.h"

namespace {

class NumberDisplayTest : public UiSceneTest {
protected:
    void SetUp() override {
        UiSceneTest::SetUp();
        AddStrip("digit_t", 20, 10, 10);
    }

    CCorvaneNumberDisplay* MakeDisplay(uint32_t style, int spacing = 0,
                                       const char* image = "digit_t") {
        auto* display = Register<CCorvaneNumberDisplay>();
        EXPECT_EQ(display->Create(image, style), 1);
        display->SetSpacing(spacing);
        display->SetPos(300, 200);
        display->Show();
        return display;
    }
};

// A display with its own format: values below 10 get a leading zero.
class PaddedDisplay : public CCorvaneNumberDisplay {
public:
    void RefreshText() override {
        char text[16];
        std::snprintf(text, sizeof text, GetValue() < 10 ? "0%d" : "%d", GetValue());
        SetText(text);
    }
};

TEST_F(NumberDisplayTest, EveryRefreshGoesThroughTheDisplaysOwnFormat) {
    auto* display = Register<PaddedDisplay>();
    ASSERT_EQ(display->Create("digit_t", 0), 1);
    CCorvaneCanvas& canvas = *display->GetCanvas();
    display->SetValue(5);
    EXPECT_EQ(Runs(canvas, 5), (Ids{0, 20, 5, 20}));
    display->AddValue(-2);
    EXPECT_EQ(Runs(canvas, 5), (Ids{0, 20, 3, 20}));
    display->ClearSuffix();
    display->Refresh();
    EXPECT_EQ(Runs(canvas, 5), (Ids{0, 20, 3, 20}));
    display->AddValue(9);
    EXPECT_EQ(Runs(canvas, 5), (Ids{1, 20, 2, 20}));

    // Digits loaded again, in reverse order: the map is emptied first.
    display->ClearGlyphs();
    EXPECT_EQ(display->GetGlyphCount(), 0u);
    for (int i = 0; i < 10; ++i) {
        FrameRecord digit = visual->GetResourceFrame("digit_t", 0);
        digit.frame = 9 - i;
        const char character[2] = {static_cast<char>('0' + i), '\0'};
        display->AddGlyph(character, digit);
    }
    EXPECT_EQ(display->GetGlyphCount(), 10u);
    display->RefreshText();
    EXPECT_EQ(Runs(canvas, 5), (Ids{8, 20, 7, 20}));
}

TEST_F(NumberDisplayTest, DigitsAreOneFrameWideWithHalfSpacingInFixedCells) {
    CCorvaneNumberDisplay* fixed = MakeDisplay(0, 4);
    fixed->SetValue(12);
    CCorvaneCanvas& canvas = *fixed->GetCanvas();
    EXPECT_EQ(canvas.GetWidth(), 42.0);
    EXPECT_EQ(Runs(canvas, 5), (Ids{1, 20, -1, 2, 2, 20}));

    CCorvaneNumberDisplay* proportional = MakeDisplay(kSequenceProportional, 4);
    proportional->SetValue(12);
    EXPECT_EQ(Runs(*proportional->GetCanvas(), 5), (Ids{1, 20, -1, 4, 2, 20}));

    // A digit image of three frames gives three digits, never a wrong one.
    AddStrip("digit_short", 20, 10, 3);
    CCorvaneNumberDisplay* shortDigits = MakeDisplay(0, 0, "digit_short");
    EXPECT_EQ(shortDigits->GetGlyphCount(), 3u);
    shortDigits->SetValue(25);
    EXPECT_EQ(Runs(*shortDigits->GetCanvas(), 5), (Ids{2, 20, -1, 20}));
}

TEST_F(NumberDisplayTest, ASuffixWaitsForTheNextRefreshAndValuesSaturate) {
    AddStrip("char_t", 40, 10, 1);
    CCorvaneNumberDisplay* display = MakeDisplay(0);
    display->AddGlyphStrip("\xB5\xDA", "char_t");
    display->SetValue(5);
    CCorvaneCanvas& canvas = *display->GetCanvas();
    display->SetSuffix("\xB5\xDA");
    EXPECT_EQ(canvas.GetCanvasWidth(), 20);
    display->Refresh();
    EXPECT_EQ(Runs(canvas, 5), (Ids{5, 20, 0, 40}));
    display->ClearSuffix();
    EXPECT_EQ(canvas.GetCanvasWidth(), 20);

    display->SetValue(INT_MAX - 1);
    display->AddValue(5);
    EXPECT_EQ(display->GetValue(), INT_MAX);
}

TEST_F(NumberDisplayTest, TheAnchoredEndStaysPutAsTheTextGrowsAndMoves) {
    CCorvaneNumberDisplay* right = MakeDisplay(kSequenceAnchorRight);
    CCorvaneNumberDisplay* left = MakeDisplay(kSequenceAnchorLeft);
    CCorvaneNumberDisplay* centre = MakeDisplay(0);
    for (int value : {5, 12345}) {
        for (CCorvaneNumberDisplay* display : {right, left, centre}) {
            display->SetValue(value);
        }
        EXPECT_EQ(right->GetCanvas()->GetRight(), 300.0);
        EXPECT_EQ(left->GetCanvas()->GetLeft(), 300.0);
        EXPECT_EQ(centre->GetCanvas()->GetX(), 300.0);
    }
    // On screen, after a move: "3456" ends at x = 400.
    objects->DestroyObjectById(left->GetId());
    right->SetPos(400, 100);
    right->SetValue(3456);
    right->Invalidate();
    Frame();
    EXPECT_EQ(ScreenColour(399, 100), FrameColour(6));
    EXPECT_EQ(ScreenColour(320, 100), FrameColour(3));
    EXPECT_NE(ScreenColour(400, 100), FrameColour(6));
    EXPECT_NE(ScreenColour(319, 100), FrameColour(3));
}

TEST_F(NumberDisplayTest, CountingStepsToTheTargetAndDeliversTheEndEvent) {
    CCorvaneNumberDisplay* display = MakeDisplay(0);
    display->SetValue(80);
    const EventRecord done = MakeEventRecord(owner->GetId(), 80000001, 3, 0);
    EXPECT_NE(display->CountTo(100, 7, 0, &done), 0u);
    Ids shown;
    for (int i = 0; i < 6; ++i) {
        Frame();
        if (shown.empty() || shown.back() != display->GetValue()) {
            shown.push_back(display->GetValue());
        }
    }
    EXPECT_EQ(shown, (Ids{87, 94, 100}));
    EXPECT_EQ(Of(80000001), (std::vector<Delivery>{{owner->GetId(), 80000001, 3, 0, false},
                                                   {owner->GetId(), 80000001, 3, 0, true}}));
    EXPECT_EQ(Runs(*display->GetCanvas(), 5), (Ids{1, 20, 0, 40}));

    // Down, a step of 0 counting as 1, every 100 ms.
    display->CountTo(98, 0, 100, nullptr);
    Frame();
    EXPECT_EQ(display->GetValue(), 99);
    Frame(60);
    EXPECT_EQ(display->GetValue(), 99);
    Frame(40);
    EXPECT_EQ(display->GetValue(), 98);
    EXPECT_EQ(objects->CountLiveActions(), 0);
}

TEST_F(NumberDisplayTest, ANewCountReplacesTheRunningOneAndStopCountingStopsIt) {
    CCorvaneNumberDisplay* display = MakeDisplay(0);
    const EventRecord first = MakeEventRecord(owner->GetId(), 80000001, 0, 0);
    display->SetValue(0);
    display->CountTo(1000, 10, 0, &first);
    Frames(2);
    display->CountTo(-1000, 10, 0, nullptr);
    Frames(300);
    EXPECT_EQ(display->GetValue(), -1000);
    EXPECT_EQ(objects->CountLiveActions(), 0);
    // The replaced count ended as stopped: its event only through OnEvent2.
    EXPECT_EQ(Of(80000001), (std::vector<Delivery>{{owner->GetId(), 80000001, 0, 0, true}}));

    display->CountTo(0, 1, 0, nullptr);
    Frames(3);
    display->StopCounting();
    Frames(2);
    EXPECT_EQ(objects->CountLiveActions(), 0);
}

}  // namespace
