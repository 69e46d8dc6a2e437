#pragma once
// Whether a top-level window is minimised.
//
// Rules:
//  - Window 0 (for instance "no main window") is never minimised.
//  - The answer comes from the installed query; until the display back end
//    installs one (and in headless runs) windows are never minimised. Tests
//    install their own.

#include <functional>

#include "platform/Messages.h"

namespace platform {

bool IsMinimised(WindowId window);

// An empty function restores the default.
using MinimisedQuery = std::function<bool(WindowId)>;
void SetMinimisedQuery(MinimisedQuery query);

}  // namespace platform
