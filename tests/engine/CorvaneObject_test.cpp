#include "engine/CorvaneObject.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>

#include "platform/Cursor.h"
#include "tests/engine/SceneTestSupport.h"

namespace {

using ObjectTest = SceneTest;

TEST(CorvaneObjectAlone, NewObjectDefaultsClampsAndSilenceWhileUnregistered) {
    std::vector<Delivery> log;
    RecordingObject o(&log);
    EXPECT_EQ(o.GetX(), -100000.0);
    EXPECT_EQ(o.GetY(), -100000.0);
    EXPECT_EQ(o.GetAlpha(), 1.0);
    EXPECT_EQ(o.IsVisible(), 0);
    EXPECT_EQ(o.GetId(), 0);
    EXPECT_EQ(o.SendEvent(MakeEventRecord(1, 80000001, 0, 0)), 0);
    EXPECT_EQ(o.PostEvent(MakeEventRecord(1, 80000001, 0, 0)), 0);
    EXPECT_TRUE(log.empty());

    o.SetLayer(5000000);
    EXPECT_EQ(o.GetLayer(), kMaxObjectLayer);
    o.SetZ(999000.0);
    o.MoveZBy(5000.0);
    EXPECT_EQ(o.GetZ(), 999989.0);

    o.SetName("first");
    o.SetName("");
    o.SetName(nullptr);
    EXPECT_STREQ(o.GetName(), "first");
}

TEST(CorvaneObjectAlone, TopmostReachesEveryChildIncludingLaterOnes) {
    CCorvaneObject parent, unlinked, later;
    parent.AttachChild(&unlinked, 0);
    parent.SetTopmost();
    EXPECT_EQ(unlinked.GetLayer(), kTopmostLayer);
    EXPECT_NE(unlinked.GetFlags() & kObjectTopmost, 0u);
    parent.AttachChild(&later, 0);
    EXPECT_EQ(later.GetLayer(), kTopmostLayer);
    parent.DetachChildren();
}

struct LinkCase {
    const char* name;
    uint32_t flag;
    std::function<void(CCorvaneObject&)> change;
    std::function<double(CCorvaneObject&)> probe;
};

TEST(CorvaneObjectAlone, ChildrenFollowOnlyTheChangesTheirLinkNames) {
    const LinkCase cases[] = {
        {"position", kLinkPosition, [](CCorvaneObject& o) { o.SetPos(50, 60); },
         [](CCorvaneObject& o) { return o.GetX(); }},
        {"z", kLinkZ, [](CCorvaneObject& o) { o.SetZ(7.0); },
         [](CCorvaneObject& o) { return o.GetZ(); }},
        {"alpha", kLinkAlpha, [](CCorvaneObject& o) { o.SetAlpha(0.25); },
         [](CCorvaneObject& o) { return o.GetAlpha(); }},
        {"size", kLinkSize, [](CCorvaneObject& o) { o.SetSize(33, 44); },
         [](CCorvaneObject& o) { return o.GetHeight(); }},
        {"scale", kLinkScale, [](CCorvaneObject& o) { o.Scale(2.0, 3.0); },
         [](CCorvaneObject& o) { return o.GetHeight(); }},
        {"clip", kLinkClipRect,
         [](CCorvaneObject& o) {
             o.SetClipRect(IntRect{1, 2, 3, 4});
         },
         [](CCorvaneObject& o) { return double(o.GetFlags() & kObjectHasClipRect); }},
        {"input", kLinkInput, [](CCorvaneObject& o) { o.EnableInput(1); },
         [](CCorvaneObject& o) { return double(o.IsInputEnabled()); }},
        {"rotation", kLinkRotation, [](CCorvaneObject& o) { o.RotateBy(90.0); },
         [](CCorvaneObject& o) { return o.GetAngle(); }},
        {"show", kLinkShow, [](CCorvaneObject& o) { o.Show(); },
         [](CCorvaneObject& o) { return double(o.IsVisible()); }},
    };
    for (const LinkCase& c : cases) {
        SCOPED_TRACE(c.name);
        CCorvaneObject parent, follower, bystander;
        for (CCorvaneObject* o : {&parent, &follower, &bystander}) {
            o->SetSize(10, 10);
        }
        parent.AttachChild(&follower, c.flag);
        parent.AttachChild(&bystander, kLinkDecoration & ~c.flag);
        const double before = c.probe(bystander);
        c.change(parent);
        EXPECT_EQ(c.probe(follower), c.probe(parent));
        EXPECT_EQ(c.probe(bystander), before);
        parent.DetachChildren();
    }
}

TEST(CorvaneObjectAlone, ResizeScalesLinkedChildrenOrSizesThemWhenParentHadNoSize) {
    CCorvaneObject parent, child;
    parent.SetSize(100, 50);
    child.SetSize(10, 10);
    parent.AttachChild(&child, kLinkScale);
    parent.Resize(200, 100);
    EXPECT_EQ(child.GetWidth(), 20.0);
    EXPECT_EQ(child.GetHeight(), 20.0);

    parent.SetSize(0, 50);
    parent.Resize(-5, 10);
    EXPECT_EQ(parent.GetWidth(), 0.0);
    EXPECT_EQ(parent.GetHeight(), 10.0);
    EXPECT_EQ(child.GetWidth(), 0.0);
    EXPECT_EQ(child.GetHeight(), 10.0);
    parent.DetachChildren();
}

TEST(CorvaneObjectAlone, ShowAndHideReachChildrenByTheirLinks) {
    CCorvaneObject parent, shown, hidden, alwaysHidden, alwaysShown;
    shown.Show();
    alwaysHidden.Show();
    parent.AttachChild(&shown, kLinkHideWithMemory);
    parent.AttachChild(&hidden, kLinkHideWithMemory);
    parent.AttachChild(&alwaysHidden, kLinkHide);
    parent.AttachChild(&alwaysShown, kLinkShow);
    parent.Hide();
    EXPECT_EQ(shown.IsVisible(), 0);
    EXPECT_EQ(alwaysHidden.IsVisible(), 0);
    parent.Show();
    EXPECT_EQ(shown.IsVisible(), 1);
    EXPECT_EQ(hidden.IsVisible(), 0);  // it was hidden before its parent
    EXPECT_EQ(alwaysHidden.IsVisible(), 0);
    EXPECT_EQ(alwaysShown.IsVisible(), 1);
    EXPECT_EQ(parent.GetChildLinkFlags(0) & kLinkHiddenByParent, 0u);
    parent.DetachChildren();
}

TEST(CorvaneObjectAlone, AttachingTwiceOnlyChangesFlagsAndLoopsAreRefused) {
    CCorvaneObject parent, child;
    EXPECT_EQ(parent.AttachChild(&child, kLinkOwned), 1);
    EXPECT_EQ(parent.AttachChild(&child, kLinkZ), 0);
    EXPECT_EQ(parent.GetChildCount(), 1u);
    EXPECT_EQ(parent.GetChildLinkFlags(0), kLinkZ);
    EXPECT_EQ(child.AttachChild(&parent, 0), 0);
    EXPECT_EQ(parent.AttachChild(&parent, 0), 0);
    EXPECT_EQ(child.GetParent(), &parent);
    parent.DetachChildren();
    EXPECT_EQ(child.GetParent(), nullptr);
}

TEST(CorvaneObjectAlone, HitTestsOfTurnedPlainClippedAndPixelObjects) {
    CCorvaneObject turned;
    turned.SetSize(100, 40);
    turned.SetPos(200, 200);
    turned.SetAngle(90);
    EXPECT_EQ(turned.HitTest(200, 240), 1);
    EXPECT_EQ(turned.HitTest(240, 200), 0);

    CCorvaneObject box;  // 20 x 10 at (100, 100): x 90..109, y 95..104
    box.SetSize(20, 10);
    box.SetPos(100, 100);
    EXPECT_EQ(box.HitTest(90, 95), 1);
    EXPECT_EQ(box.HitTest(109, 104), 1);
    EXPECT_EQ(box.HitTest(110, 100), 0);
    EXPECT_EQ(box.HitTest(100, 105), 0);
    box.SetClipRect(95, 0, 200, 200);
    EXPECT_EQ(box.HitTest(90, 95), 0);
    EXPECT_EQ(box.HitTest(95, 95), 1);

    // 40 x 20 on screen, frame 20 x 10 opaque in its left 10 columns.
    HalfDrawable half(20, 10);
    RecordingObject picture;
    picture.SetSize(40, 20);
    picture.SetPos(100, 100);
    picture.AddFlags(kObjectPixelHitTest);
    EXPECT_EQ(picture.HitTest(99, 95), 0);  // no drawable yet
    picture.drawable = &half;
    EXPECT_EQ(picture.HitTest(99, 95), 1);
    EXPECT_EQ(picture.HitTest(101, 95), 0);
    EXPECT_EQ(picture.HitTest(79, 95), 0);  // outside the box
}

TEST(CorvaneObjectAlone, PositiveRotationMovesAPointOnTheRightUpward) {
    CCorvaneObject o;
    o.SetPos(110, 100);
    o.RotateAbout(100, 100, 90);
    EXPECT_NEAR(o.GetX(), 100.0, 1e-3);
    EXPECT_NEAR(o.GetY(), 90.0, 1e-3);
    EXPECT_EQ(o.GetAngle(), 90.0);
}

TEST(CorvaneObjectAlone, BindingsDedupeByTargetAndEventAndSpreadToBindingChildren) {
    CCorvaneObject parent, child, other;
    parent.AttachChild(&child, kLinkBindings);
    parent.AttachChild(&other, 0);
    parent.BindEvent(kEventClick, 7, 80000001, 1, 2);
    parent.BindEvent(kEventClick, 7, 80000001, 3, 4);
    parent.BindEvent(kEventClick, 8, 80000001, 0, 0);
    EXPECT_EQ(parent.GetBindingCount(), 2u);
    EXPECT_EQ(parent.FindEventBinding(kEventClick)->param1, 1);
    EXPECT_TRUE(parent.IsInputEnabled());
    EXPECT_TRUE(child.IsInputEnabled());
    EXPECT_EQ(child.GetBindingCount(), 2u);
    EXPECT_FALSE(other.IsInputEnabled());

    int index = 0;
    EXPECT_EQ(parent.FindNextEventBinding(kEventClick, &index)->target, 7);
    EXPECT_EQ(parent.FindNextEventBinding(kEventClick, &index)->target, 8);
    EXPECT_EQ(parent.FindNextEventBinding(kEventClick, &index), nullptr);

    CCorvaneObject plain;
    plain.BindEvent(80000005, 1, 80000006, 0, 0);  // not an input event
    EXPECT_FALSE(plain.IsInputEnabled());

    CCorvaneObject dragged;
    dragged.EnableDrag(1);
    dragged.EnableDrag(0);
    EXPECT_NE(dragged.FindEventBinding(kEventLButtonDown), nullptr);
    EXPECT_NE(dragged.FindEventBinding(kEventLButtonUp), nullptr);
    EXPECT_EQ(dragged.FindEventBinding(kEventDrag), nullptr);
    parent.DetachChildren();
}

TEST_F(ObjectTest, RootHandlerMovesShowsHidesAndFreesTravellingBlocks) {
    RecordingObject* o = Make(100, 100);
    InputState input;
    input.moveX = 5;
    input.moveY = -3;
    EXPECT_EQ(o->SendEvent(MakeEventRecord(o->GetId(), kEventDragMove, 0, EventParam(&input))), 1);
    EXPECT_EQ(o->GetX(), 105.0);
    EXPECT_EQ(o->GetY(), 97.0);
    o->SendEvent(MakeEventRecord(o->GetId(), kEventDrag, 0, 0));
    EXPECT_EQ(o->GetX(), 105.0);

    o->SendEvent(MakeEventRecord(o->GetId(), kEventHide, 0, 0));
    EXPECT_EQ(o->IsVisible(), 0);
    o->SendEvent(MakeEventRecord(o->GetId(), kEventShow, 0, 0));
    EXPECT_EQ(o->IsVisible(), 1);

    // Leak-checked: the handler owns the block.
    void* block = AllocEventBlock(64);
    EXPECT_EQ(o->SendEvent(MakeEventRecord(o->GetId(), kEventSettings, EventParam(block), 0)), 1);
}

TEST_F(ObjectTest, CursorIsHeldInTheClipRectWhileTheButtonIsDown) {
    platform::RecordingCursorBackend cursor;
    platform::SetCursorBackend(&cursor);
    cursor.SetClientOrigin(core->GetWindowHandle(), {1000, 500});
    cursor.SetClip(platform::ScreenRect{1, 2, 3, 4});

    RecordingObject* o = Make();
    o->SetClipRect(-100, -50, 100, 50);  // scene; the scene's top-left is (-400, -300)
    o->SendEvent(MakeEventRecord(o->GetId(), kEventLButtonDown, 0, 0));
    EXPECT_EQ(cursor.GetClip(), cursor.Requests()[0]);  // no 0x8000 yet: untouched

    o->AddFlags(kObjectClipsCursor);
    o->SendEvent(MakeEventRecord(o->GetId(), kEventLButtonDown, 0, 0));
    EXPECT_EQ(cursor.GetClip(), (platform::ScreenRect{1300, 750, 1500, 850}));
    o->SendEvent(MakeEventRecord(o->GetId(), kEventLButtonUp, 0, 0));
    EXPECT_EQ(cursor.GetClip(), (platform::ScreenRect{1, 2, 3, 4}));

    cursor.SetClip(std::nullopt);
    o->SendEvent(MakeEventRecord(o->GetId(), kEventLButtonDown, 0, 0));
    o->SendEvent(MakeEventRecord(o->GetId(), kEventLButtonUp, 0, 0));
    EXPECT_EQ(cursor.GetClip(), std::nullopt);
    platform::SetCursorBackend(nullptr);
}

TEST_F(ObjectTest, DestructionKillsOwnedChildrenAndFreesTheOthers) {
    RecordingObject* parent = Make();
    RecordingObject* owned = Make();
    RecordingObject* kept = Make();
    parent->AttachChild(owned, kLinkOwned);
    parent->AttachChild(kept, kLinkPosition);
    const int ownedId = owned->GetId();
    module->DestroyObjectById(parent->GetId());
    EXPECT_EQ(deaths, 2);
    EXPECT_EQ(module->FindObjectById(ownedId), nullptr);
    EXPECT_EQ(kept->GetParent(), nullptr);
}

// A parent that, like a control with a peer, forwards RemoveChild.
class ForwardingParent : public RecordingObject {
public:
    using RecordingObject::RecordingObject;
    void RemoveChild(int id) override {
        if (peer != nullptr) {
            peer->RemoveChild(id);
        } else {
            RecordingObject::RemoveChild(id);
        }
    }
    CCorvaneObject* peer = nullptr;
};

TEST_F(ObjectTest, ChildInAForwardingParentsOwnListIsUnlinkedWhenItDies) {
    auto* parent = new ForwardingParent(&log, &deaths);
    module->RegisterObject(parent, nullptr);
    RecordingObject* child = Make();
    RecordingObject* peer = Make();
    parent->AttachChild(child, kLinkPosition);
    parent->AttachChild(peer, kLinkDecoration);
    parent->peer = peer;

    module->DestroyObjectById(child->GetId());
    EXPECT_EQ(parent->GetChildCount(), 1u);
    module->DestroyObjectById(parent->GetId());  // ASan: no touch of the dead child
    EXPECT_EQ(deaths, 3);
}

}  // namespace
