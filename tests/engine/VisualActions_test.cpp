#include "engine/VisualActions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "tests/engine/VisualTestSupport.h"

namespace {

constexpr int kEnd = 80000001;

class VisualActionTest : public VisualTest {
protected:
    EventRecord EndTo(const CCorvaneObject* object, int event = kEnd) {
        return MakeEventRecord(const_cast<CCorvaneObject*>(object)->GetId(), event, 0, 0);
    }
    // {OnEvent, OnEvent2} of a completed action's end event.
    std::vector<Delivery> Completed(CCorvaneObject* object, int event = kEnd) {
        return {{object->GetId(), event, 0, 0, false}, {object->GetId(), event, 0, 0, true}};
    }
};

}  // namespace

TEST_F(VisualActionTest, AlphaEndsOnTheStepThatFindsTheTargetAndRefusesWrongDirections) {
    RecordingObject* object = Make();
    object->SetAlpha(0.0);
    const EventRecord end = EndTo(object);
    ASSERT_NE(visual->AlphaAction(object, 0.1, 1.0, 0, &end), 0u);
    Frame();
    EXPECT_DOUBLE_EQ(object->GetAlpha(), 0.1);
    Frames(10);  // ten sums of 0.1 stay just below 1.0; the eleventh is clamped
    EXPECT_EQ(object->GetAlpha(), 1.0);
    EXPECT_TRUE(Of(kEnd).empty());
    Frame();
    EXPECT_EQ(Of(kEnd), Completed(object));

    RecordingObject* half = Make();
    half->SetAlpha(0.5);
    EXPECT_EQ(visual->AlphaAction(half, 0.1, 0.2, 0, nullptr), 0u);
    EXPECT_EQ(visual->AlphaAction(half, -0.1, 0.8, 0, nullptr), 0u);
    EXPECT_EQ(visual->AlphaAction(half, 0.0, 1.0, 0, nullptr), 0u);
    // A target past 1.0 is held to 1.0, so the action still ends.
    visual->AlphaAction(half, 0.5, 1.5, 0, &end);
    Frames(3);
    EXPECT_EQ(Of(kEnd).size(), 4u);
}

TEST_F(VisualActionTest, FadeSwingsBetweenItsBoundsAndEndsOnTheCountthUpperBound) {
    RecordingObject* blink = Make();
    blink->SetAlpha(0.0);
    const EventRecord end = EndTo(blink);
    ASSERT_NE(visual->FadeAction(blink, 0.4, 2, 0, 1.0, 0.0, &end), 0u);
    RecordingObject* endless = Make();
    ASSERT_NE(visual->FadeAction(endless, 0.5, -1, 0, 1.0, 0.0, nullptr), 0u);
    RecordingObject* once = Make();
    once->SetAlpha(0.5);
    ASSERT_NE(visual->FadeAction(once, 0.1, 0, 0, 1.0, 0.0, nullptr), 0u);

    std::vector<double> alphas;
    for (int i = 0; i < 9; ++i) {
        Frame();
        alphas.push_back(blink->GetAlpha());
    }
    const std::vector<double> expected = {0.4, 0.8, 1.0, 0.6, 0.2, 0.0, 0.4, 0.8, 1.0};
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(alphas[i], expected[i], 1e-9) << "step " << i;
    }
    EXPECT_EQ(Of(kEnd), Completed(blink));
    EXPECT_DOUBLE_EQ(once->GetAlpha(), 0.6);  // one step only
    Frames(20);
    EXPECT_EQ(objects->CountLiveActions(), 1);  // the endless one
}

TEST_F(VisualActionTest, IntervalsBelowTheMinimumRiseTo30ExceptForFreeRunningAnimations) {
    RecordingObject* object = Make();
    object->SetAlpha(0.0);
    visual->FadeAction(object, 0.1, -1, 10, 1.0, 0.0, nullptr);
    CCorvanePicture* picture = MakeAnimation("strip", 3);
    visual->FrameAnimationAction(picture, 4, 100, 0, 10, nullptr);
    std::vector<int> frames;
    std::vector<double> alphas;
    for (int i = 0; i < 4; ++i) {
        Frame(11);
        frames.push_back(picture->GetFrame());
        alphas.push_back(object->GetAlpha());
    }
    EXPECT_EQ(frames, (std::vector<int>{1, 2, 0, 1}));  // a step every 11 ms
    EXPECT_NEAR(alphas[2], 0.1, 1e-9);                  // the fade waits 30 ms
    EXPECT_NEAR(alphas[3], 0.2, 1e-9);
    EXPECT_EQ(visual->GetMinActionInterval(), 30u);
}

TEST_F(VisualActionTest, MovesGoByWholeSpeedsAlongTheLineAndLandOnTheTarget) {
    RecordingObject* along = Make(100, 100);
    const EventRecord end = EndTo(along);
    visual->MoveAction(along, 110, 100, 2.7, 0.0, 0.0, &end);
    RecordingObject* diagonal = Make(0, 0);
    visual->MoveAction(diagonal, 30, 40, 5.0, 0.0, 0.0, nullptr);
    RecordingObject* accelerated = Make(0, 0);
    visual->MoveAction(accelerated, 0, 100, 1.0, 1.0, 3.0, nullptr);
    RecordingObject* unlimited = Make(0, 0);
    visual->MoveAction(unlimited, 0, 1000, 0.0, 100.0, 0.0, nullptr);

    std::vector<double> xs;
    std::vector<double> ys;
    std::vector<double> fast;
    for (int i = 0; i < 3; ++i) {
        Frame();
        xs.push_back(along->GetX());
        ys.push_back(accelerated->GetY());
        fast.push_back(unlimited->GetY());
    }
    EXPECT_EQ(xs, (std::vector<double>{102, 104, 106}));
    EXPECT_EQ(ys, (std::vector<double>{2, 5, 8}));          // speed 2, then held at 3
    EXPECT_EQ(fast, (std::vector<double>{100, 300, 600}));  // speed 100, 200, 300
    EXPECT_DOUBLE_EQ(diagonal->GetX(), 9.0);
    EXPECT_DOUBLE_EQ(diagonal->GetY(), 12.0);
    Frames(2);
    EXPECT_EQ(along->GetX(), 110.0);
    EXPECT_EQ(Of(kEnd), Completed(along));
}

TEST_F(VisualActionTest, RotateStopsOnItsTargetAndShowHideActsOnTheFirstStep) {
    RecordingObject* turning = Make();
    visual->RotateAction(turning, 10.0, 35.0, 0, nullptr);
    RecordingObject* hidden = Make();
    const EventRecord end = EndTo(hidden);
    visual->ShowHideAction(hidden, 0, &end);
    EXPECT_EQ(visual->ShowHideAction(nullptr, 1, nullptr), 0u);

    Frame();
    EXPECT_EQ(hidden->IsVisible(), 0);
    EXPECT_EQ(Of(kEnd), Completed(hidden));
    EXPECT_EQ(turning->GetAngle(), 10.0);
    Frames(2);
    EXPECT_EQ(turning->GetAngle(), 35.0);
    EXPECT_EQ(objects->CountLiveActions(), 0);
}

TEST_F(VisualActionTest, BlinkShowsAWaitingPictureOnceTheGroupBeforeItHasEnded) {
    RecordingObject* notice = Make();
    RecordingObject* waiting = Make();
    waiting->Hide();
    visual->BeginGroup();
    visual->AlphaAction(notice, -0.5, 0.0, 0, nullptr);
    visual->NextGroup();
    ASSERT_NE(visual->BlinkAction(waiting, 1, 0), 0u);
    visual->EndGroup();
    Frames(2);
    EXPECT_EQ(notice->GetAlpha(), 0.0);
    EXPECT_EQ(waiting->IsVisible(), 0);
    Frames(2);
    EXPECT_NE(waiting->IsVisible(), 0);

    const EventRecord end = EndTo(waiting);
    ASSERT_NE(visual->BlinkAction(waiting, 0, &end), 0u);
    Frame();
    EXPECT_EQ(waiting->IsVisible(), 0);
    EXPECT_EQ(Of(kEnd), Completed(waiting));
    EXPECT_EQ(visual->BlinkAction(nullptr, 1, 0), 0u);
}

TEST_F(VisualActionTest, DelaysAndTimersDeliverTheirEndEventOnceWhenTheTimeIsUp) {
    RecordingObject* target = Make();
    const EventRecord late = EndTo(target, kEnd);
    const EventRecord timer = EndTo(target, kEnd + 1);
    visual->PostEventAfter(1000, late);
    visual->TimerAction(500, &timer);

    Frame(20);   // both start
    Frames(16);  // 500 ms since the call
    EXPECT_TRUE(Of(kEnd + 1).empty());
    Frame(11);
    EXPECT_EQ(Of(kEnd + 1), Completed(target, kEnd + 1));
    Frame(489);  // 980 ms after the delay's first step
    EXPECT_TRUE(Of(kEnd).empty());
    Frame(20);
    EXPECT_EQ(Of(kEnd), Completed(target));
    Frames(50);
    EXPECT_EQ(log.size(), 4u);
}

TEST_F(VisualActionTest, DelayedEventsArriveEachPeriodAndCatchUpAfterALateFrame) {
    RecordingObject* target = Make();
    const EventRecord record = MakeEventRecord(target->GetId(), kEnd, 5, 0);
    ASSERT_NE(visual->DelayedEventAction(1000, 3, &record), 0u);
    std::vector<size_t> counts;
    for (int i = 0; i < 8; ++i) {
        Frame(500);
        counts.push_back(Of(kEnd).size());
    }
    EXPECT_EQ(counts, (std::vector<size_t>{0, 0, 1, 1, 2, 2, 3, 3}));
    EXPECT_EQ(Of(kEnd)[0], (Delivery{target->GetId(), kEnd, 5, 0, false}));
    EXPECT_EQ(objects->CountLiveActions(), 0);

    // Count 0 never stops; a frame 3.5 periods late delivers three at once.
    log.clear();
    visual->DelayedEventAction(100, 0, &record);
    Frame();
    Frame(350);
    EXPECT_EQ(Of(kEnd).size(), 3u);
    Frames(10, 100);
    EXPECT_EQ(Of(kEnd).size(), 13u);

    EXPECT_EQ(visual->DelayedEventAction(1000, 3, nullptr), 0u);
    EXPECT_EQ(visual->DelayedEventAction(0, 3, &record), 0u);
    const EventRecord nobody = MakeEventRecord(9999, kEnd, 0, 0);
    EXPECT_EQ(visual->DelayedEventAction(1000, 3, &nobody), 0u);
}

namespace {
// Destroys itself on its second event and touches nothing of itself after.
class SelfDestroying : public CCorvaneObject {
public:
    SelfDestroying(CCorvaneVisual* visual, int* calls, int* deaths)
        : visual_(visual), calls_(calls), deaths_(deaths) {}
    ~SelfDestroying() override { ++*deaths_; }
    int OnEvent(const EventRecord&) override {
        CCorvaneVisual* visual = visual_;
        if (++*calls_ == 2) {
            visual->DestroyObject(this, 0);
        }
        return 1;
    }

private:
    CCorvaneVisual* visual_;
    int* calls_;
    int* deaths_;
};
}  // namespace

TEST_F(VisualActionTest, ATargetThatDestroysItselfInALateDeliveryIsNotCalledAgain) {
    int calls = 0;
    auto* target = new SelfDestroying(visual, &calls, &deaths);
    objects->RegisterObject(target, nullptr);
    const EventRecord record = MakeEventRecord(target->GetId(), kEnd, 0, 0);
    visual->DelayedEventAction(100, 0, &record);
    Frame();
    Frame(1000);  // ten periods due; the second delivery destroys it
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(deaths, 1);
    Frames(3);
    EXPECT_EQ(objects->CountLiveActions(), 0);
}

TEST_F(VisualActionTest, FrameAnimationsFollowTheirModes) {
    // Mode 0, one loop of three 100 ms frames: ends on the frame before the
    // start.
    RecordingObject* watcher = Make();
    CCorvanePicture* loop = MakeAnimation("loop", 3);
    const EventRecord end = EndTo(watcher);
    ASSERT_NE(visual->FrameAnimationAction(loop, 0, 1, 0, 0, &end), 0u);
    // Mode 3 shows one frame once; mode 1 runs n frames' worth of delays.
    CCorvanePicture* single = MakeAnimation("single", 3);
    visual->FrameAnimationAction(single, 3, 2, 0, 0, nullptr);
    CCorvanePicture* partial = MakeAnimation("partial", 3);
    partial->SetFrame(1);
    const EventRecord partialEnd = EndTo(watcher, kEnd + 1);
    visual->FrameAnimationAction(partial, 1, 4, 1, 0, &partialEnd);  // 400 ms
    CCorvanePicture* endless = MakeAnimation("endless", 3);
    visual->FrameAnimationAction(endless, 0, -1, 0, 0, nullptr);
    EXPECT_EQ(visual->FrameAnimationAction(Make(), 0, 1, 0, 0, nullptr), 0u);

    Frame();
    EXPECT_EQ(single->GetFrame(), 2);
    std::vector<int> frames;
    for (int i = 0; i < 10; ++i) {
        Frame(40);
        frames.push_back(loop->GetFrame());
    }
    EXPECT_EQ(frames, (std::vector<int>{0, 0, 1, 1, 2, 2, 2, 2, 2, 2}));  // 40 .. 400 ms
    EXPECT_EQ(Of(kEnd), Completed(watcher));
    EXPECT_EQ(Of(kEnd + 1), Completed(watcher, kEnd + 1));
    EXPECT_EQ(objects->CountLiveActions(), 1);

    // A picture whose image went out of the cache ends its animation.
    visual->RemoveImage("endless", 0);
    Frame();
    EXPECT_EQ(objects->CountLiveActions(), 0);
}

TEST_F(VisualActionTest, ResizeStepsTowardTheTargetAndTakesBackForeignSizes) {
    RecordingObject* object = Make(100, 100, 100, 100);
    const EventRecord end = EndTo(object);
    visual->ResizeAction(object, 100, 100, 150, 100, 20, 20, &end);
    std::vector<double> widths;
    for (int i = 0; i < 3; ++i) {
        Frame();
        widths.push_back(object->GetWidth());
    }
    EXPECT_EQ(widths, (std::vector<double>{120, 140, 150}));
    EXPECT_EQ(Of(kEnd), Completed(object));

    RecordingObject* shrinking = Make(100, 100, 60, 60);
    visual->ResizeAction(shrinking, 50, 50, 10, 50, 15, 0, nullptr);
    Frame();  // not at the start size: only brought to it
    EXPECT_EQ(shrinking->GetWidth(), 50.0);
    Frame();
    EXPECT_EQ(shrinking->GetWidth(), 35.0);
    shrinking->Resize(80, 80);
    Frame();
    EXPECT_EQ(shrinking->GetWidth(), 35.0);
    Frames(3);
    EXPECT_EQ(shrinking->GetWidth(), 10.0);
    EXPECT_EQ(objects->CountLiveActions(), 0);
}

TEST_F(VisualActionTest, FlipNarrowsTheCardAndShowsItsBackPastNinetyDegrees) {
    CCorvanePicture* card = MakeAnimation("front", 1);
    card->Resize(100.0, 50.0);
    MakeAnimation("back", 1);
    const FrameRecord backFace = visual->GetResourceFrame("back", 0);
    ASSERT_NE(backFace.record, nullptr);
    const ImageRecord* front = card->GetFrameInfo().record;
    RecordingObject* watcher = Make();
    const EventRecord end = EndTo(watcher);
    ASSERT_NE(visual->FlipAction(card, 10, 180, backFace, 0, &end), 0u);
    EXPECT_EQ(visual->FlipAction(Make(), 10, 180, backFace, 0, nullptr), 0u);

    std::vector<const ImageRecord*> shown;
    for (int step = 1; step <= 18; ++step) {
        Frame();
        const double degrees = (step - 1) * 10.0;
        EXPECT_NEAR(card->GetWidth(), std::abs(std::cos(degrees * 0.0174532924)) * 100.0, 1e-9)
            << "step " << step;
        shown.push_back(card->GetFrameInfo().record);
    }
    EXPECT_EQ(shown[9], front);  // 90 degrees
    EXPECT_EQ(shown[10], backFace.record);
    EXPECT_EQ(shown[17], backFace.record);
    EXPECT_EQ(Of(kEnd), Completed(watcher));
    EXPECT_EQ(card->GetHeight(), 50.0);
}

TEST_F(VisualActionTest, SoundsAndCallbacksRunOnceOnTheNextTick) {
    const EventRecord done = MakeEventRecord(visual->GetId(), kEnd, 0, 0);
    EXPECT_NE(visual->DelayedSoundAction(std::string(31, 'a').c_str(), 1, nullptr), 0u);
    EXPECT_EQ(visual->DelayedSoundAction(std::string(32, 'a').c_str(), 1, nullptr), 0u);
    EXPECT_EQ(visual->DelayedSoundAction(std::string(40, 'a').c_str(), 1, nullptr), 0u);
    visual->DelayedSoundAction("ding", 3, &done);

    static std::string seen;
    char data[16] = "hello";
    const ActionCallback capture = [](void* copy) { seen += static_cast<char*>(copy); };
    ASSERT_NE(visual->CallbackAction(capture, data, sizeof data), 0u);
    std::strcpy(data, "changed");  // the action holds its own copy
    const std::vector<char> big(200, 'x');
    EXPECT_EQ(visual->CallbackAction(capture, big.data(), big.size()), 0u);
    EXPECT_EQ(visual->CallbackAction(nullptr, data, 4), 0u);

    EXPECT_TRUE(music->played.empty());
    Frames(3);
    EXPECT_EQ(seen, "hello");
    ASSERT_EQ(music->played.size(), 2u);
    EXPECT_EQ(music->played[1].name, "ding");
    EXPECT_EQ(music->played[1].plays, 3);
    EXPECT_EQ(music->played[1].notification.event, kEnd);
}

// ---- Groups and stopping ----

TEST_F(VisualActionTest, AFadeOutThenDestroyDestroysOnlyAfterTheFade) {
    RecordingObject* object = Make();
    visual->BeginGroup();
    visual->AlphaAction(object, -0.5, 0.0, 0, nullptr);
    visual->NextGroup();
    visual->DelayedDestroyAction(object, nullptr);
    visual->EndGroup();
    Frames(3);  // 0.5, 0.0, then the step that finds 0.0
    EXPECT_EQ(deaths, 0);
    EXPECT_EQ(object->GetAlpha(), 0.0);
    Frame();  // the destroy step posts the destroy message
    EXPECT_EQ(deaths, 0);
    Frame();
    EXPECT_EQ(deaths, 1);
    EXPECT_EQ(objects->GetCurrentGroup(), nullptr);
}

TEST_F(VisualActionTest, ANestedGroupHoldsItsSequenceUntilItsOwnActionsEnd) {
    RecordingObject* object = Make();
    visual->BeginGroup();
    visual->DelayAction(100, nullptr);
    visual->BeginGroup();
    visual->DelayAction(300, nullptr);
    visual->EndGroup();
    visual->NextGroup();
    visual->ShowHideAction(object, 0, nullptr);
    visual->EndGroup();
    Frame();
    Frames(4, 50);  // 200 ms: the outer delay is over, the nested one not
    EXPECT_EQ(object->IsVisible(), 1);
    Frames(2, 50);
    Frame();
    EXPECT_EQ(object->IsVisible(), 0);
}

TEST_F(VisualActionTest, StoppedActionsEndOnTheNextTickWithOnlyTheirSecondEndEvent) {
    RecordingObject* a = Make();
    RecordingObject* b = Make();
    const EventRecord endA = EndTo(a);
    const EventRecord endB = EndTo(b);
    const uint64_t group = visual->BeginGroup();
    visual->MoveAction(a, 700, 100, 1.0, 0.0, 0.0, &endA);
    visual->NextGroup();
    visual->ShowHideAction(a, 0, nullptr);
    visual->EndGroup();
    visual->FadeAction(b, 0.1, -1, 0, 1.0, 0.0, &endB);
    const uint64_t spin = visual->RotateAction(b, 1.0, 360.0, 0, &endB);
    Frame();

    visual->StopGroupActions(group);
    visual->StopAction(spin);
    Frame();
    EXPECT_EQ(Of(kEnd), (std::vector<Delivery>{{a->GetId(), kEnd, 0, 0, true},
                                               {b->GetId(), kEnd, 0, 0, true}}));
    visual->StopObjectActions(b->GetId());
    Frames(3);
    EXPECT_EQ(Of(kEnd).size(), 3u);
    EXPECT_EQ(a->IsVisible(), 1);  // the group after the stopped one never ran
    EXPECT_EQ(objects->CountLiveActions(), 0);

    // Stale handles stop nothing.
    visual->FadeAction(b, 0.1, -1, 0, 1.0, 0.0, nullptr);
    visual->StopGroupActions(group);
    visual->StopAction(spin);
    Frame();
    EXPECT_EQ(objects->CountLiveActions(), 1);
}

TEST_F(VisualActionTest, ATargetDestroyedWhileItsGroupRunsLetsTheSequenceGoOn) {
    RecordingObject* mover = Make();
    RecordingObject* watcher = Make();
    const EventRecord moved = EndTo(mover);
    visual->BeginGroup();
    visual->MoveAction(mover, 700, 100, 1.0, 0.0, 0.0, &moved);
    visual->DelayAction(100, nullptr);
    visual->NextGroup();
    visual->ShowHideAction(watcher, 0, nullptr);
    visual->EndGroup();
    Frame();
    visual->DestroyObject(mover, 0);
    EXPECT_EQ(deaths, 1);
    Frames(5);
    EXPECT_EQ(watcher->IsVisible(), 0);
    EXPECT_TRUE(Of(kEnd).empty());  // the mover died before its end

    // Started and destroyed in the same frame: ended at once, never stepped.
    RecordingObject* brief = Make();
    brief->SetAlpha(0.0);
    visual->AlphaAction(brief, 0.1, 1.0, 0, nullptr);
    visual->DestroyObject(brief, 0);
    Frames(2);
    EXPECT_EQ(objects->CountLiveActions(), 0);
}
