// The input module driven through real frames: a core on a hand-driven
// clock, the object module, the input module and objects whose bindings log
// what reaches them.

#include "engine/InputModule.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "engine/CursorInterface.h"
#include "platform/Input.h"
#include "tests/engine/SceneTestSupport.h"
#include "tests/engine/TempProgramFolder.h"

namespace {

class InputModuleTest : public SceneTest {
protected:
    InputModuleTest() {
        platform::SetInputBackend(&backend);
        input = new InputModule;
        EXPECT_EQ(core->LoadModule(input, 1, 1), kEngineOk);
        Frame();  // the input module's first tick
    }
    ~InputModuleTest() override {
        core.reset();
        platform::SetInputBackend(nullptr);
    }

    // An input-taking object bound to the events, each re-sent to itself.
    RecordingObject* Bound(double x, double y, const std::vector<int>& events, double size = 20) {
        RecordingObject* o = Make(x, y, size, size);
        for (int e : events) {
            o->BindEventToSelf(e);
        }
        o->onEvent = [this](const EventRecord& r) {
            if (r.param2 != 0) {
                snapshots.emplace_back(r.event, *EventParamPointer<const InputState>(r.param2));
            }
        };
        return o;
    }

    // The client point of a scene point.
    std::pair<int, int> Client(double sx, double sy) const {
        const IntRect scene = module->GetSceneRect();
        return {static_cast<int>(sx) - scene.left, static_cast<int>(sy) - scene.top};
    }
    void MoveTo(double sx, double sy) { Call(&InputModule::OnMouseMove, sx, sy); }
    void Press(double sx, double sy) { Call(&InputModule::OnLButtonDown, sx, sy); }
    void Release(double sx, double sy) { Call(&InputModule::OnLButtonUp, sx, sy); }
    void Call(void (InputModule::*handler)(int, int, uint32_t), double sx, double sy) {
        auto [x, y] = Client(sx, sy);
        (input->*handler)(x, y, 0);
    }

    std::vector<int> EventsOf(CCorvaneObject* o) const {
        std::vector<int> ids;
        for (const Delivery& d : log) {
            if (d.receiver == o->GetId() && !d.actionEnd) {
                ids.push_back(d.event);
            }
        }
        return ids;
    }
    InputState State() const {
        InputState s;
        input->GetInputState(&s);
        return s;
    }

    platform::RecordingInputBackend backend;
    InputModule* input = nullptr;
    std::vector<std::pair<int, InputState>> snapshots;
};

using V = std::vector<int>;

TEST_F(InputModuleTest, PressAndReleaseOnOneObjectClickIt) {
    RecordingObject* a = Bound(100, 100,
                               {kEventMouseEnter, kEventMouseMove, kEventLButtonDown,
                                kEventLButtonUp, kEventClick, kEventPressEnd});
    RecordingObject* watcher = Bound(700, 500, {kEventMouseMove, kEventLButtonDown});
    EXPECT_EQ(input->SetInputTarget(watcher->GetId()), 0);

    MoveTo(100, 100);
    Press(100, 100);
    Release(102, 101);
    EXPECT_TRUE(log.empty()) << "bound events arrive on the object module's tick";
    Frame();

    EXPECT_EQ(EventsOf(a), (V{kEventMouseEnter, kEventMouseMove, kEventLButtonDown, kEventLButtonUp,
                              kEventClick, kEventPressEnd, kEventMouseMove}));
    EXPECT_EQ(EventsOf(watcher), (V{kEventMouseMove, kEventLButtonDown}))
        << "the input target hears only what it binds";

    // The snapshot is in scene pixels, with the press flag and the target.
    ASSERT_FALSE(snapshots.empty());
    const auto& [event, down] = snapshots[3];
    EXPECT_EQ(event, kEventLButtonDown);
    EXPECT_EQ(down.mouseX, 100);
    EXPECT_EQ(down.mouseY, 100);
    EXPECT_EQ(down.mouseTarget, a->GetId());
    EXPECT_NE(down.stateFlags & kInputLeftHeld, 0u);

    Frame(101);  // the input module ticks and takes its records back
    EXPECT_EQ(input->RecordsInFlight(), 0u);
}

TEST_F(InputModuleTest, DragOffAndReleaseElsewhereHoldsTargetChangesBack) {
    RecordingObject* a =
        Bound(100, 100, {kEventMouseEnter, kEventMouseLeave, kEventLButtonUp, kEventClick});
    a->EnableDrag(1);
    RecordingObject* b =
        Bound(300, 100, {kEventMouseEnter, kEventMouseLeave, kEventLButtonUp, kEventClick});
    MoveTo(100, 100);
    Press(100, 100);
    MoveTo(140, 100);
    MoveTo(300, 100);
    Frame();
    EXPECT_EQ(EventsOf(b), V{}) << "no enter during the drag";
    EXPECT_EQ(a->GetX(), 300.0) << "the drag moved a by the mouse's movement";

    log.clear();
    a->SetPos(100, 100);
    a->Invalidate();
    Release(300, 100);
    Frame();
    EXPECT_EQ(EventsOf(a), (V{kEventLButtonUp, kEventMouseLeave}))
        << "up, no click; the held-back leave after it";
    EXPECT_EQ(EventsOf(b), V{kEventMouseEnter});
    EXPECT_EQ(State().mouseTarget, b->GetId());

    // A held right button holds the target too, also when objects change
    // under a still mouse.
    log.clear();
    Call(&InputModule::OnRButtonDown, 300, 100);
    a->SetPos(300, 100);
    a->SetZ(100);
    a->Invalidate();
    Frame(101);
    Frame();
    EXPECT_EQ(EventsOf(b), V{});
    Call(&InputModule::OnRButtonUp, 300, 100);
    MoveTo(301, 100);
    Frame();
    EXPECT_EQ(EventsOf(b), V{kEventMouseLeave});
    EXPECT_EQ(EventsOf(a), V{kEventMouseEnter});
}

TEST_F(InputModuleTest, DoubleClickNeedsTheSamePixelWithinTheTime) {
    RecordingObject* a = Bound(100, 100, {kEventLButtonDown, kEventDoubleClick});
    RecordingObject* plain = Bound(300, 100, {kEventLButtonDown});
    auto clickTwice = [&](double sx, double dx, int64_t gap) {
        MoveTo(sx, 100);
        Press(sx, 100);
        Release(sx, 100);
        time.AdvanceMs(gap);
        MoveTo(sx + dx, 100);
        Press(sx + dx, 100);
        Release(sx + dx, 100);
        time.AdvanceMs(600);
        Frame();
    };

    clickTwice(100, 0, 400);
    EXPECT_EQ(EventsOf(a), (V{kEventLButtonDown, kEventDoubleClick}));
    log.clear();
    clickTwice(100, 1, 400);
    EXPECT_EQ(EventsOf(a), (V{kEventLButtonDown, kEventLButtonDown}));
    log.clear();
    clickTwice(100, 0, 500);
    EXPECT_EQ(EventsOf(a), (V{kEventLButtonDown, kEventLButtonDown}));
    log.clear();
    clickTwice(300, 0, 100);
    EXPECT_EQ(EventsOf(plain), (V{kEventLButtonDown, kEventLButtonDown}))
        << "without a double-click binding the second press is a plain one";

    // Leaving and entering again in between: two single presses.
    log.clear();
    MoveTo(100, 100);
    Press(100, 100);
    Release(100, 100);
    MoveTo(300, 100);
    MoveTo(100, 100);
    Press(100, 100);
    Frame();
    EXPECT_EQ(EventsOf(a), (V{kEventLButtonDown, kEventLButtonDown}));
}

TEST_F(InputModuleTest, RestingSendsOneHoverAndMovingOneHoverEnd) {
    RecordingObject* a = Bound(100, 100, {kEventHover, kEventHoverEnd});
    MoveTo(100, 100);
    for (int i = 0; i < 4; ++i) {
        Frame(101);
    }
    Frame();
    EXPECT_EQ(EventsOf(a), V{}) << "404 ms of rest";
    for (int i = 0; i < 5; ++i) {
        Frame(101);
    }
    EXPECT_EQ(EventsOf(a), V{kEventHover});
    MoveTo(101, 100);
    MoveTo(102, 100);
    Frame();
    EXPECT_EQ(EventsOf(a), (V{kEventHover, kEventHoverEnd}));
}

TEST_F(InputModuleTest, ModalObjectKeepsTheMouseInside) {
    const V watched{kEventMouseEnter, kEventMouseLeave};
    RecordingObject* modal = Bound(0, 0, watched, 200);
    RecordingObject* inner = Bound(0, 0, watched);
    modal->AttachChild(inner, 0);
    RecordingObject* outside = Bound(-300, -200, watched);
    RecordingObject* watcher = Bound(700, 500, {kEventMouseMove});
    input->SetInputTarget(watcher->GetId());

    MoveTo(0, 0);
    input->SetModalTarget(modal->GetId());
    MoveTo(-300, -200);
    MoveTo(-299, -200);
    for (int i = 0; i < 3; ++i) {
        Frame(101);
    }
    EXPECT_EQ(EventsOf(inner), (V{kEventMouseEnter, kEventMouseLeave}));
    EXPECT_EQ(EventsOf(outside), V{}) << "kept out, no new target, and no repeated leave";
    EXPECT_EQ(State().mouseTarget, 0);
    EXPECT_EQ(EventsOf(watcher).size(), 3u) << "ticks do not replay a refused target";

    modal->Hide();
    modal->Invalidate();
    MoveTo(-300, -199);
    Frame();
    EXPECT_EQ(EventsOf(outside), V{kEventMouseEnter}) << "a hidden modal object is dropped";
    EXPECT_EQ(EventsOf(modal), V{});
    EXPECT_EQ(input->GetModalTarget(), 0);
}

TEST_F(InputModuleTest, FocusFollowsPressesAndTakesKeysAndCharacters) {
    const V focusEvents{kEventFocusGained, kEventFocusLost, kEventKeyDown, kEventKeyUp, kEventChar};
    RecordingObject* box = Bound(100, 100, focusEvents, 60);
    box->SetFocusable(1);
    RecordingObject* part = Bound(100, 100, {kEventLButtonDown});  // not focusable
    box->AttachChild(part, 0);
    Bound(300, 100, {kEventLButtonDown});

    MoveTo(100, 100);
    Press(100, 100);
    Release(100, 100);
    EXPECT_EQ(State().focus, box->GetId()) << "the nearest focusable ancestor";
    EXPECT_NE(box->GetFlags() & kObjectHasFocus, 0u);

    input->OnKeyDown(platform::kKeyReturn, 1, 0x1C0001);
    input->OnChar(0xD6, 1, 0);  // GBK 中, one byte per call
    input->OnChar(0xD0, 1, 0);
    input->OnChar(13, 1, 0);    // control characters are no text
    input->OnChar(0x7F, 1, 0);  // nor is DEL
    input->OnChar(0xB0, 1, 0);  // a lead byte without its trail is dropped
    input->OnChar('1', 1, 0);
    input->OnKeyUp(platform::kKeyReturn, 1, 0);
    Frame();
    EXPECT_EQ(EventsOf(box),
              (V{kEventFocusGained, kEventKeyDown, kEventChar, kEventChar, kEventKeyUp}));
    ASSERT_EQ(snapshots.size(), EventsOf(box).size() + 1);  // + part's press
    const InputState& key = snapshots[2].second;
    EXPECT_EQ(key.lastKeyDown, platform::kKeyReturn);
    EXPECT_EQ(key.keyFlags, 0x1C0001u);
    EXPECT_NE(key.stateFlags & kInputKeyHeld, 0u);
    const uint8_t* wide = snapshots[3].second.character;
    EXPECT_EQ((V{wide[0], wide[1], wide[2]}), (V{0xD6, 0xD0, 0}));
    const uint8_t* narrow = snapshots[4].second.character;
    EXPECT_EQ((V{narrow[0], narrow[1]}), (V{'1', 0}));
    EXPECT_EQ(snapshots[5].second.lastKeyDown, 0) << "the key up clears the same key's down";

    // A press elsewhere takes the focus away; so does hiding the focus.
    log.clear();
    MoveTo(300, 100);
    Press(300, 100);
    Frame();
    EXPECT_EQ(EventsOf(box), V{kEventFocusLost});
    EXPECT_EQ(box->GetFlags() & kObjectHasFocus, 0u);
    input->SetFocusObject(box->GetId());
    ASSERT_EQ(State().focus, box->GetId());
    box->Hide();
    Frame(101);
    EXPECT_EQ(State().focus, 0);
}

TEST_F(InputModuleTest, DisabledInputSendsOnlyTheFirstClick) {
    RecordingObject* a =
        Bound(100, 100, {kEventMouseEnter, kEventLButtonDown, kEventFirstClick, kEventKeyDown});
    MoveTo(100, 100);
    core->PostMessage(kInputModuleId, kMsgDisableInput, nullptr, 0);
    Frame(101);
    EXPECT_FALSE(input->IsInputEnabled());
    Press(100, 100);
    Press(100, 100);
    input->OnKeyDown('A', 1, 0);
    Frame();
    EXPECT_EQ(EventsOf(a), (V{kEventMouseEnter, kEventFirstClick}));

    core->PostMessage(kInputModuleId, kMsgEnableInput, nullptr, 0);
    Frame(101);
    log.clear();
    Press(100, 100);
    Frame();
    EXPECT_EQ(EventsOf(a), V{kEventLButtonDown}) << "the first click is sent once per focus";
}

TEST_F(InputModuleTest, LosingTheWindowFocusEndsPressAndHover) {
    RecordingObject* a = Bound(100, 100,
                               {kEventWindowLostFocus, kEventLButtonUp, kEventMouseLeave,
                                kEventFocusLost, kEventFirstClick, kEventChar});
    a->SetFocusable(1);
    MoveTo(100, 100);
    Press(100, 100);
    input->ShowSystemCursor(0);
    input->OnChar(0xD6, 1, 0);
    input->OnKillFocus();
    Frame();
    EXPECT_EQ(EventsOf(a), (V{kEventFirstClick, kEventWindowLostFocus, kEventLButtonUp,
                              kEventMouseLeave, kEventFocusLost}));
    EXPECT_GE(backend.DisplayCount(), 0);
    EXPECT_TRUE(input->IsSystemCursorShown());
    const InputState s = State();
    EXPECT_EQ(s.mouseTarget, 0);
    EXPECT_EQ(s.focus, 0);
    EXPECT_EQ(s.stateFlags, 0u);

    // The pending lead byte went too; the next press is a first click again.
    log.clear();
    snapshots.clear();
    input->SetFocusObject(a->GetId());
    input->OnChar('a', 1, 0);
    MoveTo(100, 100);
    Press(100, 100);
    Frame();
    EXPECT_EQ(EventsOf(a), (V{kEventChar, kEventFirstClick}));
    ASSERT_FALSE(snapshots.empty());
    EXPECT_EQ(snapshots.front().second.character[0], 'a');
}

TEST_F(InputModuleTest, ObjectsMovingUnderAStillMouseChangeTheTarget) {
    RecordingObject* a = Bound(500, 100, {kEventMouseEnter, kEventMouseLeave});
    MoveTo(100, 100);
    a->SetPos(100, 100);
    a->Invalidate();
    Frame(101);
    Frame();
    EXPECT_EQ(EventsOf(a), V{kEventMouseEnter});
    a->Hide();
    a->Invalidate();
    Frame(101);
    Frame();
    EXPECT_EQ(EventsOf(a), (V{kEventMouseEnter, kEventMouseLeave}));

    // A press before the next tick goes to the object that moved under the
    // mouse, not to the one that moved away.
    RecordingObject* b = Bound(100, 100, {kEventLButtonDown, kEventClick});
    RecordingObject* c = Bound(500, 300, {kEventLButtonDown, kEventClick});
    Frame(101);
    Frame();
    ASSERT_EQ(State().mouseTarget, b->GetId());
    b->SetPos(500, 500);
    b->Invalidate();
    c->SetPos(100, 100);
    c->Invalidate();
    Press(100, 100);
    Release(100, 100);
    Frame();
    EXPECT_EQ(EventsOf(b), V{});
    EXPECT_EQ(EventsOf(c), (V{kEventLButtonDown, kEventClick}));
}

// Returns that pile up beyond the queue limit are dropped with notice 1005;
// the records they carried are reclaimed by the next return.
class InputQueueLimitTest : public InputModuleTest, public ::testing::WithParamInterface<int> {};

TEST_P(InputQueueLimitTest, LostReturnsAreReclaimed) {
    const int count = GetParam();
    RecordingObject* box = Bound(100, 100, {kEventKeyDown});
    box->SetFocusable(1);
    input->SetFocusObject(box->GetId());
    Frame(101);
    notices->handled.clear();

    for (int i = 0; i < count; ++i) {
        input->OnKeyDown('A', 1, 0);
    }
    Frame();  // delivered; the returns wait in the input module's queue
    Frame();  // queue check
    const bool dropped = count > 1024;
    EXPECT_EQ(notices->HandledIds() == V{kNoticeQueueOverflow}, dropped);
    Frame(101);
    EXPECT_EQ(input->RecordsInFlight(), dropped ? static_cast<size_t>(count) : 0u);

    input->OnKeyDown('A', 1, 0);
    Frame();
    Frame(101);
    EXPECT_EQ(input->RecordsInFlight(), 0u);
    EXPECT_EQ(EventsOf(box).size(), static_cast<size_t>(count + 1));
}

INSTANTIATE_TEST_SUITE_P(AroundTheLimit, InputQueueLimitTest, ::testing::Values(1024, 1025));

TEST_F(InputModuleTest, CursorGoesThroughTheCursorObjectWhenThereIsOne) {
    const platform::CursorHandle hand = platform::SystemCursor(platform::kCursorHand);
    const platform::CursorHandle arrow = platform::SystemCursor(platform::kCursorArrow);

    input->ApplyCursor();
    EXPECT_EQ(backend.CurrentCursor(), arrow);

    RecordingObject* cursor = Make();
    cursor->SetName(kCursorObjectName);
    cursor->onEvent = [hand](const EventRecord& r) {
        if (r.event == kEventApplyCursor) {
            platform::SetCursor(hand);
        }
    };
    input->ApplyCursor();
    EXPECT_EQ(backend.CurrentCursor(), hand);
    EXPECT_EQ(EventsOf(cursor), V{kEventApplyCursor}) << "at once, not on a frame";
    module->DestroyObjectById(cursor->GetId());

    input->ShowSystemCursor(0);
    EXPECT_LT(backend.DisplayCount(), 0);
    const size_t requests = backend.CursorRequests().size();
    input->ApplyCursor();
    input->SetCursorHandle(0);
    EXPECT_EQ(backend.CursorRequests().size(), requests) << "hidden; a null handle is ignored";

    input->SetCursorHandle(hand);
    EXPECT_GE(backend.DisplayCount(), 0) << "a new cursor shows the system cursor";
    EXPECT_EQ(backend.CurrentCursor(), hand);
    EXPECT_EQ(input->GetCursorHandle(), hand);
}

TEST_F(InputModuleTest, MouseEnteringAndLeavingTheWindow) {
    TempProgramFolder folder;
    core->Start(77);
    backend.SetWindowRect(77, platform::ScreenRect{100, 100, 900, 700});
    RecordingObject* watcher = Bound(700, 500, {kEventMouseEnterWindow, kEventMouseLeaveWindow});
    input->SetInputTarget(watcher->GetId());

    backend.SetCursorPos({500, 400});
    Frame(101);
    Frame();
    EXPECT_TRUE(input->IsMouseInWindow());
    EXPECT_EQ(backend.CurrentCursor(), platform::SystemCursor(platform::kCursorArrow));
    backend.SetCursorPos({900, 400});
    Frame(101);
    Frame();
    EXPECT_FALSE(input->IsMouseInWindow());
    EXPECT_EQ(EventsOf(watcher), (V{kEventMouseEnterWindow, kEventMouseLeaveWindow}));
}

}  // namespace
