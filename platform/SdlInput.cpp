// The display's input and cursor back ends and the minimised query, which
// answer for the open top-level windows, and the key and pointer state the
// event pump keeps for them.

#include "platform/SdlInput.h"

#include <SDL.h>

#include <algorithm>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>

#include "platform/Cursor.h"
#include "platform/Cursors.h"
#include "platform/MessageQueue.h"
#include "platform/SdlDetail.h"
#include "platform/SdlWindow.h"
#include "platform/WindowState.h"

namespace platform {

namespace {

bool DisplayRunning() {
    return SDL_WasInit(SDL_INIT_VIDEO) != 0;
}

// --- what the events said ---

// The keys as the events left them, and as the display thread's input
// messages taken so far left them. Each change gets the next stamp; the
// display's input messages carry the stamp current when they were made
// (MessageQueue.h), so the changes up to the stamp of the message being
// handled make the state its handler reads.
struct TrackedInput {
    // A change of the held keys, one key or all of them released.
    struct Change {
        uint64_t stamp = 0;
        int virtualKey = 0;
        bool down = false;
        bool releaseAll = false;
    };
    // Changes that no taken message has reached are kept up to this many;
    // beyond it the oldest counts as taken.
    static constexpr size_t kMaxChanges = 4096;

    std::mutex mutex;
    ScreenPoint pointer;
    std::set<int> held;  // virtual keys, Shift, Control and Alt by side
    uint64_t stamp = 1;  // of the last change (messages are never stamped 0)
    std::set<int> heldAsTaken;
    std::deque<Change> changes;  // after heldAsTaken, oldest first

    void Note(const Change& change) {
        change.releaseAll ? held.clear() : Apply(held, change);
        changes.push_back(change);
        if (changes.size() > kMaxChanges) {
            TakeChangesUpTo(changes.front().stamp);
        }
    }
    void TakeChangesUpTo(uint64_t upTo) {
        while (!changes.empty() && changes.front().stamp <= upTo) {
            const Change& change = changes.front();
            change.releaseAll ? heldAsTaken.clear() : Apply(heldAsTaken, change);
            changes.pop_front();
        }
    }
    static void Apply(std::set<int>& keys, const Change& change) {
        if (change.down) {
            keys.insert(change.virtualKey);
        } else {
            keys.erase(change.virtualKey);
        }
    }
};

TrackedInput& Tracked() {
    static auto* tracked = new TrackedInput;
    return *tracked;
}

// The side-specific codes a generic Shift, Control or Alt stands for.
std::pair<int, int> SidesOf(int virtualKey) {
    switch (virtualKey) {
        case kKeyShift:
            return {0xA0, 0xA1};
        case kKeyControl:
            return {0xA2, 0xA3};
        case kKeyMenu:
            return {0xA4, 0xA5};
        default:
            return {virtualKey, virtualKey};
    }
}

// --- cursor shapes ---

std::optional<SDL_SystemCursor> SdlSystemCursor(CursorHandle cursor) {
    switch (static_cast<int>(cursor)) {
        case kCursorArrow:
            return SDL_SYSTEM_CURSOR_ARROW;
        case kCursorIBeam:
            return SDL_SYSTEM_CURSOR_IBEAM;
        case kCursorWait:
            return SDL_SYSTEM_CURSOR_WAIT;
        case kCursorCross:
            return SDL_SYSTEM_CURSOR_CROSSHAIR;
        case kCursorSizeAll:
            return SDL_SYSTEM_CURSOR_SIZEALL;
        case kCursorNo:
            return SDL_SYSTEM_CURSOR_NO;
        case kCursorHand:
            return SDL_SYSTEM_CURSOR_HAND;
        default:
            return std::nullopt;
    }
}

SDL_Cursor* MakeColorCursor(const CursorImage& image) {
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<uint8_t*>(image.pixels.data()), image.width, image.height, 32, image.width * 4,
        SDL_PIXELFORMAT_ARGB8888);  // bytes blue, green, red, alpha
    if (surface == nullptr) {
        return nullptr;
    }
    SDL_Cursor* cursor = SDL_CreateColorCursor(surface, image.hotX, image.hotY);
    SDL_FreeSurface(surface);
    return cursor;
}

// No cursor at all: one transparent pixel.
CursorImage BlankCursor() {
    CursorImage image;
    image.width = image.height = 1;
    image.pixels.assign(4, 0);
    return image;
}

class SdlInputBackend final : public InputBackend {
public:
    ScreenPoint CursorPos() override {
        if (DisplayRunning() && !detail::IsHeadlessVideoDriver()) {
            ScreenPoint at;
            SDL_GetGlobalMouseState(&at.x, &at.y);
            return at;
        }
        return detail::TrackedPointer();
    }

    std::optional<ScreenRect> WindowRect(WindowId window) override {
        const TopLevelWindow* top = TopLevelWindow::Find(window);
        return top != nullptr ? std::optional(top->ClientRect()) : std::nullopt;
    }

    bool IsKeyDown(int virtualKey) override { return detail::KeyDownForHandler(virtualKey); }

    int ShowCursor(bool show) override {
        std::lock_guard lock(mutex_);
        count_ += show ? 1 : -1;
        if (DisplayRunning()) {
            SDL_ShowCursor(count_ >= 0 ? SDL_ENABLE : SDL_DISABLE);
        }
        return count_;
    }

    void SetCursor(CursorHandle cursor) override {
        std::lock_guard lock(mutex_);
        current_ = cursor;
        if (!DisplayRunning()) {
            return;
        }
        if (SDL_Cursor* shape = ShapeLocked(cursor)) {
            SDL_SetCursor(shape);
        }
        // A display started again shows the cursor whatever the count says.
        SDL_ShowCursor(count_ >= 0 ? SDL_ENABLE : SDL_DISABLE);
    }

    CursorHandle GetCursor() override { return Current(); }

    CursorHandle Current() {
        std::lock_guard lock(mutex_);
        return current_;
    }
    int Count() {
        std::lock_guard lock(mutex_);
        return count_;
    }

    // Frees every SDL cursor (before SDL's video goes).
    void ReleaseShapes() {
        std::lock_guard lock(mutex_);
        for (auto& [handle, shape] : shapes_) {
            if (shape != nullptr) {
                SDL_FreeCursor(shape);
            }
        }
        shapes_.clear();
    }

private:
    // A shape the display cannot make is remembered as null and not asked
    // for again.
    SDL_Cursor* ShapeLocked(CursorHandle cursor) {
        auto it = shapes_.find(cursor);
        if (it != shapes_.end()) {
            return it->second;
        }
        SDL_Cursor* shape = nullptr;
        if (cursor == 0) {
            shape = MakeColorCursor(BlankCursor());
        } else if (auto system = SdlSystemCursor(cursor)) {
            shape = SDL_CreateSystemCursor(*system);
        } else if (auto image = FindLoadedCursor(cursor)) {
            shape = MakeColorCursor(*image);
        }
        shapes_.emplace(cursor, shape);
        return shape;
    }

    std::mutex mutex_;
    int count_ = 0;  // the cursor shows while it is 0 or more
    CursorHandle current_ = 0;
    std::map<CursorHandle, SDL_Cursor*> shapes_;
};

class SdlCursorBackend final : public CursorBackend {
public:
    std::optional<ScreenRect> GetClip() override {
        std::lock_guard lock(mutex_);
        return clip_;
    }

    void SetClip(const std::optional<ScreenRect>& rect) override {
        std::lock_guard lock(mutex_);
        clip_ = rect;
        if (!DisplayRunning()) {
            return;
        }
        if (TopLevelWindow* old = TopLevelWindow::Find(clipped_)) {
            if (SDL_Window* sdl = detail::TopLevelEvents::Sdl(*old)) {
                SDL_SetWindowMouseRect(sdl, nullptr);
            }
        }
        clipped_ = 0;
        if (rect) {
            Confine(*rect);
        }
    }

    ScreenPoint ClientOrigin(WindowId window) override {
        const TopLevelWindow* top = TopLevelWindow::Find(window);
        if (top == nullptr) {
            return ScreenPoint{};
        }
        const ScreenRect rect = top->ClientRect();
        return ScreenPoint{rect.left, rect.top};
    }

    void Forget() {
        std::lock_guard lock(mutex_);
        clip_.reset();
        clipped_ = 0;
    }

private:
    // SDL confines the pointer per window: the part of the clip over the
    // focus window's client area, else over the capture window's.
    void Confine(const ScreenRect& rect) {
        for (WindowId candidate : {GetFocus(), GetCapture()}) {
            TopLevelWindow* top = TopLevelWindow::Find(candidate);
            SDL_Window* sdl = top != nullptr ? detail::TopLevelEvents::Sdl(*top) : nullptr;
            if (sdl == nullptr) {
                continue;
            }
            const ScreenRect client = top->ClientRect();
            const int left = std::max(rect.left, client.left);
            const int up = std::max(rect.top, client.top);
            const int right = std::min(rect.right, client.right);
            const int down = std::min(rect.bottom, client.bottom);
            if (right > left && down > up) {
                const SDL_Rect area{left - client.left, up - client.top, right - left, down - up};
                SDL_SetWindowMouseRect(sdl, &area);
                clipped_ = candidate;
                return;
            }
        }
    }

    std::mutex mutex_;
    std::optional<ScreenRect> clip_;
    WindowId clipped_ = 0;
};

SdlInputBackend& InputBackendOfDisplay() {
    static auto* backend = new SdlInputBackend;
    return *backend;
}

SdlCursorBackend& CursorBackendOfDisplay() {
    static auto* backend = new SdlCursorBackend;
    return *backend;
}

}  // namespace

CursorHandle DisplayCursorShape() {
    return InputBackendOfDisplay().Current();
}

int DisplayCursorCount() {
    return InputBackendOfDisplay().Count();
}

namespace detail {

void NotePointer(ScreenPoint screen) {
    TrackedInput& t = Tracked();
    std::lock_guard lock(t.mutex);
    t.pointer = screen;
}

void NoteKey(int virtualKey, bool down) {
    TrackedInput& t = Tracked();
    std::lock_guard lock(t.mutex);
    t.Note(TrackedInput::Change{++t.stamp, virtualKey, down, false});
}

void ForgetHeldKeys() {
    TrackedInput& t = Tracked();
    std::lock_guard lock(t.mutex);
    t.Note(TrackedInput::Change{++t.stamp, 0, false, true});
}

uint64_t InputStamp() {
    TrackedInput& t = Tracked();
    std::lock_guard lock(t.mutex);
    return t.stamp;
}

bool TrackedKeyDown(int virtualKey) {
    const auto [left, right] = SidesOf(virtualKey);
    TrackedInput& t = Tracked();
    std::lock_guard lock(t.mutex);
    return t.held.count(left) != 0 || t.held.count(right) != 0;
}

bool KeyDownForHandler(int virtualKey) {
    if (!IsDisplayThread()) {
        return TrackedKeyDown(virtualKey);
    }
    const std::optional<uint64_t> handled = InputStampBeingHandled();
    const auto [left, right] = SidesOf(virtualKey);
    TrackedInput& t = Tracked();
    std::lock_guard lock(t.mutex);
    if (!handled) {
        t.TakeChangesUpTo(t.stamp);
        return t.held.count(left) != 0 || t.held.count(right) != 0;
    }
    t.TakeChangesUpTo(*handled);
    return t.heldAsTaken.count(left) != 0 || t.heldAsTaken.count(right) != 0;
}

ScreenPoint TrackedPointer() {
    TrackedInput& t = Tracked();
    std::lock_guard lock(t.mutex);
    return t.pointer;
}

void AttachDisplayBackends() {
    SetDisplayInputBackend(&InputBackendOfDisplay());
    SetDisplayCursorBackend(&CursorBackendOfDisplay());
    SetDisplayMinimisedQuery([](WindowId window) {
        const TopLevelWindow* top = TopLevelWindow::Find(window);
        return top != nullptr && top->IsMinimised();
    });
}

void DetachDisplayBackends() {
    SetDisplayMinimisedQuery({});
    SetDisplayCursorBackend(nullptr);
    SetDisplayInputBackend(nullptr);
    InputBackendOfDisplay().ReleaseShapes();
    CursorBackendOfDisplay().Forget();
    ForgetHeldKeys();
}

}  // namespace detail

}  // namespace platform
