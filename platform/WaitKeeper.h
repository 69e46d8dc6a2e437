#pragma once
// Platform-internal: how the display's thread keeps the display while it
// blocks in a wait of Sync.h. Not for use outside platform/.

#include <cstdint>

namespace platform::detail {

// How often a blocked display thread looks after the display.
inline constexpr uint32_t kKeepDisplayEveryMs = 30;

// The calling thread's keeper (null: none, the thread waits plainly). WaitAny
// and Event::Wait of a thread with a keeper wait in slices of
// kKeepDisplayEveryMs and run it before the first slice and between them.
// The keeper hands out no message.
using WaitKeeper = void (*)();
void SetWaitKeeper(WaitKeeper keeper);

}  // namespace platform::detail
