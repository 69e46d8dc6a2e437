// The progress bar driven through real frames: the fill drawn up to the
// value, timed animations with their completion notice, the user's presses
// and drags with what the target hears, and the caption.

#include "engine/ui/CorvaneProgressBar.h"

#include <gtest/gtest.h>

#include <array>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "tests/engine_ui/ToolkitTestSupport.h"

namespace {

constexpr int kDone = 80000050;
constexpr int kOtherDone = 80000051;

// A 120 x 20 track centred on (400, 300) with a 100 x 20 opaque green fill
// over it: the fill spans x 350..449.
class ProgressBarTest : public ToolkitTest {
protected:
    void SetUp() override {
        ToolkitTest::SetUp();
        owner->onEvent = [this](const EventRecord& r) {
            if (r.event == kEventProgressChanged) {
                values.push_back(*EventParamPointer<const double>(r.param1));
            } else if (r.event == kEventScrollChanged) {
                const double* v = EventParamPointer<const double>(r.param1);
                drags.push_back({v[0], v[1], v[2]});
            }
        };
        picture_bytes::Bytes green;
        for (int i = 0; i < 100 * 20; ++i) {
            green.insert(green.end(), {0, 200, 0, 255});
        }
        AddPicture("pb_fill.png", picture_bytes::Png(100, 20, 6, green));
        bar = Register<CCorvaneProgressBar>();
        bar->Create(AddFace("pb_track", 1, 120, 20), visual->GetResourceFrame("pb_fill", 0), 0.5);
        bar->SetPos(400, 300);
        bar->Show();
        bar->Invalidate();
        Frame();
    }

    int FillAlpha(int x) { return bar->GetFill()->GetAlpha(x, 10); }
    // Red, green and blue of the back buffer's pixel.
    std::array<int, 3> Output(int x, int y) const {
        const uint32_t p = PixelOf(paint->GetOutputPixels(), kWidth, x, y);
        return {static_cast<int>(p >> 16 & 0xFF), static_cast<int>(p >> 8 & 0xFF),
                static_cast<int>(p & 0xFF)};
    }
    // Runs frames, noting each new value.
    std::vector<double> RunAnimation(int frames = 60) {
        std::vector<double> seen;
        double last = bar->GetValue();
        for (int i = 0; i < frames; ++i) {
            Frame();
            if (bar->GetValue() != last) {
                last = bar->GetValue();
                seen.push_back(last);
            }
        }
        return seen;
    }

    CCorvaneProgressBar* bar = nullptr;
    std::vector<double> values;
    std::vector<std::array<double, 3>> drags;
};

TEST_F(ProgressBarTest, TheFillIsDrawnUpToTheValueHeldToTheBar) {
    EXPECT_EQ(bar->GetValue(), 0.5);
    EXPECT_EQ(FillAlpha(49), 255);
    EXPECT_EQ(FillAlpha(50), 0);
    EXPECT_EQ(Output(360, 300)[0], 0) << "the fill lies over the track";
    EXPECT_GT(Output(360, 300)[1], 190);
    EXPECT_GT(Output(345, 300)[0], 190) << "the track shows left of the fill";
    EXPECT_EQ(Output(345, 300)[1], 0);

    bar->SetValue(1.5);
    EXPECT_EQ(bar->GetValue(), 1.0);
    EXPECT_EQ(FillAlpha(99), 255);
    bar->SetValue(-0.2);
    EXPECT_EQ(bar->GetValue(), 0.0) << "stored, then held to 0 by the layout";
    EXPECT_EQ(FillAlpha(0), 0);
    bar->SetValue(0.005);
    EXPECT_EQ(bar->GetValue(), 0.005);
    EXPECT_EQ(FillAlpha(0), 0) << "less than a pixel draws nothing";

    bar->SetThumb(AddFace("pb_thumb", 2, 8, 12), owner->GetId());
    bar->SetValue(0.25);
    EXPECT_EQ(bar->GetThumb()->GetX(), 375.0);
    EXPECT_EQ(bar->GetThumb()->GetY(), 300.0);
    EXPECT_EQ(bar->GetThumb()->IsVisible(), 1);
    bar->Hide();
    EXPECT_EQ(bar->GetThumb()->IsVisible(), 0);
}

TEST_F(ProgressBarTest, AnimationsStepToTheirTargetAndNotifyOnce) {
    bar->SetValue(0.0);
    const EventRecord done = MakeEventRecord(owner->GetId(), kDone, 0, 0);
    bar->AnimateTo(0.05, 0.0, 100, &done);
    EXPECT_EQ(bar->GetAnimationStep(), 0.01) << "a step of 0 becomes 0.01";
    std::vector<double> seen = RunAnimation();
    ASSERT_GE(seen.size(), 5u);
    EXPECT_DOUBLE_EQ(seen[0], 0.01);
    EXPECT_DOUBLE_EQ(seen[3], 0.04);
    EXPECT_EQ(seen.back(), 0.05) << "the last step lands on the target";
    EXPECT_EQ(Of(kDone).size(), 1u);

    bar->AnimateTo(0.3, -0.1, 30, nullptr);
    seen = RunAnimation();
    ASSERT_EQ(seen.size(), 3u) << "steps of 0.1";
    EXPECT_DOUBLE_EQ(seen[0], 0.15);
    EXPECT_EQ(seen[2], 0.3);

    // A new animation cancels the old one and its notice.
    const EventRecord other = MakeEventRecord(owner->GetId(), kOtherDone, 0, 0);
    bar->AnimateTo(1.0, 0.01, 30, &done);
    Frames(4);
    bar->AnimateTo(0.0, 0.1, 30, &other);
    RunAnimation();
    EXPECT_EQ(bar->GetValue(), 0.0);
    EXPECT_EQ(Of(kDone).size(), 1u);
    EXPECT_EQ(Of(kOtherDone).size(), 1u);

    // A target past the end is held to it, so the animation does end.
    bar->AnimateTo(1.5, 0.5, 30, &other);
    RunAnimation();
    EXPECT_EQ(bar->GetValue(), 1.0);
    EXPECT_EQ(Of(kOtherDone).size(), 2u);

    // SetValue drops the notice but not the animation.
    bar->AnimateTo(0.5, 0.1, 30, &done);
    bar->SetValue(0.8);
    RunAnimation();
    EXPECT_EQ(bar->GetValue(), 0.5);
    EXPECT_EQ(Of(kDone).size(), 1u);
}

TEST_F(ProgressBarTest, PressesAndDragsTellTheTarget) {
    bar->SetThumb(AddFace("pb_thumb", 2, 8, 12), owner->GetId());
    bar->EnableThumbInput(1);
    Frame();

    ClickAt(345, 300);  // the track left of the fill start
    EXPECT_EQ(bar->GetValue(), 0.0);
    ClickAt(380, 300);
    EXPECT_EQ(bar->GetValue(), 0.3);
    EXPECT_EQ(values, (std::vector<double>{0.0, 0.3}));

    // Drag the thumb (now at x 380) to the right, past the end, and let go
    // off the thumb.
    MoveTo(380, 300);
    Press(380, 300);
    MoveTo(400, 300);
    Frame();
    EXPECT_EQ(bar->IsDragging(), 1);
    EXPECT_EQ(bar->GetValue(), 0.5);
    ASSERT_EQ(drags.size(), 1u);
    EXPECT_EQ(drags[0], (std::array<double, 3>{50, 0, 100}));
    bar->SetValue(0.9);
    EXPECT_EQ(bar->GetValue(), 0.5) << "ignored while dragging";
    MoveTo(600, 300);
    Frame();
    EXPECT_EQ(bar->GetValue(), 1.0);
    EXPECT_EQ(drags.back(), (std::array<double, 3>{100, 0, 100}));
    Release(600, 300);
    Frame();
    EXPECT_EQ(bar->IsDragging(), 0) << "the drag ends off the thumb too";
    EXPECT_EQ(values, (std::vector<double>{0.0, 0.3, 0.3, 1.0}));
    bar->SetValue(0.2);
    EXPECT_EQ(bar->GetValue(), 0.2);

    // Press and release on the thumb: one notice each.
    ClickAt(370, 300);
    EXPECT_EQ(values.size(), 6u);
    EXPECT_EQ(values.back(), 0.2);

    bar->EnableThumbInput(0);
    ClickAt(420, 300);
    EXPECT_EQ(values.size(), 6u) << "no input, no notice";
}

TEST_F(ProgressBarTest, CaptionIsDrawnCentredAndKeepsItsFontHeight) {
    CCorvaneCanvas* caption = bar->GetCaption();
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(bar->GetCaption(), caption) << "made once";
    EXPECT_EQ(caption->GetCanvasWidth(), 100);
    EXPECT_EQ(caption->GetFontDesc().height, 13) << "setting 5 (14) lowered to 2/3 of 20";
    EXPECT_EQ(caption->IsVisible(), 1);

    bar->SetCaption(0xFFFFFF, 9, "50%");
    EXPECT_EQ(caption->GetFontDesc().height, 13);
    int drawn = 0;
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 100; ++x) {
            if (caption->GetAlpha(x, y) != 0) {
                ++drawn;
                EXPECT_EQ(caption->GetPixel(x, y), 0xFFFFFFu);
                EXPECT_GT(x, 30);
                EXPECT_LT(x, 70);
            }
        }
    }
    EXPECT_GT(drawn, 0);
}

}  // namespace
