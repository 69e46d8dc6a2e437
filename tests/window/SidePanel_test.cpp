// The side panel in a real X window under Xvfb: a real right click
// (xdotool) on a player's row in the user list opens the row's menu, and
// the window shows it; with the skin's scroll bar pictures and more players
// than the list shows, its vertical bar shows a track, one thumb and two
// arrows, and nothing else.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/CorvaneWnd.h"
#include "engine/ResourceModule.h"
#include "engine/ui/CorvaneButton.h"
#include "frame/LaunchRecordBuilder.h"
#include "frame/panels/PopupMenu.h"
#include "frame/panels/SystemBars.h"
#include "frame/panels/UserListBar.h"
#include "frame/panels/UserListScrollBar.h"
#include "platform/Sync.h"
#include "tests/engine/TempProgramFolder.h"
#include "tests/frame/FrameDoubles.h"
#include "tests/platform/PictureBytes.h"
#include "tests/window/Pixels.h"
#include "tests/window/XServer.h"
#include "tools/skin/SkinPacks.h"

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
        for (int32_t looker = 0; looker < kLookers; ++looker) {
            launch.lookers.push_back(MakeLaunchUser(200 + looker, 0, "看客", 1));
        }
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
        // The lists' scroll bars as the regional skin draws them for players.
        ASSERT_TRUE(regional_skin::ReadNameList(
            std::string(PVBN_SOURCE_DIR) + "/tools/skin/regional_skin_names.txt", regionalSkin,
            error))
            << error;
        for (const regional_skin::Picture& picture : regionalSkin.pictures) {
            if (picture.name.starts_with("ScrollBar_") || picture.name == "滚动角") {
                std::string file;
                std::vector<uint8_t> bytes;
                ASSERT_TRUE(regional_skin::PictureItem(picture, regional_skin::Style::Drawn, file,
                                                       bytes, error))
                    << error;
                resources->AddMemoryResource(file.c_str(), bytes.data(), bytes.size());
            }
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

    // The colours (0x00RRGGBB) of the frames of the skin's pictures named.
    std::set<uint32_t> ColoursOf(std::initializer_list<const char*> names) {
        std::set<uint32_t> colours;
        for (const regional_skin::Picture& picture : regionalSkin.pictures) {
            if (std::find(names.begin(), names.end(), picture.name) == names.end()) {
                continue;
            }
            for (const regional_skin::Image& frame :
                 regional_skin::DrawPicture(picture, regional_skin::Style::Drawn)) {
                for (uint32_t bgr : frame.pixels) {
                    colours.insert((bgr & 0xff) << 16 | (bgr & 0xff00) | bgr >> 16);
                }
            }
        }
        return colours;
    }

    static constexpr int32_t kLookers = 8;
    regional_skin::Skin regionalSkin;
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

// A real click on the down arrow scrolls the list a step; down the middle
// of the bar the window then shows, from top to bottom, the up arrow, the
// track, the one thumb where the bar put it, the track and the down arrow:
// every pixel is the track's or the thumb's and arrows' (no other picture,
// nothing of the panel showing through), and the thumb's and arrows'
// colours make exactly three runs.
TEST_F(SidePanelWindowTest, TheUserListsScrollBarShowsItsTrackOneThumbAndTwoArrowsOnly) {
    auto* list = dynamic_cast<CUserListBar*>(bars->FindObjectByName("UserListBar"));
    ASSERT_NE(list, nullptr);
    CUserListScrollBar* bar = list->GetScrollBar(1);
    ASSERT_NE(bar, nullptr);
    ASSERT_GT(bar->GetTotal(), bar->GetPage()) << "the list is too short to scroll";
    CCorvaneButton* up = bar->GetFirstButton();
    CCorvaneButton* down = bar->GetSecondButton();
    ASSERT_TRUE(up != nullptr && down != nullptr);
    ASSERT_EQ(window_test::MovePointerTo(*server, xWindow, static_cast<int>(down->GetX()),
                                         static_cast<int>(down->GetY()), kWaitMs),
              "");
    Xdotool({"click", "1"});
    ASSERT_TRUE(PumpUntil([&] { return bar->GetPosition() > 0; })) << "the list did not scroll";
    // Off the arrow, so that no look of it lingers.
    ASSERT_EQ(window_test::MovePointerTo(*server, xWindow, 5, 5, kWaitMs), "");

    const std::set<uint32_t> track = ColoursOf({"ScrollBar_VertBack"});
    const std::set<uint32_t> parts = ColoursOf({"ScrollBar_VertBtn", "ScrollBar_VertPattern",
                                                "ScrollBar_VertUpBtn", "ScrollBar_VertDownBtn"});
    const int x = static_cast<int>(bar->GetX());
    const int top = static_cast<int>(std::lround(up->GetTop()));
    const int bottom = static_cast<int>(std::lround(down->GetBottom()));
    // Where the track meets an arrow, the bar's half-pixel placement may
    // leave a seam of one row.
    const int upEnd = static_cast<int>(std::lround(up->GetBottom()));
    const int downStart = static_cast<int>(std::lround(down->GetTop()));
    // What is wrong with the bar the window shows ("" when nothing).
    auto faults = [&](const window_test::WindowImage& shown) {
        std::ostringstream out;
        std::vector<std::pair<int, int>> runs;  // the parts' runs: first row, rows
        for (int y = top; y < bottom; ++y) {
            const uint32_t colour = shown.At(x, y) & 0xffffff;
            auto among = [&](const std::set<uint32_t>& colours) {
                return std::any_of(colours.begin(), colours.end(),
                                   [&](uint32_t c) { return NearColour(colour, c, 2); });
            };
            if (among(parts)) {
                if (runs.empty() || runs.back().first + runs.back().second != y) {
                    runs.push_back({y, 0});
                }
                ++runs.back().second;
            } else if (!among(track) && std::abs(y - upEnd) > 1 && std::abs(y - downStart) > 1) {
                out << "row " << y << " shows " << std::hex << colour << std::dec
                    << ", no part of the bar; ";
            }
        }
        if (runs.size() != 3) {
            out << runs.size() << " runs of the thumb's and arrows' colours, not 3; ";
        } else if (std::abs(runs[1].first - (bar->GetThumbPos())) > 1 ||
                   std::abs(runs[1].second - bar->GetThumbLength()) > 1) {
            out << "the thumb shows at " << runs[1].first << " for " << runs[1].second
                << " rows, the bar puts it at " << bar->GetThumbPos() << " for "
                << bar->GetThumbLength() << "; ";
        }
        return out.str();
    };
    std::string seen = "nothing read";
    EXPECT_TRUE(PumpUntil([&] {
        const auto shown = server->Read(xWindow);
        seen = shown.has_value() ? faults(*shown) : "nothing read";
        return seen.empty();
    })) << seen;
}

}  // namespace
