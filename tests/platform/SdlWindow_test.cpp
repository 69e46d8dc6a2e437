// Top-level windows on SDL's dummy video driver: input given through the
// display's own queue comes out of the thread's message queue as the right
// window messages, and the display's back ends answer for the windows.

#include "platform/SdlWindow.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/Cursor.h"
#include "platform/Display.h"
#include "platform/Input.h"
#include "platform/Messages.h"
#include "platform/SdlEvents.h"
#include "platform/SdlInput.h"
#include "platform/WindowState.h"

using namespace platform;

namespace {

class RecordingWindow : public Window {
public:
    ~RecordingWindow() override { Destroy(); }
    LResult WindowProc(uint32_t id, WParam wParam, LParam lParam) override {
        log.push_back(Message{Id(), id, wParam, lParam, 0});
        return id == kMsgClose ? DefaultWindowProc(*this, id, wParam, lParam) : 0;
    }
    std::vector<Message> log;
};

struct Seen {
    uint32_t id;
    WParam wParam;
    LParam lParam;
    bool operator==(const Seen&) const = default;
};

void PrintTo(const Seen& s, std::ostream* os) {
    *os << "{0x" << std::hex << s.id << ", 0x" << s.wParam << ", 0x" << s.lParam << "}";
}

constexpr ScreenRect kClient{100, 50, 420, 290};  // 320 x 240

TopLevelOptions Options(const ScreenRect& rect = kClient, bool doubleClicks = false) {
    TopLevelOptions options;
    options.title = "测试";
    options.clientRect = rect;
    options.doubleClicks = doubleClicks;
    return options;
}

class SdlWindowTest : public ::testing::Test {
protected:
    SdlWindowTest() {
        RegisterWindowClass("SdlWindowTest");
        EXPECT_TRUE(window.Create("SdlWindowTest"));
        top = std::make_unique<TopLevelWindow>(window.Id(), Options());
        Deliver();
    }
    ~SdlWindowTest() override {
        ReleaseCapture();
        top.reset();
    }

    // Hands every waiting message to its window; what this window heard.
    std::vector<Seen> Deliver(RecordingWindow* of = nullptr) {
        RecordingWindow& w = of != nullptr ? *of : window;
        w.log.clear();
        Message m;
        while (PeekMessage(m, PeekMode::Remove)) {
            DispatchMessage(m);
        }
        std::vector<Seen> seen;
        for (const Message& m : w.log) {
            seen.push_back(Seen{m.id, m.wParam, m.lParam});
        }
        return seen;
    }

    // The mouse and key messages among them.
    std::vector<Seen> Input() {
        std::vector<Seen> input;
        for (const Seen& s : Deliver()) {
            if (s.id != kMsgPaint && s.id != kMsgSize) {
                input.push_back(s);
            }
        }
        return input;
    }

    Seen Cursor(uint32_t cause) const {
        return Seen{kMsgSetCursor, window.Id(), static_cast<LParam>(kHitClient | cause << 16)};
    }

    RecordingWindow window;
    std::unique_ptr<TopLevelWindow> top;
};

TEST_F(SdlWindowTest, OpensOnTheDisplayWithItsClientArea) {
    ASSERT_TRUE(top->HasDisplay());
    EXPECT_FALSE(top->IsOnScreen());  // the dummy driver shows nothing
    EXPECT_EQ(TopLevelWindow::Find(window.Id()), top.get());
    EXPECT_EQ(top->ClientRect(), kClient);
    EXPECT_EQ(top->Surface().Width(), 320);
    EXPECT_EQ(top->Surface().Height(), 240);

    // SDL's events are read by one thread: a window of another thread keeps
    // its pixels but gets no SDL window meanwhile.
    std::thread other([] {
        RecordingWindow w;
        ASSERT_TRUE(w.Create("SdlWindowTest"));
        TopLevelWindow t(w.Id(), Options({0, 0, 10, 10}));
        EXPECT_FALSE(t.HasDisplay());
        EXPECT_EQ(t.Surface().Width(), 10);
    });
    other.join();

    // Sizes are held to what a surface can hold.
    top->SetClientSize(-3, 99999);
    EXPECT_EQ(top->ClientWidth(), 0);
    EXPECT_EQ(top->ClientHeight(), kMaxClientSide);

    const WindowId id = window.Id();
    top.reset();
    EXPECT_EQ(TopLevelWindow::Find(id), nullptr);
    EXPECT_EQ(GetWindowRect(id), std::nullopt);  // the recording back end again
}

TEST_F(SdlWindowTest, StylesChooseTheOptions) {
    const TopLevelOptions popup = TopLevelOptionsFromStyle(
        "x", kStylePopup | kStyleVisible | kStyleMaximise, ScreenRect{1, 2, 3, 4});
    EXPECT_TRUE(popup.visible);
    EXPECT_FALSE(popup.framed);
    EXPECT_FALSE(popup.resizable);
    EXPECT_TRUE(popup.maximised);
    EXPECT_EQ(popup.clientRect, (ScreenRect{1, 2, 3, 4}));
    const TopLevelOptions framed = TopLevelOptionsFromStyle("x", kStyleOverlappedWindow, {});
    EXPECT_FALSE(framed.visible);
    EXPECT_TRUE(framed.framed);
    EXPECT_TRUE(framed.resizable);
}

TEST_F(SdlWindowTest, MouseMovesComeWithTheCursorRequestAndSignedPoints) {
    ASSERT_TRUE(SynthesizeMouseMove(window.Id(), 10, 20));
    EXPECT_EQ(Input(), (std::vector<Seen>{Cursor(kMsgMouseMove),
                                          Seen{kMsgMouseMove, 0, PackPoint(10, 20)}}));
    EXPECT_EQ(GetCursorPos(), (ScreenPoint{110, 70}));

    // Outside the client area only a capture window hears the mouse.
    ASSERT_TRUE(SynthesizeMouseMove(window.Id(), -5, 10));
    ASSERT_TRUE(SynthesizeMouseMove(window.Id(), 320, 10));
    EXPECT_TRUE(Input().empty());
    EXPECT_EQ(SetCapture(window.Id()), 0u);
    ASSERT_TRUE(SynthesizeMouseMove(window.Id(), -30, 500));
    const std::vector<Seen> captured = Input();
    ASSERT_EQ(captured.size(), 1u);  // no cursor request while captured
    EXPECT_EQ(captured[0].id, kMsgMouseMove);
    EXPECT_EQ(PointX(captured[0].lParam), -30);
    EXPECT_EQ(PointY(captured[0].lParam), 500);

    // A window that is not open takes no capture.
    EXPECT_EQ(SetCapture(window.Id() + 1000), 0u);
    EXPECT_EQ(GetCapture(), window.Id());
    ReleaseCapture();
    ASSERT_TRUE(SynthesizeMouseMove(window.Id(), -30, 500));
    EXPECT_TRUE(Input().empty());
}

TEST_F(SdlWindowTest, CaptureTakesTheMouseFromOtherWindows) {
    RecordingWindow second;
    ASSERT_TRUE(second.Create("SdlWindowTest"));
    TopLevelWindow secondTop(second.Id(), Options({500, 60, 600, 160}));
    Deliver(&second);
    SetCapture(window.Id());
    window.log.clear();
    ASSERT_TRUE(SynthesizeMouseMove(second.Id(), 5, 7));
    EXPECT_TRUE(Deliver(&second).empty());
    ASSERT_EQ(window.log.size(), 1u);
    EXPECT_EQ(window.log[0].id, kMsgMouseMove);
    EXPECT_EQ(PointX(window.log[0].lParam), 405);  // 500 + 5 - 100
    EXPECT_EQ(PointY(window.log[0].lParam), 17);   // 60 + 7 - 50
}

TEST_F(SdlWindowTest, ButtonsCarryTheKeyStateAndDoubleClicksOnlyWhenAsked) {
    ASSERT_TRUE(SynthesizeMouseButton(window.Id(), MouseButton::Left, true, 3, 4));
    ASSERT_TRUE(SynthesizeMouseMove(window.Id(), 6, 4));
    ASSERT_TRUE(SynthesizeMouseButton(window.Id(), MouseButton::Left, false, 6, 4));
    EXPECT_EQ(Input(), (std::vector<Seen>{
                           Cursor(kMsgLButtonDown),
                           Seen{kMsgLButtonDown, kMouseFlagLeft, PackPoint(3, 4)},
                           Cursor(kMsgMouseMove),
                           Seen{kMsgMouseMove, kMouseFlagLeft, PackPoint(6, 4)},
                           Seen{kMsgLButtonUp, 0, PackPoint(6, 4)},
                       }));

    ASSERT_TRUE(SynthesizeKey(window.Id(), kKeyShift, true));
    ASSERT_TRUE(SynthesizeMouseButton(window.Id(), MouseButton::Right, true, 1, 1));
    ASSERT_TRUE(SynthesizeMouseButton(window.Id(), MouseButton::Middle, true, 1, 1));
    ASSERT_TRUE(SynthesizeMouseButton(window.Id(), MouseButton::Left, true, 1, 1, 2));
    std::vector<Seen> buttons;
    for (const Seen& s : Input()) {
        if (s.id != kMsgSetCursor && s.id != kMsgKeyDown) {
            buttons.push_back(s);
        }
    }
    const uint32_t held = kMouseFlagShift | kMouseFlagRight;
    EXPECT_EQ(buttons,
              (std::vector<Seen>{
                  Seen{kMsgRButtonDown, held, PackPoint(1, 1)},
                  Seen{kMsgMButtonDown, held | kMouseFlagMiddle, PackPoint(1, 1)},
                  Seen{kMsgLButtonDown, held | kMouseFlagMiddle | kMouseFlagLeft, PackPoint(1, 1)},
              }));
    EXPECT_TRUE(IsKeyDown(0x02));  // the right button
    EXPECT_TRUE(IsKeyDown(kKeyShift));

    // A window whose class asks for double clicks gets one for the second press.
    RecordingWindow clicks;
    ASSERT_TRUE(clicks.Create("SdlWindowTest"));
    TopLevelWindow clicksTop(clicks.Id(), Options({0, 0, 50, 50}, true));
    ASSERT_TRUE(SynthesizeMouseButton(clicks.Id(), MouseButton::Left, true, 2, 2, 1));
    ASSERT_TRUE(SynthesizeMouseButton(clicks.Id(), MouseButton::Left, true, 2, 2, 2));
    std::vector<uint32_t> ids;
    for (const Seen& s : Deliver(&clicks)) {
        if (s.id != kMsgSetCursor && s.id != kMsgPaint && s.id != kMsgSize) {
            ids.push_back(s.id);
        }
    }
    EXPECT_EQ(ids, (std::vector<uint32_t>{kMsgLButtonDown, kMsgLButtonDblClk}));
}

TEST_F(SdlWindowTest, DoubleClicksNeedTheSameButtonWindowAndAFourPixelBox) {
    RecordingWindow clicks;
    ASSERT_TRUE(clicks.Create("SdlWindowTest"));
    TopLevelWindow clicksTop(clicks.Id(), Options({0, 0, 80, 80}, true));
    RecordingWindow other;
    ASSERT_TRUE(other.Create("SdlWindowTest"));
    TopLevelWindow otherTop(other.Id(), Options({100, 0, 180, 80}, true));
    Deliver(&clicks);
    auto press = [](RecordingWindow& w, MouseButton button, int x, int y, int displayCount) {
        ASSERT_TRUE(SynthesizeMouseButton(w.Id(), button, true, x, y, displayCount));
        ASSERT_TRUE(SynthesizeMouseButton(w.Id(), button, false, x, y, displayCount));
    };
    auto presses = [&](RecordingWindow& w) {
        std::vector<uint32_t> ids;
        for (const Seen& s : Deliver(&w)) {
            if (s.id == kMsgLButtonDown || s.id == kMsgLButtonDblClk || s.id == kMsgRButtonDown ||
                s.id == kMsgRButtonDblClk) {
                ids.push_back(s.id);
            }
        }
        return ids;
    };
    using Ids = std::vector<uint32_t>;

    // 20 pixels apart: two presses, whatever the display counted.
    press(clicks, MouseButton::Left, 2, 2, 1);
    press(clicks, MouseButton::Left, 22, 2, 2);
    EXPECT_EQ(presses(clicks), (Ids{kMsgLButtonDown, kMsgLButtonDown}));

    // Within 2 pixels each way: a double click; the press after it starts
    // a new pair.
    press(clicks, MouseButton::Left, 30, 30, 1);
    press(clicks, MouseButton::Left, 32, 28, 1);
    press(clicks, MouseButton::Left, 32, 28, 3);
    press(clicks, MouseButton::Left, 30, 30, 4);
    EXPECT_EQ(presses(clicks),
              (Ids{kMsgLButtonDown, kMsgLButtonDblClk, kMsgLButtonDown, kMsgLButtonDblClk}));

    // Three pixels off, another button, or another window: no pair.
    press(clicks, MouseButton::Left, 50, 50, 1);
    press(clicks, MouseButton::Left, 50, 53, 2);
    press(clicks, MouseButton::Right, 50, 53, 1);
    press(clicks, MouseButton::Left, 50, 53, 2);
    EXPECT_EQ(presses(clicks),
              (Ids{kMsgLButtonDown, kMsgLButtonDown, kMsgRButtonDown, kMsgLButtonDown}));
    press(clicks, MouseButton::Left, 10, 10, 1);
    press(other, MouseButton::Left, 10, 10, 2);
    EXPECT_EQ(presses(other), (Ids{kMsgLButtonDown}));
}

TEST_F(SdlWindowTest, WheelGoesToTheFocusWindowWithTheScreenPoint) {
    ASSERT_TRUE(SynthesizeMouseWheel(window.Id(), -2, 30, 40));
    const std::vector<Seen> seen = Input();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].id, kMsgMouseWheel);
    EXPECT_EQ(WheelDelta(seen[0].wParam), -2 * kWheelDelta);
    EXPECT_EQ(PointX(seen[0].lParam), 130);
    EXPECT_EQ(PointY(seen[0].lParam), 90);
    EXPECT_EQ(ScreenToClient(window.Id(), {130, 90}), (ScreenPoint{30, 40}));
    EXPECT_EQ(ClientToScreen(window.Id(), {30, 40}), (ScreenPoint{130, 90}));

    RecordingWindow second;
    ASSERT_TRUE(second.Create("SdlWindowTest"));
    TopLevelWindow secondTop(second.Id(), Options({0, 0, 50, 50}));
    SetFocus(second.Id());
    ASSERT_TRUE(SynthesizeMouseWheel(window.Id(), 1, 0, 0));
    bool wheel = false;
    for (const Seen& s : Deliver(&second)) {
        wheel = wheel || (s.id == kMsgMouseWheel && WheelDelta(s.wParam) == kWheelDelta);
    }
    EXPECT_TRUE(wheel);
}

TEST_F(SdlWindowTest, KeysArriveAsVirtualKeysWithTheirCharacters) {
    ASSERT_TRUE(SynthesizeKey(window.Id(), 'A', true));
    ASSERT_TRUE(SynthesizeKey(window.Id(), 'A', true, true));
    ASSERT_TRUE(SynthesizeKey(window.Id(), 'A', false));
    ASSERT_TRUE(SynthesizeKey(window.Id(), kKeyReturn, true));
    ASSERT_TRUE(SynthesizeKey(window.Id(), kKeyLeft, true));
    ASSERT_TRUE(SynthesizeKey(window.Id(), 0x70, true));  // F1
    EXPECT_EQ(Input(), (std::vector<Seen>{
                           Seen{kMsgKeyDown, 'A', PackKeyData(1, 0)},
                           Seen{kMsgKeyDown, 'A', PackKeyData(1, kKeyWasDown)},
                           Seen{kMsgKeyUp, 'A', PackKeyData(1, kKeyWasDown | kKeyReleasing)},
                           Seen{kMsgKeyDown, kKeyReturn, PackKeyData(1, 0)},
                           Seen{kMsgChar, kKeyReturn, PackKeyData(1, 0)},
                           Seen{kMsgKeyDown, kKeyLeft, PackKeyData(1, kKeyExtended)},
                           Seen{kMsgKeyDown, 0x70, PackKeyData(1, 0)},
                       }));
    EXPECT_TRUE(IsKeyDown(kKeyLeft));
    EXPECT_FALSE(IsKeyDown('A'));

    // Control with a letter gives its control character; Alt makes system keys.
    ASSERT_TRUE(SynthesizeKey(window.Id(), 0xA3, true));  // right Control
    ASSERT_TRUE(SynthesizeKey(window.Id(), 'C', true));
    ASSERT_TRUE(SynthesizeKey(window.Id(), 0xA3, false));
    ASSERT_TRUE(SynthesizeKey(window.Id(), kKeyMenu, true));
    ASSERT_TRUE(SynthesizeKey(window.Id(), 'F', true));
    ASSERT_TRUE(SynthesizeKey(window.Id(), kKeyMenu, false));
    EXPECT_EQ(
        Input(),
        (std::vector<Seen>{
            Seen{kMsgKeyDown, kKeyControl, PackKeyData(1, kKeyExtended)},
            Seen{kMsgKeyDown, 'C', PackKeyData(1, 0)},
            Seen{kMsgChar, 3, PackKeyData(1, 0)},
            Seen{kMsgKeyUp, kKeyControl,
                 PackKeyData(1, kKeyExtended | kKeyWasDown | kKeyReleasing)},
            Seen{kMsgSysKeyDown, kKeyMenu, PackKeyData(1, kKeyAltHeld)},
            Seen{kMsgSysKeyDown, 'F', PackKeyData(1, kKeyAltHeld)},
            Seen{kMsgSysKeyUp, kKeyMenu, PackKeyData(1, kKeyAltHeld | kKeyWasDown | kKeyReleasing)},
        }));
    EXPECT_FALSE(SynthesizeKey(window.Id(), 0x07, true));  // no such key
}

TEST_F(SdlWindowTest, TypedTextArrivesAsGbkBytesOnePerMessage) {
    ASSERT_TRUE(SynthesizeText(window.Id(), "中a"));
    std::string bytes;
    for (const Seen& s : Input()) {
        ASSERT_EQ(s.id, kMsgChar);
        bytes.push_back(static_cast<char>(s.wParam));
    }
    EXPECT_EQ(bytes,
              "\xD6\xD0"
              "a");

    // Text longer than one display event keeps its characters whole and in order.
    std::string text;
    for (int i = 0; i < 20; ++i) {
        text += "麻将";
    }
    ASSERT_TRUE(SynthesizeText(window.Id(), text));
    bytes.clear();
    for (const Seen& s : Input()) {
        bytes.push_back(static_cast<char>(s.wParam));
    }
    EXPECT_EQ(bytes, text);
}

TEST_F(SdlWindowTest, TypedCharactersWithoutAGbkFormAreDroppedAndLoggedOnce) {
    const std::string kFace = "\xF0\x9F\x98\x80";  // U+1F600, outside GBK
    testing::internal::CaptureStderr();
    ASSERT_TRUE(SynthesizeUtf8Text(window.Id(), "a" + kFace + "?\xE4\xB8\xAD"));
    ASSERT_TRUE(SynthesizeUtf8Text(window.Id(), kFace + kFace));
    std::string bytes;
    for (const Seen& s : Input()) {
        ASSERT_EQ(s.id, kMsgChar);
        bytes.push_back(static_cast<char>(s.wParam));
    }
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(bytes, "a?\xD6\xD0") << "a typed '?' stays";
    const std::string line = "no GBK form";
    ASSERT_NE(log.find(line), std::string::npos) << log;
    EXPECT_EQ(log.find(line, log.find(line) + 1), std::string::npos) << log;
}

TEST_F(SdlWindowTest, SizeMinimiseRestoreAndCloseFollowTheDisplay) {
    ASSERT_TRUE(SynthesizeWindowEvent(window.Id(), DisplayWindowEvent::Resized, 400, 300));
    ASSERT_TRUE(SynthesizeWindowEvent(window.Id(), DisplayWindowEvent::Resized, 400, 300));
    ASSERT_TRUE(SynthesizeWindowEvent(window.Id(), DisplayWindowEvent::Minimised));
    ASSERT_TRUE(SynthesizeWindowEvent(window.Id(), DisplayWindowEvent::Minimised));
    std::vector<Seen> seen = Deliver();
    EXPECT_EQ(seen, (std::vector<Seen>{Seen{kMsgSize, kSizeRestored, PackSize(400, 300)},
                                       Seen{kMsgSize, kSizeMinimised, 0}}));
    EXPECT_EQ(top->Surface().Width(), 400);
    EXPECT_EQ(top->ClientRect(), (ScreenRect{100, 50, 500, 350}));
    EXPECT_TRUE(IsMinimised(window.Id()));

    ASSERT_TRUE(SynthesizeWindowEvent(window.Id(), DisplayWindowEvent::Restored));
    ASSERT_TRUE(SynthesizeWindowEvent(window.Id(), DisplayWindowEvent::Maximised));
    ASSERT_TRUE(SynthesizeWindowEvent(window.Id(), DisplayWindowEvent::Exposed));
    seen = Deliver();
    EXPECT_EQ(seen, (std::vector<Seen>{Seen{kMsgSize, kSizeRestored, PackSize(400, 300)},
                                       Seen{kMsgSize, kSizeMaximised, PackSize(400, 300)},
                                       Seen{kMsgPaint, 0, 0}}));
    EXPECT_FALSE(IsMinimised(window.Id()));

    // What the program asks for says the same.
    top->Minimise();
    top->Restore();
    top->SetClientSize(10, 20);
    seen = Deliver();
    EXPECT_EQ(seen, (std::vector<Seen>{Seen{kMsgSize, kSizeMinimised, 0},
                                       Seen{kMsgSize, kSizeRestored, PackSize(400, 300)},
                                       Seen{kMsgSize, kSizeRestored, PackSize(10, 20)}}));

    const WindowId id = window.Id();
    ASSERT_TRUE(SynthesizeWindowEvent(id, DisplayWindowEvent::Close));
    seen = Deliver();
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen[0].id, kMsgClose);
    EXPECT_FALSE(IsWindow(id));  // closing destroys by default
}

TEST_F(SdlWindowTest, FocusFollowsTheDisplayAndForgetsHeldKeysAndCapture) {
    ASSERT_TRUE(SynthesizeWindowEvent(window.Id(), DisplayWindowEvent::FocusGained));
    EXPECT_EQ(Deliver(), (std::vector<Seen>{Seen{kMsgSetFocus, 0, 0}}));
    EXPECT_EQ(GetFocus(), window.Id());

    ASSERT_TRUE(SynthesizeKey(window.Id(), 0xA0, true));  // left Shift
    Deliver();
    SetCapture(window.Id());
    ASSERT_TRUE(IsKeyDown(kKeyShift));
    ASSERT_TRUE(SynthesizeWindowEvent(window.Id(), DisplayWindowEvent::FocusLost));
    EXPECT_EQ(Deliver(), (std::vector<Seen>{Seen{kMsgKillFocus, 0, 0}}));
    EXPECT_EQ(GetFocus(), 0u);
    EXPECT_EQ(GetCapture(), 0u);
    EXPECT_FALSE(IsKeyDown(kKeyShift));

    // The program's own request is sent at once.
    EXPECT_EQ(SetFocus(window.Id()), 0u);
    EXPECT_EQ(window.log.back().id, kMsgSetFocus);
    EXPECT_EQ(SetFocus(window.Id() + 1000), 0u);
    EXPECT_EQ(GetFocus(), window.Id());
}

TEST_F(SdlWindowTest, TheThreadsWaitWakesForPostsAndForDisplayEvents) {
    const WindowId id = window.Id();
    std::thread poster([id] { PostMessage(id, kMsgUser + 7, 1, 2); });
    Message m;
    do {
        ASSERT_TRUE(GetMessage(m));
    } while (m.id != kMsgUser + 7);
    poster.join();
    EXPECT_EQ(m.wParam, 1u);

    // An event that only the display's queue holds ends the wait too.
    std::thread user([id] { SynthesizeMouseMove(id, 4, 5); });
    do {
        ASSERT_TRUE(WaitMessage(60000));
        ASSERT_TRUE(GetMessage(m));
    } while (m.id != kMsgMouseMove);
    user.join();
    EXPECT_EQ(m.lParam, PackPoint(4, 5));
}

TEST_F(SdlWindowTest, PresentedPixelsReachTheDisplay) {
    DisplayBitmap bitmap;
    ASSERT_TRUE(bitmap.Create(2, 2, 32));
    const uint8_t pixels[16] = {0x10, 0x20, 0x30, 0, 0x10, 0x20, 0x30, 0,
                                0x10, 0x20, 0x30, 0, 0x10, 0x20, 0x30, 0};
    bitmap.SetBits(pixels, sizeof(pixels));
    ASSERT_TRUE(BlitToWindow(window.Id(), bitmap, 5, 6, 2, 2, 0, 0));
    EXPECT_EQ(top->ShownColorAt(6, 7), 0x102030u);
    EXPECT_EQ(top->ShownColorAt(4, 6), 0u);
    EXPECT_EQ(top->Surface().ColorAt(5, 6), 0x102030u);
}

TEST_F(SdlWindowTest, DisplayBackEndsAnswerForTheOpenWindows) {
    EXPECT_EQ(GetWindowRect(window.Id()), kClient);
    EXPECT_EQ(GetWindowRect(window.Id() + 1000), std::nullopt);

    const int count = DisplayCursorCount();
    EXPECT_EQ(ShowCursor(false), count - 1);
    EXPECT_EQ(ShowCursor(true), count);
    SetCursor(SystemCursor(kCursorHand));
    EXPECT_EQ(DisplayCursorShape(), SystemCursor(kCursorHand));
    EXPECT_EQ(GetCursor(), SystemCursor(kCursorHand));

    SetFocus(window.Id());
    ClipCursor(ScreenRect{90, 60, 200, 100});
    EXPECT_EQ(GetCursorClip(), (ScreenRect{90, 60, 200, 100}));
    ClipCursor(std::nullopt);
    EXPECT_EQ(GetCursorClip(), std::nullopt);

    // An installed back end still comes first.
    RecordingInputBackend recording;
    SetInputBackend(&recording);
    EXPECT_EQ(GetWindowRect(window.Id()), std::nullopt);
    // Each back end answers the shape it set itself.
    EXPECT_EQ(GetCursor(), 0u);
    SetCursor(SystemCursor(kCursorWait));
    EXPECT_EQ(GetCursor(), SystemCursor(kCursorWait));
    SetInputBackend(nullptr);
    EXPECT_EQ(GetCursor(), SystemCursor(kCursorHand));

    // A window that went before its events were read drops them.
    ASSERT_TRUE(SynthesizeMouseMove(window.Id(), 1, 1));
    top.reset();
    EXPECT_TRUE(Input().empty());
}

}  // namespace
