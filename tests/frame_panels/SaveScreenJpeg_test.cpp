#include "frame/panels/services/SaveScreenJpeg.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "platform/Display.h"
#include "platform/ImageDecoder.h"
#include "platform/Messages.h"
#include "platform/Screen.h"
#include "platform/SdlWindow.h"
#include "tests/engine/TempProgramFolder.h"

namespace {

class SaveScreenJpegTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetScreenForTesting({0, 0, 640, 480}, {0, 0, 640, 480});
        ASSERT_TRUE(platform::StartPictureCodecs());
        platform::RegisterWindowClass("SaveScreenJpegTest");
        ASSERT_TRUE(window.Create("SaveScreenJpegTest"));
        platform::TopLevelOptions options;
        options.title = "jpeg";
        options.clientRect = {40, 30, 240, 130};
        top = std::make_unique<platform::TopLevelWindow>(window.Id(), options);
        platform::DisplayBitmap bitmap;
        ASSERT_TRUE(bitmap.Create(200, 100, 32));
        std::vector<uint8_t> pixels(200 * 100 * 4);
        for (size_t i = 0; i < pixels.size(); i += 4) {
            pixels[i] = 0x20;      // blue
            pixels[i + 1] = 0xC0;  // green
            pixels[i + 2] = 0xF0;  // red
        }
        bitmap.SetBits(pixels.data(), pixels.size());
        ASSERT_TRUE(platform::BlitToWindow(window.Id(), bitmap, 0, 0, 200, 100, 0, 0));
    }
    void TearDown() override {
        top.reset();
        platform::ResetScreenForTesting();
    }

    // The decoded pixel's channels (BGRA layout of the decoder).
    static void ExpectNear(const platform::DecodedPicture& picture, int x, int y, int r, int g,
                           int b) {
        const uint8_t* p = picture.pixels.get() +
                           (static_cast<size_t>(y) * picture.width + x) * picture.BytesPerPixel();
        EXPECT_NEAR(p[2], r, 8) << x << "," << y;
        EXPECT_NEAR(p[1], g, 8) << x << "," << y;
        EXPECT_NEAR(p[0], b, 8) << x << "," << y;
    }

    TempProgramFolder folder;
    platform::Window window;
    std::unique_ptr<platform::TopLevelWindow> top;
};

TEST_F(SaveScreenJpegTest, TheFileDecodesAtTheScreenSizeWithTheWindowInPlace) {
    const std::string path = folder.Path() + "\\temp\\shot.jpg";
    EXPECT_EQ(SaveScreenJpeg(path.c_str(), 75), 1);
    platform::DecodedPicture picture;
    std::string error;
    ASSERT_TRUE(platform::DecodePictureFile(folder.Path() + "/temp/shot.jpg", picture, error))
        << error;
    EXPECT_EQ(picture.width, 640);
    EXPECT_EQ(picture.height, 480);
    ExpectNear(picture, 140, 80, 0xF0, 0xC0, 0x20);
    ExpectNear(picture, 10, 10, 0, 0, 0);
    ExpectNear(picture, 400, 300, 0, 0, 0);
    EXPECT_TRUE(folder.boxes.empty());
}

// The window's area in the picture is what the window presented: a pattern
// with edges and gradients survives the JPEG within a small mean error.
TEST_F(SaveScreenJpegTest, TheWindowAreaMatchesWhatThePicturePresented) {
    constexpr int kWidth = 200;
    constexpr int kHeight = 100;
    std::vector<uint8_t> presented(kWidth * kHeight * 4);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            uint8_t* p = &presented[(static_cast<size_t>(y) * kWidth + x) * 4];
            // Ramps in each channel under a lighter and darker checker of
            // 25-pixel squares, as a table's pictures have edges and shades.
            const int shade = ((x / 25 + y / 25) % 2) != 0 ? 40 : 0;
            p[0] = static_cast<uint8_t>(x * 200 / (kWidth - 1) + shade);                  // blue
            p[1] = static_cast<uint8_t>(y * 200 / (kHeight - 1) + shade);                 // green
            p[2] = static_cast<uint8_t>((x + y) * 200 / (kWidth + kHeight - 2) + shade);  // red
        }
    }
    platform::DisplayBitmap bitmap;
    ASSERT_TRUE(bitmap.Create(kWidth, kHeight, 32));
    bitmap.SetBits(presented.data(), presented.size());
    ASSERT_TRUE(platform::BlitToWindow(window.Id(), bitmap, 0, 0, kWidth, kHeight, 0, 0));

    const std::string path = folder.Path() + "/temp/pattern.jpg";
    ASSERT_EQ(SaveScreenJpeg(path.c_str(), 75), 1);
    platform::DecodedPicture picture;
    std::string error;
    ASSERT_TRUE(platform::DecodePictureFile(path, picture, error)) << error;
    ASSERT_EQ(picture.width, 640);
    ASSERT_EQ(picture.height, 480);
    // The window's client area stands at (40, 30) on the screen.
    double sum[3] = {0, 0, 0};
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const uint8_t* want = &presented[(static_cast<size_t>(y) * kWidth + x) * 4];
            const uint8_t* got =
                picture.pixels.get() +
                (static_cast<size_t>(y + 30) * picture.width + (x + 40)) * picture.BytesPerPixel();
            for (int c = 0; c < 3; ++c) {
                sum[c] += std::abs(int(got[c]) - int(want[c]));
            }
        }
    }
    for (int c = 0; c < 3; ++c) {
        EXPECT_LT(sum[c] / (kWidth * kHeight), 8.0) << "channel " << c;
    }
}

TEST_F(SaveScreenJpegTest, AnUnwritableFolderGivesTheBoxAndLeavesNoFile) {
    if (geteuid() == 0) {
        // root writes anywhere: a plain file where the folder should be.
        ASSERT_TRUE(platform::WriteWholeFile(folder.Path() + "/locked", "x", 1));
    } else {
        std::filesystem::create_directories(folder.Path() + "/locked");
        chmod((folder.Path() + "/locked").c_str(), 0555);
    }
    const std::string path = folder.Path() + "/locked/shot.jpg";
    EXPECT_EQ(SaveScreenJpeg(path.c_str(), 75), 0);
    ASSERT_EQ(folder.boxes.size(), 1u);
    EXPECT_EQ(folder.boxes[0].text, "JpegFile :\nCan't open " + path + "\n");
    EXPECT_FALSE(std::filesystem::exists(path));
    if (std::filesystem::is_directory(folder.Path() + "/locked")) {
        EXPECT_TRUE(std::filesystem::is_empty(folder.Path() + "/locked"));
        chmod((folder.Path() + "/locked").c_str(), 0755);
    }
}

TEST_F(SaveScreenJpegTest, AnEncoderErrorAnswersZeroWithoutEndingTheProcess) {
    // Wider than JPEG allows: libjpeg refuses it, and its error comes back.
    platform::SetScreenForTesting({0, 0, 70000, 1}, {0, 0, 70000, 1});
    const std::string path = folder.Path() + "/wide.jpg";
    EXPECT_EQ(SaveScreenJpeg(path.c_str(), 75), 0);
    EXPECT_FALSE(std::filesystem::exists(path));
    // No screen at all is refused before the encoder.
    platform::SetScreenForTesting({0, 0, 0, 0}, {0, 0, 0, 0});
    EXPECT_EQ(SaveScreenJpeg(path.c_str(), 75), 0);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(ScreenshotFileNameTest, DateAndTimeAreWrittenAsNumbers) {
    EXPECT_EQ(ScreenshotFileName("pvbn", 12345, {2026, 12, 7, 9, 30, 5}),
              "temp\\pvbn_12345_20261207_93005.jpg");
    EXPECT_EQ(ScreenshotFileName("pvbn", 7, {2027, 1, 5, 0, 0, 9}), "temp\\pvbn_7_2027105_9.jpg");
}

}  // namespace
