// The table as the player sees it: the real client on a private X server at
// two screen sizes, a hand in progress, one screenshot read loosely in the
// drawn skin's key colours. The own row shows at least 13 framed faces of
// the own tile size in a row near the bottom, each other side at least 10
// backs in a row, every face keeps its one-pixel frame, and the colour key
// shows nowhere.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>

#include "platform/ImageDecoder.h"
#include "tests/e2e/support/RunChecks.h"
#include "tests/e2e/support/ScreenReading.h"
#include "tests/support/TableRun.h"
#include "tests/window/XServer.h"

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kHandInProgressMs = 120000;
constexpr uint32_t kImportMs = 30000;
constexpr size_t kOwnRow = 13;
constexpr int kSideRow = 10;

struct ScreenSize {
    int width;
    int height;
};

std::optional<e2e::Screen> TakeScreenshot(const window_test::XServer& xserver,
                                          const fs::path& file) {
    // Always true colour, even of a screen that is still black.
    window_test::ChildProcess import;
    if (!import.Start({"import", "-window", "root", "PNG32:" + file.string()},
                      (file.parent_path() / "import.log").string(), xserver.DisplayName())) {
        ADD_FAILURE() << import.Error();
        return std::nullopt;
    }
    if (!import.WaitForExit(kImportMs).has_value() || import.ExitStatus() != 0) {
        ADD_FAILURE() << "import did not take the screenshot";
        return std::nullopt;
    }
    platform::DecodedPicture picture;
    std::string error;
    if (!platform::StartPictureCodecs() ||
        !platform::DecodePictureFile(file.string(), picture, error) ||
        picture.layout != platform::PictureLayout::Bgra32) {
        ADD_FAILURE() << "the screenshot cannot be read as true colour: " << error;
        return std::nullopt;
    }
    e2e::Screen screen;
    screen.width = picture.width;
    screen.height = picture.height;
    const uint8_t* p = picture.FramePixels(0);
    screen.pixels.resize(static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height));
    for (uint32_t& pixel : screen.pixels) {
        pixel = static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 |
                static_cast<uint32_t>(p[0]);
        p += 4;
    }
    return screen;
}

// The most backs in one row on each other side of the own row's centre:
// above it, to its left and to its right.
struct SideRows {
    int top = 0;
    int left = 0;
    int right = 0;
};

SideRows CountSideRows(const e2e::ScreenReading& reading, const e2e::Screen& screen, int centreX) {
    SideRows rows;
    for (const e2e::BackBar& bar : reading.bars) {
        if (!bar.upright && bar.box.CentreY() < screen.height / 2) {
            rows.top = std::max(rows.top, bar.tiles);
        } else if (bar.upright && bar.box.CentreX() < centreX) {
            rows.left = std::max(rows.left, bar.tiles);
        } else if (bar.upright) {
            rows.right = std::max(rows.right, bar.tiles);
        }
    }
    return rows;
}

std::string Describe(const e2e::ScreenReading& reading, size_t ownRow, const SideRows& sides) {
    std::ostringstream out;
    out << reading.faces.size() << " face regions, own row " << ownRow << "; backs in a row: top "
        << sides.top << ", left " << sides.left << ", right " << sides.right
        << "; colour-key pixels " << reading.colourKeyPixels;
    return out.str();
}

class TableScreenshotTest : public ::testing::TestWithParam<ScreenSize> {};

TEST_P(TableScreenshotTest, AHandInProgressShowsFramedFacesBacksOnEverySideAndNoColourKey) {
    const ScreenSize size = GetParam();
    window_test::XServer xserver;
    ASSERT_TRUE(xserver.Start(size.width, size.height)) << xserver.Error();
    e2e::TableRunOptions options;
    options.serverArguments = {"--start-when-full", "--pacing", "test", "--seed", "1717"};
    options.clientEnvironment = {"DISPLAY=" + xserver.DisplayName(), "SDL_VIDEODRIVER=x11"};
    // The X client libraries keep a few allocations to the end.
    options.detectLeaks = false;
    e2e::TableRun table(options);
    ASSERT_TRUE(table.StartServer());
    ASSERT_TRUE(table.StartHallAndClient());

    const fs::path file = table.Run().Root() / "screen.png";
    std::optional<e2e::Screen> screen;
    e2e::ScreenReading reading;
    std::vector<e2e::FaceRegion> ownRow;
    SideRows sides;
    const bool shown = test_support::WaitUntil(
        [&] {
            screen = TakeScreenshot(xserver, file);
            if (!screen || !table.Client().Running()) {
                return true;
            }
            reading = e2e::ReadScreen(*screen);
            EXPECT_EQ(reading.colourKeyPixels, 0u);
            ownRow = e2e::LargestFaceRow(reading.faces);
            const int centreX = ownRow.empty()
                                    ? screen->width / 2
                                    : (ownRow.front().box.left + ownRow.back().box.Right()) / 2;
            sides = CountSideRows(reading, *screen, centreX);
            return ownRow.size() >= kOwnRow && sides.top >= kSideRow && sides.left >= kSideRow &&
                   sides.right >= kSideRow;
        },
        kHandInProgressMs);
    ASSERT_TRUE(screen.has_value());
    ASSERT_TRUE(table.Client().Running()) << "the client ended before the hand showed";
    EXPECT_TRUE(shown) << Describe(reading, ownRow.size(), sides);
    std::printf("%d x %d: %s\n", size.width, size.height,
                Describe(reading, ownRow.size(), sides).c_str());
    EXPECT_EQ(reading.colourKeyPixels, 0u);
    // The own row lies near the bottom, its faces framed.
    ASSERT_GE(ownRow.size(), kOwnRow) << Describe(reading, ownRow.size(), sides);
    EXPECT_GT(ownRow.front().box.Bottom(), screen->height * 3 / 4);
    for (const e2e::FaceRegion& face : reading.faces) {
        EXPECT_TRUE(face.framed) << "the face " << face.frame << " at " << face.box.left << ","
                                 << face.box.top << " (" << face.box.width << " x "
                                 << face.box.height << ") lost its frame";
    }

    table.Client().Stop(3000);
    EXPECT_TRUE(table.Run().SanitizerReports().empty()) << table.Run().CheckEnded(0).message();
    e2e::FailOnEachLine(table.ClientMissedResources());
}

INSTANTIATE_TEST_SUITE_P(Screens, TableScreenshotTest,
                         ::testing::Values(ScreenSize{1024, 768}, ScreenSize{1366, 768}),
                         [](const ::testing::TestParamInfo<ScreenSize>& info) {
                             return std::to_string(info.param.width) + "x" +
                                    std::to_string(info.param.height);
                         });

}  // namespace
