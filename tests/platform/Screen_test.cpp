// The screen's size and work area, and the calls on a top-level window's
// standing on it, on SDL's dummy video driver.

#include "platform/Screen.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/Input.h"
#include "platform/SdlEvents.h"
#include "platform/SdlWindow.h"

using namespace platform;

namespace {

TEST(Screen, TheDisplaysSizeAndWorkAreaUnlessATestSetsThem) {
    // SDL's dummy display is 1024 x 768, all of it usable.
    EXPECT_EQ(PrimaryScreenRect(), (ScreenRect{0, 0, 1024, 768}));
    EXPECT_EQ(WorkArea(), (ScreenRect{0, 0, 1024, 768}));

    SetScreenForTesting({0, 0, 800, 600}, {0, 24, 800, 560});
    EXPECT_EQ(PrimaryScreenRect(), (ScreenRect{0, 0, 800, 600}));
    EXPECT_EQ(WorkArea(), (ScreenRect{0, 24, 800, 560}));
    ResetScreenForTesting();
    EXPECT_EQ(PrimaryScreenRect().right, 1024);
}

class FlagWindow : public Window {
public:
    ~FlagWindow() override { Destroy(); }
    LResult WindowProc(uint32_t id, WParam wParam, LParam lParam) override {
        heard.push_back(id);
        if (id == kMsgMove) {
            moves.push_back(ScreenPoint{PointX(lParam), PointY(lParam)});
        } else if (id == kMsgSize) {
            sizes.push_back(ScreenPoint{SizeWidth(lParam), SizeHeight(lParam)});
        }
        return Window::WindowProc(id, wParam, lParam);
    }
    std::vector<uint32_t> heard;
    std::vector<ScreenPoint> moves;
    std::vector<ScreenPoint> sizes;
};

class ScreenWindowTest : public ::testing::Test {
protected:
    ScreenWindowTest() {
        RegisterWindowClass("ScreenWindowTest");
        EXPECT_TRUE(window.Create("ScreenWindowTest"));
        TopLevelOptions options;
        options.clientRect = {10, 10, 330, 250};  // 320 x 240
        top = std::make_unique<TopLevelWindow>(window.Id(), options);
        Drain();
    }
    ~ScreenWindowTest() override {
        top.reset();
        SetFocus(0);
    }

    void Drain() {
        Message m;
        while (PeekMessage(m, PeekMode::Remove)) {
            DispatchMessage(m);
        }
    }

    FlagWindow window;
    std::unique_ptr<TopLevelWindow> top;
};

TEST_F(ScreenWindowTest, TheMaximumClientSizeHoldsForEveryResize) {
    ASSERT_TRUE(SetMaximumClientSize(window.Id(), 200, 100));
    EXPECT_EQ(top->ClientWidth(), 200);  // shrunk at once
    EXPECT_EQ(top->ClientHeight(), 100);
    Drain();
    EXPECT_EQ(window.heard, std::vector<uint32_t>{kMsgSize});

    top->SetClientSize(500, 80);
    EXPECT_EQ(top->ClientWidth(), 200);
    EXPECT_EQ(top->ClientHeight(), 80);
    SynthesizeWindowEvent(window.Id(), DisplayWindowEvent::Resized, 900, 900);
    Drain();
    EXPECT_EQ(top->ClientWidth(), 200);
    EXPECT_EQ(top->ClientHeight(), 100);

    ASSERT_TRUE(SetMaximumClientSize(window.Id(), 0, -1));  // lifted
    top->SetClientSize(500, 400);
    EXPECT_EQ(top->ClientWidth(), 500);
    EXPECT_EQ(top->ClientHeight(), 400);
    EXPECT_EQ(top->MaximumClientWidth(), kMaxClientSide);

    EXPECT_FALSE(SetMaximumClientSize(0, 10, 10));
    EXPECT_FALSE(SetMaximumClientSize(window.Id() + 1000, 10, 10));
}

TEST_F(ScreenWindowTest, FlashesOnlyWithoutTheFocusAndBringingToFrontGivesIt) {
    ASSERT_NE(GetFocus(), window.Id());
    EXPECT_TRUE(FlashWindowOnce(window.Id()));
    EXPECT_EQ(top->FlashCount(), 1);

    window.heard.clear();
    ASSERT_TRUE(BringWindowToFront(window.Id()));
    EXPECT_EQ(GetFocus(), window.Id());
    EXPECT_EQ(window.heard, std::vector<uint32_t>{kMsgSetFocus});

    EXPECT_FALSE(FlashWindowOnce(window.Id()));  // it has the focus
    EXPECT_EQ(top->FlashCount(), 1);

    EXPECT_FALSE(FlashWindowOnce(0));
    EXPECT_FALSE(BringWindowToFront(0));
}

TEST_F(ScreenWindowTest, MovingToARectangleMovesSizesAndTellsTheWindow) {
    window.heard.clear();
    ASSERT_TRUE(MoveWindowTo(window.Id(), ScreenRect{-20, 40, 180, 190}));
    Drain();
    EXPECT_EQ(GetWindowRect(window.Id()), (ScreenRect{-20, 40, 180, 190}));
    EXPECT_EQ(window.moves, (std::vector<ScreenPoint>{{-20, 40}}));
    EXPECT_EQ(window.sizes, (std::vector<ScreenPoint>{{200, 150}}));

    // The same place again tells nothing; a move without a new size only
    // the corner.
    ASSERT_TRUE(MoveWindowTo(window.Id(), ScreenRect{-20, 40, 180, 190}));
    ASSERT_TRUE(MoveWindowTo(window.Id(), ScreenRect{0, 0, 200, 150}));
    Drain();
    EXPECT_EQ(window.moves, (std::vector<ScreenPoint>{{-20, 40}, {0, 0}}));
    EXPECT_EQ(window.sizes.size(), 1u);

    // A rectangle turned inside out gives an empty client area, no crash.
    ASSERT_TRUE(MoveWindowTo(window.Id(), ScreenRect{50, 50, 10, 10}));
    Drain();
    EXPECT_EQ(top->ClientWidth(), 0);
    EXPECT_EQ(window.sizes.back(), (ScreenPoint{0, 0}));
    EXPECT_FALSE(MoveWindowTo(0, ScreenRect{0, 0, 10, 10}));
}

TEST_F(ScreenWindowTest, TheDisplayMovingTheWindowIsTold) {
    window.heard.clear();
    ASSERT_TRUE(SynthesizeWindowEvent(window.Id(), DisplayWindowEvent::Moved, 77, -5));
    ASSERT_TRUE(SynthesizeWindowEvent(window.Id(), DisplayWindowEvent::Moved, 77, -5));
    Drain();
    EXPECT_EQ(window.moves, (std::vector<ScreenPoint>{{77, -5}}));
}

TEST_F(ScreenWindowTest, TheCaptionStripIsTheTopOfTheClientArea) {
    EXPECT_FALSE(top->IsCaptionPoint(5, 0));
    SetCaptionStrip(window.Id(), 18);  // the dummy display drags nothing
    EXPECT_EQ(top->CaptionStrip(), 18);
    EXPECT_TRUE(top->IsCaptionPoint(0, 0));
    EXPECT_TRUE(top->IsCaptionPoint(319, 17));
    EXPECT_FALSE(top->IsCaptionPoint(5, 18));
    EXPECT_FALSE(top->IsCaptionPoint(320, 5));
    EXPECT_FALSE(top->IsCaptionPoint(-1, 5));
    EXPECT_FALSE(top->IsCaptionPoint(5, -1));
    SetCaptionStrip(window.Id(), 0);
    EXPECT_FALSE(top->IsCaptionPoint(5, 0));
    EXPECT_FALSE(SetCaptionStrip(0, 18));
}

}  // namespace
