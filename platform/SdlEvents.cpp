// The display's events: the queue waiter of the display thread, which turns
// SDL's events into window messages, and the synthesized input that feeds
// SDL's queue.

#include "platform/SdlEvents.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/DoubleClick.h"
#include "platform/Input.h"
#include "platform/MessageQueue.h"
#include "platform/SdlDetail.h"
#include "platform/SdlWindow.h"
#include "platform/TextCodec.h"
#include "platform/WaitKeeper.h"

namespace platform {

namespace {

// Virtual keys of the state the events keep (Input.h has the rest).
constexpr int kKeyLButton = 0x01;
constexpr int kKeyRButton = 0x02;
constexpr int kKeyMButton = 0x04;
constexpr int kKeyF10 = 0x79;
constexpr int kKeyLShift = 0xA0;
constexpr int kKeyRShift = 0xA1;
constexpr int kKeyLControl = 0xA2;
constexpr int kKeyRControl = 0xA3;
constexpr int kKeyLMenu = 0xA4;
constexpr int kKeyRMenu = 0xA5;

// --- keys ---

struct KeyName {
    SDL_Keycode sym;
    SDL_Scancode scan;
    int vk;       // what the key messages carry
    int stateVk;  // what the key state keeps (the side for Shift, Control, Alt)
    bool extended;
};

constexpr KeyName kKeys[] = {
    {SDLK_RETURN, SDL_SCANCODE_RETURN, kKeyReturn, kKeyReturn, false},
    {SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, kKeyEscape, kKeyEscape, false},
    {SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, kKeyBack, kKeyBack, false},
    {SDLK_TAB, SDL_SCANCODE_TAB, kKeyTab, kKeyTab, false},
    {SDLK_SPACE, SDL_SCANCODE_SPACE, kKeySpace, kKeySpace, false},
    {SDLK_PAGEUP, SDL_SCANCODE_PAGEUP, kKeyPageUp, kKeyPageUp, true},
    {SDLK_PAGEDOWN, SDL_SCANCODE_PAGEDOWN, kKeyPageDown, kKeyPageDown, true},
    {SDLK_END, SDL_SCANCODE_END, kKeyEnd, kKeyEnd, true},
    {SDLK_HOME, SDL_SCANCODE_HOME, kKeyHome, kKeyHome, true},
    {SDLK_LEFT, SDL_SCANCODE_LEFT, kKeyLeft, kKeyLeft, true},
    {SDLK_UP, SDL_SCANCODE_UP, kKeyUp, kKeyUp, true},
    {SDLK_RIGHT, SDL_SCANCODE_RIGHT, kKeyRight, kKeyRight, true},
    {SDLK_DOWN, SDL_SCANCODE_DOWN, kKeyDown, kKeyDown, true},
    {SDLK_INSERT, SDL_SCANCODE_INSERT, 0x2D, 0x2D, true},
    {SDLK_DELETE, SDL_SCANCODE_DELETE, kKeyDelete, kKeyDelete, true},
    {SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, kKeyShift, kKeyLShift, false},
    {SDLK_RSHIFT, SDL_SCANCODE_RSHIFT, kKeyShift, kKeyRShift, false},
    {SDLK_LCTRL, SDL_SCANCODE_LCTRL, kKeyControl, kKeyLControl, false},
    {SDLK_RCTRL, SDL_SCANCODE_RCTRL, kKeyControl, kKeyRControl, true},
    {SDLK_LALT, SDL_SCANCODE_LALT, kKeyMenu, kKeyLMenu, false},
    {SDLK_RALT, SDL_SCANCODE_RALT, kKeyMenu, kKeyRMenu, true},
    {SDLK_PAUSE, SDL_SCANCODE_PAUSE, 0x13, 0x13, false},
    {SDLK_CAPSLOCK, SDL_SCANCODE_CAPSLOCK, 0x14, 0x14, false},
    {SDLK_PRINTSCREEN, SDL_SCANCODE_PRINTSCREEN, 0x2C, 0x2C, true},
    {SDLK_LGUI, SDL_SCANCODE_LGUI, 0x5B, 0x5B, true},
    {SDLK_RGUI, SDL_SCANCODE_RGUI, 0x5C, 0x5C, true},
    {SDLK_APPLICATION, SDL_SCANCODE_APPLICATION, 0x5D, 0x5D, true},
    {SDLK_KP_MULTIPLY, SDL_SCANCODE_KP_MULTIPLY, 0x6A, 0x6A, false},
    {SDLK_KP_PLUS, SDL_SCANCODE_KP_PLUS, 0x6B, 0x6B, false},
    {SDLK_KP_MINUS, SDL_SCANCODE_KP_MINUS, 0x6D, 0x6D, false},
    {SDLK_KP_PERIOD, SDL_SCANCODE_KP_PERIOD, 0x6E, 0x6E, false},
    {SDLK_KP_DIVIDE, SDL_SCANCODE_KP_DIVIDE, 0x6F, 0x6F, true},
    {SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, kKeyReturn, kKeyReturn, true},
    {SDLK_NUMLOCKCLEAR, SDL_SCANCODE_NUMLOCKCLEAR, 0x90, 0x90, true},
    {SDLK_SCROLLLOCK, SDL_SCANCODE_SCROLLLOCK, 0x91, 0x91, false},
    {SDLK_SEMICOLON, SDL_SCANCODE_SEMICOLON, 0xBA, 0xBA, false},
    {SDLK_EQUALS, SDL_SCANCODE_EQUALS, 0xBB, 0xBB, false},
    {SDLK_COMMA, SDL_SCANCODE_COMMA, 0xBC, 0xBC, false},
    {SDLK_MINUS, SDL_SCANCODE_MINUS, 0xBD, 0xBD, false},
    {SDLK_PERIOD, SDL_SCANCODE_PERIOD, 0xBE, 0xBE, false},
    {SDLK_SLASH, SDL_SCANCODE_SLASH, 0xBF, 0xBF, false},
    {SDLK_BACKQUOTE, SDL_SCANCODE_GRAVE, 0xC0, 0xC0, false},
    {SDLK_LEFTBRACKET, SDL_SCANCODE_LEFTBRACKET, 0xDB, 0xDB, false},
    {SDLK_BACKSLASH, SDL_SCANCODE_BACKSLASH, 0xDC, 0xDC, false},
    {SDLK_RIGHTBRACKET, SDL_SCANCODE_RIGHTBRACKET, 0xDD, 0xDD, false},
    {SDLK_QUOTE, SDL_SCANCODE_APOSTROPHE, 0xDE, 0xDE, false},
};

// Letters, digits, function keys and the keypad's digits follow their codes.
std::optional<KeyName> KeyOfSymbol(SDL_Keycode sym, SDL_Scancode scan) {
    for (const KeyName& key : kKeys) {
        if (key.sym == sym) {
            return key;
        }
    }
    auto plain = [](SDL_Keycode s, SDL_Scancode c, int vk) { return KeyName{s, c, vk, vk, false}; };
    if (sym >= SDLK_a && sym <= SDLK_z) {
        return plain(sym, scan, 'A' + (sym - SDLK_a));
    }
    if (sym >= SDLK_0 && sym <= SDLK_9) {
        return plain(sym, scan, '0' + (sym - SDLK_0));
    }
    if (sym >= SDLK_F1 && sym <= SDLK_F12) {
        return plain(sym, scan, 0x70 + (sym - SDLK_F1));
    }
    if (sym >= SDLK_KP_1 && sym <= SDLK_KP_9) {
        return plain(sym, scan, 0x61 + (sym - SDLK_KP_1));
    }
    if (sym == SDLK_KP_0) {
        return plain(sym, scan, 0x60);
    }
    // Keys of other layouts: the letter at that place on the keyboard.
    if (scan >= SDL_SCANCODE_A && scan <= SDL_SCANCODE_Z) {
        return plain(sym, scan, 'A' + (scan - SDL_SCANCODE_A));
    }
    return std::nullopt;
}

std::optional<KeyName> KeyOfVirtualKey(int vk) {
    for (const KeyName& key : kKeys) {
        if (key.stateVk == vk || key.vk == vk) {
            return key;
        }
    }
    auto plain = [vk](SDL_Keycode s, SDL_Scancode c) { return KeyName{s, c, vk, vk, false}; };
    if (vk >= 'A' && vk <= 'Z') {
        return plain(SDLK_a + (vk - 'A'), static_cast<SDL_Scancode>(SDL_SCANCODE_A + (vk - 'A')));
    }
    if (vk == '0') {
        return plain(SDLK_0, SDL_SCANCODE_0);
    }
    if (vk >= '1' && vk <= '9') {
        return plain(SDLK_1 + (vk - '1'), static_cast<SDL_Scancode>(SDL_SCANCODE_1 + (vk - '1')));
    }
    if (vk >= 0x70 && vk <= 0x7B) {
        return plain(SDLK_F1 + (vk - 0x70), static_cast<SDL_Scancode>(SDL_SCANCODE_F1 + vk - 0x70));
    }
    if (vk == 0x60) {
        return plain(SDLK_KP_0, SDL_SCANCODE_KP_0);
    }
    if (vk >= 0x61 && vk <= 0x69) {
        return plain(SDLK_KP_1 + (vk - 0x61),
                     static_cast<SDL_Scancode>(SDL_SCANCODE_KP_1 + (vk - 0x61)));
    }
    return std::nullopt;
}

// The character a key gives besides its key message, as the original
// platform's message translation does; 0 for none.
int ControlCharacterOf(int vk) {
    switch (vk) {
        case kKeyReturn:
        case kKeyBack:
        case kKeyTab:
        case kKeyEscape:
            return vk;
        default:
            break;
    }
    const bool control = detail::TrackedKeyDown(kKeyControl) && !detail::TrackedKeyDown(kKeyMenu);
    return control && vk >= 'A' && vk <= 'Z' ? vk - 'A' + 1 : 0;
}

// Posts a message made from the user's input, stamped with the key state the
// events have left so far, which its handler then reads (MessageQueue.h).
bool PostInput(WindowId window, uint32_t id, WParam wParam, LParam lParam) {
    return detail::PostInputMessage(window, id, wParam, lParam, detail::InputStamp());
}

// --- mouse ---

uint32_t MouseKeyState() {
    uint32_t state = 0;
    state |= detail::TrackedKeyDown(kKeyLButton) ? kMouseFlagLeft : 0;
    state |= detail::TrackedKeyDown(kKeyRButton) ? kMouseFlagRight : 0;
    state |= detail::TrackedKeyDown(kKeyMButton) ? kMouseFlagMiddle : 0;
    state |= detail::TrackedKeyDown(kKeyShift) ? kMouseFlagShift : 0;
    state |= detail::TrackedKeyDown(kKeyControl) ? kMouseFlagControl : 0;
    return state;
}

struct MouseTarget {
    WindowId window = 0;
    int x = 0;  // client coordinates
    int y = 0;
    bool captured = false;
};

// Who hears a mouse event at (x, y) of the SDL window: the capture window
// wherever the pointer is, else the window under it while the point lies in
// its client area. Notes the pointer on the way.
std::optional<MouseTarget> FindMouseTarget(uint32_t sdlId, int x, int y) {
    TopLevelWindow* under = detail::FindTopLevelBySdlId(sdlId);
    if (under == nullptr) {
        return std::nullopt;
    }
    const ScreenRect rect = under->ClientRect();
    const ScreenPoint screen{rect.left + x, rect.top + y};
    detail::NotePointer(screen);
    if (TopLevelWindow* capture = TopLevelWindow::Find(GetCapture())) {
        const ScreenRect to = capture->ClientRect();
        return MouseTarget{capture->Window(), screen.x - to.left, screen.y - to.top, true};
    }
    if (x < 0 || y < 0 || x >= under->ClientWidth() || y >= under->ClientHeight()) {
        return std::nullopt;
    }
    return MouseTarget{under->Window(), x, y, false};
}

void PostSetCursor(const MouseTarget& target, uint32_t cause) {
    if (!target.captured) {
        PostInput(target.window, kMsgSetCursor, target.window,
                  static_cast<LParam>(kHitClient | cause << 16));
    }
}

void TranslateMotion(const SDL_MouseMotionEvent& e) {
    if (auto target = FindMouseTarget(e.windowID, e.x, e.y)) {
        PostSetCursor(*target, kMsgMouseMove);
        PostInput(target->window, kMsgMouseMove, MouseKeyState(), PackPoint(target->x, target->y));
    }
}

// The presses of the display's mouse, paired into double clicks by the
// original platform's rule (the display's own click count is not used).
std::mutex g_clicksMutex;
DoubleClickRule g_clicks;

bool CompletesDoubleClick(const MouseTarget& target, int vk, uint32_t time) {
    std::lock_guard lock(g_clicksMutex);
    return g_clicks.Press(target.window, vk, time, target.x, target.y);
}

void TranslateButton(const SDL_MouseButtonEvent& e) {
    int vk = 0;
    uint32_t message = 0;  // the button's down message; up is +1, double click +2
    switch (e.button) {
        case SDL_BUTTON_LEFT:
            vk = kKeyLButton, message = kMsgLButtonDown;
            break;
        case SDL_BUTTON_RIGHT:
            vk = kKeyRButton, message = kMsgRButtonDown;
            break;
        case SDL_BUTTON_MIDDLE:
            vk = kKeyMButton, message = kMsgMButtonDown;
            break;
        default:
            return;
    }
    const bool down = e.type == SDL_MOUSEBUTTONDOWN;
    detail::NoteKey(vk, down);
    auto target = FindMouseTarget(e.windowID, e.x, e.y);
    if (!target) {
        if (down) {
            std::lock_guard lock(g_clicksMutex);
            g_clicks.Forget();
        }
        return;
    }
    if (down) {
        PostSetCursor(*target, message);
        TopLevelWindow* window = TopLevelWindow::Find(target->window);
        const bool twice = CompletesDoubleClick(*target, vk, e.timestamp);
        if (twice && window != nullptr && window->WantsDoubleClicks()) {
            message += 2;
        }
    } else {
        message += 1;
    }
    PostInput(target->window, message, MouseKeyState(), PackPoint(target->x, target->y));
}

// The wheel goes to the focus window (else the window under the pointer),
// with the pointer's screen position.
void TranslateWheel(const SDL_MouseWheelEvent& e) {
    TopLevelWindow* under = detail::FindTopLevelBySdlId(e.windowID);
    TopLevelWindow* focus = TopLevelWindow::Find(GetFocus());
    TopLevelWindow* target = focus != nullptr ? focus : under;
    if (target == nullptr || under == nullptr) {
        return;
    }
    const int notches = e.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.y : e.y;
    const long delta = std::clamp(static_cast<long>(notches) * kWheelDelta, -32768L, 32767L);
    if (delta == 0) {
        return;
    }
    const ScreenRect rect = under->ClientRect();
    const ScreenPoint screen{rect.left + e.mouseX, rect.top + e.mouseY};
    detail::NotePointer(screen);
    PostInput(target->Window(), kMsgMouseWheel, PackWheel(static_cast<int>(delta), MouseKeyState()),
              PackPoint(screen.x, screen.y));
}

// --- keyboard ---

// Keys and text go to the window the display names, else the focus window.
WindowId KeyboardTarget(uint32_t sdlId) {
    if (TopLevelWindow* window = detail::FindTopLevelBySdlId(sdlId)) {
        return window->Window();
    }
    return TopLevelWindow::Find(GetFocus()) != nullptr ? GetFocus() : 0;
}

void TranslateKey(const SDL_KeyboardEvent& e) {
    const auto key = KeyOfSymbol(e.keysym.sym, e.keysym.scancode);
    const WindowId window = KeyboardTarget(e.windowID);
    if (!key || window == 0) {
        return;
    }
    const bool down = e.type == SDL_KEYDOWN;
    const bool altBefore = detail::TrackedKeyDown(kKeyMenu);
    detail::NoteKey(key->stateVk, down);
    const bool alt = down ? detail::TrackedKeyDown(kKeyMenu) : altBefore;
    const bool system = alt || key->vk == kKeyF10;
    uint32_t bits = key->extended ? kKeyExtended : 0;
    bits |= alt ? kKeyAltHeld : 0;
    if (!down) {
        bits |= kKeyWasDown | kKeyReleasing;
    } else if (e.repeat != 0) {
        bits |= kKeyWasDown;
    }
    const uint32_t message =
        system ? (down ? kMsgSysKeyDown : kMsgSysKeyUp) : (down ? kMsgKeyDown : kMsgKeyUp);
    PostInput(window, message, static_cast<WParam>(key->vk), PackKeyData(1, bits));
    if (down && !system) {
        if (const int character = ControlCharacterOf(key->vk)) {
            PostInput(window, kMsgChar, static_cast<WParam>(character), PackKeyData(1, bits));
        }
    }
}

// Characters the program cannot hold (no GBK form) are not typed at all;
// the first time it happens the log says so.
void NoteDroppedCharacters() {
    static std::atomic<bool> logged{false};
    if (!logged.exchange(true)) {
        std::fprintf(stderr, "typed text: characters with no GBK form are dropped\n");
    }
}

void TranslateText(const SDL_TextInputEvent& e) {
    const WindowId window = KeyboardTarget(e.windowID);
    if (window == 0) {
        return;
    }
    const size_t length = strnlen(e.text, sizeof(e.text));
    size_t dropped = 0;
    const std::string gbk = Utf8ToGbkDroppingUnmapped(std::string_view(e.text, length), &dropped);
    if (dropped != 0) {
        NoteDroppedCharacters();
    }
    for (unsigned char byte : gbk) {
        PostInput(window, kMsgChar, byte, PackKeyData(1, 0));
    }
}

// --- window events ---

// While the thread holds its messages nobody paints: the window shows what
// its surface last held.
void ShowSurfaceAgain(TopLevelWindow& window) {
    WindowSurface& surface = window.Surface();
    if (SurfaceBackend* backend = surface.Backend()) {
        backend->Show(surface, PixelRect{0, 0, surface.Width(), surface.Height()});
    }
}

void TranslateWindowEvent(const SDL_WindowEvent& e) {
    TopLevelWindow* window = detail::FindTopLevelBySdlId(e.windowID);
    if (window == nullptr) {
        if (e.event == SDL_WINDOWEVENT_EXPOSED) {
            detail::PanelExposed(e.windowID);
        }
        return;
    }
    using Events = detail::TopLevelEvents;
    switch (e.event) {
        case SDL_WINDOWEVENT_SHOWN:
            Events::Shown(*window, true);
            break;
        case SDL_WINDOWEVENT_HIDDEN:
            Events::Shown(*window, false);
            break;
        case SDL_WINDOWEVENT_EXPOSED:
            if (detail::IsHoldingMessages()) {
                ShowSurfaceAgain(*window);
            } else {
                InvalidateRect(window->Window(), nullptr);
            }
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            Events::Resized(*window, e.data1, e.data2);
            break;
        case SDL_WINDOWEVENT_MOVED:
            Events::Moved(*window, ScreenPoint{e.data1, e.data2});
            break;
        case SDL_WINDOWEVENT_MINIMIZED:
            Events::Minimised(*window);
            break;
        case SDL_WINDOWEVENT_MAXIMIZED:
            Events::Maximised(*window);
            break;
        case SDL_WINDOWEVENT_RESTORED:
            Events::Restored(*window);
            break;
        case SDL_WINDOWEVENT_LEAVE:
            if (GetCapture() != window->Window()) {
                const ScreenRect rect = window->ClientRect();
                detail::NotePointer(ScreenPoint{rect.left - 1, rect.top - 1});
            }
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            detail::FocusGained(*window);
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            detail::FocusLost(*window);
            break;
        case SDL_WINDOWEVENT_CLOSE:
            PostMessage(window->Window(), kMsgClose, 0, 0);
            break;
        default:
            break;
    }
}

// --- the waiter ---

uint32_t WakeEventType() {
    static const uint32_t type = SDL_RegisterEvents(1);
    return type;
}

// A wake event is in SDL's queue: one is enough.
std::atomic<bool> g_wakePending{false};

void PushWake() {
    if (g_wakePending.exchange(true)) {
        return;
    }
    SDL_Event e{};
    e.type = WakeEventType();
    if (SDL_PushEvent(&e) != 1) {
        g_wakePending.store(false);
    }
}

void Translate(const SDL_Event& e) {
    switch (e.type) {
        case SDL_WINDOWEVENT:
            TranslateWindowEvent(e.window);
            break;
        case SDL_MOUSEMOTION:
            TranslateMotion(e.motion);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            TranslateButton(e.button);
            break;
        case SDL_MOUSEWHEEL:
            TranslateWheel(e.wheel);
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            TranslateKey(e.key);
            break;
        case SDL_TEXTINPUT:
            TranslateText(e.text);
            break;
        case SDL_QUIT:  // a signal asked the program to end
            detail::CloseTopLevelsOfThread();
            break;
        default:
            break;
    }
}

// Sleeps on SDL's queue, which a Wake fills with one event of its own (at
// most one waits at a time); Pump turns everything else into messages and
// brings the panel windows up to date. While panels are open it looks at
// them at least every kKeepDisplayEveryMs.
class DisplayEventWaiter final : public QueueWaiter {
public:
    DisplayEventWaiter() { WakeEventType(); }

    void Pump() override {
        SDL_Event e;
        while (SDL_PollEvent(&e) != 0) {
            if (e.type == WakeEventType()) {
                g_wakePending.store(false);
            } else {
                Translate(e);
            }
        }
        detail::SyncPanels();
    }

    void Wait(uint32_t timeoutMs) override {
        if (detail::HasPanels()) {
            timeoutMs = std::min(timeoutMs, detail::kKeepDisplayEveryMs);
        }
        const int timeout =
            timeoutMs == kInfinite ? -1 : static_cast<int>(std::min<uint32_t>(timeoutMs, INT_MAX));
        SDL_WaitEventTimeout(nullptr, timeout);
    }

    void Wake() override { PushWake(); }
};

// The event subsystem is held from start to stop, so the waiter's queue
// outlives the windows.
std::mutex g_eventsMutex;
bool g_eventsHeld = false;

// Fills in an event for the window's SDL window; false when it has none.
bool PrepareFor(WindowId window, uint32_t& sdlId) {
    TopLevelWindow* top = TopLevelWindow::Find(window);
    SDL_Window* sdl = top != nullptr ? detail::TopLevelEvents::Sdl(*top) : nullptr;
    if (sdl == nullptr) {
        return false;
    }
    sdlId = SDL_GetWindowID(sdl);
    return true;
}

bool Push(SDL_Event& e) {
    e.common.timestamp = SDL_GetTicks();
    return SDL_PushEvent(&e) == 1;
}

}  // namespace

namespace detail {

void StartDisplayEvents() {
    {
        std::lock_guard lock(g_eventsMutex);
        if (!g_eventsHeld) {
            if (SDL_InitSubSystem(SDL_INIT_EVENTS) != 0) {
                return;
            }
            g_eventsHeld = true;
        }
    }
    SetQueueWaiter(std::make_unique<DisplayEventWaiter>());
    SetWaitKeeper(&KeepDisplayWhileBlocked);
}

void StopDisplayEvents() {
    SetWaitKeeper(nullptr);
    SetQueueWaiter(nullptr);
    std::lock_guard lock(g_eventsMutex);
    if (g_eventsHeld) {
        g_eventsHeld = false;
        SDL_QuitSubSystem(SDL_INIT_EVENTS);
    }
}

void WakeDisplay() {
    std::lock_guard lock(g_eventsMutex);
    if (g_eventsHeld) {
        PushWake();
    }
}

}  // namespace detail

// --- synthesized input ---

bool SynthesizeMouseMove(WindowId window, int x, int y) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    if (!PrepareFor(window, e.motion.windowID)) {
        return false;
    }
    e.motion.x = x;
    e.motion.y = y;
    return Push(e);
}

bool SynthesizeMouseButton(WindowId window, MouseButton button, bool down, int x, int y,
                           int clicks) {
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    if (!PrepareFor(window, e.button.windowID)) {
        return false;
    }
    e.button.button = button == MouseButton::Left    ? SDL_BUTTON_LEFT
                      : button == MouseButton::Right ? SDL_BUTTON_RIGHT
                                                     : SDL_BUTTON_MIDDLE;
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.button.clicks = static_cast<uint8_t>(std::clamp(clicks, 1, 255));
    e.button.x = x;
    e.button.y = y;
    return Push(e);
}

bool SynthesizeMouseWheel(WindowId window, int notches, int x, int y) {
    SDL_Event e{};
    e.type = SDL_MOUSEWHEEL;
    if (!PrepareFor(window, e.wheel.windowID)) {
        return false;
    }
    e.wheel.y = notches;
    e.wheel.preciseY = static_cast<float>(notches);
    e.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
    e.wheel.mouseX = x;
    e.wheel.mouseY = y;
    return Push(e);
}

bool SynthesizeKey(WindowId window, int virtualKey, bool down, bool repeat) {
    const auto key = KeyOfVirtualKey(virtualKey);
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    if (!key || !PrepareFor(window, e.key.windowID)) {
        return false;
    }
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.repeat = repeat ? 1 : 0;
    e.key.keysym.sym = key->sym;
    e.key.keysym.scancode = key->scan;
    return Push(e);
}

bool SynthesizeText(WindowId window, std::string_view gbk) {
    return SynthesizeUtf8Text(window, GbkToUtf8(gbk));
}

bool SynthesizeUtf8Text(WindowId window, std::string_view utf8) {
    uint32_t sdlId = 0;
    if (!PrepareFor(window, sdlId)) {
        return false;
    }
    // One event holds up to 31 bytes; characters are never split.
    size_t start = 0;
    while (start < utf8.size()) {
        SDL_Event e{};
        e.type = SDL_TEXTINPUT;
        e.text.windowID = sdlId;
        size_t end = std::min(utf8.size(), start + sizeof(e.text.text) - 1);
        while (end < utf8.size() && end > start &&
               (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) {
            --end;
        }
        std::memcpy(e.text.text, utf8.data() + start, end - start);
        if (!Push(e)) {
            return false;
        }
        start = end;
    }
    return true;
}

bool SynthesizeWindowEvent(WindowId window, DisplayWindowEvent event, int width, int height) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    if (!PrepareFor(window, e.window.windowID)) {
        return false;
    }
    switch (event) {
        case DisplayWindowEvent::Exposed:
            e.window.event = SDL_WINDOWEVENT_EXPOSED;
            break;
        case DisplayWindowEvent::Resized:
            e.window.event = SDL_WINDOWEVENT_SIZE_CHANGED;
            e.window.data1 = width;
            e.window.data2 = height;
            break;
        case DisplayWindowEvent::Moved:
            e.window.event = SDL_WINDOWEVENT_MOVED;
            e.window.data1 = width;
            e.window.data2 = height;
            break;
        case DisplayWindowEvent::Minimised:
            e.window.event = SDL_WINDOWEVENT_MINIMIZED;
            break;
        case DisplayWindowEvent::Maximised:
            e.window.event = SDL_WINDOWEVENT_MAXIMIZED;
            break;
        case DisplayWindowEvent::Restored:
            e.window.event = SDL_WINDOWEVENT_RESTORED;
            break;
        case DisplayWindowEvent::Leave:
            e.window.event = SDL_WINDOWEVENT_LEAVE;
            break;
        case DisplayWindowEvent::FocusGained:
            e.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
            break;
        case DisplayWindowEvent::FocusLost:
            e.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
            break;
        case DisplayWindowEvent::Close:
            e.window.event = SDL_WINDOWEVENT_CLOSE;
            break;
    }
    return Push(e);
}

}  // namespace platform
