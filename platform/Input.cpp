#include "platform/Input.h"

#include "platform/BackendSlot.h"

namespace platform {

namespace {

detail::BackendSlot<InputBackend, RecordingInputBackend>& Slot() {
    static detail::BackendSlot<InputBackend, RecordingInputBackend> slot;
    return slot;
}

InputBackend& Backend() {
    return Slot().Current();
}

}  // namespace

CursorHandle SystemCursor(int id) {
    switch (id) {
        case kCursorArrow:
        case kCursorIBeam:
        case kCursorWait:
        case kCursorCross:
        case kCursorSizeAll:
        case kCursorNo:
        case kCursorHand:
            return static_cast<CursorHandle>(id);
        default:
            return 0;
    }
}

std::optional<ScreenRect> RecordingInputBackend::WindowRect(WindowId window) {
    for (const auto& [id, rect] : windows_) {
        if (id == window) {
            return rect;
        }
    }
    return std::nullopt;
}

int RecordingInputBackend::ShowCursor(bool show) {
    displayCount_ += show ? 1 : -1;
    return displayCount_;
}

void RecordingInputBackend::SetCursor(CursorHandle cursor) {
    current_ = cursor;
    requests_.push_back(cursor);
}

void RecordingInputBackend::SetWindowRect(WindowId window, ScreenRect rect) {
    for (auto& [id, known] : windows_) {
        if (id == window) {
            known = rect;
            return;
        }
    }
    windows_.emplace_back(window, rect);
}

void RecordingInputBackend::SetKeyDown(int virtualKey, bool down) {
    if (down) {
        keysDown_.insert(virtualKey);
    } else {
        keysDown_.erase(virtualKey);
    }
}

ScreenPoint GetCursorPos() {
    return Backend().CursorPos();
}

std::optional<ScreenRect> GetWindowRect(WindowId window) {
    return Backend().WindowRect(window);
}

namespace {

thread_local const HeldModifiers* t_heldModifiers = nullptr;

// The answer of the scope in force for a modifier key; none for other keys.
std::optional<bool> ScopedModifier(int virtualKey) {
    if (t_heldModifiers == nullptr) {
        return std::nullopt;
    }
    switch (virtualKey) {
        case kKeyShift:
        case 0xA0:
        case 0xA1:
            return t_heldModifiers->shift;
        case kKeyControl:
        case 0xA2:
        case 0xA3:
            return t_heldModifiers->control;
        case kKeyMenu:
        case 0xA4:
        case 0xA5:
            return t_heldModifiers->alt;
        default:
            return std::nullopt;
    }
}

}  // namespace

bool IsKeyDown(int virtualKey) {
    if (const std::optional<bool> scoped = ScopedModifier(virtualKey)) {
        return *scoped;
    }
    return Backend().IsKeyDown(virtualKey);
}

HeldModifiers CurrentModifiers() {
    return HeldModifiers{IsKeyDown(kKeyShift), IsKeyDown(kKeyControl), IsKeyDown(kKeyMenu)};
}

HeldModifiersScope::HeldModifiersScope(const HeldModifiers& held)
    : held_(held), outer_(t_heldModifiers) {
    t_heldModifiers = &held_;
}

HeldModifiersScope::~HeldModifiersScope() {
    t_heldModifiers = outer_;
}

int ShowCursor(bool show) {
    return Backend().ShowCursor(show);
}

void SetCursor(CursorHandle cursor) {
    Backend().SetCursor(cursor);
}

CursorHandle GetCursor() {
    return Backend().GetCursor();
}

void SetInputBackend(InputBackend* backend) {
    Slot().Install(backend);
}

void SetDisplayInputBackend(InputBackend* backend) {
    Slot().InstallDisplay(backend);
}

}  // namespace platform
