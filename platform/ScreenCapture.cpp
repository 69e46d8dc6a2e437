#include "platform/ScreenCapture.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <mutex>

#include "platform/Display.h"
#include "platform/Screen.h"
#include "platform/SdlWindow.h"

// Last: Xlib's names and macros (Window, Display, None) would shadow ours.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace platform {
namespace {

ScreenPicture BlackPicture(int width, int height) {
    ScreenPicture picture;
    picture.width = std::max(width, 0);
    picture.height = std::max(height, 0);
    picture.rgb.assign(static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height) * 3,
                       0);
    return picture;
}

void PutPixel(ScreenPicture& picture, int x, int y, uint8_t r, uint8_t g, uint8_t b) {
    uint8_t* p =
        picture.rgb.data() +
        (static_cast<size_t>(y) * static_cast<size_t>(picture.width) + static_cast<size_t>(x)) * 3;
    p[0] = r;
    p[1] = g;
    p[2] = b;
}

// --- the root window over a connection of our own ---

// Xlib's error handler is the process's; a refused request must not end it.
std::mutex g_xErrorLock;
bool g_xFailed = false;

int NoteXError(::Display*, XErrorEvent*) {
    g_xFailed = true;
    return 0;
}

// The channel's 8-bit value of a pixel under a mask.
uint8_t Channel(unsigned long pixel, unsigned long mask) {
    if (mask == 0) {
        return 0;
    }
    int shift = 0;
    while (((mask >> shift) & 1UL) == 0) {
        ++shift;
    }
    const unsigned long bits = mask >> shift;
    const unsigned long value = (pixel & mask) >> shift;
    return static_cast<uint8_t>(value * 255UL / bits);
}

bool IsX11Driver() {
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver != nullptr && std::strcmp(driver, "x11") == 0;
}

bool CaptureRootWindow(ScreenPicture& picture) {
    ::Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return false;
    }
    std::lock_guard lock(g_xErrorLock);
    g_xFailed = false;
    XErrorHandler previous = XSetErrorHandler(NoteXError);
    const ::Window root = DefaultRootWindow(display);
    XWindowAttributes attributes{};
    XImage* image = nullptr;
    if (XGetWindowAttributes(display, root, &attributes) != 0) {
        const int width = std::min(picture.width, attributes.width);
        const int height = std::min(picture.height, attributes.height);
        if (width > 0 && height > 0) {
            image = XGetImage(display, root, 0, 0, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
        }
    }
    XSync(display, False);
    const bool ok = image != nullptr && !g_xFailed;
    if (ok) {
        for (int y = 0; y < image->height; ++y) {
            for (int x = 0; x < image->width; ++x) {
                const unsigned long pixel = XGetPixel(image, x, y);
                PutPixel(picture, x, y, Channel(pixel, image->red_mask),
                         Channel(pixel, image->green_mask), Channel(pixel, image->blue_mask));
            }
        }
    }
    if (image != nullptr) {
        XDestroyImage(image);
    }
    XSetErrorHandler(previous);
    XCloseDisplay(display);
    return ok;
}

// --- the program's own windows on black ---

void CopyOwnWindows(ScreenPicture& picture) {
    for (WindowId window : TopLevelWindow::AllWindows()) {
        TopLevelWindow* top = TopLevelWindow::Find(window);
        if (top == nullptr || !top->IsVisible() || top->IsMinimised()) {
            continue;
        }
        const ScreenRect rect = top->ClientRect();
        const WindowSurface& surface = top->Surface();
        const int left = std::max(rect.left, 0);
        const int topEdge = std::max(rect.top, 0);
        const int right = std::min(rect.left + surface.Width(), picture.width);
        const int bottom = std::min(rect.top + surface.Height(), picture.height);
        for (int y = topEdge; y < bottom; ++y) {
            for (int x = left; x < right; ++x) {
                const uint32_t colour = surface.ColorAt(x - rect.left, y - rect.top);
                PutPixel(picture, x, y, static_cast<uint8_t>(colour),
                         static_cast<uint8_t>(colour >> 8), static_cast<uint8_t>(colour >> 16));
            }
        }
    }
}

}  // namespace

ScreenPicture CaptureScreen(CaptureSource* source) {
    const ScreenRect screen = PrimaryScreenRect();
    ScreenPicture picture = BlackPicture(screen.right - screen.left, screen.bottom - screen.top);
    if (IsX11Driver() && CaptureRootWindow(picture)) {
        if (source != nullptr) {
            *source = CaptureSource::RootWindow;
        }
        return picture;
    }
    std::fill(picture.rgb.begin(), picture.rgb.end(), 0);
    CopyOwnWindows(picture);
    if (source != nullptr) {
        *source = CaptureSource::OwnWindows;
    }
    return picture;
}

}  // namespace platform
