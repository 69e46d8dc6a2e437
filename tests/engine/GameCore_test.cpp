#include "engine/GameCore.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/FailureNoticeModule.h"
#include "platform/Dialogs.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/engine/TempProgramFolder.h"

namespace {

class GameCoreTest : public ::testing::Test {
protected:
    GameCoreTest() {
        // Records boxes like the folder's own sink, and lets a test act
        // from inside the box's loop.
        platform::SetMessageBoxSink([this](const platform::MessageBoxRequest& box) {
            folder.boxes.push_back(box);
            if (onBox) {
                onBox();
            }
            return platform::kAnswerOk;
        });
    }

    bool LogHasLine(const std::string& text) const {
        return folder.Read("Game20260304.log").find("      " + text + "\r\n") != std::string::npos;
    }

    RecordingModule* Load(int id, const char* name = "Recording", int catchExceptions = 0) {
        auto* module = new RecordingModule(id, name);
        module->destroyed = &destroyed;
        EXPECT_EQ(core.LoadModule(module, 1, catchExceptions), kEngineOk);
        return module;
    }

    // Moves the clock past the default 10 ms interval and runs a frame.
    void Frame() {
        time.AdvanceMs(11);
        core.RunFrame();
    }

    TempProgramFolder folder{{2026, 3, 4, 10, 20, 30}};
    std::function<void()> onBox;
    int destroyed = 0;
    ManualTime time;
    GameCore core{time.MakeClock()};
};

TEST_F(GameCoreTest, LoadRejectsDuplicatesAndFailedInitWithoutLeaks) {
    RecordingModule* first = Load(kResourceModuleId);
    auto* second = new RecordingModule(kResourceModuleId);
    second->destroyed = &destroyed;
    EXPECT_EQ(core.LoadModule(second, 1, 0), kEngineDuplicateModule);
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(core.FindModule(kResourceModuleId), first);
    EXPECT_TRUE(LogHasLine("GameCore::LoadModule---->CORVANE_RETURN_MODULE_CRASH"));

    // The very object already loaded is neither deleted nor listed twice.
    EXPECT_EQ(core.LoadModule(first, 1, 0), kEngineDuplicateModule);
    core.SendMessage(kCoreTarget, kCoreLoadModule, first, 0);
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(core.ModuleCount(), 1u);

    auto* failing = new RecordingModule(kPaintModuleId, "Painter");
    failing->destroyed = &destroyed;
    failing->initResult = 0;
    EXPECT_EQ(core.LoadModule(failing, 1, 1), kEngineInitFailed);
    EXPECT_EQ(destroyed, 2);
    EXPECT_EQ(core.FindModule(kPaintModuleId), nullptr);
    EXPECT_TRUE(LogHasLine("GameCore::LoadModule---->CORVANE_RETURN_MODULE_INITIAL_FAILD"));
    EXPECT_TRUE(LogHasLine("ErrorModulePainter"));

    EXPECT_EQ(core.UnloadModule(kResourceModuleId), kEngineOk);
    EXPECT_EQ(destroyed, 3);
    EXPECT_EQ(core.UnloadModule(kResourceModuleId), kEngineNoSuchModule);
}

TEST_F(GameCoreTest, LoadFlagsAndEnableMessages) {
    auto* module = new RecordingModule(kMusicModuleId);
    module->SkipInit();
    module->initResult = 0;  // would fail if it ran
    EXPECT_EQ(core.LoadModule(module, 0, 1), kEngineOk);
    EXPECT_TRUE(module->CatchesExceptions());
    Frame();
    EXPECT_EQ(module->ticks, 0);

    int id = kMusicModuleId;
    EXPECT_EQ(core.SendMessage(kCoreTarget, kCoreEnableModule, &id, 0), 1);
    Frame();
    EXPECT_EQ(module->ticks, 1);
    EXPECT_EQ(core.SendMessage(kCoreTarget, kCoreDisableModule, &id, 0), 1);
    Frame();
    EXPECT_EQ(module->ticks, 1);
}

TEST_F(GameCoreTest, SendMessageResults) {
    RecordingModule* module = Load(kResourceModuleId);
    EXPECT_EQ(core.SendMessage(kCoreTarget, 4242, nullptr, 0), 1);
    EXPECT_EQ(core.SendMessage(kCoreTarget, kCoreUnloadModule, nullptr, 0), 1);
    EXPECT_EQ(core.SendMessage(kInputModuleId, 1, nullptr, 0), 0);
    EXPECT_EQ(core.SendMessage(kResourceModuleId, 7, nullptr, 3), 1);
    module->answer = 1;
    EXPECT_EQ(core.SendMessage(kResourceModuleId, 8, nullptr, 0), 0);
    EXPECT_EQ(module->HandledIds(), (std::vector<int>{7, 8}));
}

TEST_F(GameCoreTest, PostsReachLaterModulesThisFrameEarlierOnesNextAndCoreLast) {
    RecordingModule* early = Load(kResourceModuleId);
    RecordingModule* middle = Load(kObjectModuleId);
    RecordingModule* late = Load(kPaintModuleId);
    int lateId = kPaintModuleId;
    middle->onTick = [&](RecordingModule& self) {
        if (self.ticks == 1) {
            self.PostMessage(kResourceModuleId, 1, nullptr, 0);
            self.PostMessage(kPaintModuleId, 2, nullptr, 0);
            self.PostMessage(kPaintModuleId, 3, nullptr, 0);
            self.PostMessage(kCoreTarget, kCoreDisableModule, &lateId, 0);
            self.PostMessage(kInputModuleId, 4, nullptr, 0);  // nobody has this id yet
        }
    };

    Frame();
    EXPECT_TRUE(early->handled.empty());
    EXPECT_EQ(late->HandledIds(), (std::vector<int>{2, 3}));
    EXPECT_EQ(late->ticks, 1);  // disabled only after the walk
    EXPECT_FALSE(late->IsEnabled());

    RecordingModule* input = Load(kInputModuleId);
    Frame();
    EXPECT_EQ(early->HandledIds(), (std::vector<int>{1}));
    EXPECT_EQ(input->HandledIds(), (std::vector<int>{4}));
    EXPECT_EQ(late->ticks, 1);
    EXPECT_EQ(core.PostedCount(), 0u);
}

TEST_F(GameCoreTest, ModulesUnloadedDuringAFrameAreTornDownAfterIt) {
    RecordingModule* quitter = Load(kResourceModuleId);
    RecordingModule* victim = Load(kObjectModuleId);
    RecordingModule* bystander = Load(kPaintModuleId);
    bool stillListedAfterSend = false;
    bool victimTicked = false;
    quitter->onTick = [&](RecordingModule& self) {
        int id = self.GetModuleID();  // lives only during this call
        EXPECT_EQ(self.SendMessage(kCoreTarget, kCoreUnloadModule, &id, 0), 1);
        stillListedAfterSend = core.FindModule(id) == &self;
        core.UnloadModule(kObjectModuleId);
    };
    victim->onTick = [&](RecordingModule&) { victimTicked = true; };

    Frame();
    EXPECT_TRUE(stillListedAfterSend);
    EXPECT_FALSE(victimTicked);
    EXPECT_EQ(bystander->ticks, 1);
    EXPECT_EQ(destroyed, 2);
    EXPECT_EQ(core.ModuleCount(), 1u);
}

TEST_F(GameCoreTest, QueueKeepsItsLimitAndDropsOneMore) {
    RecordingModule* notices = Load(kFailureNoticeModuleId);
    RecordingModule* full = Load(kObjectModuleId);
    RecordingModule* over = Load(kPaintModuleId);
    notices->Disable();
    full->Disable();
    over->Disable();
    for (int i = 0; i < 8193; ++i) {
        if (i < 8192) {
            core.PostMessage(kObjectModuleId, i, nullptr, 0);
        }
        core.PostMessage(kPaintModuleId, i, nullptr, 0);
    }

    Frame();  // moved into the queues
    Frame();  // checked
    EXPECT_EQ(full->QueuedMessageCount(), 8192u);
    EXPECT_EQ(over->QueuedMessageCount(), 0u);
    ASSERT_EQ(notices->handled.size(), 1u);
    EXPECT_EQ(notices->handled[0].id, kNoticeQueueOverflow);
    EXPECT_EQ(MessageParamToInt(notices->handled[0].p), kPaintModuleId);
}

TEST_F(GameCoreTest, ThrowingGuardedModuleIsDisabledAndReported) {
    core.LoadModule(new FailureNoticeModule, 1, 0);
    RecordingModule* painter = Load(kPaintModuleId, "Painter", 1);
    RecordingModule* after = Load(kInputModuleId);
    painter->onTick = [](RecordingModule&) { throw std::runtime_error("broken"); };
    int ticksOfAfterDuringBox = -1;
    onBox = [&] {
        core.RunFrame();  // a nested loop's timer tick must not start a frame
        ticksOfAfterDuringBox = after->ticks;
    };

    Frame();
    Frame();
    EXPECT_FALSE(painter->IsEnabled());
    EXPECT_EQ(core.FindModule(kPaintModuleId), painter);
    ASSERT_EQ(folder.boxes.size(), 1u);
    const std::string text = "模块:<Painter>因故障关闭!";  // GBK at run time
    EXPECT_EQ(folder.boxes[0].text, text);
    EXPECT_EQ(folder.boxes[0].caption, "");
    EXPECT_EQ(folder.boxes[0].style, platform::kBoxOk);
    EXPECT_EQ(ticksOfAfterDuringBox, 0);
    EXPECT_EQ(after->ticks, 2);
    EXPECT_TRUE(LogHasLine(text));
}

TEST_F(GameCoreTest, UnguardedThrowLeavesTheCoreUsable) {
    RecordingModule* module = Load(kObjectModuleId);
    module->onTick = [](RecordingModule& self) {
        if (self.ticks == 1) {
            throw std::runtime_error("broken");
        }
    };
    time.AdvanceMs(11);
    EXPECT_THROW(core.RunFrame(), std::runtime_error);
    Frame();
    EXPECT_EQ(module->ticks, 2);
}

TEST_F(GameCoreTest, FailureNoticeModuleAnswersZeroAndConsumesPosts) {
    core.LoadModule(new FailureNoticeModule, 1, 0);
    static const char kGroupError[] = "group error";
    for (int frame = 0; frame < 3; ++frame) {
        // A text, a plain number and nothing: none of them may be read.
        core.PostMessage(kFailureNoticeModuleId, kNoticeModuleFault, const_cast<char*>(kGroupError),
                         0);
        core.PostMessage(kFailureNoticeModuleId, kNoticeQueueOverflow,
                         IntToMessageParam(kObjectModuleId), 0);
        core.PostMessage(kFailureNoticeModuleId, kNoticeModuleFault, nullptr, 0);
        Frame();
        EXPECT_EQ(core.PostedCount(), 0u);
    }
    EXPECT_EQ(core.FindModule(kFailureNoticeModuleId)->QueuedMessageCount(), 0u);
    EXPECT_EQ(core.SendMessage(kFailureNoticeModuleId, kNoticeModuleFault, nullptr, 0), 0);
}

TEST_F(GameCoreTest, StartSetsDefaultsAndOpensTheRunLog) {
    EXPECT_EQ(core.GetIntSetting(3), -1);
    EXPECT_EQ(core.GetStringSetting(22), nullptr);
    core.Start(77);
    EXPECT_EQ(core.GetWindowHandle(), 77u);
    EXPECT_EQ(core.GetIntSetting(3), 22);
    EXPECT_EQ(core.GetIntSetting(17), 19840388);
    EXPECT_EQ(core.GetIntSetting(12), -1);
    EXPECT_STREQ(core.GetStringSetting(31), "ScrollBar_HorzRightBtn");
    EXPECT_EQ(core.GetStringSetting(32), nullptr);

    const std::string log = folder.Read("GameRun.log");
    const size_t start = log.find("     GameCore Start\r\n");
    const size_t version = log.find("     CorvaneVesion:1.000000\r\n");
    const size_t build = log.find("     CorvaneLastBulid:<");
    ASSERT_NE(start, std::string::npos);
    EXPECT_LT(start, version);
    EXPECT_LT(version, build);
    EXPECT_NE(log.find(">,<", build), std::string::npos);
}

}  // namespace
