#include "tests/window/XServer.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "platform/Messages.h"
#include "platform/Sync.h"

extern char** environ;

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

// environ, with DISPLAY replaced unless the display is "".
std::vector<std::string> EnvironmentWith(const std::string& display) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        if (display.empty() || std::strncmp(*e, "DISPLAY=", 8) != 0) {
            env.emplace_back(*e);
        }
    }
    if (!display.empty()) {
        env.push_back("DISPLAY=" + display);
    }
    return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> out;
    for (std::string& s : strings) {
        out.push_back(s.data());
    }
    out.push_back(nullptr);
    return out;
}

bool Spawn(pid_t& pid, std::vector<std::string> argv, std::vector<std::string> env,
           const std::string& logFile, std::string& error) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    std::vector<char*> args = Pointers(argv);
    std::vector<char*> envp = Pointers(env);
    const int result = posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), envp.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0) {
        error = argv[0] + ": " + std::strerror(result);
        pid = -1;
        return false;
    }
    return true;
}

}  // namespace

// --- ChildProcess ---

ChildProcess::~ChildProcess() {
    Stop();
}

bool ChildProcess::Start(const std::vector<std::string>& argv, const std::string& logFile,
                         const std::string& display) {
    Stop();
    exitStatus_ = -1;
    return Spawn(pid_, argv, EnvironmentWith(display), logFile, error_);
}

bool ChildProcess::Running() {
    if (pid_ <= 0) {
        return false;
    }
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) != pid_) {
        return true;
    }
    exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    pid_ = -1;
    return false;
}

void ChildProcess::Stop() {
    if (!Running()) {
        return;
    }
    ::kill(-pid_, SIGTERM);
    for (int i = 0; i < 100 && Running(); ++i) {
        platform::SleepMs(10);
    }
    if (Running()) {
        ::kill(-pid_, SIGKILL);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
    }
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
    return RunXdotool(server,
                      {"mousemove", "--sync", std::to_string(left + x), std::to_string(top + y)},
                      timeoutMs);
}

std::string ClickAt(const XServer& server, unsigned long window, int x, int y, uint32_t timeoutMs) {
    std::string error = MovePointerTo(server, window, x, y, timeoutMs);
    return error.empty() ? RunXdotool(server, {"click", "1"}, timeoutMs) : error;
}

// --- XServer ---

XServer::~XServer() {
    if (display_ != nullptr) {
        XCloseDisplay(display_);
    }
    server_.Stop();
    if (!logFile_.empty()) {
        ::unlink(logFile_.c_str());
    }
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
