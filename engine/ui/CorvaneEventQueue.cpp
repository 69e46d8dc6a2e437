#include "engine/ui/CorvaneEventQueue.h"

#include <cstring>

namespace {

void FreeRecordData(const EventRecord& record) {
    FreeEventBlock(EventParamPointer<void>(record.param1));
}

}  // namespace

CCorvaneEventQueue::~CCorvaneEventQueue() {
    for (const EventRecord& record : pending_) {
        FreeRecordData(record);
    }
}

int CCorvaneEventQueue::Push(int targetId, int eventId, const void* data, int length) {
    void* copy = nullptr;
    if (length > 0 && data != nullptr) {
        copy = AllocEventBlock(static_cast<size_t>(length));
        if (copy == nullptr) {
            return 0;
        }
        std::memcpy(copy, data, static_cast<size_t>(length));
    } else {
        length = 0;
    }
    const EventRecord record = MakeEventRecord(targetId, eventId, EventParam(copy), length);
    if (busy_ != 0) {
        pending_.push_back(record);
        return 1;
    }
    if (PostEvent(record) == 0) {
        FreeRecordData(record);
        return 0;
    }
    busy_ = 1;
    return 1;
}

int CCorvaneEventQueue::Next() {
    busy_ = 0;
    while (!pending_.empty()) {
        const EventRecord record = pending_.front();
        pending_.pop_front();
        if (PostEvent(record) != 0) {
            busy_ = 1;
            return 1;
        }
        FreeRecordData(record);
    }
    // An empty queue keeps no storage.
    std::deque<EventRecord>().swap(pending_);
    return 0;
}
