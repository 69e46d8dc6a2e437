#include "tests/window/XServer.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/Messages.h"
#include "platform/Sync.h"
#include "platform/TextCodec.h"

namespace window_test {

namespace {

// Display numbers tried, from the first; a few in case of races.
constexpr int kFirstDisplay = 87;
constexpr int kDisplaysTried = 40;
constexpr int kServerStarts = 5;
constexpr uint32_t kServerReadyMs = 10000;

int IgnoreXError(Display*, XErrorEvent*) {
    return 0;
}

bool Exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

}  // namespace

bool ChildProcess::Start(const std::vector<std::string>& argv, const std::string& logFile,
                         const std::string& display) {
    test_support::ChildOptions options;
    options.logFile = logFile;
    if (!display.empty()) {
        options.environment.push_back("DISPLAY=" + display);
    }
    return Start(argv, options);
}

bool StartXdotool(ChildProcess& child, const XServer& server,
                  const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return child.Start(argv, "/dev/null", server.DisplayName());
}

bool PumpMessagesUntil(const std::function<bool()>& done, uint32_t timeoutMs) {
    const uint32_t start = platform::GetTickCount32();
    for (;;) {
        platform::Message m;
        while (platform::PeekMessage(m, platform::PeekMode::Remove)) {
            platform::DispatchMessage(m);
        }
        if (done()) {
            return true;
        }
        if (platform::GetTickCount32() - start >= timeoutMs) {
            return false;
        }
        platform::WaitMessage(5);
    }
}

std::string RunXdotool(const XServer& server, const std::vector<std::string>& arguments,
                       uint32_t timeoutMs) {
    ChildProcess child;
    if (!StartXdotool(child, server, arguments)) {
        return "xdotool cannot start: " + child.Error();
    }
    if (!PumpMessagesUntil([&] { return !child.Running(); }, timeoutMs)) {
        return "xdotool did not end";
    }
    if (child.ExitStatus() != 0) {
        return "xdotool failed";
    }
    return {};
}

std::string MovePointerTo(const XServer& server, unsigned long window, int x, int y,
                          uint32_t timeoutMs) {
    int left = 0, top = 0;
    if (!server.Origin(window, left, top)) {
        return "the window's place cannot be read";
    }
    // xdotool's --sync waits for a motion that a pointer already there never
    // makes.
    int pointerX = 0, pointerY = 0;
    if (server.Pointer(pointerX, pointerY) && pointerX == left + x && pointerY == top + y) {
        return {};
    }
    return RunXdotool(server,
                      {"mousemove", "--sync", std::to_string(left + x), std::to_string(top + y)},
                      timeoutMs);
}

std::string ClickAt(const XServer& server, unsigned long window, int x, int y, uint32_t timeoutMs) {
    std::string error = MovePointerTo(server, window, x, y, timeoutMs);
    return error.empty() ? RunXdotool(server, {"click", "1"}, timeoutMs) : error;
}

std::string TypeCharacterByCharacter(const XServer& server, const std::string& text,
                                     const std::function<std::string()>& boxText,
                                     uint32_t timeoutMs) {
    const std::string before = boxText();
    std::string typed;
    std::string error;
    for (size_t at = 0; at < text.size() && error.empty();) {
        // A GBK lead byte and its trail byte are one character.
        const size_t length =
            static_cast<uint8_t>(text[at]) >= 0x81 && at + 1 < text.size() ? 2 : 1;
        const std::string character = text.substr(at, length);
        at += length;
        if (length == 1) {
            // On the keyboard: xdotool presses its own key.
            error = RunXdotool(server, {"type", "--", character}, timeoutMs);
        } else {
            const std::u16string unit = platform::GbkToUtf16(character);
            // X's symbol of a Unicode character.
            const unsigned long symbol = unit.size() == 1 ? 0x01000000ul | unit[0] : 0;
            if (symbol == 0 || !server.BindSpareKey(symbol)) {
                return "no spare key for \"" + platform::GbkToUtf8(character) + "\"";
            }
            char name[16];
            std::snprintf(name, sizeof name, "U%04X", static_cast<unsigned>(unit[0]));
            error = RunXdotool(server, {"key", name}, timeoutMs);
        }
        typed += character;
        const auto took = [&] {
            const std::string now = boxText();
            return now.size() == before.size() + typed.size() &&
                   now.find(typed) != std::string::npos;
        };
        if (error.empty() && !PumpMessagesUntil(took, timeoutMs)) {
            error = "after \"" + platform::GbkToUtf8(typed) + "\" the box holds \"" +
                    platform::GbkToUtf8(boxText()) + "\"";
        }
    }
    server.UnbindSpareKey();
    return error;
}

// --- XServer ---

XServer::~XServer() {
    Stop();
    if (!logFile_.empty()) {
        ::unlink(logFile_.c_str());
    }
}

void XServer::Stop() {
    if (display_ != nullptr) {
        XCloseDisplay(std::exchange(display_, nullptr));
    }
    server_.Stop();
}

bool XServer::Start(int width, int height) {
    XSetErrorHandler(IgnoreXError);
    logFile_ = "/tmp/pvbn-xvfb-" + std::to_string(::getpid()) + ".log";
    int starts = 0;
    for (int n = kFirstDisplay; n < kFirstDisplay + kDisplaysTried && starts < kServerStarts; ++n) {
        if (Exists("/tmp/.X11-unix/X" + std::to_string(n)) ||
            Exists("/tmp/.X" + std::to_string(n) + "-lock")) {
            continue;
        }
        ++starts;
        if (TryDisplay(n, width, height)) {
            return true;
        }
        if (error_.find("No such file") != std::string::npos) {
            return false;  // not installed: no other number helps
        }
    }
    if (error_.empty()) {
        error_ = "no free display number";
    }
    return false;
}

bool XServer::TryDisplay(int number, int width, int height) {
    const std::string name = ":" + std::to_string(number);
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    if (!server_.Start({"Xvfb", name, "-screen", "0", screen, "-nolisten", "tcp", "-terminate"},
                       logFile_)) {
        error_ = "Xvfb cannot start: " + server_.Error();
        return false;
    }
    const uint32_t start = platform::GetTickCount32();
    while (platform::GetTickCount32() - start < kServerReadyMs) {
        if (!server_.Running()) {
            error_ = "Xvfb " + name + " ended at start (status " +
                     std::to_string(server_.ExitStatus()) + ", log " + logFile_ + ")";
            return false;
        }
        display_ = XOpenDisplay(name.c_str());
        if (display_ != nullptr) {
            if (!ConnectedToOwnServer()) {
                // Another test program's server took the number first and
                // ours is ending: the connection reached that one.
                XCloseDisplay(display_);
                display_ = nullptr;
                server_.Stop();
                error_ = "display " + name + " belongs to another X server";
                return false;
            }
            displayName_ = name;
            return true;
        }
        platform::SleepMs(20);
    }
    server_.Stop();
    error_ = "Xvfb " + name + " took no connection within 10 s";
    return false;
}

bool XServer::ConnectedToOwnServer() const {
    ucred peer{};
    socklen_t length = sizeof(peer);
    if (getsockopt(ConnectionNumber(display_), SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0) {
        return false;
    }
    return peer.pid == server_.Pid();
}

unsigned long XServer::FindWindow(const std::string& title) const {
    if (display_ == nullptr) {
        return 0;
    }
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count) == 0) {
        return 0;
    }
    Window found = 0;
    for (unsigned int i = 0; i < count && found == 0; ++i) {
        char* name = nullptr;
        if (XFetchName(display_, children[i], &name) != 0 && name != nullptr) {
            if (title == name) {
                found = children[i];
            }
            XFree(name);
        }
    }
    if (children != nullptr) {
        XFree(children);
    }
    return found;
}

bool XServer::IsMapped(unsigned long window) const {
    XWindowAttributes attributes{};
    return display_ != nullptr && window != 0 &&
           XGetWindowAttributes(display_, window, &attributes) != 0 &&
           attributes.map_state == IsViewable;
}

bool XServer::Origin(unsigned long window, int& x, int& y) const {
    Window child = 0;
    return display_ != nullptr &&
           XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, &x, &y,
                                 &child) != 0;
}

bool XServer::BindSpareKey(unsigned long keySymbol) const {
    if (display_ == nullptr) {
        return false;
    }
    if (spareKey_ == 0) {
        int first = 0, last = 0, perKey = 0;
        XDisplayKeycodes(display_, &first, &last);
        KeySym* symbols =
            XGetKeyboardMapping(display_, static_cast<KeyCode>(first), last - first + 1, &perKey);
        if (symbols == nullptr) {
            return false;
        }
        // The last key without any symbol.
        for (int code = last; code >= first && spareKey_ == 0; --code) {
            bool empty = true;
            for (int i = 0; i < perKey; ++i) {
                empty = empty && symbols[(code - first) * perKey + i] == NoSymbol;
            }
            spareKey_ = empty ? code : 0;
        }
        XFree(symbols);
        if (spareKey_ == 0) {
            return false;
        }
    }
    KeySym symbol = keySymbol;
    XChangeKeyboardMapping(display_, spareKey_, 1, &symbol, 1);
    XSync(display_, False);
    return true;
}

void XServer::UnbindSpareKey() const {
    if (display_ != nullptr && spareKey_ != 0) {
        KeySym none = NoSymbol;
        XChangeKeyboardMapping(display_, spareKey_, 1, &none, 1);
        XSync(display_, False);
    }
}

bool XServer::Pointer(int& x, int& y) const {
    Window root = 0, child = 0;
    int windowX = 0, windowY = 0;
    unsigned int buttons = 0;
    return display_ != nullptr && XQueryPointer(display_, DefaultRootWindow(display_), &root,
                                                &child, &x, &y, &windowX, &windowY, &buttons) != 0;
}

std::optional<WindowImage> XServer::Read(unsigned long window) const {
    XWindowAttributes attributes{};
    if (!IsMapped(window) || XGetWindowAttributes(display_, window, &attributes) == 0) {
        return std::nullopt;
    }
    XImage* image = XGetImage(display_, window, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (image == nullptr) {
        return std::nullopt;
    }
    // Each channel scaled to 8 bits from wherever the visual keeps it.
    auto channel = [](unsigned long pixel, unsigned long mask) -> uint32_t {
        if (mask == 0) {
            return 0;
        }
        int shift = 0;
        while (((mask >> shift) & 1) == 0) {
            ++shift;
        }
        const unsigned long bits = mask >> shift;
        return static_cast<uint32_t>(((pixel & mask) >> shift) * 255 / bits);
    };
    WindowImage out;
    out.width = attributes.width;
    out.height = attributes.height;
    out.pixels.reserve(static_cast<size_t>(out.width) * static_cast<size_t>(out.height));
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            out.pixels.push_back(channel(pixel, image->red_mask) << 16 |
                                 channel(pixel, image->green_mask) << 8 |
                                 channel(pixel, image->blue_mask));
        }
    }
    XDestroyImage(image);
    return out;
}

}  // namespace window_test
