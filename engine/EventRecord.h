#pragma once
// The record of every engine event, the input snapshot that bound input
// events carry, and the one allocation pair for heap blocks that travel with
// events.
//
// Rules:
//  - param1 and param2 are pointer-sized: they carry either a plain number or
//    a pointer. Code sizes records with sizeof, never with a word count.
//  - A heap block handed over with an event (param1 of 19840388 and
//    19840389, the records of object module message 1019) is made with
//    AllocEventBlock and freed by its receiver with FreeEventBlock, whoever
//    sent it.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <type_traits>

struct EventRecord {
    int target = 0;  // object id
    int event = 0;   // event id
    intptr_t param1 = 0;
    intptr_t param2 = 0;
};

static_assert(std::is_trivially_copyable_v<EventRecord>);
static_assert(sizeof(EventRecord) == 8 + 2 * sizeof(intptr_t));

// Fills out with the four values and returns it.
inline EventRecord* MakeEventRecord(EventRecord* out, int target, int event, intptr_t param1,
                                    intptr_t param2) {
    *out = EventRecord{target, event, param1, param2};
    return out;
}

inline EventRecord MakeEventRecord(int target, int event, intptr_t param1, intptr_t param2) {
    return EventRecord{target, event, param1, param2};
}

// Pointers in the pointer-sized parameters.
inline intptr_t EventParam(const void* p) {
    return reinterpret_cast<intptr_t>(p);
}
template <class T>
T* EventParamPointer(intptr_t param) {
    return reinterpret_cast<T*>(param);
}

// A zeroed heap block of size bytes for an event's receiver to free; null
// when the heap refuses.
inline void* AllocEventBlock(size_t size) {
    return std::calloc(1, size == 0 ? 1 : size);
}
inline void FreeEventBlock(void* block) {
    std::free(block);
}

// A heap EventRecord made with AllocEventBlock, for message 1019.
inline EventRecord* NewHeapEventRecord(const EventRecord& record) {
    auto* copy = static_cast<EventRecord*>(AllocEventBlock(sizeof(EventRecord)));
    if (copy != nullptr) {
        *copy = record;
    }
    return copy;
}

// Message 1019 with a nonzero n carries this record instead of a bare
// EventRecord (a function pointer does not fit n on this build): after
// delivery the object module calls release (nullptr, the record, 0).
struct ReleasingEventRecord;
using EventReleaseFunction = void (*)(void* context, ReleasingEventRecord* record, int flags);
struct ReleasingEventRecord {
    EventRecord record;
    EventReleaseFunction release = nullptr;
};

// The mouse and keyboard snapshot that the input module attaches as param2
// of bound input events (13 words).
struct InputState {
    int32_t mouseX = 0;
    int32_t mouseY = 0;
    int32_t moveX = 0;  // last movement
    int32_t moveY = 0;
    uint32_t stateFlags = 0;
    int32_t mouseTarget = 0;
    int32_t focus = 0;
    uint32_t keyFlags = 0;
    int32_t lastKeyDown = 0;
    int32_t lastKeyUp = 0;
    int32_t repeat = 0;
    uint8_t character[4] = {0, 0, 0, 0};
    int32_t spare = 0;
};

static_assert(sizeof(InputState) == 52);

// The input snapshot a bound input event carries in param2, or null.
inline const InputState* InputStateOf(const EventRecord& record) {
    return record.param2 != 0 ? reinterpret_cast<const InputState*>(record.param2) : nullptr;
}
