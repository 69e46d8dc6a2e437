// The table client in a real X window (Xvfb, started by this program): the
// frame window shows the table with its side panel, drawn with the test
// skin; a real click (xdotool) on an own tile during the own turn throws it:
// the server gets the discard, the tile leaves the row for the thrown place,
// and the window read back shows it there.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "frame/panels/SplitterBar.h"
#include "tests/mahjong_client/support/HandRecords.h"
#include "tests/mahjong_client/support/TableSession.h"
#include "tests/mahjong_client/support/TableSkin.h"
#include "tests/window/Pixels.h"
#include "tests/window/XServer.h"

namespace {

using namespace table_test;
using window_test::AsShown;
using window_test::NearColour;
using window_test::PixelAt;
namespace tp = table_protocol;

constexpr const char* kTitle = "pvbn table window test";

// Every colour the side panel's pictures are drawn in, as the X server
// shows them.
std::set<uint32_t> SidePanelColours() {
    std::set<uint32_t> colours;
    for (const char* name :
         {"bit_SystemBar", "SystemUserListBar", "UserListBlock", "SystemInputBar", "InputBarBoxBK",
          "bitHistoryTitle", "SystemChatBox1", "SystemChatBox2", "SystemChatBox3"}) {
        const table_skin::SkinItem* item = table_skin::FindSkinItem(name);
        for (int f = 0; item != nullptr && f < item->frames; ++f) {
            colours.insert(AsShown(table_skin::PlainFrameColour(*item, f)));
        }
    }
    return colours;
}

class TableWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        server = window_test::RunningXServer(error);
        if (server == nullptr) {
            GTEST_SKIP() << "Xvfb cannot start here: " << error;
        }
        SessionOptions options;
        options.title = kTitle;
        ASSERT_TRUE(session.Open(options)) << session.Error();
        ASSERT_TRUE(session.Window().GetTopLevel()->IsOnScreen()) << "no X11 window";
        ASSERT_TRUE(session.RunUntil([&] { return (xWindow = server->FindWindow(kTitle)) != 0; }))
            << "no X window titled " << kTitle;
    }

    // Waits until the window shows the colour at the point of the scene.
    bool WindowShows(int x, int y, uint32_t colour, uint32_t* seen) {
        return session.RunUntil([&] {
            *seen = PixelAt(server->Read(xWindow), x, y);
            return NearColour(*seen, AsShown(colour));
        });
    }

    // A real click at the point of the scene.
    void Click(int x, int y) {
        ASSERT_EQ(window_test::MovePointerTo(*server, xWindow, x, y), "");
        session.Run(100);
        ASSERT_EQ(window_test::RunXdotool(*server, {"click", "1"}), "");
    }

    const window_test::XServer* server = nullptr;
    TableSession session;
    unsigned long xWindow = 0;
};

TEST_F(TableWindowTest, TheTableAndItsSidePanelShowAndAClickedOwnTileIsThrown) {
    HandStart start;
    start.banker = kOwnChair;
    start.turnChair = kOwnChair;
    start.tilesHeld = {13, 13, 14, 13};
    for (int face = 0; face < 14; ++face) {
        start.ownTiles.push_back(TileOf(face, 1));
    }
    // At 800 pixels the frame folds the side panel; the player unfolds it
    // with a click on the splitter's arrow.
    auto* splitter =
        dynamic_cast<CSplitterBar*>(session.FrameView().FindObjectByName(CSplitterBar::kName));
    ASSERT_NE(splitter, nullptr);
    if (splitter->IsCollapsed() != 0) {
        CCorvaneCanvas* arrow = splitter->GetArrow();
        ASSERT_NE(arrow, nullptr);
        Click(static_cast<int>(arrow->GetX()), static_cast<int>(arrow->GetY()));
        ASSERT_TRUE(session.RunUntil([&] { return splitter->IsExpanded() != 0; }))
            << "the splitter did not unfold";
    }
    ASSERT_TRUE(session.StartHand(start));
    CMahjongTableView& table = session.Table();
    ASSERT_EQ(table.GetRowCount(3), 14);

    // The side panel shows its pictures.
    const IntRect side = session.SidePanel().GetViewRect();
    ASSERT_GT(side.right - side.left, 0);
    const std::set<uint32_t> sideColours = SidePanelColours();
    int sidePixels = 0;
    EXPECT_TRUE(session.RunUntil([&] {
        const auto image = server->Read(xWindow);
        sidePixels = 0;
        for (int y = side.top; image && y < side.bottom && y < image->height; y += 2) {
            for (int x = side.left; x < side.right && x < image->width; x += 2) {
                const uint32_t seen = image->At(x, y);
                sidePixels += std::any_of(sideColours.begin(), sideColours.end(),
                                          [&](uint32_t c) { return NearColour(seen, c); })
                                  ? 1
                                  : 0;
            }
        }
        return sidePixels > 100;
    })) << "the side panel is not on screen: "
        << sidePixels << " of its pixels in " << side.left << "," << side.top << " - " << side.right
        << "," << side.bottom;

    // The tile to throw, the row's first concealed one: shown at its place
    // in its face's colour.
    const int index = 1;
    CCardSprite* sprite = table.GetHandSprite(3, index);
    ASSERT_NE(sprite, nullptr);
    CCorvanePicture* face = sprite->GetFace();
    ASSERT_NE(face, nullptr);
    const int x = static_cast<int>(face->GetX());
    const int y = static_cast<int>(face->GetY());
    const int32_t tile = sprite->tile;
    const uint32_t faceColour = table_skin::FaceColour(sprite->GetCardImageIndex(tile));
    uint32_t seen = 0;
    ASSERT_TRUE(WindowShows(x, y, faceColour, &seen)) << std::hex << seen;

    // A real click on it.
    Click(x, y);
    ASSERT_TRUE(session.RunUntil([&] { return session.Server().Count(tp::kDiscard) == 1; }))
        << "no discard reached the server";
    const auto discard = session.Server().Last<tp::OperationRecord>(tp::kDiscard);
    ASSERT_TRUE(discard.has_value());
    EXPECT_EQ(discard->tile, tile);
    ASSERT_TRUE(session.RunUntil([&] { return table.GetLastThrown(3) != nullptr; }));
    CCardSprite* thrown = table.GetLastThrown(3);
    EXPECT_EQ(thrown->tile, tile);
    EXPECT_EQ(table.FindRowIndex(3, tile), -1);
    EXPECT_EQ(table.GetRowCount(3), 13);

    // The window shows the thrown tile at its new place.
    CCorvanePicture* thrownFace = thrown->GetFace();
    ASSERT_NE(thrownFace, nullptr);
    ASSERT_TRUE(WindowShows(static_cast<int>(thrownFace->GetX()),
                            static_cast<int>(thrownFace->GetY()), faceColour, &seen))
        << std::hex << seen;
}

}  // namespace
