#pragma once
// Platform-internal: watching events from a wait that also sleeps on
// something else (a thread's message queue). Not for use outside platform/.

#include <cstdint>
#include <memory>
#include <span>

#include "platform/Sync.h"

namespace platform::detail {

class EventWatch {
public:
    using WakeFn = void (*)(void* context);

    // Registers with every event: from now on, each Set() of one of them
    // calls wake(context), on the setting thread, with no lock held. Null
    // entries are ignored.
    EventWatch(std::span<Event* const> events, WakeFn wake, void* context);
    // Unregisters, and waits for wake calls still running.
    ~EventWatch();
    EventWatch(const EventWatch&) = delete;
    EventWatch& operator=(const EventWatch&) = delete;

    // The lowest index among the events that are set, consuming that one when
    // it is auto-reset; -1 when none is set.
    int TryConsume();

    // The same for any events, with the event mutex already held (WaitAny).
    static int ConsumeFirstLocked(std::span<Event* const> events);

private:
    std::span<Event* const> events_;
    std::unique_ptr<Event::Waiter[]> nodes_;
};

}  // namespace platform::detail
