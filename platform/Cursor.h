#pragma once
// The mouse cursor's confinement: the clip rectangle in force (screen
// coordinates) and where a window's client area starts on the screen.
//
// Rules:
//  - A clip stays until it is replaced; setting "none" lifts it.
//  - Calls go to the installed back end; without one, to the display's back
//    end while top-level windows are open (SdlInput.h); else to the default
//    back end, which only records: it keeps the clip in force and every clip
//    request in order, and answers the client origins it was told (0, 0 for
//    any other window).

#include <optional>
#include <utility>
#include <vector>

#include "platform/Messages.h"

namespace platform {

struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const ScreenRect&) const = default;
};

struct ScreenPoint {
    int x = 0;
    int y = 0;
    bool operator==(const ScreenPoint&) const = default;
};

class CursorBackend {
public:
    virtual ~CursorBackend() = default;
    virtual std::optional<ScreenRect> GetClip() = 0;
    virtual void SetClip(const std::optional<ScreenRect>& rect) = 0;
    virtual ScreenPoint ClientOrigin(WindowId window) = 0;
};

class RecordingCursorBackend : public CursorBackend {
public:
    std::optional<ScreenRect> GetClip() override { return clip_; }
    void SetClip(const std::optional<ScreenRect>& rect) override;
    ScreenPoint ClientOrigin(WindowId window) override;

    void SetClientOrigin(WindowId window, ScreenPoint origin);
    // Every SetClip so far, oldest first.
    const std::vector<std::optional<ScreenRect>>& Requests() const { return requests_; }

private:
    std::optional<ScreenRect> clip_;
    std::vector<std::optional<ScreenRect>> requests_;
    std::vector<std::pair<WindowId, ScreenPoint>> origins_;
};

// The clip in force, or none.
std::optional<ScreenRect> GetCursorClip();
// Confines the cursor to the rectangle, or frees it with none.
void ClipCursor(const std::optional<ScreenRect>& rect);
// The screen position of a point of the window's client area, and back.
ScreenPoint ClientToScreen(WindowId window, ScreenPoint point);
ScreenPoint ScreenToClient(WindowId window, ScreenPoint point);

// Installs a back end that the caller keeps alive; null restores the
// default recording one.
void SetCursorBackend(CursorBackend* backend);
// The display's back end, used while no other is installed; null removes it.
void SetDisplayCursorBackend(CursorBackend* backend);

}  // namespace platform
