// The frame view in an engine window on SDL's dummy video driver: its
// side-panel widths and layout, its chrome read back from the back buffer
// with and without a skin, its event table, the window actions and the
// close rules it applies itself.

#include "frame/view/GameFrameView.h"
#include "frame/view/GameViewBase.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvaneWnd.h"
#include "engine/EngineEvents.h"
#include "engine/ui/CorvaneButton.h"
#include "engine/ui/CorvaneEdit.h"
#include "frame/panels/ForceQuitBox.h"
#include "frame/panels/SplitterBar.h"
#include "platform/Input.h"
#include "platform/Screen.h"
#include "platform/SdlWindow.h"
#include "tests/frame/FrameDoubles.h"
#include "tests/frame_panels/PanelWindow.h"

namespace {

constexpr int kSceneWidth = 1024;
constexpr int kSceneHeight = 738;

void SetWorkArea(int width, int height = kSceneHeight) {
    platform::SetScreenForTesting({0, 0, width, height + 30}, {0, 0, width, height});
}

class FrameViewTest : public PanelWindowTest {
protected:
    void SetUp() override {
        SetWorkArea(kSceneWidth);
        platform::SetInputBackend(&input);
        // The splitter's background gives the splitter its width.
        AddImage("左右分隔条_bg", 6, 10, 0x808080);
    }
    void TearDown() override {
        CloseWindow();
        app.DetachFrameView();
        platform::SetInputBackend(nullptr);
        platform::ResetScreenForTesting();
    }

    // An engine window of the size with the view as its root.
    void Open(ObservedFrameView* made = new ObservedFrameView, int width = kSceneWidth,
              int height = kSceneHeight) {
        view = made;
        app.AttachFrameView(view);
        OpenWindow(view, "游戏", {0, 0, width, height});
    }
    void WindowCreated() override { app.SetMainWindow(Id()); }
    CSplitterBar* Splitter() {
        return dynamic_cast<CSplitterBar*>(view->FindObjectByName("SplitterBar"));
    }
    uint32_t Pixel(int x, int y) { return wnd->GetTopLevel()->Surface().ColorAt(x, y); }
    int Send(int event, intptr_t param1 = 0, intptr_t param2 = 0) {
        return view->OnEvent(MakeEventRecord(view->GetId(), event, param1, param2));
    }

    TestFrameApp app;
    platform::RecordingInputBackend input;
    ObservedFrameView* view = nullptr;  // the engine's once opened
};

// --- widths and layout ---

TEST_F(FrameViewTest, SidePanelWidthsFollowTheWorkAreaWhileMaximised) {
    const struct {
        int workWidth;
        int width;
    } table[] = {{1600, 282}, {1280, 282}, {1279, 284}, {1200, 266}, {1125, 250}, {1000, 250}};
    for (const auto& row : table) {
        SetWorkArea(row.workWidth);
        EXPECT_EQ(DefaultSidePanelWidthFor(1), row.width) << row.workWidth;
        EXPECT_EQ(DefaultSidePanelWidthFor(0), 250) << row.workWidth;
    }
    // Before the first maximise the view starts with the maximised widths.
    SetWorkArea(1280);
    ObservedFrameView fresh;
    EXPECT_EQ(fresh.GetSidePanelWidth(), 282);
    EXPECT_EQ(fresh.GetVisibleSidePanelWidth(), 282);
    EXPECT_EQ(fresh.GetDefaultSidePanelWidth(), 282);
}

TEST_F(FrameViewTest, TheTableAreaAndTheSidePanelShareTheScene) {
    Open();
    const IntRect side = view->subSystem.GetViewRect();
    const IntRect game = view->mainGame.GetViewRect();
    EXPECT_EQ(side.left, 770);
    EXPECT_EQ(side.top, 25);
    EXPECT_EQ(side.right, 1020);
    EXPECT_EQ(side.bottom, 734);
    EXPECT_EQ(game.left, 4);
    EXPECT_EQ(game.top, 25);
    EXPECT_EQ(game.right, 764);
    EXPECT_EQ(game.bottom, 734);
    EXPECT_EQ(GetMainGameRect().right, 764);
    EXPECT_EQ(GetSubSystemRect().left, 770);
    auto* splitter = dynamic_cast<CSplitterBar*>(view->FindObjectByName("SplitterBar"));
    ASSERT_NE(splitter, nullptr);
    // Between the table area and the side panel, its surface laid out to its size.
    EXPECT_EQ(splitter->GetLeft(), 764);
    EXPECT_EQ(splitter->GetRight(), 770);
    EXPECT_EQ(splitter->GetSurface()->GetCanvasHeight(), 734 - 25);
}

TEST_F(FrameViewTest, TwoPressesOnTheSplitterArrowRestoreTheDefaultWidth) {
    Open();
    view->SetSidePanelWidth(200);
    auto* splitter = dynamic_cast<CSplitterBar*>(view->FindObjectByName("SplitterBar"));
    ASSERT_NE(splitter, nullptr);
    auto press = [&] {
        splitter->OnEvent(MakeEventRecord(splitter->GetId(), kSplitterArrowPress, 0, 0));
    };
    press();
    EXPECT_EQ(splitter->IsCollapsed(), 1);
    EXPECT_EQ(view->GetVisibleSidePanelWidth(), 0);
    EXPECT_EQ(view->mainGame.GetViewRect().right, kSceneWidth - 4 - 6);
    press();
    EXPECT_EQ(splitter->IsExpanded(), 1);
    EXPECT_EQ(view->GetVisibleSidePanelWidth(), 250);  // the default, not the 200 before
    EXPECT_EQ(view->mainGame.GetViewRect().right, kSceneWidth - 250 - 4 - 6);
}

TEST_F(FrameViewTest, ANarrowWorkAreaFoldsTheSidePanelAtCreation) {
    SetWorkArea(800, 600);
    Open(new ObservedFrameView, 800, 600);
    EXPECT_EQ(Splitter()->IsCollapsed(), 1);
    EXPECT_EQ(view->GetVisibleSidePanelWidth(), 0);
    view->Relayout();
    EXPECT_EQ(view->mainGame.GetViewRect().left, 4);
    EXPECT_EQ(view->mainGame.GetViewRect().right, 800 - 4 - 6);
    EXPECT_EQ(view->subSystem.GetViewRect().left, 800);
}

TEST_F(FrameViewTest, TheAdvertPageHidesWhileTheViewLaysOut) {
    Open();
    RecordingBar& advert = *view->subSystem.bars["AdvertBar"];
    view->Relayout();
    EXPECT_TRUE(advert.pageCalls.empty());
    advert.pageShowing = true;
    view->Relayout();
    EXPECT_EQ(advert.pageCalls, (std::vector<std::string>{"hide", "show"}));
}

TEST_F(FrameViewTest, NoLayoutWithoutAScene) {
    ObservedFrameView lonely;
    lonely.Relayout();
    EXPECT_EQ(lonely.mainGame.GetViewRect().right, 0);
    EXPECT_EQ(lonely.subSystem.GetViewRect().right, 0);
}

// --- chrome ---

TEST_F(FrameViewTest, AMissingTopBarPictureLeavesTwentyFiveRowsOfTheFillColour) {
    Open();
    Frame();
    for (int y = 0; y < 25; ++y) {
        for (int x : {5, 300, kSceneWidth / 2, kSceneWidth - 200}) {
            ASSERT_EQ(Pixel(x, y), 0x4cb122u) << x << "," << y;
        }
    }
    // Red 0x22, green 0xB1, blue 0x4C.
    EXPECT_EQ(Pixel(300, 10) & 0xff, 0x22u);
    EXPECT_EQ((Pixel(300, 10) >> 16) & 0xff, 0x4Cu);
    EXPECT_NE(Pixel(300, 25), 0x4cb122u);
    // Borders 3 pixels wide in the fill colour; the left one is centred on
    // x = 1, so its first column lies left of the scene.
    EXPECT_EQ(Pixel(0, 300), 0x4cb122u);
    EXPECT_EQ(Pixel(1, 300), 0x4cb122u);
    EXPECT_NE(Pixel(2, 300), 0x4cb122u);
    EXPECT_NE(Pixel(kSceneWidth - 4, 300), 0x4cb122u);
    for (int x = kSceneWidth - 3; x < kSceneWidth; ++x) {
        EXPECT_EQ(Pixel(x, 300), 0x4cb122u) << x;
    }
    for (int y = kSceneHeight - 3; y < kSceneHeight; ++y) {
        EXPECT_EQ(Pixel(300, y), 0x4cb122u) << y;
    }
    EXPECT_NE(Pixel(300, kSceneHeight - 4), 0x4cb122u);
}

TEST_F(FrameViewTest, ASkinGivesTheTopBarItsHeightAndPlacesTheTitleButtons) {
    AddImage("Frame_Top", 10, 30, 0x804020);
    AddImage("Frame_Left", 5, 8, 0x102030);
    AddImage("TablePatten", 64, 64, 0x203040);
    AddImage("btnFrameClose", 20, 16, 0x0000f0);
    AddImage("btnFrameFit", 18, 16, 0x00f000);
    AddImage("btnFrameMin", 16, 16, 0xf00000);
    Open();
    Frame();
    // Opaque pixels blended onto opaque ones lose one step of each channel.
    auto near = [](uint32_t shown, uint32_t color) {
        for (int shift : {0, 8, 16}) {
            const int a = static_cast<int>((shown >> shift) & 0xff);
            const int b = static_cast<int>((color >> shift) & 0xff);
            if (a > b || a < b - 1) {
                return false;
            }
        }
        return true;
    };
    EXPECT_PRED2(near, Pixel(500, 0), 0x804020u);
    EXPECT_PRED2(near, Pixel(500, 29), 0x804020u);
    EXPECT_PRED2(near, Pixel(500, 30), 0x203040u);
    EXPECT_PRED2(near, Pixel(0, 300), 0x102030u);
    EXPECT_PRED2(near, Pixel(1, 300), 0x102030u);
    EXPECT_PRED2(near, Pixel(3, 300), 0x102030u);
    EXPECT_PRED2(near, Pixel(4, 300), 0x203040u);
    EXPECT_PRED2(near, Pixel(500, 300), 0x203040u);
    // The title buttons from the right edge leftwards: close, fit, minimise.
    EXPECT_PRED2(near, Pixel(kSceneWidth - 5, 15), 0x0000f0u);
    EXPECT_PRED2(near, Pixel(kSceneWidth - 4 - 19, 15), 0x0000f0u);
    EXPECT_PRED2(near, Pixel(kSceneWidth - 4 - 21, 15), 0x00f000u);
    EXPECT_PRED2(near, Pixel(kSceneWidth - 4 - 38, 15), 0x00f000u);
    EXPECT_PRED2(near, Pixel(kSceneWidth - 4 - 39, 15), 0xf00000u);
    EXPECT_PRED2(near, Pixel(kSceneWidth - 4 - 54, 15), 0xf00000u);
    EXPECT_PRED2(near, Pixel(kSceneWidth - 4 - 55, 15), 0x804020u);
}

// A view whose tile pictures have no size: painting must still end.
class EmptyTileView : public ObservedFrameView {
public:
    using CCorvaneVisual::GetResourceFrame;
    FrameRecord* GetResourceFrame(FrameRecord* out, const char* name, int frame) override {
        CCorvaneVisual::GetResourceFrame(out, name, frame);
        if (std::strcmp(name, "TablePatten") == 0 || std::strcmp(name, "Frame_Top") == 0) {
            out->width = 0;
        }
        return out;
    }
};

TEST_F(FrameViewTest, ATilePictureWithoutSizeDoesNotHang) {
    AddImage("TablePatten", 8, 8, 0x203040);
    AddImage("Frame_Top", 8, 30, 0x804020);
    Open(new EmptyTileView);
    view->Relayout();
    Frame();
    // Neither is tiled: the top bar falls back to its fill, the table to nothing.
    EXPECT_EQ(Pixel(300, 10), 0x4cb122u);
    EXPECT_EQ(Pixel(300, 24), 0x4cb122u);
    EXPECT_NE(Pixel(300, 300), 0x203040u);
}

// --- events ---

TEST_F(FrameViewTest, UnlistedEventsGoToTheEngineView) {
    Open();
    for (int event : {80000007, 80000011, 80000101, 19840330}) {
        EXPECT_EQ(Send(event), view->CCorvaneView::OnEvent(MakeEventRecord(0, event, 0, 0)))
            << event;
    }
    EXPECT_EQ(Send(kEventHoverOn), 1);
    EXPECT_EQ(Send(kEventHoverOff), 1);
    EXPECT_EQ(Send(kEventHelpButton), 1);
    EXPECT_EQ(Send(kEventPlayerCard), 1);
}

TEST_F(FrameViewTest, SettingsGoToTheTableAndTheCloseButtonClosesTheWindow) {
    Open();
    EXPECT_EQ(Send(kEventSettingsButton), 1);
    EXPECT_EQ(view->mainGame.events, std::vector<int>{kEventOpenSettings});
    EXPECT_EQ(Send(kEventCloseButton), 1);
    platform::Message m;
    bool closePosted = false;
    while (platform::PeekMessage(m, platform::PeekMode::Remove)) {
        closePosted |= m.id == platform::kMsgClose && m.window == wnd->Id();
    }
    EXPECT_TRUE(closePosted);
}

TEST_F(FrameViewTest, AForceQuitAnswerSendsItsReasonAndFreesIt) {
    Open();
    view->ShowForceQuitBox();
    ASSERT_EQ(app.panels->Count("made force-quit box"), 1);
    auto* box = NewestOfKind<CForceQuitBox>(*view);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->IsVisible());
    EXPECT_EQ(box->GetKind(), 3);
    EXPECT_EQ(box->GetReasonEdit()->GetMaxLength(), 60);
    EXPECT_EQ(box->GetTitle(), "请求强退");
    EXPECT_NE(box->GetText().find("积分"), std::string::npos);
    // A second request while the box shows does nothing.
    view->ShowForceQuitBox();
    EXPECT_EQ(app.panels->Count("made force-quit box"), 1);

    // The reason is a heap copy the view frees (LeakSanitizer watches).
    box->GetReasonEdit()->InsertText("有事");
    box->OnConfirm();
    EXPECT_EQ(app.connection.Count("RequestExit 有事"), 1);
    EXPECT_EQ(app.tableData.GetExitRequestCount(), 1);
    EXPECT_NE(app.tableData.GetExitRequestTick(), 0u);
    EXPECT_EQ(box->IsVisible(), 0);
    for (int i = 0; i < 5 && NewestOfKind<CForceQuitBox>(*view) != nullptr; ++i) {
        Frame();
    }
    EXPECT_EQ(NewestOfKind<CForceQuitBox>(*view), nullptr);

    // The box is forgotten: a new one opens; without a reason an empty one goes.
    view->ShowForceQuitBox();
    EXPECT_EQ(app.panels->Count("made force-quit box"), 2);
    ASSERT_NE(NewestOfKind<CForceQuitBox>(*view), nullptr);
    NewestOfKind<CForceQuitBox>(*view)->OnConfirm();
    EXPECT_EQ(app.connection.calls.back(), "RequestExit ");
    EXPECT_EQ(app.tableData.GetExitRequestCount(), 2);
    EXPECT_EQ(Send(kEventForceQuitConfirm, 0, 0), 1);
    EXPECT_EQ(Send(kEventForceQuitCancel), 1);
    EXPECT_EQ(Send(kEventExitAnswer, 777, 1), 1);
    EXPECT_EQ(app.connection.calls.back(), "AnswerExitRequest 777 1");
}

TEST_F(FrameViewTest, PointerEventsWithoutTheirPointerDoNothing) {
    Open();
    for (int event :
         {kEventSeatBoardEnter, kEventSeatBoardLeave, kEventCardLeave, kEventDragBegin}) {
        EXPECT_EQ(Send(event, 5, 0), 1) << event;
    }
    // No drag began: a move does nothing.
    input.SetCursorPos({300, 300});
    Send(kEventTopBarDrag);
    EXPECT_EQ(view->IsMaximized(), 1);
}

TEST_F(FrameViewTest, MatchRecordsWithoutAQueueAreDroppedAndTheirEventsDoNothing) {
    Open();
    const uint8_t record[300] = {7};
    view->OnServerNotice211190(record, sizeof record);
    view->OnServerNotice211191(record, 3);
    auto* block = static_cast<uint8_t*>(AllocEventBlock(40));
    EXPECT_EQ(Send(kEventMatchEndQueued, EventParam(block), 40), 1);
    EXPECT_EQ(Send(kEventMatchResultQueued, 0, 224), 1);
}

// --- window actions ---

TEST_F(FrameViewTest, DraggingAMaximisedWindowRestoresItUnderTheCursor) {
    Open();
    platform::TopLevelWindow* top = wnd->GetTopLevel();
    input.SetWindowRect(wnd->Id(), {0, 0, kSceneWidth, kSceneHeight});
    const int32_t press[2] = {512, 10};
    Send(kEventDragBegin, 0, EventParam(press));
    input.SetCursorPos({600, 12});
    Send(kEventTopBarDrag);
    // ((1024 - 800) * 600) / 1024 = 131; the scene's height gives y 0.
    EXPECT_EQ(view->IsMaximized(), 0);
    EXPECT_EQ(view->GetWindowFitMode(), 0);
    EXPECT_EQ(view->GetSidePanelWidth(), 250);
    platform::ScreenRect client = top->ClientRect();
    EXPECT_EQ(client.left, 131);
    EXPECT_EQ(client.top, 0);
    EXPECT_EQ(client.right - client.left, 800);
    EXPECT_EQ(client.bottom - client.top, 600);

    // Restored, the window follows the cursor.
    input.SetWindowRect(wnd->Id(), {131, 0, 931, 600});
    input.SetCursorPos({610, 20});
    Send(kEventTopBarDrag);
    client = top->ClientRect();
    EXPECT_EQ(client.left, 141);
    EXPECT_EQ(client.top, 8);

    // After the release a move does nothing.
    Send(kEventDragEnd);
    input.SetCursorPos({700, 100});
    Send(kEventTopBarDrag);
    EXPECT_EQ(top->ClientRect().left, 141);

    // Maximising again fills the work area.
    Send(kEventToggleMaximize);
    client = top->ClientRect();
    EXPECT_EQ(client.left, 0);
    EXPECT_EQ(client.right, kSceneWidth);
    EXPECT_EQ(client.bottom, kSceneHeight);
    EXPECT_EQ(view->GetWindowFitMode(), 1);
}

TEST_F(FrameViewTest, ANarrowWorkAreaFoldsAtEveryToggleAndRestoresTo800By600) {
    SetWorkArea(800, 570);
    Open(new ObservedFrameView, 800, 570);
    EXPECT_EQ(Splitter()->IsCollapsed(), 1);
    Send(kEventToggleMaximize);  // restore
    platform::ScreenRect client = wnd->GetTopLevel()->ClientRect();
    EXPECT_EQ(client.left, 100);
    EXPECT_EQ(client.top, 100);
    EXPECT_EQ(client.right - client.left, 800);
    EXPECT_EQ(client.bottom - client.top, 600);
    EXPECT_EQ(view->GetSidePanelWidth(), 250);
    EXPECT_EQ(view->GetVisibleSidePanelWidth(), 250);  // already folded: nothing to fold
    Send(kEventToggleMaximize);                        // maximise
    client = wnd->GetTopLevel()->ClientRect();
    EXPECT_EQ(client.left, 0);
    EXPECT_EQ(client.right - client.left, 800);
    EXPECT_EQ(client.bottom - client.top, 570);
    EXPECT_EQ(view->IsMaximized(), 1);
}

TEST_F(FrameViewTest, TheMinimiseButtonMinimisesTheWindow) {
    Open();
    Send(kEventMinimize);
    EXPECT_TRUE(wnd->GetTopLevel()->IsMinimised());
}

// The match client's view, its match parts reachable and its match end and
// result written down with their lengths.
class MatchView : public ObservedFrameView {
public:
    CCorvaneButton* SignUpButton() { return FindPart<CCorvaneButton>(signUpButtonId_); }
    CCorvaneButton* GiveUpButton() { return FindPart<CCorvaneButton>(giveUpButtonId_); }
    void ShowMatchEnd(const uint8_t* body, size_t length) override {
        Record("ShowMatchEnd " + std::to_string(length) + " " + std::to_string(body[0]));
    }
    void ShowMatchResult(const uint8_t* body, size_t length) override {
        Record("ShowMatchResult " + std::to_string(length) + " " + std::to_string(body[0]) + " " +
               std::to_string(body[100]));
    }
};

TEST_F(FrameViewTest, SignUpButtonsComeBackAfterFiveSecondsOfEngineTime) {
    app.match = true;
    auto* match = new MatchView;
    Open(match);
    ASSERT_NE(match->SignUpButton(), nullptr);
    ASSERT_NE(match->GiveUpButton(), nullptr);
    auto faceTakesInput = [](CCorvaneButton* button) {
        return button->GetPeer() != nullptr && button->GetPeer()->IsInputEnabled() != 0;
    };
    EXPECT_TRUE(faceTakesInput(match->SignUpButton()));
    Send(kEventSignUp);
    Send(kEventGiveUp);
    EXPECT_EQ(app.connection.Count("MatchSignUp"), 1);
    EXPECT_EQ(app.connection.Count("MatchGiveUp"), 1);
    EXPECT_FALSE(faceTakesInput(match->SignUpButton()));
    EXPECT_FALSE(faceTakesInput(match->GiveUpButton()));
    for (int ms = 0; ms < 4900; ms += 100) {
        time.AdvanceMs(100);
        wnd->RunFrame();
    }
    EXPECT_FALSE(faceTakesInput(match->SignUpButton()));
    for (int ms = 0; ms < 300; ms += 50) {
        time.AdvanceMs(50);
        wnd->RunFrame();
    }
    EXPECT_TRUE(faceTakesInput(match->SignUpButton()));
    EXPECT_TRUE(faceTakesInput(match->GiveUpButton()));
}

TEST_F(FrameViewTest, MatchRecordsGoThroughTheQueueOneAtATimeCutOrPadded) {
    app.match = true;
    auto* match = new MatchView;
    Open(match);
    // The game views reach the same queue through the application.
    ASSERT_NE(match->GetEventQueue(), nullptr);
    EXPECT_EQ(GetFrameEventQueue(), match->GetEventQueue());
    std::vector<uint8_t> end(300, 7);
    const uint8_t result[3] = {9, 9, 9};
    match->OnServerNotice211190(end.data(), end.size());
    match->OnServerNotice211191(result, sizeof result);
    for (int i = 0; i < 5; ++i) {
        Frame();
    }
    // The second waits until the first was shown; each shown block is freed.
    EXPECT_EQ(match->Count("ShowMatchEnd 40 7"), 1);
    EXPECT_EQ(match->Count("ShowMatchResult 224 9 0"), 1);
}

// --- boards and waiting pictures ---

class BoardView : public ObservedFrameView {
public:
    CCorvaneObject* QuitBoard() { return FindPart<CCorvaneObject>(quitBoardId_); }
    CCorvaneObject* WaitingPicture() { return FindPart<CCorvaneObject>(waitingPictureId_); }
    CCorvaneObject* BigAnimation() { return FindPart<CCorvaneObject>(bigAnimationId_); }
};

TEST_F(FrameViewTest, TheQuitBoardIsMadeOnceAndItsOkClosesTheWindow) {
    AddImage("bit_systemboard", 270, 200, 0x303030);
    AddImage("btn_gameset_ok", 40, 20, 0x00ff00);
    AddImage("btn_gameset_cancel", 40, 20, 0x0000ff);
    auto* boards = new BoardView;
    Open(boards);
    boards->ShowQuitConfirmBoard();
    CCorvaneObject* board = boards->QuitBoard();
    ASSERT_NE(board, nullptr);
    const int id = board->GetId();
    const IntRect game = view->mainGame.GetViewRect();
    EXPECT_EQ(board->GetX(), (game.left + game.right) / 2);
    EXPECT_EQ(board->GetY(), (game.top + game.bottom) / 2);
    EXPECT_NE(board->IsVisible(), 0);
    ASSERT_EQ(board->GetChildCount(), 2u);
    board->Hide();
    boards->ShowQuitConfirmBoard();
    EXPECT_EQ(boards->QuitBoard()->GetId(), id);
    EXPECT_NE(board->IsVisible(), 0);

    // The OK button, 145 pixels right of the board's left edge, 163 below its top.
    CCorvaneButton* ok = nullptr;
    for (int i = 1; i < 200 && ok == nullptr; ++i) {
        auto* button = dynamic_cast<CCorvaneButton*>(view->FindObjectById(i));
        if (button != nullptr && button->GetX() == board->GetLeft() + 145) {
            ok = button;
        }
    }
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->GetY(), board->GetTop() + 163);
    ok->OnClick();
    time.AdvanceMs(11);
    wnd->RunFrame();
    platform::Message m;
    bool closePosted = false;
    while (platform::PeekMessage(m, platform::PeekMode::Remove)) {
        closePosted |= m.id == platform::kMsgClose && m.window == wnd->Id();
    }
    EXPECT_TRUE(closePosted);
}

TEST_F(FrameViewTest, MatchWaitingPicturesShowTheirKindAndHide) {
    AddImage("animation_WaitArrangeTable", 40, 40, 0x101010);
    AddImage("animation_WaitCaclRank", 50, 30, 0x202020);
    AddImage("animation_MatchBegin", 60, 20, 0x303030);
    app.match = true;
    auto* boards = new BoardView;
    Open(boards);
    CCorvaneObject* waiting = boards->WaitingPicture();
    ASSERT_NE(waiting, nullptr);
    boards->ShowMatchWait(3);
    EXPECT_EQ(waiting->GetWidth(), 50);
    EXPECT_NE(waiting->IsVisible(), 0);
    boards->ShowMatchWait(2);  // no such kind: nothing changes
    EXPECT_EQ(waiting->GetWidth(), 50);
    boards->HideMatchWait();
    EXPECT_EQ(waiting->IsVisible(), 0);

    boards->ShowMatchNotice("animation_MatchBegin");
    CCorvaneObject* notice = boards->BigAnimation();
    ASSERT_NE(notice, nullptr);
    const IntRect game = view->mainGame.GetViewRect();
    EXPECT_EQ(notice->GetY(), game.top + (game.bottom - game.top) / 3);
    EXPECT_EQ(notice->GetZ(), 52000);
    boards->ShowMatchNotice("animation_WaitCaclRank");
    EXPECT_EQ(boards->BigAnimation(), notice);
    EXPECT_EQ(notice->GetWidth(), 50);
    boards->HideMatchNotice();
    EXPECT_EQ(notice->IsVisible(), 0);
    EXPECT_EQ(notice->GetAlpha(), 1.0);
}

// --- close rules ---

TEST_F(FrameViewTest, ClosingWithinThirtySecondsOfAnExitRequestOnlyWritesTheWaitingLine) {
    Open();
    app.connection.script.queryInGame = 1;
    app.SetGamePlaying();
    app.tableData.SetExitRequestTick(platform::GetTickCount32() - 1500);
    view->RequestClose();
    ASSERT_EQ(view->subSystem.chatLines.size(), 1u);
    EXPECT_EQ(view->subSystem.chatLines[0],
              " <c=2906200>已经请求退出，请耐心等候其他玩家回应(29秒)。\r\n");
    EXPECT_EQ(app.connection.Count("LeaveGame"), 0);
    EXPECT_EQ(app.panels->Count("made force-quit box"), 0);

    // Past the 30 s the box opens instead.
    app.tableData.SetExitRequestTick(platform::GetTickCount32() - 30000);
    view->RequestClose();
    EXPECT_EQ(view->subSystem.chatLines.size(), 1u);
}

TEST_F(FrameViewTest, OutsideAGameRequestCloseLeavesAndClosesTheWindow) {
    Open();
    view->RequestClose();
    EXPECT_EQ(app.connection.Count("LeaveGame"), 1);
    platform::Message m;
    bool closePosted = false;
    while (platform::PeekMessage(m, platform::PeekMode::Remove)) {
        closePosted |= m.id == platform::kMsgClose && m.window == wnd->Id();
    }
    EXPECT_TRUE(closePosted);
}

}  // namespace
