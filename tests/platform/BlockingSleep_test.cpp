// The blocking sleep: every message for the thread waits until it ends and
// then comes out in order; only paints asked for meanwhile run during it.

#include "platform/BlockingSleep.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "platform/Display.h"
#include "platform/Messages.h"
#include "platform/SdlEvents.h"
#include "platform/SdlWindow.h"

using namespace platform;

namespace {

constexpr uint32_t kFirst = kMsgApp + 1;
constexpr uint32_t kSent = kMsgApp + 2;
constexpr uint32_t kLast = kMsgApp + 3;

std::atomic<bool> g_sleeping{false};

struct Heard {
    uint32_t id;
    bool duringSleep;
    bool operator==(const Heard&) const = default;
};

void PrintTo(const Heard& h, std::ostream* os) {
    *os << "{0x" << std::hex << h.id << (h.duringSleep ? ", during}" : ", after}");
}

class LoggingWindow : public Window {
public:
    ~LoggingWindow() override { Destroy(); }
    LResult WindowProc(uint32_t id, WParam wParam, LParam lParam) override {
        if (id != kMsgSetCursor && id != kMsgMouseMove) {
            heard.push_back(Heard{id, g_sleeping.load()});
        }
        if (id == kMsgPaint) {
            return DefaultWindowProc(*this, id, wParam, lParam);
        }
        return id == kSent ? 7 : 0;
    }
    std::vector<Heard> heard;
};

class BlockingSleepTest : public ::testing::Test {
protected:
    BlockingSleepTest() {
        RegisterWindowClass("BlockingSleepTest");
        EXPECT_TRUE(first.Create("BlockingSleepTest"));
        EXPECT_TRUE(second.Create("BlockingSleepTest"));
        TopLevelOptions options;
        options.clientRect = {0, 0, 64, 48};
        top = std::make_unique<TopLevelWindow>(first.Id(), options);
        Drain();
        first.heard.clear();
        second.heard.clear();
    }
    ~BlockingSleepTest() override { top.reset(); }

    void Drain() {
        Message m;
        while (PeekMessage(m, PeekMode::Remove)) {
            DispatchMessage(m);
        }
    }

    // Sleeps, with `during` run on another thread while the sleep lasts.
    uint32_t SleepWhile(uint32_t ms, std::function<void()> during) {
        std::thread other([&] {
            SleepMs(30);
            during();
        });
        const uint32_t start = GetTickCount32();
        g_sleeping.store(true);
        SleepHoldingMessages(ms);
        g_sleeping.store(false);
        const uint32_t slept = GetTickCount32() - start;
        Drain();  // lets a send the other thread waits in come back
        other.join();
        return slept;
    }

    LoggingWindow first;
    LoggingWindow second;
    std::unique_ptr<TopLevelWindow> top;
};

TEST_F(BlockingSleepTest, HeldMessagesComeOutAfterwardsInTheirOrder) {
    ASSERT_TRUE(top->HasDisplay());
    ASSERT_NE(SetTimer(first.Id(), 9, 10), 0u);
    std::atomic<LResult> answer{0};
    const uint32_t slept = SleepWhile(250, [&] {
        PostMessage(first.Id(), kFirst, 0, 0);
        SynthesizeMouseButton(first.Id(), MouseButton::Left, true, 5, 5);
        SleepMs(40);  // the display's event is turned into its message meanwhile
        PostMessage(first.Id(), kLast, 0, 0);
        answer.store(SendMessage(first.Id(), kSent, 0, 0));
    });
    KillTimer(first.Id(), 9);
    EXPECT_GE(slept, 250u);
    EXPECT_EQ(answer.load(), 7);
    // The sent message first, as always, then the posts and the input in
    // the order they came, then the timer; none of them during the sleep.
    const std::vector<Heard> expected = {{kSent, false},
                                         {kFirst, false},
                                         {kMsgLButtonDown, false},
                                         {kLast, false},
                                         {kMsgTimer, false}};
    EXPECT_EQ(first.heard, expected);
}

TEST_F(BlockingSleepTest, OnlyPaintsAskedForDuringTheSleepRunInIt) {
    LoggingWindow third;
    ASSERT_TRUE(third.Create("BlockingSleepTest"));
    RequestPaint(third.Id());  // asked before: waits with the rest
    SleepWhile(150, [&] {
        InvalidateRect(second.Id(), nullptr);
        SynthesizeWindowEvent(first.Id(), DisplayWindowEvent::Exposed);
    });
    EXPECT_EQ(second.heard, (std::vector<Heard>{{kMsgPaint, true}}));
    EXPECT_EQ(third.heard, (std::vector<Heard>{{kMsgPaint, false}}));
    // The exposure showed the surface again without asking for a paint.
    EXPECT_TRUE(first.heard.empty());

    // Outside a sleep an exposure asks for a paint as before.
    SynthesizeWindowEvent(first.Id(), DisplayWindowEvent::Exposed);
    Drain();
    EXPECT_EQ(first.heard, (std::vector<Heard>{{kMsgPaint, false}}));
}

TEST(BlockingSleep, GoesThroughTheInstalledSleeper) {
    std::vector<uint32_t> slept;
    SetSleeperForTesting([&](uint32_t ms) { slept.push_back(ms); });
    const uint32_t start = GetTickCount32();
    BlockingSleep(2000);
    BlockingSleep(5000);
    EXPECT_LT(GetTickCount32() - start, 1000u);
    EXPECT_EQ(slept, (std::vector<uint32_t>{2000, 5000}));

    SetSleeperForTesting(nullptr);
    const uint32_t realStart = GetTickCount32();
    BlockingSleep(30);
    EXPECT_GE(GetTickCount32() - realStart, 30u);
    EXPECT_EQ(slept.size(), 2u);
}

}  // namespace
