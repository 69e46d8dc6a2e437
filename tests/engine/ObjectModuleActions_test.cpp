#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/ObjectModule.h"
#include "tests/engine/SceneTestSupport.h"

namespace {

using ActionTest = SceneTest;

constexpr int kEnd = 80000100;

TEST_F(ActionTest, CompletedEndReachesBothHandlersCancelledOnlyTheSecond) {
    RecordingObject* a = Make();
    const EventRecord end = MakeEventRecord(a->GetId(), kEnd, 7, 0);
    StartAction(a, 1, 0, end);
    Frame();
    const std::vector<Delivery> completed{{a->GetId(), kEnd, 7, 0, false},
                                          {a->GetId(), kEnd, 7, 0, true}};
    EXPECT_EQ(log, completed);
    EXPECT_EQ(elapsed, std::vector<uint32_t>{0});

    log.clear();
    int otherSteps = 0;
    const uint64_t endless = StartAction(a, 0, 0, end);
    StartAction(a, 0, 0, {}, &otherSteps);
    Frame();
    EXPECT_EQ(module->CountLiveActions(), 2);
    Post(kMsgCancelAction, endless + (uint64_t{1} << 32));  // same low 32 bits
    Frame();
    EXPECT_EQ(module->CountLiveActions(), 2);
    Post(kMsgCancelAction, endless);
    Frame();
    const std::vector<Delivery> cancelled{{a->GetId(), kEnd, 7, 0, true}};
    EXPECT_EQ(log, cancelled);
    EXPECT_EQ(module->CountLiveActions(), 1);
    EXPECT_EQ(otherSteps, 3);
}

TEST_F(ActionTest, StepsWaitForTheirInterval) {
    RecordingObject* a = Make();
    StartAction(a, 0, 30);
    Frame(11);
    Frame(18);  // 18 ms after the first step
    EXPECT_EQ(stepCount, 1);
    Frame(12);  // 30 ms
    EXPECT_EQ(stepCount, 2);
    EXPECT_EQ(elapsed, (std::vector<uint32_t>{0, 30}));
}

class WrappingClockTest : public SceneTest {
protected:
    WrappingClockTest() : SceneTest(0xFFFFFFFFull - 30) {}
};

TEST_F(WrappingClockTest, IntervalsHoldAcrossTheClocksWrap) {
    RecordingObject* a = Make();
    StartAction(a, 0, 30);
    Frame(11);  // first step just before the wrap
    Frame(11);
    Frame(11);  // the clock has wrapped: 22 ms since the step
    EXPECT_EQ(stepCount, 1);
    Frame(11);
    EXPECT_EQ(stepCount, 2);
    EXPECT_EQ(elapsed, (std::vector<uint32_t>{0, 33}));
}

TEST_F(ActionTest, SequencedGroupStartsOnTheTickAfterThePreviousEnds) {
    RecordingObject* a = Make();
    int first = 0;
    int second = 0;
    PostGroup(kMsgBeginGroup);
    StartAction(a, 2, 0, {}, &first);
    PostGroup(kMsgNextGroup);
    StartAction(a, 1, 0, MakeEventRecord(a->GetId(), kEnd, 0, 0), &second);
    Post(kMsgEndGroup);
    Frame();
    Frame();  // the first group ends here
    EXPECT_EQ(first, 2);
    EXPECT_EQ(second, 0);
    Frame();
    EXPECT_EQ(second, 1);
    EXPECT_EQ(Ends(true).size(), 1u);
    EXPECT_EQ(module->GetCurrentGroup(), nullptr);
    EXPECT_TRUE(notices->handled.empty());
}

TEST_F(ActionTest, NestedGroupHoldsItsFollowerUntilEveryChildEnds) {
    RecordingObject* a = Make();
    int inner = 0;
    int outer = 0;
    int after = 0;
    PostGroup(kMsgBeginGroup);
    PostGroup(kMsgBeginGroup);
    StartAction(a, 3, 0, {}, &inner);
    Post(kMsgEndGroup);
    StartAction(a, 1, 0, {}, &outer);
    PostGroup(kMsgNextGroup);
    StartAction(a, 1, 0, {}, &after);
    Post(kMsgEndGroup);
    Frame();
    Frame();
    Frame();  // inner ends now
    EXPECT_EQ(outer, 1);
    EXPECT_EQ(after, 0);
    Frame();
    EXPECT_EQ(after, 1);
    EXPECT_EQ(module->CountLiveActions(), 0);
}

TEST_F(ActionTest, GroupMisusePostsNoticesAndChangesNothing) {
    RecordingObject* a = Make();
    Post(kMsgEndGroup);
    PostGroup(kMsgNextGroup);
    StartAction(a, 1);
    Frame();
    Frame();
    ASSERT_EQ(notices->handled.size(), 2u);
    EXPECT_STREQ(static_cast<const char*>(notices->handled[0].p),
                 "can't EndGroup without BeginGroup!");
    EXPECT_STREQ(static_cast<const char*>(notices->handled[1].p),
                 "can't NextGroup without BeginGroup!");
    EXPECT_EQ(notices->handled[0].id, kNoticeModuleFault);
    EXPECT_EQ(stepCount, 1);  // ran at once, in no group
    EXPECT_EQ(module->GetCurrentGroup(), nullptr);
}

TEST_F(ActionTest, StaleGroupHandlesAreIgnoredEvenAfterTheirUnitIsReused) {
    RecordingObject* a = Make();
    const uint64_t finished = PostGroup(kMsgBeginGroup);
    StartAction(a, 1);
    Post(kMsgEndGroup);
    Frame();
    const uint64_t running = PostGroup(kMsgBeginGroup);
    StartAction(a, 0, 0, MakeEventRecord(a->GetId(), kEnd, 0, 0));
    Post(kMsgEndGroup);
    Frame();
    Post(kMsgCancelGroup, finished);
    Frame();
    EXPECT_EQ(module->CountLiveActions(), 1);
    Post(kMsgCancelGroup, running);
    Frame();
    Frame();
    EXPECT_EQ(module->CountLiveActions(), 0);
    EXPECT_EQ(Ends(false).size(), 0u);
    EXPECT_EQ(Ends(true).size(), 1u);
}

TEST_F(ActionTest, CancellingAParentAfterItsChildGroupEndedSparesOtherGroups) {
    RecordingObject* a = Make();
    const uint64_t parent = PostGroup(kMsgBeginGroup);
    PostGroup(kMsgBeginGroup);
    StartAction(a, 1);
    Post(kMsgEndGroup);
    StartAction(a, 0);
    Post(kMsgEndGroup);
    Frame();                    // the child group ends and is freed
    PostGroup(kMsgBeginGroup);  // likely in the freed unit
    StartAction(a, 0);
    Post(kMsgEndGroup);
    Frame();
    Post(kMsgCancelGroup, parent);
    Frame();
    EXPECT_EQ(module->CountLiveActions(), 1);
}

TEST_F(ActionTest, CurrentGroupThatEndsEarlyHandsOverToItsParent) {
    RecordingObject* a = Make();
    int endless = 0;
    int late = 0;
    const uint64_t outer = PostGroup(kMsgBeginGroup);
    StartAction(a, 0, 0, {}, &endless);
    PostGroup(kMsgBeginGroup);
    StartAction(a, 1);
    Frame();  // the inner group ends while still open
    ASSERT_NE(module->GetCurrentGroup(), nullptr);
    EXPECT_EQ(module->GetCurrentGroup()->serial, outer);
    EXPECT_EQ(module->GetCurrentGroup()->pending, 1);
    StartAction(a, 1, 0, {}, &late);
    Post(kMsgEndGroup);
    Frame();
    EXPECT_EQ(module->GetCurrentGroup(), nullptr);
    EXPECT_EQ(late, 1);
    EXPECT_TRUE(notices->handled.empty());
}

TEST_F(ActionTest, DestroyingCancelsActionsDirtiesTheAreaAndKillsOwnedChildren) {
    RecordingObject* watcher = Make();
    RecordingObject* a = Make(50, 50);
    RecordingObject* owned = Make(300, 300);
    a->AttachChild(owned, kLinkOwned);
    StartAction(a, 0, 0, MakeEventRecord(watcher->GetId(), kEnd, 0, 0));
    Frame();
    EXPECT_EQ(stepCount, 1);
    EXPECT_TRUE(module->GetDirtyRects().empty());

    module->DestroyObjectById(a->GetId());
    EXPECT_EQ(deaths, 2);
    const std::vector<IntRect> areas{{40, 40, 60, 60}, {290, 290, 310, 310}};
    EXPECT_EQ(module->GetDirtyRects(), areas);
    Frame();
    EXPECT_EQ(stepCount, 1);
    const std::vector<Delivery> ends{{watcher->GetId(), kEnd, 0, 0, true}};
    EXPECT_EQ(log, ends);
}

TEST_F(ActionTest, StaleDestroyRequestsAndActionsOfDeadObjectsAreHarmless) {
    RecordingObject* watcher = Make();
    RecordingObject* twice = Make();
    core->PostMessage(kObjectModuleId, kMsgDestroyObject, twice, 0);
    core->PostMessage(kObjectModuleId, kMsgDestroyObject, twice, 0);
    Frame();
    EXPECT_EQ(deaths, 1);

    RecordingObject* doomed = Make();
    PostGroup(kMsgBeginGroup);
    StartAction(doomed, 1, 0, MakeEventRecord(watcher->GetId(), kEnd, 0, 0));
    Post(kMsgEndGroup);
    module->DestroyObjectById(doomed->GetId());
    Frame();
    EXPECT_EQ(stepCount, 0);
    const std::vector<Delivery> ends{{watcher->GetId(), kEnd, 0, 0, true}};
    EXPECT_EQ(log, ends);
    EXPECT_EQ(module->GetCurrentGroup(), nullptr);
}

TEST_F(ActionTest, UninitWithLiveObjectsActionsOpenGroupsAndQueuedRecordsIsClean) {
    RecordingObject* parent = Make();
    RecordingObject* child = Make();
    parent->AttachChild(child, kLinkDecoration);
    PostGroup(kMsgBeginGroup);
    StartAction(parent, 0);
    PostGroup(kMsgNextGroup);
    StartAction(child, 0);
    Frame();
    core->PostMessage(kObjectModuleId, kMsgDeliverHeapEvent,
                      NewHeapEventRecord(MakeEventRecord(child->GetId(), kEnd, 0, 0)), 0);
    Frame(0);  // taken into the module's queue, not yet handled
    ASSERT_EQ(module->QueuedMessageCount(), 1u);
    ASSERT_EQ(core->UnloadModule(kObjectModuleId), kEngineOk);
    EXPECT_EQ(deaths, 2);
    EXPECT_TRUE(log.empty());
}

}  // namespace
