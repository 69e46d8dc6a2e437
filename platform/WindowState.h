#pragma once
// Whether a top-level window is minimised.
//
// Rules:
//  - Window 0 (for instance "no main window") is never minimised.
//  - The answer comes from the installed query (tests install their own);
//    without one, from the display's query while top-level windows are open
//    (what the display last said of the window, SdlWindow.h); else windows
//    are never minimised.

#include <functional>

#include "platform/Messages.h"

namespace platform {

bool IsMinimised(WindowId window);

// An empty function restores the default.
using MinimisedQuery = std::function<bool(WindowId)>;
void SetMinimisedQuery(MinimisedQuery query);
// The display's query, used while no other is installed; empty removes it.
void SetDisplayMinimisedQuery(MinimisedQuery query);

}  // namespace platform
