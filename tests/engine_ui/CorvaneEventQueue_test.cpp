// The event queue control through real frames: one record out at a time, in
// order, with the data copies handed to the receiver, who frees them.

#include "engine/ui/CorvaneEventQueue.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/engine_ui/ToolkitTestSupport.h"

namespace {

constexpr int kFirst = 80000001;
constexpr int kSecond = 80000002;
constexpr int kThird = 80000003;

struct Received {
    int event;
    std::string data;  // "<null>" for a null pointer
    intptr_t length;
    bool operator==(const Received&) const = default;
};

class EventQueueTest : public ToolkitTest {
protected:
    void SetUp() override {
        ToolkitTest::SetUp();
        owner->onEvent = [this](const EventRecord& r) {
            if (r.event < kFirst || r.event > kThird) {
                return;
            }
            auto* data = EventParamPointer<char>(r.param1);
            received.push_back(
                {r.event, data != nullptr ? std::string(data, r.param2) : "<null>", r.param2});
            FreeEventBlock(data);  // the receiver owns the copy
        };
        queue = Register<CCorvaneEventQueue>();
    }

    CCorvaneEventQueue* queue = nullptr;
    std::vector<Received> received;
};

TEST_F(EventQueueTest, RecordsGoOutOneAtATimeInOrder) {
    char first[] = "first";
    EXPECT_EQ(queue->Push(owner->GetId(), kFirst, first, 5), 1);
    first[0] = 'X';  // the queue keeps its own copy
    EXPECT_EQ(queue->Push(owner->GetId(), kSecond, "second", 6), 1);
    EXPECT_EQ(queue->Push(owner->GetId(), kThird, "ignored", 0), 1);
    EXPECT_EQ(queue->IsBusy(), 1);
    EXPECT_EQ(queue->GetPendingCount(), 2u);
    EXPECT_TRUE(received.empty()) << "posted: it arrives on a later frame";

    Frames(3);
    EXPECT_EQ(received, (std::vector<Received>{{kFirst, "first", 5}})) << "the rest waits for Next";
    EXPECT_EQ(queue->Next(), 1);
    Frame();
    EXPECT_EQ(queue->Pop(), 1);
    Frame();
    EXPECT_EQ(received, (std::vector<Received>{
                            {kFirst, "first", 5}, {kSecond, "second", 6}, {kThird, "<null>", 0}}));
    EXPECT_EQ(queue->IsBusy(), 1);
    EXPECT_EQ(queue->Next(), 0);
    EXPECT_EQ(queue->IsBusy(), 0);

    // Idle again: the next record goes out at once.
    queue->Push(owner->GetId(), kFirst, "again", 5);
    Frame();
    EXPECT_EQ(received.back(), (Received{kFirst, "again", 5}));
}

TEST_F(EventQueueTest, HeldQueueOnlyKeepsAndRefusedRecordsAreDropped) {
    queue->SetBusy();
    queue->Push(0, kFirst, "nobody", 6);  // no target: cannot be posted
    queue->Push(owner->GetId(), kSecond, "kept", 4);
    Frames(2);
    EXPECT_TRUE(received.empty()) << "held: nothing was sent";

    EXPECT_EQ(queue->Next(), 1) << "the refused record is dropped, the next goes";
    Frame();
    EXPECT_EQ(received, (std::vector<Received>{{kSecond, "kept", 4}}));
    EXPECT_EQ(queue->Next(), 0);

    EXPECT_EQ(queue->Push(owner->GetId(), 0, "no event", 8), 0) << "never reported as sent";
    EXPECT_EQ(queue->IsBusy(), 0) << "and the queue does not wait for it";

    // Records still waiting when the queue dies are freed with it (the leak
    // checker watches).
    queue->Hold();
    queue->Push(owner->GetId(), kThird, "left behind", 11);
    visual->DestroyObject(queue, 0);
    Frame();
    EXPECT_EQ(received.size(), 1u);
}

}  // namespace
