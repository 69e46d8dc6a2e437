// The scroll bar driven through real frames: the thumb's size and place for
// the scroll values, presses and drags through the input module with the
// notifications the target receives, the arrow buttons and the skins.

#include "engine/ui/CorvaneScrollBar.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "engine/ui/CorvaneButton.h"
#include "tests/engine_ui/ToolkitTestSupport.h"

namespace {

using Scroll = std::array<double, 3>;  // position, page, total

// A vertical bar 16 x 100 centred on (300, 200): the track runs from y 150
// to 250. The owner object is the target.
class ScrollBarTest : public ToolkitTest {
protected:
    void SetUp() override {
        ToolkitTest::SetUp();
        owner->onEvent = [this](const EventRecord& r) {
            if (r.event == kEventScrollChanged) {
                const double* v = EventParamPointer<const double>(r.param1);
                notices.push_back({v[0], v[1], v[2]});
            }
        };
    }

    CCorvaneScrollBar* MakeBar(int orientation = kScrollVertical, int width = 16,
                               int height = 100) {
        auto* bar = Register<CCorvaneScrollBar>();
        bar->Create(owner->GetId(), width, height, orientation, 0);
        bar->SetPos(300, 200);
        bar->Show();
        bar->Invalidate();
        Frame();
        return bar;
    }
    static double ThumbTop(CCorvaneScrollBar* bar) { return bar->GetThumb()->GetTop(); }
    static double ThumbBottom(CCorvaneScrollBar* bar) { return bar->GetThumb()->GetBottom(); }

    std::vector<Scroll> notices;
};

TEST_F(ScrollBarTest, ThumbLengthAndPlaceFollowTheScrollValues) {
    CCorvaneScrollBar* bar = MakeBar();
    EXPECT_EQ(bar->GetType(), kKindControl);
    EXPECT_EQ(bar->GetTop(), 150.0) << "the bar's geometry is its track's";

    struct Case {
        double position, page, total;
        int length;
        double top, bottom;
    };
    const Case cases[] = {
        {0, 100, 100, 100, 150, 250},  // page = total: covers the bar exactly
        {0, 1, 1000, 15, 151, 166},    // tiny page: the minimum, one pixel in
        {450, 100, 1000, 15, 192.5, 207.5},
        {900, 100, 1000, 15, 235, 250},  // at the range: on the end
        {0, 50, 100, 50, 151, 201},
        {50, 50, 100, 50, 200, 250},
        {0, 400, 100, 100, 150, 250},  // page above the content: never longer than the bar
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.position << " " << c.page << " " << c.total);
        bar->SetScrollInfo(c.position, c.page, c.total, -1.0);
        EXPECT_EQ(bar->GetThumbLength(), c.length);
        EXPECT_EQ(bar->GetThumb()->GetCanvasHeight(), c.length) << "pixels and object agree";
        EXPECT_DOUBLE_EQ(ThumbTop(bar), c.top);
        EXPECT_DOUBLE_EQ(ThumbBottom(bar), c.bottom);
        EXPECT_EQ(bar->GetThumb()->GetX(), 300.0);
    }
    EXPECT_EQ(bar->GetThumbPos(), 150);

    // A total of 0 stores the values and moves nothing; NaN is refused.
    bar->SetScrollInfo(5, 10, 0, 3.0);
    EXPECT_EQ(bar->GetPosition(), 5.0);
    EXPECT_EQ(bar->GetStep(), 0.0) << "the step is not taken either";
    EXPECT_EQ(bar->GetThumbLength(), 100);
    bar->SetScrollInfo(std::nan(""), 10, 20, -1.0);
    EXPECT_EQ(bar->GetPosition(), 5.0);
    bar->SetScrollInfo(0, 10, 20, 3.0);
    bar->SetScrollInfo(0, 10, 20, -1.0);
    EXPECT_EQ(bar->GetStep(), 3.0) << "-1.0 keeps the step";

    bar->SetMinThumbLength(30);
    bar->SetScrollInfo(0, 1, 1000, -1.0);
    EXPECT_EQ(bar->GetThumbLength(), 30);
    EXPECT_EQ(notices.size(), 0u) << "only the user's changes notify";
}

TEST_F(ScrollBarTest, TrackPressJumpsThereAndNeverPastTheRange) {
    CCorvaneScrollBar* bar = MakeBar();
    bar->SetScrollInfo(0, 100, 1000, -1.0);
    Frame();

    ClickAt(300, 200);  // below the thumb (151..166)
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0], (Scroll{500, 100, 1000})) << "the pressed point starts the page";
    EXPECT_EQ(bar->GetPosition(), 500.0);
    EXPECT_DOUBLE_EQ(ThumbTop(bar), 150 + 85 * 500.0 / 900);

    ClickAt(300, 249);
    EXPECT_EQ(notices.back(), (Scroll{900, 100, 1000})) << "990 is held to the range";
    ClickAt(300, 152);
    EXPECT_EQ(notices.back(), (Scroll{20, 100, 1000}));
}

TEST_F(ScrollBarTest, DraggingTheThumbStopsAtZeroAndAtTheRange) {
    CCorvaneScrollBar* bar = MakeBar();
    bar->SetScrollInfo(0, 100, 1000, -1.0);
    Frame();
    MoveTo(300, 158);
    Press(300, 158);
    Frame();

    MoveTo(300, 208);  // 50 down: range * (151 + 50 - 150) / 85
    Frame();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_DOUBLE_EQ(notices[0][0], 900.0 * 51 / 85);

    MoveTo(300, 300);  // beyond the track: ignored
    Frame();
    EXPECT_EQ(notices.size(), 1u);

    MoveTo(300, 150);  // far up: held at 0
    Frame();
    EXPECT_EQ(notices.back()[0], 0.0);
    MoveTo(300, 250);  // far down: held at the range
    Frame();
    EXPECT_EQ(notices.back()[0], 900.0);
    EXPECT_DOUBLE_EQ(ThumbBottom(bar), 250.0);
    const size_t sent = notices.size();
    MoveTo(310, 250);  // across the bar at the end: the position stays
    Frame();
    EXPECT_EQ(notices.size(), sent) << "no notice when nothing moved";
    EXPECT_EQ(bar->GetPosition(), 900.0);
    Release(300, 250);
    Frame();
}

// A thumb that fills its track has nowhere to go: neither a drag nor a
// press moves the content or tells the target anything.
TEST_F(ScrollBarTest, AThumbFillingItsTrackNeitherMovesNorNotifies) {
    struct Case {
        const char* what;
        int trackLength;
        double position, page, total;
    };
    const Case cases[] = {
        {"page equal to the total", 100, 0, 100, 100},
        {"page above the total", 100, 0, 400, 100},
        {"a track no longer than the minimum thumb", 15, 3, 10, 1000},
        {"a track shorter than the minimum thumb", 10, 3, 10, 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        notices.clear();
        CCorvaneScrollBar* bar = MakeBar(kScrollVertical, 16, c.trackLength);
        bar->SetScrollInfo(c.position, c.page, c.total, -1.0);
        ASSERT_EQ(bar->GetThumbLength(), c.trackLength);
        const double top = ThumbTop(bar);
        Frame();

        // A drag along the whole track, then a press on it.
        const int start = 200 - c.trackLength / 2 + 2;
        MoveTo(300, start);
        Press(300, start);
        Frame();
        for (int y = start + 1; y < 200 + c.trackLength / 2; ++y) {
            MoveTo(300, y);
            Frame();
        }
        Release(300, 200 + c.trackLength / 2 - 1);
        Frame();
        snapshot = InputState{};
        snapshot.mouseX = 300;
        snapshot.mouseY = 200;
        bar->OnEvent(MakeEventRecord(bar->GetId(), kScrollTrackPressed, 0, EventParam(&snapshot)));

        EXPECT_TRUE(notices.empty()) << "nothing is sent";
        EXPECT_EQ(bar->GetPosition(), c.position) << "nothing moves";
        EXPECT_EQ(ThumbTop(bar), top);
        visual->DestroyObject(bar, 0);
    }
}

TEST_F(ScrollBarTest, ArrowButtonsStandOutsideTheTrackAndNotifyTheTarget) {
    CCorvaneScrollBar* bar = MakeBar();
    const FrameRecord up = AddFace("arrow_up", 4, 16, 16);
    const FrameRecord down = AddFace("arrow_down", 4, 16, 16);
    bar->CreateLeftButton(up);
    bar->CreateRightButton(down);
    EXPECT_EQ(bar->GetFirstButton(), nullptr) << "a vertical bar has no left or right";
    EXPECT_EQ(bar->GetSecondButton(), nullptr);

    bar->CreateUpButton(up);
    bar->CreateDownButton(down);
    ASSERT_NE(bar->GetFirstButton(), nullptr);
    ASSERT_NE(bar->GetSecondButton(), nullptr);
    // Placed before any scroll values came.
    EXPECT_EQ(bar->GetFirstButton()->GetY(), 142.0);
    EXPECT_EQ(bar->GetSecondButton()->GetY(), 258.0);
    EXPECT_EQ(bar->GetFirstButton()->IsVisible(), 1) << "the bar was already shown";
    EXPECT_EQ(bar->GetTotalLength(), 132);
    Frame();

    ClickAt(296, 142);  // the opaque half of the up face
    ClickAt(296, 258);
    EXPECT_EQ(OwnerEvents(), (Ids{kEventScrollUp, kEventScrollDown}));

    // The length along the bar less the buttons is the track.
    bar->Resize(16, 92);
    EXPECT_EQ(bar->GetHeight(), 60.0);
    EXPECT_EQ(bar->GetTop(), 170.0);
    EXPECT_EQ(bar->GetFirstButton()->GetY(), 162.0);
    EXPECT_EQ(bar->GetSecondButton()->GetY(), 238.0);
    EXPECT_EQ(bar->GetTotalLength(), 92);
    bar->Resize(16, 32);
    EXPECT_EQ(bar->GetHeight(), 60.0) << "no track left: nothing changes";

    // A second up button replaces the first.
    const int oldId = bar->GetFirstButton()->GetId();
    bar->CreateUpButton(up);
    EXPECT_EQ(visual->FindObjectById(oldId), nullptr);
}

TEST_F(ScrollBarTest, HorizontalBarUsesWidthsAndLeftRightButtons) {
    CCorvaneScrollBar* bar = MakeBar(kScrollHorizontal, 100, 16);
    bar->CreateUpButton(AddFace("h_up", 4, 16, 16));
    EXPECT_EQ(bar->GetFirstButton(), nullptr);
    bar->CreateLeftButton(AddFace("h_left", 4, 16, 16));
    bar->SetScrollInfo(50, 50, 100, -1.0);
    EXPECT_EQ(bar->GetThumbLength(), 50);
    EXPECT_DOUBLE_EQ(bar->GetThumb()->GetLeft(), 300.0);
    EXPECT_EQ(bar->GetThumb()->GetY(), 200.0);
    EXPECT_EQ(bar->GetFirstButton()->GetX(), 242.0);
    Frame();
    ClickAt(260, 200);  // the track left of the thumb (300..350)
    ASSERT_FALSE(notices.empty());
    EXPECT_EQ(notices.back()[0], 10.0) << "trunc((260 - 250) * 100 / 100)";
}

TEST_F(ScrollBarTest, SkinsPaintTheLooksAndTheGripDiesWithTheBar) {
    CCorvaneScrollBar* bar = MakeBar();
    bar->SetScrollInfo(0, 50, 100, -1.0);
    CCorvaneCanvas* track = bar->GetTrack();
    CCorvaneCanvas* thumb = bar->GetThumb();
    EXPECT_EQ(track->GetPixel(0, 0), 0u) << "without images: a black border";
    EXPECT_EQ(track->GetPixel(5, 70), kScrollTrackFill);
    EXPECT_EQ(thumb->GetPixel(5, 20), kScrollThumbFill);

    // Thumb looks: frame f of the face is palette colour f + 1 on its left
    // half (read in the thumb's top end piece); the thumb takes the image's
    // width.
    bar->SetThumbImage(AddFace("thumb", 3, 12, 20));
    EXPECT_EQ(thumb->GetCanvasWidth(), 12);
    EXPECT_EQ(thumb->GetPixel(2, 5), 0x0000C8u) << "look 0";
    MoveTo(298, 170);
    Frame();
    EXPECT_EQ(thumb->GetPixel(2, 5), 0x00C800u) << "look 1 while hovered";
    Press(298, 170);
    Frame();
    EXPECT_EQ(thumb->GetPixel(2, 5), 0xC80000u) << "look 2 while pressed";
    Release(298, 170);
    MoveTo(500, 500);
    Frame();
    EXPECT_EQ(thumb->GetPixel(2, 5), 0x0000C8u);

    bar->SetGrip(AddFace("grip", 1, 8, 8));
    CCorvanePicture* grip = bar->GetGrip();
    ASSERT_NE(grip, nullptr);
    EXPECT_EQ(grip->GetY(), thumb->GetY());
    EXPECT_EQ(grip->IsVisible(), 1);
    bar->SetScrollInfo(50, 50, 100, -1.0);
    EXPECT_EQ(grip->GetY(), thumb->GetY()) << "the grip follows the thumb";

    const int gripId = grip->GetId();
    const int thumbId = thumb->GetId();
    visual->DestroyObject(bar, 0);
    EXPECT_EQ(visual->FindObjectById(thumbId), nullptr);
    EXPECT_EQ(visual->FindObjectById(gripId), nullptr) << "no grip left on the screen";
}

}  // namespace
