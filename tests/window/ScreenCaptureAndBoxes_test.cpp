// On a real X server: the screen capture reads the root window, which holds
// the engine window's presented pixels at the window's place; and a notice
// box in that window is answered by a real click (xdotool) and read back.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/CorvaneView.h"
#include "engine/CorvaneWnd.h"
#include "engine/ResourceModule.h"
#include "frame/panels/SystemInfoBox.h"
#include "platform/Messages.h"
#include "platform/ScreenCapture.h"
#include "platform/SdlWindow.h"
#include "platform/Sync.h"
#include "tests/engine/SceneTestSupport.h"
#include "tests/window/Pixels.h"
#include "tests/window/XServer.h"

namespace {

using window_test::ChildProcess;
using window_test::WindowImage;
using window_test::XServer;

constexpr const char* kTitle = "pvbn capture test";
constexpr int kWidth = 400;
constexpr int kHeight = 300;
constexpr int kLeft = 50;
constexpr int kTop = 40;
constexpr int kConfirm = 80000090;
constexpr uint32_t kWaitMs = 5000;
constexpr uint32_t kBackgroundPixel = 0x305070;  // 0x00RRGGBB

class CaptureAndBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        server = window_test::RunningXServer(error);
        if (server == nullptr) {
            GTEST_SKIP() << "Xvfb cannot start here: " << error;
        }
        wnd = std::make_unique<CCorvaneWnd>();
        ASSERT_EQ(wnd->Create(kTitle, platform::kStyleVisible | platform::kStylePopup, 0,
                              {kLeft, kTop, kLeft + kWidth, kTop + kHeight}, 0),
                  1);
        ASSERT_TRUE(wnd->GetTopLevel()->IsOnScreen()) << "SDL did not open an X11 window";
        view = new CCorvaneView;
        ASSERT_EQ(wnd->Initialize(view, new ResourceModule), 1);
        view->FillBackground(0x705030);  // 0x00BBGGRR
        view->InvalidateAll();
        owner = new RecordingObject(&log);
        view->Register(owner);
        ASSERT_TRUE(PumpUntil([&] { return (xWindow = server->FindWindow(kTitle)) != 0; }));
        ASSERT_TRUE(PumpUntil([&] { return server->IsMapped(xWindow); }));
    }
    void TearDown() override { wnd.reset(); }

    template <class Condition>
    bool PumpUntil(Condition done, uint32_t timeoutMs = kWaitMs) {
        return window_test::PumpMessagesUntil(done, timeoutMs);
    }

    // The back buffer's pixel, 0x00RRGGBB.
    uint32_t Presented(int x, int y) {
        return window_test::BackBufferPixel(window_test::BackBuffer(*wnd), kWidth, x, y);
    }
    // The window shows the back buffer everywhere.
    bool ShowsBackBuffer() {
        const std::optional<WindowImage> shown = server->Read(xWindow);
        return shown && window_test::CountDifferences(shown, window_test::BackBuffer(*wnd), kWidth,
                                                      kHeight) == 0;
    }

    const XServer* server = nullptr;
    std::unique_ptr<CCorvaneWnd> wnd;
    CCorvaneView* view = nullptr;
    RecordingObject* owner = nullptr;
    std::vector<Delivery> log;
    unsigned long xWindow = 0;
};

TEST_F(CaptureAndBoxTest, TheRootWindowCaptureHoldsThePresentedPixelsInPlace) {
    auto* box = new CSystemInfoBox;
    view->Register(box);
    box->ShowBox("截图测试", nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr);
    box->SetPos(kWidth / 2, kHeight / 2);
    box->Invalidate();
    ASSERT_TRUE(PumpUntil([&] { return ShowsBackBuffer(); }));
    int left = 0;
    int top = 0;
    ASSERT_TRUE(server->Origin(xWindow, left, top));

    platform::CaptureSource source = platform::CaptureSource::OwnWindows;
    const platform::ScreenPicture picture = platform::CaptureScreen(&source);
    EXPECT_EQ(source, platform::CaptureSource::RootWindow);
    ASSERT_EQ(picture.width, 800);
    ASSERT_EQ(picture.height, 600);
    int differences = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const uint8_t* p =
                picture.rgb.data() + (static_cast<size_t>(top + y) * picture.width + left + x) * 3;
            const uint32_t rgb = uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2];
            differences += rgb != Presented(x, y);
        }
    }
    EXPECT_EQ(differences, 0) << "pixels of the window differ in the capture";
    EXPECT_EQ(Presented(2, 2), kBackgroundPixel);
}

TEST_F(CaptureAndBoxTest, ABoxIsAnsweredByARealClickAndLeavesTheWindow) {
    const EventRecord confirm = MakeEventRecord(owner->GetId(), kConfirm, 0, 0);
    auto* box = new CSystemInfoBox;
    view->Register(box);
    box->ShowBox("真的点击", &confirm, nullptr, 0, 0, nullptr, nullptr, nullptr);
    box->SetPos(kWidth / 2, kHeight / 2);
    box->Invalidate();
    CCorvaneObject* button = box->GetConfirmButton();
    ASSERT_NE(button, nullptr);
    const int x = static_cast<int>(button->GetX());
    const int y = static_cast<int>(button->GetY());
    ASSERT_TRUE(PumpUntil([&] { return ShowsBackBuffer(); }));
    const std::optional<WindowImage> before = server->Read(xWindow);
    ASSERT_TRUE(before.has_value());
    EXPECT_NE(before->At(x, y), kBackgroundPixel) << "the button shows";

    ASSERT_EQ(window_test::ClickAt(*server, xWindow, x, y, kWaitMs), "");
    EXPECT_TRUE(PumpUntil([&] {
        for (const Delivery& d : log) {
            if (d.receiver == owner->GetId() && d.event == kConfirm) {
                return true;
            }
        }
        return false;
    })) << "the confirm record did not arrive";
    // Read back: the box is gone from the window.
    EXPECT_TRUE(PumpUntil([&] {
        const std::optional<WindowImage> shown = server->Read(xWindow);
        return shown && shown->At(x, y) == kBackgroundPixel &&
               shown->At(kWidth / 2, kHeight / 2) == kBackgroundPixel;
    })) << "the box still shows";
}

}  // namespace
