#include "engine/ModuleMessageQueue.h"

ModuleMessageQueue::ModuleMessageQueue() : storage_(kInitialCapacity) {}

void ModuleMessageQueue::Push(const ModuleMessage& message) {
    if (count_ + 1 >= storage_.size()) {
        Grow();
    }
    storage_[(head_ + count_) % storage_.size()] = message;
    ++count_;
}

bool ModuleMessageQueue::Pop(ModuleMessage& out) {
    if (count_ == 0) {
        return false;
    }
    out = storage_[head_];
    head_ = (head_ + 1) % storage_.size();
    --count_;
    return true;
}

void ModuleMessageQueue::Clear() {
    head_ = 0;
    count_ = 0;
}

void ModuleMessageQueue::Grow() {
    std::vector<ModuleMessage> larger(storage_.size() * 2);
    for (size_t i = 0; i < count_; ++i) {
        larger[i] = storage_[(head_ + i) % storage_.size()];
    }
    storage_.swap(larger);
    head_ = 0;
}
