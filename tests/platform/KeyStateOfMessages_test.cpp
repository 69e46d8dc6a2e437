// The key state a window's handler reads is the state as of the message it
// handles, even when the display hands over a whole batch of key events
// before the first of their messages is taken from the queue.

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

#include "platform/Input.h"
#include "platform/Messages.h"
#include "platform/SdlEvents.h"
#include "platform/SdlWindow.h"

using namespace platform;

namespace {

// What the handler saw of the keyboard at each key message.
struct KeyMessage {
    uint32_t id;
    WParam key;
    bool control;
    bool shift;
};

class KeyStateWindow : public Window {
public:
    ~KeyStateWindow() override { Destroy(); }
    LResult WindowProc(uint32_t id, WParam wParam, LParam lParam) override {
        if (id == kMsgKeyDown || id == kMsgKeyUp || id == kMsgChar) {
            seen.push_back(KeyMessage{id, wParam, IsKeyDown(kKeyControl), IsKeyDown(kKeyShift)});
        }
        if (id == kMsgLButtonDown) {
            shiftAtClick = IsKeyDown(kKeyShift);
        }
        return Window::WindowProc(id, wParam, lParam);
    }
    std::vector<KeyMessage> seen;
    bool shiftAtClick = false;
};

class KeyStateOfMessagesTest : public ::testing::Test {
protected:
    KeyStateOfMessagesTest() {
        RegisterWindowClass("KeyStateOfMessagesTest");
        EXPECT_TRUE(window.Create("KeyStateOfMessagesTest"));
        TopLevelOptions options;
        options.title = "键";
        options.clientRect = ScreenRect{100, 50, 420, 290};
        top = std::make_unique<TopLevelWindow>(window.Id(), options);
        Deliver();
        window.seen.clear();
    }
    ~KeyStateOfMessagesTest() override { top.reset(); }

    // Takes and hands on every waiting message; the display's events are
    // all turned into messages at the first look.
    void Deliver() {
        Message m;
        while (PeekMessage(m, PeekMode::Remove)) {
            DispatchMessage(m);
        }
    }

    KeyStateWindow window;
    std::unique_ptr<TopLevelWindow> top;
};

TEST_F(KeyStateOfMessagesTest, ABatchOfKeysIsReadAsEachMessageLeftTheKeyboard) {
    ASSERT_TRUE(SynthesizeKey(window.Id(), kKeyControl, true));
    ASSERT_TRUE(SynthesizeKey(window.Id(), 'V', true));
    ASSERT_TRUE(SynthesizeKey(window.Id(), 'V', false));
    ASSERT_TRUE(SynthesizeKey(window.Id(), kKeyControl, false));
    Deliver();
    ASSERT_EQ(window.seen.size(), 5u);
    EXPECT_EQ(window.seen[0].key, WParam{kKeyControl});
    EXPECT_TRUE(window.seen[0].control);  // its own press is already seen
    EXPECT_EQ(window.seen[1].key, WParam{'V'});
    EXPECT_TRUE(window.seen[1].control);
    EXPECT_EQ(window.seen[2].id, kMsgChar);  // Control-V's character
    EXPECT_TRUE(window.seen[2].control);
    EXPECT_EQ(window.seen[3].id, kMsgKeyUp);
    EXPECT_TRUE(window.seen[3].control);
    EXPECT_EQ(window.seen[4].key, WParam{kKeyControl});
    EXPECT_FALSE(window.seen[4].control);
    // With every message taken, the keyboard as it is.
    EXPECT_FALSE(IsKeyDown(kKeyControl));
}

TEST_F(KeyStateOfMessagesTest, ShiftHeldOverAClickIsSeenByTheClickAndNotAfter) {
    ASSERT_TRUE(SynthesizeKey(window.Id(), kKeyShift, true));
    ASSERT_TRUE(SynthesizeMouseButton(window.Id(), MouseButton::Left, true, 5, 5));
    ASSERT_TRUE(SynthesizeMouseButton(window.Id(), MouseButton::Left, false, 5, 5));
    ASSERT_TRUE(SynthesizeKey(window.Id(), kKeyShift, false));
    ASSERT_TRUE(SynthesizeKey(window.Id(), 'A', true));
    Deliver();
    EXPECT_TRUE(window.shiftAtClick);
    ASSERT_FALSE(window.seen.empty());
    EXPECT_EQ(window.seen.back().key, WParam{'A'});
    EXPECT_FALSE(window.seen.back().shift);
}

TEST_F(KeyStateOfMessagesTest, BetweenMessagesAndOnOtherThreadsTheKeyboardIsAsLastRead) {
    ASSERT_TRUE(SynthesizeKey(window.Id(), kKeyShift, true));
    ASSERT_TRUE(SynthesizeKey(window.Id(), 'B', true));
    Message m;
    ASSERT_TRUE(PeekMessage(m, PeekMode::Remove));  // Shift's press
    ASSERT_EQ(m.id, kMsgKeyDown);
    // Its handler sees Shift; nothing has been read of B yet.
    EXPECT_TRUE(IsKeyDown(kKeyShift));
    EXPECT_FALSE(IsKeyDown('B'));
    bool elsewhere = false;
    std::thread other([&] { elsewhere = IsKeyDown('B'); });
    other.join();
    EXPECT_TRUE(elsewhere);  // other threads ask the keyboard as the events left it
    Deliver();
    EXPECT_TRUE(IsKeyDown('B'));
    ASSERT_TRUE(SynthesizeKey(window.Id(), 'B', false));
    ASSERT_TRUE(SynthesizeKey(window.Id(), kKeyShift, false));
    Deliver();
    EXPECT_FALSE(IsKeyDown(kKeyShift));
}

TEST_F(KeyStateOfMessagesTest, ALostFocusForgetsKeysWhoseMessagesWereNotTakenYet) {
    ASSERT_TRUE(SynthesizeWindowEvent(window.Id(), DisplayWindowEvent::FocusGained));
    Deliver();
    ASSERT_TRUE(SynthesizeKey(window.Id(), kKeyControl, true));
    ASSERT_TRUE(SynthesizeWindowEvent(window.Id(), DisplayWindowEvent::FocusLost));
    Deliver();
    EXPECT_FALSE(IsKeyDown(kKeyControl));
}

}  // namespace
