// The side panel in a real X window under Xvfb: a real right click
// (xdotool) on a player's row in the user list opens the row's menu, and
// the window shows it.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/CorvaneWnd.h"
#include "engine/ResourceModule.h"
#include "frame/LaunchRecordBuilder.h"
#include "frame/panels/PopupMenu.h"
#include "frame/panels/SystemBars.h"
#include "frame/panels/UserListBar.h"
#include "platform/Sync.h"
#include "tests/engine/TempProgramFolder.h"
#include "tests/frame/FrameDoubles.h"
#include "tests/platform/PictureBytes.h"
#include "tests/window/Pixels.h"
#include "tests/window/XServer.h"

namespace {

using window_test::ChildProcess;
using window_test::NearColour;
using window_test::PixelAt;

constexpr const char* kTitle = "pvbn side panel test";
constexpr int kWidth = 260;
constexpr int kHeight = 560;
constexpr int kLeft = 40;
constexpr int kTop = 20;
constexpr uint32_t kWaitMs = 5000;
constexpr uint32_t kMenuBackground = 0xf0f0f0;

using picture_bytes::SolidRgbPng;

class SidePanelWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        server = window_test::RunningXServer(error);
        if (server == nullptr) {
            GTEST_SKIP() << "Xvfb cannot start here: " << error;
        }
        LaunchFields fields;
        fields.gameId = 30;
        fields.userId = 100;
        fields.chairNo = 0;
        app.SetLaunchFields(fields);
        LaunchRecordBuilder launch;
        launch.room.options = RoomInfo::kOptionSilverRoom;
        launch.seats = {MakeLaunchUser(100, 0, "甲"), MakeLaunchUser(101, 1, "乙")};
        ASSERT_TRUE(app.InitGameData(launch.Build()));

        auto* resources = new ResourceModule;
        const std::pair<const char*, picture_bytes::Bytes> skin[] = {
            {"SystemUserListBar.png", SolidRgbPng(300, 24, 0x404040)},
            {"UserListBlock.png", SolidRgbPng(300, 20, 0x806040)},
            {"SystemInputBar.png", SolidRgbPng(300, 60, 0x202020)},
        };
        for (const auto& [name, bytes] : skin) {
            resources->AddMemoryResource(name, bytes.data(), bytes.size());
        }
        wnd = std::make_unique<CCorvaneWnd>();
        ASSERT_EQ(wnd->Create(kTitle, platform::kStyleVisible | platform::kStylePopup, 0,
                              {kLeft, kTop, kLeft + kWidth, kTop + kHeight}, 0),
                  1);
        ASSERT_TRUE(wnd->GetTopLevel()->IsOnScreen()) << "SDL did not open an X11 window";
        bars = new CSystemBars;
        bars->SetMaximizedProbe([] { return true; });
        ASSERT_EQ(wnd->Initialize(bars, resources), 1);
        bars->SetViewRect(IntRect{0, 0, kWidth, kHeight});
        if (auto* list = dynamic_cast<CUserListBar*>(bars->FindObjectByName("UserListBar"))) {
            list->RebuildRows();
        }
        bars->InvalidateAll();
        ASSERT_TRUE(PumpUntil([&] { return (xWindow = server->FindWindow(kTitle)) != 0; }))
            << "no X window titled " << kTitle;
    }
    void TearDown() override { wnd.reset(); }

    template <class Condition>
    bool PumpUntil(Condition done, uint32_t timeoutMs = kWaitMs) {
        return window_test::PumpMessagesUntil(done, timeoutMs);
    }
    void Xdotool(const std::vector<std::string>& arguments) {
        ASSERT_EQ(window_test::RunXdotool(*server, arguments, kWaitMs), "");
    }
    CUserListCtrl* Rows() {
        auto* list = dynamic_cast<CUserListBar*>(bars->FindObjectByName("UserListBar"));
        return list != nullptr ? list->GetRowsControl() : nullptr;
    }

    TempProgramFolder folder;
    TestFrameApp app;
    const window_test::XServer* server = nullptr;
    std::unique_ptr<CCorvaneWnd> wnd;
    CSystemBars* bars = nullptr;  // the engine's once initialised
    unsigned long xWindow = 0;
};

TEST_F(SidePanelWindowTest, ARealRightClickOnAPlayersRowOpensItsMenu) {
    CUserListCtrl* rows = Rows();
    ASSERT_NE(rows, nullptr);
    ASSERT_EQ(rows->GetUserId(1), 101);
    CPopupMenu* menu = rows->GetMenu();
    ASSERT_NE(menu, nullptr);
    ASSERT_FALSE(menu->IsVisible());
    // Before the click the side panel shows no menu colour there.
    const auto before = server->Read(xWindow);
    ASSERT_TRUE(before.has_value());
    const int x = static_cast<int>(rows->GetLeft()) + 60;
    const int y = static_cast<int>(rows->GetTop()) + rows->GetRowHeight() + 10;
    ASSERT_EQ(window_test::MovePointerTo(*server, xWindow, x, y, kWaitMs), "");
    Xdotool({"click", "3"});
    ASSERT_TRUE(PumpUntil([&] { return menu->IsVisible() != 0; })) << "no menu";
    EXPECT_EQ(rows->GetSelected(), 1);
    // The menu lies inside the side panel and the window shows it.
    EXPECT_LE(menu->GetRight(), kWidth + 1);
    EXPECT_LE(menu->GetBottom(), kHeight + 1);
    const int probeX = static_cast<int>(menu->GetX());
    const int probeY = static_cast<int>(menu->GetBottom()) - 6;
    EXPECT_FALSE(NearColour(before->At(probeX, probeY), kMenuBackground));
    uint32_t seen = 0;
    ASSERT_TRUE(PumpUntil([&] {
        seen = PixelAt(server->Read(xWindow), probeX, probeY);
        return NearColour(seen, kMenuBackground);
    })) << "the window does not show the menu at "
        << probeX << "," << probeY << ": " << std::hex << seen << " menu " << std::dec
        << menu->GetLeft() << "," << menu->GetTop() << " " << menu->GetWidth() << "x"
        << menu->GetHeight();
}

}  // namespace
