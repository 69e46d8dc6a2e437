#include "platform/SdlWindow.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/SdlDetail.h"
#include "platform/Sync.h"
#include "platform/TextCodec.h"
#include "platform/Thread.h"

namespace platform {

namespace {

// The open top-level windows. SDL's events are read by one thread, so the
// first thread that opens one is the display's until its last one closes;
// windows of other threads meanwhile get no SDL window.
struct TopLevelRegistry {
    std::mutex mutex;
    std::map<WindowId, TopLevelWindow*> byWindow;
    std::map<uint32_t, TopLevelWindow*> bySdlId;
    ThreadId displayThread = 0;
    int displayWindows = 0;  // open windows of the display thread
};

TopLevelRegistry& Registry() {
    static auto* registry = new TopLevelRegistry;  // outlives static windows
    return *registry;
}

std::atomic<WindowId> g_focus{0};
std::atomic<WindowId> g_capture{0};

bool DisplayRunning() {
    return SDL_WasInit(SDL_INIT_VIDEO) != 0;
}

// Claims the display for the calling thread; false when another thread has
// it. The first claim starts the thread's display events.
bool ClaimDisplay() {
    TopLevelRegistry& reg = Registry();
    const ThreadId me = CurrentThreadId();
    {
        std::lock_guard lock(reg.mutex);
        if (reg.displayThread != 0 && reg.displayThread != me) {
            return false;
        }
        reg.displayThread = me;
        if (reg.displayWindows++ > 0) {
            return true;
        }
    }
    detail::StartDisplayEvents();
    detail::AttachDisplayBackends();
    return true;
}

void ReleaseDisplay() {
    TopLevelRegistry& reg = Registry();
    ThreadId displayThread = 0;
    {
        std::lock_guard lock(reg.mutex);
        if (--reg.displayWindows > 0) {
            return;
        }
        displayThread = std::exchange(reg.displayThread, 0);
    }
    detail::DetachDisplayBackends();
    // Only the display thread can take its own waiter back; a window wrongly
    // destroyed elsewhere leaves it, and it keeps working without windows.
    if (displayThread == CurrentThreadId()) {
        detail::DropPanelWindows();
        detail::StopDisplayEvents();
    }
}

// TakeDisplay's hold: the thread that took it and whether it holds video.
struct TakenDisplay {
    std::mutex mutex;
    ThreadId thread = 0;
    bool video = false;
};

TakenDisplay& Taken() {
    static auto* taken = new TakenDisplay;
    return *taken;
}

// The length from `from` to `to`, held to 0..kMaxClientSide.
int ClampedSide(int from, int to) {
    const int64_t side = static_cast<int64_t>(to) - from;
    return static_cast<int>(std::clamp<int64_t>(side, 0, kMaxClientSide));
}

// Between two tries at a display that does not answer yet.
constexpr uint32_t kDisplayRetryMs = 100;

// Starts SDL video (one more hold on it) with the client's settings; false
// when it cannot start.
bool StartVideo() {
    if (!detail::StartSdlVideo()) {
        return false;
    }
    // Closing the last window is the program's business, not a quit.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // The click that gives a window the focus also reaches it, as users of
    // the original platform expect; SDL would drop a click that comes within
    // a few milliseconds of the focus.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    detail::PreferNativeFramebuffer();
    detail::EndProgramOnLostX11Display();
    return true;
}

SDL_Window* MakeSdlWindow(const TopLevelOptions& options) {
    if (!StartVideo()) {
        return nullptr;
    }
    uint32_t flags = SDL_WINDOW_HIDDEN;
    if (!options.framed) {
        flags |= SDL_WINDOW_BORDERLESS;
    }
    if (options.resizable) {
        flags |= SDL_WINDOW_RESIZABLE;
    }
    const ScreenRect& r = options.clientRect;
    SDL_Window* window = SDL_CreateWindow(GbkToUtf8(options.title).c_str(), r.left, r.top,
                                          std::max(ClampedSide(r.left, r.right), 1),
                                          std::max(ClampedSide(r.top, r.bottom), 1), flags);
    if (window == nullptr) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    return window;
}

}  // namespace

// Shows the surface's pixels in the SDL window of its top-level window.
class TopLevelWindow::Backend final : public SurfaceBackend {
public:
    explicit Backend(SDL_Window* window) : window_(window) {}

    void Resize(int width, int height) override {
        int w = 0, h = 0;
        SDL_GetWindowSize(window_, &w, &h);
        if (width > 0 && height > 0 && (w != width || h != height)) {
            SDL_SetWindowSize(window_, width, height);
        }
    }
    void Show(const WindowSurface& surface, const PixelRect& changed) override {
        detail::PresentToSdlWindow(window_, surface, changed);
    }
    uint32_t ShownColorAt(int x, int y) const override {
        return detail::SdlWindowColorAt(window_, x, y);
    }

private:
    SDL_Window* window_;
};

TopLevelOptions TopLevelOptionsFromStyle(std::string_view title, uint32_t style,
                                         const ScreenRect& clientRect) {
    TopLevelOptions options;
    options.title = std::string(title);
    options.clientRect = clientRect;
    options.visible = (style & kStyleVisible) != 0;
    options.framed = (style & kStyleCaption) == kStyleCaption;
    options.resizable = (style & kStyleThickFrame) != 0;
    options.maximised = (style & kStyleMaximise) != 0;
    options.minimised = (style & kStyleMinimise) != 0;
    return options;
}

// --- the display's thread ---

bool TakeDisplay() {
    TakenDisplay& taken = Taken();
    std::lock_guard lock(taken.mutex);
    if (taken.thread == CurrentThreadId()) {
        return true;
    }
    if (taken.thread != 0 || !ClaimDisplay()) {
        return false;
    }
    taken.thread = CurrentThreadId();
    taken.video = StartVideo();
    return true;
}

DisplayOpening OpenDisplay(uint32_t waitMs) {
    DisplayOpening opening;
    opening.display = detail::AskedDisplay();
    const bool asked = !opening.display.empty();
    if (!asked) {
        opening.display = "a display";
    }
    if (!TakeDisplay()) {
        opening.error = "another thread of the program holds the display";
        return opening;
    }
    TakenDisplay& taken = Taken();
    std::lock_guard lock(taken.mutex);
    const uint32_t start = GetTickCount32();
    while (!taken.video) {
        taken.video = StartVideo();
        if (!taken.video) {
            opening.error = SDL_GetError();
            if (!asked || GetTickCount32() - start >= waitMs) {
                break;
            }
            SleepMs(kDisplayRetryMs);
        }
    }
    opening.opened = taken.video;
    if (opening.opened) {
        opening.error.clear();
    }
    return opening;
}

void GiveBackDisplay() {
    TakenDisplay& taken = Taken();
    std::lock_guard lock(taken.mutex);
    if (taken.thread == 0 || taken.thread != CurrentThreadId()) {
        return;
    }
    taken.thread = 0;
    ReleaseDisplay();
    if (std::exchange(taken.video, false)) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
}

namespace detail {

ThreadId DisplayThread() {
    TopLevelRegistry& reg = Registry();
    std::lock_guard lock(reg.mutex);
    return reg.displayThread;
}

bool IsDisplayThread() {
    const ThreadId display = DisplayThread();
    return display != 0 && display == CurrentThreadId();
}

}  // namespace detail

// --- TopLevelWindow ---

TopLevelWindow::TopLevelWindow(WindowId window, const TopLevelOptions& options)
    : window_(window),
      title_(options.title),
      origin_{options.clientRect.left, options.clientRect.top},
      doubleClicks_(options.doubleClicks),
      movedTo_{options.clientRect.left, options.clientRect.top} {
    if (ClaimDisplay()) {
        sdl_ = MakeSdlWindow(options);
        if (sdl_ == nullptr) {
            ReleaseDisplay();
        }
    }
    sdlId_ = sdl_ != nullptr ? SDL_GetWindowID(sdl_) : 0;
    surface_ = std::make_unique<WindowSurface>(
        window, sdl_ != nullptr ? std::make_unique<Backend>(sdl_) : nullptr);
    {
        TopLevelRegistry& reg = Registry();
        std::lock_guard lock(reg.mutex);
        reg.byWindow[window_] = this;
        if (sdl_ != nullptr) {
            reg.bySdlId[sdlId_] = this;
        }
    }
    surface_->Resize(ClampedSide(options.clientRect.left, options.clientRect.right),
                     ClampedSide(options.clientRect.top, options.clientRect.bottom));
    maximised_ = options.maximised;
    if (options.visible) {
        Show(true);
    }
    if (options.minimised) {
        Minimise();
    }
}

TopLevelWindow::~TopLevelWindow() {
    {
        TopLevelRegistry& reg = Registry();
        std::lock_guard lock(reg.mutex);
        auto it = reg.byWindow.find(window_);
        if (it != reg.byWindow.end() && it->second == this) {
            reg.byWindow.erase(it);
        }
        reg.bySdlId.erase(sdlId_);
    }
    WindowId expected = window_;
    g_focus.compare_exchange_strong(expected, 0);
    expected = window_;
    if (g_capture.compare_exchange_strong(expected, 0) && DisplayRunning()) {
        SDL_CaptureMouse(SDL_FALSE);
    }
    surface_.reset();
    if (sdl_ != nullptr) {
        SDL_DestroyWindow(sdl_);
        ReleaseDisplay();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
}

TopLevelWindow* TopLevelWindow::Find(WindowId window) {
    TopLevelRegistry& reg = Registry();
    std::lock_guard lock(reg.mutex);
    auto it = reg.byWindow.find(window);
    return it == reg.byWindow.end() ? nullptr : it->second;
}

std::vector<WindowId> TopLevelWindow::AllWindows() {
    TopLevelRegistry& reg = Registry();
    std::lock_guard lock(reg.mutex);
    std::vector<WindowId> windows;
    windows.reserve(reg.byWindow.size());
    for (const auto& entry : reg.byWindow) {
        windows.push_back(entry.first);
    }
    return windows;
}

bool TopLevelWindow::IsOnScreen() const {
    return sdl_ != nullptr && !detail::IsHeadlessVideoDriver();
}

unsigned long TopLevelWindow::X11Window() const {
    if (sdl_ == nullptr) {
        return 0;
    }
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(sdl_, &info) || info.subsystem != SDL_SYSWM_X11) {
        return 0;
    }
    return static_cast<unsigned long>(info.info.x11.window);
}

ScreenRect TopLevelWindow::ClientRect() const {
    ScreenPoint at = origin_;
    if (sdl_ != nullptr) {
        SDL_GetWindowPosition(sdl_, &at.x, &at.y);
    }
    return ScreenRect{at.x, at.y, at.x + ClientWidth(), at.y + ClientHeight()};
}

void TopLevelWindow::SetClientSize(int width, int height) {
    ApplyClientSize(width, height, maximised_ ? kSizeMaximised : kSizeRestored);
}

void TopLevelWindow::SetMaximumClientSize(int width, int height) {
    maxWidth_ = width > 0 ? std::min(width, kMaxClientSide) : kMaxClientSide;
    maxHeight_ = height > 0 ? std::min(height, kMaxClientSide) : kMaxClientSide;
    if (sdl_ != nullptr) {
        SDL_SetWindowMaximumSize(sdl_, maxWidth_, maxHeight_);
    }
    ApplyClientSize(ClientWidth(), ClientHeight(), maximised_ ? kSizeMaximised : kSizeRestored);
}

void TopLevelWindow::ApplyClientSize(int width, int height, WParam kind) {
    width = std::clamp(width, 0, maxWidth_);
    height = std::clamp(height, 0, maxHeight_);
    if (width == ClientWidth() && height == ClientHeight()) {
        return;
    }
    surface_->Resize(width, height);
    PostSize(kind);
}

void TopLevelWindow::SetTitle(std::string_view gbk) {
    title_ = std::string(gbk);
    if (sdl_ != nullptr) {
        SDL_SetWindowTitle(sdl_, GbkToUtf8(gbk).c_str());
    }
}

void TopLevelWindow::Show(bool show) {
    visible_ = show;
    if (sdl_ == nullptr) {
        return;
    }
    if (!show) {
        SDL_HideWindow(sdl_);
        return;
    }
    SDL_ShowWindow(sdl_);
    if (maximised_) {
        SDL_MaximizeWindow(sdl_);
    }
}

void TopLevelWindow::Minimise() {
    if (sdl_ != nullptr) {
        SDL_MinimizeWindow(sdl_);
    }
    ApplyMinimised(true);
}

void TopLevelWindow::Restore() {
    if (sdl_ != nullptr) {
        SDL_RestoreWindow(sdl_);
    }
    detail::TopLevelEvents::Restored(*this);
}

void TopLevelWindow::MoveTo(const ScreenRect& clientRect) {
    const ScreenPoint corner{clientRect.left, clientRect.top};
    origin_ = corner;
    if (sdl_ != nullptr) {
        SDL_SetWindowAlwaysOnTop(sdl_, SDL_FALSE);
        SDL_SetWindowPosition(sdl_, corner.x, corner.y);
    }
    SetClientSize(ClampedSide(clientRect.left, clientRect.right),
                  ClampedSide(clientRect.top, clientRect.bottom));
    if (sdl_ != nullptr) {
        // The size the program asked for; SetClientSize changes it only when
        // the surface's size changed.
        surface_->Backend()->Resize(ClientWidth(), ClientHeight());
    }
    NoteMoved(corner);
}

void TopLevelWindow::NoteMoved(ScreenPoint corner) {
    if (corner == movedTo_) {
        return;
    }
    movedTo_ = corner;
    PostMessage(window_, kMsgMove, 0, PackPoint(corner.x, corner.y));
}

namespace {

SDL_HitTestResult CaptionHitTest(SDL_Window*, const SDL_Point* area, void* data) {
    const auto* window = static_cast<const TopLevelWindow*>(data);
    return window->IsCaptionPoint(area->x, area->y) ? SDL_HITTEST_DRAGGABLE : SDL_HITTEST_NORMAL;
}

}  // namespace

bool TopLevelWindow::SetCaptionStrip(int height) {
    captionStrip_ = std::clamp(height, 0, kMaxClientSide);
    if (sdl_ == nullptr) {
        return false;
    }
    return SDL_SetWindowHitTest(sdl_, captionStrip_ > 0 ? CaptionHitTest : nullptr, this) == 0 &&
           captionStrip_ > 0;
}

bool TopLevelWindow::IsCaptionPoint(int x, int y) const {
    return x >= 0 && y >= 0 && x < ClientWidth() && y < captionStrip_;
}

void TopLevelWindow::Raise() {
    if (sdl_ != nullptr) {
        SDL_RaiseWindow(sdl_);
    }
}

void TopLevelWindow::FlashOnce() {
    ++flashCount_;
    if (sdl_ != nullptr) {
        SDL_FlashWindow(sdl_, SDL_FLASH_BRIEFLY);
    }
}

void TopLevelWindow::ApplyMinimised(bool minimised) {
    if (minimised == minimised_) {
        return;
    }
    minimised_ = minimised;
    PostSize(minimised ? kSizeMinimised : maximised_ ? kSizeMaximised : kSizeRestored);
}

void TopLevelWindow::PostSize(WParam kind) const {
    const LParam size = kind == kSizeMinimised ? 0 : PackSize(ClientWidth(), ClientHeight());
    PostMessage(window_, kMsgSize, kind, size);
}

uint32_t TopLevelWindow::ShownColorAt(int x, int y) const {
    return sdl_ != nullptr ? detail::SdlWindowColorAt(sdl_, x, y) : surface_->ColorAt(x, y);
}

// --- what the display says ---

namespace detail {

void TopLevelEvents::Resized(TopLevelWindow& window, int width, int height) {
    window.ApplyClientSize(width, height, window.maximised_ ? kSizeMaximised : kSizeRestored);
}

void TopLevelEvents::Maximised(TopLevelWindow& window) {
    if (window.maximised_ && !window.minimised_) {
        return;
    }
    window.maximised_ = true;
    window.minimised_ = false;
    window.PostSize(kSizeMaximised);
}

void TopLevelEvents::Restored(TopLevelWindow& window) {
    if (!window.maximised_ && !window.minimised_) {
        return;
    }
    window.maximised_ = false;
    window.minimised_ = false;
    window.PostSize(kSizeRestored);
}

TopLevelWindow* FindTopLevelBySdlId(uint32_t sdlWindowId) {
    TopLevelRegistry& reg = Registry();
    std::lock_guard lock(reg.mutex);
    auto it = reg.bySdlId.find(sdlWindowId);
    return it == reg.bySdlId.end() ? nullptr : it->second;
}

void CloseTopLevelsOfThread() {
    std::vector<WindowId> windows;
    {
        TopLevelRegistry& reg = Registry();
        std::lock_guard lock(reg.mutex);
        for (const auto& [id, window] : reg.byWindow) {
            if (WindowThread(id) == CurrentThreadId()) {
                windows.push_back(id);
            }
        }
    }
    for (WindowId id : windows) {
        PostMessage(id, kMsgClose, 0, 0);
    }
}

void FocusGained(TopLevelWindow& window) {
    const WindowId old = g_focus.exchange(window.Window());
    if (old == window.Window()) {
        return;
    }
    if (old != 0) {
        PostMessage(old, kMsgKillFocus, window.Window(), 0);
    }
    PostMessage(window.Window(), kMsgSetFocus, old, 0);
}

void FocusLost(TopLevelWindow& window) {
    WindowId expected = window.Window();
    if (!g_focus.compare_exchange_strong(expected, 0)) {
        return;
    }
    expected = window.Window();
    if (g_capture.compare_exchange_strong(expected, 0)) {
        SDL_CaptureMouse(SDL_FALSE);
    }
    ForgetHeldKeys();
    PostMessage(window.Window(), kMsgKillFocus, 0, 0);
}

}  // namespace detail

// --- default handling, focus and capture ---

LResult DefaultWindowProc(Window& window, uint32_t id, WParam, LParam) {
    if (id == kMsgClose) {
        window.Destroy();
    } else if (id == kMsgPaint) {
        if (TopLevelWindow* top = TopLevelWindow::Find(window.Id())) {
            top->Surface().TakeInvalidArea();
        }
    }
    return 0;
}

WindowId GetFocus() {
    return g_focus.load();
}

WindowId SetFocus(WindowId window) {
    TopLevelWindow* top = TopLevelWindow::Find(window);
    if (top == nullptr) {
        return 0;
    }
    const WindowId old = g_focus.exchange(window);
    if (old == window) {
        return old;
    }
    if (SDL_Window* sdl = detail::TopLevelEvents::Sdl(*top)) {
        SDL_RaiseWindow(sdl);
    }
    if (old != 0) {
        SendMessage(old, kMsgKillFocus, window, 0);
    }
    SendMessage(window, kMsgSetFocus, old, 0);
    return old;
}

WindowId GetCapture() {
    return g_capture.load();
}

WindowId SetCapture(WindowId window) {
    if (TopLevelWindow::Find(window) == nullptr) {
        return 0;
    }
    const WindowId old = g_capture.exchange(window);
    if (DisplayRunning()) {
        SDL_CaptureMouse(SDL_TRUE);
    }
    return old;
}

void ReleaseCapture() {
    if (g_capture.exchange(0) != 0 && DisplayRunning()) {
        SDL_CaptureMouse(SDL_FALSE);
    }
}

}  // namespace platform
