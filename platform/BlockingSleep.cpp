#include "platform/BlockingSleep.h"

#include <mutex>

#include "platform/Messages.h"

namespace platform {

namespace {

std::mutex g_sleeperMutex;
Sleeper g_sleeper;

}  // namespace

void BlockingSleep(uint32_t ms) {
    Sleeper sleeper;
    {
        std::lock_guard lock(g_sleeperMutex);
        sleeper = g_sleeper;
    }
    if (sleeper) {
        sleeper(ms);
    } else {
        SleepHoldingMessages(ms);
    }
}

void SetSleeperForTesting(Sleeper sleeper) {
    std::lock_guard lock(g_sleeperMutex);
    g_sleeper = std::move(sleeper);
}

}  // namespace platform
