// The engine window on a real X server (Xvfb, started here): what the
// window shows is read back from the server and compared with the back
// buffer, and a real click and real typed text (xdotool, through the X
// server's input) reach the scene. Runs in a process of its own, so the
// rest of the suite keeps SDL's dummy driver.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "engine/CorvaneView.h"
#include "engine/CorvaneWnd.h"
#include "engine/ResourceModule.h"
#include "engine/ui/CorvaneButton.h"
#include "engine/ui/CorvaneEdit.h"
#include "engine/ui/RichText.h"
#include "platform/Messages.h"
#include "platform/PanelWindow.h"
#include "platform/SdlWindow.h"
#include "platform/Sync.h"
#include "tests/engine/SceneTestSupport.h"
#include "tests/engine/TempProgramFolder.h"
#include "tests/engine_ui/EditBoxText.h"
#include "tests/platform/PictureBytes.h"
#include "tests/window/Pixels.h"
#include "tests/window/XServer.h"

namespace {

// The process's X server; null (the reason in the text) when it could not
// start.
const window_test::XServer* TestXServer() {
    std::string error;
    return window_test::RunningXServer(error);
}
std::string TestXServerError() {
    std::string error;
    window_test::RunningXServer(error);
    return error;
}

using window_test::ChildProcess;
using window_test::WindowImage;
using window_test::XServer;

constexpr const char* kTitle = "pvbn window test";
constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr int kLeft = 30;  // the client area on the screen
constexpr int kTop = 20;
constexpr int kPressed = 80000001;
constexpr uint32_t kWaitMs = 5000;
// Shown colours, 0x00RRGGBB.
constexpr uint32_t kBackgroundPixel = 0x204060;
constexpr uint32_t kPhotoPixel = 0x50325A;  // the picture's pixel (10, 5)
constexpr uint32_t kFacePixel = 0xC82828;

}  // namespace

namespace {

// The palette of the button's face: transparent, then one colour per look.
const picture_bytes::Bytes kFacePalette = {255, 0,  255, 200, 40,  40,  40, 200,
                                           40,  40, 40,  200, 200, 200, 40};

class RealWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (TestXServer() == nullptr) {
            GTEST_SKIP() << "Xvfb cannot start here: " << TestXServerError();
        }
        auto* resources = new ResourceModule;
        AddPictures(*resources);
        wnd = std::make_unique<CCorvaneWnd>();
        ASSERT_EQ(wnd->Create(kTitle, platform::kStyleVisible | platform::kStylePopup, 0,
                              {kLeft, kTop, kLeft + kWidth, kTop + kHeight}, 0),
                  1);
        ASSERT_TRUE(wnd->GetTopLevel()->IsOnScreen()) << "SDL did not open an X11 window";
        view = new CCorvaneView;
        ASSERT_EQ(wnd->Initialize(view, resources), 1);
        BuildScene();
        ASSERT_TRUE(PumpUntil([&] { return (xWindow = TestXServer()->FindWindow(kTitle)) != 0; }))
            << "no X window titled " << kTitle;
    }
    void TearDown() override { wnd.reset(); }

    static void AddPictures(ResourceModule& resources) {
        picture_bytes::Bytes samples;
        for (int y = 0; y < 24; ++y) {
            for (int x = 0; x < 32; ++x) {
                samples.insert(samples.end(),
                               {static_cast<uint8_t>(8 * x), static_cast<uint8_t>(10 * y), 90});
            }
        }
        const picture_bytes::Bytes png = picture_bytes::Png(32, 24, 2, samples);
        resources.AddMemoryResource("photo.png", png.data(), png.size());
        std::vector<picture_bytes::GifFrame> looks;
        for (int look = 0; look < 4; ++look) {
            looks.push_back(picture_bytes::Frame(
                picture_bytes::Bytes(60 * 24, static_cast<uint8_t>(look + 1)), 10, 0));
        }
        const picture_bytes::Bytes gif = picture_bytes::Gif(60, 24, kFacePalette, looks);
        resources.AddMemoryResource("face.gif", gif.data(), gif.size());
    }

    // A picture, a canvas with Chinese text, a button that tells the owner
    // when clicked, and an edit box, over a filled background.
    void BuildScene() {
        view->FillBackground(0x604020);
        view->InvalidateAll();
        photo = view->CreatePicture(view->GetResourceFrame("photo", 0));
        ASSERT_NE(photo, nullptr);
        photo->SetPos(40, 30);
        photo->Show();
        photo->Invalidate();

        CCorvaneCanvas* label = view->CreateCanvas(120, 30, 0xFF00FF);
        ASSERT_NE(label, nullptr);
        label->SetPenColor(0xF0F0F0, 1.0);
        label->SetFont(16, 400, "宋体");
        label->DrawText(4, 6, "牌局开始");
        label->SetPos(180, 40);
        label->Show();
        label->Invalidate();

        owner = new RecordingObject(&log);
        view->Register(owner);
        button = new CCorvaneButton;
        view->Register(button);
        const EventRecord notify = MakeEventRecord(owner->GetId(), kPressed, 0, 0);
        button->Create(view->GetResourceFrame("face", 0), &notify, 0, 0);
        button->SetPos(80, 110);  // x 50..109, y 98..121
        button->Show();
        button->Invalidate();

        edit = new CCorvaneEdit;
        view->Register(edit);
        edit->Create(200, 24, kRichSingleLine);
        edit->SetPos(160, 190);  // x 60..259, y 178..201
        edit->Show();
        edit->Invalidate();
    }

    // Runs the window's messages (and so its frames) until the condition
    // holds or the time is up.
    template <class Condition>
    bool PumpUntil(Condition done, uint32_t timeoutMs = kWaitMs) {
        return window_test::PumpMessagesUntil(done, timeoutMs);
    }

    // Runs xdotool to its end while the window keeps taking its messages.
    void Xdotool(const std::vector<std::string>& arguments) {
        ASSERT_EQ(window_test::RunXdotool(*TestXServer(), arguments, kWaitMs), "");
    }
    // A real click at a client point: the pointer moves there, then the
    // left button goes down and up.
    void ClickAt(int x, int y) {
        ASSERT_EQ(window_test::ClickAt(*TestXServer(), xWindow, x, y, kWaitMs), "");
    }

    // Pixels where the window and the back buffer differ.
    int CountDifferences(const std::optional<WindowImage>& shown) {
        return window_test::CountDifferences(shown, window_test::BackBuffer(*wnd), kWidth, kHeight);
    }

    std::string EditText() { return EditBoxText(*edit); }

    TempProgramFolder folder;
    std::unique_ptr<CCorvaneWnd> wnd;
    CCorvaneView* view = nullptr;
    CCorvanePicture* photo = nullptr;
    RecordingObject* owner = nullptr;
    CCorvaneButton* button = nullptr;
    CCorvaneEdit* edit = nullptr;
    std::vector<Delivery> log;
    unsigned long xWindow = 0;
};

TEST_F(RealWindowTest, TheWindowShowsTheBackBuffer) {
    // Once the scene has reached the window, all of it matches.
    std::optional<WindowImage> shown;
    int differences = -1;
    const bool same = PumpUntil([&] {
        shown = TestXServer()->Read(xWindow);
        differences = shown ? CountDifferences(shown) : -1;
        return differences == 0 && shown->At(34, 23) == kPhotoPixel;
    });
    ASSERT_TRUE(shown.has_value()) << "the window could not be read back";
    EXPECT_TRUE(same) << differences << " pixels differ from the back buffer";

    // The scene is really there: the picture, the text and the button.
    EXPECT_EQ(shown->At(5, 5), kBackgroundPixel) << "the background";
    EXPECT_EQ(shown->At(34, 23), kPhotoPixel) << "the picture";
    EXPECT_EQ(shown->At(55, 100), kFacePixel) << "the button's face";
    int textPixels = 0;
    for (int y = 25; y < 55; ++y) {
        for (int x = 120; x < 240; ++x) {
            textPixels += shown->At(x, y) != kBackgroundPixel;
        }
    }
    EXPECT_GT(textPixels, 50) << "the Chinese text is drawn";

    // Moved, the picture is shown at its new place and the old one is
    // cleared, though only the changed area reaches the window.
    photo->SetPos(60, 70);
    photo->Invalidate();
    EXPECT_TRUE(PumpUntil([&] {
        shown = TestXServer()->Read(xWindow);
        return shown && shown->At(54, 63) == kPhotoPixel;
    }));
    EXPECT_EQ(shown->At(34, 23), kBackgroundPixel);
    EXPECT_TRUE(PumpUntil([&] {
        shown = TestXServer()->Read(xWindow);
        differences = shown ? CountDifferences(shown) : -1;
        return differences == 0;
    })) << differences
        << " pixels differ from the back buffer after the move";
}

TEST_F(RealWindowTest, ARealClickAndRealTypedTextReachTheScene) {
    ASSERT_TRUE(PumpUntil([&] { return TestXServer()->IsMapped(xWindow); }));
    ClickAt(70, 110);
    EXPECT_TRUE(PumpUntil([&] {
        for (const Delivery& d : log) {
            if (d.receiver == owner->GetId() && d.event == kPressed) {
                return true;
            }
        }
        return false;
    })) << "the button's click did not reach its owner";

    // A click into the edit box gives it the focus; typed text, one Chinese
    // character among it, arrives as GBK.
    ClickAt(100, 190);
    EXPECT_EQ(window_test::TypeCharacterByCharacter(
                  *TestXServer(), "ab中", [&] { return EditText(); }, kWaitMs),
              "");
    EXPECT_EQ(EditText(), "ab中");  // GBK: a b D6 D0
}

// A panel painted by another thread shows on the X server while the UI
// thread, which owns the display, blocks in a wait.
TEST(RealPanelWindow, FramesOfAnotherThreadReachTheServerWhileTheUiThreadWaits) {
    if (TestXServer() == nullptr) {
        GTEST_SKIP() << "Xvfb cannot start here: " << TestXServerError();
    }
    ASSERT_TRUE(platform::TakeDisplay());
    constexpr const char* kPanelTitle = "pvbn panel test";
    constexpr uint32_t kRedRef = 0x0000FF;  // the frame's colours, 0x00BBGGRR
    constexpr uint32_t kBlueRef = 0xFF0000;
    constexpr uint32_t kRedPixel = 0xFF0000;  // what the server shows, 0x00RRGGBB
    constexpr uint32_t kBluePixel = 0x0000FF;
    auto panel = std::make_unique<platform::PanelWindow>(kPanelTitle);
    platform::Event done(platform::Event::Mode::ManualReset);
    std::atomic<bool> firstShown{false};
    std::atomic<bool> secondShown{false};
    int originX = -1;
    int originY = -1;
    std::thread painter([&] {
        unsigned long xWindow = 0;
        // Polls the server for up to five seconds.
        auto shows = [&](uint32_t pixel) {
            for (int i = 0; i < 500; ++i) {
                if (xWindow == 0) {
                    xWindow = TestXServer()->FindWindow(kPanelTitle);
                }
                if (xWindow != 0 && TestXServer()->IsMapped(xWindow)) {
                    const auto image = TestXServer()->Read(xWindow);
                    if (image && image->width == 60 && image->At(10, 5) == pixel &&
                        image->At(59, 29) == kRedPixel) {
                        return true;
                    }
                }
                platform::SleepMs(10);
            }
            return false;
        };
        platform::PanelFrame frame = platform::PanelFrame::Filled(60, 30, kRedRef);
        panel->MoveTo(platform::ScreenPoint{100, 120});
        panel->Show(true);
        panel->Publish(frame);
        firstShown.store(shows(kRedPixel));
        frame.SetColorAt(10, 5, kBlueRef);
        panel->Publish(frame);
        secondShown.store(shows(kBluePixel));
        if (xWindow != 0) {
            TestXServer()->Origin(xWindow, originX, originY);
        }
        done.Set();
    });
    const bool ended = done.Wait(20000);
    painter.join();
    EXPECT_TRUE(ended);
    EXPECT_TRUE(firstShown.load()) << "the first frame never reached the server";
    EXPECT_TRUE(secondShown.load()) << "the second frame never reached the server";
    EXPECT_EQ(originX, 100);
    EXPECT_EQ(originY, 120);
    panel.reset();
    platform::GiveBackDisplay();
}

}  // namespace
