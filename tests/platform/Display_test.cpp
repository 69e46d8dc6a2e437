#include "platform/Display.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "platform/Messages.h"

using namespace platform;

namespace {

class DisplayTest : public ::testing::Test {
protected:
    DisplayTest() {
        RegisterWindowClass("DisplayTestWindow");
        window.Create("DisplayTestWindow");
        TakeMessages();
    }
    ~DisplayTest() override { SetDisplayDepthForTesting(0); }

    // A 32-bit bitmap whose pixel (x, y) has blue x, green y, red 200.
    static DisplayBitmap Gradient(int width, int height) {
        std::vector<uint8_t> bits;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                bits.insert(bits.end(), {static_cast<uint8_t>(x), static_cast<uint8_t>(y), 200, 0});
            }
        }
        DisplayBitmap bitmap;
        EXPECT_TRUE(bitmap.Create(width, height, 32));
        bitmap.SetBits(bits.data(), bits.size());
        return bitmap;
    }

    static uint32_t Colour(int red, int green, int blue) {
        return static_cast<uint32_t>(red | green << 8 | blue << 16);
    }

    std::vector<Message> TakeMessages() {
        std::vector<Message> taken;
        Message m;
        while (PeekMessage(m, PeekMode::Remove)) {
            taken.push_back(m);
        }
        return taken;
    }

    Window window;
};

}  // namespace

TEST_F(DisplayTest, BlitsAreClippedToBitmapAndSurface) {
    DisplayBitmap refused;
    EXPECT_FALSE(refused.Create(4, 4, 8));
    EXPECT_FALSE(refused.Create(-1, 4, 32));
    const std::vector<uint8_t> many(100, 7);
    EXPECT_EQ(Gradient(3, 2).SetBits(many.data(), many.size()), 24u);

    WindowSurface surface(window.Id());
    surface.Resize(4, 3);
    const DisplayBitmap bitmap = Gradient(3, 3);
    // From (1, 0) to (-1, 2): a column is cut on the left, the bottom edge
    // leaves one row, the bitmap's right edge one column.
    EXPECT_TRUE(surface.Blit(bitmap, -1, 2, 3, 3, 1, 0));
    EXPECT_EQ(surface.ColorAt(0, 2), Colour(200, 0, 2));
    EXPECT_EQ(surface.ColorAt(1, 2), 0u);
    EXPECT_EQ(surface.ColorAt(0, 1), 0u);
    EXPECT_EQ(surface.PresentCount(), 1);
    EXPECT_FALSE(surface.Blit(bitmap, 4, 0, 3, 3, 0, 0));
    EXPECT_FALSE(surface.Blit(bitmap, 0, 0, INT_MAX, INT_MAX, -INT_MAX, 0));
    EXPECT_FALSE(surface.Blit(refused, 0, 0, 3, 3, 0, 0));

    // A resize keeps what overlaps and blackens the rest.
    surface.Blit(bitmap, 0, 0, 3, 3, 0, 0);
    surface.Resize(2, 4);
    EXPECT_EQ(surface.ColorAt(1, 2), Colour(200, 2, 1));
    EXPECT_EQ(surface.ColorAt(1, 3), 0u);
}

TEST_F(DisplayTest, PartsOfABitmapAreReplacedWithinItsBounds) {
    DisplayBitmap bitmap;
    ASSERT_TRUE(bitmap.Create(3, 2, 24));
    // A source laid out as the bitmap, 4 pixels a row, every byte 9.
    const std::vector<uint8_t> source(4 * 3 * 2, 9);
    bitmap.SetBitsInRect(source.data(), 4 * 3, PixelRect{2, -5, 10, 1});
    const std::vector<uint8_t> expected{0, 0, 0, 0, 0, 0, 9, 9, 9,  // row 0: x 2 only
                                        0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(bitmap.Bits(), bitmap.Bits() + bitmap.ByteSize()), expected);
    bitmap.SetBitsInRect(nullptr, 12, PixelRect{0, 0, 3, 2});
    bitmap.SetBitsInRect(source.data(), 12, PixelRect{2, 1, 1, 2});  // empty
    EXPECT_EQ(std::vector<uint8_t>(bitmap.Bits(), bitmap.Bits() + bitmap.ByteSize()), expected);

    // What reaches a surface is counted.
    WindowSurface surface(window.Id());
    surface.Resize(4, 3);
    surface.Blit(Gradient(3, 3), 1, 1, 2, 2, 0, 0);
    EXPECT_EQ(surface.LastPresentedArea(), (PixelRect{1, 1, 3, 3}));
    surface.Blit(Gradient(3, 3), 0, 0, 3, 3, 0, 0);
    EXPECT_EQ(surface.PresentedPixels(), 4 + 9);
    EXPECT_TRUE(InvalidAreaOf(window.Id()).IsEmpty());
    const PixelRect corner{3, 2, 9, 9};
    InvalidateRect(window.Id(), &corner);
    EXPECT_EQ(InvalidAreaOf(window.Id()), (PixelRect{3, 2, 4, 3}));
    EXPECT_TRUE(InvalidAreaOf(window.Id() + 1000).IsEmpty());
}

TEST_F(DisplayTest, SurfacesKeepTheDisplayFormatAndConvertOthers) {
    SetDisplayDepthForTesting(16);
    EXPECT_EQ(DisplayDepth(), 16);
    WindowSurface surface(window.Id());
    surface.Resize(2, 1);
    DisplayBitmap bitmap;
    ASSERT_TRUE(bitmap.Create(2, 1, 24));
    const uint8_t bits[] = {0x08, 0x80, 0xFF, 0, 0, 0};
    bitmap.SetBits(bits, sizeof bits);
    ASSERT_TRUE(BlitToWindow(window.Id(), bitmap, 0, 0, 2, 1, 0, 0));
    const uint16_t word = static_cast<uint16_t>(surface.Pixels()[0] | surface.Pixels()[1] << 8);
    EXPECT_EQ(word, 31 << 11 | 32 << 5 | 1);
    EXPECT_EQ(surface.ColorAt(0, 0), Colour(255, 130, 8));
    EXPECT_FALSE(BlitToWindow(window.Id() + 1000, bitmap, 0, 0, 2, 1, 0, 0));
}

TEST_F(DisplayTest, InvalidatedAreasBecomeOnePaintMessage) {
    WindowSurface surface(window.Id());
    surface.Resize(100, 50);
    const PixelRect a{10, 10, 20, 20};
    const PixelRect b{90, 40, 130, 70};  // reaches past the client area
    ASSERT_TRUE(InvalidateRect(window.Id(), &a));
    ASSERT_TRUE(PostMessage(window.Id(), kMsgUser, 1, 0));
    ASSERT_TRUE(InvalidateRect(window.Id(), &b));
    SetTimer(window.Id(), 7, 10);

    // Posted messages first, then one paint; the timer is not due yet.
    const std::vector<Message> taken = TakeMessages();
    ASSERT_EQ(taken.size(), 2u);
    EXPECT_EQ(taken[0].id, kMsgUser);
    EXPECT_EQ(taken[1].id, kMsgPaint);
    EXPECT_EQ(taken[1].window, window.Id());
    KillTimer(window.Id(), 7);
    EXPECT_EQ(surface.TakeInvalidArea(), (PixelRect{10, 10, 100, 50}));
    EXPECT_TRUE(surface.InvalidArea().IsEmpty());

    // Nothing inside asks for nothing; null asks for the whole area.
    const PixelRect outside{200, 0, 300, 10};
    EXPECT_TRUE(InvalidateRect(window.Id(), &outside));
    EXPECT_TRUE(TakeMessages().empty());
    EXPECT_TRUE(InvalidateRect(window.Id(), nullptr));
    surface.Resize(40, 30);
    EXPECT_EQ(surface.InvalidArea(), (PixelRect{0, 0, 40, 30}));

    // A destroyed window's paint goes with it.
    window.Destroy();
    EXPECT_TRUE(TakeMessages().empty());
    EXPECT_FALSE(InvalidateRect(surface.Window(), nullptr));
    EXPECT_FALSE(RequestPaint(surface.Window()));
}

TEST_F(DisplayTest, SdlBackendShowsThePixelsInItsWindow) {
    // Headless runs pick no back end; the SDL one still works on SDL's
    // dummy driver, which keeps the window's pixels in memory.
    EXPECT_EQ(MakeDefaultSurfaceBackend(), nullptr);
    std::unique_ptr<SurfaceBackend> backend = MakeSdlSurfaceBackend("桌面");
    ASSERT_NE(backend, nullptr);
    WindowSurface surface(window.Id(), std::move(backend));
    surface.Resize(3, 3);
    ASSERT_TRUE(surface.Blit(Gradient(3, 3), 1, 1, 2, 2, 0, 0));
    EXPECT_EQ(surface.Backend()->ShownColorAt(2, 2), Colour(200, 1, 1));
    EXPECT_EQ(surface.Backend()->ShownColorAt(0, 0), 0u);
    EXPECT_EQ(surface.Backend()->ShownColorAt(5, 0), 0u);
}
