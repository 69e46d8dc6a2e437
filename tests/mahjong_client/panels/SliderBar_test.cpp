#include "mahjong_client/panels/SliderBar.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/EngineEvents.h"
#include "tests/engine_ui/TextDisplayTestSupport.h"

namespace {

constexpr int kNotify = 80000300;
constexpr uint32_t kRed = 0x0000ff;
constexpr uint32_t kGreen = 0x00ff00;
constexpr uint32_t kBlue = 0xff0000;

uint32_t Argb(uint32_t bgr) {
    return 0xFF000000u | (bgr & 0xFF) << 16 | (bgr & 0xFF00) | (bgr >> 16 & 0xFF);
}

class SliderBarTest : public UiSceneTest {
protected:
    void SetUp() override {
        UiSceneTest::SetUp();
        AddStrip("bk_v", 10, 100, 1);
        AddStrip("bar_v", 16, 8, 1);
        AddStrip("bk_h", 100, 10, 1);
        AddStrip("bar_h", 8, 16, 1);
    }

    // A fill picture of three bands (red, green, blue from the top) of
    // `band` rows each; a second frame, when asked for, is white.
    void AddFill(int width, int band, int frames = 1) {
        OwnedRecord fill;
        Make32(*fill, width, band * 3, frames, 0, [&](int, int y) {
            if (y >= band * 3) {
                return Argb(0xffffff);
            }
            return Argb(y < band ? kRed : (y < 2 * band ? kGreen : kBlue));
        });
        ASSERT_NE(paint->AddImage(&*fill, CSliderBar::kFillImage), 0);
    }

    // A vertical slider whose track is 10 x 100 around (300, 200): the track
    // runs from y 150 to 250.
    CSliderBar* MakeSlider(int value, int orientation = 1, int enabled = 1) {
        const bool vertical = orientation == 1;
        const FrameRecord track = visual->GetResourceFrame(vertical ? "bk_v" : "bk_h", 0);
        const FrameRecord thumb = visual->GetResourceFrame(vertical ? "bar_v" : "bar_h", 0);
        auto* slider = Register<CSliderBar>();
        const EventRecord notify = MakeEventRecord(owner->GetId(), kNotify, 0, 0);
        slider->Create(track, thumb, orientation, &notify, value, enabled);
        slider->SetPos(300, 200);
        slider->Show();
        slider->Redraw();
        Frame();
        return slider;
    }

    void Send(CSliderBar* slider, int event, int x, int y) {
        InputState at;
        at.mouseX = x;
        at.mouseY = y;
        EXPECT_EQ(slider->OnEvent(MakeEventRecord(slider->GetId(), event, 0, EventParam(&at))), 1);
        Frame();
    }

    size_t Notices() const {
        size_t n = 0;
        for (int id : OwnerEvents()) {
            n += id == kNotify ? 1 : 0;
        }
        return n;
    }
};

TEST_F(SliderBarTest, TrackPressesStepBy20WithinTheEndsAndAnUnchangedValueIsSilent) {
    AddFill(10, 34);
    CSliderBar* slider = MakeSlider(95);
    Send(slider, kSliderTrackPress, 300, 150);  // above the thumb (151..159)
    EXPECT_EQ(slider->GetValue(), 100);
    EXPECT_EQ(Notices(), 1u);
    // At 100 the thumb covers 146..154; a press above it changes nothing,
    // and nothing is redrawn: a mark on the thumb stays.
    slider->GetThumb()->Clear();
    Send(slider, kSliderTrackPress, 300, 145);
    EXPECT_EQ(slider->GetValue(), 100);
    EXPECT_EQ(Notices(), 1u);
    EXPECT_FALSE(HasInk(*slider->GetThumb()));

    CSliderBar* low = MakeSlider(10);
    Send(low, kSliderTrackPress, 300, 249);  // below the thumb
    EXPECT_EQ(low->GetValue(), 0);
    EXPECT_EQ(Notices(), 2u);

    CSliderBar* across = MakeSlider(50, 0);
    Send(across, kSliderTrackPress, 252, 200);  // left of the thumb
    EXPECT_EQ(across->GetValue(), 30);
    Send(across, kSliderTrackPress, 348, 200);
    EXPECT_EQ(across->GetValue(), 50);
}

TEST_F(SliderBarTest, ADraggedThumbFollowsThePointerAndStopsAtTheEnds) {
    AddFill(10, 34);
    CSliderBar* slider = MakeSlider(50);
    Send(slider, kSliderThumbDrag, 300, 175);
    EXPECT_EQ(slider->GetValue(), 75);
    EXPECT_DOUBLE_EQ(slider->GetPercent(), 0.75);
    Send(slider, kSliderThumbDrag, 300, 40);
    EXPECT_EQ(slider->GetValue(), 100);
    Send(slider, kSliderThumbDrag, 300, 400);
    EXPECT_EQ(slider->GetValue(), 0);
    // The thumb sits at the value: the bottom of the track for 0.
    EXPECT_DOUBLE_EQ(slider->GetThumb()->GetY(), 250);
    EXPECT_EQ(Notices(), 3u);
}

TEST_F(SliderBarTest, TheValueLabelNeverStaysOnScreen) {
    AddFill(10, 34);
    CSliderBar* slider = MakeSlider(40);
    CCorvaneCanvas* label = slider->GetLabel();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->GetCanvasWidth(), CSliderBar::kLabelWidth);
    EXPECT_EQ(label->GetCanvasHeight(), CSliderBar::kLabelHeight);
    CCorvaneCanvas* thumb = slider->GetThumb();
    const int thumbY = static_cast<int>(thumb->GetY());

    Send(slider, kSliderThumbEnter, 300, thumbY);
    EXPECT_EQ(slider->IsHovered(), 1);
    EXPECT_EQ(label->IsVisible(), 0);
    // Beside the thumb's left edge.
    EXPECT_DOUBLE_EQ(label->GetX(), thumb->GetLeft() - 18);
    EXPECT_DOUBLE_EQ(label->GetY(), thumb->GetY());
    // Hovered, the thumb is tinted.
    EXPECT_NE(thumb->GetPixel(8, 4), FrameColour(0));

    Send(slider, kSliderThumbDown, 300, thumbY);
    EXPECT_EQ(label->IsVisible(), 0);
    Send(slider, kSliderThumbLeave, 400, 400);
    EXPECT_EQ(slider->IsHovered(), 0);
    EXPECT_EQ(thumb->GetPixel(8, 4), FrameColour(0));
    EXPECT_EQ(label->IsVisible(), 0);
}

TEST_F(SliderBarTest, ADisabledSliderOnlyHidesItsLabelOnAThumbClick) {
    AddFill(10, 34);
    CSliderBar* slider = MakeSlider(40, 1, 0);
    const int thumbY = static_cast<int>(slider->GetThumb()->GetY());
    // Disabled, track and thumb are tinted.
    EXPECT_NE(slider->GetTrack()->GetPixel(5, 50), FrameColour(0));
    EXPECT_NE(slider->GetThumb()->GetPixel(8, 4), FrameColour(0));
    EXPECT_TRUE(HasInk(*slider->GetThumb()));
    Send(slider, kSliderThumbEnter, 300, thumbY);
    EXPECT_EQ(slider->IsHovered(), 0);
    Send(slider, kSliderTrackPress, 300, 249);
    Send(slider, kSliderThumbDrag, 300, 160);
    EXPECT_EQ(slider->GetValue(), 40);
    slider->GetLabel()->Show();
    Send(slider, kSliderThumbUp, 300, thumbY);
    EXPECT_EQ(slider->GetLabel()->IsVisible(), 0);
    EXPECT_EQ(Notices(), 0u);
}

TEST_F(SliderBarTest, TheFillShowsTheBottomRowsOfItsPictureUpToTheValue) {
    AddFill(10, 34);  // 102 rows: taller than the track
    CSliderBar* slider = MakeSlider(40);
    CCorvaneCanvas* fill = slider->GetFill();
    ASSERT_NE(fill, nullptr);
    EXPECT_EQ(slider->GetFillHeight(), 40);
    EXPECT_EQ(fill->GetCanvasHeight(), 40);
    EXPECT_EQ(fill->GetCanvasWidth(), 10);
    // Source rows 60..99: green up to row 67, then blue.
    EXPECT_EQ(fill->GetPixel(5, 0), kGreen);
    EXPECT_EQ(fill->GetPixel(5, 7), kGreen);
    EXPECT_EQ(fill->GetPixel(5, 8), kBlue);
    EXPECT_EQ(fill->GetPixel(5, 39), kBlue);
    // Its bottom is the track's bottom, in both orientations.
    EXPECT_DOUBLE_EQ(fill->GetY(), 250 - 20);
    EXPECT_GT(fill->GetZ(), slider->GetTrack()->GetZ());
    EXPECT_LT(fill->GetZ(), slider->GetThumb()->GetZ());

    Send(slider, kSliderThumbDrag, 300, 400);
    EXPECT_EQ(slider->GetFillHeight(), 0);
    EXPECT_FALSE(HasInk(*fill));

    // A horizontal slider fills along the vertical axis too: 50 of a track
    // 10 high is 5 rows, from the track's bottom.
    CSliderBar* across = MakeSlider(50, 0);
    EXPECT_EQ(across->GetFillHeight(), 5);
    EXPECT_EQ(across->GetFill()->GetCanvasHeight(), 5);
    EXPECT_DOUBLE_EQ(across->GetFill()->GetY(), 205 - 2.5);
}

TEST_F(SliderBarTest, AFillPictureShorterThanTheTrackIsReadOnlyWithinItself) {
    // 30 rows for a track of 100; the rows below them in the record are
    // another frame's.
    AddFill(10, 10, 2);
    CSliderBar* slider = MakeSlider(80);
    CCorvaneCanvas* fill = slider->GetFill();
    ASSERT_NE(fill, nullptr);
    ASSERT_EQ(fill->GetCanvasHeight(), 80);
    // Source rows 20..99: only 20..29 (blue) exist, drawn where they belong.
    for (int y = 0; y < 10; ++y) {
        EXPECT_EQ(fill->GetPixel(5, y), kBlue) << y;
    }
    EXPECT_FALSE(InkIn(*fill, 0xFFFFFFFF, 0, 10, 10, 80));

    // Rows 50..99 are all past the picture: nothing is drawn.
    Send(slider, kSliderThumbDrag, 300, 200);
    EXPECT_EQ(slider->GetValue(), 50);
    EXPECT_FALSE(HasInk(*slider->GetFill()));
}

}  // namespace
