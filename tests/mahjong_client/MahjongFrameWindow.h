#pragma once
// The mahjong frame view in an engine window on SDL's dummy video driver:
// a test application with four seated players, the real CMahjongFrameView
// (its calls of interest written down) as the window's root, a table view
// double as its "MainGame" child that answers the seat boards' ready-mark
// questions, a skin the tests draw (multi-frame pictures get one colour per
// frame), and input that reaches the window as a user's would (the panel
// window fixture's).

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/CorvaneCanvas.h"
#include "frame/LaunchRecordBuilder.h"
#include "mahjong_client/MahjongFrameView.h"
#include "mahjong_client/table/SeatBoard.h"
#include "platform/Screen.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/engine/TempProgramFolder.h"
#include "tests/frame/FrameDoubles.h"
#include "tests/frame_panels/PanelWindow.h"

namespace mahjong_frame_test {

inline constexpr int kSceneWidth = 1024;
inline constexpr int kSceneHeight = 738;
inline constexpr int32_t kFirstUserId = 100;  // chair c holds user 100 + c

// The table view as the seat boards see it: its placement flag and the
// first tile sprite of each position are set by the test.
class AnchorTable : public CCorvaneView, public CSeatBoardAnchors {
public:
    int GetReadyMarkPlacement() const override { return placement; }
    CCorvaneObject* GetFirstSpriteAt(int position) override {
        return position >= 0 && position < 4 ? sprites[position] : nullptr;
    }
    int OnEvent(const EventRecord& record) override {
        events.push_back(record.event);
        return 1;
    }
    int placement = 0;
    CCorvaneObject* sprites[4] = {};
    std::vector<int> events;
};

// The real mahjong frame view with the calls the tests look at written down;
// its two children belong to it.
class ObservedMahjongFrameView : public CMahjongFrameView {
public:
    ObservedMahjongFrameView() {
        SetMainGame(&table);
        SetSubSystem(&side);
    }
    void ShowPlayerCard(int32_t userId, int x, int y) override {
        calls.push_back("ShowPlayerCard " + std::to_string(userId) + " " + std::to_string(x) + " " +
                        std::to_string(y));
        CMahjongFrameView::ShowPlayerCard(userId, x, y);
    }
    void FadeOutPlayerCard(int32_t userId) override {
        calls.push_back("FadeOutPlayerCard " + std::to_string(userId));
        CMahjongFrameView::FadeOutPlayerCard(userId);
    }
    void FillPlayerDetail(const uint8_t* user) override {
        calls.push_back("FillPlayerDetail");
        CMahjongFrameView::FillPlayerDetail(user);
    }
    void OpenShop() override {
        calls.push_back("OpenShop");
        CMahjongFrameView::OpenShop();
    }
    int Count(const std::string& prefix) const { return CountCalls(calls, prefix); }

    AnchorTable table;
    RecordingPanel side;
    std::vector<std::string> calls;
};

// The test application with its launch record applied.
class BoardApp : public TestFrameApp {
public:
    using CGameFrameApp::InitGameData;
};

class MahjongFrameWindowTest : public PanelWindowTest {
protected:
    void SetUp() override {
        // Clicks on the boards must not pair into double clicks.
        clickGapMs = 600;
        SetWorkArea(kSceneWidth, kSceneHeight);
        AddImage("左右分隔条_bg", 6, 10, 0x808080);
        // Board frames: normal, highlighted, hover.
        AddFramed(CSeatBoard::kBoardImage, 240, 40, {0x102030, 0x405060, 0x708090});
        AddFramed("animation_AutoPlay", 16, 16, {0x0000f0, 0x0000a0});
        AddFramed("animation_Offline", 16, 16, {0x00f000, 0x00a000});
        AddFramed("animation_Ready", 30, 20, {0xf00000, 0xa00000});
        AddFramed("animation_Other", 30, 20, {0xf0f000});
        AddFramed("bit_Duan", 14, 14, {0x010101, 0x020202, 0x030303});
        AddFramed("banker_dice", 12, 12,
                  {0x000011, 0x000022, 0x000033, 0x000044, 0x000055, 0x000066});
        AddFramed("digit_flower", 8, 10,
                  {0x101010, 0x202020, 0x303030, 0x404040, 0x505050, 0x606060, 0x707070, 0x808080,
                   0x909090, 0xa0a0a0});
        AddImage("flag_hua", 10, 10, 0x00ffff);
        AddImage("Character0Type1", 32, 32, 0xabcdef);
        LaunchFields fields;
        fields.gameId = 30;
        fields.userId = kFirstUserId;
        fields.chairNo = 0;
        app.SetLaunchFields(fields);
        launch.table.tableNo = 4;
        launch.seats = {MakeLaunchUser(kFirstUserId, 0, "东家"),
                        MakeLaunchUser(kFirstUserId + 1, 1, "南家"),
                        MakeLaunchUser(kFirstUserId + 2, 2, "西家"),
                        MakeLaunchUser(kFirstUserId + 3, 3, "北家")};
    }
    void TearDown() override {
        PanelWindowTest::TearDown();
        app.DetachFrameView();
        platform::ResetScreenForTesting();
    }

    static void SetWorkArea(int width, int height) {
        platform::SetScreenForTesting({0, 0, width, height + 30}, {0, 0, width, height});
    }
    // An engine window of the size with the view as its root; the launch
    // record applied first.
    void Open(ObservedMahjongFrameView* made = new ObservedMahjongFrameView,
              int width = kSceneWidth, int height = kSceneHeight) {
        ASSERT_TRUE(app.InitGameData(launch.Build()));
        view = made;
        OpenWindow(view, "麻将", {0, 0, width, height});
        if (HasFatalFailure()) {
            return;
        }
        view->Relayout();
        // The character pictures are in use already, as they are once the
        // hall's pictures were shown.
        view->GetSkinFrame("Character0Type1");
    }

    // A board made as the table view makes it: registered, then built for
    // its position.
    CSeatBoard* MakeBoard(int position, CSeatBoard* board = new CSeatBoard) {
        view->Register(board);
        board->CreateObjects(position);
        return board;
    }

    int Send(int event, intptr_t param1 = 0, intptr_t param2 = 0) {
        return view->OnEvent(MakeEventRecord(view->GetId(), event, param1, param2));
    }

    // The application knows its window and frame view before the view is
    // given the window.
    void WindowCreated() override {
        app.SetMainWindow(Id());
        app.AttachFrameView(view);
    }

    TempProgramFolder folder;
    BoardApp app;
    LaunchRecordBuilder launch;
    ObservedMahjongFrameView* view = nullptr;  // the engine's once opened
};

}  // namespace mahjong_frame_test
