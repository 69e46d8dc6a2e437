// The engine window on SDL's dummy video driver: its modules and scene, the
// way input given to its top-level window reaches scene objects, its frames
// and what it shows, copy data, and its end.

#include "engine/CorvaneWnd.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvaneCursor.h"
#include "engine/CorvaneView.h"
#include "engine/EngineCursors.h"
#include "engine/EngineEvents.h"
#include "engine/GdiPaintModule.h"
#include "engine/InputModule.h"
#include "engine/MusicModule.h"
#include "engine/ObjectModule.h"
#include "engine/ResourceModule.h"
#include "platform/Cursor.h"
#include "platform/Cursors.h"
#include "platform/Messages.h"
#include "platform/SdlEvents.h"
#include "platform/SdlInput.h"
#include "platform/SdlWindow.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/engine/SceneTestSupport.h"
#include "tests/engine/TempProgramFolder.h"

namespace {

using platform::DisplayWindowEvent;
using platform::MouseButton;

class TestView : public CCorvaneView {
public:
    explicit TestView(bool* destroyed = nullptr) : destroyed_(destroyed) {}
    ~TestView() override {
        if (destroyed_ != nullptr) {
            *destroyed_ = true;
        }
    }
    void Relayout() override { ++relayouts; }
    void OnCopyData(const CopyDataRecord* record) override {
        copies.emplace_back(static_cast<const char*>(record->lpData), record->cbData);
        tags.push_back(record->dwData);
    }

    int relayouts = 0;
    std::vector<std::string> copies;
    std::vector<uintptr_t> tags;

private:
    bool* destroyed_;
};

// Counts the frames its timer runs.
class CountingWnd : public CCorvaneWnd {
public:
    using CCorvaneWnd::CCorvaneWnd;
    ~CountingWnd() override { Destroy(); }
    void RunFrame() override {
        ++frames;
        CCorvaneWnd::RunFrame();
    }
    int frames = 0;
};

class CorvaneWndTest : public ::testing::Test {
protected:
    // Headless runs play sound on SDL's dummy driver, so the music module
    // loads on machines without a sound device too.
    static void SetUpTestSuite() { ::setenv("SDL_AUDIODRIVER", "dummy", 0); }
    ~CorvaneWndTest() override { wnd.reset(); }

    // A window whose client area is width x height at (40, 30) on the
    // screen, initialised with a test view.
    void Open(int width = 320, int height = 240, ResourceModule* resources = nullptr) {
        auto clock = time.MakeClock();
        clock->Reset(5000);
        wnd = std::make_unique<CountingWnd>(std::move(clock));
        ASSERT_EQ(wnd->Create("引擎", platform::kStyleVisible | platform::kStyleOverlappedWindow, 0,
                              {40, 30, 40 + width, 30 + height}, 0),
                  1);
        view = new TestView(&viewDestroyed);
        ASSERT_EQ(wnd->Initialize(view, resources), 1);
        Deliver();
    }

    GameCore& Core() { return *wnd->GetCore(); }
    ObjectModule& Objects() {
        return *dynamic_cast<ObjectModule*>(Core().FindModule(kObjectModuleId));
    }
    InputModule* Input() { return dynamic_cast<InputModule*>(Core().FindModule(kInputModuleId)); }
    platform::WindowId Id() const { return wnd->Id(); }

    // Hands every waiting message to its window.
    void Deliver() {
        platform::Message m;
        while (platform::PeekMessage(m, platform::PeekMode::Remove)) {
            platform::DispatchMessage(m);
        }
    }
    // Past the object module's interval, one frame.
    void Frame() {
        time.AdvanceMs(11);
        wnd->RunFrame();
    }
    void DeliverAndRun() {
        Deliver();
        Frame();
    }

    // A shown object at (x, y) of the scene, bound to the events.
    RecordingObject* Target(double x, double y, const std::vector<int>& events) {
        auto* o = new RecordingObject(&log);
        Objects().RegisterObject(o, nullptr);
        o->SetSize(40, 40);
        o->SetPos(x, y);
        o->Show();
        o->Invalidate();
        for (int e : events) {
            o->BindEventToSelf(e);
        }
        return o;
    }
    std::vector<int> EventsOf(CCorvaneObject* o) const {
        std::vector<int> ids;
        for (const Delivery& d : log) {
            if (d.receiver == o->GetId()) {
                ids.push_back(d.event);
            }
        }
        return ids;
    }

    TempProgramFolder folder;
    ManualTime time;
    std::unique_ptr<CountingWnd> wnd;
    TestView* view = nullptr;
    bool viewDestroyed = false;
    std::vector<Delivery> log;
};

TEST_F(CorvaneWndTest, InitializeLoadsTheModulesAndFitsTheSceneToTheClientArea) {
    Open(321, 241);
    EXPECT_EQ(Core().GetWindowHandle(), Id());
    EXPECT_EQ(Core().ModuleCount(), 6u);
    EXPECT_NE(dynamic_cast<ResourceModule*>(Core().FindModule(kResourceModuleId)), nullptr);
    EXPECT_NE(dynamic_cast<GdiPaintModule*>(Core().FindModule(kPaintModuleId)), nullptr);
    EXPECT_NE(dynamic_cast<MusicModule*>(Core().FindModule(kMusicModuleId)), nullptr);
    EXPECT_NE(Input(), nullptr);
    EXPECT_NE(Core().FindModule(kFailureNoticeModuleId), nullptr);

    EXPECT_EQ(wnd->GetWidth(), 321);
    EXPECT_EQ(wnd->GetHeight(), 241);
    auto* paint = dynamic_cast<GdiPaintModule*>(Core().FindModule(kPaintModuleId));
    EXPECT_EQ(paint->GetBufferWidth(), 321);
    EXPECT_EQ(paint->GetBufferHeight(), 241);
    // Centre (160, 120): halves round toward zero.
    EXPECT_EQ(Objects().GetSceneRect(), (IntRect{-1, -1, 320, 240}));

    EXPECT_EQ(wnd->GetRootObject(), view);
    EXPECT_GT(view->GetId(), 0);
    EXPECT_EQ(view->GetCore(), wnd->GetCore());
    EXPECT_EQ(view->relayouts, 1);

    // Once only.
    TestView other;
    EXPECT_EQ(wnd->Initialize(&other), 0);
    EXPECT_EQ(Core().ModuleCount(), 6u);
}

TEST_F(CorvaneWndTest, AGivenResourceModuleIsTheOneLoaded) {
    auto* resources = new ResourceModule;
    Open(320, 240, resources);
    EXPECT_EQ(Core().FindModule(kResourceModuleId), resources);

    // Not before the window exists.
    CountingWnd uncreated;
    TestView root;
    EXPECT_EQ(uncreated.Initialize(&root), 0);
    EXPECT_EQ(uncreated.GetCore()->ModuleCount(), 0u);
}

TEST_F(CorvaneWndTest, EngineWindowsTakeSuccessiveFrameTimerIds) {
    Open();
    CountingWnd second;
    ASSERT_EQ(second.Create("b", platform::kStyleVisible, 0, {0, 0, 64, 48}, 0), 1);
    EXPECT_EQ(second.GetFrameTimerId(), -1);
    ASSERT_EQ(second.Initialize(new CCorvaneView), 1);
    EXPECT_EQ(second.GetFrameTimerId(), wnd->GetFrameTimerId() + 1);
}

TEST_F(CorvaneWndTest, OnlyANewNonZeroSizeResizesTheScene) {
    Open();
    platform::SendMessage(Id(), platform::kMsgSize, 0, platform::PackSize(320, 240));
    platform::SendMessage(Id(), platform::kMsgSize, 0, platform::PackSize(0, 100));
    platform::SendMessage(Id(), platform::kMsgSize, 0, platform::PackSize(100, 0));
    EXPECT_EQ(view->relayouts, 1);
    EXPECT_EQ(wnd->GetWidth(), 320);

    // The display's resize reaches the buffer, the scene and the view.
    ASSERT_TRUE(platform::SynthesizeWindowEvent(Id(), DisplayWindowEvent::Resized, 400, 300));
    Deliver();
    EXPECT_EQ(view->relayouts, 2);
    EXPECT_EQ(wnd->GetWidth(), 400);
    EXPECT_EQ(wnd->GetHeight(), 300);
    EXPECT_EQ(Objects().GetSceneRect(), (IntRect{0, 0, 400, 300}));
    auto* paint = dynamic_cast<GdiPaintModule*>(Core().FindModule(kPaintModuleId));
    EXPECT_EQ(paint->GetBufferWidth(), 400);

    // Minimising says size 0: nothing changes, and no frame is drawn meanwhile.
    platform::SetMainWindow(Id());
    ASSERT_TRUE(platform::SynthesizeWindowEvent(Id(), DisplayWindowEvent::Minimised));
    Deliver();
    EXPECT_EQ(view->relayouts, 2);
    EXPECT_TRUE(platform::IsMinimised(Id()));
    platform::SetMainWindow(0);
}

TEST_F(CorvaneWndTest, AClickReachesTheObjectUnderTheMouse) {
    Open();
    RecordingObject* button = Target(100, 80, {kEventLButtonDown, kEventLButtonUp, kEventClick});
    ASSERT_TRUE(platform::SynthesizeMouseMove(Id(), 100, 80));
    ASSERT_TRUE(platform::SynthesizeMouseButton(Id(), MouseButton::Left, true, 100, 80));
    Deliver();
    EXPECT_EQ(platform::GetCapture(), Id());
    EXPECT_EQ(platform::GetFocus(), Id());
    ASSERT_TRUE(platform::SynthesizeMouseButton(Id(), MouseButton::Left, false, 101, 80));
    DeliverAndRun();
    EXPECT_EQ(platform::GetCapture(), 0u);
    EXPECT_EQ(EventsOf(button),
              (std::vector<int>{kEventLButtonDown, kEventLButtonUp, kEventClick}));

    // A right drag outside the window is still heard, with signed points.
    ASSERT_TRUE(platform::SynthesizeMouseButton(Id(), MouseButton::Right, true, 100, 80));
    Deliver();
    ASSERT_TRUE(platform::SynthesizeMouseMove(Id(), -20, 80));
    Deliver();
    InputState state;
    Input()->GetInputState(&state);
    EXPECT_EQ(state.mouseX, -20);
    EXPECT_EQ(state.stateFlags & kInputRightHeld, kInputRightHeld);
    ASSERT_TRUE(platform::SynthesizeMouseButton(Id(), MouseButton::Right, false, -20, 80));
    Deliver();
    EXPECT_EQ(platform::GetCapture(), 0u);
}

TEST_F(CorvaneWndTest, KeysAndTypedTextReachTheFocusObject) {
    Open();
    RecordingObject* edit = Target(200, 150, {kEventKeyDown, kEventChar});
    edit->SetFocusable(1);
    ASSERT_TRUE(platform::SynthesizeMouseMove(Id(), 200, 150));
    ASSERT_TRUE(platform::SynthesizeMouseButton(Id(), MouseButton::Left, true, 200, 150));
    ASSERT_TRUE(platform::SynthesizeMouseButton(Id(), MouseButton::Left, false, 200, 150));
    ASSERT_TRUE(platform::SynthesizeKey(Id(), 'Q', true));
    ASSERT_TRUE(platform::SynthesizeText(Id(), "中"));
    DeliverAndRun();
    EXPECT_EQ(EventsOf(edit), (std::vector<int>{kEventKeyDown, kEventChar}));
    InputState state;
    Input()->GetInputState(&state);
    EXPECT_EQ(state.focus, edit->GetId());
    EXPECT_EQ(state.lastKeyDown, 'Q');
    EXPECT_EQ(state.character[0], 0xD6);  // one event for both bytes
    EXPECT_EQ(state.character[1], 0xD0);
}

TEST_F(CorvaneWndTest, TheWheelPointComesFromTheScreen) {
    Open();
    ASSERT_TRUE(platform::SynthesizeMouseWheel(Id(), 1, 12, 7));
    Deliver();
    InputState state;
    Input()->GetInputState(&state);
    EXPECT_EQ(state.mouseX, 12);
    EXPECT_EQ(state.mouseY, 7);
}

TEST_F(CorvaneWndTest, WithoutTheInputModuleInputIsIgnored) {
    Open();
    ASSERT_EQ(Core().UnloadModule(kInputModuleId), kEngineOk);
    platform::SetCursor(platform::SystemCursor(platform::kCursorWait));
    EXPECT_EQ(platform::SendMessage(Id(), platform::kMsgSetCursor, Id(), platform::kHitClient), 0);
    EXPECT_EQ(platform::DisplayCursorShape(), platform::SystemCursor(platform::kCursorWait));
    ASSERT_TRUE(platform::SynthesizeMouseButton(Id(), MouseButton::Left, true, 5, 5));
    ASSERT_TRUE(platform::SynthesizeKey(Id(), 'A', true));
    Deliver();
    // The capture still follows the button.
    EXPECT_EQ(platform::GetCapture(), Id());
    ASSERT_TRUE(platform::SynthesizeMouseButton(Id(), MouseButton::Left, false, 5, 5));
    Deliver();
    EXPECT_EQ(platform::GetCapture(), 0u);
}

TEST_F(CorvaneWndTest, TheCursorIsSetOnEveryRequest) {
    Open();
    platform::SetCursor(platform::SystemCursor(platform::kCursorWait));
    ASSERT_TRUE(platform::SynthesizeMouseMove(Id(), 3, 3));
    Deliver();
    EXPECT_EQ(platform::DisplayCursorShape(), platform::SystemCursor(platform::kCursorArrow));
}

TEST_F(CorvaneWndTest, TheProgramsOwnCursorsAreThereOnceTheEngineRuns) {
    Open();
    auto* cursor = new CCorvaneCursor;
    Objects().RegisterObject(cursor, nullptr);
    const platform::CursorHandle normal =
        cursor->LoadCursorResource(kNormalCursorResource, kNormalCursorId);
    const platform::CursorHandle hand =
        cursor->LoadCursorResource(kHandCursorResource, kHandCursorId);
    ASSERT_NE(normal, 0u);
    ASSERT_NE(hand, 0u);
    EXPECT_NE(normal, hand);

    // Each hot spot sits on the outline of the shape's tip.
    for (platform::CursorHandle handle : {normal, hand}) {
        const auto image = platform::FindLoadedCursor(handle);
        ASSERT_NE(image, nullptr);
        const size_t hot = (static_cast<size_t>(image->hotY) * image->width + image->hotX) * 4;
        EXPECT_EQ(image->pixels[hot + 3], 255);
        EXPECT_EQ(image->pixels[hot], 0);
    }

    cursor->OnEvent(MakeEventRecord(cursor->GetId(), kEventHandCursor, 0, 0));
    EXPECT_EQ(platform::DisplayCursorShape(), hand);
    cursor->OnEvent(MakeEventRecord(cursor->GetId(), kEventArrowCursor, 0, 0));
    EXPECT_EQ(platform::DisplayCursorShape(), normal);
}

TEST_F(CorvaneWndTest, TheFrameTimerRunsFramesInTheMessageLoop) {
    Open();
    platform::Message m;
    while (wnd->frames < 3 && platform::GetMessage(m)) {
        platform::DispatchMessage(m);
    }
    EXPECT_EQ(wnd->frames, 3);
}

TEST_F(CorvaneWndTest, FramesAreShownInTheWindow) {
    Open();
    CCorvaneCanvas* canvas = view->CreateCanvas(20, 10, 0xFF00FF);
    ASSERT_NE(canvas, nullptr);
    canvas->SetPenColor(0x3060F0, 1.0);  // 0x00BBGGRR
    canvas->DrawRect(0, 0, 20, 10, 1);
    canvas->SetPos(50, 40);  // the centre; the scene is the client area
    canvas->Show();
    canvas->Invalidate();
    Frame();
    Deliver();  // the paint the frame asked for
    platform::TopLevelWindow* top = wnd->GetTopLevel();
    EXPECT_EQ(top->ShownColorAt(41, 36), 0x3060F0u);
    EXPECT_EQ(top->ShownColorAt(59, 44), 0x3060F0u);
    EXPECT_EQ(top->ShownColorAt(60, 44), 0u);
    EXPECT_EQ(top->Surface().ColorAt(50, 40), 0x3060F0u);

    // Uncovered by the display, the window is painted again.
    const int presents = top->Surface().PresentCount();
    ASSERT_TRUE(platform::SynthesizeWindowEvent(Id(), DisplayWindowEvent::Exposed));
    Deliver();
    EXPECT_EQ(top->Surface().PresentCount(), presents + 1);
    EXPECT_EQ(platform::SendMessage(Id(), platform::kMsgEraseBackground, 0, 0), 1);
}

TEST_F(CorvaneWndTest, APaintCopiesOnlyWhatChangedUntilTheDisplayAsksForAll) {
    Open();
    CCorvaneCanvas* sprite = view->CreateCanvas(20, 10, 0xFF00FF);
    ASSERT_NE(sprite, nullptr);
    sprite->SetPenColor(0x3060F0, 1.0);
    sprite->DrawRect(0, 0, 20, 10, 1);
    sprite->SetPos(50, 40);  // x 40..59, y 35..44
    sprite->Show();
    sprite->Invalidate();
    Frame();
    Deliver();
    const platform::WindowSurface& surface = wnd->GetTopLevel()->Surface();

    // Ten pixels to the right: the old and the new place, nothing else.
    const int64_t before = surface.PresentedPixels();
    sprite->SetPos(60, 40);
    sprite->Invalidate();
    Frame();
    Deliver();
    EXPECT_EQ(surface.LastPresentedArea(), (platform::PixelRect{40, 35, 70, 45}));
    EXPECT_EQ(surface.PresentedPixels() - before, 30 * 10);
    EXPECT_EQ(surface.ColorAt(45, 40), 0u);
    EXPECT_EQ(surface.ColorAt(69, 44), 0x3060F0u);

    // Uncovered, the whole window is copied again.
    ASSERT_TRUE(platform::SynthesizeWindowEvent(Id(), DisplayWindowEvent::Exposed));
    Deliver();
    EXPECT_EQ(surface.LastPresentedArea(), (platform::PixelRect{0, 0, 320, 240}));
    EXPECT_EQ(surface.ColorAt(69, 44), 0x3060F0u);

    // A paint with nothing waiting copies nothing.
    const int presents = surface.PresentCount();
    platform::SendMessage(Id(), platform::kMsgPaint, 0, 0);
    EXPECT_EQ(surface.PresentCount(), presents);
}

TEST_F(CorvaneWndTest, CopyDataGoesToTheRootView) {
    Open();
    const std::string bytes = "hall record";
    CopyDataRecord record{6, static_cast<uint32_t>(bytes.size()), bytes.data()};
    platform::SendMessage(Id(), platform::kMsgCopyData, 0,
                          reinterpret_cast<platform::LParam>(&record));
    platform::SendMessage(Id(), platform::kMsgCopyData, 0, 0);  // no record: ignored
    EXPECT_EQ(view->copies, (std::vector<std::string>{bytes}));
    EXPECT_EQ(view->tags, (std::vector<uintptr_t>{6}));
}

TEST_F(CorvaneWndTest, ClosingUnloadsTheEngineAndTheScreenWindow) {
    Open();
    const platform::WindowId id = Id();
    ASSERT_TRUE(platform::SynthesizeWindowEvent(id, DisplayWindowEvent::Close));
    Deliver();
    EXPECT_FALSE(platform::IsWindow(id));
    EXPECT_EQ(Core().ModuleCount(), 0u);
    EXPECT_EQ(wnd->GetRootObject(), nullptr);
    EXPECT_TRUE(viewDestroyed);  // with the object module
    EXPECT_EQ(wnd->GetTopLevel(), nullptr);
    EXPECT_EQ(platform::TopLevelWindow::Find(id), nullptr);

    // A frame after the end finds nothing to do.
    wnd->RunFrame();
}

}  // namespace
