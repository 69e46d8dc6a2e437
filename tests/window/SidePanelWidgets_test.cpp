// The side panel's splitter and popup menu in the engine window on a real X
// server: real clicks (xdotool) fold and unfold with the splitter's arrow and
// choose a menu item, and what the window shows is read back from the
// server.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/CorvaneView.h"
#include "engine/CorvaneWnd.h"
#include "engine/ResourceModule.h"
#include "frame/panels/PopupMenu.h"
#include "frame/panels/SplitterBar.h"
#include "platform/Messages.h"
#include "platform/SdlWindow.h"
#include "platform/Sync.h"
#include "tests/engine/SceneTestSupport.h"
#include "tests/engine/TempProgramFolder.h"
#include "tests/platform/PictureBytes.h"
#include "tests/window/Pixels.h"
#include "tests/window/XServer.h"

namespace {

using window_test::ChildProcess;
using window_test::NearColour;
using window_test::PixelAt;
using window_test::WindowImage;
using window_test::XServer;

constexpr const char* kTitle = "pvbn side panel widgets";
constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr int kLeft = 40;
constexpr int kTop = 30;
constexpr uint32_t kWaitMs = 5000;
constexpr int kFirstItem = 80000201;
constexpr int kSecondItem = 80000202;
// The arrows' looks as the server shows them, 0x00RRGGBB.
constexpr uint32_t kRightArrowPixel = 0xC82828;
constexpr uint32_t kRightArrowHoverPixel = 0x28C828;
constexpr uint32_t kLeftArrowPixel = 0x2828C8;
// The menu items' normal and hovered backgrounds.
constexpr uint32_t kItemPixel = 0xF0F0F0;
constexpr uint32_t kItemHoverPixel = 0xDCDACB;
// The splitter's arrow (8 x 40) is centred at (60, 120).
constexpr int kArrowX = 60;
constexpr int kArrowY = 120;

// Transparent, then four colours.
const picture_bytes::Bytes kPalette = {255, 0,  255, 200, 40,  40,  40, 200,
                                       40,  40, 40,  200, 200, 200, 40};

picture_bytes::Bytes TwoLooks(int width, int height, uint8_t normal, uint8_t hovered) {
    std::vector<picture_bytes::GifFrame> looks;
    for (uint8_t index : {normal, hovered}) {
        looks.push_back(picture_bytes::Frame(
            picture_bytes::Bytes(static_cast<size_t>(width * height), index), 10, 0));
    }
    return picture_bytes::Gif(width, height, kPalette, looks);
}

class SidePanelWidgetsTest : public ::testing::Test {
protected:
    void SetUp() override {
        server = window_test::RunningXServer(serverError);
        if (server == nullptr) {
            GTEST_SKIP() << "Xvfb cannot start here: " << serverError;
        }
        auto* resources = new ResourceModule;
        const picture_bytes::Bytes right = TwoLooks(8, 40, 1, 2);
        const picture_bytes::Bytes left = TwoLooks(8, 40, 3, 4);
        const picture_bytes::Bytes back = TwoLooks(8, 10, 4, 4);
        resources->AddMemoryResource("箭头右.gif", right.data(), right.size());
        resources->AddMemoryResource("箭头左.gif", left.data(), left.size());
        resources->AddMemoryResource("左右分隔条_bg.gif", back.data(), back.size());
        wnd = std::make_unique<CCorvaneWnd>();
        ASSERT_EQ(wnd->Create(kTitle, platform::kStyleVisible | platform::kStylePopup, 0,
                              {kLeft, kTop, kLeft + kWidth, kTop + kHeight}, 0),
                  1);
        ASSERT_TRUE(wnd->GetTopLevel()->IsOnScreen()) << "SDL did not open an X11 window";
        view = new CCorvaneView;
        ASSERT_EQ(wnd->Initialize(view, resources), 1);
        BuildScene();
        ASSERT_TRUE(PumpUntil([&] { return (xWindow = server->FindWindow(kTitle)) != 0; }))
            << "no X window titled " << kTitle;
        ASSERT_TRUE(PumpUntil([&] { return server->IsMapped(xWindow); }));
    }
    void TearDown() override { wnd.reset(); }

    void BuildScene() {
        view->FillBackground(0x404040);
        view->InvalidateAll();
        owner = new RecordingObject(&log);
        view->Register(owner);

        splitter = new CSplitterBar;
        view->Register(splitter);
        splitter->SetSize(8, 200);
        splitter->SetPos(kArrowX, kArrowY);
        splitter->Show();
        splitter->Invalidate();
        splitter->Relayout();

        menu = new CPopupMenu;
        view->Register(menu);
        menu->Create(100, 20, 12, 0xffffff);
        const EventRecord first = MakeEventRecord(owner->GetId(), kFirstItem, 0, 0);
        const EventRecord second = MakeEventRecord(owner->GetId(), kSecondItem, 0, 0);
        menu->AddItem("复制名字", &first, 0, 0);
        menu->AddItem("呼叫玩家", &second, 0, 0);
        menu->SetPos(200, 150);  // items at y 130..149 and 150..169, x 150..249
        menu->Show();
        menu->Invalidate();
    }

    template <class Condition>
    bool PumpUntil(Condition done, uint32_t timeoutMs = kWaitMs) {
        return window_test::PumpMessagesUntil(done, timeoutMs);
    }
    void Xdotool(const std::vector<std::string>& arguments) {
        ASSERT_EQ(window_test::RunXdotool(*server, arguments, kWaitMs), "");
    }
    void MoveTo(int x, int y) {
        ASSERT_EQ(window_test::MovePointerTo(*server, xWindow, x, y, kWaitMs), "");
    }
    void ClickAt(int x, int y) {
        ASSERT_EQ(window_test::ClickAt(*server, xWindow, x, y, kWaitMs), "");
    }
    // Waits until the window shows the colour at (x, y); canvases drawn
    // with alpha may round a channel down by one.
    bool Shows(int x, int y, uint32_t pixel) {
        return PumpUntil([&] {
            const std::optional<WindowImage> shown = server->Read(xWindow);
            last = PixelAt(shown, x, y);
            return shown && NearColour(last, pixel);
        });
    }
    size_t Received(int event) const {
        size_t n = 0;
        for (const Delivery& d : log) {
            n += d.receiver == owner->GetId() && d.event == event ? 1 : 0;
        }
        return n;
    }

    const XServer* server = nullptr;
    std::string serverError;
    TempProgramFolder folder;
    std::unique_ptr<CCorvaneWnd> wnd;
    CCorvaneView* view = nullptr;
    RecordingObject* owner = nullptr;
    CSplitterBar* splitter = nullptr;
    CPopupMenu* menu = nullptr;
    std::vector<Delivery> log;
    unsigned long xWindow = 0;
    uint32_t last = 0;
};

TEST_F(SidePanelWidgetsTest, TheSplitterArrowClickedTwiceFoldsAndUnfolds) {
    EXPECT_TRUE(Shows(kArrowX, kArrowY, kRightArrowPixel)) << std::hex << last;
    MoveTo(kArrowX, kArrowY);
    EXPECT_TRUE(Shows(kArrowX, kArrowY, kRightArrowHoverPixel)) << std::hex << last;
    Xdotool({"click", "1"});
    EXPECT_TRUE(PumpUntil([&] { return splitter->IsCollapsed() == 1; }));
    EXPECT_TRUE(Shows(kArrowX, kArrowY, kLeftArrowPixel)) << std::hex << last;
    Xdotool({"click", "1"});
    EXPECT_TRUE(PumpUntil([&] { return splitter->IsExpanded() == 1; }));
    EXPECT_TRUE(Shows(kArrowX, kArrowY, kRightArrowPixel)) << std::hex << last;
}

TEST_F(SidePanelWidgetsTest, AMenuItemHoveredAndClickedSendsItsRecord) {
    EXPECT_TRUE(Shows(160, 135, kItemPixel)) << std::hex << last;
    MoveTo(200, 160);
    EXPECT_TRUE(Shows(160, 165, kItemHoverPixel)) << std::hex << last;
    EXPECT_TRUE(Shows(160, 135, kItemPixel)) << std::hex << last;
    Xdotool({"click", "1"});
    EXPECT_TRUE(PumpUntil([&] { return Received(kSecondItem) == 1; }));
    EXPECT_EQ(Received(kFirstItem), 0u);
}

}  // namespace
