#include "platform/Display.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <new>
#include <string>
#include <utility>

#include "platform/SdlDetail.h"
#include "platform/TextCodec.h"

namespace platform {

namespace {

constexpr int kRealDisplayDepth = 32;
std::atomic<int> g_depthForTesting{0};

struct Bgr {
    uint8_t b = 0;
    uint8_t g = 0;
    uint8_t r = 0;
};

size_t RowBytesOf(int width, int depth) {
    return static_cast<size_t>(std::max(width, 0)) * static_cast<size_t>(depth / 8);
}

Bgr ReadPixel(const uint8_t* p, int depth) {
    if (depth == 16) {
        const unsigned word = p[0] | p[1] << 8;
        const unsigned r = (word >> 11) & 31, g = (word >> 5) & 63, b = word & 31;
        return Bgr{static_cast<uint8_t>(b << 3 | b >> 2), static_cast<uint8_t>(g << 2 | g >> 4),
                   static_cast<uint8_t>(r << 3 | r >> 2)};
    }
    return Bgr{p[0], p[1], p[2]};
}

void WritePixel(uint8_t* p, int depth, Bgr c) {
    if (depth == 16) {
        const unsigned word = (c.r >> 3u) << 11 | (c.g >> 2u) << 5 | (c.b >> 3u);
        p[0] = static_cast<uint8_t>(word);
        p[1] = static_cast<uint8_t>(word >> 8);
        return;
    }
    p[0] = c.b;
    p[1] = c.g;
    p[2] = c.r;
    if (depth == 32) {
        p[3] = 0;
    }
}

uint32_t ToColorRef(Bgr c) {
    return static_cast<uint32_t>(c.r) | static_cast<uint32_t>(c.g) << 8 |
           static_cast<uint32_t>(c.b) << 16;
}

// Copies `count` pixels of one row between depths.
void CopyRow(const uint8_t* from, int fromDepth, uint8_t* to, int toDepth, int count) {
    if (fromDepth == toDepth) {
        std::memcpy(to, from, RowBytesOf(count, toDepth));
        return;
    }
    const int fromStep = fromDepth / 8, toStep = toDepth / 8;
    for (int i = 0; i < count; ++i) {
        WritePixel(to + i * toStep, toDepth, ReadPixel(from + i * fromStep, fromDepth));
    }
}

PixelRect Clip(const PixelRect& r, int width, int height) {
    PixelRect c{
        std::clamp(r.left, 0, std::max(width, 0)), std::clamp(r.top, 0, std::max(height, 0)),
        std::clamp(r.right, 0, std::max(width, 0)), std::clamp(r.bottom, 0, std::max(height, 0))};
    return c.IsEmpty() ? PixelRect{} : c;
}

PixelRect Union(const PixelRect& a, const PixelRect& b) {
    if (a.IsEmpty()) {
        return b;
    }
    if (b.IsEmpty()) {
        return a;
    }
    return PixelRect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                     std::max(a.bottom, b.bottom)};
}

// Which surface shows which window.
struct SurfaceRegistry {
    std::mutex mutex;
    std::map<WindowId, WindowSurface*> surfaces;
};

SurfaceRegistry& Surfaces() {
    static auto* registry = new SurfaceRegistry;  // outlives every static surface
    return *registry;
}

WindowSurface* FindSurface(WindowId window) {
    SurfaceRegistry& reg = Surfaces();
    std::lock_guard lock(reg.mutex);
    auto it = reg.surfaces.find(window);
    return it == reg.surfaces.end() ? nullptr : it->second;
}

// --- the video driver ---

// A variable of the environment; empty when it is not set.
std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// The driver SDL video is asked for and whether the user named it: the one
// of SDL_VIDEODRIVER, else the session display's (x11 with DISPLAY, else
// wayland with WAYLAND_DISPLAY); empty when there is none.
struct VideoDriverChoice {
    std::string driver;
    bool named = false;
};

VideoDriverChoice ChooseVideoDriver() {
    if (std::string named = Variable("SDL_VIDEODRIVER"); !named.empty()) {
        return {std::move(named), true};
    }
    if (!Variable("DISPLAY").empty()) {
        return {"x11", false};
    }
    return {Variable("WAYLAND_DISPLAY").empty() ? "" : "wayland", false};
}

// --- the SDL back end ---

uint32_t SdlFormatOfDepth(int depth) {
    switch (depth) {
        case 16:
            return SDL_PIXELFORMAT_RGB565;
        case 24:
            return SDL_PIXELFORMAT_BGR24;
        default:
            return SDL_PIXELFORMAT_RGB888;  // bytes blue, green, red, unused
    }
}

// One SDL window per surface, sized to the client area and shown from the
// first picture on. Holds a reference on SDL's video subsystem.
class SdlSurfaceBackend final : public SurfaceBackend {
public:
    explicit SdlSurfaceBackend(std::string title) : title_(std::move(title)) {}
    ~SdlSurfaceBackend() override {
        if (window_ != nullptr) {
            SDL_DestroyWindow(window_);
        }
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    SdlSurfaceBackend(const SdlSurfaceBackend&) = delete;
    SdlSurfaceBackend& operator=(const SdlSurfaceBackend&) = delete;

    void Resize(int width, int height) override {
        if (width <= 0 || height <= 0) {
            return;
        }
        if (window_ == nullptr) {
            detail::PreferNativeFramebuffer();
            window_ = SDL_CreateWindow(title_.c_str(), SDL_WINDOWPOS_UNDEFINED,
                                       SDL_WINDOWPOS_UNDEFINED, width, height, SDL_WINDOW_HIDDEN);
        } else {
            SDL_SetWindowSize(window_, width, height);
        }
    }

    void Show(const WindowSurface& surface, const PixelRect& changed) override {
        if (window_ == nullptr) {
            return;
        }
        if (!shown_) {
            SDL_ShowWindow(window_);
            shown_ = true;
        }
        detail::PresentToSdlWindow(window_, surface, changed);
    }

    uint32_t ShownColorAt(int x, int y) const override {
        return detail::SdlWindowColorAt(window_, x, y);
    }

private:
    std::string title_;
    SDL_Window* window_ = nullptr;
    bool shown_ = false;
};

}  // namespace

namespace detail {

bool StartSdlVideo() {
    const VideoDriverChoice choice = ChooseVideoDriver();
    if (choice.driver.empty()) {
        SDL_SetError("neither DISPLAY nor WAYLAND_DISPLAY is set");
        return false;
    }
    if (choice.named) {
        SDL_ResetHint(SDL_HINT_VIDEODRIVER);
    } else {
        // Over an empty SDL_VIDEODRIVER too, which SDL reads as "any".
        SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, choice.driver.c_str(), SDL_HINT_OVERRIDE);
    }
    return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

std::string AskedDisplay() {
    const VideoDriverChoice choice = ChooseVideoDriver();
    if (choice.driver == "x11" && !Variable("DISPLAY").empty()) {
        return "the X display \"" + Variable("DISPLAY") + "\"";
    }
    if (choice.driver == "wayland" && !Variable("WAYLAND_DISPLAY").empty()) {
        return "the Wayland display \"" + Variable("WAYLAND_DISPLAY") + "\"";
    }
    return choice.driver.empty() ? "" : "the display of SDL's \"" + choice.driver + "\" driver";
}

void PreferNativeFramebuffer() {
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
}

void PresentToSdlWindow(SDL_Window* window, const WindowSurface& surface,
                        const PixelRect& changed) {
    PresentPixelsToSdlWindow(window, surface.Pixels().data(), surface.Width(), surface.Height(),
                             surface.Depth(), surface.RowBytes(), changed);
}

void PresentPixelsToSdlWindow(SDL_Window* window, const uint8_t* pixels, int width, int height,
                              int depth, size_t rowBytes, const PixelRect& changed) {
    SDL_Surface* target = window != nullptr ? SDL_GetWindowSurface(window) : nullptr;
    if (target == nullptr || pixels == nullptr || width <= 0 || height <= 0) {
        return;
    }
    SDL_Surface* source =
        SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint8_t*>(pixels), width, height, depth,
                                           static_cast<int>(rowBytes), SdlFormatOfDepth(depth));
    if (source == nullptr) {
        return;
    }
    SDL_SetSurfaceBlendMode(source, SDL_BLENDMODE_NONE);
    SDL_Rect area{changed.left, changed.top, changed.right - changed.left,
                  changed.bottom - changed.top};
    SDL_Rect place = area;
    SDL_BlitSurface(source, &area, target, &place);
    SDL_FreeSurface(source);
    SDL_UpdateWindowSurfaceRects(window, &place, 1);
}

uint32_t SdlWindowColorAt(SDL_Window* window, int x, int y) {
    SDL_Surface* target = window != nullptr ? SDL_GetWindowSurface(window) : nullptr;
    if (target == nullptr || x < 0 || y < 0 || x >= target->w || y >= target->h) {
        return 0;
    }
    const int bytes = target->format->BytesPerPixel;
    const auto* p = static_cast<const uint8_t*>(target->pixels) +
                    static_cast<size_t>(y) * static_cast<size_t>(target->pitch) +
                    static_cast<size_t>(x) * static_cast<size_t>(bytes);
    uint32_t value = 0;
    std::memcpy(&value, p, static_cast<size_t>(std::min(bytes, 4)));
    uint8_t r = 0, g = 0, b = 0;
    SDL_GetRGB(value, target->format, &r, &g, &b);
    return ToColorRef(Bgr{b, g, r});
}

bool IsHeadlessVideoDriver() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver == nullptr || std::strcmp(driver, "dummy") == 0 ||
           std::strcmp(driver, "offscreen") == 0;
}

}  // namespace detail

int DisplayDepth() {
    const int forced = g_depthForTesting.load();
    return forced != 0 ? forced : kRealDisplayDepth;
}

void SetDisplayDepthForTesting(int bitsPerPixel) {
    g_depthForTesting.store(std::max(bitsPerPixel, 0));
}

bool IsSupportedDepth(int bitsPerPixel) {
    return bitsPerPixel == 16 || bitsPerPixel == 24 || bitsPerPixel == 32;
}

// --- DisplayBitmap ---

bool DisplayBitmap::Create(int width, int height, int bitsPerPixel) {
    Reset();
    if (width < 0 || height < 0 || !IsSupportedDepth(bitsPerPixel)) {
        return false;
    }
    try {
        bits_.assign(RowBytesOf(width, bitsPerPixel) * static_cast<size_t>(height), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    width_ = width;
    height_ = height;
    depth_ = bitsPerPixel;
    return true;
}

void DisplayBitmap::Reset() {
    std::vector<uint8_t>().swap(bits_);
    width_ = height_ = depth_ = 0;
}

size_t DisplayBitmap::RowBytes() const {
    return RowBytesOf(width_, depth_);
}

size_t DisplayBitmap::SetBits(const void* bits, size_t size) {
    const size_t n = bits == nullptr ? 0 : std::min(size, bits_.size());
    if (n > 0) {
        std::memcpy(bits_.data(), bits, n);
    }
    return n;
}

void DisplayBitmap::SetBitsInRect(const uint8_t* source, size_t sourceRowBytes,
                                  const PixelRect& area) {
    const PixelRect clipped = Clip(area, width_, height_);
    if (source == nullptr || clipped.IsEmpty()) {
        return;
    }
    const size_t step = static_cast<size_t>(depth_ / 8);
    const size_t rowBytes = static_cast<size_t>(clipped.right - clipped.left) * step;
    const size_t column = static_cast<size_t>(clipped.left) * step;
    for (int y = clipped.top; y < clipped.bottom; ++y) {
        std::memcpy(bits_.data() + static_cast<size_t>(y) * RowBytes() + column,
                    source + static_cast<size_t>(y) * sourceRowBytes + column, rowBytes);
    }
}

// --- back ends ---

std::unique_ptr<SurfaceBackend> MakeSdlSurfaceBackend(std::string_view title) {
    if (!detail::StartSdlVideo()) {
        return nullptr;
    }
    return std::make_unique<SdlSurfaceBackend>(GbkToUtf8(title));
}

std::unique_ptr<SurfaceBackend> MakeDefaultSurfaceBackend() {
    if (!detail::StartSdlVideo()) {
        return nullptr;
    }
    std::unique_ptr<SurfaceBackend> backend =
        detail::IsHeadlessVideoDriver() ? nullptr : MakeSdlSurfaceBackend("");
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return backend;
}

// --- WindowSurface ---

WindowSurface::WindowSurface(WindowId window, std::unique_ptr<SurfaceBackend> backend)
    : window_(window), backend_(std::move(backend)) {
    const int depth = DisplayDepth();
    depth_ = IsSupportedDepth(depth) ? depth : kRealDisplayDepth;
    SurfaceRegistry& reg = Surfaces();
    std::lock_guard lock(reg.mutex);
    reg.surfaces[window_] = this;
}

WindowSurface::~WindowSurface() {
    SurfaceRegistry& reg = Surfaces();
    std::lock_guard lock(reg.mutex);
    auto it = reg.surfaces.find(window_);
    if (it != reg.surfaces.end() && it->second == this) {
        reg.surfaces.erase(it);
    }
}

size_t WindowSurface::RowBytes() const {
    return RowBytesOf(width_, depth_);
}

uint32_t WindowSurface::ColorAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return 0;
    }
    const uint8_t* p = pixels_.data() + static_cast<size_t>(y) * RowBytes() +
                       static_cast<size_t>(x) * static_cast<size_t>(depth_ / 8);
    return ToColorRef(ReadPixel(p, depth_));
}

void WindowSurface::Resize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    std::vector<uint8_t> resized(RowBytesOf(width, depth_) * static_cast<size_t>(height), 0);
    const size_t keep = RowBytesOf(std::min(width, width_), depth_);
    // A zero-width side has no rows to keep (and no buffer to copy into).
    for (int y = 0; keep > 0 && y < std::min(height, height_); ++y) {
        std::memcpy(resized.data() + static_cast<size_t>(y) * RowBytesOf(width, depth_),
                    pixels_.data() + static_cast<size_t>(y) * RowBytes(), keep);
    }
    pixels_ = std::move(resized);
    {
        // InvalidateRect reads the size from other threads.
        SurfaceRegistry& reg = Surfaces();
        std::lock_guard lock(reg.mutex);
        width_ = width;
        height_ = height;
        invalid_ = Clip(invalid_, width_, height_);
    }
    if (backend_) {
        backend_->Resize(width_, height_);
    }
}

bool WindowSurface::Blit(const DisplayBitmap& bitmap, int x, int y, int width, int height,
                         int sourceX, int sourceY) {
    if (!bitmap.IsValid()) {
        return false;
    }
    // Work in 64 bits so that no sum of the caller's values overflows.
    int64_t dx = x, dy = y, sx = sourceX, sy = sourceY, w = width, h = height;
    const int64_t shiftX = std::max({int64_t{0}, -dx, -sx});
    const int64_t shiftY = std::max({int64_t{0}, -dy, -sy});
    dx += shiftX, sx += shiftX, w -= shiftX;
    dy += shiftY, sy += shiftY, h -= shiftY;
    w = std::min({w, int64_t{width_} - dx, int64_t{bitmap.Width()} - sx});
    h = std::min({h, int64_t{height_} - dy, int64_t{bitmap.Height()} - sy});
    if (w <= 0 || h <= 0) {
        return false;
    }
    const size_t fromStep = static_cast<size_t>(bitmap.Depth() / 8);
    const size_t toStep = static_cast<size_t>(depth_ / 8);
    for (int64_t row = 0; row < h; ++row) {
        const uint8_t* from = bitmap.Bits() + static_cast<size_t>(sy + row) * bitmap.RowBytes() +
                              static_cast<size_t>(sx) * fromStep;
        uint8_t* to = pixels_.data() + static_cast<size_t>(dy + row) * RowBytes() +
                      static_cast<size_t>(dx) * toStep;
        CopyRow(from, bitmap.Depth(), to, depth_, static_cast<int>(w));
    }
    ++presentCount_;
    lastPresented_ = PixelRect{static_cast<int>(dx), static_cast<int>(dy), static_cast<int>(dx + w),
                               static_cast<int>(dy + h)};
    presentedPixels_ += w * h;
    if (backend_) {
        backend_->Show(*this, lastPresented_);
    }
    return true;
}

PixelRect WindowSurface::InvalidArea() const {
    SurfaceRegistry& reg = Surfaces();
    std::lock_guard lock(reg.mutex);
    return invalid_;
}

PixelRect WindowSurface::TakeInvalidArea() {
    SurfaceRegistry& reg = Surfaces();
    std::lock_guard lock(reg.mutex);
    return std::exchange(invalid_, PixelRect{});
}

// --- by window id ---

bool InvalidateRect(WindowId window, const PixelRect* rect) {
    if (!IsWindow(window)) {
        return false;
    }
    bool waiting = true;
    {
        SurfaceRegistry& reg = Surfaces();
        std::lock_guard lock(reg.mutex);
        auto it = reg.surfaces.find(window);
        if (it != reg.surfaces.end()) {
            WindowSurface& surface = *it->second;
            const PixelRect whole{0, 0, surface.width_, surface.height_};
            const PixelRect added =
                Clip(rect != nullptr ? *rect : whole, surface.width_, surface.height_);
            surface.invalid_ = Union(surface.invalid_, added);
            waiting = !added.IsEmpty();
        } else {
            waiting = rect == nullptr || !rect->IsEmpty();
        }
    }
    return !waiting || RequestPaint(window);
}

PixelRect InvalidAreaOf(WindowId window) {
    WindowSurface* surface = FindSurface(window);
    return surface != nullptr ? surface->InvalidArea() : PixelRect{};
}

bool BlitToWindow(WindowId window, const DisplayBitmap& bitmap, int x, int y, int width, int height,
                  int sourceX, int sourceY) {
    WindowSurface* surface = FindSurface(window);
    return surface != nullptr && surface->Blit(bitmap, x, y, width, height, sourceX, sourceY);
}

}  // namespace platform
