#include "engine/ModuleBase.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/ModuleMessageQueue.h"
#include "tests/engine/EngineTestSupport.h"

namespace {

TEST(ModuleBaseTest, TicksOnlyWhenStrictlyMoreThanTheIntervalPassed) {
    RecordingModule module(kMusicModuleId);
    EXPECT_EQ(module.Update(5000), 0);  // disabled
    module.Enable();
    module.SetInterval(100);
    module.Update(1000);  // the first enabled update always ticks
    module.Update(1100);
    EXPECT_EQ(module.ticks, 1);
    module.Update(1101);
    EXPECT_EQ(module.ticks, 2);

    // Across the 32-bit wrap of the engine time.
    module.Update(0xFFFFFFF0u);
    module.Update(0x54u);  // 100 ms later
    EXPECT_EQ(module.ticks, 3);
    module.Update(0x55u);
    EXPECT_EQ(module.ticks, 4);
}

TEST(ModuleBaseTest, DisabledModuleCollectsPostsAndStillAnswersSends) {
    ManualTime time;
    GameCore core(time.MakeClock());
    auto* module = new RecordingModule(kObjectModuleId);
    ASSERT_EQ(core.LoadModule(module, 0, 0), kEngineOk);
    core.PostMessage(kObjectModuleId, 1, nullptr, 0);
    core.PostMessage(kPaintModuleId, 2, nullptr, 0);
    core.PostMessage(kObjectModuleId, 3, nullptr, 0);

    time.AdvanceMs(20);
    core.RunFrame();
    EXPECT_EQ(module->ticks, 0);
    EXPECT_EQ(module->QueuedMessageCount(), 2u);
    EXPECT_EQ(core.PostedCount(), 1u);
    EXPECT_EQ(core.SendMessage(kObjectModuleId, 9, nullptr, 0), 1);

    module->Enable();
    time.AdvanceMs(20);
    core.RunFrame();
    EXPECT_EQ(module->HandledIds(), (std::vector<int>{9, 1, 3}));
}

TEST(ModuleMessageQueueTest, KeepsFifoOrderAcrossWrapAndGrowth) {
    ModuleMessageQueue queue;
    ModuleMessage out;
    int pushed = 0;
    int popped = 0;
    auto push = [&](int count) {
        for (int i = 0; i < count; ++i) {
            queue.Push({kObjectModuleId, pushed++, nullptr, 0});
        }
    };
    push(10);
    for (; popped < 8; ++popped) {
        ASSERT_TRUE(queue.Pop(out));
        EXPECT_EQ(out.id, popped);
    }
    push(13);  // wraps the ring; 15 waiting
    EXPECT_EQ(queue.Capacity(), 16u);
    push(1);  // one short of full: the storage doubles first
    EXPECT_EQ(queue.Capacity(), 32u);
    push(40);
    while (queue.Pop(out)) {
        EXPECT_EQ(out.id, popped++);
    }
    EXPECT_EQ(popped, pushed);
}

}  // namespace
