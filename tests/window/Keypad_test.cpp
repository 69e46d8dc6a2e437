// The protection-password keypad in a real X window (Xvfb): its shuffled
// digit keys are clicked with xdotool by reading the digit each key shows,
// and what the window shows is read back from the server.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <string>

#include "engine/CorvaneView.h"
#include "engine/CorvaneWnd.h"
#include "engine/GdiPaintModule.h"
#include "engine/ResourceModule.h"
#include "engine/ui/CorvaneButton.h"
#include "frame/panels/InputBoxes.h"
#include "frame/panels/safebox/NumKeyPadDlg.h"
#include "tests/engine/TempProgramFolder.h"
#include "tests/platform/PictureBytes.h"
#include "tests/window/XServer.h"

namespace {

using window_test::ChildProcess;
using window_test::WindowImage;
using window_test::XServer;

constexpr const char* kTitle = "pvbn keypad test";
constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr int kLeft = 40;
constexpr int kTop = 30;
constexpr uint32_t kWaitMs = 5000;
constexpr uint32_t kKeyColour = 0x3C8CDC;   // 0x00BBGGRR as drawn
constexpr uint32_t kKeyPixel = 0xDC8C3C;    // 0x00RRGGBB as the server shows it
constexpr uint32_t kBackground = 0x102030;  // 0x00BBGGRR

class KeypadXTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        server = window_test::RunningXServer(error);
        if (server == nullptr) {
            GTEST_SKIP() << "Xvfb cannot start here: " << error;
        }
        auto* resources = new ResourceModule;
        for (const auto& [name, w, h] :
             {std::tuple{"系统通知框_按钮", 34, 30}, std::tuple{"系统信息框_关闭", 16, 16},
              std::tuple{"InputBoxBkg", 100, 22}}) {
            const picture_bytes::Bytes png = picture_bytes::SolidRgbPng(w, h, kKeyColour);
            resources->AddMemoryResource(std::string(name) + ".png", png.data(), png.size());
        }
        wnd = std::make_unique<CCorvaneWnd>();
        ASSERT_EQ(wnd->Create(kTitle, platform::kStyleVisible | platform::kStylePopup, 0,
                              {kLeft, kTop, kLeft + kWidth, kTop + kHeight}, 0),
                  1);
        ASSERT_TRUE(wnd->GetTopLevel()->IsOnScreen()) << "SDL did not open an X11 window";
        view = new CCorvaneView;
        ASSERT_EQ(wnd->Initialize(view, resources), 1);
        view->FillBackground(kBackground);
        view->InvalidateAll();

        keypad = new CNumKeyPadDlg;
        view->Register(keypad);
        keypad->SetSecondsClock([] { return int64_t{1765100000}; });
        keypad->Create(123456789);
        keypad->ClearPassword();
        keypad->CenterInScene();
        keypad->Show();
        keypad->Invalidate();
        ASSERT_TRUE(PumpUntil([&] { return (xWindow = server->FindWindow(kTitle)) != 0; }));
        ASSERT_TRUE(PumpUntil([&] { return server->IsMapped(xWindow); }));
    }
    void TearDown() override { wnd.reset(); }

    template <class Condition>
    bool PumpUntil(Condition done, uint32_t timeoutMs = kWaitMs) {
        return window_test::PumpMessagesUntil(done, timeoutMs);
    }
    void Xdotool(const std::vector<std::string>& arguments) {
        ASSERT_EQ(window_test::RunXdotool(*server, arguments, kWaitMs), "");
    }
    void ClickOn(CCorvaneObject* object) {
        ASSERT_NE(object, nullptr);
        ASSERT_EQ(window_test::ClickAt(*server, xWindow, static_cast<int>(object->GetX()),
                                       static_cast<int>(object->GetY()), kWaitMs),
                  "");
    }
    std::string DisplayText() {
        char* text = keypad->GetDisplay()->GetText();
        std::string out = text != nullptr ? text : "";
        FreeEventBlock(text);
        return out;
    }

    const XServer* server = nullptr;
    TempProgramFolder folder;
    std::unique_ptr<CCorvaneWnd> wnd;
    CCorvaneView* view = nullptr;
    CNumKeyPadDlg* keypad = nullptr;
    unsigned long xWindow = 0;
};

TEST_F(KeypadXTest, ThePasswordIsClickedOnTheShuffledKeysAndFolded) {
    // The keys are on the server's screen where the scene has them.
    std::optional<WindowImage> shown;
    CCorvaneButton* first = keypad->GetKey(0);
    ASSERT_NE(first, nullptr);
    const int cornerX = static_cast<int>(first->GetLeft()) + 2;
    const int cornerY = static_cast<int>(first->GetTop()) + 2;
    EXPECT_TRUE(PumpUntil([&] {
        shown = server->Read(xWindow);
        return shown && shown->At(cornerX, cornerY) == kKeyPixel;
    })) << "the first key is not shown at its place";

    const std::array<int, 10> order = keypad->GetDigitOrder();
    const std::string password = "12345678";
    for (size_t i = 0; i < password.size(); ++i) {
        const int position = static_cast<int>(
            std::find(order.begin(), order.end(), password[i] - '0') - order.begin());
        ClickOn(keypad->GetKey(position));
        EXPECT_TRUE(PumpUntil([&] { return keypad->GetPassword().size() == i + 1; }))
            << "the click on key " << position << " was not heard";
    }
    EXPECT_EQ(keypad->GetPassword(), password);
    EXPECT_EQ(DisplayText(), "********");

    ClickOn(keypad->GetKey(CNumKeyPadDlg::kConfirmKey));
    EXPECT_TRUE(PumpUntil([&] { return keypad->IsVisible() == 0; }));
    EXPECT_EQ(keypad->GetCalcResult(), 26046);
    // Hidden, its keys leave the window.
    EXPECT_TRUE(PumpUntil([&] {
        shown = server->Read(xWindow);
        return shown && shown->At(cornerX, cornerY) != kKeyPixel;
    }));
}

}  // namespace
