#pragma once
// An invisible control that hands engine events to their targets one at a
// time: the first goes out at once, every further one waits until the
// receiver says it has finished with the previous one (Next). The match
// waiting panel shows its notices one after another through it.
//
// Rules:
//  - Records leave in the order they were pushed, each posted (delivered on
//    a later frame) as {target, event, data copy or null, length}.
//  - The data copy is made with AllocEventBlock. While a record waits the
//    queue owns it; once posted the receiver owns it and frees it with
//    FreeEventBlock. A record whose post is refused (unknown sender, target
//    or event id of 0) is dropped and its copy freed, never reported as
//    sent; the queue does not stay busy for it.
//  - Destruction frees the copies of the records still waiting.
//  - Everything runs on the UI thread.

#include <cstddef>
#include <deque>

#include "engine/CorvaneControl.h"
#include "engine/EventRecord.h"

class CCorvaneEventQueue : public CCorvaneControl {
public:
    CCorvaneEventQueue() = default;
    ~CCorvaneEventQueue() override;

    // Copies `length` bytes of data (none, and a null pointer, for a length
    // of 0 or less or null data). Idle: posts the record and becomes busy;
    // busy: keeps it. 1, or 0 when the copy could not be made or the post
    // was refused.
    virtual int Push(int targetId, int eventId, const void* data, int length);
    // The receiver is done: posts the oldest waiting record (1) or becomes
    // idle (0).
    virtual int Next();
    // Holds back the next Push without sending anything.
    virtual void SetBusy() { busy_ = 1; }

    int IsBusy() const { return busy_; }
    size_t GetPendingCount() const { return pending_.size(); }

    // Other names callers use.
    int Pop() { return Next(); }
    void Hold() { SetBusy(); }

private:
    std::deque<EventRecord> pending_;
    int busy_ = 0;
};
