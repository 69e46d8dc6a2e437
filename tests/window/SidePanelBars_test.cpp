// The side panel's input bar and advert bar in a real X window (Xvfb,
// started by this program): real typed Chinese text and Enter reach the
// real side panel as the player's line, a real click switches the advert bar's
// tab, and the window shows what the engine drew.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvaneView.h"
#include "engine/CorvaneWnd.h"
#include "engine/ResourceModule.h"
#include "engine/ui/CorvaneEdit.h"
#include "engine/ui/CorvaneStatic.h"
#include "frame/panels/AdvertBar.h"
#include "frame/panels/InputBar.h"
#include "platform/Messages.h"
#include "platform/SdlWindow.h"
#include "tests/engine/TempProgramFolder.h"
#include "tests/engine_ui/EditBoxText.h"
#include "tests/frame/FrameDoubles.h"
#include "tests/platform/PictureBytes.h"
#include "tests/window/Pixels.h"
#include "tests/window/XServer.h"

namespace {

using window_test::ChildProcess;
using window_test::XServer;

constexpr const char* kTitle = "pvbn side panel bars";
constexpr int kWidth = 400;
constexpr int kHeight = 300;
constexpr uint32_t kWaitMs = 5000;

class SidePanelBarsWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        server = window_test::RunningXServer(error);
        if (server == nullptr) {
            GTEST_SKIP() << "Xvfb cannot start here: " << error;
        }
        wnd = std::make_unique<CCorvaneWnd>();
        ASSERT_EQ(wnd->Create(kTitle, platform::kStyleVisible | platform::kStylePopup, 0,
                              {40, 40, 40 + kWidth, 40 + kHeight}, 0),
                  1);
        ASSERT_TRUE(wnd->GetTopLevel()->IsOnScreen()) << "SDL did not open an X11 window";
        side = new BareSystemBars;
        auto* resources = new ResourceModule;
        AddImage(*resources, "InputBarBoxBK", 200, 24, 0xe0e0e0);
        AddImage(*resources, "SystemInputBar", 300, 60, 0x404040);
        AddImage(*resources, "btnQuickChat", 40, 20, 0x00a000);
        AddImage(*resources, "btnSendChat", 20, 20, 0xa00000);
        ASSERT_EQ(wnd->Initialize(side, resources), 1);
        side->SetName("SubSystem");
        side->SetViewRect({0, 0, kWidth, kHeight});
        side->FillBackground(0x302010);
        side->InvalidateAll();

        advert = new CAdvertBar;
        side->Register(advert);
        advert->SetSize(kWidth - 20, 150);
        advert->SetPos(kWidth / 2, 90);
        advert->Relayout();

        input = new CInputBar;
        side->Register(input);
        input->SetSize(kWidth - 20, 60);
        input->SetPos(kWidth / 2, kHeight - 40);
        input->Relayout();
        ASSERT_TRUE(PumpUntil([&] { return (xWindow = server->FindWindow(kTitle)) != 0; }));
    }
    void TearDown() override { wnd.reset(); }

    // A one-colour picture; colour 0x00BBGGRR.
    static void AddImage(ResourceModule& resources, const std::string& name, int width, int height,
                         uint32_t color) {
        const picture_bytes::Bytes png = picture_bytes::SolidRgbPng(width, height, color);
        resources.AddMemoryResource(name + ".png", png.data(), png.size());
    }

    template <class Condition>
    bool PumpUntil(Condition done, uint32_t timeoutMs = kWaitMs) {
        return window_test::PumpMessagesUntil(done, timeoutMs);
    }
    void Xdotool(const std::vector<std::string>& arguments) {
        ASSERT_EQ(window_test::RunXdotool(*server, arguments, kWaitMs), "");
    }
    void ClickOn(CCorvaneObject& object) {
        ASSERT_EQ(window_test::ClickAt(*server, xWindow, static_cast<int>(object.GetX()),
                                       static_cast<int>(object.GetY()), kWaitMs),
                  "");
    }  // The lines the input bar sent the side panel, as sent.
    std::vector<std::string> SentLines() const {
        std::vector<std::string> texts;
        for (const SideEvent& sent : side->Of(kEventSendChat)) {
            texts.push_back(sent.text);
        }
        return texts;
    }
    // Pixels where the window and the engine's output differ.
    int CountDifferences() {
        return window_test::CountDifferences(server->Read(xWindow), window_test::BackBuffer(*wnd),
                                             kWidth, kHeight);
    }

    TempProgramFolder folder;
    const XServer* server = nullptr;
    std::unique_ptr<CCorvaneWnd> wnd;
    BareSystemBars* side = nullptr;  // the real side panel, observed
    CAdvertBar* advert = nullptr;
    CInputBar* input = nullptr;
    unsigned long xWindow = 0;
};

TEST_F(SidePanelBarsWindowTest, RealTypedChineseAndEnterSendTheLine) {
    CCorvaneEdit& edit = *input->GetEditBox();
    ClickOn(edit);
    ASSERT_EQ(window_test::TypeCharacterByCharacter(
                  *server, "你好abc", [&] { return EditBoxText(edit); }, kWaitMs),
              "");
    Xdotool({"key", "Return"});
    ASSERT_TRUE(PumpUntil([&] { return !SentLines().empty(); }))
        << "nothing was sent; the box holds " << input->HasInputText() << " elements";
    EXPECT_EQ(SentLines(), std::vector<std::string>{"你好abc"});
}

TEST_F(SidePanelBarsWindowTest, RealClicksSwitchTheAdvertTabsAndTheWindowShowsIt) {
    ASSERT_TRUE(advert->IsScoreTabActive());
    ClickOn(*advert->GetAdvertTab());
    ASSERT_TRUE(PumpUntil([&] { return !advert->IsScoreTabActive(); }));
    EXPECT_FALSE(advert->GetScoreCanvas()->IsVisible());
    EXPECT_TRUE(PumpUntil([&] { return CountDifferences() == 0; }))
        << CountDifferences() << " pixels differ from what the engine drew";
    ClickOn(*advert->GetScoreTab());
    ASSERT_TRUE(PumpUntil([&] { return advert->IsScoreTabActive(); }));
    EXPECT_TRUE(advert->GetScoreCanvas()->IsVisible());
}

}  // namespace
