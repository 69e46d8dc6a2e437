#pragma once
// What a posted message owns when nobody will read it. A message whose
// parameters point at records its reader frees is dropped unread when its
// window is destroyed or its thread's messaging ends; the freer registered
// for its id frees those records then, so nothing is lost to a queue that
// went away.
//
// Rules:
//  - One freer per message id; registering again replaces it, nullptr
//    removes it.
//  - A freer runs with the message table locked: it frees and returns, and
//    never posts, sends or creates windows.

#include <cstdint>

#include "platform/Messages.h"

namespace platform {

using DroppedMessageFreer = void (*)(WParam wParam, LParam lParam);

void SetDroppedMessageFreer(uint32_t id, DroppedMessageFreer freer);

}  // namespace platform
