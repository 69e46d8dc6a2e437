// The screenshot reader on screens drawn here: framed faces in a row, a bar
// of overlapping backs, a face that lost its frame, the colour key.

#include "tests/e2e/support/ScreenReading.h"

#include <gtest/gtest.h>

#include "tools/skin/SkinColours.h"
#include "tools/skin/SkinList.h"

namespace {

constexpr uint32_t kCloth = 0x1e6a3c;
constexpr uint32_t kIvory = 0xf2ead2;

// The skin's 0x00BBGGRR as the screen's 0x00RRGGBB.
uint32_t OnScreen(uint32_t bgr) {
    return ((bgr & 0xff) << 16) | (bgr & 0xff00) | (bgr >> 16);
}

class Painter {
public:
    Painter(int width, int height) {
        screen.width = width;
        screen.height = height;
        screen.pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), kCloth);
    }
    void Put(int x, int y, uint32_t rgb) {
        screen.pixels[static_cast<size_t>(y) * static_cast<size_t>(screen.width) +
                      static_cast<size_t>(x)] = rgb;
    }
    void Fill(int left, int top, int width, int height, uint32_t rgb) {
        for (int y = top; y < top + height; ++y) {
            for (int x = left; x < left + width; ++x) {
                Put(x, y, rgb);
            }
        }
    }
    // A face as a scaled tile shows it: its top and left lines only.
    void Face(int left, int top, int width, int height, int frame, bool framed = true) {
        Fill(left, top, width, height, kIvory);
        const uint32_t key = OnScreen(regional_skin::FaceColour(frame));
        if (framed) {
            Fill(left, top, width, 1, key);
            Fill(left, top, 1, height, key);
        } else {
            Fill(left + 2, top + 2, 3, 3, key);
        }
    }
    // Backs overlapping along a row: each shows its fill and the left piece
    // of its inset line.
    void BackRow(int left, int top, int tiles, int step, int height, regional_skin::Look look) {
        const uint32_t fill = OnScreen(regional_skin::BackColour(look));
        Fill(left, top, tiles * step, height, fill);
        for (int t = 0; t < tiles; ++t) {
            Fill(left + t * step + step - 1, top + 3, 1, height - 6, kIvory);
        }
    }

    e2e::Screen screen;
};

TEST(ScreenReading, FacesInARowBacksAlongASideAndTheColourKeyAreFound) {
    Painter painter(400, 200);
    for (int t = 0; t < 14; ++t) {
        painter.Face(10 + t * 20, 150, 20, 30, t % 27);
    }
    // A smaller face elsewhere does not join the row.
    painter.Face(30, 60, 12, 16, 5);
    painter.BackRow(40, 10, 12, 10, 20, regional_skin::Look::BackEnds);
    painter.Put(399, 0, 0xff00ff);

    const e2e::ScreenReading reading = e2e::ReadScreen(painter.screen);
    EXPECT_EQ(reading.faces.size(), 15u);
    const std::vector<e2e::FaceRegion> row = e2e::LargestFaceRow(reading.faces);
    ASSERT_EQ(row.size(), 14u);
    EXPECT_EQ(row.front().box.left, 10);
    EXPECT_EQ(row.front().box.width, 20);
    EXPECT_EQ(row.front().box.height, 30);
    for (const e2e::FaceRegion& face : reading.faces) {
        EXPECT_TRUE(face.framed) << face.box.left;
    }
    ASSERT_EQ(reading.bars.size(), 1u);
    EXPECT_FALSE(reading.bars[0].upright);
    EXPECT_EQ(reading.bars[0].tiles, 12);
    EXPECT_EQ(reading.colourKeyPixels, 1u);
}

TEST(ScreenReading, AFaceWithoutItsFrameAndAnUprightBarAreTold) {
    Painter painter(200, 300);
    painter.Face(10, 10, 20, 30, 3, false);
    // Upright: the backs stack from top to bottom.
    Painter column(60, 300);
    column.Fill(10, 10, 20, 15 * 12,
                OnScreen(regional_skin::BackColour(regional_skin::Look::BackSides)));
    for (int t = 0; t < 12; ++t) {
        column.Fill(13, 10 + t * 15 + 14, 14, 1, kIvory);
    }

    const e2e::ScreenReading faces = e2e::ReadScreen(painter.screen);
    ASSERT_EQ(faces.faces.size(), 1u);
    EXPECT_FALSE(faces.faces[0].framed);
    const e2e::ScreenReading bars = e2e::ReadScreen(column.screen);
    ASSERT_EQ(bars.bars.size(), 1u);
    EXPECT_TRUE(bars.bars[0].upright);
    EXPECT_EQ(bars.bars[0].tiles, 12);
    EXPECT_EQ(bars.colourKeyPixels, 0u);
}

}  // namespace
