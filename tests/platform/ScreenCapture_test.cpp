#include "platform/ScreenCapture.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/Display.h"
#include "platform/Messages.h"
#include "platform/Screen.h"
#include "platform/SdlWindow.h"

using namespace platform;

namespace {

// 0x00BBGGRR of a captured pixel.
uint32_t ColourAt(const ScreenPicture& picture, int x, int y) {
    const uint8_t* p =
        picture.rgb.data() + (static_cast<size_t>(y) * static_cast<size_t>(picture.width) + x) * 3;
    return p[0] | (p[1] << 8) | (p[2] << 16);
}

class ScreenCaptureTest : public ::testing::Test {
protected:
    ScreenCaptureTest() {
        SetScreenForTesting({0, 0, 1024, 768}, {0, 0, 1024, 740});
        RegisterWindowClass("ScreenCaptureTest");
    }
    ~ScreenCaptureTest() override { ResetScreenForTesting(); }

    // A window of the size at the corner whose pixels are all one colour
    // (0x00BBGGRR).
    std::unique_ptr<TopLevelWindow> Open(Window& window, const ScreenRect& rect, uint32_t colour) {
        EXPECT_TRUE(window.Create("ScreenCaptureTest"));
        TopLevelOptions options;
        options.title = "capture";
        options.clientRect = rect;
        auto top = std::make_unique<TopLevelWindow>(window.Id(), options);
        const int w = rect.right - rect.left;
        const int h = rect.bottom - rect.top;
        DisplayBitmap bitmap;
        EXPECT_TRUE(bitmap.Create(w, h, 32));
        std::vector<uint8_t> pixels(static_cast<size_t>(w) * h * 4);
        for (size_t i = 0; i < pixels.size(); i += 4) {
            pixels[i] = static_cast<uint8_t>(colour >> 16);
            pixels[i + 1] = static_cast<uint8_t>(colour >> 8);
            pixels[i + 2] = static_cast<uint8_t>(colour);
        }
        bitmap.SetBits(pixels.data(), pixels.size());
        EXPECT_TRUE(BlitToWindow(window.Id(), bitmap, 0, 0, w, h, 0, 0));
        return top;
    }
};

TEST_F(ScreenCaptureTest, WithoutARootWindowTheOwnWindowsLieOnBlackAtTheirPlaces) {
    Window first;
    Window second;
    auto a = Open(first, {100, 50, 420, 290}, 0x00302010);
    // Partly off the screen: only the visible part is copied.
    auto b = Open(second, {980, 700, 1080, 800}, 0x00405060);
    CaptureSource source = CaptureSource::RootWindow;
    const ScreenPicture picture = CaptureScreen(&source);
    EXPECT_EQ(source, CaptureSource::OwnWindows);
    ASSERT_EQ(picture.width, 1024);
    ASSERT_EQ(picture.height, 768);
    ASSERT_EQ(picture.rgb.size(), 1024u * 768u * 3u);
    EXPECT_EQ(ColourAt(picture, 100, 50), 0x00302010u);
    EXPECT_EQ(ColourAt(picture, 419, 289), 0x00302010u);
    EXPECT_EQ(ColourAt(picture, 99, 50), 0u);
    EXPECT_EQ(ColourAt(picture, 420, 289), 0u);
    EXPECT_EQ(ColourAt(picture, 1023, 767), 0x00405060u);
    EXPECT_EQ(ColourAt(picture, 979, 767), 0u);

    // A hidden window is not on the screen.
    b->Show(false);
    EXPECT_EQ(ColourAt(CaptureScreen(), 1023, 767), 0u);
}

TEST_F(ScreenCaptureTest, AScreenWithoutWindowsIsBlackAtItsSize) {
    SetScreenForTesting({0, 0, 640, 480}, {0, 0, 640, 480});
    const ScreenPicture picture = CaptureScreen();
    EXPECT_EQ(picture.width, 640);
    EXPECT_EQ(picture.height, 480);
    EXPECT_EQ(picture.rgb, std::vector<uint8_t>(640u * 480u * 3u, 0));
}

}  // namespace
