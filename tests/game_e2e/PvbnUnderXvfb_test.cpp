// The real program under a private X server: the fake hall starts `pvbn`
// with its launch line against the test server's regional script, nobody
// touches it (the own seat is never on turn), and it plays the hand to the
// result. One screenshot of the screen shows the result dialog's test colour
// at the window's centre and tile faces in the own row. Then the hall
// vanishes, the client ends, and no sanitizer report was written. A client
// whose X server goes away ends too.

#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <string>

#include "platform/ImageDecoder.h"
#include "tests/game/support/ProgramFolder.h"
#include "tests/game/support/RegionalHall.h"
#include "tests/game/support/RegionalSkin.h"
#include "tests/platform/ScopedEnv.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ClientRun.h"
#include "tests/window/XServer.h"
#include "tools/fake_hall/FakeHall.h"
#include "tools/test_server/RegionalScript.h"

namespace {

namespace fs = std::filesystem;
using testserver::RegionalScript;

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr int32_t kRoomId = 300;
constexpr int32_t kTableNo = 8;
constexpr int32_t kOwnUser = 12345;
constexpr char kTitle[] = "pvbn under Xvfb";
constexpr uint32_t kHandMs = 120000;

std::string SanitizerReports(const std::string& folder) {
    std::string names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("sanitizer.", 0) == 0) {
            names += name + " ";
        }
    }
    return names;
}

// The screen's pixels as 0x00BBGGRR, from the screenshot file.
struct Screenshot {
    platform::DecodedPicture picture;
    uint32_t At(int x, int y) const {
        const uint8_t* p =
            picture.FramePixels(0) +
            (static_cast<size_t>(y) * static_cast<size_t>(picture.width) + static_cast<size_t>(x)) *
                4;
        return static_cast<uint32_t>(p[2]) | static_cast<uint32_t>(p[1]) << 8 |
               static_cast<uint32_t>(p[0]) << 16;
    }
};

class PvbnUnderXvfbTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(xserver.Start(kWidth, kHeight)) << xserver.Error();
        game_test::ProgramFolderOptions options;
        options.pointProgramFolder = false;
        folder = std::make_unique<game_test::ProgramFolder>(options);
        ASSERT_TRUE(folder->Ok()) << folder->Error();
        // The program's folder is its executable's: the skin lies beside it,
        // and so does the web helper it looks for there.
        ASSERT_TRUE(PlaceBeside(PVBN_PROGRAM, "pvbn"));
        ASSERT_TRUE(PlaceBeside(WEB_HELPER_PROGRAM, "pvbn_web_helper"));

        const game_test::RegionalTable table{kRoomId, kTableNo, kOwnUser, kTitle};
        regional =
            std::make_unique<RegionalScript>(server, game_test::RegionalScriptOptions(table));
        ASSERT_TRUE(server.Start());
        hall = std::make_unique<fakehall::FakeHall>(
            game_test::RegionalHallOptions(table, server.Port(), folder->File("hall")));
        ASSERT_TRUE(hall->Start());
    }

    // The built program in the folder.
    bool PlaceBeside(const char* program, const char* name) {
        std::string error;
        const bool placed = test_support::PlaceProgram(program, folder->File(name), error);
        EXPECT_TRUE(placed) << error;
        return placed;
    }

    void TearDown() override {
        if (pid > 0 && !test_support::ProcessGone(pid)) {
            ::kill(pid, SIGKILL);
        }
        hall.reset();
        regional.reset();
        server.Stop();
    }

    // Starts the client on the X server; its sanitizers write into the
    // folder instead of standard error. The X client libraries keep a few
    // allocations to the end (the window tests say why), so leaks are not
    // looked for here; the headless scenario checks the same code for them.
    void StartClient() {
        const std::string reports = folder->File("sanitizer");
        std::string asan =
            std::getenv("ASAN_OPTIONS") != nullptr ? std::getenv("ASAN_OPTIONS") : "";
        std::string ubsan =
            std::getenv("UBSAN_OPTIONS") != nullptr ? std::getenv("UBSAN_OPTIONS") : "";
        ScopedEnv display("DISPLAY", xserver.DisplayName());
        ScopedEnv driver("SDL_VIDEODRIVER", std::string("x11"));
        ScopedEnv asanOptions("ASAN_OPTIONS", asan + ":detect_leaks=0:log_path=" + reports);
        ScopedEnv ubsanOptions("UBSAN_OPTIONS", ubsan + ":print_stacktrace=1:log_path=" + reports);
        test_support::ChildOptions output;
        output.logFile = folder->File("pvbn.out");
        ASSERT_TRUE(client.Start({folder->File("pvbn"), hall->LaunchLine()}, output))
            << client.Error();
        pid = client.Pid();
    }

    std::optional<Screenshot> TakeScreenshot() {
        const std::string file = folder->File("screen.png");
        window_test::ChildProcess import;
        if (!import.Start({"import", "-window", "root", file}, folder->File("import.log"),
                          xserver.DisplayName())) {
            ADD_FAILURE() << import.Error();
            return std::nullopt;
        }
        if (!test_support::WaitUntil([&] { return !import.Running(); }, 30000) ||
            import.ExitStatus() != 0) {
            ADD_FAILURE() << "import did not take the screenshot";
            return std::nullopt;
        }
        Screenshot shot;
        std::string error;
        if (!platform::StartPictureCodecs() ||
            !platform::DecodePictureFile(file, shot.picture, error)) {
            ADD_FAILURE() << "the screenshot cannot be read: " << error;
            return std::nullopt;
        }
        if (shot.picture.layout != platform::PictureLayout::Bgra32) {
            ADD_FAILURE() << "the screenshot is not a true-colour picture";
            return std::nullopt;
        }
        return shot;
    }

    window_test::XServer xserver;
    std::unique_ptr<game_test::ProgramFolder> folder;
    testserver::TestGameServer server;
    std::unique_ptr<RegionalScript> regional;
    std::unique_ptr<fakehall::FakeHall> hall;
    test_support::ChildProcess client;
    int pid = 0;
};

TEST_F(PvbnUnderXvfbTest, PlaysTheScriptedHandToTheResultAndEndsWithTheHall) {
    StartClient();
    ASSERT_TRUE(hall->WaitForEvent(fakehall::HallEvent::Kind::LaunchSent, 30000))
        << "the client never registered with the hall";
    ASSERT_TRUE(regional->WaitForHandEnd(kHandMs)) << "the script did not reach the result";
    unsigned long window = 0;
    ASSERT_TRUE(
        test_support::WaitUntil([&] { return (window = xserver.FindWindow(kTitle)) != 0; }, 10000));
    int left = 0;
    int top = 0;
    ASSERT_TRUE(xserver.Origin(window, left, top));
    std::optional<window_test::WindowImage> image;
    ASSERT_TRUE(test_support::WaitUntil(
        [&] {
            image = xserver.Read(window);
            return image.has_value();
        },
        10000));
    const int width = image->width;
    const int height = image->height;

    // The dialog fades in after the result: wait until its colour shows at
    // the window's centre, then take the one screenshot.
    const regional_skin::Picture* back = regional_skin::FindPicture("bit_Result_BK");
    ASSERT_NE(back, nullptr);
    const uint32_t dialogColour = regional_skin::FrameColour(*back, 0);
    auto centreShowsDialog = [&] {
        const std::optional<window_test::WindowImage> now = xserver.Read(window);
        if (!now) {
            return false;
        }
        const uint32_t rgb = now->At(width / 2, height / 2);
        const uint32_t bgr = ((rgb & 0xff) << 16) | (rgb & 0xff00) | ((rgb >> 16) & 0xff);
        return regional_skin::ColourNear(bgr, dialogColour);
    };
    EXPECT_TRUE(test_support::WaitUntil(centreShowsDialog, 15000))
        << "the result dialog never showed";
    const std::optional<Screenshot> shot = TakeScreenshot();
    ASSERT_TRUE(shot.has_value());
    ASSERT_GE(shot->picture.width, left + width);
    ASSERT_GE(shot->picture.height, top + height);
    EXPECT_TRUE(
        regional_skin::ColourNear(shot->At(left + width / 2, top + height / 2), dialogColour))
        << std::hex << shot->At(left + width / 2, top + height / 2);
    // The own row along the bottom of the table: tile faces, of several
    // tiles.
    std::set<int> faces;
    for (int y = top + height - 140; y < top + height; ++y) {
        for (int x = left; x < left + width; ++x) {
            const regional_skin::Seen seen = regional_skin::ClassifyColour(shot->At(x, y));
            if (seen.kind == regional_skin::Seen::Kind::Face) {
                faces.insert(seen.frame);
            }
        }
    }
    EXPECT_GE(faces.size(), 5u) << "tile faces in the own row";

    // The hall goes; the client follows it.
    hall->Vanish();
    EXPECT_TRUE(test_support::WaitUntil([&] { return test_support::ProcessGone(pid); }, 30000))
        << "the client did not end";
    EXPECT_EQ(SanitizerReports(folder->Path()), "");
    // The skin held every picture the program asked for.
    for (const char* missing : {"does not exists", "invalid frame"}) {
        for (const std::string& line : folder->LogLinesWith(missing)) {
            ADD_FAILURE() << line;
        }
    }
}

// The X server goes away under the running client: it ends at once
// instead of spinning in its windows' teardown.
TEST_F(PvbnUnderXvfbTest, EndsWhenItsXServerGoesAway) {
    StartClient();
    ASSERT_TRUE(test_support::WaitUntil(
        [&] {
            const unsigned long window = xserver.FindWindow(kTitle);
            return window != 0 && xserver.IsMapped(window);
        },
        30000));
    xserver.Stop();
    EXPECT_TRUE(test_support::WaitUntil([&] { return test_support::ProcessGone(pid); }, 15000))
        << "the client did not end";
    EXPECT_NE(folder->Read("pvbn.out").find("pvbn: the connection to the X display was lost"),
              std::string::npos)
        << folder->Read("pvbn.out");
}

}  // namespace
