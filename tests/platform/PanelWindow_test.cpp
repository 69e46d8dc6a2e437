// Panels painted by another thread, and the display thread's waits, which
// keep the display but hand out nothing.

#include "platform/PanelWindow.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "platform/BlockingSleep.h"
#include "platform/Display.h"
#include "platform/Messages.h"
#include "platform/SdlEvents.h"
#include "platform/SdlWindow.h"
#include "platform/Sync.h"

using namespace platform;

namespace {

constexpr uint32_t kRed = 0x0000FF;
constexpr uint32_t kBlue = 0xFF0000;
constexpr uint32_t kPosted = kMsgApp + 1;
constexpr uint32_t kSent = kMsgApp + 2;

// Polls until the condition holds or about two seconds passed.
bool Eventually(const std::function<bool()>& condition) {
    for (int i = 0; i < 400; ++i) {
        if (condition()) {
            return true;
        }
        SleepMs(5);
    }
    return condition();
}

class LoggingWindow : public Window {
public:
    ~LoggingWindow() override { Destroy(); }
    LResult WindowProc(uint32_t id, WParam wParam, LParam lParam) override {
        if (id != kMsgSetCursor && id != kMsgMouseMove) {
            heard.push_back(id);
        }
        if (id == kMsgPaint) {
            return DefaultWindowProc(*this, id, wParam, lParam);
        }
        return id == kSent ? 7 : 0;
    }
    std::vector<uint32_t> heard;
};

void Drain() {
    Message m;
    while (PeekMessage(m, PeekMode::Remove)) {
        DispatchMessage(m);
    }
}

class PanelWindowTest : public ::testing::Test {
protected:
    PanelWindowTest() { EXPECT_TRUE(TakeDisplay()); }
    ~PanelWindowTest() override {
        Drain();
        GiveBackDisplay();
    }
};

TEST(PanelFrame, RefusesPixelsThatDoNotFitItsSize) {
    PanelWindow panel("PanelFrame");
    PanelFrame frame = PanelFrame::Filled(3, 2, kRed);
    ASSERT_TRUE(frame.IsValid());
    PanelFrame cut = frame;
    cut.pixels.pop_back();
    EXPECT_FALSE(panel.Publish(cut));
    EXPECT_FALSE(panel.Publish(PanelFrame{}));
    EXPECT_FALSE(PanelFrame::Filled(kMaxPanelSide + 1, 1, kRed).IsValid());
    EXPECT_FALSE(panel.NewestFrame().IsValid());

    // Without a display thread the newest frame is still kept and read back.
    EXPECT_TRUE(panel.Publish(frame));
    frame.SetColorAt(2, 1, kBlue);
    EXPECT_TRUE(panel.Publish(frame));
    EXPECT_EQ(panel.NewestFrame().ColorAt(2, 1), kBlue);
    EXPECT_EQ(panel.NewestFrame().ColorAt(0, 0), kRed);
    EXPECT_EQ(panel.NewestFrame().ColorAt(3, 0), 0u);
    EXPECT_EQ(panel.PresentedFrames(), 0);
}

TEST_F(PanelWindowTest, FramesOfAnotherThreadAreShownWhileTheDisplayThreadWaits) {
    PanelWindow panel("PanelWindowTest");
    Event done(Event::Mode::ManualReset);
    std::atomic<bool> bothShown{false};
    std::thread painter([&] {
        panel.MoveTo(ScreenPoint{30, 40});
        panel.Show(true);
        panel.Publish(PanelFrame::Filled(20, 10, kRed));
        const bool first = Eventually([&] { return panel.PresentedFrames() >= 1; });
        panel.Publish(PanelFrame::Filled(20, 10, kBlue));
        const bool second = Eventually([&] { return panel.PresentedFrames() >= 2; });
        bothShown.store(first && second);
        done.Set();
    });
    const bool setInTime = done.Wait(10000);
    painter.join();
    EXPECT_TRUE(setInTime);
    EXPECT_TRUE(bothShown.load());
    EXPECT_EQ(panel.PresentedFrames(), 2);
    EXPECT_EQ(panel.ShownColorAt(5, 5), kBlue);
    EXPECT_EQ(panel.NewestFrame().ColorAt(19, 9), kBlue);
    EXPECT_EQ(panel.Position(), (ScreenPoint{30, 40}));
}

TEST_F(PanelWindowTest, OnlyTheDisplayThreadsWaitsPresent) {
    PanelWindow panel("PanelWindowTest");
    panel.Show(true);
    std::atomic<int> otherWaitResult{0};
    std::atomic<uint32_t> otherWaited{0};
    std::thread other([&] {
        panel.Publish(PanelFrame::Filled(8, 8, kRed));
        Event never(Event::Mode::AutoReset);
        Event* const events[] = {&never};
        const uint32_t start = GetTickCount32();
        otherWaitResult.store(WaitAny(events, 120));
        otherWaited.store(GetTickCount32() - start);
    });
    other.join();  // not a platform wait: the display thread keeps nothing
    EXPECT_EQ(otherWaitResult.load(), kWaitTimeout);
    EXPECT_GE(otherWaited.load(), 120u);
    EXPECT_EQ(panel.PresentedFrames(), 0);

    Event never(Event::Mode::ManualReset);
    const uint32_t start = GetTickCount32();
    EXPECT_FALSE(never.Wait(60));
    EXPECT_GE(GetTickCount32() - start, 60u);
    EXPECT_EQ(panel.PresentedFrames(), 1);

    // A set event still ends the display thread's wait at once.
    Event auto1(Event::Mode::AutoReset, true);
    Event* const events[] = {&never, &auto1};
    EXPECT_EQ(WaitAny(events, kInfinite), 1);
    EXPECT_FALSE(auto1.IsSet());
}

TEST_F(PanelWindowTest, TheDisplayThreadsWaitHandsOutNoMessage) {
    RegisterWindowClass("PanelWindowTest");
    LoggingWindow window;
    ASSERT_TRUE(window.Create("PanelWindowTest"));
    TopLevelOptions options;
    options.clientRect = {0, 0, 32, 24};
    TopLevelWindow top(window.Id(), options);
    ASSERT_TRUE(top.HasDisplay());
    Drain();
    window.heard.clear();

    ASSERT_NE(SetTimer(window.Id(), 5, 10), 0u);
    PostMessage(window.Id(), kPosted, 0, 0);
    Event done(Event::Mode::ManualReset);
    std::atomic<bool> sendAnswered{true};
    std::vector<uint32_t> heardDuringWait;
    std::thread other([&] {
        SynthesizeMouseButton(window.Id(), MouseButton::Left, true, 3, 3);
        SynthesizeWindowEvent(window.Id(), DisplayWindowEvent::Exposed);
        SleepMs(80);
        sendAnswered.store(SendMessageTimeout(window.Id(), kSent, 0, 0, 100, nullptr));
        done.Set();
    });
    EXPECT_TRUE(done.Wait(5000));
    heardDuringWait = window.heard;
    other.join();
    EXPECT_TRUE(heardDuringWait.empty());
    EXPECT_FALSE(sendAnswered.load());
    Drain();
    KillTimer(window.Id(), 5);
    // The input waited as a posted message; the exposure was shown again
    // from the surface during the wait, so no paint was asked for.
    EXPECT_EQ(window.heard, (std::vector<uint32_t>{kPosted, kMsgLButtonDown, kMsgTimer}));
}

TEST_F(PanelWindowTest, TheBlockingSleepShowsPanelFramesToo) {
    PanelWindow panel("PanelWindowTest");
    panel.Show(true);
    std::thread painter([&] {
        SleepMs(20);
        panel.Publish(PanelFrame::Filled(4, 4, kBlue));
    });
    BlockingSleep(200);
    painter.join();
    EXPECT_EQ(panel.PresentedFrames(), 1);
    EXPECT_EQ(panel.ShownColorAt(0, 0), kBlue);
}

}  // namespace
