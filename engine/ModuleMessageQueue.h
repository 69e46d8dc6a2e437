#pragma once
// A module's FIFO of waiting ModuleMessage records: a ring that starts with
// room for 16 and doubles its storage whenever a push finds it one short of
// full. Records come out in the order they went in, across growth and wrap.

#include <cstddef>
#include <vector>

#include "engine/ModuleMessage.h"

class ModuleMessageQueue {
public:
    static constexpr size_t kInitialCapacity = 16;

    ModuleMessageQueue();

    void Push(const ModuleMessage& message);
    // Takes the oldest record; false when the queue is empty.
    bool Pop(ModuleMessage& out);
    void Clear();

    size_t Count() const { return count_; }
    size_t Capacity() const { return storage_.size(); }

private:
    void Grow();

    std::vector<ModuleMessage> storage_;
    size_t head_ = 0;
    size_t count_ = 0;
};
