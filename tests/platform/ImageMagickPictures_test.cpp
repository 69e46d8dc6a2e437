// Pictures written by ImageMagick, in every format the decoder claims,
// decode with the right size, frames and colours.

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/ImageDecoder.h"
#include "tests/platform/TempFolder.h"

using namespace platform;

namespace {

using Rgb = std::array<int, 3>;

constexpr Rgb kRed = {255, 0, 0};
constexpr Rgb kBlue = {0, 0, 255};

// ImageMagick's command: "magick" (version 7) or "convert" (version 6).
std::optional<std::string> ImageMagick() {
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "";
    for (const char* tool : {"magick", "convert"}) {
        size_t start = 0;
        while (start <= folders.size()) {
            const size_t end = std::min(folders.find(':', start), folders.size());
            const std::filesystem::path candidate =
                std::filesystem::path(folders.substr(start, end - start)) / tool;
            std::error_code ignored;
            if (end > start && std::filesystem::is_regular_file(candidate, ignored)) {
                return candidate.string();
            }
            start = end + 1;
        }
    }
    return std::nullopt;
}

// Runs ImageMagick with the arguments; the output file is the last one.
void Write(const std::string& tool, const std::string& arguments) {
    const std::string command = "'" + tool + "' " + arguments + " 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

// The colour of pixel (x, y) of frame f, whatever the layout.
Rgb ColourAt(const DecodedPicture& picture, int x, int y, int f = 0) {
    const size_t p = static_cast<size_t>(y) * picture.width + x;
    const uint8_t* frame = picture.FramePixels(f);
    if (picture.layout == PictureLayout::Indexed8) {
        const size_t index = frame[p];
        if (index >= static_cast<size_t>(picture.PaletteCount())) {
            ADD_FAILURE() << "index " << index << " is past the palette";
            return {};
        }
        return {picture.palette[index * 3], picture.palette[index * 3 + 1],
                picture.palette[index * 3 + 2]};
    }
    return {frame[p * 4 + 2], frame[p * 4 + 1], frame[p * 4]};
}

// Near enough for a lossy format.
bool Near(const Rgb& a, const Rgb& b, int tolerance) {
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::abs(a[i] - b[i]) > tolerance) {
            return false;
        }
    }
    return true;
}

class ImageMagickPictures : public ::testing::Test {
protected:
    void SetUp() override {
        const std::optional<std::string> found = ImageMagick();
        ASSERT_TRUE(found.has_value())
            << "ImageMagick is needed to write the test pictures (magick or convert on PATH; "
               "Debian package imagemagick)";
        tool_ = *found;
    }

    // A picture of width x height, red with a blue block from column
    // `split` to the right edge, in the format that the name's extension
    // names; decoded from its file.
    DecodedPicture Split(const std::string& name, int width, int height, int split,
                         const std::string& options = "") {
        const std::string path = folder_ / name;
        Write(tool_, "-size " + std::to_string(width) + "x" + std::to_string(height) +
                         " xc:red -fill blue -draw 'rectangle " + std::to_string(split) + ",0 " +
                         std::to_string(width - 1) + "," + std::to_string(height - 1) + "' " +
                         options + " '" + path + "'");
        DecodedPicture picture;
        std::string error;
        EXPECT_TRUE(DecodePictureFile(path, picture, error)) << name << ": " << error;
        return picture;
    }

    std::string tool_;
    TempFolder folder_;
};

}  // namespace

TEST_F(ImageMagickPictures, EveryFormatDecodesWithItsSizeAndColours) {
    struct Case {
        std::string name;
        std::string options;
        int tolerance;
    };
    const std::vector<Case> cases = {
        {"split.png", "", 0},
        {"split.jpg", "-quality 95 -sampling-factor 1x1", 24},
        {"split.gif", "", 0},
        {"split.bmp", "", 0},
        {"split.tga", "", 0},
        {"split.pcx", "", 0},
        {"split.tif", "", 0},
        {"split-rle.tga", "-compress RLE", 0},
        {"split-lzw.tif", "-compress LZW", 0},
        {"split-8bit.bmp", "-type Palette", 0},
        {"split-24.pcx", "-type TrueColor", 0},
        {"split-8bit.pcx", "-type Palette", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DecodedPicture picture = Split(c.name, 13, 9, 8, c.options);
        ASSERT_EQ(picture.width, 13);
        ASSERT_EQ(picture.height, 9);
        ASSERT_EQ(picture.frameCount, 1);
        EXPECT_TRUE(Near(ColourAt(picture, 2, 4), kRed, c.tolerance));
        EXPECT_TRUE(Near(ColourAt(picture, 11, 7), kBlue, c.tolerance));
        EXPECT_TRUE(Near(ColourAt(picture, 12, 0), kBlue, c.tolerance));
    }
}

TEST_F(ImageMagickPictures, IconsDecodeTheirPicture) {
    const DecodedPicture icon = Split("split.ico", 32, 32, 16);
    ASSERT_EQ(icon.width, 32);
    ASSERT_EQ(icon.height, 32);
    EXPECT_EQ(ColourAt(icon, 3, 30), kRed);
    EXPECT_EQ(ColourAt(icon, 20, 1), kBlue);
}

TEST_F(ImageMagickPictures, AnimatedGifKeepsItsFramesAndDelays) {
    const std::string path = folder_ / "anim.gif";
    Write(tool_,
          "-size 6x4 -delay 15 xc:red -delay 30 xc:blue -delay 7 xc:lime -loop 0 '" + path + "'");
    DecodedPicture picture;
    std::string error;
    ASSERT_TRUE(DecodePictureFile(path, picture, error)) << error;
    EXPECT_EQ(picture.width, 6);
    EXPECT_EQ(picture.height, 4);
    ASSERT_EQ(picture.frameCount, 3);
    EXPECT_EQ(picture.delaysCs, (std::vector<int>{15, 30, 7}));
    EXPECT_EQ(ColourAt(picture, 5, 3, 0), kRed);
    EXPECT_EQ(ColourAt(picture, 0, 0, 1), kBlue);
    EXPECT_EQ(ColourAt(picture, 2, 1, 2), (Rgb{0, 255, 0}));
}

TEST_F(ImageMagickPictures, EveryPrefixOfAWrittenPictureDecodesOrIsRefusedCleanly) {
    for (const std::string name :
         {"cut.png", "cut.jpg", "cut.gif", "cut.bmp", "cut.ico", "cut.tga", "cut.pcx", "cut.tif"}) {
        SCOPED_TRACE(name);
        Split(name, 5, 4, 2);
        const std::string bytes = folder_.Read(name);
        const std::optional<PictureFormat> format =
            PictureFormatOfExtension(name.substr(name.find('.')));
        ASSERT_TRUE(format.has_value());
        for (size_t cut = 0; cut < bytes.size(); ++cut) {
            DecodedPicture picture;
            std::string error;
            const bool ok = DecodePicture(reinterpret_cast<const uint8_t*>(bytes.data()), cut,
                                          *format, picture, error);
            EXPECT_EQ(ok, picture.pixels != nullptr) << cut;
            EXPECT_EQ(ok, error.empty()) << cut;
        }
    }
}
