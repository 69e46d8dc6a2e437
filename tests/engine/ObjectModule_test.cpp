#include "engine/ObjectModule.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "engine/SceneGeometry.h"
#include "tests/engine/SceneTestSupport.h"

namespace {

using ObjectModuleTest = SceneTest;

TEST_F(ObjectModuleTest, IdsDepthsAndDrawOrderByLayerZAndId) {
    EXPECT_EQ(module->GetDrawIndex(1), -1);  // empty list
    RecordingObject* a = Make();
    RecordingObject* b = Make();
    RecordingObject* c = Make();
    EXPECT_EQ(a->GetId(), 1);
    EXPECT_EQ(a->GetZ(), -9999.0);
    EXPECT_EQ(b->GetZ(), -9998.0);

    a->SetLayer(1);
    a->SetZ(5.0);
    c->SetLayer(1);
    c->SetZ(5.0);
    b->SetZ(10.0);
    for (RecordingObject* o : {a, b, c}) {
        o->Invalidate();
    }
    // Drawing order b (layer 0), a, c (same layer and z: by id).
    EXPECT_EQ(module->GetDrawIndex(b->GetId()), -1);
    EXPECT_EQ(module->GetDrawIndex(a->GetId()), 0);
    EXPECT_EQ(module->GetDrawIndex(c->GetId()), 1);
    EXPECT_EQ(module->GetDrawIndex(99), 2);
    EXPECT_EQ(module->IsDrawListOrdered(), 1);

    b->SetLayer(2);  // not reported yet
    EXPECT_EQ(module->IsDrawListOrdered(), 0);
    b->Invalidate();
    EXPECT_EQ(module->IsDrawListOrdered(), 1);
    EXPECT_EQ(module->GetDrawIndex(b->GetId()), 1);

    EXPECT_EQ(module->GetTopZ(1), 5.0);
    EXPECT_EQ(module->GetTopZ(7), 0.0);
    c->BringToTop();
    EXPECT_EQ(c->GetZ(), 6.0);

    b->Hide();
    b->Invalidate();
    EXPECT_EQ(module->GetDrawIndex(b->GetId()), 1);  // absent: length - 1
    b->SetName("bee");
    EXPECT_EQ(module->FindObjectByName("bee"), b);
    EXPECT_EQ(module->FindObjectByName("wasp"), nullptr);
}

TEST_F(ObjectModuleTest, SceneSizeAndCentreDecideWhatIsListed) {
    module->SetSceneSize(801, 601);
    EXPECT_EQ(module->GetSceneRect(), (IntRect{-401, -301, 400, 300}));
    module->SetSceneSize(800, 600);
    EXPECT_EQ(module->GetSceneRect(), (IntRect{-400, -300, 400, 300}));

    Make(0, 0);
    RecordingObject* outside = Make(450, 0);
    outside->SetZ(-50000.0);
    outside->Invalidate();
    EXPECT_EQ(module->GetDrawIndex(outside->GetId()), 0);  // absent: length - 1
    module->SetSceneCentre(100, 0);
    EXPECT_EQ(module->GetSceneRect(), (IntRect{-300, -300, 500, 300}));
    EXPECT_EQ(module->GetDrawIndex(outside->GetId()), -1);  // listed, and drawn first
    outside->Hide();
    outside->Invalidate();
    EXPECT_EQ(module->GetDrawIndex(outside->GetId()), 0);
    EXPECT_EQ(module->GetObjectCount(), 2);
}

TEST_F(ObjectModuleTest, HitTestPicksHighestLayerThenZAndKeepsTheEarlierOnTies) {
    // Client (400, 300) is scene (0, 0).
    RecordingObject* first = Make(0, 0);
    RecordingObject* second = Make(0, 0);
    for (RecordingObject* o : {first, second}) {
        o->SetZ(1.0);
        o->EnableInput(1);
        o->Invalidate();
    }
    EXPECT_EQ(module->HitTest(400, 300), first);
    second->SetZ(2.0);
    EXPECT_EQ(module->HitTest(400, 300), second);
    first->SetLayer(3);
    EXPECT_EQ(module->HitTest(400, 300), first);
    first->AddFlags(kObjectHasPeer);
    EXPECT_EQ(module->HitTest(400, 300), second);
    second->EnableInput(0);
    EXPECT_EQ(module->HitTest(400, 300), nullptr);

    second->EnableInput(1);
    second->SetZ(kDefaultHitTestFloor);
    EXPECT_EQ(module->HitTest(400, 300), nullptr);  // layer 0 at the floor
    module->SetHitTestFloor(-1e9);
    EXPECT_EQ(module->HitTest(400, 300), second);

    module->SetSceneSize(801, 601);  // left and top -401, -301
    EXPECT_EQ(module->HitTest(401 - 10, 301), second);
    EXPECT_EQ(module->HitTest(401 - 11, 301), nullptr);
}

TEST_F(ObjectModuleTest, DirtyRectanglesMergeByTheRulesAndReachTheFrame) {
    Frame();
    paint->frames.clear();
    module->AddDirtyRect({500, 0, 600, 10});  // outside the scene
    EXPECT_TRUE(module->GetDirtyRects().empty());
    module->AddDirtyRect({350, 0, 450, 10});  // the first is cut to the scene
    module->AddDirtyRect({360, 2, 370, 8});   // inside: nothing
    module->AddDirtyRect({0, 0, 10, 10});     // same top and bottom: merged
    module->AddDirtyRect({0, 50, 10, 60});    // appended
    module->AddDirtyRect({0, 40, 10, 70});    // contains the second: replaces it
    const std::vector<IntRect> expected{{0, 0, 400, 10}, {0, 40, 10, 70}};
    EXPECT_EQ(module->GetDirtyRects(), expected);

    Frame();
    ASSERT_EQ(paint->frames.size(), 1u);
    const std::vector<IntRect> window{{400, 300, 800, 310}, {400, 340, 410, 370}};
    EXPECT_EQ(paint->frames[0].rects, window);
    EXPECT_TRUE(module->GetDirtyRects().empty());
    Frame();
    EXPECT_EQ(paint->frames.size(), 1u);  // nothing dirty, no frame
}

TEST_F(ObjectModuleTest, FrameListsOverlappingDrawablesInDrawOrder) {
    HalfDrawable face(20, 20);
    RecordingObject* low = Make(0, 0);
    RecordingObject* high = Make(5, 0);
    RecordingObject* far = Make(200, 0);
    RecordingObject* bare = Make(0, 0);  // no drawable: never listed
    for (RecordingObject* o : {low, high, far}) {
        o->drawable = &face;
    }
    Frame();
    paint->frames.clear();

    low->MoveBy(1, 0);
    low->Invalidate();
    Frame();
    ASSERT_EQ(paint->frames.size(), 1u);
    const RecordedFrame& frame = paint->frames[0];
    const std::vector<IntRect> rects{{390, 290, 411, 310}};
    EXPECT_EQ(frame.rects, rects);
    ASSERT_EQ(frame.states.size(), 2u);
    EXPECT_EQ(frame.states[0].x, 401.0);  // low, window coordinates
    EXPECT_EQ(frame.states[0].y, 300.0);
    EXPECT_EQ(frame.states[1].x, 405.0);  // high
    EXPECT_EQ(frame.drawables[0], &face);

    module->SetFullRedraw(1);
    bare->Invalidate();
    Frame();
    ASSERT_EQ(paint->frames.size(), 2u);
    const std::vector<IntRect> whole{{0, 0, 800, 600}};
    EXPECT_EQ(paint->frames[1].rects, whole);
    EXPECT_EQ(paint->frames[1].states.size(), 3u);
}

TEST_F(ObjectModuleTest, HidingAndShowingRedrawTheObjectsArea) {
    HalfDrawable face(20, 20);
    RecordingObject* o = Make(0, 0);
    o->drawable = &face;
    Frame();
    paint->frames.clear();

    const std::vector<IntRect> area{{390, 290, 410, 310}};
    o->Hide();
    o->Invalidate();
    Frame();
    o->Show();
    o->Invalidate();
    Frame();
    ASSERT_EQ(paint->frames.size(), 2u);
    EXPECT_EQ(paint->frames[0].rects, area);
    EXPECT_TRUE(paint->frames[0].states.empty());
    EXPECT_EQ(paint->frames[1].rects, area);
    EXPECT_EQ(paint->frames[1].states.size(), 1u);
}

TEST_F(ObjectModuleTest, TurnedShapesOverlapByTheirEdgesNotTheirBounds) {
    HalfDrawable face(4, 40);
    RecordingObject* upright = Make(100, 100, 40, 10);
    upright->drawable = &face;
    upright->SetAngle(90);  // now x 95..105, y 80..120
    upright->Invalidate();
    Frame();
    paint->frames.clear();

    module->AddDirtyRect({105, 90, 120, 110});  // touches the right edge
    Frame();
    module->AddDirtyRect({106, 90, 120, 110});
    Frame();
    ASSERT_EQ(paint->frames.size(), 2u);
    EXPECT_EQ(paint->frames[0].states.size(), 1u);
    EXPECT_EQ(paint->frames[1].states.size(), 0u);

    upright->SetSize(40, 4);
    upright->SetAngle(45);  // a thin band along x + y = 200
    upright->Invalidate();
    Frame();
    paint->frames.clear();
    module->AddDirtyRect({80, 80, 90, 90});  // inside its bounds, off the band
    Frame();
    module->AddDirtyRect({95, 95, 105, 105});
    Frame();
    ASSERT_EQ(paint->frames.size(), 2u);
    EXPECT_EQ(paint->frames[0].states.size(), 0u);
    EXPECT_EQ(paint->frames[1].states.size(), 1u);

    ObjectState far;  // corners near the ends of the int range: no overflow
    far.x = far.y = -2e9;
    far.width = 3e9;
    far.height = 1e9;
    far.angle = 30;
    EXPECT_FALSE(ShapeOverlapsRect(far, {INT_MAX - 10, INT_MAX - 10, INT_MAX, INT_MAX}));

    ObjectState line;  // rounds to the segment (-14, 14)..(14, -14)
    line.width = 40;
    line.height = 0.4;
    line.angle = 45;
    EXPECT_FALSE(ShapeOverlapsRect(line, {20, -20, 30, -10}));  // on its line, past its end
    EXPECT_TRUE(ShapeOverlapsRect(line, {14, -14, 30, -10}));
}

TEST_F(ObjectModuleTest, NoFrameWhileMinimisedOrWithoutAPainter) {
    HalfDrawable face(20, 20);
    RecordingObject* o = Make(0, 0);
    o->drawable = &face;
    Frame();
    paint->frames.clear();

    bool minimised = true;
    platform::SetMainWindow(77);
    platform::SetMinimisedQuery(
        [&minimised](platform::WindowId id) { return id == 77 && minimised; });
    o->MoveBy(3, 0);
    o->Invalidate();
    Frame();
    EXPECT_TRUE(paint->frames.empty());
    EXPECT_FALSE(module->GetDirtyRects().empty());
    minimised = false;
    Frame();
    ASSERT_EQ(paint->frames.size(), 1u);
    EXPECT_EQ(paint->frames[0].states.size(), 1u);

    ASSERT_EQ(core->UnloadModule(kPaintModuleId), kEngineOk);
    o->MoveBy(3, 0);
    o->Invalidate();
    for (int i = 0; i < 5; ++i) {
        Frame();
    }
    EXPECT_FALSE(module->GetDirtyRects().empty());
    auto* painter = new FramePaintModule;
    ASSERT_EQ(core->LoadModule(painter, 1, 0), kEngineOk);
    Frame();
    EXPECT_EQ(painter->frames.size(), 1u);
}

TEST_F(ObjectModuleTest, EventsAreSentAtOncePostedInOrderAndHeapRecordsReleased) {
    RecordingObject* a = Make();
    RecordingObject* b = Make();
    b->answer = 42;
    EXPECT_EQ(a->SendEvent(MakeEventRecord(b->GetId(), 80000001, 5, 0)), 42);
    EXPECT_EQ(log.size(), 1u);
    EXPECT_EQ(a->SendEvent(MakeEventRecord(999, 80000001, 0, 0)), 0);
    EXPECT_EQ(a->SendEvent(MakeEventRecord(b->GetId(), 0, 0, 0)), 0);

    log.clear();
    a->PostEvent(MakeEventRecord(b->GetId(), 80000002, 1, 0));
    a->PostEvent(MakeEventRecord(a->GetId(), 80000002, 2, 0));
    EXPECT_TRUE(log.empty());
    Frame();
    const std::vector<Delivery> posted{{b->GetId(), 80000002, 1, 0, false},
                                       {a->GetId(), 80000002, 2, 0, false}};
    EXPECT_EQ(log, posted);

    log.clear();
    core->PostMessage(kObjectModuleId, kMsgDeliverHeapEvent,
                      NewHeapEventRecord(MakeEventRecord(a->GetId(), 80000003, 0, 0)), 0);
    static int releases = 0;
    auto* releasing =
        static_cast<ReleasingEventRecord*>(AllocEventBlock(sizeof(ReleasingEventRecord)));
    releasing->record = MakeEventRecord(b->GetId(), 80000004, 0, 0);
    releasing->release = [](void*, ReleasingEventRecord* r, int) {
        ++releases;
        FreeEventBlock(r);
    };
    core->PostMessage(kObjectModuleId, kMsgDeliverHeapEvent, releasing, kHeapEventReleasing);
    Frame();
    EXPECT_EQ(log.size(), 2u);
    EXPECT_EQ(releases, 1);

    auto* input = new RecordingModule(kInputModuleId, "Input");
    ASSERT_EQ(core->LoadModule(input, 1, 0), kEngineOk);
    EventRecord bound = MakeEventRecord(a->GetId(), kEventClick, 0, 0);
    core->PostMessage(kObjectModuleId, kMsgDeliverInputEvent, &bound, 0);
    Frame();
    Frame();
    ASSERT_EQ(input->handled.size(), 1u);
    EXPECT_EQ(input->handled[0].id, kMsgReturnInputRecord);
    EXPECT_EQ(input->handled[0].p, &bound);
    EXPECT_EQ(log.back().event, kEventClick);
}

TEST_F(ObjectModuleTest, RegistrationPassesTheOwnersEventTargetAndFocusFindsAncestors) {
    RecordingObject* owner = Make();
    RecordingObject* target = Make();
    owner->SetEventTarget(target);
    CCorvaneObject* made = module->CreateObject(owner);
    EXPECT_EQ(made->GetEventTarget(), target);
    EXPECT_EQ(made->GetId(), 3);

    owner->AttachChild(made, 0);
    EXPECT_EQ(module->FindFocusTarget(made->GetId()), 0);
    owner->SetFocusable(1);
    EXPECT_EQ(module->FindFocusTarget(made->GetId()), owner->GetId());
    module->RegisterObject(made, nullptr);  // already registered: ignored
    EXPECT_EQ(module->GetObjectCount(), 3);
}

}  // namespace

namespace {

TEST_F(ObjectModuleTest, CreatesRegisteredPicturesAndCanvasesWithTheSharedRenderer) {
    CCorvaneCanvas* canvas = module->CreateCanvas(40, 30, 0xFF00FF, nullptr);
    ASSERT_NE(canvas, nullptr);
    EXPECT_EQ(module->FindObjectById(canvas->GetId()), canvas);
    EXPECT_EQ(canvas->GetType(), kKindCanvas);
    EXPECT_EQ(canvas->GetCanvasWidth(), 40);
    ASSERT_NE(module->GetTextRenderer(), nullptr);
    EXPECT_EQ(canvas->GetFont(), module->GetTextRenderer());

    // A picture of an image that is no longer there still registers.
    CCorvanePicture* picture = module->CreatePicture(FrameRecord{}, canvas);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(module->FindObjectById(picture->GetId()), picture);
    EXPECT_EQ(picture->GetType(), kKindPicture);
    module->DestroyObjectById(canvas->GetId());
    module->DestroyObjectById(picture->GetId());
}

}  // namespace
