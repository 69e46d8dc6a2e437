#pragma once
// Platform-internal: what the SDL parts of the display tell each other (the
// surface painter, the top-level windows, the event pump and the input back
// ends). Not for use outside platform/.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Cursor.h"
#include "platform/Display.h"
#include "platform/Messages.h"
#include "platform/SdlWindow.h"
#include "platform/Thread.h"

struct SDL_Window;

namespace platform::detail {

// Window surfaces are the display's own (XShm on X11), which send only the
// changed rectangles to the screen; SDL would otherwise put them on a GL
// texture and draw the whole window on every update, which with a software
// GL costs several cores. SDL_FRAMEBUFFER_ACCELERATION in the environment
// still decides. Called before SDL windows are made.
void PreferNativeFramebuffer();
// On X11, a lost display connection ends the program at once, failing,
// with a line on standard error, rather than Xlib's exit into the windows'
// teardown.
void EndProgramOnLostX11Display();
// Copies the changed part of the surface into the SDL window and shows it.
void PresentToSdlWindow(SDL_Window* window, const WindowSurface& surface, const PixelRect& changed);
// The same from pixels of a depth laid out as a surface's, `rowBytes` apart.
void PresentPixelsToSdlWindow(SDL_Window* window, const uint8_t* pixels, int width, int height,
                              int depth, size_t rowBytes, const PixelRect& changed);
// The colour the SDL window shows at a client point, 0x00BBGGRR (0 outside).
uint32_t SdlWindowColorAt(SDL_Window* window, int x, int y);

// Starts SDL video (one more hold on it), as SDL_InitSubSystem does. When the
// user names no driver (SDL_VIDEODRIVER unset or empty), SDL is asked for
// the session's display: x11 when DISPLAY is set, else wayland when
// WAYLAND_DISPLAY is, and nothing (false, SDL's error saying why) without
// either, so it never settles on a driver that shows nothing. A driver the
// user names is used as named.
bool StartSdlVideo();
// The display StartSdlVideo asks for, as the user names it (the X display
// ":1", ...); empty when it has none to ask for.
std::string AskedDisplay();

// True when SDL runs a video driver that shows nothing (dummy, offscreen):
// the pointer is then only where the events put it.
bool IsHeadlessVideoDriver();

// What the event pump and the back ends may do to a top-level window.
struct TopLevelEvents {
    static SDL_Window* Sdl(const TopLevelWindow& window) { return window.sdl_; }
    static void Resized(TopLevelWindow& window, int width, int height);
    static void Minimised(TopLevelWindow& window) { window.ApplyMinimised(true); }
    static void Maximised(TopLevelWindow& window);
    static void Restored(TopLevelWindow& window);
    static void Shown(TopLevelWindow& window, bool visible) { window.visible_ = visible; }
    static void Moved(TopLevelWindow& window, ScreenPoint corner) { window.NoteMoved(corner); }
};

// The top-level window shown in the SDL window with this SDL id; null.
TopLevelWindow* FindTopLevelBySdlId(uint32_t sdlWindowId);
// Posts kMsgClose to every open top-level window of the calling thread.
void CloseTopLevelsOfThread();
// The keyboard focus moved (the display said so): messages and state.
void FocusGained(TopLevelWindow& window);
void FocusLost(TopLevelWindow& window);

// The calling thread's queue also waits on the display's events (started
// when its first top-level window opens, stopped when the last one closes).
void StartDisplayEvents();
void StopDisplayEvents();

// The thread that owns the display; 0 when none does.
ThreadId DisplayThread();
// Whether the calling thread owns the display.
bool IsDisplayThread();
// Wakes the display's thread from its wait for events (any thread).
void WakeDisplay();

// Panel windows (PanelWindow.h), on the display's thread: brings their
// windows up to date with what was published; notes that the display exposed
// the panel shown in the SDL window with this id (false: no panel has it);
// destroys every panel window (the display is given back).
void SyncPanels();
bool PanelExposed(uint32_t sdlWindowId);
void DropPanelWindows();
// Whether any panel is open (any thread).
bool HasPanels();

// What the event pump saw of the pointer and the keys: the answers of the
// display's input back end (the pointer only on headless drivers).
void NotePointer(ScreenPoint screen);
void NoteKey(int virtualKey, bool down);
// Forgets every held key and button (the keyboard focus went elsewhere).
void ForgetHeldKeys();
bool TrackedKeyDown(int virtualKey);
ScreenPoint TrackedPointer();
// The stamp of the key state as the events left it, for the input messages
// made from them (MessageQueue.h).
uint64_t InputStamp();
// The key as a window's handler sees it: on the display's thread, while its
// input messages wait, as the messages taken so far left it; else as the
// events left it.
bool KeyDownForHandler(int virtualKey);

// Installs the display's input and cursor back ends and the minimised query
// (when the first top-level window opens), and removes them again, letting
// go of every SDL cursor (when the last one closes).
void AttachDisplayBackends();
void DetachDisplayBackends();

}  // namespace platform::detail
