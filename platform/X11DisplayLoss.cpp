#include <SDL.h>
#include <X11/Xlib.h>
#include <errno.h>
#include <unistd.h>

#include <cstring>
#include <mutex>
#include <string>

#include "platform/SdlDetail.h"

namespace platform::detail {
namespace {

constexpr int kDisplayLostExitCode = 1;

// The X server went away under the program: it ended, or the connection
// broke. Xlib cannot go on from here, and tearing the windows down would
// wait at full speed for events that never come. The program says why on
// standard error and ends at once, failing; its sockets close with it, so
// the server and the hall see it leave.
int EndOnLostDisplay(::Display* /*display*/) {
    const std::string line =
        std::string(program_invocation_short_name) + ": the connection to the X display was lost\n";
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, line.data(), line.size());
    ::_exit(kDisplayLostExitCode);
}

}  // namespace

void EndProgramOnLostX11Display() {
    static std::once_flag once;
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver != nullptr && std::strcmp(driver, "x11") == 0) {
        std::call_once(once, [] { XSetIOErrorHandler(&EndOnLostDisplay); });
    }
}

}  // namespace platform::detail
