#include "platform/Cursor.h"

#include <mutex>

namespace platform {

namespace {

std::mutex backendMutex;
CursorBackend* installed = nullptr;
CursorBackend* display = nullptr;

CursorBackend& Backend() {
    static RecordingCursorBackend fallback;
    std::lock_guard<std::mutex> lock(backendMutex);
    if (installed != nullptr) {
        return *installed;
    }
    return display != nullptr ? *display : fallback;
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
    std::lock_guard<std::mutex> lock(backendMutex);
    installed = backend;
}

void SetDisplayCursorBackend(CursorBackend* backend) {
    std::lock_guard<std::mutex> lock(backendMutex);
    display = backend;
}

}  // namespace platform
