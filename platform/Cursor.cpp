#include "platform/Cursor.h"

#include "platform/BackendSlot.h"

namespace platform {

namespace {

detail::BackendSlot<CursorBackend, RecordingCursorBackend>& Slot() {
    static detail::BackendSlot<CursorBackend, RecordingCursorBackend> slot;
    return slot;
}

CursorBackend& Backend() {
    return Slot().Current();
}

}  // namespace

void RecordingCursorBackend::SetClip(const std::optional<ScreenRect>& rect) {
    clip_ = rect;
    requests_.push_back(rect);
}

ScreenPoint RecordingCursorBackend::ClientOrigin(WindowId window) {
    for (const auto& [id, origin] : origins_) {
        if (id == window) {
            return origin;
        }
    }
    return ScreenPoint{};
}

void RecordingCursorBackend::SetClientOrigin(WindowId window, ScreenPoint origin) {
    for (auto& [id, known] : origins_) {
        if (id == window) {
            known = origin;
            return;
        }
    }
    origins_.emplace_back(window, origin);
}

std::optional<ScreenRect> GetCursorClip() {
    return Backend().GetClip();
}

void ClipCursor(const std::optional<ScreenRect>& rect) {
    Backend().SetClip(rect);
}

ScreenPoint ClientToScreen(WindowId window, ScreenPoint point) {
    const ScreenPoint origin = Backend().ClientOrigin(window);
    return ScreenPoint{point.x + origin.x, point.y + origin.y};
}

ScreenPoint ScreenToClient(WindowId window, ScreenPoint point) {
    const ScreenPoint origin = Backend().ClientOrigin(window);
    return ScreenPoint{point.x - origin.x, point.y - origin.y};
}

void SetCursorBackend(CursorBackend* backend) {
    Slot().Install(backend);
}

void SetDisplayCursorBackend(CursorBackend* backend) {
    Slot().InstallDisplay(backend);
}

}  // namespace platform
