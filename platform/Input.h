#pragma once
// What the engine asks the system about the mouse and the keyboard: where the
// cursor is on the screen, where a window lies on it, whether a key is held,
// the cursor's display count and the cursor shape. Also the Windows numbers
// that input arrives in: virtual-key codes and the mouse messages' key-state
// bits.
//
// Rules:
//  - Calls go to the installed back end; without one, to the display's back
//    end while top-level windows are open (SdlInput.h); else to the default
//    back end, which only records: it answers the cursor position, window
//    rectangles and held keys it was told, keeps the display count (the
//    cursor shows while it is 0 or more, starting at 0) and the shape last
//    set. Every back end answers the shape it last set (GetCursor).
//  - System cursors have fixed handles (their Windows ids), valid for every
//    back end; handle 0 is no cursor.

#include <cstdint>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "platform/Cursor.h"
#include "platform/Messages.h"

namespace platform {

// A cursor shape.
using CursorHandle = uintptr_t;

// System cursor ids.
inline constexpr int kCursorArrow = 32512;
inline constexpr int kCursorIBeam = 32513;
inline constexpr int kCursorWait = 32514;
inline constexpr int kCursorCross = 32515;
inline constexpr int kCursorSizeAll = 32646;
inline constexpr int kCursorNo = 32648;
inline constexpr int kCursorHand = 32649;

// The handle of a system cursor; 0 for an id that names none.
CursorHandle SystemCursor(int id);

// Key-state bits of the mouse messages' flags word.
inline constexpr uint32_t kMouseFlagLeft = 0x1;
inline constexpr uint32_t kMouseFlagRight = 0x2;
inline constexpr uint32_t kMouseFlagShift = 0x4;
inline constexpr uint32_t kMouseFlagControl = 0x8;
inline constexpr uint32_t kMouseFlagMiddle = 0x10;

// Virtual-key codes the engine and its controls look at. Letters and digits
// are their upper-case ASCII codes.
inline constexpr int kKeyBack = 8;
inline constexpr int kKeyTab = 9;
inline constexpr int kKeyReturn = 13;
inline constexpr int kKeyShift = 16;
inline constexpr int kKeyControl = 17;
inline constexpr int kKeyMenu = 18;
inline constexpr int kKeyEscape = 27;
inline constexpr int kKeySpace = 32;
inline constexpr int kKeyPageUp = 33;
inline constexpr int kKeyPageDown = 34;
inline constexpr int kKeyEnd = 35;
inline constexpr int kKeyHome = 36;
inline constexpr int kKeyLeft = 37;
inline constexpr int kKeyUp = 38;
inline constexpr int kKeyRight = 39;
inline constexpr int kKeyDown = 40;
inline constexpr int kKeyDelete = 46;

class InputBackend {
public:
    virtual ~InputBackend() = default;
    virtual ScreenPoint CursorPos() = 0;
    // The window's rectangle on the screen; none when it does not exist.
    virtual std::optional<ScreenRect> WindowRect(WindowId window) = 0;
    virtual bool IsKeyDown(int virtualKey) = 0;
    // Raises (show) or lowers the display count by one; the new count.
    virtual int ShowCursor(bool show) = 0;
    virtual void SetCursor(CursorHandle cursor) = 0;
    // The shape last set (0 before any).
    virtual CursorHandle GetCursor() = 0;
};

class RecordingInputBackend : public InputBackend {
public:
    ScreenPoint CursorPos() override { return cursor_; }
    std::optional<ScreenRect> WindowRect(WindowId window) override;
    bool IsKeyDown(int virtualKey) override { return keysDown_.count(virtualKey) != 0; }
    int ShowCursor(bool show) override;
    void SetCursor(CursorHandle cursor) override;
    CursorHandle GetCursor() override { return current_; }

    void SetCursorPos(ScreenPoint point) { cursor_ = point; }
    void SetWindowRect(WindowId window, ScreenRect rect);
    void SetKeyDown(int virtualKey, bool down);

    int DisplayCount() const { return displayCount_; }
    bool CursorShown() const { return displayCount_ >= 0; }
    CursorHandle CurrentCursor() const { return current_; }
    // Every SetCursor so far, oldest first.
    const std::vector<CursorHandle>& CursorRequests() const { return requests_; }

private:
    ScreenPoint cursor_;
    std::vector<std::pair<WindowId, ScreenRect>> windows_;
    std::set<int> keysDown_;
    int displayCount_ = 0;
    CursorHandle current_ = 0;
    std::vector<CursorHandle> requests_;
};

ScreenPoint GetCursorPos();
std::optional<ScreenRect> GetWindowRect(WindowId window);
// As the handler of the message being handled sees the key (the display's
// back end: as the input messages taken so far left it), unless a
// HeldModifiersScope answers for it.
bool IsKeyDown(int virtualKey);

// Shift, Control and Alt (either side) as IsKeyDown answers them.
struct HeldModifiers {
    bool shift = false;
    bool control = false;
    bool alt = false;
};
HeldModifiers CurrentModifiers();

// For work that handles an input event after the message that brought it
// (a queue of its own): while the scope lives, IsKeyDown on its thread
// answers Shift, Control and Alt, either side, as they were when the event
// came. Other keys and other threads are not affected; scopes nest.
class HeldModifiersScope {
public:
    explicit HeldModifiersScope(const HeldModifiers& held);
    ~HeldModifiersScope();
    HeldModifiersScope(const HeldModifiersScope&) = delete;
    HeldModifiersScope& operator=(const HeldModifiersScope&) = delete;

private:
    HeldModifiers held_;
    const HeldModifiers* outer_;
};
// The new display count; the cursor shows while it is 0 or more.
int ShowCursor(bool show);
void SetCursor(CursorHandle cursor);
// The shape the back end in use last set, so a caller that changes it for a
// while can put back exactly what was shown.
CursorHandle GetCursor();

// Installs a back end that the caller keeps alive; null restores the
// default recording one.
void SetInputBackend(InputBackend* backend);
// The display's back end, used while no other is installed; null removes it.
void SetDisplayInputBackend(InputBackend* backend);

}  // namespace platform
