#include "platform/TextInputArea.h"

#include <SDL.h>

#include <algorithm>
#include <mutex>

#include "platform/SdlDetail.h"
#include "platform/SdlWindow.h"

namespace platform {

namespace {

// Coordinates are held to this distance from the window's origin.
constexpr int kCoordinateLimit = 1 << 20;

struct LastPlacement {
    std::mutex mutex;
    std::optional<TextInputPlacement> placement;
};

LastPlacement& Last() {
    static auto* last = new LastPlacement;
    return *last;
}

}  // namespace

void SetTextInputArea(WindowId window, const PixelRect& area) {
    auto hold = [](int value) { return std::clamp(value, -kCoordinateLimit, kCoordinateLimit); };
    PixelRect held{hold(area.left), hold(area.top), hold(area.right), hold(area.bottom)};
    held.right = std::max(held.right, held.left + 1);
    held.bottom = std::max(held.bottom, held.top + 1);
    {
        LastPlacement& last = Last();
        std::lock_guard lock(last.mutex);
        last.placement = TextInputPlacement{window, held};
    }
    const TopLevelWindow* top = TopLevelWindow::Find(window);
    if (top == nullptr || detail::TopLevelEvents::Sdl(*top) == nullptr ||
        SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        return;
    }
    SDL_Rect rect{held.left, held.top, held.right - held.left, held.bottom - held.top};
    SDL_SetTextInputRect(&rect);
}

std::optional<TextInputPlacement> LastTextInputArea() {
    LastPlacement& last = Last();
    std::lock_guard lock(last.mutex);
    return last.placement;
}

}  // namespace platform
