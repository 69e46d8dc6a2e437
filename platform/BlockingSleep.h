#pragma once
// The client's blocking sleeps (a failure's text stays on screen for two,
// three or five seconds before the program goes on): one entry point, so
// tests can record the sleeps instead of waiting them out.
//
// The real sleep is SleepHoldingMessages (Messages.h): nothing the thread
// would handle runs meanwhile, but its windows stay on the display and, on
// the display's thread, the panels (PanelWindow.h) show their newest frames.

#include <cstdint>
#include <functional>

namespace platform {

// Sleeps through the installed sleeper, else SleepHoldingMessages.
void BlockingSleep(uint32_t ms);

// Tests install a sleeper; an empty function restores the real sleep.
using Sleeper = std::function<void(uint32_t ms)>;
void SetSleeperForTesting(Sleeper sleeper);

}  // namespace platform
