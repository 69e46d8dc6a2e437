#include "platform/Screen.h"

#include <SDL.h>

#include <mutex>
#include <optional>

#include "platform/SdlDetail.h"
#include "platform/SdlWindow.h"

namespace platform {

namespace {

struct ScreenAreas {
    ScreenRect screen;
    ScreenRect workArea;
};

std::mutex g_testMutex;
std::optional<ScreenAreas> g_testScreen;

ScreenRect FromSdl(const SDL_Rect& rect) {
    return ScreenRect{rect.x, rect.y, rect.x + rect.w, rect.y + rect.h};
}

// What the display says; the fixed answer without one. The display is
// opened for the question when no window holds it open.
ScreenAreas ReadDisplay() {
    constexpr ScreenRect kNoDisplay{0, 0, kScreenWidthWithoutDisplay, kScreenHeightWithoutDisplay};
    ScreenAreas areas{kNoDisplay, kNoDisplay};
    const bool opened = SDL_WasInit(SDL_INIT_VIDEO) == 0;
    if (opened && !detail::StartSdlVideo()) {
        return areas;
    }
    SDL_Rect bounds;
    if (SDL_GetDisplayBounds(0, &bounds) == 0 && bounds.w > 0 && bounds.h > 0) {
        areas.screen = ScreenRect{0, 0, bounds.w, bounds.h};
        areas.workArea = FromSdl(bounds);
        SDL_Rect usable;
        if (SDL_GetDisplayUsableBounds(0, &usable) == 0 && usable.w > 0 && usable.h > 0) {
            areas.workArea = FromSdl(usable);
        }
        // Bounds are given from the display's own corner.
        areas.workArea.left -= bounds.x;
        areas.workArea.right -= bounds.x;
        areas.workArea.top -= bounds.y;
        areas.workArea.bottom -= bounds.y;
    }
    if (opened) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    return areas;
}

ScreenAreas CurrentAreas() {
    {
        std::lock_guard lock(g_testMutex);
        if (g_testScreen) {
            return *g_testScreen;
        }
    }
    return ReadDisplay();
}

}  // namespace

ScreenRect PrimaryScreenRect() {
    return CurrentAreas().screen;
}

ScreenRect WorkArea() {
    return CurrentAreas().workArea;
}

void SetScreenForTesting(const ScreenRect& screen, const ScreenRect& workArea) {
    std::lock_guard lock(g_testMutex);
    g_testScreen = ScreenAreas{screen, workArea};
}

void ResetScreenForTesting() {
    std::lock_guard lock(g_testMutex);
    g_testScreen.reset();
}

bool SetMaximumClientSize(WindowId window, int width, int height) {
    TopLevelWindow* top = TopLevelWindow::Find(window);
    if (top == nullptr) {
        return false;
    }
    top->SetMaximumClientSize(width, height);
    return true;
}

bool MoveWindowTo(WindowId window, const ScreenRect& rect) {
    TopLevelWindow* top = TopLevelWindow::Find(window);
    if (top == nullptr) {
        return false;
    }
    top->MoveTo(rect);
    return true;
}

bool SetCaptionStrip(WindowId window, int height) {
    TopLevelWindow* top = TopLevelWindow::Find(window);
    return top != nullptr && top->SetCaptionStrip(height);
}

bool BringWindowToFront(WindowId window) {
    TopLevelWindow* top = TopLevelWindow::Find(window);
    if (top == nullptr) {
        return false;
    }
    top->Raise();
    SetFocus(window);
    return true;
}

bool FlashWindowOnce(WindowId window) {
    TopLevelWindow* top = TopLevelWindow::Find(window);
    if (top == nullptr || GetFocus() == window) {
        return false;
    }
    top->FlashOnce();
    return true;
}

}  // namespace platform
