#include "platform/PanelWindow.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>
#include <utility>

#include "platform/SdlDetail.h"
#include "platform/TextCodec.h"

namespace platform {

namespace detail {

// What a panel's owner published (guarded by the panel registry's mutex),
// and what the display's thread last put on the screen (its own).
struct PanelState {
    std::string titleUtf8;
    std::shared_ptr<const PanelFrame> frame;
    uint64_t published = 0;  // frames published so far
    ScreenPoint position;
    bool visible = false;
    bool closed = false;

    // The display's thread only.
    SDL_Window* sdl = nullptr;
    uint32_t sdlId = 0;
    bool failed = false;  // no window could be made: not tried again
    uint64_t shown = 0;   // the frame number on the screen
    ScreenPoint shownPosition;
    bool shownVisible = false;
    int shownWidth = 0;
    int shownHeight = 0;
    bool exposed = false;

    std::atomic<int> presented{0};
};

}  // namespace detail

namespace {

using detail::PanelState;

struct PanelRegistry {
    std::mutex mutex;
    std::vector<std::shared_ptr<PanelState>> panels;
};

PanelRegistry& Panels() {
    static auto* registry = new PanelRegistry;  // outlives static panels
    return *registry;
}

constexpr size_t kPanelPixelBytes = 4;

// What a panel's owner last asked for.
struct Published {
    std::shared_ptr<const PanelFrame> frame;
    uint64_t number = 0;
    ScreenPoint position;
    bool visible = false;
    bool closed = false;
};

Published ReadPublished(const PanelState& state) {
    std::lock_guard lock(Panels().mutex);
    return Published{state.frame, state.published, state.position, state.visible, state.closed};
}

void DestroySdl(PanelState& state) {
    if (state.sdl != nullptr) {
        SDL_DestroyWindow(state.sdl);
        state.sdl = nullptr;
        state.sdlId = 0;
    }
}

// The X window behind an SDL window, when SDL shows it through X11.
struct X11Panel {
    ::Display* display = nullptr;
    ::Window window = 0;
};

X11Panel X11PanelOf(SDL_Window* sdl) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (sdl == nullptr || !SDL_GetWindowWMInfo(sdl, &info) || info.subsystem != SDL_SYSWM_X11) {
        return {};
    }
    return X11Panel{info.info.x11.display, info.info.x11.window};
}

// A panel never takes the keyboard. SDL hands the X input focus to every
// window it shows on a display without a window manager, and that focus
// goes to None when the window is unmapped again, so no key reaches the
// program afterwards. On X11 a panel is therefore mapped and unmapped here.
// (A panel is a tooltip window, which SDL makes override-redirect: no window
// manager gives it the focus.)
void ShowSdl(SDL_Window* sdl, bool show) {
    const X11Panel x11 = X11PanelOf(sdl);
    if (x11.display == nullptr || x11.window == 0) {
        show ? SDL_ShowWindow(sdl) : SDL_HideWindow(sdl);
        return;
    }
    if (show) {
        XMapRaised(x11.display, x11.window);
    } else {
        XUnmapWindow(x11.display, x11.window);
    }
    XFlush(x11.display);
}

bool MakeSdl(PanelState& state, const PanelFrame& frame, ScreenPoint at) {
    if (state.failed || SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        return false;
    }
    const uint32_t flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP |
                           SDL_WINDOW_SKIP_TASKBAR | SDL_WINDOW_TOOLTIP;
    state.sdl =
        SDL_CreateWindow(state.titleUtf8.c_str(), at.x, at.y, frame.width, frame.height, flags);
    if (state.sdl == nullptr) {
        state.failed = true;
        return false;
    }
    state.sdlId = SDL_GetWindowID(state.sdl);
    state.shownPosition = at;
    state.shownWidth = frame.width;
    state.shownHeight = frame.height;
    return true;
}

// Brings one panel's window up to what its owner asked for.
void SyncPanel(PanelState& state, const Published& wanted) {
    if (!wanted.frame) {
        return;  // nothing to show yet
    }
    const PanelFrame& frame = *wanted.frame;
    if (state.sdl == nullptr && !MakeSdl(state, frame, wanted.position)) {
        return;
    }
    if (frame.width != state.shownWidth || frame.height != state.shownHeight) {
        SDL_SetWindowSize(state.sdl, frame.width, frame.height);
        state.shownWidth = frame.width;
        state.shownHeight = frame.height;
        state.exposed = true;
    }
    if (!(wanted.position == state.shownPosition)) {
        SDL_SetWindowPosition(state.sdl, wanted.position.x, wanted.position.y);
        state.shownPosition = wanted.position;
    }
    if (wanted.visible != state.shownVisible) {
        ShowSdl(state.sdl, wanted.visible);
        state.exposed = state.exposed || wanted.visible;
        state.shownVisible = wanted.visible;
    }
    const bool fresh = wanted.number != state.shown;
    if (!state.shownVisible || !(fresh || state.exposed)) {
        return;
    }
    detail::PresentPixelsToSdlWindow(state.sdl, frame.pixels.data(), frame.width, frame.height, 32,
                                     static_cast<size_t>(frame.width) * kPanelPixelBytes,
                                     PixelRect{0, 0, frame.width, frame.height});
    state.exposed = false;
    if (fresh) {
        state.shown = wanted.number;
        ++state.presented;
    }
}

}  // namespace

// --- frames ---

PanelFrame PanelFrame::Filled(int width, int height, uint32_t color) {
    PanelFrame frame;
    if (width <= 0 || height <= 0 || width > kMaxPanelSide || height > kMaxPanelSide) {
        return frame;
    }
    frame.width = width;
    frame.height = height;
    frame.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height) *
                        kPanelPixelBytes);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            frame.SetColorAt(x, y, color);
        }
    }
    return frame;
}

bool PanelFrame::IsValid() const {
    return width > 0 && height > 0 && width <= kMaxPanelSide && height <= kMaxPanelSide &&
           pixels.size() ==
               static_cast<size_t>(width) * static_cast<size_t>(height) * kPanelPixelBytes;
}

uint32_t PanelFrame::ColorAt(int x, int y) const {
    if (!IsValid() || x < 0 || y < 0 || x >= width || y >= height) {
        return 0;
    }
    const uint8_t* p = pixels.data() + (static_cast<size_t>(y) * static_cast<size_t>(width) +
                                        static_cast<size_t>(x)) *
                                           kPanelPixelBytes;
    return static_cast<uint32_t>(p[2]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[0]) << 16;
}

void PanelFrame::SetColorAt(int x, int y, uint32_t color) {
    if (!IsValid() || x < 0 || y < 0 || x >= width || y >= height) {
        return;
    }
    uint8_t* p = pixels.data() +
                 (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) *
                     kPanelPixelBytes;
    p[0] = static_cast<uint8_t>(color >> 16);
    p[1] = static_cast<uint8_t>(color >> 8);
    p[2] = static_cast<uint8_t>(color);
    p[3] = 0;
}

// --- panels ---

PanelWindow::PanelWindow(std::string_view title) : state_(std::make_shared<PanelState>()) {
    state_->titleUtf8 = GbkToUtf8(title);
    PanelRegistry& reg = Panels();
    std::lock_guard lock(reg.mutex);
    reg.panels.push_back(state_);
}

PanelWindow::~PanelWindow() {
    PanelRegistry& reg = Panels();
    if (detail::IsDisplayThread()) {
        DestroySdl(*state_);
    } else if (detail::DisplayThread() != 0) {
        {
            std::lock_guard lock(reg.mutex);
            state_->closed = true;
        }
        detail::WakeDisplay();
        return;
    }
    std::lock_guard lock(reg.mutex);
    std::erase(reg.panels, state_);
}

bool PanelWindow::Publish(PanelFrame frame) {
    if (!frame.IsValid()) {
        return false;
    }
    auto shared = std::make_shared<const PanelFrame>(std::move(frame));
    {
        std::lock_guard lock(Panels().mutex);
        state_->frame = std::move(shared);
        ++state_->published;
    }
    detail::WakeDisplay();
    return true;
}

void PanelWindow::MoveTo(ScreenPoint topLeft) {
    {
        std::lock_guard lock(Panels().mutex);
        state_->position = topLeft;
    }
    detail::WakeDisplay();
}

void PanelWindow::Show(bool show) {
    {
        std::lock_guard lock(Panels().mutex);
        state_->visible = show;
    }
    detail::WakeDisplay();
}

PanelFrame PanelWindow::NewestFrame() const {
    std::lock_guard lock(Panels().mutex);
    return state_->frame ? *state_->frame : PanelFrame{};
}

ScreenPoint PanelWindow::Position() const {
    std::lock_guard lock(Panels().mutex);
    return state_->position;
}

bool PanelWindow::IsVisible() const {
    std::lock_guard lock(Panels().mutex);
    return state_->visible;
}

int PanelWindow::PresentedFrames() const {
    return state_->presented.load();
}

uint32_t PanelWindow::ShownColorAt(int x, int y) const {
    if (!detail::IsDisplayThread()) {
        return 0;
    }
    return detail::SdlWindowColorAt(state_->sdl, x, y);
}

// --- the display's side ---

namespace detail {

void SyncPanels() {
    if (!IsDisplayThread()) {
        return;
    }
    PanelRegistry& reg = Panels();
    std::vector<std::shared_ptr<PanelState>> panels;
    {
        std::lock_guard lock(reg.mutex);
        panels = reg.panels;
    }
    for (const auto& panel : panels) {
        const Published wanted = ReadPublished(*panel);
        if (wanted.closed) {
            DestroySdl(*panel);
            std::lock_guard lock(reg.mutex);
            std::erase(reg.panels, panel);
            continue;
        }
        SyncPanel(*panel, wanted);
    }
}

bool PanelExposed(uint32_t sdlWindowId) {
    std::lock_guard lock(Panels().mutex);
    for (const auto& panel : Panels().panels) {
        if (panel->sdl != nullptr && panel->sdlId == sdlWindowId) {
            panel->exposed = true;
            return true;
        }
    }
    return false;
}

void DropPanelWindows() {
    PanelRegistry& reg = Panels();
    std::lock_guard lock(reg.mutex);
    for (const auto& panel : reg.panels) {
        DestroySdl(*panel);
        panel->failed = false;
        panel->shownVisible = false;
        panel->exposed = true;
    }
    std::erase_if(reg.panels, [](const auto& panel) { return panel->closed; });
}

bool HasPanels() {
    std::lock_guard lock(Panels().mutex);
    return !Panels().panels.empty();
}

}  // namespace detail

}  // namespace platform
