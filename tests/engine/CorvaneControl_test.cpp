#include "engine/CorvaneControl.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/engine/SceneTestSupport.h"

namespace {

// A control that logs the events its own OnEvent sees, with the input state
// at that moment.
class LoggingControl : public CCorvaneControl {
public:
    struct Seen {
        int event;
        int inputEnabled;
    };
    int OnEvent(const EventRecord& record) override {
        seen.push_back({record.event, IsInputEnabled()});
        return CCorvaneControl::OnEvent(record);
    }
    std::vector<Seen> seen;
};

class ControlTest : public SceneTest {
protected:
    LoggingControl* MakeControl() {
        auto* control = new LoggingControl;
        module->RegisterObject(control, nullptr);
        control->SetSize(40, 30);
        control->SetPos(200, 150);
        control->Show();
        return control;
    }
    // A peer standing somewhere else than the control, so answers tell apart.
    RecordingObject* MakePeer() { return Make(500, 400, 64, 48); }
};

TEST_F(ControlTest, WithoutPeerEveryAnswerIsTheControlsOwn) {
    LoggingControl* control = MakeControl();
    EXPECT_EQ(control->GetType(), kKindControl);
    EXPECT_EQ(control->HasPeer(), 0);
    EXPECT_EQ(control->GetPeer(), nullptr);
    EXPECT_EQ(control->GetPeerOrSelf(), control);
    EXPECT_EQ(control->GetPeerLink(), 0u);
    EXPECT_EQ(control->GetX(), 200.0);
    EXPECT_EQ(control->GetWidth(), 40.0);
    EXPECT_EQ(control->GetLeft(), 180.0);
    EXPECT_EQ(control->IsVisible(), 1);

    control->SetFlags(kObjectFocusable);
    control->EnableInput(1);
    EXPECT_EQ(control->GetFlags(), kObjectFocusable | kObjectTakesInput);
    CCorvaneObject child;
    control->AttachChild(&child, kLinkPosition);
    EXPECT_EQ(child.GetParent(), control);
    EXPECT_EQ(control->GetChildLinkFlags(child.GetId()), kLinkPosition);
    control->DetachChildren();
    EXPECT_EQ(control->GetChildCount(), 0u);
}

TEST_F(ControlTest, PeerAnswersForTheControlAndTakesItsFlagsAndChildren) {
    LoggingControl* control = MakeControl();
    RecordingObject* peer = MakePeer();
    control->PeerSetUp(peer, kPeerLinkFlags);

    EXPECT_EQ(control->HasPeer(), 1);
    EXPECT_EQ(control->GetPeerOrSelf(), peer);
    EXPECT_EQ(peer->GetParent(), control);
    EXPECT_EQ(control->GetPeerLink(), kPeerLinkFlags | kLinkBindings);

    // Queries answer with the peer's values; moving the control moves the
    // peer by the same amount.
    EXPECT_EQ(control->GetX(), 500.0);
    EXPECT_EQ(control->GetY(), 400.0);
    EXPECT_EQ(control->GetWidth(), 64.0);
    EXPECT_EQ(control->GetRight(), 532.0);
    EXPECT_EQ(control->GetZ(), peer->GetZ());
    control->SetPos(0, 0);
    control->Invalidate();
    EXPECT_EQ(peer->GetX(), 300.0);
    EXPECT_EQ(control->GetX(), 300.0);
    EXPECT_EQ(control->GetY(), 250.0);

    // Flag setters reach the peer, not the control; HasPeer stays the
    // control's own flag.
    control->SetFlags(kObjectFocusable);
    EXPECT_EQ(peer->GetFlags(), kObjectFocusable);
    EXPECT_EQ(control->GetFlags(), kObjectFocusable);
    EXPECT_EQ(control->HasPeer(), 1);
    control->SetLayer(7);
    EXPECT_EQ(peer->GetLayer(), 7u);
    EXPECT_EQ(control->GetLayer(), 7u);

    // A child attached to the control lands on the peer.
    RecordingObject* child = Make();
    control->AttachChild(child, kLinkPosition | kLinkZ);
    EXPECT_EQ(child->GetParent(), peer);
    EXPECT_EQ(control->GetChildLinkFlags(child->GetId()), kLinkPosition | kLinkZ);
    control->SetChildLinkFlags(child->GetId(), kLinkOwned);
    EXPECT_EQ(peer->GetChildLinkFlags(child->GetId()), kLinkOwned);

    // The mouse finds the peer, never the control.
    control->EnableInput(1);
    EXPECT_EQ(peer->IsInputEnabled(), 1);
    const IntRect scene = module->GetSceneRect();
    EXPECT_EQ(module->HitTest(300 - scene.left, 250 - scene.top), peer);
    EXPECT_EQ(control->HitTest(300, 250), 1);
    EXPECT_EQ(control->HitTest(0, 0), 0);

    // Input bindings of the control are repeated on the peer.
    control->BindEvent(kEventClick, control->GetId(), 80000001, 0, 0);
    EXPECT_NE(peer->FindEventBinding(kEventClick), nullptr);

    // The owned peer (and the child it owns) go with the control.
    module->DestroyObjectById(control->GetId());
    EXPECT_EQ(deaths, 2);
}

TEST_F(ControlTest, EachGetterFollowsThePeerOnlyWhenItsLinkCarriesTheBits) {
    struct Case {
        const char* what;
        uint32_t link;
        bool xFromPeer, widthFromPeer, leftFromPeer, rightFromPeer, visibleFromPeer, alphaFromPeer;
    };
    const Case cases[] = {
        {"position only", kLinkPosition, true, false, false, false, false, false},
        {"size only", kLinkSize, false, true, false, false, false, false},
        {"scale and position", kLinkScale | kLinkPosition, true, false, true, false, false, false},
        {"size and position", kLinkSize | kLinkPosition, true, true, false, true, false, false},
        {"show without hide", kLinkShow, false, false, false, false, false, false},
        {"show and hide", kLinkShow | kLinkHide, false, false, false, false, true, false},
        {"alpha", kLinkAlpha, false, false, false, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LoggingControl* control = MakeControl();
        RecordingObject* peer = MakePeer();
        peer->Hide();
        peer->SetAlpha(0.5);
        control->PeerSetUp(peer, c.link);
        EXPECT_EQ(control->GetX(), c.xFromPeer ? 500.0 : 200.0);
        EXPECT_EQ(control->GetWidth(), c.widthFromPeer ? 64.0 : 40.0);
        EXPECT_EQ(control->GetLeft(), c.leftFromPeer ? 468.0 : 180.0);
        EXPECT_EQ(control->GetRight(), c.rightFromPeer ? 532.0 : 220.0);
        EXPECT_EQ(control->IsVisible(), c.visibleFromPeer ? 0 : 1);
        EXPECT_EQ(control->GetAlpha(), c.alphaFromPeer ? 0.5 : 1.0);
        // Flags and layer go to the peer whatever the link.
        control->AddFlags(kObjectFocusable);
        EXPECT_NE(peer->GetFlags() & kObjectFocusable, 0u);
    }
}

TEST_F(ControlTest, SecondPeerLeavesTheFirstAsAnOrdinaryChild) {
    LoggingControl* control = MakeControl();
    RecordingObject* first = MakePeer();
    control->PeerSetUp(first, kPeerLinkFlags);
    RecordingObject* second = Make(600, 500, 10, 10);
    control->PeerSetUp(second, kPeerLinkFlags);

    EXPECT_EQ(control->GetPeer(), second);
    EXPECT_EQ(control->GetX(), 600.0);
    EXPECT_EQ(first->GetParent(), control);
    EXPECT_EQ(control->CCorvaneObject::HasChild(first->GetId()), 1);
    // Not the peer's child: the control answers from its own list.
    EXPECT_EQ(control->GetChildLinkFlags(first->GetId()), kPeerLinkFlags | kLinkBindings);
    // Both are owned: both die with the control.
    module->DestroyObjectById(control->GetId());
    EXPECT_EQ(deaths, 2);
}

TEST_F(ControlTest, SetInputEnabledTellsTheControlAfterTheChange) {
    LoggingControl* control = MakeControl();
    RecordingObject* peer = MakePeer();
    control->PeerSetUp(peer, kPeerLinkFlags);
    control->SetInputEnabled(1);
    control->SetInputEnabled(0);
    ASSERT_EQ(control->seen.size(), 2u);
    EXPECT_EQ(control->seen[0].event, kEventInputEnabled);
    EXPECT_EQ(control->seen[0].inputEnabled, 1);
    EXPECT_EQ(control->seen[1].event, kEventInputDisabled);
    EXPECT_EQ(control->seen[1].inputEnabled, 0);
    EXPECT_EQ(peer->IsInputEnabled(), 0);
}

TEST_F(ControlTest, PeerDestroyedOnItsOwnIsForgottenNotTouched) {
    LoggingControl* control = MakeControl();
    RecordingObject* peer = MakePeer();
    control->PeerSetUp(peer, kPeerLinkFlags);
    module->DestroyObjectById(peer->GetId());

    EXPECT_EQ(control->GetPeer(), nullptr);
    EXPECT_EQ(control->GetPeerOrSelf(), control);
    EXPECT_EQ(control->GetX(), 200.0);
    control->SetFlags(kObjectFocusable);
    EXPECT_EQ(control->GetFlags(), kObjectFocusable);
    EXPECT_EQ(control->GetChildCount(), 0u);
    module->DestroyObjectById(control->GetId());
    EXPECT_EQ(deaths, 1);
}

TEST_F(ControlTest, PeersThatWouldMakeQueriesLoopAreRefused) {
    LoggingControl* control = MakeControl();
    control->PeerSetUp(control, kPeerLinkFlags);
    EXPECT_EQ(control->GetPeer(), nullptr);
    EXPECT_EQ(control->HasPeer(), 0);

    // A parent of the control.
    RecordingObject* parent = Make();
    parent->AttachChild(control, 0);
    control->PeerSetUp(parent, kPeerLinkFlags);
    EXPECT_EQ(control->GetPeer(), nullptr);

    // A control that answers through this one, even once it is no longer
    // this one's parent.
    LoggingControl* other = MakeControl();
    other->PeerSetUp(control, kPeerLinkFlags);
    ASSERT_EQ(other->GetPeer(), control);
    other->CCorvaneObject::RemoveChild(control->GetId());
    ASSERT_EQ(control->GetParent(), nullptr);
    control->PeerSetUp(other, kPeerLinkFlags);
    EXPECT_EQ(control->GetPeer(), nullptr);
    EXPECT_EQ(control->GetX(), 200.0);
}

TEST_F(ControlTest, NullPeerForgetsTheOldOneAndClearsHasPeer) {
    LoggingControl* control = MakeControl();
    RecordingObject* peer = MakePeer();
    control->PeerSetUp(peer, kPeerLinkFlags);
    control->PeerSetUp(nullptr, kPeerLinkFlags);
    EXPECT_EQ(control->HasPeer(), 0);
    EXPECT_EQ(control->GetPeerOrSelf(), control);
    EXPECT_EQ(peer->GetParent(), control);
    EXPECT_EQ(control->GetX(), 200.0);
}

}  // namespace
